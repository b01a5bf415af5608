#include "mainwindow/GlownyInfraGrid.h"

#include "core/Funkcje.h"
#include "core/Query.h"
#include "mainwindow/GlownyInfraQuery.h"
#include "mainwindow/GlownyUserGrid.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QStyle>
#include <cmath>
#include <map>

std::vector<TQueryColumn> InfraGridColumns()
{
    const char* const cols[][2] = {{"INF_IP", "IP"},
                                   {"INF_IluUserow", "Użyt."},
                                   {"INF_NAZWA", "Nazwa"},
                                   {"PI_STATUS", "Status"},
                                   {"PI_CZAS", "Ping"},
                                   {"INF_MAC", "MAC"},
                                   {"INF_TypUrzadzenia", "Typ"},
                                   {"INF_FUNKCJA", "Funkcja"},
                                   {"INF_MiejscePodlaczeniaTxt", "Miejsce podłączenia"},
                                   {"INF_GrNazwaAll", "Grupa"},
                                   {"INF_Wezel", "Punkt elastycz."},
                                   {"INF_PUBIP", "Publiczne IP"},
                                   {"INF_TERMINARZDATA", "Terminarz"}};
    std::vector<TQueryColumn> out;
    for (const auto& c : cols)
        out.push_back({QString::fromUtf8(c[0]), QString::fromUtf8(c[1]), {}});
    out[0].Alignment = Qt::AlignLeft | Qt::AlignVCenter;
    out[3].Alignment = Qt::AlignCenter;
    return out;
}

const QPixmap& InfraGridIcon(const QString& name)
{
    static std::map<QString, QPixmap> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    auto disc = [&p](const QColor& fill) {
        p.setPen(QPen(fill.darker(150), 1));
        p.setBrush(fill);
        p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    };
    if (name == QLatin1String("Up")) {
        disc(QColor(40, 170, 40));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(7.5, 11), QPointF(7.5, 5));
        p.drawLine(QPointF(4.5, 7.5), QPointF(7.5, 4.5));
        p.drawLine(QPointF(10.5, 7.5), QPointF(7.5, 4.5));
    } else if (name == QLatin1String("Down")) {
        disc(QColor(210, 30, 30));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(7.5, 4), QPointF(7.5, 10));
        p.drawLine(QPointF(4.5, 7.5), QPointF(7.5, 10.5));
        p.drawLine(QPointF(10.5, 7.5), QPointF(7.5, 10.5));
    } else if (name == QLatin1String("Skip")) {
        disc(QColor(170, 170, 170));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(4.5, 7.5), QPointF(10.5, 7.5));
    } else if (name == QLatin1String("Err")) {
        disc(QColor(255, 128, 0));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(7.5, 4), QPointF(7.5, 8.5));
        p.drawPoint(QPointF(7.5, 11));
    } else { // the monitoring eye, with a dot for SMS alerts
        p.setPen(QPen(QColor(0, 70, 160), 1.2));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QRectF(1.5, 4.5, 13, 7));
        p.setBrush(QColor(0, 70, 160));
        p.drawEllipse(QRectF(6, 6, 4, 4));
        if (name == QLatin1String("MonitoringSms")) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(220, 0, 0));
            p.drawEllipse(QRectF(10, 0.5, 5, 5));
        }
    }
    p.end();
    return cache.emplace(name, pm).first->second;
}

TInfraGridDelegate::TInfraGridDelegate(TUserGridModel* model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model)
{
}

void TInfraGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    const TQuery* q = m_model->Query();
    const int row = index.row();
    if (!q || !q->Active() || row >= q->RecordCount()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    auto cell = [q, row](const char* name) {
        const TField* f = q->FindField(QLatin1String(name));
        return f ? q->CellText(row, f->Index()) : QString();
    };
    TInfraRowData data;
    data.Zapasowe = cell("INF_ZAPASOWE") == QLatin1String("1");
    data.Zaznaczone = cell("INF_CZYZAZNACZONE") == QLatin1String("1");
    data.Zawieszone = cell("INF_CZYZAWIESZONE") == QLatin1String("1");
    data.Monitoring = cell("INF_DODAJDOMONITORINGU") == QLatin1String("1");
    data.MonitoringSms = cell("INF_MONITORINGSMS") == QLatin1String("1");
    data.Pasywne = cell("INF_CZYPASYWNE") == QLatin1String("1");
    data.Status = cell("PI_STATUS");
    const TInfraRowLook look = InfraRowLook(data);

    const int column = index.column();
    const QString field =
        column < int(m_model->Columns().size()) ? m_model->Columns()[size_t(column)].FieldName : QString();
    const bool selected = opt.state & QStyle::State_Selected;
    QColor background;
    if (column == m_model->SortedColumn())
        background = BlendColors(QColor(255, 255, 255), opt.palette.color(QPalette::Button), 5, 3);
    if (look.Background.isValid()) background = look.Background;
    if (!selected) {
        if (background.isValid()) opt.backgroundBrush = background;
        if (look.Font.isValid()) opt.palette.setColor(QPalette::Text, look.Font);
    }
    const bool statusColumn = field == QLatin1String("PI_STATUS");
    if (statusColumn) opt.text.clear();

    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect r = opt.rect;
    if (field == QLatin1String("INF_IP")) {
        const TInfraMonitorIcon icon = InfraMonitorIcon(data);
        if (icon != TInfraMonitorIcon::None)
            painter->drawPixmap(r.right() - 20, r.top() + 3,
                                InfraGridIcon(icon == TInfraMonitorIcon::MonitoringSms
                                                  ? QStringLiteral("MonitoringSms")
                                                  : QStringLiteral("Monitoring")));
    }
    if (statusColumn) {
        const QString picture = InfraStatusPicture(data);
        if (!picture.isEmpty())
            painter->drawPixmap(r.left() + int(std::lround((r.width() - 16) / 2.0)),
                                r.top() + qMax(1, (r.height() - 16) / 2), InfraGridIcon(picture));
    }
}
