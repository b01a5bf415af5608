#include "mainwindow/UserGroupBox.h"

#include "mainwindow/UserDanePodstawowe.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

TUserGroupBox::TUserGroupBox(const QString& title, TDbTextFactory text, QWidget* parent)
    : QGroupBox(title, parent), m_text(std::move(text))
{
    auto* g = new QGridLayout(this);
    g->setContentsMargins(6, 4, 6, 6);
    g->setHorizontalSpacing(5);
    g->setVerticalSpacing(3);
}

QIcon TUserGroupBox::PinIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(8, 15);
    path.cubicTo(3, 9, 3, 8, 3, 6);
    path.arcTo(3, 1, 10, 10, 180, -180);
    path.cubicTo(13, 8, 13, 9, 8, 15);
    p.fillPath(path, QColor(0xD9, 0x3B, 0x30));
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8, 6), 2, 2);
    return QIcon(pm);
}

QToolButton* TUserGroupBox::ImageButton(const QIcon& icon, const QString& hint, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setIcon(icon);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setCursor(Qt::PointingHandCursor);
    b->setFixedSize(22, 22);
    return b;
}

QGridLayout* TUserGroupBox::grid() const
{
    return static_cast<QGridLayout*>(layout());
}

TDbText* TUserGroupBox::text(const QString& field, QWidget* parent)
{
    return m_text(field, parent ? parent : this);
}

QLabel* TUserGroupBox::caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent ? parent : this);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    return l;
}

QLabel* TUserGroupBox::flagLabel()
{
    auto* l = new QLabel(this);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(34);
    return l;
}

void TUserGroupBox::fieldRows(std::initializer_list<std::pair<const char*, const char*>> fields, int perRow,
                              int firstRow)
{
    int i = 0;
    for (const auto& [captionText, fieldName] : fields) {
        const int row = firstRow + i / perRow, col = 2 * (i % perRow);
        grid()->addWidget(caption(QString::fromUtf8(captionText)), row, col);
        grid()->addWidget(text(QString::fromLatin1(fieldName)), row, col + 1);
        ++i;
    }
}
