#include "billing/FvWystaw.h"

#include "billing/DokumentRamka.h"
#include "billing/FvDodajPozycje.h"
#include "billing/FvWystawDane.h"
#include "billing/Pozycje.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/VatRates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace DokumentRamka;

TFormFvWystaw* FormFvWystaw()
{
    static TFormFvWystaw* form = nullptr;
    if (!form) form = new TFormFvWystaw();
    return form;
}

TFormFvWystaw::TFormFvWystaw(QWidget* parent) : TFormEx(parent), m_dane(std::make_unique<TFvWystawDane>())
{
    setObjectName(QStringLiteral("FormFvWystaw"));
    m_dane->AskOperator = [](const QString& question) {
        return TMD::MessageDlg(question, mtWarning, mbYes | mbNo) == mrYes;
    };
    m_dane->TellOperator = [](const QString& text, bool error) {
        TMD::MessageDlg(text, error ? mtError : mtWarning, mbOK);
    };
    m_lineDialog = new TFormFvDodajPozycje(this);
    buildUi();
}

TFormFvWystaw::~TFormFvWystaw() = default;

int TFormFvWystaw::FvIndex() const
{
    return m_dane->FvIndex;
}

bool TFormFvWystaw::IsNew() const
{
    return m_dane->IsNew;
}

bool TFormFvWystaw::OkPressed() const
{
    return m_dane->OkPressed;
}

void TFormFvWystaw::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(buildTop());
    layout->addWidget(buildPayment());
    layout->addWidget(buildLines(), 1);
    layout->addWidget(buildBottom());
    resize(1100, 760);
}

QWidget* TFormFvWystaw::buildTop()
{
    auto* box = new QWidget(this);
    Numer = new QLineEdit(box);
    Numer->setMaximumWidth(90);
    Numer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    new TFieldKeyFilter(Numer, TFieldKeyFilter::Mode::Digits);
    NumerTxt = new QLabel(box);
    NumerTxt->setFont(BoldFont(font(), 1.3));
    NumerTxt->setMinimumWidth(260);
    DataWystawienia = new TDateTimePicker(box);

    Nabywca = new QGroupBox(QStringLiteral("Nabywca"), box);
    NabywcaNazwa = new QLabel(Nabywca);
    NabywcaNazwa->setFont(BoldFont(font()));
    NabywcaAdres = new QLabel(Nabywca);
    NabywcaNip = new QLabel(Nabywca);
    for (QLabel* l : {NabywcaNazwa, NabywcaAdres, NabywcaNip})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buyer = new QGridLayout(Nabywca);
    buyer->addWidget(NabywcaNazwa, 0, 0, 1, 2);
    buyer->addWidget(NabywcaAdres, 1, 0, 1, 2);
    buyer->addWidget(new QLabel(QStringLiteral("NIP"), Nabywca), 2, 0);
    buyer->addWidget(NabywcaNip, 2, 1);
    buyer->setColumnStretch(1, 1);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(QStringLiteral("Numer"), box));
    numberRow->addWidget(Numer);
    numberRow->addSpacing(10);
    numberRow->addWidget(NumerTxt, 1);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(new QLabel(QStringLiteral("Data"), box));
    dateRow->addWidget(DataWystawienia);
    dateRow->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(numberRow);
    left->addLayout(dateRow);
    left->addStretch();

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(left, 2);
    row->addWidget(Nabywca, 3);

    connect(Numer, &QLineEdit::textEdited, this,
            [this](const QString& t) { change([this, t] { m_dane->SetNumberText(t); }); });
    connect(Numer, &QLineEdit::editingFinished, this,
            [this] { change([this] { m_dane->NumberFieldLeft(); }); });
    connect(DataWystawienia, &TDateTimePicker::Changed, this,
            [this] { change([this] { m_dane->SetIssueDate(DataWystawienia->Date()); }); });
    return box;
}

QWidget* TFormFvWystaw::buildPayment()
{
    auto* box = new QWidget(this);
    const TPaymentBox payment =
        BuildPaymentBox(box, [this](int days) { change([this, days] { m_dane->SetTermDays(days); }); });
    TerminForma = payment.box;
    FormaPlatnosci = payment.forms;
    TerminPlatnosci = payment.due;
    IloscDni = payment.days;
    for (int i = 0; i < 6; ++i)
        Dni[i] = payment.dni[i];
    KwotaWplacona = payment.paid;
    PozostaloDoZaplaty = payment.left;
    Uwagi = new QLineEdit(box);
    Uwagi->setMaxLength(255);

    KodyGtu = new QGroupBox(QStringLiteral("Kody GTU"), box);
    GtuEE = new QCheckBox(QStringLiteral("WSTO_EE"), KodyGtu);
    GtuSW = new QCheckBox(QStringLiteral("SW"), KodyGtu);
    GtuTP = new QCheckBox(QStringLiteral("TP"), KodyGtu);
    GtuMPP = new QCheckBox(QStringLiteral("MPP"), KodyGtu);
    GtuFP = new QCheckBox(QStringLiteral("FP"), KodyGtu);
    auto* gtu = new QHBoxLayout(KodyGtu);
    const std::pair<QCheckBox*, const char*> flags[] = {{GtuEE, "FV_GTU_EE"},
                                                        {GtuSW, "FV_GTU_SW"},
                                                        {GtuTP, "FV_GTU_TP"},
                                                        {GtuMPP, "FV_GTU_MPP"},
                                                        {GtuFP, "FV_GTU_FP"}};
    for (const auto& [check, column] : flags) {
        gtu->addWidget(check);
        const QString name = QString::fromLatin1(column);
        QCheckBox* c = check;
        connect(c, &QCheckBox::clicked, this, [this, name, c] {
            change([this, name, c] { m_dane->SetProcedureFlag(name, c->isChecked()); });
        });
    }

    auto* amounts = new QGridLayout;
    amounts->addWidget(new QLabel(QStringLiteral("Kwota wpłacona"), box), 0, 0);
    amounts->addWidget(KwotaWplacona, 0, 1);
    amounts->addWidget(new QLabel(QStringLiteral("Pozostało do zapłaty"), box), 1, 0);
    amounts->addWidget(PozostaloDoZaplaty, 1, 1);
    amounts->addWidget(new QLabel(QStringLiteral("Uwagi"), box), 2, 0);
    amounts->addWidget(Uwagi, 2, 1, 1, 2);
    amounts->addWidget(KodyGtu, 3, 0, 1, 3);
    amounts->setColumnStretch(2, 1);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(TerminForma, 1);
    row->addLayout(amounts, 1);

    connect(FormaPlatnosci, &QComboBox::activated, this,
            [this] { change([this] { m_dane->SetPaymentForm(FormaPlatnosci->currentText()); }); });
    connect(TerminPlatnosci, &TDateTimePicker::Changed, this,
            [this] { change([this] { m_dane->SetDueDate(TerminPlatnosci->Date()); }); });
    connect(KwotaWplacona, &QLineEdit::editingFinished, this,
            [this] { change([this] { m_dane->SetPaidAmount(ParseAmountText(KwotaWplacona->text())); }); });
    connect(Uwagi, &QLineEdit::editingFinished, this,
            [this] { change([this] { m_dane->SetNotes(Uwagi->text()); }); });
    return box;
}

QWidget* TFormFvWystaw::buildLines()
{
    auto* box = new QWidget(this);
    Pozycje = BuildLinesGrid(box, m_dane->Lines(),
                             {{QStringLiteral("FVP_NAZWAUSLUGI"), QStringLiteral("Nazwa usługi")},
                              {QStringLiteral("FVP_ILOSC"), QStringLiteral("Ilość")},
                              {QStringLiteral("FVP_JEDNMIARY"), QStringLiteral("Jm")},
                              {QStringLiteral("FVP_SYMBOL"), QStringLiteral("Symbol")},
                              {QStringLiteral("FVP_CENANETTO"), QStringLiteral("Cena netto")},
                              {QStringLiteral("FVP_STAWKAVAT_TXT"), QStringLiteral("VAT%")},
                              {QStringLiteral("FVP_CENABRUTTO"), QStringLiteral("Cena brutto")},
                              {QStringLiteral("FVP_KWOTAVAT"), QStringLiteral("Kw.VAT")},
                              {QStringLiteral("FVP_RABAT"), QStringLiteral("Rabat")},
                              {QStringLiteral("FVP_WARTOSCNETTO"), QStringLiteral("Wartość netto")},
                              {QStringLiteral("FVP_WARTOSCBRUTTO"), QStringLiteral("Wartość brutto")}},
                             &m_linesModel);

    m_lines = new TLinesCommands(this, Pozycje, m_lineDialog, *m_dane,
                                 QStringLiteral("Czy usunąć wybrnaną pozycję z faktury?"),
                                 [this] { showHeader(); });
    DodajBtn = m_lines->DodajBtn;
    EdytujBtn = m_lines->EdytujBtn;
    UsunBtn = m_lines->UsunBtn;
    ZSzablonuBtn = m_lines->ZSzablonuBtn;

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Pozycje, 1);
    row->addLayout(m_lines->Buttons);
    return box;
}

QWidget* TFormFvWystaw::buildBottom()
{
    auto* box = new QWidget(this);
    QWidget* sums = BuildVatSumsBox(box, &Sumy);

    RabatSuma = new QLabel(box);
    Wystawil = new QLabel(box);
    for (QLabel* l : {RabatSuma, Wystawil})
        l->setFont(BoldFont(font()));
    QWidget* buttons = BuildSaveCancelRow(box, &ZapiszBtn, &AnulujBtn);
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });

    auto* info = new QGridLayout;
    info->addWidget(new QLabel(QStringLiteral("Kwota udzielonego rabatu "), box), 0, 0);
    info->addWidget(RabatSuma, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("Wystawił"), box), 1, 0);
    info->addWidget(Wystawil, 1, 1);
    info->setColumnStretch(1, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(info);
    right->addStretch();
    right->addWidget(buttons);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(sums, 0, Qt::AlignTop);
    row->addSpacing(24);
    row->addLayout(right, 1);
    return box;
}

// ---- showing

void TFormFvWystaw::fillPaymentForms()
{
    FormaPlatnosci->clear();
    FormaPlatnosci->addItems(PaymentFormNames());
}

void TFormFvWystaw::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    bool shown = false;
    RunGuarded([this, &shown] {
        m_dane->Show();
        fillPaymentForms();
        showHeader();
        shown = true;
    });
    if (!shown) {
        // Without its row the editor has nothing to show: the opener rolls back.
        QMetaObject::invokeMethod(
            this, [this] { reject(); }, Qt::QueuedConnection);
        return;
    }
    Pozycje->setFocus();
}

void TFormFvWystaw::showHeader()
{
    TFvWystawDane& d = *m_dane;
    if (!d.Header()->Active() || d.Header()->IsEmpty()) return;
    m_loading = true;
    auto text = [&](const char* name) { return d.Field(QString::fromLatin1(name))->AsString(); };
    auto money = [&](const char* name) { return d.Field(QString::fromLatin1(name))->AsCurrency(); };
    if (!Numer->hasFocus()) Numer->setText(text("FV_NUMER"));
    NumerTxt->setText(text("FV_NUMERTXT"));
    NumerTxt->setStyleSheet(d.NumberTextTaken() ? QStringLiteral("color: red;")
                                                : QStringLiteral("color: black;"));
    DataWystawienia->SetDate(d.IssueDate());
    NabywcaNazwa->setText((text("FV_NAZWISKO") + QLatin1Char(' ') + text("FV_IMIE")).trimmed());
    NabywcaAdres->setText(d.BuyerAddressText());
    NabywcaNip->setText(text("FV_NIP"));
    const int form = FormaPlatnosci->findText(text("FV_FORMAPLATNOSCI"));
    FormaPlatnosci->setCurrentIndex(form);
    TerminPlatnosci->SetDate(d.DueDate());
    IloscDni->setText(d.TermText());
    KwotaWplacona->setText(MoneyEditText(d.Paid()));
    PozostaloDoZaplaty->setText(MoneyText(d.LeftToPay()));
    if (!Uwagi->hasFocus()) Uwagi->setText(text("FV_UWAGI"));
    GtuEE->setChecked(d.Field(QStringLiteral("FV_GTU_EE"))->AsInteger() != 0);
    GtuSW->setChecked(d.Field(QStringLiteral("FV_GTU_SW"))->AsInteger() != 0);
    GtuTP->setChecked(d.Field(QStringLiteral("FV_GTU_TP"))->AsInteger() != 0);
    GtuMPP->setChecked(d.Field(QStringLiteral("FV_GTU_MPP"))->AsInteger() != 0);
    GtuFP->setChecked(d.Field(QStringLiteral("FV_GTU_FP"))->AsInteger() != 0);
    ShowVatSums(
        Sumy, [&d](const QString& name) { return d.Field(name); }, QStringLiteral("FV_"));
    RabatSuma->setText(MoneyText(money("FV_RABATSUMA")));
    Wystawil->setText(text("FV_WYSTAWIL"));
    m_loading = false;
}

void TFormFvWystaw::change(const std::function<void()>& action)
{
    if (m_loading || !isVisible()) return;
    RunGuarded(action);
    showHeader();
}

// ---- lines

// ---- closing

void TFormFvWystaw::done(int r)
{
    if (r == Accepted) {
        bool saved = false;
        RunGuarded([this, &saved] {
            // Fields whose editing did not finish yet count as typed.
            if (KwotaWplacona->isModified()) {
                KwotaWplacona->setModified(false);
                m_dane->SetPaidAmount(ParseAmountText(KwotaWplacona->text()));
            }
            if (Uwagi->text() != m_dane->Field(QStringLiteral("FV_UWAGI"))->AsString())
                m_dane->SetNotes(Uwagi->text());
            saved = m_dane->Save();
        });
        showHeader();
        if (!saved) return;
    } else {
        m_dane->OkPressed = false;
    }
    RunGuarded([this] { m_dane->Hide(); });
    TFormEx::done(r);
}

// ---- the opener of a new invoice

int IssueNewFv(int userIndex)
{
    TFormFvWystaw* form = FormFvWystaw();
    TFvWystawDane& d = form->Dane();
    d.SelectUser(userIndex);
    TTransactionGuard transaction(GlobalSession());
    form->setWindowTitle(QStringLiteral("Wystawianie nowej faktury"));
    d.InsertHeader();
    if (form->exec() != QDialog::Accepted) return 0; // the guard rolls the row, lines and number back
    const int fvIndex = d.FvIndex;
    // A failed settlement raises: the guard then takes back the invoice with it,
    // so no invoice is committed with half of its amounts applied.
    SettleDocument(QStringLiteral("F"), fvIndex);
    RecalcUserSaldo(userIndex);
    LogEvent(QStringLiteral("Wystawienie faktury ID=") + QString::number(fvIndex));
    transaction.commit();
    return fvIndex;
}
