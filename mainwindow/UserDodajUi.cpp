// The subscriber editor's three tabs and their group boxes.
#include "core/DateTimePicker.h"
#include "mainwindow/UserDodaj.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* Caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QToolButton* SmallButton(const QString& text, const QString& hint, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QToolButton* ClearButton(QWidget* parent)
{
    return SmallButton(QStringLiteral("X"), QStringLiteral("Wyczyść"), parent);
}

TDateTimePicker* Picker(bool checkable, QWidget* parent)
{
    auto* p = new TDateTimePicker(parent);
    p->SetShowCheckbox(checkable);
    return p;
}

// A row of a street with its house and flat numbers.
QWidget* StreetRow(QLineEdit* street, QLineEdit* house, QLineEdit* flat, QWidget* parent)
{
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(street, 1);
    l->addWidget(Caption(QStringLiteral("/"), w));
    house->setMaximumWidth(70);
    flat->setMaximumWidth(70);
    l->addWidget(house);
    l->addWidget(flat);
    return w;
}

} // namespace

QLineEdit* TFormUserDodaj::text(const QString& field, QWidget* parent, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(field);
    if (maxLength > 0) e->setMaxLength(maxLength);
    m_binder.Text(e, field);
    return e;
}

QComboBox* TFormUserDodaj::townCombo(const QString& field, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(field);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->lineEdit()->setMaxLength(80);
    m_binder.Combo(c, field);
    return c;
}

QCheckBox* TFormUserDodaj::check(const QString& caption, const QString& field, QWidget* parent)
{
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(field);
    m_binder.Check(b, field);
    return b;
}

void TFormUserDodaj::buildUi()
{
    setWindowTitle(QStringLiteral("Użytkownik"));
    LabelNaglowek = new QLabel(this);
    LabelNaglowek->setObjectName(QStringLiteral("LabelNaglowek"));
    LabelNaglowek->setTextFormat(Qt::PlainText);
    QFont bold = LabelNaglowek->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    LabelNaglowek->setFont(bold);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(buildBasicTab(), QStringLiteral("Informacje podstawowe"));
    PageControl1->addTab(buildExtraTab(), QStringLiteral("Informacje dodatkowe"));
    PageControl1->addTab(buildAddressTab(), QStringLiteral("Adresy i lokalizacja"));

    BitBtnZapisz = new QPushButton(QStringLiteral("Zapisz"), this);
    BitBtnZapisz->setObjectName(QStringLiteral("BitBtnZapisz"));
    BitBtnZapisz->setAutoDefault(false);
    BitBtnAnuluj = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtnAnuluj->setObjectName(QStringLiteral("BitBtnAnuluj"));
    BitBtnAnuluj->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtnZapisz);
    buttons->addWidget(BitBtnAnuluj);

    auto* l = new QVBoxLayout(this);
    l->addWidget(LabelNaglowek);
    l->addWidget(PageControl1, 1);
    l->addLayout(buttons);
}

// ---------------------------------------------------------------- "Informacje podstawowe"

QGroupBox* TFormUserDodaj::buildAddressBox(QWidget* parent)
{
    GroupDaneAdresowe = new QGroupBox(QStringLiteral("Dane adresowe"), parent);
    auto* g = new QGridLayout(GroupDaneAdresowe);
    int row = 0;
    auto add = [&](const QString& caption, QWidget* w, int span = 3) {
        g->addWidget(Caption(caption, GroupDaneAdresowe), row, 0);
        g->addWidget(w, row++, 1, 1, span);
    };
    add(QStringLiteral("Nazwisko/Nazwa"), text(QStringLiteral("U_NAZWISKO"), GroupDaneAdresowe, 125));
    add(QStringLiteral("Imię/Nazwa"), text(QStringLiteral("U_IMIE"), GroupDaneAdresowe, 125));
    add(QStringLiteral("Ulica"),
        StreetRow(text(QStringLiteral("U_ADR_ULICA"), GroupDaneAdresowe, 80),
                  text(QStringLiteral("U_ADR_NRDOMU"), GroupDaneAdresowe, 20),
                  text(QStringLiteral("U_ADR_NRLOKALU"), GroupDaneAdresowe, 20), GroupDaneAdresowe));
    add(QStringLiteral("Kod pocztowy"), text(QStringLiteral("U_ADR_KOD"), GroupDaneAdresowe, 6));
    add(QStringLiteral("Miejscowość"), townCombo(QStringLiteral("U_ADR_MIEJSCOWOSC"), GroupDaneAdresowe));
    add(QStringLiteral("Poczta"), townCombo(QStringLiteral("U_ADR_POCZTA"), GroupDaneAdresowe));
    add(QStringLiteral("Nr dowodu"), text(QStringLiteral("U_NRDOWODU"), GroupDaneAdresowe, 30));
    add(QStringLiteral("PESEL"), text(QStringLiteral("U_PESEL"), GroupDaneAdresowe, 30));
    auto* nipRow = new QWidget(GroupDaneAdresowe);
    auto* nl = new QHBoxLayout(nipRow);
    nl->setContentsMargins(0, 0, 0, 0);
    QLineEdit* nip = text(QStringLiteral("U_NIP"), nipRow, 20);
    QFont bold = nip->font();
    bold.setBold(true);
    nip->setFont(bold);
    SpeedButtonNip = SmallButton(QStringLiteral("KRS"), QStringLiteral("Wyszukaj w KRS"), nipRow);
    SpeedButtonNip->setObjectName(QStringLiteral("SpeedButtonNip"));
    nl->addWidget(nip, 1);
    nl->addWidget(SpeedButtonNip);
    add(QStringLiteral("NIP"), nipRow);
    add(QStringLiteral("Telefon 1"), text(QStringLiteral("U_TEL1"), GroupDaneAdresowe, 100));
    add(QStringLiteral("Telefon 2"), text(QStringLiteral("U_TEL2"), GroupDaneAdresowe, 100));
    add(QStringLiteral("email"), text(QStringLiteral("U_EMAIL"), GroupDaneAdresowe, 250));
    add(QStringLiteral("GG"), text(QStringLiteral("U_NRGG"), GroupDaneAdresowe, 30));
    add(QStringLiteral("Nr klienta"), text(QStringLiteral("U_NRKLIENTA"), GroupDaneAdresowe, 10), 1);
    g->addWidget(check(QStringLiteral("Poczekalnia"), QStringLiteral("U_POCZEKALNIA"), GroupDaneAdresowe),
                 row, 2);
    g->addWidget(check(QStringLiteral("Firma"), QStringLiteral("U_CZYFIRMA"), GroupDaneAdresowe), row, 3);
    g->setColumnStretch(1, 1);
    return GroupDaneAdresowe;
}

QGroupBox* TFormUserDodaj::buildBillingBox(QWidget* parent)
{
    auto* box = new QGroupBox(QStringLiteral("Rozliczenia"), parent);
    auto* g = new QGridLayout(box);
    auto* forma = new QComboBox(box);
    forma->setObjectName(QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"));
    m_binder.Key(forma, QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"));
    g->addWidget(Caption(QStringLiteral("Forma płatności"), box), 0, 0);
    g->addWidget(forma, 0, 1);
    g->addWidget(Caption(QStringLiteral("Termin (dni)"), box), 0, 2);
    QLineEdit* term = text(QStringLiteral("U_INDYWTERMINPLATNOSCI"), box, 5);
    term->setMaximumWidth(60);
    g->addWidget(term, 0, 3);
    g->addWidget(check(QStringLiteral("Indywidalna forma płatności"),
                       QStringLiteral("U_CZYINDYWTERMINPLATNOSCI"), box),
                 1, 0, 1, 4);
    DataDodania = Picker(false, box);
    DataAktywacji = Picker(true, box);
    DataDeaktywacji = Picker(true, box);
    const std::pair<const char*, TDateTimePicker*> dates[] = {{"Data dodania", DataDodania},
                                                              {"Data aktywacji", DataAktywacji},
                                                              {"Data deaktywacji", DataDeaktywacji}};
    int row = 2;
    for (const auto& [caption, picker] : dates) {
        g->addWidget(Caption(QString::fromUtf8(caption), box), row, 0);
        g->addWidget(picker, row++, 1, 1, 3);
    }
    auto* podmiot = new QComboBox(box);
    podmiot->setObjectName(QStringLiteral("U_PODMIOT"));
    m_binder.Key(podmiot, QStringLiteral("U_PODMIOT"));
    g->addWidget(Caption(QStringLiteral("Podmiot"), box), row, 0);
    g->addWidget(podmiot, row++, 1, 1, 3);

    auto* naliczanie = new QGroupBox(QStringLiteral("Naliczanie należności"), box);
    auto* nl = new QGridLayout(naliczanie);
    RadioNaliczanie = new QButtonGroup(naliczanie);
    const std::pair<const char*, int> modes[] = {
        {"faktura", 1}, {"polecenie zapłaty", 2}, {"na podstawie PM", 3}, {"brak", 0}};
    int i = 0;
    for (const auto& [caption, id] : modes) {
        auto* r = new QRadioButton(QString::fromUtf8(caption), naliczanie);
        RadioNaliczanie->addButton(r, id);
        nl->addWidget(r, i / 2, i % 2);
        ++i;
    }
    m_binder.Radio(RadioNaliczanie, QStringLiteral("U_AUTOMATYCZNEFAKTURY"));
    g->addWidget(naliczanie, row, 0, 1, 4);
    g->setColumnStretch(1, 1);
    return box;
}

QWidget* TFormUserDodaj::buildBasicTab()
{
    auto* tab = new QWidget(this);
    auto* cols = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    cols->addLayout(left, 1);
    cols->addLayout(right, 1);
    left->addWidget(buildAddressBox(tab));

    auto* authBand = new QHBoxLayout;
    auto* auth = new QGroupBox(QStringLiteral("Autoryzacja"), tab);
    auto* al = new QGridLayout(auth);
    al->addWidget(Caption(QStringLiteral("Login"), auth), 0, 0);
    al->addWidget(text(QStringLiteral("U_LOGIN"), auth, 50), 0, 1);
    al->addWidget(Caption(QStringLiteral("Hasło"), auth), 1, 0);
    al->addWidget(text(QStringLiteral("U_HASLO"), auth, 50), 1, 1);
    authBand->addWidget(auth, 1);
    auto* band = new QGroupBox(QStringLiteral("Pasmo (bit/s)"), tab);
    auto* bl = new QGridLayout(band);
    const std::pair<const char*, const char*> bandwidth[] = {{"Download", "U_PASMODOWNLOADDZIENTXT"},
                                                             {"Upload", "U_PASMOUPLOADDZIENTXT"},
                                                             {"Down (Noc)", "U_PASMODOWNLOADNOCTXT"},
                                                             {"Up (Noc)", "U_PASMOUPLOADNOCTXT"}};
    int i = 0;
    for (const auto& [caption, field] : bandwidth) {
        bl->addWidget(Caption(QString::fromUtf8(caption), band), i / 2, (i % 2) * 2);
        QLineEdit* e = text(QString::fromLatin1(field), band, 50);
        e->setMinimumWidth(60);
        e->installEventFilter(this);
        bl->addWidget(e, i / 2, (i % 2) * 2 + 1);
        ++i;
    }
    ButtonPasmoPlus = SmallButton(QStringLiteral("+"), QStringLiteral("Definicje pasma"), band);
    ButtonTaryfa = SmallButton(QStringLiteral("T"), QStringLiteral("Wybierz taryfę"), band);
    bl->addWidget(ButtonPasmoPlus, 0, 4);
    bl->addWidget(ButtonTaryfa, 1, 4);
    authBand->addWidget(band, 2);
    left->addLayout(authBand);
    auto* uwagi = new QGroupBox(QStringLiteral("Uwagi"), tab);
    auto* ul = new QVBoxLayout(uwagi);
    auto* memo = new QPlainTextEdit(uwagi);
    memo->setObjectName(QStringLiteral("U_UWAGI"));
    memo->setTabChangesFocus(true);
    m_binder.Memo(memo, QStringLiteral("U_UWAGI"));
    ul->addWidget(memo);
    left->addWidget(uwagi, 1);

    right->addWidget(buildBillingBox(tab));
    auto* wydruki = new QGroupBox(QStringLiteral("Wydruki dokumentów sprzedaży"), tab);
    auto* wl = new QGridLayout(wydruki);
    RadioWydruki = new QButtonGroup(wydruki);
    const char* prints[] = {"ustawienia globalne", "z drukiem przelewu", "bez nadruku",
                            "z listą nierozlliczonych"};
    for (int id = 0; id < 4; ++id) {
        auto* r = new QRadioButton(QString::fromUtf8(prints[id]), wydruki);
        RadioWydruki->addButton(r, id);
        wl->addWidget(r, id % 2, id / 2);
    }
    m_binder.Radio(RadioWydruki, QStringLiteral("U_RODZAJWYDRUKUFV"));
    right->addWidget(wydruki);

    auto* notatki = new QGroupBox(QStringLiteral("Notatki"), tab);
    auto* nl = new QGridLayout(notatki);
    ButtonNotatka1Clear = ClearButton(notatki);
    ButtonNotatka2Clear = ClearButton(notatki);
    nl->addWidget(Caption(QStringLiteral("Notatka 1"), notatki), 0, 0);
    nl->addWidget(text(QStringLiteral("U_NOTATKA"), notatki, 200), 0, 1);
    nl->addWidget(ButtonNotatka1Clear, 0, 2);
    nl->addWidget(Caption(QStringLiteral("Notatka 2"), notatki), 1, 0);
    nl->addWidget(text(QStringLiteral("U_NOTATKA2"), notatki, 200), 1, 1);
    nl->addWidget(ButtonNotatka2Clear, 1, 2);
    right->addWidget(notatki);

    auto* terminarz = new QGroupBox(QStringLiteral("Terminarz"), tab);
    auto* tl = new QHBoxLayout(terminarz);
    DataTerminarza = Picker(true, terminarz);
    ButtonTerminarzClear = ClearButton(terminarz);
    tl->addWidget(text(QStringLiteral("U_TERMINARZOPIS"), terminarz, 150), 1);
    tl->addWidget(DataTerminarza);
    tl->addWidget(ButtonTerminarzClear);
    right->addWidget(terminarz);
    right->addStretch(1);
    return tab;
}

// ---------------------------------------------------------------- "Informacje dodatkowe"

QGroupBox* TFormUserDodaj::buildArrearsBox(QWidget* parent)
{
    auto* box = new QGroupBox(QStringLiteral("Zaległości i blokady"), parent);
    auto* g = new QGridLayout(box);
    DataWykluczenia = Picker(true, box);
    g->addWidget(Caption(QStringLiteral("Wyklucz z blokad do dnia"), box), 0, 0);
    g->addWidget(DataWykluczenia, 0, 1, 1, 2);
    QLineEdit* delay = text(QStringLiteral("U_OPOZNIENIEBLOKADY"), box, 6);
    QLineEdit* ahead = text(QStringLiteral("U_WYPRZEDZENIEPOWIADOMIEN"), box, 6);
    BlokujZKorekta = new QLineEdit(box);
    BlokujZKorekta->setObjectName(QStringLiteral("U_BlokujZKorekta"));
    BlokujZKorekta->setToolTip(QStringLiteral("Tyle dni po terminie zapłaty będzie zablokowany"));
    PowiadamiajZKorekta = new QLineEdit(box);
    PowiadamiajZKorekta->setObjectName(QStringLiteral("U_PowiadamiajZKorekta"));
    PowiadamiajZKorekta->setToolTip(QStringLiteral("Tyle dni przed zablokowaniem będzie powiadamiany"));
    for (QLineEdit* e : {delay, ahead, BlokujZKorekta, PowiadamiajZKorekta})
        e->setMaximumWidth(70);
    for (QLineEdit* e : {BlokujZKorekta, PowiadamiajZKorekta})
        e->setReadOnly(true);
    g->addWidget(Caption(QStringLiteral("Dodatkowe opóźnienie blokady (dni)"), box), 1, 0);
    g->addWidget(delay, 1, 1);
    g->addWidget(BlokujZKorekta, 1, 2);
    g->addWidget(Caption(QStringLiteral("Dodatkowe wyprzedzenie powiadomień (dni)"), box), 2, 0);
    g->addWidget(ahead, 2, 1);
    g->addWidget(PowiadamiajZKorekta, 2, 2);
    QLineEdit* since = text(QStringLiteral("U_ODKIEDYWYKLUCZONYZBLOKAD"), box);
    since->setReadOnly(true);
    g->addWidget(Caption(QStringLiteral("Data początku wykluczenia z blokad"), box), 3, 0);
    g->addWidget(since, 3, 1, 1, 2);
    g->setColumnStretch(3, 1);
    return box;
}

QWidget* TFormUserDodaj::buildExtraTab()
{
    auto* tab = new QWidget(this);
    auto* cols = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    cols->addLayout(left, 1);
    cols->addLayout(right, 1);

    auto* grupy = new QGroupBox(QStringLiteral("Przynależność do grupy"), tab);
    auto* gl = new QGridLayout(grupy);
    for (int i = 0; i < 10; ++i) {
        const QString field = QStringLiteral("U_GRUPA%1").arg(i + 1);
        auto* c = new QComboBox(grupy);
        c->setObjectName(field);
        c->setMaxVisibleItems(16);
        m_binder.Key(c, field);
        ButtonGrupaClear[i] = ClearButton(grupy);
        gl->addWidget(Caption(QStringLiteral("%1.").arg(i + 1), grupy), i, 0);
        gl->addWidget(c, i, 1);
        gl->addWidget(ButtonGrupaClear[i], i, 2);
    }
    ButtonGrupyPlus = SmallButton(QStringLiteral("+"), QStringLiteral("Definicje grup"), grupy);
    gl->addWidget(ButtonGrupyPlus, 0, 3);
    gl->setColumnStretch(1, 1);
    left->addWidget(grupy);

    auto* opcje = new QGroupBox(QStringLiteral("Opcje"), tab);
    auto* ol = new QVBoxLayout(opcje);
    ol->addWidget(check(QStringLiteral("Użytkownik zaznaczony"), QStringLiteral("U_ZAZNACZ"), opcje));
    ol->addWidget(
        check(QStringLiteral("Korespondencja seryjna"), QStringLiteral("U_CZYKORESPSERYJNA"), opcje));
    ol->addWidget(check(QStringLiteral("Pomiń na dokumentach nadruk autoryzacji vOVE"),
                        QStringLiteral("U_CZYPOMINNADRUKIBOK"), opcje));
    ol->addWidget(check(QStringLiteral("Pomiń na dokumentach nadruk salda"),
                        QStringLiteral("U_CZYPOMINACWYDRUKSALDA"), opcje));
    left->addWidget(opcje);
    left->addWidget(buildArrearsBox(tab));
    left->addStretch(1);

    auto* bank = new QGroupBox(QStringLiteral("Bank - numery rachunków bankowych klienta (subkonta)"), tab);
    auto* bl = new QGridLayout(bank);
    bl->addWidget(Caption(QStringLiteral("Rachunek podstawowy"), bank), 0, 0);
    bl->addWidget(text(QStringLiteral("U_NRRACHUNKU1"), bank, 50), 0, 1, 1, 3);
    bl->addWidget(Caption(QStringLiteral("Rachunek dodatkowy"), bank), 1, 0);
    bl->addWidget(text(QStringLiteral("U_NRRACHUNKU2"), bank, 50), 1, 1, 1, 3);
    ButtonGeneruj = new QPushButton(QStringLiteral("Generuj"), bank);
    ButtonSprawdz = new QPushButton(QStringLiteral("Sprawdź"), bank);
    ButtonZamien = new QPushButton(QStringLiteral("Zamień"), bank);
    int c = 1;
    for (QPushButton* b : {ButtonGeneruj, ButtonSprawdz, ButtonZamien}) {
        b->setAutoDefault(false);
        bl->addWidget(b, 2, c++);
    }
    bl->setColumnStretch(1, 1);
    right->addWidget(bank);

    auto* vars = new QGroupBox(QStringLiteral("Zmienne tekstowe"), tab);
    auto* vl = new QGridLayout(vars);
    for (int i = 0; i < 7; ++i) {
        ZmiennaOpis[i] = Caption(QStringLiteral("Opis zmiennej %1").arg(i + 1), vars);
        vl->addWidget(ZmiennaOpis[i], i, 0);
        vl->addWidget(text(QStringLiteral("U_ZMIENNATXT%1").arg(i + 1), vars, 255), i, 1);
    }
    vl->setColumnStretch(1, 1);
    right->addWidget(vars);

    auto* uslugi = new QGroupBox(QStringLiteral("Świadczone usługi"), tab);
    auto* sl = new QHBoxLayout(uslugi);
    sl->addWidget(check(QStringLiteral("Internet"), QStringLiteral("U_USL_INTERNET"), uslugi));
    sl->addWidget(check(QStringLiteral("Telewizja"), QStringLiteral("U_USL_TV"), uslugi));
    sl->addWidget(check(QStringLiteral("Telefon"), QStringLiteral("U_USL_TELEFON"), uslugi));
    sl->addWidget(check(QStringLiteral("Radio"), QStringLiteral("U_USL_RADIO"), uslugi));
    right->addWidget(uslugi);
    right->addStretch(1);
    return tab;
}

// ---------------------------------------------------------------- "Adresy i lokalizacja"

QGroupBox* TFormUserDodaj::buildInstallBox(QWidget* parent)
{
    auto* box = new QGroupBox(QStringLiteral("Adres instalacji"), parent);
    auto* g = new QGridLayout(box);
    g->addWidget(
        check(QStringLiteral("Instalacja w innej lokalizacji"), QStringLiteral("U_CZYINNALOKALIZACJA"), box),
        0, 0, 1, 2);
    int row = 1;
    auto add = [&](const QString& caption, QWidget* w) {
        g->addWidget(Caption(caption, box), row, 0);
        g->addWidget(w, row++, 1);
    };
    add(QStringLiteral("Nazwa"), text(QStringLiteral("U_LOK_NAZWA"), box, 200));
    add(QStringLiteral("Ulica"),
        StreetRow(text(QStringLiteral("U_LOK_ULICA"), box, 80), text(QStringLiteral("U_LOK_NRDOMU"), box, 20),
                  text(QStringLiteral("U_LOK_NRLOKALU"), box, 20), box));
    add(QStringLiteral("Kod"), text(QStringLiteral("U_LOK_KOD"), box, 6));
    add(QStringLiteral("Miejscowość"), text(QStringLiteral("U_LOK_MIEJSCOWOSC"), box, 80));
    add(QStringLiteral("Poczta"), text(QStringLiteral("U_LOK_POCZTA"), box, 80));
    ButtonKopiujAdres = new QPushButton(QStringLiteral("Kopiuj do adresu korespondencyjnego"), box);
    ButtonKopiujAdres->setAutoDefault(false);
    g->addWidget(ButtonKopiujAdres, row, 1, Qt::AlignRight);
    g->setColumnStretch(1, 1);
    return box;
}

QGroupBox* TFormUserDodaj::buildCorrespondenceBox(QWidget* parent)
{
    auto* box = new QGroupBox(QStringLiteral("Adres do korespondencji/Odbiorca"), parent);
    auto* g = new QGridLayout(box);
    g->addWidget(check(QStringLiteral("Adres do korespondencji i odbiorca na fakturze (Podmiot 3)"),
                       QStringLiteral("U_CZYADRESDOKORESP"), box),
                 0, 0, 1, 2);
    int row = 1;
    auto add = [&](const QString& caption, QWidget* w) {
        g->addWidget(Caption(caption, box), row, 0);
        g->addWidget(w, row++, 1);
    };
    add(QStringLiteral("Nazwa"), text(QStringLiteral("U_KOR_NAZWA"), box, 200));
    add(QStringLiteral("Ulica"),
        StreetRow(text(QStringLiteral("U_KOR_ULICA"), box, 80), text(QStringLiteral("U_KOR_NRDOMU"), box, 20),
                  text(QStringLiteral("U_KOR_NRLOKALU"), box, 20), box));
    add(QStringLiteral("Kod"), text(QStringLiteral("U_KOR_KOD"), box, 6));
    add(QStringLiteral("Miejscowość"), text(QStringLiteral("U_KOR_MIEJSCOWOSC"), box, 80));
    add(QStringLiteral("Poczta"), text(QStringLiteral("U_KOR_POCZTA"), box, 80));
    auto* nipRow = new QWidget(box);
    auto* nl = new QHBoxLayout(nipRow);
    nl->setContentsMargins(0, 0, 0, 0);
    nl->addWidget(text(QStringLiteral("U_NIP2"), nipRow, 20), 1);
    SpeedButtonNip2 = SmallButton(QStringLiteral("KRS"), QStringLiteral("Wyszukaj w KRS"), nipRow);
    SpeedButtonNip2->setObjectName(QStringLiteral("SpeedButtonNip2"));
    nl->addWidget(SpeedButtonNip2);
    add(QStringLiteral("NIP"), nipRow);
    auto* rola = new QComboBox(box);
    rola->setObjectName(QStringLiteral("U_KOR_ROLA"));
    // The roles a third party may have on an e-invoice.
    const std::pair<int, const char*> roles[] = {{1, "Faktor"},
                                                 {2, "Odbiorca"},
                                                 {4, "Dodatkowy nabywca"},
                                                 {5, "Wystawca faktury"},
                                                 {6, "Dokonujący płatności"},
                                                 {7, "JST - wystawca"},
                                                 {8, "JST - odbiorca"},
                                                 {10, "Członek grupy VAT - odbiorca"},
                                                 {11, "Pracownik"}};
    for (const auto& [code, name] : roles)
        rola->addItem(QStringLiteral("%1 - %2").arg(code).arg(QString::fromUtf8(name)),
                      QString::number(code));
    rola->installEventFilter(this);
    m_binder.Key(rola, QStringLiteral("U_KOR_ROLA"));
    add(QStringLiteral("Rola"), rola);
    auto* jst = new QCheckBox(QStringLiteral("JST podległa"), box);
    jst->setObjectName(QStringLiteral("U_KOR_JST"));
    m_binder.Check(jst, QStringLiteral("U_KOR_JST"), 1, 2);
    g->addWidget(jst, row++, 1);
    add(QStringLiteral("IDWew"), text(QStringLiteral("U_KOR_IDWEW"), box, 50));
    g->setColumnStretch(1, 1);
    return box;
}

QWidget* TFormUserDodaj::buildAddressTab()
{
    auto* tab = new QWidget(this);
    auto* cols = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    cols->addLayout(left, 1);
    cols->addLayout(right, 1);
    left->addWidget(buildInstallBox(tab));
    auto* geo = new QGroupBox(QStringLiteral("Geolokalizacja"), tab);
    auto* gl = new QGridLayout(geo);
    gl->addWidget(Caption(QStringLiteral("Szer."), geo), 0, 0);
    gl->addWidget(text(QStringLiteral("U_GEOLOK_SZEROKOSC"), geo, 20), 0, 1);
    gl->addWidget(Caption(QStringLiteral("Dług."), geo), 0, 2);
    gl->addWidget(text(QStringLiteral("U_GEOLOK_DLUGOSC"), geo, 20), 0, 3);
    ButtonWklejWsp = new QPushButton(QStringLiteral("Wklej współrzędne ze schowka"), geo);
    ButtonWklejWsp->setAutoDefault(false);
    gl->addWidget(ButtonWklejWsp, 1, 0, 1, 2);
    QCheckBox* manual = check(QStringLiteral("Dodane ręcznie"), QStringLiteral("U_WSPGEORECZNIE"), geo);
    manual->setToolTip(QStringLiteral("Nie będą modyfikowane automatycznie przez funkcje programu."));
    gl->addWidget(manual, 1, 2, 1, 2);
    left->addWidget(geo);
    left->addStretch(1);
    right->addWidget(buildCorrespondenceBox(tab));
    right->addStretch(1);
    return tab;
}
