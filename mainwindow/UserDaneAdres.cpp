#include "mainwindow/UserDaneAdres.h"

#include "core/ThemedPanel.h"
#include "mainwindow/UserDanePodstawowe.h"

#include <QGridLayout>
#include <QIcon>
#include <QPainter>
#include <QToolButton>

namespace {

QIcon crossIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x2E, 0x6C, 0xC0), 1.6));
    p.drawEllipse(QPointF(8, 8), 5, 5);
    p.drawLine(8, 1, 8, 15);
    p.drawLine(1, 8, 15, 8);
    return QIcon(pm);
}

QIcon ggIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0xF2, 0xA9, 0x00));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(8);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("GG"));
    return QIcon(pm);
}

} // namespace

TUserNazwaBox::TUserNazwaBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Nazwa"), std::move(textOf), parent)
{
    QGridLayout* g = grid();
    g->addWidget(caption(QStringLiteral("Nazwisko/Nazwa")), 0, 0);
    g->addWidget(text(QStringLiteral("U_NAZWISKO")), 0, 1, 1, 4);
    g->addWidget(caption(QStringLiteral("Imię/Nazwa")), 1, 0);
    g->addWidget(text(QStringLiteral("U_IMIE")), 1, 1, 1, 4);
    g->addWidget(caption(QStringLiteral("Adres")), 2, 0);
    TDbText* adr = text(QStringLiteral("vU_ADR_Adres"));
    adr->SetLink(QStringLiteral("Pokaż w GoogleMap"));
    g->addWidget(adr, 2, 1, 1, 3);
    ImageAdres = ImageButton(PinIcon(), QStringLiteral("Pokaż w GoogleMap"), this);
    g->addWidget(ImageAdres, 2, 4);
    g->addWidget(caption(QStringLiteral("Nr klienta")), 3, 0);
    g->addWidget(text(QStringLiteral("U_NRKLIENTA")), 3, 1);
    g->addWidget(caption(QStringLiteral("ID")), 3, 2);
    g->addWidget(text(QStringLiteral("U_INDEX")), 3, 3, 1, 2);
    g->addWidget(caption(QStringLiteral("TERYT (SIIS)")), 4, 0);
    PanelTeryt = new TThemedPanel(this);
    PanelTeryt->setObjectName(QStringLiteral("PanelTeryt"));
    PanelTeryt->SetThemedImage(tpiSolid);
    PanelTeryt->SetBevelOuter(bvLowered);
    auto* tl = new QGridLayout(PanelTeryt);
    tl->setContentsMargins(3, 2, 3, 2);
    tl->setSpacing(2);
    const QString terytFields[] = {QStringLiteral("U_TER_JST"), QStringLiteral("U_TER_SYM_UL"),
                                   QStringLiteral("U_SIIS_ID2")};
    for (int i = 0; i < 3; ++i) {
        TDbText* t = text(terytFields[i], PanelTeryt);
        t->setFrameShape(QFrame::NoFrame);
        t->setAutoFillBackground(false);
        tl->addWidget(t, i == 2 ? 1 : 0, i == 2 ? 0 : i, 1, i == 2 ? 2 : 1);
    }
    PanelTeryt->setToolTip(QStringLiteral("Dwuklik: edycja danych TERYT"));
    g->addWidget(PanelTeryt, 4, 1, 1, 4);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
}

TUserTeleadresBox::TUserTeleadresBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Dane teleadresowe"), std::move(textOf), parent)
{
    QGridLayout* g = grid();
    g->addWidget(caption(QStringLiteral("NIP")), 0, 0);
    g->addWidget(text(QStringLiteral("U_NIP")), 0, 1);
    g->addWidget(caption(QStringLiteral("PESEL")), 0, 2);
    g->addWidget(text(QStringLiteral("U_PESEL")), 0, 3, 1, 2);
    g->addWidget(caption(QStringLiteral("Nr dowodu")), 1, 0);
    g->addWidget(text(QStringLiteral("U_NRDOWODU")), 1, 1);
    g->addWidget(caption(QStringLiteral("GG")), 1, 2);
    TDbText* gg = text(QStringLiteral("U_NRGG"));
    gg->SetLink(QStringLiteral("Porozmawiaj przez GG"));
    g->addWidget(gg, 1, 3);
    ImageGg = ImageButton(ggIcon(), QStringLiteral("Porozmawiaj przez GG"), this);
    g->addWidget(ImageGg, 1, 4);
    g->addWidget(caption(QStringLiteral("Telefon 1")), 2, 0);
    TDbText* tel1 = text(QStringLiteral("U_TEL1"));
    tel1->SetLink(QStringLiteral("Wyślij SMS"));
    g->addWidget(tel1, 2, 1);
    g->addWidget(caption(QStringLiteral("Telefon 2")), 2, 2);
    TDbText* tel2 = text(QStringLiteral("U_TEL2"));
    tel2->SetLink(QStringLiteral("Wyślij SMS"));
    g->addWidget(tel2, 2, 3, 1, 2);
    g->addWidget(caption(QStringLiteral("email")), 3, 0);
    TDbText* email = text(QStringLiteral("U_EMAIL"));
    email->SetLink(QStringLiteral("Wyślij wiadomość email"));
    g->addWidget(email, 3, 1, 1, 4);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
}

TUserDodatkoweBox::TUserDodatkoweBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Dane dodatkowe"), std::move(textOf), parent)
{
    QGridLayout* g = grid();
    const int threeLines = fontMetrics().height() * 3 + 8;
    g->addWidget(caption(QStringLiteral("Adres instalacji")), 0, 0, Qt::AlignRight | Qt::AlignTop);
    LabelInnaLokalizacja = flagLabel();
    g->addWidget(LabelInnaLokalizacja, 1, 0, Qt::AlignRight | Qt::AlignTop);
    TDbText* lok = text(QStringLiteral("vU_LOK_Adres2"));
    lok->SetLink(QStringLiteral("Pokaż w GoogleMap"));
    lok->setFixedHeight(threeLines);
    lok->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g->addWidget(lok, 0, 1, 2, 1);
    ImageLokalizacja = ImageButton(PinIcon(), QStringLiteral("Pokaż w GoogleMap"), this);
    g->addWidget(ImageLokalizacja, 0, 2, Qt::AlignTop);
    g->addWidget(caption(QStringLiteral("Adres koresp.")), 2, 0, Qt::AlignRight | Qt::AlignTop);
    LabelAdresKoresp = flagLabel();
    g->addWidget(LabelAdresKoresp, 3, 0, Qt::AlignRight | Qt::AlignTop);
    TDbText* kor = text(QStringLiteral("vU_KOR_Adres"));
    kor->SetLink(QStringLiteral("Pokaż w GoogleMap"));
    kor->setFixedHeight(threeLines);
    kor->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g->addWidget(kor, 2, 1, 2, 1);
    ImageKoresp = ImageButton(PinIcon(), QStringLiteral("Pokaż w GoogleMap"), this);
    g->addWidget(ImageKoresp, 2, 2, Qt::AlignTop);
    g->setColumnStretch(1, 1);
}

TUserGeolokalizacjaBox::TUserGeolokalizacjaBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Geolokalizacja"), std::move(textOf), parent)
{
    QGridLayout* g = grid();
    g->addWidget(text(QStringLiteral("U_GEOLOK_SZEROKOSC")), 0, 0);
    g->addWidget(text(QStringLiteral("U_GEOLOK_DLUGOSC")), 0, 1);
    ImageWspolrzedne = ImageButton(crossIcon(), QStringLiteral("Pokaż w GoogleMap wg współrzędnych"), this);
    g->addWidget(ImageWspolrzedne, 0, 2);
}
