#include "billing/FvWystaw.h"

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
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const int kTermDays[6] = {0, 7, 10, 14, 21, 30};

QString moneyCell(Amount4 a)
{
    QString t = MoneyText(a);
    t.chop(3); // the grid's columns say what they hold; no " zł" in every cell
    return t;
}

QFont boldFont(QFont f, double scale = 1.0)
{
    f.setBold(true);
    if (scale != 1.0) f.setPointSizeF(f.pointSizeF() * scale);
    return f;
}

} // namespace

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
    buildUi();
    m_lineDialog = new TFormFvDodajPozycje(this);
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
    NumerTxt->setFont(boldFont(font(), 1.3));
    NumerTxt->setMinimumWidth(260);
    DataWystawienia = new TDateTimePicker(box);

    Nabywca = new QGroupBox(QStringLiteral("Nabywca"), box);
    NabywcaNazwa = new QLabel(Nabywca);
    NabywcaNazwa->setFont(boldFont(font()));
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
    TerminForma = new QGroupBox(QStringLiteral("Termin i forma płatnosci"), box);
    FormaPlatnosci = new QComboBox(TerminForma);
    FormaPlatnosci->setMinimumWidth(180);
    TerminPlatnosci = new TDateTimePicker(TerminForma);
    IloscDni = new QLabel(TerminForma);
    IloscDni->setFont(boldFont(font()));
    IloscDni->setMinimumWidth(60);
    auto* terms = new QHBoxLayout;
    terms->setSpacing(4);
    terms->addWidget(new QLabel(QStringLiteral("Ustaw"), TerminForma));
    for (int i = 0; i < 6; ++i) {
        Dni[i] = new QPushButton(QStringLiteral("%1 dni").arg(kTermDays[i]), TerminForma);
        Dni[i]->setAutoDefault(false);
        Dni[i]->setMinimumWidth(56);
        terms->addWidget(Dni[i]);
        const int days = kTermDays[i];
        connect(Dni[i], &QPushButton::clicked, this,
                [this, days] { change([this, days] { m_dane->SetTermDays(days); }); });
    }
    terms->addStretch();
    auto* pay = new QGridLayout(TerminForma);
    pay->addWidget(new QLabel(QStringLiteral("Forma płatności"), TerminForma), 0, 0);
    pay->addWidget(FormaPlatnosci, 0, 1);
    pay->addWidget(new QLabel(QStringLiteral("Termin płatności"), TerminForma), 1, 0);
    auto* due = new QHBoxLayout;
    due->addWidget(TerminPlatnosci);
    due->addSpacing(8);
    due->addWidget(IloscDni);
    due->addStretch();
    pay->addLayout(due, 1, 1);
    pay->addLayout(terms, 2, 0, 1, 2);
    pay->setColumnStretch(1, 1);

    KwotaWplacona = new QLineEdit(box);
    KwotaWplacona->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    KwotaWplacona->setMaximumWidth(130);
    new TFieldKeyFilter(KwotaWplacona, TFieldKeyFilter::Mode::Signed);
    PozostaloDoZaplaty = new QLabel(box);
    PozostaloDoZaplaty->setFont(boldFont(font()));
    PozostaloDoZaplaty->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PozostaloDoZaplaty->setMinimumWidth(130);
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
    Pozycje = new QTableView(box);
    Pozycje->setSelectionBehavior(QAbstractItemView::SelectRows);
    Pozycje->setSelectionMode(QAbstractItemView::SingleSelection);
    Pozycje->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Pozycje->verticalHeader()->hide();
    Pozycje->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    Pozycje->horizontalHeader()->setHighlightSections(false);
    Pozycje->installEventFilter(this);

    m_linesModel = new TQueryModel(m_dane->Lines(), this);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    m_linesModel->AddColumn(QStringLiteral("FVP_NAZWAUSLUGI"), QStringLiteral("Nazwa usługi"));
    m_linesModel->AddColumn(QStringLiteral("FVP_ILOSC"), QStringLiteral("Ilość"), right);
    m_linesModel->AddColumn(QStringLiteral("FVP_JEDNMIARY"), QStringLiteral("Jm"), centre);
    m_linesModel->AddColumn(QStringLiteral("FVP_SYMBOL"), QStringLiteral("Symbol"));
    m_linesModel->AddColumn(QStringLiteral("FVP_CENANETTO"), QStringLiteral("Cena netto"), right);
    m_linesModel->AddColumn(QStringLiteral("FVP_STAWKAVAT_TXT"), QStringLiteral("VAT%"), centre);
    m_linesModel->AddColumn(QStringLiteral("FVP_CENABRUTTO"), QStringLiteral("Cena brutto"), right);
    m_linesModel->AddColumn(QStringLiteral("FVP_KWOTAVAT"), QStringLiteral("Kw.VAT"), right);
    m_linesModel->AddColumn(QStringLiteral("FVP_RABAT"), QStringLiteral("Rabat"), right);
    m_linesModel->AddColumn(QStringLiteral("FVP_WARTOSCNETTO"), QStringLiteral("Wartość netto"), right);
    m_linesModel->AddColumn(QStringLiteral("FVP_WARTOSCBRUTTO"), QStringLiteral("Wartość brutto"), right);
    m_linesModel->SetFormatter([](const TQuery& q, int row, int field, int role) -> QVariant {
        if (role != Qt::DisplayRole || field < 0) return {};
        const QString name = q.Fields(field)->FieldName;
        if (name == QLatin1String("FVP_ILOSC")) {
            Amount4 a;
            Amount4::tryParse(q.CellText(row, field), a);
            return AmountEditText(a, 3);
        }
        if (name == QLatin1String("FVP_RABAT")) {
            Amount4 a;
            Amount4::tryParse(q.CellText(row, field), a);
            return AmountEditText(a, 2) + QLatin1Char('%');
        }
        if (name.startsWith(QLatin1String("FVP_CENA")) || name.startsWith(QLatin1String("FVP_WARTOSC")) ||
            name == QLatin1String("FVP_KWOTAVAT")) {
            Amount4 a;
            Amount4::tryParse(q.CellText(row, field), a);
            return moneyCell(a);
        }
        return {};
    });
    m_linesModel->BindToView(Pozycje);
    QHeaderView* h = Pozycje->horizontalHeader();
    h->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < m_linesModel->columnCount(); ++c)
        h->setSectionResizeMode(c, QHeaderView::ResizeToContents);

    DodajBtn = new QPushButton(QStringLiteral("Dodaj"), box);
    EdytujBtn = new QPushButton(QStringLiteral("Edytuj"), box);
    UsunBtn = new QPushButton(QStringLiteral("Usuń"), box);
    ZSzablonuBtn = new QPushButton(QStringLiteral("Dodaj z szablonu"), box);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {DodajBtn, EdytujBtn, UsunBtn, ZSzablonuBtn}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(130);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    connect(DodajBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Dodaj(); }); });
    connect(EdytujBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Edytuj(); }); });
    connect(UsunBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Usun(); }); });
    connect(ZSzablonuBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { DodajZSzablonu(); }); });
    connect(Pozycje, &QTableView::doubleClicked, this,
            [this] { RunGuarded([this] { m_dane->Lines()->IsEmpty() ? Dodaj() : Edytuj(); }); });

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Pozycje, 1);
    row->addLayout(buttons);
    return box;
}

QWidget* TFormFvWystaw::buildBottom()
{
    auto* box = new QWidget(this);
    // The sums grid has no header of its own: its caption is one text whose
    // words stand over the right edges of the net, VAT and gross columns.
    const QString caption = QStringLiteral(
        "Wartość:                  netto                            VAT                         brutto");
    auto* sumsTitle = new QLabel(caption, box);
    Sumy = new QTableWidget(VatGroupCount + 1, 4, box);
    Sumy->horizontalHeader()->hide();
    Sumy->verticalHeader()->hide();
    Sumy->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Sumy->setSelectionMode(QAbstractItemView::NoSelection);
    Sumy->setFocusPolicy(Qt::NoFocus);
    Sumy->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Sumy->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics fm(sumsTitle->font());
    auto wordEnd = [&](const QString& word) {
        return fm.horizontalAdvance(caption.left(caption.indexOf(word) + word.size()));
    };
    const int cellPadding = 4;
    const int labels = QFontMetrics(boldFont(font())).horizontalAdvance(QStringLiteral("RAZEM")) + 16;
    const int ends[3] = {wordEnd(QStringLiteral("netto")), wordEnd(QStringLiteral("VAT")),
                         wordEnd(QStringLiteral("brutto"))};
    Sumy->setColumnWidth(0, labels);
    Sumy->setColumnWidth(1, ends[0] + cellPadding - labels);
    Sumy->setColumnWidth(2, ends[1] - ends[0]);
    Sumy->setColumnWidth(3, ends[2] - ends[1]);
    const int frame = Sumy->frameWidth();
    sumsTitle->setContentsMargins(frame, 0, 0, 0);
    const int rowHeight = fontMetrics().height() + 4;
    Sumy->verticalHeader()->setDefaultSectionSize(rowHeight);
    Sumy->setFixedSize(ends[2] + cellPadding + 2 * frame, rowHeight * (VatGroupCount + 1) + 2 * frame);
    for (int r = 0; r <= VatGroupCount; ++r)
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(c == 0 ? (Qt::AlignLeft | Qt::AlignVCenter)
                                          : (Qt::AlignRight | Qt::AlignVCenter));
            if (r == VatGroupCount) item->setFont(boldFont(font()));
            Sumy->setItem(r, c, item);
        }
    auto* sums = new QVBoxLayout;
    sums->setSpacing(2);
    sums->addWidget(sumsTitle);
    sums->addWidget(Sumy);

    RabatSuma = new QLabel(box);
    Wystawil = new QLabel(box);
    for (QLabel* l : {RabatSuma, Wystawil})
        l->setFont(boldFont(font()));
    ZapiszBtn = new QPushButton(QStringLiteral("Zapisz"), box);
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), box);
    for (QPushButton* b : {ZapiszBtn, AnulujBtn}) {
        b->setAutoDefault(false);
        b->setMinimumSize(120, 34);
    }
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { accept(); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });

    auto* info = new QGridLayout;
    info->addWidget(new QLabel(QStringLiteral("Kwota udzielonego rabatu "), box), 0, 0);
    info->addWidget(RabatSuma, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("Wystawił"), box), 1, 0);
    info->addWidget(Wystawil, 1, 1);
    info->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZapiszBtn);
    buttons->addWidget(AnulujBtn);
    auto* right = new QVBoxLayout;
    right->addLayout(info);
    right->addStretch();
    right->addLayout(buttons);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(sums);
    row->addSpacing(24);
    row->addLayout(right, 1);
    return box;
}

// ---- showing

void TFormFvWystaw::fillPaymentForms()
{
    FormaPlatnosci->clear();
    std::unique_ptr<TQuery> q =
        GlobalSession()->OpenQuery(QStringLiteral("select FP_NAZWA from FormyPlatnosci order by FP_NAZWA"));
    for (q->First(); !q->Eof(); q->Next())
        FormaPlatnosci->addItem(q->Fields(0)->AsString());
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
    for (int g = 0; g <= VatGroupCount; ++g) {
        const QString sfx = g < VatGroupCount ? VatGroupSuffix(g) : QString();
        Sumy->item(g, 0)->setText(d.Field(QStringLiteral("FV_OPISVAT") + sfx)->AsString());
        Sumy->item(g, 1)->setText(moneyCell(d.Field(QStringLiteral("FV_SUMANETTO") + sfx)->AsCurrency()));
        Sumy->item(g, 2)->setText(moneyCell(d.Field(QStringLiteral("FV_SUMAVAT") + sfx)->AsCurrency()));
        Sumy->item(g, 3)->setText(moneyCell(d.Field(QStringLiteral("FV_SUMABRUTTO") + sfx)->AsCurrency()));
    }
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

void TFormFvWystaw::runLineDialog(const QString& caption)
{
    m_lineDialog->Lines = m_dane->Lines();
    m_lineDialog->Header = m_dane->Header();
    m_lineDialog->setWindowTitle(caption);
    if (m_lineDialog->exec() == QDialog::Accepted) {
        try {
            m_dane->PostLine();
        } catch (...) {
            m_dane->CancelLine();
            showHeader();
            throw;
        }
    } else {
        m_dane->CancelLine();
    }
    showHeader();
    Pozycje->setFocus();
}

void TFormFvWystaw::Dodaj()
{
    m_dane->AppendLine();
    runLineDialog(QStringLiteral("Dodawanie pozycji"));
}

void TFormFvWystaw::Edytuj()
{
    if (m_dane->Lines()->IsEmpty()) return;
    m_dane->EditLine();
    runLineDialog(QStringLiteral("Edycja pozycji"));
}

void TFormFvWystaw::Usun()
{
    if (m_dane->Lines()->IsEmpty()) return;
    const bool yes = TMD::MessageDlg(QStringLiteral("Czy usunąć wybrnaną pozycję z faktury?"), mtConfirmation,
                                     mbYes | mbNo) == mrYes;
    m_dane->DeleteLine(yes);
    showHeader();
}

void TFormFvWystaw::DodajZSzablonu()
{
    m_dane->AddFromTemplate();
    showHeader();
}

bool TFormFvWystaw::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Pozycje && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunGuarded([this] { m_dane->Lines()->IsEmpty() ? Dodaj() : Edytuj(); });
            return true;
        }
    }
    return TFormEx::eventFilter(watched, event);
}

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
