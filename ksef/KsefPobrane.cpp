#include "ksef/KsefPobrane.h"

#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefOperacje.h"
#include "ksef/KsefPobraneDane.h"
#include "ksef/KsefPobraneEdycja.h"
#include "printouts/DrukListaPobraneKsef.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <iterator>

std::function<QDateTime()> TFormKsefPobrane::Now;

namespace {

bool flagSet(const TQuery& q, int row, const char* field)
{
    const TField* f = q.FindField(QLatin1String(field));
    return f && q.CellText(row, f->Index()).toInt() == 1;
}

} // namespace

TListConfig KsefPobraneConfig()
{
    TListConfig c;
    c.View = QStringLiteral("vFvKsefPobrane");
    c.KeyField = QStringLiteral("FV_INDEX");
    c.SearchColumns = {QStringLiteral("FV_IMIE"),       QStringLiteral("FV_NAZWISKO"),
                       QStringLiteral("FV_NRKSEF"),     QStringLiteral("FV_NUMERTXT"),
                       QStringLiteral("FV_NIP"),        QStringLiteral("FV_SUMANETTO"),
                       QStringLiteral("FV_SUMABRUTTO"), QStringLiteral("FV_User")};
    c.TieBreak = QStringLiteral("FV_User");
    c.NumberField = QStringLiteral("FV_NUMERTXT");
    c.NumberKeys = {QStringLiteral("FV_Year"), QStringLiteral("FV_Month"), QStringLiteral("FV_NUMER")};
    return c;
}

TFormKsefPobrane* FormKsefPobrane()
{
    static TFormKsefPobrane* form = nullptr;
    if (!form) form = new TFormKsefPobrane();
    return form;
}

TFormKsefPobrane::TFormKsefPobrane(QWidget* parent)
    : TListWindow(QStringLiteral("Faktury KSeF Pobrane"), KsefPobraneConfig(), parent)
{
    setObjectName(QStringLiteral("FormKsefPobrane"));
    for (const auto& [field, caption] :
         {std::pair{"FV_DATAWYSTAWIENIA", "Data wyst."}, std::pair{"FV_INDEX", "ID"},
          std::pair{"FV_NRKSEF", "Numer KSeF"}, std::pair{"FV_NUMERTXT", "Nr dok. dostawcy"},
          std::pair{"FV_User", "Dostawca"}, std::pair{"FV_SUMANETTO", "Kwota netto"},
          std::pair{"FV_SUMABRUTTO", "Kwota brutto"}, std::pair{"FV_KSEF_ZAPLACONA", "Zapł."},
          std::pair{"FV_KSEF_KOSZTOWA", "Koszt"}, std::pair{"FV_KSEF_ZAKSIEGOWANA", "Księg."},
          std::pair{"FV_UWAGI", "Uwagi"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption));
    const int widths[] = {90, 60, 330, 130, 200, 90, 90, 45, 45, 45, 160};
    for (int c = 0; c < int(std::size(widths)); ++c)
        DBGrid1->setColumnWidth(c, widths[c]);
    resize(1420, 600);

    ComboPodmiot = new QComboBox(this);
    ComboPodmiot->setEditable(false);
    ComboPodmiot->setMinimumWidth(90);
    FilterLayout->addWidget(ComboPodmiot);
    CheckArchiwalne = AddFilterCheck(QStringLiteral("Pokaż też archiwalne"));
    connect(ComboPodmiot, &QComboBox::currentIndexChanged, this, [this] { TimerSzukaj->start(300); });
    Statement().Filters = [this](TListCondition& c) { filters(c); };

    OnEdit = [this] { Edytuj(); };
    PobierzBtn = addPlainButton(QStringLiteral("Pobierz"), [this] { Pobierz(); });
    PaczkaBtn = addPlainButton(QStringLiteral("Paczka xml"), [this] { PaczkaXml(); });
    AddButton(QStringLiteral("Drukuj"), [this] { Drukuj(); });
    AddButton(QStringLiteral("Edytuj"), [this] { Edytuj(); });
    AddButton(QStringLiteral("Usuń"), [this] { Usun(); });
    DrukujListeBtn = addPlainButton(QStringLiteral("Drukuj listę"), [this] { DrukujListe(); });
    LabelKsef = new QLabel(this);
    LabelKsef->setObjectName(QStringLiteral("LabelKsef"));
    ButtonLayout->addSpacing(12);
    ButtonLayout->addWidget(LabelKsef);
    buildPopup();

    TotalsText = [](const TQuery& q) {
        return QStringLiteral("Pozycji %1 ; Suma netto %2 Suma brutto %3")
            .arg(q.RecordCount())
            .arg(FormatListAmount(SumListColumn(q, QStringLiteral("FV_SUMANETTO"))),
                 FormatListAmount(SumListColumn(q, QStringLiteral("FV_SUMABRUTTO"))));
    };
    RowTextColor = [](const TQuery& q, int row) {
        if (flagSet(q, row, "FV_KSEF_ZAZNACZONA")) return QColor(Qt::red);
        if (flagSet(q, row, "FV_KSEF_ARCHIWALNA")) return QColor(0xC0, 0xC0, 0xC0);
        return QColor();
    };
    // The flags read as ticks, "Koszt" as a mark only when set.
    CellData = [](const TQuery& q, int row, int fieldIndex, int role) -> QVariant {
        if (role != Qt::DisplayRole || fieldIndex < 0) return {};
        const QString name = q.Fields(fieldIndex)->FieldName;
        if (name == QLatin1String("FV_KSEF_ZAPLACONA") || name == QLatin1String("FV_KSEF_ZAKSIEGOWANA"))
            return q.CellText(row, fieldIndex).toInt() == 1 ? QStringLiteral("✔") : QString();
        if (name == QLatin1String("FV_KSEF_KOSZTOWA"))
            return q.CellText(row, fieldIndex).toInt() == 1 ? QStringLiteral("◆") : QString();
        return {};
    };
    SetDefaultDates(false);
    SortByFirstColumnDescending();
}

QPushButton* TFormKsefPobrane::addPlainButton(const QString& caption, const std::function<void()>& action)
{
    // These work on the list as a whole: an empty list does not stop them.
    auto* b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    ButtonLayout->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, action] { RunGuarded(action); });
    return b;
}

void TFormKsefPobrane::buildPopup()
{
    PopupMenu1 = new QMenu(this);
    const std::pair<const char*, const char*> copies[] = {{"Kopiuj numer dokumentu dostawcy", "FV_NUMERTXT"},
                                                          {"Kopiuj numer KSeF faktury", "FV_NRKSEF"},
                                                          {"Kopiuj kwotę brutto faktury", "FV_SUMABRUTTO"}};
    for (const auto& [caption, field] : copies) {
        const QString name = QLatin1String(field);
        connect(PopupMenu1->addAction(QString::fromUtf8(caption)), &QAction::triggered, this,
                [this, name] { RunOnRow([this, name] { CopyTextToClipboard(FieldText(name)); }); });
    }
    PopupMenu1->addSeparator();
    connect(PopupMenu1->addAction(QStringLiteral("Pobierz paczkę")), &QAction::triggered, this,
            [this] { RunGuarded([this] { PaczkaXml(); }); });
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(p)); });
}

int TFormKsefPobrane::CompanyId() const
{
    return KsefCompanyByShortName(ComboPodmiot->currentText());
}

void TFormKsefPobrane::filters(TListCondition& c) const
{
    c.Add(QStringLiteral(" AND FV_PODMIOT=? "), {CompanyId()});
    if (DateFrom->Checked()) c.AddDateFrom(QStringLiteral("FV_DATAWYSTAWIENIA"), DateFrom->Date());
    if (DateTo->Checked()) c.AddDateTo(QStringLiteral("FV_DATAWYSTAWIENIA"), DateTo->Date());
    if (!CheckArchiwalne->isChecked()) c.Add(QStringLiteral(" AND ( FV_KSEF_ARCHIWALNA = 0 ) "));
}

void TFormKsefPobrane::showEvent(QShowEvent* e)
{
    // The companies first: the list reads the chosen one.
    FillPodmiotyCombo(ComboPodmiot);
    TListWindow::showEvent(e);
}

void TFormKsefPobrane::AfterShow()
{
    QString text;
    KsefInitMain(1, text);
    LabelKsef->setText(QStringLiteral("KSeF: ") + text);
}

bool TFormKsefPobrane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunOnRow([this] { Drukuj(); });
            return true;
        }
    }
    return TListWindow::eventFilter(watched, event);
}

void TFormKsefPobrane::Pobierz()
{
    if (KsefFetchReceived(CompanyId(), Now ? Now() : QDateTime::currentDateTime())) Reread();
}

void TFormKsefPobrane::PaczkaXml()
{
    if (RightDenied(1)) return;
    if (KsefFetchReceivedPackages(CompanyId(), Now ? Now() : QDateTime::currentDateTime())) Reread();
}

void TFormKsefPobrane::Drukuj()
{
    const QString page = KsefInvoicePage(FieldText(QStringLiteral("FV_NRKSEF")));
    if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void TFormKsefPobrane::Edytuj()
{
    TFormKsefPobraneEdycja* dialog = FormKsefPobraneEdycja();
    dialog->Index = CurrentKey();
    if (dialog->exec() == QDialog::Accepted) Reread();
}

void TFormKsefPobrane::Usun()
{
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybrany dokument?"), mtConfirmation, mbYes | mbNo) !=
        mrYes)
        return;
    GlobalSession()->ExecQuery(QStringLiteral("delete from FvKsefPobrane where FV_INDEX=:p1"),
                               {CurrentKey()});
    Reread();
}

QString TFormKsefPobrane::PeriodText() const
{
    const QDate from = DateFrom->Checked() ? DateFrom->Date() : QDate(2026, 1, 1);
    const QDate to = DateTo->Checked() ? DateTo->Date() : QDate::currentDate();
    return QStringLiteral("Od daty ") + from.toString(Qt::ISODate) + QStringLiteral(" do daty ") +
           to.toString(Qt::ISODate);
}

void TFormKsefPobrane::DrukujListe()
{
    if (RightDenied(3)) return;
    TFormDrukListaPobraneKsef* form = FormDrukListaPobraneKsef();
    const TListSql& sql = CurrentStatement();
    form->Sql = sql.Sql;
    form->Args = sql.Args;
    form->PeriodText = PeriodText();
    form->PrintPreview();
}
