#include "registers/ZlecenieDodaj.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/Glowny.h"
#include "printouts/Email.h"
#include "registers/RegistersHooks.h"
#include "registers/ZleceniaDane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QVBoxLayout>

TFormZlecenieDodaj::TFormZlecenieDodaj(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormZlecenieDodaj"));
    QZlecenia = std::make_unique<TQuery>();
    QZlecenia->SetSQL(QStringLiteral("select * from ZleceniaSerwisowe where 1=2"));
    QZlecenia->RequestLive = true;
    QUserdb = std::make_unique<TQuery>();
    QUserdb->SetSQL(QStringLiteral("select * from vUserdb where U_INDEX=:ZS_INDEXUSER"));
    QOperator = std::make_unique<TQuery>();
    QOperator->SetSQL(QStringLiteral(
        "select OP_INDEX, if(concat_ws(' ', OP_NAZWISKO,  OP_IMIE)<>'', concat_ws(' ', OP_NAZWISKO,  "
        "OP_IMIE), "
        "OP_LOGIN) as OP_Nazwa from Operator where OP_AKTYWNY='A' order by OP_NAZWISKO, OP_IMIE, OP_LOGIN"));
    buildUi();
}

TFormZlecenieDodaj::~TFormZlecenieDodaj() = default;

void TFormZlecenieDodaj::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    LabelUzytkownik = new QLabel(this);
    LabelUzytkownik->setTextFormat(Qt::PlainText);
    QFont bold = LabelUzytkownik->font();
    bold.setBold(true);
    LabelUzytkownik->setFont(bold);
    layout->addWidget(LabelUzytkownik);

    auto* g = new QGridLayout;
    int row = 0;
    g->addWidget(new QLabel(QStringLiteral("Numer zlecenia"), this), row, 0);
    auto* num = new QHBoxLayout;
    EditNumer = new QLineEdit(this);
    EditNumer->setMaximumWidth(90);
    EditNumer->installEventFilter(this);
    num->addWidget(EditNumer);
    LabelNumerTxt = new QLabel(this);
    LabelNumerTxt->setFont(bold);
    num->addWidget(LabelNumerTxt, 1);
    g->addLayout(num, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Data rejestracji"), this), row, 0);
    LabelDataRejestracji = new QLabel(this);
    g->addWidget(LabelDataRejestracji, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Data zakończenia"), this), row, 0);
    DataZakonczenia = new TDateTimePicker(this);
    DataZakonczenia->SetShowCheckbox(true);
    g->addWidget(DataZakonczenia, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Terminarz"), this), row, 0);
    Terminarz = new TDateTimePicker(this);
    Terminarz->SetShowCheckbox(true);
    g->addWidget(Terminarz, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Przyjmujący zgłoszenie"), this), row, 0);
    ComboPrzyjal = new QComboBox(this);
    g->addWidget(ComboPrzyjal, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Serwisant"), this), row, 0);
    ComboWykonal = new QComboBox(this);
    g->addWidget(ComboWykonal, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Pobrana kwota"), this), row, 0);
    EditKwota = new QLineEdit(this);
    EditKwota->setMaximumWidth(120);
    // An amount only: digits and one decimal separator.
    EditKwota->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("-?\\d{0,12}([,.]\\d{0,2})?")), this));
    g->addWidget(EditKwota, row++, 1);
    CheckZaznaczone = new QCheckBox(QStringLiteral("Zlecenie zaznaczone"), this);
    g->addWidget(CheckZaznaczone, row++, 1);
    layout->addLayout(g);
    layout->addWidget(new QLabel(QStringLiteral("Zakres zlecenia"), this));
    MemoZakres = new QPlainTextEdit(this);
    layout->addWidget(MemoZakres, 2);
    layout->addWidget(new QLabel(QStringLiteral("Uwagi"), this));
    MemoUwagi = new QPlainTextEdit(this);
    layout->addWidget(MemoUwagi, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtnZapisz = new QPushButton(QStringLiteral("Zapisz"), this);
    BitBtnAnuluj = new QPushButton(QStringLiteral("Anuluj"), this);
    buttons->addWidget(BitBtnZapisz);
    buttons->addWidget(BitBtnAnuluj);
    layout->addLayout(buttons);

    m_binder.Text(EditNumer, ZS::NUMER);
    m_binder.Memo(MemoZakres, ZS::ZAKRES);
    m_binder.Memo(MemoUwagi, ZS::UWAGI);
    m_binder.Key(ComboPrzyjal, ZS::PRZYJAL);
    m_binder.Key(ComboWykonal, ZS::WYKONAL);
    m_binder.Text(EditKwota, ZS::KWOTAPOBRANA);
    m_binder.Check(CheckZaznaczone, ZS::ZAZNACZONE);

    connect(BitBtnZapisz, &QPushButton::clicked, this, [this] {
        m_saveRequested = true;
        accept();
    });
    connect(BitBtnAnuluj, &QPushButton::clicked, this, &QDialog::reject);
    connect(EditNumer, &QLineEdit::textChanged, this,
            [this] { RunGuarded([this] { rebuildNumberText(); }); });
    resize(560, 600);
}

QString TFormZlecenieDodaj::NumberText() const
{
    return LabelNumerTxt->text();
}

void TFormZlecenieDodaj::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] { prepare(); });
}

void TFormZlecenieDodaj::prepare()
{
    m_saveRequested = false;
    TQuery& q = *QZlecenia;
    QOperator->Close();
    QOperator->Open();
    for (QComboBox* c : {ComboPrzyjal, ComboWykonal}) {
        c->clear();
        c->addItem(QString(), 0);
        for (QOperator->First(); !QOperator->Eof(); QOperator->Next())
            c->addItem(QOperator->FieldByName(QStringLiteral("OP_Nazwa"))->AsString(),
                       QOperator->FieldByName(QStringLiteral("OP_INDEX"))->AsInteger());
    }
    QUserdb->Close();
    QUserdb->SetSQL(QStringLiteral("select * from vUserdb where U_INDEX=:p1"));
    QUserdb->BindArgs({q.FieldByName(ZS::INDEXUSER)->AsInteger()});
    QUserdb->Open();
    LabelUzytkownik->setText(
        QUserdb->IsEmpty() ? QString() : QUserdb->FieldByName(QStringLiteral("vU_NazwiskoImie"))->AsString());
    MemoZakres->setFocus();
    const QDate today = QDate::currentDate();
    for (auto [picker, field] :
         {std::pair{DataZakonczenia, ZS::DATAZAKONCZENIA}, std::pair{Terminarz, ZS::TERMINARZDATA}}) {
        const QDate d = q.FieldByName(field)->AsDate();
        picker->SetDate(d.isValid() ? d : today);
        picker->SetChecked(d.isValid());
    }
    LabelDataRejestracji->setText(q.FieldByName(ZS::DATAREJESTRACJI)->AsString());
    if (q.State() == dsBrowse) q.Edit();
    m_binder.Load(q);
    rebuildNumberText();
}

void TFormZlecenieDodaj::rebuildNumberText()
{
    TQuery& q = *QZlecenia;
    if (q.State() != dsEdit && q.State() != dsInsert) return;
    const QDate registered = q.FieldByName(ZS::DATAREJESTRACJI)->AsDate();
    if (!registered.isValid()) return;
    const QString text = ZlecenieNumberText(EditNumer->text(), registered,
                                            ReadIniBool(0, QStringLiteral("NumeracjaMiesieczna"), true));
    q.FieldByName(ZS::NUMERTXT)->SetAsString(text);
    LabelNumerTxt->setText(text);
    const bool taken = ZlecenieNumberTaken(text, q.FieldByName(ZS::INDEX)->AsInteger());
    LabelNumerTxt->setStyleSheet(taken ? QStringLiteral("color: red") : QStringLiteral("color: black"));
}

bool TFormZlecenieDodaj::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == EditNumer && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        if (k->key() != Qt::Key_Backspace && !t.isEmpty() && t.at(0).isPrint() && !t.at(0).isDigit()) {
            BeepAsync();
            return true;
        }
    }
    if (watched == EditNumer && e->type() == QEvent::FocusOut && EditNumer->text().toInt() <= 0)
        EditNumer->setText(QStringLiteral("1"));
    return TFormEx::eventFilter(watched, e);
}

void TFormZlecenieDodaj::done(int result)
{
    if (result == QDialog::Accepted && m_saveRequested) {
        const TZlecenieRefusal r =
            CheckZlecenie(EditNumer->text(), MemoZakres->toPlainText(), ComboPrzyjal->currentData().toInt(),
                          ComboWykonal->currentData().toInt(), DataZakonczenia->Checked());
        if (r.Refused()) {
            m_saveRequested = false;
            TMD::MessageDlg(r.Message, mtWarning, mbOK);
            if (QWidget* w = m_binder.Control(r.Field)) w->setFocus();
            return;
        }
    }
    TFormEx::done(result);
}

void TFormZlecenieDodaj::StoreToRow()
{
    TQuery& q = *QZlecenia;
    if (q.State() != dsEdit && q.State() != dsInsert) return;
    // The amount as typed with a comma goes to the decimal column with a point.
    QString amount = EditKwota->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    EditKwota->setText(amount.isEmpty() ? QStringLiteral("0") : amount);
    m_binder.Store(q);
    q.FieldByName(ZS::DATAZAKONCZENIA)
        ->SetAsDate(DataZakonczenia->Checked() ? DataZakonczenia->Date() : QDate());
    q.FieldByName(ZS::TERMINARZDATA)->SetAsDate(Terminarz->Checked() ? Terminarz->Date() : QDate());
    QOperator->Close();
    QUserdb->Close();
}

TFormZlecenieDodaj* FormZlecenieDodaj()
{
    static TFormZlecenieDodaj* form = nullptr;
    if (!form) form = new TFormZlecenieDodaj();
    return form;
}

namespace {

QString customerNumber(int userIndex)
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select U_NRKLIENTA from vUserdb where U_INDEX=:p1"), {userIndex});
}

void refreshCounter()
{
    if (FormGlowny) FormGlowny->UpdateButtonCounters();
}

// Opens the order (a new one is written at once inside the transaction, so
// the editor always edits a stored row), runs the editor and saves in the
// same transaction. Returns the saved ZS_INDEX, 0 when nothing was saved.
int runEditor(int userIndex, int zsIndex)
{
    TFormZlecenieDodaj* f = FormZlecenieDodaj();
    TQuery& q = *f->QZlecenia;
    const auto closeQuery = qScopeGuard([&q] {
        if (q.State() == dsEdit || q.State() == dsInsert) q.Cancel();
        q.Close();
    });
    TTransactionGuard guard(GlobalSession());
    try {
        if (zsIndex == 0) {
            q.SetSQL(QStringLiteral("select * from ZleceniaSerwisowe \r\n where ZS_INDEXUSER=:p1\r\n"));
            q.BindArgs({userIndex});
            q.Open();
            q.Insert();
            FillNewZlecenie(q, userIndex, QDate::currentDate());
            StampZlecenie(q);
            q.Post();
            zsIndex = q.FieldByName(ZS::INDEX)->AsInteger();
            q.Close();
        }
        q.SetSQL(QStringLiteral("select * from ZleceniaSerwisowe \r\n where ZS_INDEX=:p1\r\n"));
        q.BindArgs({zsIndex});
        q.Open();
        if (q.IsEmpty()) return 0;
        q.Edit();
        f->setWindowTitle(QStringLiteral("Dodawanie nowego zlecenia"));
        const int result = f->exec();
        f->StoreToRow();
        if (result != QDialog::Accepted) {
            q.Cancel();
            guard.rollback();
            return 0;
        }
        StampZlecenie(q);
        q.Post();
        guard.commit();
        return zsIndex;
    } catch (const EDatabaseError& e) {
        guard.rollback();
        TMD::MessageDlg(QStringLiteral("Nie udało się zapisać zlecenia.\r\n") + e.Message(), mtError, mbOK);
        return 0;
    }
}

} // namespace

bool AddZlecenie(int userIndex)
{
    if (userIndex == 0) return false;
    const int id = runEditor(userIndex, 0);
    if (id == 0) {
        LogEvent(QStringLiteral("Anulowane dodanie zlecenia dla użytkownika nr ") +
                 customerNumber(userIndex));
        refreshCounter();
        return false;
    }
    TDedicatedSession* s = GlobalSession();
    if (Data && Data->QZlecenia && Data->QZlecenia->Active()) {
        Data->QZlecenia->Close();
        Data->QZlecenia->Open();
        Data->QZlecenia->Locate(ZS::INDEX, TArg(id));
    }
    const QString number = s->GetQueryValueAsString(
        QStringLiteral("select ZS_NUMERTXT from ZleceniaSerwisowe where ZS_INDEX=:p1"), {id});
    // The order is saved whatever the messages do.
    if (ReadIniBool(0, QStringLiteral("SMSOtwarcieZlecenia"), false)) {
        auto u =
            s->OpenQuery(QStringLiteral("select U_TEL1, U_TEL2 from Userdb where U_INDEX=:p1"), {userIndex});
        const QString phone = u->IsEmpty()
                                  ? QString()
                                  : PickMobilePhone(u->FieldByName(QStringLiteral("U_TEL1"))->AsString(),
                                                    u->FieldByName(QStringLiteral("U_TEL2"))->AsString());
        SendSmsOrSay(
            phone, ZlecenieSmsHeader() + QStringLiteral("Otwarcie nowego zlecenia serwisowego nr ") + number,
            userIndex);
    }
    if (ReadIniBool(0, QStringLiteral("SMSOtwarcieZleceniaSerwisant"), true))
        SendSmsOrSay(s->GetQueryValueAsString(
                         QStringLiteral("select OP_TELEFON from vZleceniaLista where ZS_INDEX=:p1"), {id}),
                     MakeZlecenieText(id), 0);
    LogEvent(QStringLiteral("Dodanie zlecenia ID:%1 dla użytkownika nr ").arg(id) +
             customerNumber(userIndex));
    refreshCounter();
    return true;
}

bool EditZlecenie(int zsIndex)
{
    if (zsIndex == 0) return false;
    const int user = GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select ZS_INDEXUSER from ZleceniaSerwisowe where ZS_INDEX=:p1"), {zsIndex});
    const int id = runEditor(user, zsIndex);
    refreshCounter();
    if (id == 0) {
        LogEvent(QStringLiteral("Anulowana edycja zlecenia dla użytkownika nr ") + customerNumber(user));
        return false;
    }
    if (Data && Data->QZlecenia && Data->QZlecenia->Active()) RefreshQuery(Data->QZlecenia.get(), ZS::INDEX);
    LogEvent(QStringLiteral("Edycja zlecenia ID=%1 dla użytkownika nr ").arg(id) + customerNumber(user));
    return true;
}

bool DeleteZlecenie(int zsIndex)
{
    if (zsIndex == 0 || RightDenied(2)) return false;
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybrnane zlecenie usługi?"), mtConfirmation,
                        mbYes | mbNo) != mrYes)
        return false;
    TDedicatedSession* s = GlobalSession();
    const int user = s->GetQueryValueAsInteger(
        QStringLiteral("select ZS_INDEXUSER from ZleceniaSerwisowe where ZS_INDEX=:p1"), {zsIndex});
    LogEvent(QStringLiteral("Usunięcie zlecenia dla użytkownika nr ") + customerNumber(user));
    s->ExecQuery(QStringLiteral("delete from ZleceniaSerwisowe where ZS_INDEX=:p1"), {zsIndex});
    refreshCounter();
    return true;
}

void PrintZlecenie(int zsIndex, bool pdf)
{
    if (zsIndex == 0) return;
    PrintZlecenieCardOrSay(
        zsIndex,
        ReadIniString(OperatorId, pdf ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"),
                      QString()),
        pdf);
}

void SendZlecenieToTechnician(int zsIndex)
{
    if (zsIndex == 0) return;
    TDedicatedSession* s = GlobalSession();
    auto q = s->OpenQuery(
        QStringLiteral(
            "select ZS_WYKONAL, ZS_NUMERTXT, ZS_INDEXUSER from ZleceniaSerwisowe where ZS_INDEX=:p1"),
        {zsIndex});
    if (q->IsEmpty()) return;
    const int technician = q->FieldByName(ZS::WYKONAL)->AsInteger();
    if (technician <= 0) {
        TMD::MessageDlg(QStringLiteral("Nie przypisano serwisanta wykonującego zlecenie"), mtError, mbOK);
        return;
    }
    const QString email = s->GetQueryValueAsString(
        QStringLiteral("select OP_EMAIL from Operator where OP_INDEX=:p1"), {technician});
    if (email.trimmed().isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak adresu email serwisanta"), mtError, mbOK);
        return;
    }
    const QString number = q->FieldByName(ZS::NUMERTXT)->AsString();
    const QString file = ZleceniePdfFile(number);
    if (QFile::exists(file)) QFile::remove(file);
    if (!PrintZlecenieCardOrSay(zsIndex, ReadIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString()),
                                true))
        return;
    if (!WaitForFileDefault(file)) {
        TMD::MessageDlg(QStringLiteral("Nie udało się odnaleźć załącznika:\r\n") + file, mtError, mbOK);
        return;
    }
    const QString dash = QStringLiteral("-");
    const int r = SendEmail(email, file, QStringLiteral("ZLECENIE ") + number, dash, dash, dash, dash, dash,
                            dash, dash, 0, dash, q->FieldByName(ZS::INDEXUSER)->AsInteger());
    if (r == 0)
        TMD::MessageDlg(QStringLiteral("Wiadomość została wysłana"), mtInformation, mbOK);
    else
        TMD::MessageDlg(QStringLiteral("Nie udało się wysłać wiadomości"), mtError, mbOK);
}
