#include "mainwindow/UserDanePodstawowe.h"

#include "core/Amount4.h"
#include "core/GripPanel.h"
#include "core/Query.h"
#include "core/ThemedPanel.h"
#include "mainwindow/UserRules.h"
#include "mainwindow/UserZakladki.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kHintOpoznienie = QStringLiteral(
    "Dodatkowa ilość dni, odsuwająca termin dodania użytkownika do grupy zalegających (dodaje się "
    "do ilości dni ustawionej w konfiguracji) ;\nZnak plus opóźnia, a znak minus przyśpiesza ten "
    "moment.");
const QString kHintWyprzedzenie =
    QStringLiteral("Dodatkowa ilość dni, przyśpieszająca moment, kiedy użytkownik dostaje nformację o "
                   "zaległościach (dodaje się do ilości dni ustawionej w konfiguracji)\nZnak plus opóźnia, a "
                   "znak minus przyśpiesza ten moment.");

// The small pictures beside the linked fields, drawn once.
QIcon pinIcon()
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

QToolButton* imageButton(const QIcon& icon, const QString& hint, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setIcon(icon);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setCursor(Qt::PointingHandCursor);
    b->setFixedSize(22, 22);
    return b;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    return l;
}

QLabel* flagLabel(QWidget* parent)
{
    auto* l = new QLabel(parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(34);
    return l;
}

QGroupBox* group(const QString& title, QWidget* parent)
{
    auto* g = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(g);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setHorizontalSpacing(5);
    grid->setVerticalSpacing(3);
    return g;
}

QGridLayout* gridOf(QGroupBox* g)
{
    return static_cast<QGridLayout*>(g->layout());
}

const TField* field(const TQuery* q, const QString& name)
{
    return q && q->Active() && !q->IsEmpty() ? q->FindField(name) : nullptr;
}

int intOf(const TQuery* q, const char* name)
{
    const TField* f = field(q, QLatin1String(name));
    return f ? f->AsInteger() : 0;
}

// Money fields are shown with the currency.
bool isMoney(const QString& name)
{
    return name == QLatin1String("U_SALDO") || name == QLatin1String("U_SALDOZALEGLE") ||
           name == QLatin1String("U_KWOTAABONAMENTU");
}

// "1 234,50 zł": grouped, two decimals, the decimal comma.
QString cardMoneyText(Amount4 a)
{
    const qint64 cents = (a.raw < 0 ? a.raw - 50 : a.raw + 50) / 100;
    const qint64 whole = (cents < 0 ? -cents : cents) / 100;
    QString digits = QString::number(whole);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return (cents < 0 ? QStringLiteral("-") : QString()) + digits + QLatin1Char(',') +
           QStringLiteral("%1").arg((cents < 0 ? -cents : cents) % 100, 2, 10, QLatin1Char('0')) +
           QStringLiteral(" zł");
}

} // namespace

// ---------------------------------------------------------------- TDbText

TDbText::TDbText(const QString& field, QWidget* parent) : QLabel(parent), m_field(field)
{
    setProperty("dataField", field);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setMargin(2);
    setMinimumHeight(fontMetrics().height() + 8);
    // A long value must not push its captions out of the panel: it is cut, the hint shows it all.
    setMinimumWidth(36);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TDbText::SetLink(const QString& hint)
{
    m_link = true;
    setToolTip(hint);
    setCursor(Qt::PointingHandCursor);
    setTextInteractionFlags(Qt::NoTextInteraction);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0x1A, 0x4F, 0xA8));
    setPalette(pal);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
}

void TDbText::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (m_link && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit Clicked();
}

void TDbText::mouseDoubleClickEvent(QMouseEvent* e)
{
    QLabel::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) emit DoubleClicked();
}

// ---------------------------------------------------------------- TUserDanePodstawowe

TUserDanePodstawowe::TUserDanePodstawowe(QWidget* parent) : QWidget(parent)
{
    buildUi();
}

TDbText* TUserDanePodstawowe::text(const QString& name, QWidget* parent)
{
    auto* t = new TDbText(name, parent);
    t->setObjectName(QStringLiteral("DBText_") + name);
    m_texts.insert(name, t);
    return t;
}

void TUserDanePodstawowe::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 0);
    root->setSpacing(4);

    // Three columns of panels; the bank accounts run under the second and third.
    auto* columns = new QGridLayout;
    columns->setHorizontalSpacing(6);
    columns->setVerticalSpacing(4);
    root->addLayout(columns, 1);
    auto* col1 = new QVBoxLayout;
    auto* col2 = new QVBoxLayout;
    auto* col3 = new QVBoxLayout;
    for (QVBoxLayout* c : {col1, col2, col3})
        c->setSpacing(4);
    columns->addLayout(col1, 0, 0, 2, 1);
    columns->addLayout(col2, 0, 1);
    columns->addLayout(col3, 0, 2);
    columns->setColumnStretch(0, 11);
    columns->setColumnStretch(1, 9);
    columns->setColumnStretch(2, 10);
    columns->setRowStretch(0, 1);
    // Caption and field pairs, perRow of them to a row from firstRow on.
    auto fieldRows = [this](QGridLayout* g, QWidget* parent,
                            std::initializer_list<std::pair<const char*, const char*>> fields, int perRow,
                            int firstRow = 0) {
        int i = 0;
        for (const auto& [captionText, fieldName] : fields) {
            const int row = firstRow + i / perRow, col = 2 * (i % perRow);
            g->addWidget(caption(QString::fromUtf8(captionText), parent), row, col);
            g->addWidget(text(QString::fromLatin1(fieldName), parent), row, col + 1);
            ++i;
        }
    };

    // ---- "Nazwa"
    QGroupBox* gName = group(QStringLiteral("Nazwa"), this);
    QGridLayout* g = gridOf(gName);
    g->addWidget(caption(QStringLiteral("Nazwisko/Nazwa"), gName), 0, 0);
    g->addWidget(text(QStringLiteral("U_NAZWISKO"), gName), 0, 1, 1, 4);
    g->addWidget(caption(QStringLiteral("Imię/Nazwa"), gName), 1, 0);
    g->addWidget(text(QStringLiteral("U_IMIE"), gName), 1, 1, 1, 4);
    g->addWidget(caption(QStringLiteral("Adres"), gName), 2, 0);
    TDbText* adr = text(QStringLiteral("vU_ADR_Adres"), gName);
    adr->SetLink(QStringLiteral("Pokaż w GoogleMap"));
    g->addWidget(adr, 2, 1, 1, 3);
    ImageAdres = imageButton(pinIcon(), QStringLiteral("Pokaż w GoogleMap"), gName);
    g->addWidget(ImageAdres, 2, 4);
    g->addWidget(caption(QStringLiteral("Nr klienta"), gName), 3, 0);
    g->addWidget(text(QStringLiteral("U_NRKLIENTA"), gName), 3, 1);
    g->addWidget(caption(QStringLiteral("ID"), gName), 3, 2);
    g->addWidget(text(QStringLiteral("U_INDEX"), gName), 3, 3, 1, 2);
    g->addWidget(caption(QStringLiteral("TERYT (SIIS)"), gName), 4, 0);
    PanelTeryt = new TThemedPanel(gName);
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
        t->installEventFilter(this);
    }
    PanelTeryt->installEventFilter(this);
    PanelTeryt->setToolTip(QStringLiteral("Dwuklik: edycja danych TERYT"));
    g->addWidget(PanelTeryt, 4, 1, 1, 4);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    col1->addWidget(gName);

    // ---- "Dane teleadresowe"
    QGroupBox* gTel = group(QStringLiteral("Dane teleadresowe"), this);
    g = gridOf(gTel);
    g->addWidget(caption(QStringLiteral("NIP"), gTel), 0, 0);
    g->addWidget(text(QStringLiteral("U_NIP"), gTel), 0, 1);
    g->addWidget(caption(QStringLiteral("PESEL"), gTel), 0, 2);
    g->addWidget(text(QStringLiteral("U_PESEL"), gTel), 0, 3, 1, 2);
    g->addWidget(caption(QStringLiteral("Nr dowodu"), gTel), 1, 0);
    g->addWidget(text(QStringLiteral("U_NRDOWODU"), gTel), 1, 1);
    g->addWidget(caption(QStringLiteral("GG"), gTel), 1, 2);
    TDbText* gg = text(QStringLiteral("U_NRGG"), gTel);
    gg->SetLink(QStringLiteral("Porozmawiaj przez GG"));
    g->addWidget(gg, 1, 3);
    ImageGg = imageButton(ggIcon(), QStringLiteral("Porozmawiaj przez GG"), gTel);
    g->addWidget(ImageGg, 1, 4);
    g->addWidget(caption(QStringLiteral("Telefon 1"), gTel), 2, 0);
    TDbText* tel1 = text(QStringLiteral("U_TEL1"), gTel);
    tel1->SetLink(QStringLiteral("Wyślij SMS"));
    g->addWidget(tel1, 2, 1);
    g->addWidget(caption(QStringLiteral("Telefon 2"), gTel), 2, 2);
    TDbText* tel2 = text(QStringLiteral("U_TEL2"), gTel);
    tel2->SetLink(QStringLiteral("Wyślij SMS"));
    g->addWidget(tel2, 2, 3, 1, 2);
    g->addWidget(caption(QStringLiteral("email"), gTel), 3, 0);
    TDbText* email = text(QStringLiteral("U_EMAIL"), gTel);
    email->SetLink(QStringLiteral("Wyślij wiadomość email"));
    g->addWidget(email, 3, 1, 1, 4);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    col1->addWidget(gTel);

    // ---- "Dane dodatkowe"
    QGroupBox* gExtra = group(QStringLiteral("Dane dodatkowe"), this);
    g = gridOf(gExtra);
    const int threeLines = fontMetrics().height() * 3 + 8;
    g->addWidget(caption(QStringLiteral("Adres instalacji"), gExtra), 0, 0, Qt::AlignRight | Qt::AlignTop);
    LabelInnaLokalizacja = flagLabel(gExtra);
    g->addWidget(LabelInnaLokalizacja, 1, 0, Qt::AlignRight | Qt::AlignTop);
    TDbText* lok = text(QStringLiteral("vU_LOK_Adres2"), gExtra);
    lok->SetLink(QStringLiteral("Pokaż w GoogleMap"));
    lok->setFixedHeight(threeLines);
    lok->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g->addWidget(lok, 0, 1, 2, 1);
    ImageLokalizacja = imageButton(pinIcon(), QStringLiteral("Pokaż w GoogleMap"), gExtra);
    g->addWidget(ImageLokalizacja, 0, 2, Qt::AlignTop);
    g->addWidget(caption(QStringLiteral("Adres koresp."), gExtra), 2, 0, Qt::AlignRight | Qt::AlignTop);
    LabelAdresKoresp = flagLabel(gExtra);
    g->addWidget(LabelAdresKoresp, 3, 0, Qt::AlignRight | Qt::AlignTop);
    TDbText* kor = text(QStringLiteral("vU_KOR_Adres"), gExtra);
    kor->SetLink(QStringLiteral("Pokaż w GoogleMap"));
    kor->setFixedHeight(threeLines);
    kor->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g->addWidget(kor, 2, 1, 2, 1);
    ImageKoresp = imageButton(pinIcon(), QStringLiteral("Pokaż w GoogleMap"), gExtra);
    g->addWidget(ImageKoresp, 2, 2, Qt::AlignTop);
    g->setColumnStretch(1, 1);
    col1->addWidget(gExtra);
    col1->addStretch(1);

    // ---- "Rozliczenia"
    QGroupBox* gRoz = group(QStringLiteral("Rozliczenia"), this);
    g = gridOf(gRoz);
    fieldRows(g, gRoz,
              {{"Forma płatności", "U_INDYWTERMINPLATNOSCIFORMA"}, {"Termin", "U_INDYWTERMINPLATNOSCI"}}, 1);
    g->addWidget(caption(QStringLiteral("Indywid. forma płatności"), gRoz), 2, 0);
    LabelIndywidForma = flagLabel(gRoz);
    g->addWidget(LabelIndywidForma, 2, 1, Qt::AlignLeft);
    fieldRows(g, gRoz,
              {{"Data dodania", "U_DATADODANIA"},
               {"Data aktywacji", "U_DATAAKTYWACJI"},
               {"Data deaktywacji", "U_DATADEAKTYWACJI"}},
              1, 3);
    LabelFirma = flagLabel(gRoz);
    g->addWidget(LabelFirma, 6, 0, Qt::AlignRight);
    g->addWidget(text(QStringLiteral("vU_Podmiot"), gRoz), 6, 1);
    auto* subGroups = new QVBoxLayout;
    subGroups->setSpacing(2);
    auto* gNal = new QGroupBox(QStringLiteral("Naliczanie należności"), gRoz);
    auto* nl = new QVBoxLayout(gNal);
    nl->setContentsMargins(6, 2, 6, 4);
    LabelNaliczanie = new QLabel(gNal);
    LabelNaliczanie->setAlignment(Qt::AlignCenter);
    nl->addWidget(LabelNaliczanie);
    auto* gWyd = new QGroupBox(QStringLiteral("Wydruk dokumentów sprzedaży"), gRoz);
    auto* wl = new QVBoxLayout(gWyd);
    wl->setContentsMargins(6, 2, 6, 4);
    LabelWydruk = new QLabel(gWyd);
    LabelWydruk->setAlignment(Qt::AlignCenter);
    wl->addWidget(LabelWydruk);
    subGroups->addWidget(gNal);
    subGroups->addWidget(gWyd);
    g->addLayout(subGroups, 7, 0, 1, 2);
    g->setColumnStretch(1, 1);
    col2->addWidget(gRoz);

    // ---- bank accounts
    QGroupBox* gBank = group(QStringLiteral("Bank - numery rachunków bankowych klienta (subkonta)"), this);
    g = gridOf(gBank);
    fieldRows(g, gBank, {{"Podstawowy", "U_NRRACHUNKU1"}, {"Dodatkowy", "U_NRRACHUNKU2"}}, 2);
    g->setColumnStretch(1, 3);
    g->setColumnStretch(3, 2);
    columns->addWidget(gBank, 1, 1, 1, 2);

    // ---- "Uwagi"
    auto* gUwagi = new QGroupBox(QStringLiteral("Uwagi"), this);
    auto* ul = new QVBoxLayout(gUwagi);
    ul->setContentsMargins(6, 4, 6, 6);
    MemoUwagi = new QPlainTextEdit(gUwagi);
    MemoUwagi->setObjectName(QStringLiteral("DBMemo_U_UWAGI"));
    MemoUwagi->setProperty("dataField", QStringLiteral("U_UWAGI"));
    MemoUwagi->setReadOnly(true);
    MemoUwagi->setMinimumHeight(fontMetrics().height() * 3 + 10);
    ul->addWidget(MemoUwagi);
    col2->addWidget(gUwagi, 1);

    // ---- "Zaległości i blokady"
    QGroupBox* gZal = group(QStringLiteral("Zaległości i blokady"), this);
    g = gridOf(gZal);
    const struct
    {
        const char* caption;
        const char* field;
        const QString* hint;
    } zal[] = {{"Wyklucz z blokad do dnia", "U_DATAWYKLUCZENIAZBLOKAD", nullptr},
               {"Kwota salda", "U_SALDO", nullptr},
               {"Kwota salda zaległego", "U_SALDOZALEGLE", nullptr},
               {"Kwota abonamentu", "U_KWOTAABONAMENTU", nullptr},
               {"Dodatkowe wyprzedz. powiadomień", "U_WYPRZEDZENIEPOWIADOMIEN", &kHintWyprzedzenie},
               {"Dodatkowe opóźnienie blokady", "U_OPOZNIENIEBLOKADY", &kHintOpoznienie}};
    int row = 0;
    for (const auto& z : zal) {
        QLabel* c = caption(QString::fromUtf8(z.caption), gZal);
        TDbText* t = text(QString::fromLatin1(z.field), gZal);
        t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setMinimumWidth(t->fontMetrics().horizontalAdvance(QStringLiteral("-99 999,99 zł")) + 10);
        if (z.hint) {
            c->setToolTip(*z.hint);
            t->setToolTip(*z.hint);
            t->setProperty("fixedHint", true);
        }
        g->addWidget(c, row, 0);
        g->addWidget(t, row, 1);
        ++row;
    }
    g->setColumnStretch(1, 1);
    col3->addWidget(gZal);

    // ---- "Pasmo (bit/s)"
    QGroupBox* gPasmo = group(QStringLiteral("Pasmo (bit/s)"), this);
    g = gridOf(gPasmo);
    fieldRows(g, gPasmo,
              {{"Download", "U_PASMODOWNLOADDZIENTXT"},
               {"Upload", "U_PASMOUPLOADDZIENTXT"},
               {"Down (Noc)", "U_PASMODOWNLOADNOCTXT"},
               {"Up (Noc)", "U_PASMOUPLOADNOCTXT"}},
              2);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    col3->addWidget(gPasmo);

    // ---- "Autoryzacja"
    GroupAutoryzacja = group(QStringLiteral("Autoryzacja"), this);
    g = gridOf(GroupAutoryzacja);
    fieldRows(g, GroupAutoryzacja, {{"Login", "U_LOGIN"}, {"Hasło", "U_HASLO"}}, 2);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    col3->addWidget(GroupAutoryzacja);

    // ---- "Grupy", "Geolokalizacja", "Usługi"
    QGroupBox* gGrupy = group(QStringLiteral("Grupy"), this);
    gridOf(gGrupy)->addWidget(text(QStringLiteral("U_GrNazwaAll"), gGrupy), 0, 0);
    col3->addWidget(gGrupy);

    QGroupBox* gGeo = group(QStringLiteral("Geolokalizacja"), this);
    g = gridOf(gGeo);
    g->addWidget(text(QStringLiteral("U_GEOLOK_SZEROKOSC"), gGeo), 0, 0);
    g->addWidget(text(QStringLiteral("U_GEOLOK_DLUGOSC"), gGeo), 0, 1);
    ImageWspolrzedne = imageButton(crossIcon(), QStringLiteral("Pokaż w GoogleMap wg współrzędnych"), gGeo);
    g->addWidget(ImageWspolrzedne, 0, 2);

    QGroupBox* gUsl = group(QStringLiteral("Usługi"), this);
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
        auto* l = new QLabel(QString::fromLatin1(s.caption), gUsl);
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
    ImageTauronBsa = imageButton(markerIcon(), QStringLiteral("Adres w bazie punktów TAURON BSA"), gUsl);
    ImageTauronBsa->installEventFilter(this);
    ImageTauronBsa->hide();
    sl->addWidget(ImageTauronBsa);
    gridOf(gUsl)->addLayout(sl, 0, 0);

    auto* geoUsl = new QHBoxLayout;
    geoUsl->setSpacing(6);
    geoUsl->addWidget(gGeo, 3);
    geoUsl->addWidget(gUsl, 2);
    col3->addLayout(geoUsl);
    col3->addStretch(1);

    // ---- device grid in its resizable panel
    GripPanel1 = new TGripPanel(this);
    GripPanel1->setObjectName(QStringLiteral("GripPanel1"));
    GripPanel1->SetAlign(alBottom);
    GripPanel1->SetMinSize(60);
    auto* gl = new QVBoxLayout(GripPanel1);
    gl->setContentsMargins(0, 0, 0, 0);
    DBGrid1 = new TCardGrid(QStringLiteral("DBGrid1"), DeviceGridColumns(), GripPanel1);
    gl->addWidget(DBGrid1);
    root->addWidget(GripPanel1);
    GripPanel1->SetSize(130);

    for (TDbText* t : m_texts) {
        if (!t->IsLink()) continue;
        connect(t, &TDbText::Clicked, this, [this, t] { emit LinkClicked(t->Field()); });
    }
    connect(ImageAdres, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("vU_ADR_Adres")); });
    connect(ImageLokalizacja, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("vU_LOK_Adres2")); });
    connect(ImageKoresp, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("vU_KOR_Adres")); });
    connect(ImageGg, &QToolButton::clicked, this, [this] { emit LinkClicked(QStringLiteral("U_NRGG")); });
    connect(ImageWspolrzedne, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("U_GEOLOK")); });
}

bool TUserDanePodstawowe::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonDblClick) {
        if (o == ImageTauronBsa) {
            emit TauronDoubleClicked();
            return true;
        }
        if (o == PanelTeryt ||
            (qobject_cast<QWidget*>(o) && static_cast<QWidget*>(o)->parent() == PanelTeryt)) {
            emit TerytDoubleClicked();
            return true;
        }
    }
    return QWidget::eventFilter(o, e);
}

void TUserDanePodstawowe::ShowRecord(const TQuery* q)
{
    for (TDbText* t : m_texts) {
        const TField* f = field(q, t->Field());
        QString v = f ? f->AsString() : QString();
        v.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (f && isMoney(t->Field())) v = cardMoneyText(f->AsCurrency());
        t->setText(v);
        // A value cut by a narrow field is read whole in the hint; links keep their own hint.
        if (!t->IsLink() && t->property("fixedHint").isNull()) t->setToolTip(v);
    }
    const TField* uwagi = field(q, QStringLiteral("U_UWAGI"));
    MemoUwagi->setPlainText(uwagi ? uwagi->AsString() : QString());

    LabelNaliczanie->setText(AutoInvoicingText(intOf(q, "U_AUTOMATYCZNEFAKTURY")));
    LabelWydruk->setText(SalesPrintText(intOf(q, "U_RODZAJWYDRUKUFV"), GlobalRodzajWydruku));
    LabelIndywidForma->setText(YesNoText(intOf(q, "U_CZYINDYWTERMINPLATNOSCI")));
    const int innaLok = intOf(q, "U_CZYINNALOKALIZACJA");
    LabelInnaLokalizacja->setText(YesNoText(innaLok));
    if (TDbText* lok = Text(QStringLiteral("vU_LOK_Adres2"))) {
        QPalette pal = lok->palette();
        pal.setColor(QPalette::WindowText,
                     innaLok == 1 ? QColor(Qt::red) : palette().color(QPalette::WindowText));
        lok->setPalette(pal);
    }
    LabelAdresKoresp->setText(YesNoText(intOf(q, "U_CZYADRESDOKORESP")));
    GroupAutoryzacja->setTitle(AuthorizationCaption(intOf(q, "U_CZYPOMINNADRUKIBOK")));
    const int firma = intOf(q, "U_CZYFIRMA");
    LabelFirma->setText(CompanyKindText(firma));
    QPalette pf = LabelFirma->palette();
    pf.setColor(QPalette::WindowText, firma == 1 ? QColor(Qt::red) : QColor(Qt::gray));
    LabelFirma->setPalette(pf);

    // The balance is green from 0 up and red below.
    if (TDbText* saldo = Text(QStringLiteral("U_SALDO"))) {
        const TField* f = field(q, QStringLiteral("U_SALDO"));
        QPalette ps = saldo->palette();
        ps.setColor(QPalette::WindowText,
                    !f || f->AsCurrency() >= Amount4() ? QColor(Qt::darkGreen) : QColor(Qt::red));
        saldo->setPalette(ps);
    }
}

void TUserDanePodstawowe::ShowServices(const TQuery* q)
{
    const std::pair<QLabel*, const char*> panels[] = {{PanelRd, "U_USL_RADIO"},
                                                      {PanelTel, "U_USL_TELEFON"},
                                                      {PanelTv, "U_USL_TV"},
                                                      {PanelInt, "U_USL_INTERNET"}};
    for (const auto& [panel, name] : panels)
        panel->setVisible(intOf(q, name) == 1);
}
