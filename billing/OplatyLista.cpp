#include "billing/OplatyLista.h"

#include "billing/ListyAkcje.h"
#include "billing/ListyDruk.h"
#include "billing/OplatyMt940.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/DrukZestawienieOplat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

TListConfig OplatyListaConfig()
{
    TListConfig c;
    c.View = QStringLiteral("vOplatyLista");
    c.KeyField = QStringLiteral("O_INDEX");
    // Amounts and payment dates are searched as the database prints them.
    c.SearchColumns = {QStringLiteral("U_IMIE"),
                       QStringLiteral("U_NAZWISKO"),
                       QStringLiteral("U_NazwiskoImie"),
                       QStringLiteral("O_KWOTA"),
                       QStringLiteral("O_UWAGI"),
                       QStringLiteral("O_FORMAPLATNOSCI"),
                       QStringLiteral("DATE_FORMAT(O_DATAWPLATY, '%Y-%m-%d')"),
                       QStringLiteral("O_NUMERTXT")};
    c.TieBreak = QStringLiteral("U_NazwiskoImie");
    c.NumberField = QStringLiteral("O_NUMERTXT");
    c.NumberKeys = {QStringLiteral("O_Year"), QStringLiteral("O_Month"), QStringLiteral("O_NUMER")};
    return c;
}

TFormOplatyLista* FormOplatyLista()
{
    static TFormOplatyLista* form = nullptr;
    if (!form) form = new TFormOplatyLista();
    return form;
}

TFormOplatyLista::TFormOplatyLista(QWidget* parent)
    : TListWindow(QStringLiteral("Opłaty - lista"), OplatyListaConfig(), parent)
{
    setObjectName(QStringLiteral("FormOplatyLista"));
    for (const auto& [field, caption] :
         {std::pair{"O_DATADODANIA", "Data dodania"}, std::pair{"O_DATAWPLATY", "Data wpłaty"},
          std::pair{"O_NUMERTXT", "Numer"}, std::pair{"U_NazwiskoImie", "Wpłacacjący"},
          std::pair{"O_KWOTA", "Kwota brutto"}, std::pair{"O_FORMAPLATNOSCI", "Forma płatności"},
          std::pair{"OP_LOGIN", "Operator"}, std::pair{"O_UWAGI", "Uwagi"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption));
    CheckBoxGotowkowe = AddFilterCheck(QStringLiteral("gotówkowe"));
    CheckBoxOperator = AddFilterCheck(QString());
    ComboOperator = new QComboBox(this);
    ComboOperator->setEditable(false); // only the list can be used
    ComboOperator->setMinimumWidth(100);
    FilterLayout->addWidget(ComboOperator);
    connect(ComboOperator, &QComboBox::currentIndexChanged, this, [this] {
        if (isVisible()) RunGuarded([this] { TimerSzukaj->start(0); });
    });
    connect(CheckBoxOperator, &QCheckBox::toggled, ComboOperator, &QWidget::setEnabled);
    ComboOperator->setEnabled(false);
    CheckBoxDataWplaty = AddFilterCheck(QStringLiteral("Według daty wpłaty"));
    CheckBoxGlowna = AddFilterCheck(QStringLiteral("Filtrowanie wg tableli głównej"));
    DzisiejszeBtn = new QPushButton(QStringLiteral("Dzisiejsze"), this);
    DzisiejszeBtn->setAutoDefault(false);
    FilterLayout->addWidget(DzisiejszeBtn);
    connect(DzisiejszeBtn, &QPushButton::clicked, this, [this] {
        RunGuarded([this] {
            const QSignalBlocker b1(DateFrom), b2(DateTo);
            for (TDateTimePicker* p : {DateFrom, DateTo}) {
                p->SetDate(QDate::currentDate());
                p->SetChecked(true);
            }
            Reread();
        });
    });
    Statement().Filters = [this](TListCondition& c) { filters(c); };

    OnEdit = [this] { Edytuj(); };
    AddButton(QStringLiteral("Edytuj"), [this] { Edytuj(); });
    AddButton(QStringLiteral("Usuń"), [this] { Usun(); });
    AddButton(QStringLiteral("Drukuj"), [this] { DrukujKP(false); });
    AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"), [this] { DrukujKP(true); });
    // The summary and the export work on the whole list, also an empty one.
    auto* list = new QPushButton(QStringLiteral("Drukuj listę"), this);
    list->setAutoDefault(false);
    ButtonLayout->addWidget(list);
    connect(list, &QPushButton::clicked, this, [this] { RunGuarded([this] { DrukujListe(false); }); });
    auto* listPdf = AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"), {});
    connect(listPdf, &QToolButton::clicked, this, [this] { RunGuarded([this] { DrukujListe(true); }); });
    auto* mt940 = AddToolButton(QStringLiteral("MT940"), QStringLiteral("Eksport do pliku MT940"), {});
    connect(mt940, &QToolButton::clicked, this, [this] {
        RunGuarded([this] {
            const QString path = ExportPaymentsMt940();
            TMD::MessageDlg(QStringLiteral("Zapisano transakcje do pliku: ") + path, mtInformation, mbOK);
        });
    });

    TotalsText = [](const TQuery& q) {
        return QStringLiteral("Pozycji ") + QString::number(q.RecordCount()) + QStringLiteral("  na kwotę ") +
               FormatListAmount(SumListColumn(q, QStringLiteral("O_KWOTA")));
    };
    // Both bounds apply from the start.
    SetDefaultDates(true);
    SortByFirstColumnDescending();
}

void TFormOplatyLista::filters(TListCondition& c) const
{
    if (CheckBoxGotowkowe->isChecked())
        c.Add(QStringLiteral(" AND O_FORMAPLATNOSCI LIKE ?"), {QStringLiteral("%got_w%")});
    if (CheckBoxOperator->isChecked() && !ComboOperator->currentText().isEmpty()) {
        const int op = GlobalSession()->GetQueryValueAsInteger(
            QStringLiteral("select OP_INDEX from Operator where OP_LOGIN=:p1 limit 1"),
            {ComboOperator->currentText()});
        c.Add(QStringLiteral(" AND O_OPERATORID=?"), {op});
    }
    const QString date =
        CheckBoxDataWplaty->isChecked() ? QStringLiteral("O_DATAWPLATY") : QStringLiteral("O_DATADODANIA");
    if (DateFrom->Checked()) c.AddDateFrom(date, DateFrom->Date());
    if (DateTo->Checked()) c.AddDateTo(date, DateTo->Date());
    if (CheckBoxGlowna->isChecked()) c.AddMainUsers(QStringLiteral("O_INDEXUSER"), MainUserIdList);
}

void TFormOplatyLista::AfterShow()
{
    const QSignalBlocker block(ComboOperator);
    ComboOperator->clear();
    ComboOperator->addItems(GlobalSession()->GetQueryValuesAsList(
        QStringLiteral("select OP_LOGIN from Operator order by OP_LOGIN")));
    ComboOperator->setCurrentIndex(ComboOperator->count() > 0 ? 0 : -1);
    ComboOperator->setEnabled(CheckBoxOperator->isChecked());
    if (CheckBoxOperator->isChecked()) Reread();
}

void TFormOplatyLista::Edytuj()
{
    const int key = CurrentKey();
    if (!ListHooks().editPayment) return ShowNotAvailable(QStringLiteral("Edycja wpłaty"));
    EditListedPayment(key, [key] { return ListHooks().editPayment(key); });
    Reread();
}

void TFormOplatyLista::Usun()
{
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybrnaną wpłate?"), mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    DeleteListedPayment(CurrentKey());
    Reread();
}

void TFormOplatyLista::DrukujKP(bool pdf)
{
    if (!ListHooks().printCashReceipt) return ShowNotAvailable(QStringLiteral("Wydruk KP"));
    ListHooks().printCashReceipt(CurrentKey(), ListPrinterName(pdf), pdf);
}

void TFormOplatyLista::FillPaymentsSummary()
{
    TFormDrukZestawienieOplat* form = FormDrukZestawienieOplat();
    form->TotalText = QStringLiteral("RAZEM:   ") + LabelSuma->text();
    form->RangeText = (DateFrom->Checked() ? QStringLiteral(" OD ") + DateFrom->Date().toString(Qt::ISODate)
                                           : QStringLiteral(" OD --- ")) +
                      (DateTo->Checked() ? QStringLiteral("  DO ") + DateTo->Date().toString(Qt::ISODate)
                                         : QStringLiteral("  DO --- "));
    form->DateField =
        CheckBoxDataWplaty->isChecked() ? QStringLiteral("O_DATAWPLATY") : QStringLiteral("O_DATADODANIA");
    form->Sql = CurrentStatement().Sql;
    form->Args = CurrentStatement().Args;
}

void TFormOplatyLista::DrukujListe(bool pdf)
{
    TFormDrukZestawienieOplat* form = FormDrukZestawienieOplat();
    form->PrinterName = ListPrinterName(pdf);
    FillPaymentsSummary();
    form->PrintedAt = QDateTime();
    if (pdf)
        form->PrintDirect();
    else
        form->PrintPreview();
}

QString TFormOplatyLista::ExportPaymentsMt940(const QDateTime& now)
{
    auto rows = OpenCurrentStatement();
    return WriteMt940File(Mt940Lines(*rows, now), ExportFolder);
}
