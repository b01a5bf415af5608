#include "billing/RozliczDokumentKwota.h"

#include "billing/PozycjaDokumentu.h"
#include "billing/Pozycje.h"
#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TSettleDocumentInfo ReadSettleDocument(const QString& kind, int docIndex)
{
    struct Source
    {
        const char* kind;
        const char* sql;
        const char* caption;
    };
    static const Source sources[] = {
        {"F",
         "select FV_KWOTADOROZLICZENIA, FV_DATAPLATNOSCI, FV_FORMAPLATNOSCI, FV_NUMERTXT, FV_DATAWYSTAWIENIA "
         "from Fv where FV_INDEX=:p1",
         "Faktura "},
        {"K",
         "select FVK_KWOTADOROZLICZENIA, FVK_DATAPLATNOSCI, FVK_FORMAPLATNOSCI, FVK_NUMERTXT, "
         "FVK_DATAWYSTAWIENIA from Fvk where FVK_INDEX=:p1",
         "Faktura korygująca "},
        {"P",
         "select PZ_KWOTADOROZLICZENIA, PZ_DATAPLATNOSCI, PZ_FORMAPLATNOSCI , PZ_NUMERTXT , "
         "PZ_DATAWYSTAWIENIA from Pz where PZ_INDEX=:p1",
         "Polecenie zapłaty "},
    };
    TSettleDocumentInfo info;
    for (const Source& s : sources) {
        if (kind != QLatin1String(s.kind)) continue;
        auto q = GlobalSession()->OpenQuery(QString::fromLatin1(s.sql), {docIndex});
        if (q->IsEmpty()) return info;
        info.found = true;
        info.openAmount = q->Fields(0)->AsCurrency();
        info.paymentForm = q->Fields(2)->AsString();
        info.caption = QString::fromUtf8(s.caption) + q->Fields(3)->AsString();
        info.issueDate = q->Fields(4)->AsDate();
        return info;
    }
    return info;
}

Amount4 CheckSettleAmount(const QString& typed, Amount4 maxSettleAmount,
                          const std::function<void(const QString&)>& tell)
{
    Amount4 amount;
    if (!Amount4::tryParse(typed, amount)) {
        tell(QStringLiteral("   Podana kwota nie jest prawidłowa   "));
        return {};
    }
    // An open amount below 0 (a correction that lowers its invoice) is never
    // paid here: any positive amount is then refused as too high below.
    if (maxSettleAmount < Amount4{}) tell(QStringLiteral("   Kwota nie może być ujemna   "));
    if (amount > maxSettleAmount) {
        tell(QStringLiteral("   Podana kwota jest wieksza niż maksymalna kwota rozliczenia dokumentu.   "));
        return {};
    }
    return amount;
}

TFormRozliczDokumentKwota* FormRozliczDokumentKwota()
{
    static TFormRozliczDokumentKwota* form = nullptr;
    if (!form) form = new TFormRozliczDokumentKwota();
    return form;
}

TFormRozliczDokumentKwota::TFormRozliczDokumentKwota(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormRozliczDokumentKwota"));
    setWindowTitle(QStringLiteral("Rozlicz dokument"));
    buildUi();
}

void TFormRozliczDokumentKwota::buildUi()
{
    Naglowek = new QLabel(this);
    QFont bold = Naglowek->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    Naglowek->setFont(bold);
    Naglowek->setMinimumWidth(340);
    Kwota = new QLineEdit(this);
    Kwota->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Kwota->setMaximumWidth(140);
    new TFieldKeyFilter(Kwota, TFieldKeyFilter::Mode::Unsigned);
    DataRozliczenia = new TDateTimePicker(this);
    FormaPlatnosci = new QComboBox(this);
    // The document's own form stays even when the list no longer has it.
    FormaPlatnosci->setEditable(true);
    FormaPlatnosci->setInsertPolicy(QComboBox::NoInsert);
    FormaPlatnosci->setMinimumWidth(200);
    new TFieldKeyFilter(FormaPlatnosci, TFieldKeyFilter::Mode::NoTyping);
    if (FormaPlatnosci->lineEdit())
        new TFieldKeyFilter(FormaPlatnosci->lineEdit(), TFieldKeyFilter::Mode::NoTyping);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Kwota"), this), 0, 0);
    auto* amount = new QHBoxLayout;
    amount->addWidget(Kwota);
    amount->addWidget(new QLabel(QStringLiteral("zł"), this));
    amount->addStretch();
    grid->addLayout(amount, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Data rozliczenia"), this), 1, 0);
    grid->addWidget(DataRozliczenia, 1, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("Forma płatności"), this), 2, 0);
    grid->addWidget(FormaPlatnosci, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

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
    layout->addWidget(Naglowek);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    setTabOrder(Kwota, DataRozliczenia->DateEdit());
    setTabOrder(DataRozliczenia->DateEdit(), FormaPlatnosci);
    setTabOrder(FormaPlatnosci, ZapiszBtn);
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Zapisz(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormRozliczDokumentKwota::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    Amount = {};
    Kwota->setFocus();
    RunGuarded([this] {
        const TSettleDocumentInfo doc = ReadSettleDocument(DocKind, DocIndex);
        Naglowek->setText(doc.caption);
        MaxSettleAmount = doc.openAmount;
        Kwota->setText(MoneyEditText(MaxSettleAmount));
        Kwota->selectAll();
        const QDate today = QDate::currentDate();
        QDateEdit* edit = DataRozliczenia->DateEdit();
        edit->setMaximumDate(today);
        edit->setMinimumDate(doc.issueDate.isValid() ? std::min(doc.issueDate, today) : QDate(1900, 1, 1));
        DataRozliczenia->SetDate(today);
        FormaPlatnosci->clear();
        auto forms = GlobalSession()->OpenQuery(
            QStringLiteral("select FP_NAZWA from FormyPlatnosci order by FP_NAZWA"));
        for (forms->First(); !forms->Eof(); forms->Next())
            FormaPlatnosci->addItem(forms->Fields(0)->AsString());
        FormaPlatnosci->setCurrentIndex(FormaPlatnosci->findText(doc.paymentForm));
        FormaPlatnosci->setEditText(doc.paymentForm);
    });
}

void TFormRozliczDokumentKwota::Zapisz()
{
    SettleDate = DataRozliczenia->Date().toString(QStringLiteral("yyyy-MM-dd"));
    PaymentForm = FormaPlatnosci->currentText();
    Amount = CheckSettleAmount(Kwota->text(), MaxSettleAmount,
                               [](const QString& text) { TMD::MessageDlg(text, mtError, mbOK); });
    accept();
}
