#include "billing/PzWystaw.h"

#include "billing/DokumentRamka.h"
#include "billing/PozycjaDokumentu.h"
#include "billing/Pozycje.h"
#include "billing/PzDodajPozycje.h"
#include "billing/PzWystawDane.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

using namespace DokumentRamka;

TFormPzWystaw* FormPzWystaw()
{
    static TFormPzWystaw* form = nullptr;
    if (!form) form = new TFormPzWystaw();
    return form;
}

TFormPzWystaw::TFormPzWystaw(QWidget* parent) : TFormEx(parent), m_dane(std::make_unique<TPzWystawDane>())
{
    setObjectName(QStringLiteral("FormPzWystaw"));
    m_dane->TellOperator = [](const QString& text) { TMD::MessageDlg(text, mtWarning, mbOK); };
    m_lineDialog = new TFormPzDodajPozycje(this);
    buildUi();
}

TFormPzWystaw::~TFormPzWystaw() = default;

int TFormPzWystaw::PzIndex() const
{
    return m_dane->PzIndex;
}

bool TFormPzWystaw::IsNew() const
{
    return m_dane->IsNew;
}

void TFormPzWystaw::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(buildTop());
    layout->addWidget(buildPayment());
    layout->addWidget(buildLines(), 1);
    layout->addWidget(buildBottom());
    resize(1000, 680);
}

QWidget* TFormPzWystaw::buildTop()
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
    auto* buyer = new QVBoxLayout(Nabywca);
    buyer->addWidget(NabywcaNazwa);
    buyer->addWidget(NabywcaAdres);

    auto* left = new QGridLayout;
    left->addWidget(new QLabel(QStringLiteral("Numer"), box), 0, 0);
    auto* number = new QHBoxLayout;
    number->addWidget(Numer);
    number->addSpacing(10);
    number->addWidget(NumerTxt, 1);
    left->addLayout(number, 0, 1);
    left->addWidget(new QLabel(QStringLiteral("Data"), box), 1, 0);
    left->addWidget(DataWystawienia, 1, 1, Qt::AlignLeft);
    left->setColumnStretch(1, 1);
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

QWidget* TFormPzWystaw::buildPayment()
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
    auto* amounts = new QGridLayout;
    amounts->addWidget(new QLabel(QStringLiteral("Kwota wpłacona"), box), 0, 0);
    amounts->addWidget(KwotaWplacona, 0, 1);
    amounts->addWidget(new QLabel(QStringLiteral("Pozostało do zapłaty"), box), 1, 0);
    amounts->addWidget(PozostaloDoZaplaty, 1, 1);
    amounts->setColumnStretch(2, 1);
    amounts->setRowStretch(2, 1);
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
    return box;
}

QWidget* TFormPzWystaw::buildLines()
{
    auto* box = new QWidget(this);
    Pozycje = BuildLinesGrid(box, m_dane->Lines(),
                             {{QStringLiteral("PZP_NAZWAUSLUGI"), QStringLiteral("Nazwa usługi")},
                              {QStringLiteral("PZP_ILOSC"), QStringLiteral("Ilość")},
                              {QStringLiteral("PZP_JEDNMIARY"), QStringLiteral("Jm")},
                              {QStringLiteral("PZP_SYMBOL"), QStringLiteral("Symbol")},
                              {QStringLiteral("PZP_CENABRUTTO"), QStringLiteral("Cena brutto")},
                              {QStringLiteral("PZP_RABAT"), QStringLiteral("Rabat")},
                              {QStringLiteral("PZP_WARTOSCBRUTTO"), QStringLiteral("Wartość brutto")}},
                             nullptr);
    m_lines = new TLinesCommands(this, Pozycje, m_lineDialog, *m_dane,
                                 QStringLiteral("Czy usunąć wybrnaną pozycję?"), [this] { showHeader(); });
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

QWidget* TFormPzWystaw::buildBottom()
{
    auto* box = new QWidget(this);
    SumaBrutto = new QLabel(box);
    SumaBrutto->setFont(BoldFont(font(), 1.2));
    RabatSuma = new QLabel(box);
    Wystawil = new QLabel(box);
    for (QLabel* l : {RabatSuma, Wystawil})
        l->setFont(BoldFont(font()));
    auto* info = new QGridLayout;
    info->addWidget(new QLabel(QStringLiteral("Suma brutto"), box), 0, 0);
    info->addWidget(SumaBrutto, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("Kwota udzielonego rabatu "), box), 1, 0);
    info->addWidget(RabatSuma, 1, 1);
    info->addWidget(new QLabel(QStringLiteral("Wystawił"), box), 2, 0);
    info->addWidget(Wystawil, 2, 1);
    info->setColumnStretch(1, 1);
    QWidget* buttons = BuildSaveCancelRow(box, &ZapiszBtn, &AnulujBtn);
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(info, 1);
    row->addWidget(buttons, 0, Qt::AlignBottom);
    return box;
}

void TFormPzWystaw::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    bool shown = false;
    RunGuarded([this, &shown] {
        m_dane->Show();
        FormaPlatnosci->clear();
        FormaPlatnosci->addItems(PaymentFormNames());
        showHeader();
        shown = true;
    });
    if (!shown) {
        QMetaObject::invokeMethod(
            this, [this] { reject(); }, Qt::QueuedConnection);
        return;
    }
    Pozycje->setFocus();
}

void TFormPzWystaw::showHeader()
{
    TPzWystawDane& d = *m_dane;
    if (!d.Header()->Active() || d.Header()->IsEmpty()) return;
    m_loading = true;
    auto text = [&](const char* name) { return d.Field(QString::fromLatin1(name))->AsString(); };
    auto money = [&](const char* name) { return d.Field(QString::fromLatin1(name))->AsCurrency(); };
    if (!Numer->hasFocus()) Numer->setText(text("PZ_NUMER"));
    NumerTxt->setText(text("PZ_NUMERTXT"));
    DataWystawienia->SetDate(d.IssueDate());
    NabywcaNazwa->setText((text("PZ_NAZWISKO") + QLatin1Char(' ') + text("PZ_IMIE")).trimmed());
    NabywcaAdres->setText(d.BuyerAddressText());
    // A subscriber's own form outside the list is shown as it is.
    const QString form = text("PZ_FORMAPLATNOSCI");
    if (FormaPlatnosci->findText(form) < 0 && !form.isEmpty()) FormaPlatnosci->addItem(form);
    FormaPlatnosci->setCurrentIndex(FormaPlatnosci->findText(form));
    TerminPlatnosci->SetDate(d.DueDate());
    IloscDni->setText(d.TermText());
    KwotaWplacona->setText(MoneyEditText(money("PZ_KWOTAWPLACONA")));
    PozostaloDoZaplaty->setText(MoneyText(money("PZ_KWOTADOZAPLATY")));
    SumaBrutto->setText(MoneyText(money("PZ_SUMABRUTTO")));
    RabatSuma->setText(MoneyText(money("PZ_RABATSUMA")));
    Wystawil->setText(text("PZ_WYSTAWIL"));
    m_loading = false;
}

void TFormPzWystaw::change(const std::function<void()>& action)
{
    if (m_loading || !isVisible()) return;
    RunGuarded(action);
    showHeader();
}

void TFormPzWystaw::done(int r)
{
    if (r == Accepted) {
        bool saved = false;
        RunGuarded([this, &saved] {
            if (KwotaWplacona->isModified()) {
                KwotaWplacona->setModified(false);
                m_dane->SetPaidAmount(ParseAmountText(KwotaWplacona->text()));
            }
            m_dane->Save();
            saved = true;
        });
        showHeader();
        if (!saved) return;
    } else {
        m_dane->OkPressed = false;
    }
    RunGuarded([this] { m_dane->Hide(); });
    TFormEx::done(r);
}

int IssueNewPz(int userIndex)
{
    TFormPzWystaw* form = FormPzWystaw();
    TPzWystawDane& d = form->Dane();
    d.SelectUser(userIndex);
    TTransactionGuard transaction(GlobalSession());
    form->setWindowTitle(QStringLiteral("Wystawianie nowego polecenia zapłaty"));
    d.InsertHeader();
    if (form->exec() != QDialog::Accepted) return 0;
    const int pzIndex = d.PzIndex;
    SettleDocument(QStringLiteral("P"), pzIndex);
    RecalcUserSaldo(userIndex);
    LogEvent(QStringLiteral("Wystawienie polecenia zapłaty ID=") + QString::number(pzIndex));
    transaction.commit();
    return pzIndex;
}
