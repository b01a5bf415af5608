#include "registers/UmowaDodaj.h"

#include "billing/SaldoBazy.h"
#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "mainwindow/Definicje.h"
#include "registers/UmowyDane.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kPeriods[6] = {6, 12, 18, 24, 30, 36};

QString customerNumber(int userIndex)
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select U_NRKLIENTA from vUserdb where U_INDEX=:p1"), {userIndex});
}
} // namespace

TFormUmowaDodaj::TFormUmowaDodaj(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormUmowaDodaj"));
    QUmowy = std::make_unique<TQuery>();
    QUmowy->SetSQL(QStringLiteral("select * from Umowy"));
    QUmowy->RequestLive = true;
    QSzablony = std::make_unique<TQuery>();
    QSzablony->SetSQL(QStringLiteral("select SZ_RODZAJ, SZ_NAZWA, SZ_INDEX, SZ_TEMAT from Szablony where "
                                     "SZ_RODZAJ='U' order by SZ_NAZWA"));
    buildUi();
}

TFormUmowaDodaj::~TFormUmowaDodaj() = default;

void TFormUmowaDodaj::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    LabelUzytkownik = new QLabel(this);
    LabelUzytkownik->setTextFormat(Qt::PlainText);
    QFont bold = LabelUzytkownik->font();
    bold.setBold(true);
    LabelUzytkownik->setFont(bold);
    layout->addWidget(LabelUzytkownik);

    auto* typBox = new QGroupBox(QStringLiteral("Typ dokumentu"), this);
    auto* tl = new QHBoxLayout(typBox);
    Typ = new QButtonGroup(this);
    const char* kinds[] = {"Umowa", "Aneks", "PZO", "Informacja"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(kinds[i]), typBox);
        Typ->addButton(r, i);
        tl->addWidget(r);
    }
    layout->addWidget(typBox);

    auto* g = new QGridLayout;
    int row = 0;
    g->addWidget(new QLabel(QStringLiteral("Numer"), this), row, 0);
    auto* numRow = new QHBoxLayout;
    EditNumer = new QLineEdit(this);
    EditNumer->setMaximumWidth(90);
    EditNumer->installEventFilter(this);
    numRow->addWidget(EditNumer);
    LabelNumerTxt = new QLabel(this);
    LabelNumerTxt->setTextFormat(Qt::PlainText);
    LabelNumerTxt->setFont(bold);
    numRow->addWidget(LabelNumerTxt, 1);
    g->addLayout(numRow, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Do umowy"), this), row, 0);
    ComboDoUmowy = new QComboBox(this);
    ComboDoUmowy->setEditable(true);
    g->addWidget(ComboDoUmowy, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Szablon"), this), row, 0);
    auto* szRow = new QHBoxLayout;
    ComboSzablon = new QComboBox(this);
    szRow->addWidget(ComboSzablon, 1);
    ButtonSzablon = new QToolButton(this);
    ButtonSzablon->setText(QStringLiteral("+"));
    szRow->addWidget(ButtonSzablon);
    g->addLayout(szRow, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Tytuł"), this), row, 0);
    EditTytul = new QLineEdit(this);
    g->addWidget(EditTytul, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Opis"), this), row, 0);
    EditOpis = new QLineEdit(this);
    g->addWidget(EditOpis, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Uwagi"), this), row, 0);
    EditUwagi = new QLineEdit(this);
    g->addWidget(EditUwagi, row++, 1);
    layout->addLayout(g);

    auto* dates = new QGroupBox(QStringLiteral("Okres umowy"), this);
    auto* dl = new QGridLayout(dates);
    dl->addWidget(new QLabel(QStringLiteral("Data zawarcia / dodania"), dates), 0, 0);
    DataZawarcia = new TDateTimePicker(dates);
    dl->addWidget(DataZawarcia, 0, 1);
    dl->addWidget(new QLabel(QStringLiteral("Data początkowa"), dates), 1, 0);
    DataStart = new TDateTimePicker(dates);
    dl->addWidget(DataStart, 1, 1);
    dl->addWidget(new QLabel(QStringLiteral("Data końcowa"), dates), 2, 0);
    DataKoniec = new TDateTimePicker(dates);
    DataKoniec->SetShowCheckbox(true);
    dl->addWidget(DataKoniec, 2, 1);
    auto* periods = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        Okres[i] = new QPushButton(QString::number(kPeriods[i]), dates);
        Okres[i]->setFixedWidth(Okres[i]->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
        periods->addWidget(Okres[i]);
        connect(Okres[i], &QPushButton::clicked, this,
                [this, i] { RunGuarded([this, i] { setPeriod(kPeriods[i]); }); });
    }
    LabelKoniec = new QLabel(dates);
    periods->addWidget(LabelKoniec, 1);
    dl->addLayout(periods, 3, 0, 1, 2);
    layout->addWidget(dates);

    auto* checks = new QHBoxLayout;
    CheckPodpisana = new QCheckBox(QStringLiteral("Podpisana przez usługobiorce"), this);
    CheckNieaktywna = new QCheckBox(QStringLiteral("Nieaktywna"), this);
    checks->addWidget(CheckPodpisana);
    checks->addWidget(CheckNieaktywna);
    checks->addStretch(1);
    layout->addLayout(checks);
    CheckRegeneruj = new QCheckBox(
        QStringLiteral("Po zakończeniu edycji uaktualnij zapisaną w bazie treść dokumentu"), this);
    layout->addWidget(CheckRegeneruj);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtnZapisz = new QPushButton(QStringLiteral("Zapisz"), this);
    BitBtnAnuluj = new QPushButton(QStringLiteral("Anuluj"), this);
    buttons->addWidget(BitBtnZapisz);
    buttons->addWidget(BitBtnAnuluj);
    layout->addLayout(buttons);

    m_binder.Text(EditNumer, UM::NUMER);
    m_binder.Text(EditOpis, UM::OPIS);
    m_binder.Text(EditUwagi, UM::UWAGI);
    m_binder.Text(EditTytul, UM::TYTUL);
    m_binder.Combo(ComboDoUmowy, UM::ANEKSOPIS);
    m_binder.Key(ComboSzablon, UM::INDEXSZABLON);
    m_binder.Check(CheckPodpisana, UM::CZYPODPISANA);
    m_binder.Check(CheckNieaktywna, UM::CZYNIEAKTYWNA);
    m_binder.Radio(Typ, UM::CZYANEKS);

    connect(BitBtnZapisz, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnAnuluj, &QPushButton::clicked, this, &QDialog::reject);
    connect(EditNumer, &QLineEdit::textChanged, this, [this] {
        dataChanged();
        RunGuarded([this] { rebuildNumberText(); });
    });
    connect(Typ, &QButtonGroup::idClicked, this, [this] {
        dataChanged();
        RunGuarded([this] {
            applyKindRules();
            rebuildNumberText();
        });
    });
    connect(DataZawarcia, &TDateTimePicker::Changed, this, [this] {
        dataChanged();
        RunGuarded([this] { concludedChanged(); });
    });
    connect(ComboSzablon, &QComboBox::currentIndexChanged, this, [this] {
        dataChanged();
        RunGuarded([this] { templateChanged(); });
    });
    connect(ButtonSzablon, &QToolButton::clicked, this, [this] {
        RunGuarded([this] {
            const QVariant kept = ComboSzablon->currentData();
            ShowDefinicje(3);
            m_loading = true;
            const auto done = qScopeGuard([this] { m_loading = false; });
            QSzablony->Close();
            QSzablony->Open();
            ComboSzablon->clear();
            ComboSzablon->addItem(QString(), 0);
            for (QSzablony->First(); !QSzablony->Eof(); QSzablony->Next())
                ComboSzablon->addItem(QSzablony->FieldByName(QStringLiteral("SZ_NAZWA"))->AsString(),
                                      QSzablony->FieldByName(QStringLiteral("SZ_INDEX"))->AsInteger());
            ComboSzablon->setCurrentIndex(std::max(0, ComboSzablon->findData(kept)));
        });
    });
    for (QLineEdit* e : {EditOpis, EditUwagi, EditTytul})
        connect(e, &QLineEdit::textEdited, this, [this] { dataChanged(); });
    connect(ComboDoUmowy, &QComboBox::editTextChanged, this, [this] { dataChanged(); });
    for (QCheckBox* c : {CheckPodpisana, CheckNieaktywna})
        connect(c, &QCheckBox::toggled, this, [this] { dataChanged(); });
    for (TDateTimePicker* p : {DataStart, DataKoniec})
        connect(p, &TDateTimePicker::Changed, this, [this] { dataChanged(); });
    // A new document always gets its text.
    connect(CheckRegeneruj, &QCheckBox::toggled, this, [this](bool on) {
        if (!on && inserting()) CheckRegeneruj->setChecked(true);
    });
    resize(620, 520);
}

bool TFormUmowaDodaj::Regenerate() const
{
    return CheckRegeneruj->isChecked();
}

QString TFormUmowaDodaj::NumberText() const
{
    return LabelNumerTxt->text();
}

int TFormUmowaDodaj::kind() const
{
    return std::max(0, Typ->checkedId());
}

bool TFormUmowaDodaj::inserting() const
{
    return QUmowy->State() == dsInsert;
}

void TFormUmowaDodaj::dataChanged()
{
    if (!m_loading && isVisible()) CheckRegeneruj->setChecked(true);
}

void TFormUmowaDodaj::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] { prepare(); });
}

void TFormUmowaDodaj::prepare()
{
    m_loading = true;
    const auto done = qScopeGuard([this] { m_loading = false; });
    TQuery& q = *QUmowy;
    QSzablony->Close();
    QSzablony->Open();
    ComboSzablon->clear();
    ComboSzablon->addItem(QString(), 0);
    for (QSzablony->First(); !QSzablony->Eof(); QSzablony->Next())
        ComboSzablon->addItem(QSzablony->FieldByName(QStringLiteral("SZ_NAZWA"))->AsString(),
                              QSzablony->FieldByName(QStringLiteral("SZ_INDEX"))->AsInteger());
    EditNumer->setFocus();
    // Text variables and printouts take the seller of the document's company.
    SetCurrentPodmiot(q.FieldByName(UM::PODMIOT)->AsInteger());

    const QDate today = QDate::currentDate();
    const QDate concluded = q.FieldByName(UM::DATAZAWARCIA)->AsDate();
    DataZawarcia->SetDate(concluded.isValid() ? concluded : today);
    const QDate start = q.FieldByName(UM::DATASTART)->AsDate();
    DataStart->SetDate(start.isValid() ? start : today);
    const QDate end = q.FieldByName(UM::DATAKONIEC)->AsDate();
    DataKoniec->SetDate(end.isValid() ? end : today);
    DataKoniec->SetChecked(end.isValid());
    LabelKoniec->clear();

    ComboDoUmowy->clear();
    const int user = q.FieldByName(UM::INDEXUSER)->AsInteger();
    TDedicatedSession* s = GlobalSession();
    const QStringList refs =
        inserting()
            ? s->GetQueryValuesAsList(
                  QStringLiteral(
                      "select concat(:p1, UM_NUMERTXT, :p2, UM_DATASTART) from Umowy where UM_CZYANEKS=0 "
                      "and UM_INDEXUSER=:p3 and UM_INDEX is not null order by UM_DATASTART DESC, "
                      "UM_INDEX DESC"),
                  {QStringLiteral("do umowy nr "), QStringLiteral(" z dnia "), user}, false, true)
            : s->GetQueryValuesAsList(
                  QStringLiteral(
                      "select concat(:p1, UM_NUMERTXT, :p2, UM_DATASTART) from Umowy where UM_CZYANEKS=0 "
                      "and UM_INDEXUSER=:p3 and UM_INDEX<>:p4 order by UM_DATASTART DESC, UM_INDEX DESC"),
                  {QStringLiteral("do umowy nr "), QStringLiteral(" z dnia "), user,
                   q.FieldByName(UM::INDEX)->AsInteger()},
                  false, true);
    ComboDoUmowy->addItems(refs);

    m_binder.Load(q);
    CheckRegeneruj->setChecked(inserting());
    LabelUzytkownik->setText(s->GetQueryValueAsString(
        QStringLiteral("select concat(U_NAZWISKO, :p1, U_IMIE) from vUserdb where U_INDEX=:p2"),
        {QStringLiteral(" "), user}));
    applyKindRules();
    rebuildNumberText();
}

void TFormUmowaDodaj::applyKindRules()
{
    const int k = kind();
    ComboDoUmowy->setEnabled(k != ukUmowa);
    const bool numbered = k == ukUmowa || k == ukAneks;
    for (QWidget* w : {static_cast<QWidget*>(DataStart), static_cast<QWidget*>(DataKoniec),
                       static_cast<QWidget*>(EditOpis), static_cast<QWidget*>(EditNumer)})
        w->setEnabled(numbered);
    for (QPushButton* b : Okres)
        b->setEnabled(numbered);
    LabelNumerTxt->setVisible(numbered);
}

void TFormUmowaDodaj::rebuildNumberText()
{
    TQuery& q = *QUmowy;
    if ((q.State() != dsEdit && q.State() != dsInsert) || kind() == ukPzo) return;
    const int podmiot = q.FieldByName(UM::PODMIOT)->AsInteger();
    const QString text = UmowaNumberText(ReadUmowaNumbering(), EditNumer->text(), podmiot,
                                         q.FieldByName(UM::DATAZAWARCIA)->AsDate());
    q.FieldByName(UM::NUMERTXT)->SetAsString(text);
    LabelNumerTxt->setText(text);
    // A duplicate is only marked: the office may number by hand.
    const bool taken =
        UmowaNumberTaken(text, podmiot, inserting() ? 0 : q.FieldByName(UM::INDEX)->AsInteger());
    LabelNumerTxt->setStyleSheet(taken ? QStringLiteral("color: red") : QStringLiteral("color: black"));
}

void TFormUmowaDodaj::concludedChanged()
{
    TQuery& q = *QUmowy;
    if (m_loading || (q.State() != dsEdit && q.State() != dsInsert)) return;
    const QDate picked = DataZawarcia->Date();
    const QDate stored = q.FieldByName(UM::DATAZAWARCIA)->AsDate();
    if (!stored.isValid() || picked.month() != stored.month() || picked.year() != stored.year()) {
        const int next =
            NextUmowaNumber(picked, q.FieldByName(UM::PODMIOT)->AsInteger(), ReadUmowaNumbering().monthly);
        q.FieldByName(UM::DATAZAWARCIA)->SetAsDate(picked);
        EditNumer->setText(QString::number(next));
    }
    q.FieldByName(UM::DATAZAWARCIA)->SetAsDate(picked);
    rebuildNumberText();
}

void TFormUmowaDodaj::templateChanged()
{
    if (m_loading) return;
    const int id = ComboSzablon->currentData().toInt();
    if (id <= 0) return;
    EditTytul->setText(GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select SZ_TEMAT from Szablony where SZ_INDEX=:p1"), {id}));
}

void TFormUmowaDodaj::setPeriod(int months)
{
    const QDate end = UmowaPeriodEnd(DataStart->Date(), months);
    LabelKoniec->setText(end.toString(QStringLiteral("yyyy-MM-dd")));
    DataKoniec->SetDate(end);
}

bool TFormUmowaDodaj::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == EditNumer && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        if (k->key() != Qt::Key_Backspace && !t.isEmpty() && t.at(0).isPrint() && !t.at(0).isDigit()) {
            BeepAsync();
            return true;
        }
    }
    if (watched == EditNumer && e->type() == QEvent::FocusOut && kind() != ukPzo &&
        EditNumer->text().toInt() <= 0)
        EditNumer->setText(QStringLiteral("1"));
    return TFormEx::eventFilter(watched, e);
}

void TFormUmowaDodaj::StoreToRow()
{
    TQuery& q = *QUmowy;
    if (q.State() != dsEdit && q.State() != dsInsert) return;
    if (kind() != ukPzo && EditNumer->text().toInt() <= 0) EditNumer->setText(QStringLiteral("1"));
    m_binder.Store(q);
    q.FieldByName(UM::DATAZAWARCIA)->SetAsDate(DataZawarcia->Date());
    q.FieldByName(UM::DATASTART)->SetAsDate(DataStart->Date());
    q.FieldByName(UM::DATAKONIEC)->SetAsDate(DataKoniec->Checked() ? DataKoniec->Date() : QDate());
    ApplyProtocolNumbering(q, QDate::currentDate());
    QSzablony->Close();
}

TFormUmowaDodaj* FormUmowaDodaj()
{
    static TFormUmowaDodaj* form = nullptr;
    if (!form) form = new TFormUmowaDodaj();
    return form;
}

namespace {

// One run of the editor over the query the caller opened: the save posts,
// regenerates the text when asked and commits, all in one transaction; any
// failure rolls everything back and is shown. Returns the saved UM_INDEX, 0
// when nothing was saved.
int runEditor(TFormUmowaDodaj* f, bool insert, int userIndex, const QString& caption)
{
    TQuery& q = *f->QUmowy;
    const auto closeQuery = qScopeGuard([&q] {
        if (q.State() == dsEdit || q.State() == dsInsert) q.Cancel();
        q.Close();
    });
    TTransactionGuard guard(GlobalSession());
    f->setWindowTitle(caption);
    f->UserIndex = userIndex;
    if (insert) {
        q.Insert();
        FillNewUmowa(q, userIndex, QDate::currentDate());
    } else {
        q.Edit();
    }
    const int result = f->exec();
    f->StoreToRow();
    if (result != QDialog::Accepted) {
        q.Cancel();
        guard.rollback();
        return 0;
    }
    try {
        StampUmowa(q);
        q.Post();
        const int id = q.FieldByName(UM::INDEX)->AsInteger();
        if (f->Regenerate()) {
            UpdateUmowaText(id);
            if (q.FieldByName(UM::INDEXSZABLON)->AsInteger() > 0)
                DeleteStoredUmowaPrintout(QString::number(id));
        }
        guard.commit();
        return id;
    } catch (const EDatabaseError& e) {
        guard.rollback();
        TMD::MessageDlg(QStringLiteral("Nie udało się zapisać umowy.\r\n") + e.Message(), mtError, mbOK);
        return 0;
    }
}

void refreshShared(int umIndex)
{
    if (!Data || !Data->QUmowy || !Data->QUmowy->Active()) return;
    Data->QUmowy->Close();
    Data->QUmowy->Open();
    Data->QUmowy->Locate(UM::INDEX, TArg(umIndex));
}

} // namespace

bool AddUmowa(int userIndex)
{
    if (userIndex == 0 || RightDenied(3)) return false;
    TFormUmowaDodaj* f = FormUmowaDodaj();
    f->QUmowy->SetSQL(QStringLiteral("select * from Umowy \r\n where UM_INDEXUSER=:p1\r\n"));
    f->QUmowy->BindArgs({userIndex});
    f->QUmowy->Open();
    const int id = runEditor(f, true, userIndex, QStringLiteral("Dodawanie nowej umowy"));
    if (id == 0) {
        LogEvent(QStringLiteral("Anulowane dodanie umowy dla użytkownika nr ") + customerNumber(userIndex));
        return false;
    }
    refreshShared(id);
    TSaldoBazy::Create(userIndex);
    LogEvent(QStringLiteral("Dodanie umowy ID=%1 dla użytkownika nr ").arg(id) + customerNumber(userIndex));
    return true;
}

bool EditUmowa(int umIndex)
{
    if (umIndex == 0 || RightDenied(3)) return false;
    if (umIndex < 0) {
        TMD::MessageDlg(UmowaBilansOtwarciaMessage, mtInformation, mbOK);
        return false;
    }
    TFormUmowaDodaj* f = FormUmowaDodaj();
    f->QUmowy->SetSQL(QStringLiteral("select * from Umowy \r\n where UM_INDEX=:p1 \r\n"));
    f->QUmowy->BindArgs({umIndex});
    f->QUmowy->Open();
    if (f->QUmowy->IsEmpty()) {
        f->QUmowy->Close();
        return false;
    }
    const int user = f->QUmowy->FieldByName(UM::INDEXUSER)->AsInteger();
    const int id = runEditor(f, false, user, QStringLiteral("Edycja umowy"));
    if (id == 0) {
        LogEvent(QStringLiteral("Anulowana edycja umowy dla użytkownika nr ") + customerNumber(user));
        return false;
    }
    refreshShared(id);
    LogEvent(QStringLiteral("Edycja umowy ID:%1 dla użytkownika nr ").arg(id) + customerNumber(user));
    TSaldoBazy::Create(user);
    return true;
}

bool DeleteUmowa(int umIndex)
{
    if (umIndex == 0 || RightDenied(2)) return false;
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybrnaną umowę?"), mtConfirmation, mbYes | mbNo) != mrYes)
        return false;
    TDedicatedSession* s = GlobalSession();
    const int user = s->GetQueryValueAsInteger(
        QStringLiteral("select UM_INDEXUSER from Umowy where UM_INDEX=:p1"), {umIndex});
    LogEvent(QStringLiteral("Usunięcie umowy dla użytkownika nr ") + customerNumber(user));
    TTransactionGuard guard(s);
    DeleteStoredUmowaPrintout(QString::number(umIndex));
    s->ExecQuery(QStringLiteral("delete from Umowy where UM_INDEX=:p1"), {umIndex});
    guard.commit();
    TSaldoBazy::Create(user);
    return true;
}
