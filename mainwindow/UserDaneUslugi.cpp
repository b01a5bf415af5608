#include "mainwindow/UserDaneUslugi.h"

#include "mainwindow/UserDanePodstawowe.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace {

QIcon markerIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x8E, 0x24, 0xAA));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 3, 14, 10), 2, 2);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(7);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 3, 16, 10), Qt::AlignCenter, QStringLiteral("BSA"));
    return QIcon(pm);
}

} // namespace

TUserPasmoBox::TUserPasmoBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Pasmo (bit/s)"), std::move(textOf), parent)
{
    fieldRows({{"Download", "U_PASMODOWNLOADDZIENTXT"},
               {"Upload", "U_PASMOUPLOADDZIENTXT"},
               {"Down (Noc)", "U_PASMODOWNLOADNOCTXT"},
               {"Up (Noc)", "U_PASMOUPLOADNOCTXT"}},
              2);
    grid()->setColumnStretch(1, 1);
    grid()->setColumnStretch(3, 1);
}

TUserAutoryzacjaBox::TUserAutoryzacjaBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Autoryzacja"), std::move(textOf), parent)
{
    fieldRows({{"Login", "U_LOGIN"}, {"Hasło", "U_HASLO"}}, 2);
    grid()->setColumnStretch(1, 1);
    grid()->setColumnStretch(3, 1);
}

TUserGrupyBox::TUserGrupyBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Grupy"), std::move(textOf), parent)
{
    grid()->addWidget(text(QStringLiteral("U_GrNazwaAll")), 0, 0);
}

TUserUslugiBox::TUserUslugiBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Usługi"), std::move(textOf), parent)
{
    auto* sl = new QHBoxLayout;
    sl->setSpacing(3);
    const struct
    {
        QLabel** panel;
        const char* caption;
        const char* hint;
        QColor color;
    } services[] = {{&PanelInt, "INT", "Internet", QColor(0x2E, 0x7D, 0x32)},
                    {&PanelTv, "TV", "Telewizja", QColor(0x15, 0x65, 0xC0)},
                    {&PanelTel, "TEL", "Telefon", QColor(0xEF, 0x6C, 0x00)},
                    {&PanelRd, "RD", "Radio", QColor(0x6A, 0x1B, 0x9A)}};
    for (const auto& s : services) {
        auto* l = new QLabel(QString::fromLatin1(s.caption), this);
        l->setObjectName(QStringLiteral("PanelUsluga") + QString::fromLatin1(s.caption));
        l->setToolTip(QString::fromUtf8(s.hint));
        l->setAlignment(Qt::AlignCenter);
        l->setFixedSize(30, fontMetrics().height() + 6);
        l->setStyleSheet(QStringLiteral("QLabel { background: %1; color: white; font-weight: bold; "
                                        "border-radius: 3px; }")
                             .arg(s.color.name()));
        sl->addWidget(l);
        *s.panel = l;
    }
    sl->addStretch(1);
    ImageTauronBsa = ImageButton(markerIcon(), QStringLiteral("Adres w bazie punktów TAURON BSA"), this);
    ImageTauronBsa->hide();
    sl->addWidget(ImageTauronBsa);
    grid()->addLayout(sl, 0, 0);
}
