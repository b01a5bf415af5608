#include "billing/OplatyDodaj.h"
#include "billing/KasaVendra.h"

#include "billing/PozycjaDokumentu.h"
#include "billing/Pozycje.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DateTimePicker.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/ProgramHooks.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "printouts/DrukKP.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

TFormOplatyDodaj* FormOplatyDodaj()
{
    static QPointer<TFormOplatyDodaj> form;
    if (!form) form = new TFormOplatyDodaj(ProgramHooks().mainWindow ? ProgramHooks().mainWindow() : nullptr);
    return form;
}

TFormOplatyDodaj::TFormOplatyDodaj(QWidget* parent) : TFormEx(parent), m_hist(std::make_unique<TQuery>())
{
    setObjectName(QStringLiteral("FormOplatyDodaj"));
    m_hist->SetSQL(QStringLiteral("select * from Oplaty_hist where O_INDEXOLD=:p1 and O_AKCJA='U' order by "
                                  "O_DATAMODYFIKACJI DESC"));
    buildUi();
}

TFormOplatyDodaj::~TFormOplatyDodaj() = default;

void TFormOplatyDodaj::buildUi()
{
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Uzytkownik"), this));
    Uzytkownik = new QLabel(this);
    QFont bold = Uzytkownik->font();
    bold.setBold(true);
    Uzytkownik->setFont(bold);
    Uzytkownik->setTextFormat(Qt::PlainText);
    top->addWidget(Uzytkownik, 1);

    Strony = new QTabWidget(this);
    auto* page = new QWidget(Strony);
    Kwota = new QLineEdit(page);
    Kwota->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Kwota->setMaximumWidth(140);
    new TFieldKeyFilter(Kwota, TFieldKeyFilter::Mode::Signed);
    DataWplaty = new TDateTimePicker(page);
    FormaPlatnosci = new QComboBox(page);
    FormaPlatnosci->setMinimumWidth(200);
    new TFieldKeyFilter(FormaPlatnosci, TFieldKeyFilter::Mode::NoTyping);
    Uwagi = new QPlainTextEdit(page);
    Uwagi->setMaximumHeight(60);
    Numer = new QLineEdit(page);
    Numer->setMaximumWidth(80);
    new TFieldKeyFilter(Numer, TFieldKeyFilter::Mode::Digits);
    NumerTxt = new QLabel(page);
    NumerTxt->setTextFormat(Qt::PlainText);
    Saldo = new QLabel(page);
    SaldoZalegle = new QLabel(page);
    Pochodzenie = new QLabel(page);

    auto* g = new QGridLayout(page);
    int r = 0;
    auto row = [&](const QString& caption, QWidget* w, QWidget* beside = nullptr) {
        g->addWidget(new QLabel(caption, page), r, 0);
        auto* h = new QHBoxLayout;
        h->addWidget(w);
        if (beside) h->addWidget(beside);
        h->addStretch();
        g->addLayout(h, r++, 1);
    };
    row(QStringLiteral("Kwota"), Kwota, new QLabel(QStringLiteral("zł"), page));
    row(QStringLiteral("Data wpłaty"), DataWplaty);
    row(QStringLiteral("Forma płatności"), FormaPlatnosci);
    g->addWidget(new QLabel(QStringLiteral("Uwagi/ Tytuł"), page), r, 0, Qt::AlignTop);
    g->addWidget(Uwagi, r++, 1);
    row(QStringLiteral("Numer"), Numer, NumerTxt);
    row(QStringLiteral("Saldo"), Saldo);
    row(QStringLiteral("Saldo zaległe"), SaldoZalegle);
    g->addWidget(Pochodzenie, r++, 0, 1, 2);
    g->setColumnStretch(1, 1);
    Strony->addTab(page, QStringLiteral("Wpłata"));

    auto* hist = new QWidget(Strony);
    auto* hl = new QVBoxLayout(hist);
    GridHistoria = new QTableView(hist);
    m_histModel = new TQueryModel(m_hist.get(), GridHistoria);
    for (const auto& [field, caption] :
         {std::pair{"O_DATAMODYFIKACJI", "Data modyfikacji"}, std::pair{"O_DATADODANIA", "Data dodania"},
          std::pair{"O_DATAWPLATY", "Data wpłaty"}, std::pair{"O_NUMERTXT", "Numer"},
          std::pair{"O_KWOTA", "Kwota"}, std::pair{"O_FORMAPLATNOSCI", "Forma płtnosci"},
          std::pair{"O_UWAGI", "Uwagi"}, std::pair{"O_KWOTADOROZLICZENIA", "Do rozliczenia"}})
        m_histModel->AddColumn(QString::fromLatin1(field), QString::fromUtf8(caption));
    GridHistoria->setModel(m_histModel);
    GridHistoria->verticalHeader()->hide();
    hl->addWidget(GridHistoria);
    Strony->addTab(hist, QStringLiteral("Historia"));

    ZapiszBtn = new QPushButton(QStringLiteral("Zapisz"), this);
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), this);
    for (QPushButton* b : {ZapiszBtn, AnulujBtn}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(100);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZapiszBtn);
    buttons->addWidget(AnulujBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Strony, 1);
    layout->addLayout(buttons);
    resize(480, 360);

    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Zapisz(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] {
        OkPressed = false;
        reject();
    });
    connect(Numer, &QLineEdit::textEdited, this, [this] { RunGuarded([this] { numberChanged(); }); });
    connect(Numer, &QLineEdit::editingFinished, this, [this] {
        if (Numer->text().toInt() <= 0) {
            Numer->setText(QStringLiteral("1"));
            RunGuarded([this] { numberChanged(); });
        }
    });
    connect(DataWplaty, &TDateTimePicker::Changed, this, [this] { RunGuarded([this] { dateChanged(); }); });
    connect(Strony, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 1) RunGuarded([this] { showHistory(); });
    });
}

int TFormOplatyDodaj::ShowPayment(bool newPayment)
{
    IsNew = false;
    OkPressed = false;
    if (newPayment) {
        Dane = TOplataDane();
        Dane.InsertNew(UserIndex, LastPaymentForm, LastPaymentDate);
        NewIndex = Dane.Index;
        IsNew = true;
    }
    fill();
    return exec();
}

void TFormOplatyDodaj::fill()
{
    m_filling = true;
    const TOplataUser u = ReadOplataUser(Dane.UserIndex);
    Uzytkownik->setText(u.name);
    Kwota->setText(MoneyEditText(Dane.Kwota));
    DataWplaty->SetDate(Dane.DataWplaty);
    FormaPlatnosci->clear();
    FormaPlatnosci->addItems(GlobalSession()->GetQueryValuesAsList(
        QStringLiteral("select FP_NAZWA from FormyPlatnosci order by FP_NAZWA")));
    // A form no longer in the dictionary stays the payment's own.
    if (FormaPlatnosci->findText(Dane.Forma) < 0) FormaPlatnosci->addItem(Dane.Forma);
    FormaPlatnosci->setCurrentIndex(FormaPlatnosci->findText(Dane.Forma));
    Uwagi->setPlainText(Dane.Uwagi);
    Numer->setText(QString::number(Dane.Numer));
    Saldo->setText(MoneyEditText(u.saldo));
    SaldoZalegle->setText(MoneyEditText(u.saldoZalegle));
    QFont f = SaldoZalegle->font();
    f.setBold(u.saldoZalegle.raw > 0);
    SaldoZalegle->setFont(f);
    Pochodzenie->setText(Dane.IndexPm > 0     ? QStringLiteral("Wpłata powiązana z pozycją PM")
                         : Dane.IndexPm == -1 ? QStringLiteral("Wpłata dokonana na iBOKu")
                                              : QString());
    Strony->setTabVisible(1, !IsNew);
    Strony->setCurrentIndex(0);
    m_filling = false;
    numberChanged();
    Kwota->setFocus();
    Kwota->selectAll();
}

void TFormOplatyDodaj::numberChanged()
{
    if (m_filling) return;
    Dane.SetNumber(Numer->text().toInt());
    NumerTxt->setText(Dane.NumerTxt);
    NumerTxt->setStyleSheet(Dane.NumberTaken() ? QStringLiteral("color: red")
                                               : QStringLiteral("color: black"));
}

void TFormOplatyDodaj::dateChanged()
{
    if (m_filling) return;
    Dane.SetDate(DataWplaty->Date());
    m_filling = true;
    if (DataWplaty->Date() != Dane.DataWplaty) DataWplaty->SetDate(Dane.DataWplaty);
    Numer->setText(QString::number(Dane.Numer));
    m_filling = false;
    numberChanged();
}

void TFormOplatyDodaj::showHistory()
{
    m_hist->Close();
    m_hist->ParamByName(QStringLiteral("p1"))->Assign(Dane.Index);
    m_hist->Open();
}

void TFormOplatyDodaj::Zapisz()
{
    OkPressed = true;
    Amount4 amount;
    if (!Amount4::tryParse(Kwota->text(), amount)) amount = {};
    const QString refusal = CheckOplataClose(amount, ReadOplataUser(Dane.UserIndex).saldo);
    if (!refusal.isEmpty()) {
        TMD::MessageDlg(refusal, mtError, mbOK);
        OkPressed = false;
        Kwota->setFocus();
        return;
    }
    Dane.Kwota = amount;
    Dane.DataWplaty = OplataDateNotInFuture(DataWplaty->Date(), QDate::currentDate());
    Dane.Forma = FormaPlatnosci->currentText();
    Dane.Uwagi = Uwagi->toPlainText();
    Dane.SetNumber(Numer->text().toInt() > 0 ? Numer->text().toInt() : 1);
    Dane.Write();
    accept();
}

void TFormOplatyDodaj::hideEvent(QHideEvent* e)
{
    if (IsNew && OkPressed) {
        LastPaymentForm = Dane.Forma;
        LastPaymentDate = Dane.DataWplaty;
    }
    m_hist->Close();
    UserIndex = 0;
    TFormEx::hideEvent(e);
}

void AddOplata(int userIndex)
{
    if (userIndex == 0 || RightDenied(3)) return;
    TFormOplatyDodaj* dlg = FormOplatyDodaj();
    TDedicatedSession* s = GlobalSession();
    TTransactionGuard guard(s);
    dlg->UserIndex = userIndex;
    dlg->setWindowTitle(QStringLiteral("Dodawanie nowej wpłaty"));
    const QString nr = OplataCustomerNumber(userIndex);
    if (dlg->ShowPayment(true) != QDialog::Accepted) {
        guard.rollback();
        LogEvent(QStringLiteral("Anulowane dodanie wpłaty dla użytkownika nr ") + nr);
        return;
    }
    const TOplataDane o = dlg->Dane;
    if (!SettleNewOplata(o)) {
        guard.rollback();
        LogEvent(QStringLiteral("Nieudane dodanie wpłaty dla użytkownika nr ") + nr);
        return;
    }
    guard.commit();
    LogEvent(QStringLiteral("Zatwierdzenie rozliczeń wpłaty ID=") + OplataLogTail(o));
    OfferVendraTillLine(userIndex, o.Kwota);
    RecalcUserSaldoAndCache(userIndex);
    if (ReadIniBool(OperatorId, QStringLiteral("AutomatycznyWydrukKP"), true))
        PrintKpDocument(o.Index, false);
}

bool EditOplata(int oplataIndex)
{
    if (oplataIndex == 0 || RightDenied(3)) return false;
    TFormOplatyDodaj* dlg = FormOplatyDodaj();
    TDedicatedSession* s = GlobalSession();
    dlg->Dane.Load(oplataIndex);
    if (dlg->Dane.Index == 0) return false;
    const QDate oldDate = dlg->Dane.DataWplaty;
    TTransactionGuard guard(s);
    dlg->setWindowTitle(QStringLiteral("Edycja wpłaty"));
    if (dlg->ShowPayment(false) != QDialog::Accepted) {
        guard.rollback();
        LogEvent(QStringLiteral("Anulowana edycja wpłaty ID=") + OplataLogTail(dlg->Dane));
        return false;
    }
    const TOplataDane o = dlg->Dane;
    if (!SettleEditedOplata(o, oldDate)) {
        // Keeping the new amount with the old links would leave the accounts half changed.
        guard.rollback();
        LogEvent(QStringLiteral("Błąd księgowania po edycji wpłaty ID:") + OplataLogTail(o));
        RecalcUserSaldoAndCache(o.UserIndex);
        TMD::MessageDlg(QStringLiteral("Nie udało się rozliczyć zmienionej wpłaty. Zmiany wpłaty nie zostały "
                                       "zapisane."),
                        mtError, mbOK);
        return false;
    }
    guard.commit();
    return true;
}

void DeleteOplata(int oplataIndex)
{
    if (oplataIndex == 0 || RightDenied(2)) return;
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybraną wpłatę?"), mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    const int user = GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select O_INDEXUSER from Oplaty where O_INDEX=:p1"), {oplataIndex});
    DeleteOplataRows(oplataIndex);
    RecalcUserSaldoAndCache(user);
    SettleUserOplaty(user);
}
