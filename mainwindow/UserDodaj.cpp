#include "mainwindow/UserDodaj.h"

#include "billing/RachunkiBankowe.h"
#include "billing/SaldoBazy.h"
#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "mainwindow/Definicje.h"
#include "mainwindow/DefinicjeHooks.h"
#include "mainwindow/FerloHandOver.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/UserDodajRules.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>

std::function<bool(QString texts[4])> TFormUserDodaj::PickTariff;

namespace {

const char* const kBandwidthFields[] = {"U_PASMODOWNLOADDZIENTXT", "U_PASMOUPLOADDZIENTXT",
                                        "U_PASMODOWNLOADNOCTXT", "U_PASMOUPLOADNOCTXT"};

bool IsDigitKey(const QString& t)
{
    return t.size() == 1 && t[0] >= QLatin1Char('0') && t[0] <= QLatin1Char('9');
}

// A typed character (not a control key such as Tab, Enter or Esc).
bool IsTypedCharacter(const QKeyEvent* k)
{
    const QString t = k->text();
    return !t.isEmpty() && (t[0] >= QLatin1Char(' ') || t[0] == QLatin1Char('\b'));
}

} // namespace

TFormUserDodaj::TFormUserDodaj(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormUserDodaj"));
    QUserdb = std::make_unique<TQuery>(); // on the shared session of the moment
    QUserdb->RequestLive = true;
    QUserdb->UpdateTableName = QStringLiteral("Userdb");
    QUserdb->KeyFieldNames = QStringLiteral("U_INDEX");
    QPodmioty = std::make_unique<TQuery>();
    QPodmioty->SetSQL(QStringLiteral("select * from vPodmioty where P_CZYAKTYWNY=1 order by P_SKROT"));
    buildUi();
    connectBehaviour();
}

TFormUserDodaj::~TFormUserDodaj() = default;

QLineEdit* TFormUserDodaj::Edit(const QString& field) const
{
    QWidget* w = Control(field);
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->lineEdit();
    return qobject_cast<QLineEdit*>(w);
}

QComboBox* TFormUserDodaj::Combo(const QString& field) const
{
    return qobject_cast<QComboBox*>(Control(field));
}

QCheckBox* TFormUserDodaj::Check(const QString& field) const
{
    return qobject_cast<QCheckBox*>(Control(field));
}

int TFormUserDodaj::rowIndex() const
{
    if (!QUserdb->Active() || QUserdb->State() == dsInsert) return 0;
    return QUserdb->FieldByName(QStringLiteral("U_INDEX"))->AsInteger();
}

void TFormUserDodaj::connectBehaviour()
{
    auto guarded = [this](std::function<void()> f) { return [this, f] { RunGuarded(f); }; };
    connect(BitBtnZapisz, &QPushButton::clicked, this, guarded([this] { saveClick(); }));
    connect(BitBtnAnuluj, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit(QStringLiteral("U_NIP")), &QLineEdit::editingFinished, this,
            guarded([this] { nipExit(QStringLiteral("U_NIP"), true); }));
    connect(Edit(QStringLiteral("U_NIP2")), &QLineEdit::editingFinished, this,
            guarded([this] { nipExit(QStringLiteral("U_NIP2"), false); }));
    for (const char* field : {"U_NRKLIENTA", "U_INDYWTERMINPLATNOSCI"})
        Edit(QString::fromLatin1(field))->installEventFilter(this);
    const char* const towns[][2] = {{"U_ADR_MIEJSCOWOSC", "U_ADR_POCZTA"},
                                    {"U_LOK_MIEJSCOWOSC", "U_LOK_POCZTA"},
                                    {"U_KOR_MIEJSCOWOSC", "U_KOR_POCZTA"}};
    for (const auto& pair : towns) {
        const QString town = QString::fromLatin1(pair[0]);
        const QString post = QString::fromLatin1(pair[1]);
        connect(Edit(town), &QLineEdit::editingFinished, this,
                [this, town, post] { townExit(town, post, true); });
        connect(Edit(post), &QLineEdit::editingFinished, this,
                [this, town, post] { townExit(town, post, false); });
    }
    for (const char* field : {"U_ADR_MIEJSCOWOSC", "U_ADR_POCZTA"})
        Edit(QString::fromLatin1(field))->installEventFilter(this);
    for (const char* field : {"U_CZYINDYWTERMINPLATNOSCI", "U_CZYFIRMA"})
        connect(Check(QString::fromLatin1(field)), &QCheckBox::clicked, this,
                [this] { updatePaymentControls(); });
    for (const char* field : {"U_OPOZNIENIEBLOKADY", "U_WYPRZEDZENIEPOWIADOMIEN"})
        connect(Edit(QString::fromLatin1(field)), &QLineEdit::textChanged, this,
                [this] { updateCorrections(); });
    connect(RadioNaliczanie, &QButtonGroup::idClicked, this,
            [this](int id) { RunGuarded([this, id] { billingModeClicked(id); }); });
    for (int i = 0; i < 10; ++i)
        connect(ButtonGrupaClear[i], &QToolButton::clicked, this,
                [this, i] { Combo(QStringLiteral("U_GRUPA%1").arg(i + 1))->setCurrentIndex(0); });
    connect(ButtonNotatka1Clear, &QToolButton::clicked, this,
            [this] { Edit(QStringLiteral("U_NOTATKA"))->clear(); });
    connect(ButtonNotatka2Clear, &QToolButton::clicked, this,
            [this] { Edit(QStringLiteral("U_NOTATKA2"))->clear(); });
    connect(ButtonTerminarzClear, &QToolButton::clicked, this, [this] {
        Edit(QStringLiteral("U_TERMINARZOPIS"))->clear();
        DataTerminarza->SetChecked(false);
    });
    connect(ButtonKopiujAdres, &QPushButton::clicked, this, [this] { copyInstallAddress(); });
    connect(ButtonGeneruj, &QPushButton::clicked, this, guarded([this] {
                Edit(QStringLiteral("U_NRRACHUNKU1"))
                    ->setText(MakeVirtualAccountNrb(Edit(QStringLiteral("U_NRKLIENTA"))->text().toInt()));
            }));
    connect(ButtonSprawdz, &QPushButton::clicked, this, [this] {
        if (IsValidNrb(Edit(QStringLiteral("U_NRRACHUNKU1"))->text()))
            TMD::MessageDlg(QStringLiteral("Podstawowy numer rachunku poprawny"), mtInformation, mbOK);
        else
            TMD::MessageDlg(QStringLiteral("Błędny numer rachunku"), mtError, mbOK);
    });
    connect(ButtonZamien, &QPushButton::clicked, this, [this] {
        QLineEdit* a = Edit(QStringLiteral("U_NRRACHUNKU1"));
        QLineEdit* b = Edit(QStringLiteral("U_NRRACHUNKU2"));
        const QString first = a->text();
        a->setText(b->text());
        b->setText(first);
    });
    connect(ButtonWklejWsp, &QPushButton::clicked, this, [this] { pasteCoordinates(); });
    connect(SpeedButtonNip, &QToolButton::clicked, this, guarded([this] { lookupCompany(true); }));
    connect(SpeedButtonNip2, &QToolButton::clicked, this, guarded([this] { lookupCompany(false); }));
    connect(ButtonPasmoPlus, &QToolButton::clicked, this, guarded([this] { openDefinitions(1); }));
    connect(ButtonGrupyPlus, &QToolButton::clicked, this, guarded([this] { openDefinitions(0); }));
    connect(ButtonTaryfa, &QToolButton::clicked, this, guarded([this] {
                if (!PickTariff) return ShowNotAvailable(QStringLiteral("Wybierz taryfę"));
                QString texts[4];
                if (!PickTariff(texts)) return;
                for (int i = 0; i < 4; ++i)
                    Edit(QString::fromLatin1(kBandwidthFields[i]))->setText(texts[i]);
            }));
}

// ---------------------------------------------------------------- show and hide

void TFormUserDodaj::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (m_shown) return;
    m_shown = true;
    RunGuarded([this] { onShow(); });
}

void TFormUserDodaj::hideEvent(QHideEvent* e)
{
    TFormEx::hideEvent(e);
    m_shown = false;
    if (QPodmioty) QPodmioty->Close();
}

void TFormUserDodaj::fillPodmioty()
{
    auto* c = Combo(QStringLiteral("U_PODMIOT"));
    c->clear();
    QPodmioty->Close();
    QPodmioty->Open();
    for (QPodmioty->First(); !QPodmioty->Eof(); QPodmioty->Next())
        c->addItem(QPodmioty->FieldByName(QStringLiteral("P_NazwaPelna"))->AsString(),
                   QPodmioty->FieldByName(QStringLiteral("P_INDEX"))->AsString());
    c->setEnabled(true);
    c->setMaxVisibleItems(
        qMax(1, GlobalSession()->GetQueryValueAsInteger(QStringLiteral("select count(1) from vPodmioty"))));
}

void TFormUserDodaj::fillGroupLists()
{
    auto groups = GlobalSession()->OpenQuery(QStringLiteral("select * from Grupy order by GR_NAZWA"));
    auto* forma = Combo(QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"));
    forma->clear();
    for (const QString& name : GlobalSession()->GetQueryValuesAsList(
             QStringLiteral("select FP_NAZWA from FormyPlatnosci order by FP_NAZWA")))
        forma->addItem(name, name);
    for (int i = 1; i <= 10; ++i) {
        QComboBox* c = Combo(QStringLiteral("U_GRUPA%1").arg(i));
        c->clear();
        c->addItem(QString(), QString()); // no group
        for (groups->First(); !groups->Eof(); groups->Next())
            c->addItem(groups->FieldByName(QStringLiteral("GR_NAZWA"))->AsString(),
                       groups->FieldByName(QStringLiteral("GR_INDEX"))->AsString());
    }
}

void TFormUserDodaj::onShow()
{
    SetDropShadow(true);
    TQuery& q = *QUserdb;
    GroupDaneAdresowe->setTitle(
        QStringLiteral("Parametry (ID:%1)").arg(q.FieldByName(QStringLiteral("U_INDEX"))->AsString()));
    PageControl1->setCurrentIndex(0);
    Edit(QStringLiteral("U_NAZWISKO"))->setFocus();
    fillPodmioty();
    fillGroupLists();
    // A stored payment method no longer among the methods still shows.
    auto* forma = Combo(QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"));
    const QString method = q.FieldByName(QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"))->AsString();
    if (forma->findData(method) < 0) forma->addItem(method, method);
    m_binder.Load(q);
    LabelNaglowek->setText(QStringLiteral("Nr:klienta %1   %2 %3")
                               .arg(q.FieldByName(QStringLiteral("U_NRKLIENTA"))->AsString(),
                                    q.FieldByName(QStringLiteral("U_NAZWISKO"))->AsString(),
                                    q.FieldByName(QStringLiteral("U_IMIE"))->AsString()));
    const std::pair<TDateTimePicker*, const char*> pickers[] = {{DataDodania, "U_DATADODANIA"},
                                                                {DataAktywacji, "U_DATAAKTYWACJI"},
                                                                {DataDeaktywacji, "U_DATADEAKTYWACJI"},
                                                                {DataWykluczenia, "U_DATAWYKLUCZENIAZBLOKAD"},
                                                                {DataTerminarza, "U_TERMINARZDATA"}};
    for (const auto& [picker, field] : pickers) {
        const QDate d = q.FieldByName(QString::fromLatin1(field))->AsDate();
        picker->SetDate(d.isValid() ? d : QDate::currentDate());
        if (picker->ShowCheckbox()) picker->SetChecked(d.isValid());
    }
    const QStringList towns = GlobalSession()->GetQueryValuesAsList(QStringLiteral(
        "select distinct U_ADR_MIEJSCOWOSC from Userdb where length(U_ADR_MIEJSCOWOSC) > 0 order by "
        "U_ADR_MIEJSCOWOSC"));
    for (const char* field : {"U_ADR_MIEJSCOWOSC", "U_ADR_POCZTA"}) {
        QComboBox* c = Combo(QString::fromLatin1(field));
        const QString typed = c->currentText();
        c->clear();
        c->addItems(towns);
        c->setEditText(typed);
    }
    for (int i = 0; i < 7; ++i)
        ZmiennaOpis[i]->setText(ReadIniString(0, QStringLiteral("ZmiennaTxtOpis%1").arg(i + 1),
                                              QStringLiteral("Opis zmiennej %1").arg(i + 1)));
    auto t = [&](int i) { return Edit(QString::fromLatin1(kBandwidthFields[i]))->text(); };
    BandwidthAtShow = BandwidthSummary(t(0), t(1), t(2), t(3));
    m_exclusionDateAtShow = q.FieldByName(QStringLiteral("U_DATAWYKLUCZENIAZBLOKAD"))->AsString();
    updatePaymentControls();
    updateCorrections();
    nipExit(QStringLiteral("U_NIP"), true);
}

// ---------------------------------------------------------------- save

void TFormUserDodaj::storeDates()
{
    TQuery& q = *QUserdb;
    q.FieldByName(QStringLiteral("U_DATADODANIA"))->SetAsDate(DataDodania->Date());
    // An unticked date is the empty date (the columns hold no NULL).
    const std::pair<TDateTimePicker*, const char*> pickers[] = {{DataAktywacji, "U_DATAAKTYWACJI"},
                                                                {DataDeaktywacji, "U_DATADEAKTYWACJI"},
                                                                {DataWykluczenia, "U_DATAWYKLUCZENIAZBLOKAD"},
                                                                {DataTerminarza, "U_TERMINARZDATA"}};
    for (const auto& [picker, field] : pickers)
        q.FieldByName(QString::fromLatin1(field))->SetAsDate(picker->Checked() ? picker->Date() : QDate());
    const QString exclusion = q.FieldByName(QStringLiteral("U_DATAWYKLUCZENIAZBLOKAD"))->AsString();
    TField* since = q.FieldByName(QStringLiteral("U_ODKIEDYWYKLUCZONYZBLOKAD"));
    if (exclusion != m_exclusionDateAtShow) since->SetAsDate(QDate::currentDate());
    if (exclusion.isEmpty()) since->SetAsDate(QDate());
}

void TFormUserDodaj::saveClick()
{
    TQuery& q = *QUserdb;
    nipExit(QStringLiteral("U_NIP"), true);
    nipExit(QStringLiteral("U_NIP2"), false);
    m_binder.Store(q);
    const QString focus = CheckSubscriberBeforeSave(
        q, BandwidthAtShow, [](const QString& text, unsigned char kind, unsigned buttons) {
            return TMD::MessageDlg(text, kind, buttons);
        });
    if (!focus.isEmpty()) {
        if (QWidget* w = Control(focus)) {
            for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
                if (PageControl1->indexOf(p) >= 0) PageControl1->setCurrentWidget(p);
            w->setFocus();
        }
        return;
    }
    storeDates();
    accept();
}

// ---------------------------------------------------------------- field behaviour

bool TFormUserDodaj::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const QString name = watched->objectName();
        if (!IsTypedCharacter(k)) return TFormEx::eventFilter(watched, e);
        const QString t = k->text();
        if (name == QLatin1String("U_KOR_ROLA")) return true;
        if (name.startsWith(QLatin1String("U_PASMO")))
            return !(IsDigitKey(t) || t == QLatin1String("k") || t == QLatin1String("M") ||
                     t == QLatin1String("\b"));
        if (name == QLatin1String("U_NRKLIENTA") || name == QLatin1String("U_INDYWTERMINPLATNOSCI")) {
            if (IsDigitKey(t) || t == QLatin1String("\b")) return false;
            BeepAsync();
            return true;
        }
    } else if (e->type() == QEvent::KeyRelease) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() > 64 && k->key() < 0x01000000)
            if (auto* c = qobject_cast<QComboBox*>(static_cast<QWidget*>(watched)->parentWidget()))
                RunGuarded([this, c] { completeTowns(c); });
    }
    return TFormEx::eventFilter(watched, e);
}

void TFormUserDodaj::completeTowns(QComboBox* combo)
{
    const QString typed = combo->currentText();
    const QString like = typed + QLatin1Char('%');
    const QStringList towns = GlobalSession()->GetQueryValuesAsList(
        QStringLiteral(
            "(select distinct U_ADR_MIEJSCOWOSC from Userdb where length(U_ADR_MIEJSCOWOSC) > 0 and "
            "U_ADR_MIEJSCOWOSC like :p1) union (select distinct U_KOR_MIEJSCOWOSC from Userdb where "
            "length(U_KOR_MIEJSCOWOSC) > 0 and U_KOR_MIEJSCOWOSC like :p2) union (select distinct "
            "U_LOK_MIEJSCOWOSC from Userdb where length(U_LOK_MIEJSCOWOSC) > 0 and U_LOK_MIEJSCOWOSC "
            "like :p3) order by U_ADR_MIEJSCOWOSC"),
        {like, like, like});
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(towns);
    combo->setEditText(typed);
    combo->lineEdit()->setCursorPosition(int(typed.size()));
}

void TFormUserDodaj::townExit(const QString& town, const QString& post, bool fromTown)
{
    QLineEdit* from = Edit(fromTown ? town : post);
    QLineEdit* to = Edit(fromTown ? post : town);
    if (to->text().isEmpty()) to->setText(from->text());
}

void TFormUserDodaj::nipExit(const QString& field, bool duplicateCheck)
{
    QLineEdit* e = Edit(field);
    e->setStyleSheet(QString());
    const QString text = e->text();
    if (text.isEmpty()) return;
    const QString kept = NipOnExit(text);
    if (kept != text) e->setText(kept);
    if (duplicateCheck && (NipTaken(kept, rowIndex()) || NipDigitsWrong(kept)))
        e->setStyleSheet(QStringLiteral("color: red"));
}

void TFormUserDodaj::updatePaymentControls()
{
    const bool own = Check(QStringLiteral("U_CZYINDYWTERMINPLATNOSCI"))->isChecked();
    Combo(QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"))->setEnabled(own);
    Edit(QStringLiteral("U_INDYWTERMINPLATNOSCI"))->setEnabled(own);
}

void TFormUserDodaj::updateCorrections()
{
    const int block = ReadIniInteger(0, QStringLiteral("Blokady"), 14);
    const int notify = ReadIniInteger(0, QStringLiteral("Powiadomienia"), 7);
    BlokujZKorekta->setText(
        QString::number(Edit(QStringLiteral("U_OPOZNIENIEBLOKADY"))->text().toInt() + block));
    PowiadamiajZKorekta->setText(
        QString::number(Edit(QStringLiteral("U_WYPRZEDZENIEPOWIADOMIEN"))->text().toInt() + notify));
}

void TFormUserDodaj::billingModeClicked(int id)
{
    if (id != 3) return;
    if (!GlobalSession()->IsQueryEmpty(
            QStringLiteral("select (1) from UserFvPozycje where UFV_CZYJEDNORAZOWA=1 and "
                           "UFV_CZYAKTYWNA<>0 and UFV_INDEXUSER=:p1"),
            {rowIndex()}))
        TMD::MessageDlg(QStringLiteral("Użytkownik ma w szablonie aktywną pozycję jednorazową. Wyłaczenie "
                                       "fakturowania uniemożliwi jej automatyczne rozliczenie."),
                        mtWarning, mbOK);
}

void TFormUserDodaj::pasteCoordinates()
{
    QString latitude, longitude;
    if (!ParseClipboardCoordinates(QApplication::clipboard()->text(), &latitude, &longitude)) return;
    Edit(QStringLiteral("U_GEOLOK_SZEROKOSC"))->setText(latitude);
    Edit(QStringLiteral("U_GEOLOK_DLUGOSC"))->setText(longitude);
    Check(QStringLiteral("U_WSPGEORECZNIE"))->setChecked(true);
}

void TFormUserDodaj::copyInstallAddress()
{
    for (const char* part : {"NAZWA", "MIEJSCOWOSC", "KOD", "POCZTA", "ULICA", "NRDOMU", "NRLOKALU"})
        Edit(QStringLiteral("U_KOR_") + QLatin1String(part))
            ->setText(Edit(QStringLiteral("U_LOK_") + QLatin1String(part))->text());
}

void TFormUserDodaj::lookupCompany(bool subscriberNip)
{
    QToolButton* button = subscriberNip ? SpeedButtonNip : SpeedButtonNip2;
    button->setEnabled(false);
    const auto enable = qScopeGuard([button] { button->setEnabled(true); });
    TCompanyRecord c;
    const TCompanyLookup result =
        LookupCompanyByNip(Edit(subscriberNip ? QStringLiteral("U_NIP") : QStringLiteral("U_NIP2"))->text(),
                           &c, WaitProcessingMessages);
    if (result == TCompanyLookup::NotFound)
        TMD::MessageDlg(QStringLiteral("Numer NIP nie występuje w rejestrze FERLO"), mtInformation, mbOK);
    if (result != TCompanyLookup::Found) return;
    const QString p = subscriberNip ? QStringLiteral("U_ADR_") : QStringLiteral("U_KOR_");
    Edit(subscriberNip ? QStringLiteral("U_NAZWISKO") : QStringLiteral("U_KOR_NAZWA"))->setText(c.Name);
    Edit(p + QStringLiteral("MIEJSCOWOSC"))->setText(c.Town);
    Edit(p + QStringLiteral("POCZTA"))->setText(c.Town);
    Edit(p + QStringLiteral("KOD"))->setText(c.PostalCode);
    Edit(p + QStringLiteral("ULICA"))->setText(c.Street);
    Edit(p + QStringLiteral("NRDOMU"))->setText(c.House);
    Edit(p + QStringLiteral("NRLOKALU"))->setText(c.Flat);
    if (subscriberNip && c.Regon.size() > 6) Check(QStringLiteral("U_CZYFIRMA"))->setChecked(true);
}

void TFormUserDodaj::openDefinitions(int startPage)
{
    ShowDefinicje(startPage);
    // New groups and payment methods show at once, the choices kept.
    std::vector<std::pair<QComboBox*, QVariant>> kept;
    for (int i = 1; i <= 10; ++i)
        kept.emplace_back(Combo(QStringLiteral("U_GRUPA%1").arg(i)),
                          Combo(QStringLiteral("U_GRUPA%1").arg(i))->currentData());
    QComboBox* forma = Combo(QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"));
    kept.emplace_back(forma, forma->currentData());
    fillGroupLists();
    for (const auto& [combo, data] : kept) {
        if (combo->findData(data) < 0) combo->addItem(data.toString(), data);
        combo->setCurrentIndex(combo->findData(data));
    }
}

// ---------------------------------------------------------------- openers

TFormUserDodaj* FormUserDodaj()
{
    static TFormUserDodaj* form = nullptr;
    if (!form) form = new TFormUserDodaj();
    return form;
}

bool EditUser(int userIndex)
{
    if (userIndex == 0 || RightDenied(3)) return false;
    TDedicatedSession* s = GlobalSession();
    LogEventDetailed(
        QStringLiteral("Próba edycji danych użytkownika nr: ") +
        s->GetQueryValueAsString(QStringLiteral("select concat(U_NRKLIENTA, :p1, left(vU_NazwiskoImie, "
                                                "50), :p2) from vUserdb where U_INDEX=:p3"),
                                 {" (", ") ", userIndex}));
    TFormUserDodaj* f = FormUserDodaj();
    TQuery& q = *f->QUserdb;
    const auto closeQuery = qScopeGuard([&q] {
        if (q.State() == dsEdit || q.State() == dsInsert) q.Cancel();
        q.Close();
    });
    f->setWindowTitle(QStringLiteral("Edycja danych użytkownika"));
    q.SetSQL(QStringLiteral("select * from Userdb where U_INDEX=:p1"));
    q.BindArgs({userIndex});
    q.Open();
    if (q.IsEmpty()) return false;
    q.Edit();
    if (f->exec() != QDialog::Accepted) return false;
    PrepareSubscriberPost(q);
    q.Post();
    TSaldoBazy::Create(userIndex);
    LogEvent(QStringLiteral("Edycja danych użytkownika nr:") +
             s->GetQueryValueAsString(QStringLiteral("select U_NRKLIENTA from Userdb where U_INDEX=:p1"),
                                      {userIndex}));
    if (FormGlowny) FormGlowny->UpdateButtonCounters();
    return true;
}

bool AddNewUser()
{
    if (RightDenied(4)) return false;
    TDedicatedSession* s = GlobalSession();
    TFormUserDodaj* f = FormUserDodaj();
    TQuery& q = *f->QUserdb;
    const auto closeQuery = qScopeGuard([&q] {
        if (q.State() == dsEdit || q.State() == dsInsert) q.Cancel();
        q.Close();
    });
    f->setWindowTitle(QStringLiteral("Dodawanie nowego użytkownika"));
    q.SetSQL(QStringLiteral("select * from Userdb where U_INDEX=0"));
    q.Open();
    q.Insert();
    FillNewSubscriberDefaults(q, FormGlowny && FormGlowny->RadioGroup1Index() == 3);
    if (f->exec() != QDialog::Accepted) return false;
    if (TMD::MessageDlg(
            QStringLiteral("Dane zostaną zapisane w bazie. Czy potwierdzasz zapisanie nowego użytkownika?"),
            mtConfirmation, mbYes | mbNo) != mrYes)
        return false;
    PrepareSubscriberPost(q);
    q.Post();
    const int id = q.FieldByName(QStringLiteral("U_INDEX"))->AsInteger();
    const int number =
        s->GetQueryValueAsInteger(QStringLiteral("select U_NRKLIENTA from Userdb where U_INDEX=:p1"), {id});
    if (Data && Data->QUserdb && Data->QUserdb->Active())
        RefreshQueryToLastInsert(Data->QUserdb.get(), QStringLiteral("U_INDEX"));
    TSaldoBazy::Create(0);
    s->ExecQuery(
        QStringLiteral("update Userdb set U_LOGIN=if(length(U_LOGIN)=0, concat('vove', LPAD(U_NRKLIENTA, 5, "
                       "'0')), U_LOGIN), U_HASLO=if(length(U_HASLO)=0, substring(rand(), 4, 6), U_HASLO) "
                       "where U_INDEX=:p1"),
        {id});
    if (ReadIniString(0, QStringLiteral("U_Sub_NrKlienta"), QStringLiteral("0000")) != QLatin1String("0000"))
        s->ExecQuery(QStringLiteral("update Userdb set U_NRRACHUNKU1=if(length(U_NRRACHUNKU1)<10, :p1, "
                                    "U_NRRACHUNKU1) where U_INDEX=:p2"),
                     {MakeVirtualAccountNrb(number), id});
    LogEvent(QStringLiteral("Dodanie nowego użytkownika nr:%1").arg(number));
    if (FormGlowny) {
        FormGlowny->UpdateButtonCounters();
        FormGlowny->UpdateStatusBar();
    }
    return true;
}
