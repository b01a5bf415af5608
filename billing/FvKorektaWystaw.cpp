#include "billing/FvKorektaWystaw.h"

#include "billing/DokumentRamka.h"
#include "billing/FvKorektaDane.h"
#include "billing/FvkKorygujPozycje.h"
#include "billing/PozycjaDokumentu.h"
#include "billing/Pozycje.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace DokumentRamka;

namespace {

const QString kNewCaption = QStringLiteral("Wystawianie nowej korekty");
const char* const kGtuColumns[5] = {"FVK_GTU_EE", "FVK_GTU_SW", "FVK_GTU_TP", "FVK_GTU_MPP", "FVK_GTU_FP"};
const char* const kGtuCaptions[5] = {"WSTO_EE", "SW", "TP", "MPP", "FP"};

QList<QPair<QString, QString>> lineColumns(const QString& nameCaption, const QString& suffix)
{
    auto c = [&](const char* name) { return QStringLiteral("FVKP_") + QLatin1String(name) + suffix; };
    return {{c("NAZWAUSLUGI"), nameCaption},
            {c("ILOSC"), QStringLiteral("Ilość")},
            {c("JEDNMIARY"), QStringLiteral("Jm")},
            {c("SYMBOL"), QStringLiteral("Symbol")},
            {c("CENANETTO"), QStringLiteral("Cena netto")},
            {c("STAWKAVAT_TXT"), QStringLiteral("VAT%")},
            {c("CENABRUTTO"), QStringLiteral("Cena brutto")},
            {c("KWOTAVAT"), QStringLiteral("Kw.VAT")},
            {c("RABAT"), QStringLiteral("Rabat")},
            {c("WARTOSCNETTO"), QStringLiteral("Wartość netto")},
            {c("WARTOSCBRUTTO"), QStringLiteral("Wartość brutto")}};
}

} // namespace

TFormFvKorektaWystaw* FormFvKorektaWystaw()
{
    static TFormFvKorektaWystaw* form = nullptr;
    if (!form) form = new TFormFvKorektaWystaw();
    return form;
}

TFormFvKorektaWystaw::TFormFvKorektaWystaw(QWidget* parent)
    : TFormEx(parent), m_dane(std::make_unique<TFvKorektaDane>())
{
    setObjectName(QStringLiteral("FormFvKorektaWystaw"));
    m_dane->AskOperator = [](const QString& question) {
        return TMD::MessageDlg(question, mtWarning, mbYes | mbNo) == mrYes;
    };
    buildUi();
    m_lineDialog = new TFormFvkKorygujPozycje(this);
    AutoConfirm = new QTimer(this);
    AutoConfirm->setInterval(200);
    connect(AutoConfirm, &QTimer::timeout, this, [this] {
        if (!isVisible()) return;
        AutoConfirm->stop();
        ZapiszBtn->click();
    });
}

TFormFvKorektaWystaw::~TFormFvKorektaWystaw() = default;

void TFormFvKorektaWystaw::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(buildTop());
    layout->addWidget(buildLines(), 1);
    layout->addWidget(buildBottom());
    resize(1180, 860);
}

QWidget* TFormFvKorektaWystaw::buildTop()
{
    auto* box = new QWidget(this);
    Numer = new QLabel(box);
    Numer->setMinimumWidth(60);
    Numer->setFrameShape(QFrame::StyledPanel);
    Numer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    NumerTxt = new QLabel(box);
    NumerTxt->setFont(BoldFont(font(), 1.3));
    NumerTxt->setMinimumWidth(260);
    NumerKorygowanej = new QLabel(box);
    NumerKorygowanej->setFont(BoldFont(font()));
    DataWystawienia = new TDateTimePicker(box);

    Nabywca = new QGroupBox(QStringLiteral("Nabywca"), box);
    NabywcaNazwa = new QLabel(Nabywca);
    NabywcaNazwa->setFont(BoldFont(font()));
    NabywcaAdres = new QLabel(Nabywca);
    NabywcaNip = new QLabel(Nabywca);
    auto* buyer = new QGridLayout(Nabywca);
    buyer->addWidget(NabywcaNazwa, 0, 0, 1, 2);
    buyer->addWidget(NabywcaAdres, 1, 0, 1, 2);
    buyer->addWidget(new QLabel(QStringLiteral("NIP"), Nabywca), 2, 0);
    buyer->addWidget(NabywcaNip, 2, 1);
    buyer->setColumnStretch(1, 1);

    auto* left = new QGridLayout;
    left->addWidget(new QLabel(QStringLiteral("Numer"), box), 0, 0);
    auto* number = new QHBoxLayout;
    number->addWidget(Numer);
    number->addSpacing(10);
    number->addWidget(NumerTxt, 1);
    left->addLayout(number, 0, 1);
    left->addWidget(new QLabel(QStringLiteral("Numer faktury korygowanej"), box), 1, 0);
    left->addWidget(NumerKorygowanej, 1, 1);
    left->addWidget(new QLabel(QStringLiteral("Data"), box), 2, 0);
    left->addWidget(DataWystawienia, 2, 1, Qt::AlignLeft);
    left->setColumnStretch(1, 1);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(left, 2);
    row->addWidget(Nabywca, 3);
    connect(DataWystawienia, &TDateTimePicker::Changed, this,
            [this] { change([this] { m_dane->SetIssueDate(DataWystawienia->Date()); }); });
    return box;
}

QWidget* TFormFvKorektaWystaw::buildLines()
{
    auto* box = new QWidget(this);
    PozycjePo = BuildLinesGrid(
        box, m_dane->Lines(),
        lineColumns(QStringLiteral("[PO KOREKCIE]          Nazwa usługi"), QStringLiteral("_PO")), nullptr);
    PozycjePrzed =
        BuildLinesGrid(box, m_dane->Lines(),
                       lineColumns(QStringLiteral("[PRZED KOREKTĄ]    Nazwa usługi"), QString()), nullptr);
    for (QTableView* grid : {PozycjePo, PozycjePrzed}) {
        grid->installEventFilter(this);
        connect(grid, &QTableView::doubleClicked, this, [this] { RunGuarded([this] { Koryguj(); }); });
    }
    KorygujBtn = new QPushButton(QStringLiteral("Koryguj"), box);
    KorygujBtn->setAutoDefault(false);
    KorygujBtn->setMinimumWidth(130);
    connect(KorygujBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Koryguj(); }); });

    auto* grids = new QVBoxLayout;
    grids->addWidget(PozycjePo, 1);
    grids->addWidget(PozycjePrzed, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(KorygujBtn);
    buttons->addStretch();
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(grids, 1);
    row->addLayout(buttons);
    return box;
}

QWidget* TFormFvKorektaWystaw::buildPayment()
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

    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(TerminForma);
    column->addLayout(amounts);
    column->addStretch();

    connect(FormaPlatnosci, &QComboBox::activated, this,
            [this] { change([this] { m_dane->SetPaymentForm(FormaPlatnosci->currentText()); }); });
    connect(TerminPlatnosci, &TDateTimePicker::Changed, this,
            [this] { change([this] { m_dane->SetDueDate(TerminPlatnosci->Date()); }); });
    connect(KwotaWplacona, &QLineEdit::editingFinished, this, [this] {
        if (!KwotaWplacona->isModified()) return;
        KwotaWplacona->setModified(false);
        change([this] { m_dane->SetPaidAmount(ParseAmountText(KwotaWplacona->text())); });
    });
    return box;
}

QWidget* TFormFvKorektaWystaw::buildBottom()
{
    auto* box = new QWidget(this);
    QWidget* sums = BuildVatSumsBox(box, &Sumy);

    RabatSuma = new QLabel(box);
    Wystawil = new QLabel(box);
    for (QLabel* l : {RabatSuma, Wystawil})
        l->setFont(BoldFont(font()));
    PowodKorekty = new QComboBox(box);
    PowodKorekty->setEditable(true);
    PowodKorekty->setInsertPolicy(QComboBox::NoInsert);
    PowodKorekty->addItems(CorrectionReasonTexts());
    PowodKorekty->setMinimumWidth(280);
    KorektaDanychNabywcy = new QCheckBox(
        QStringLiteral("Tylko korekta danych nabywcy (pozostałe dane faktury muszą pozostać niezmienione)"),
        box);
    KodyGtu = new QGroupBox(QStringLiteral("Kody GTU"), box);
    auto* gtu = new QHBoxLayout(KodyGtu);
    for (int i = 0; i < 5; ++i) {
        Gtu[i] = new QCheckBox(QString::fromLatin1(kGtuCaptions[i]), KodyGtu);
        gtu->addWidget(Gtu[i]);
        const QString column = QString::fromLatin1(kGtuColumns[i]);
        QCheckBox* c = Gtu[i];
        connect(c, &QCheckBox::clicked, this, [this, column, c] {
            change([this, column, c] { m_dane->SetProcedureFlag(column, c->isChecked()); });
        });
    }
    gtu->addStretch();

    auto* info = new QGridLayout;
    info->addWidget(new QLabel(QStringLiteral("Kwota udzielonego rabatu "), box), 0, 0);
    info->addWidget(RabatSuma, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("Wystawił"), box), 1, 0);
    info->addWidget(Wystawil, 1, 1);
    info->addWidget(new QLabel(QStringLiteral("Powód korekty"), box), 2, 0);
    info->addWidget(PowodKorekty, 2, 1);
    info->addWidget(KorektaDanychNabywcy, 3, 0, 1, 2);
    info->addWidget(KodyGtu, 4, 0, 1, 2);
    info->setColumnStretch(1, 1);
    QWidget* buttons = BuildSaveCancelRow(box, &ZapiszBtn, &AnulujBtn);
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });

    auto* right = new QVBoxLayout;
    right->addLayout(info);
    right->addStretch();
    right->addWidget(buttons);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(sums, 0, Qt::AlignTop);
    row->addSpacing(16);
    row->addWidget(buildPayment(), 1);
    row->addSpacing(16);
    row->addLayout(right, 1);

    connect(PowodKorekty, &QComboBox::currentTextChanged, this,
            [this](const QString& t) { change([this, t] { m_dane->SetReason(t); }); });
    connect(KorektaDanychNabywcy, &QCheckBox::clicked, this,
            [this](bool on) { change([this, on] { m_dane->SetBuyerDataOnly(on); }); });
    return box;
}

// ---- showing

void TFormFvKorektaWystaw::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    bool shown = false;
    RunGuarded([this, &shown] {
        m_dane->IsNew = windowTitle() == kNewCaption;
        m_dane->Show();
        m_loading = true;
        FormaPlatnosci->clear();
        FormaPlatnosci->addItems(PaymentFormNames());
        m_loading = false;
        showHeader();
        shown = true;
    });
    if (!shown) {
        QMetaObject::invokeMethod(
            this, [this] { reject(); }, Qt::QueuedConnection);
        return;
    }
    PozycjePo->setFocus();
    if (PozycjePo->model() && PozycjePo->model()->rowCount() > 0) PozycjePo->selectRow(0);
}

void TFormFvKorektaWystaw::showHeader()
{
    TFvKorektaDane& d = *m_dane;
    if (!d.Header()->Active() || d.Header()->IsEmpty()) return;
    m_loading = true;
    auto text = [&](const char* name) { return d.Field(QString::fromLatin1(name))->AsString(); };
    Numer->setText(text("FVK_NUMER"));
    NumerTxt->setText(text("FVK_NUMERTXT"));
    NumerKorygowanej->setText(text("FVK_NUMERTXTKORYGOWANEJ"));
    DataWystawienia->SetDate(d.IssueDate());
    NabywcaNazwa->setText((text("FVK_NAZWISKO") + QLatin1Char(' ') + text("FVK_IMIE")).trimmed());
    NabywcaAdres->setText(d.BuyerAddressText());
    NabywcaNip->setText(text("FVK_NIP"));
    const QString form = text("FVK_FORMAPLATNOSCI");
    if (FormaPlatnosci->findText(form) < 0 && !form.isEmpty()) FormaPlatnosci->addItem(form);
    FormaPlatnosci->setCurrentIndex(FormaPlatnosci->findText(form));
    TerminPlatnosci->SetDate(d.DueDate());
    IloscDni->setText(d.TermText());
    if (!KwotaWplacona->hasFocus() || !KwotaWplacona->isModified())
        KwotaWplacona->setText(MoneyEditText(d.Field(QStringLiteral("FVK_KWOTAWPLACONA"))->AsCurrency()));
    PozostaloDoZaplaty->setText(MoneyText(d.Field(QStringLiteral("FVK_KWOTADOZAPLATY"))->AsCurrency()));
    ShowVatSums(
        Sumy, [&d](const QString& name) { return d.Field(name); }, QStringLiteral("FVK_"));
    RabatSuma->setText(MoneyText(d.Field(QStringLiteral("FVK_RABATSUMA"))->AsCurrency()));
    Wystawil->setText(text("FVK_WYSTAWIL"));
    if (PowodKorekty->currentText() != text("FVK_POWODKOREKTY"))
        PowodKorekty->setEditText(text("FVK_POWODKOREKTY"));
    KorektaDanychNabywcy->setChecked(d.Field(QStringLiteral("FVK_CZYKORDANYCHNABYWCY"))->AsInteger() == 1);
    for (int i = 0; i < 5; ++i)
        Gtu[i]->setChecked(d.Field(QString::fromLatin1(kGtuColumns[i]))->AsInteger() != 0);
    m_loading = false;
}

void TFormFvKorektaWystaw::change(const std::function<void()>& action)
{
    if (m_loading || !isVisible()) return;
    RunGuarded(action);
    showHeader();
}

// ---- lines

void TFormFvKorektaWystaw::Koryguj()
{
    TFvKorektaDane& d = *m_dane;
    if (!d.Lines()->Active() || d.Lines()->IsEmpty()) return;
    d.EditLine();
    m_lineDialog->Lines = d.Lines();
    m_lineDialog->Header = d.Header();
    m_lineDialog->setWindowTitle(QStringLiteral("Korekta pozycji"));
    RunLineDialog(m_lineDialog, d, [this] { showHeader(); });
    PozycjePo->setFocus();
}

bool TFormFvKorektaWystaw::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == PozycjePo || watched == PozycjePrzed) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunGuarded([this] { Koryguj(); });
            return true;
        }
    }
    return TFormEx::eventFilter(watched, event);
}

// ---- closing

void TFormFvKorektaWystaw::done(int r)
{
    AutoConfirm->stop();
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

// ---- openers

int StartFvCorrection(int fvIndex, bool zeroAfter)
{
    if (RightDenied(3) || fvIndex == 0) return 0;
    TDedicatedSession* s = GlobalSession();
    auto earlier =
        s->OpenQuery(QStringLiteral("select (1) from Fvk where FVK_INDEXKORYGOWANEJ=:p1"), {fvIndex});
    if (!earlier->IsEmpty() &&
        TMD::MessageDlg(
            QStringLiteral("Wybrany dokument był już wcześniej korygowany. Należy zachować spójności "
                           "ilościowo wartościową pozycji. Czy kontynuować?"),
            mtWarning, mbYes | mbNo) != mrYes)
        return 0;

    TTransactionGuard transaction(s);
    const int k = CreateCorrectionFromFv(fvIndex, zeroAfter);
    if (k == 0) {
        transaction.rollback();
        TMD::MessageDlg(QStringLiteral("Nie udało się utworzyć korekty wybranej faktury. Żadne zmiany nie "
                                       "zostały zapisane."),
                        mtError, mbOK);
        return 0;
    }
    const int u = int(s->GetQueryValueAsInteger(
        QStringLiteral("select FV_INDEXUSER from Fv where FV_INDEX=:p1"), {fvIndex}));
    TFormFvKorektaWystaw* form = FormFvKorektaWystaw();
    form->Dane().SelectCorrection(k, u);
    form->setWindowTitle(kNewCaption);
    form->Dane().EditHeader();
    if (form->exec() != QDialog::Accepted) return 0; // the guard takes back the correction and its number
    RecalcUserSaldo(u);
    SettleDocument(QStringLiteral("K"), k);
    RecalcUserSaldo(u);
    s->ExecQuery(QStringLiteral("update Fv set FV_INDEXKOREKTA=:p1 where FV_INDEX=:p2"), {k, fvIndex});
    LogEvent(QStringLiteral("Wystawienie korekty ID=") + QString::number(k));
    transaction.commit();
    return k;
}

bool EditFvCorrection(int fvkIndex)
{
    TDedicatedSession* s = GlobalSession();
    TTransactionGuard transaction(s);
    UnsettleDocument(QStringLiteral("K"), fvkIndex);
    const int u = int(s->GetQueryValueAsInteger(
        QStringLiteral("select FVK_INDEXUSER from Fvk where FVK_INDEX=:p1"), {fvkIndex}));
    TFormFvKorektaWystaw* form = FormFvKorektaWystaw();
    form->Dane().SelectCorrection(fvkIndex, u);
    form->setWindowTitle(QStringLiteral("Edycja korekty"));
    form->Dane().EditHeader();
    if (form->exec() != QDialog::Accepted) return false;
    SettleDocument(QStringLiteral("K"), fvkIndex);
    transaction.commit();
    return true;
}
