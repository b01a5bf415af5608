#include "ksef/Ksef.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "ksef/KsefOperacje.h"
#include "ksef/KsefWsad.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

std::function<QString(const QString& folder)> TFormKsef::ChooseFileHook;
std::function<void()> TFormKsef::OpenReceived;

namespace {

const char* const kColumns[][2] = {{"KSEF_DATAMODYFIKACJI", "Data modyfikacji"},
                                   {"KSEF_IDENTYFIKATOR", "Identyfikator"},
                                   {"KSEF_PLIK", "Plik"},
                                   {"KSEF_ILOSC", "Ilość dok."},
                                   {"KSEF_NRREFSESJI", "Nr referencyjny sesji"},
                                   {"OP_ImieNazwisko", "Operator"},
                                   {"KSEF_STATUS", "Status"}};

QString gripKey()
{
    return QStringLiteral("TFormKsefGripPanel1");
}

void openPage(const QString& page)
{
    if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

} // namespace

TFormKsef* FormKsef()
{
    static TFormKsef* form = nullptr;
    if (!form) form = new TFormKsef();
    return form;
}

TFormKsef::TFormKsef(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormKsef"));
    setWindowTitle(QStringLiteral("KSeF - Wysyłka wsadowa i pobieranie dokumentów"));
    SortField = QLatin1String(kColumns[0][0]);
    QKsef = new TQuery(GlobalSession(), this);
    // The statement is rebuilt before every opening: the sort is the only variable part.
    QKsef->BeforeOpen = [this](TQuery& q) {
        QString sql = QStringLiteral("select * from vKsef  WHERE (1=1) ");
        if (SortDirection != 0)
            sql += QStringLiteral(" order by ") + SortField +
                   (SortDirection == 1 ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
        q.SetSQL(sql);
    };
    buildUi();
}

TFormKsef::~TFormKsef() = default;

void TFormKsef::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(buildSendGroup(), 3);
    top->addWidget(buildFetchGroup(), 2);
    layout->addLayout(top);
    layout->addWidget(buildToolbar());

    Splitter = new QSplitter(Qt::Vertical, this);
    DBGrid1 = new QTableView(Splitter);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setVisible(false);
    m_model = new TQueryModel(QKsef, this);
    for (const auto& c : kColumns)
        m_model->AddColumn(QLatin1String(c[0]), QString::fromUtf8(c[1]));
    m_model->BindToView(DBGrid1);
    for (int i : {0, 4})
        DBGrid1->setColumnWidth(i, i == 0 ? 140 : 260);
    DBGrid1->setColumnWidth(2, 230);
    DBGrid1->horizontalHeader()->setSectionsClickable(true);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunGuarded([this, column] { TitleClick(column); }); });
    connect(QKsef, &TQuery::CurrentChanged, this, [this](int) { showCurrentRow(); });
    connect(QKsef, &TQuery::DataReset, this, [this] { showCurrentRow(); });
    Splitter->addWidget(DBGrid1);
    Splitter->addWidget(buildRawPanel());
    Splitter->setStretchFactor(0, 1);
    layout->addWidget(Splitter, 1);
    resize(1100, 700);
}

QWidget* TFormKsef::buildSendGroup()
{
    auto* box = new QGroupBox(QStringLiteral("Wysyłka wsadowa - wyślij paczkę ZIP"), this);
    auto* l = new QHBoxLayout(box);
    PlikBtn = new QToolButton(box);
    PlikBtn->setText(QStringLiteral("..."));
    PlikBtn->setToolTip(QStringLiteral("Wskaż plik"));
    l->addWidget(PlikBtn);
    l->addWidget(new QLabel(QStringLiteral("Plik ZIP"), box));
    EditPlik = new QLineEdit(box);
    EditPlik->setMinimumWidth(260);
    l->addWidget(EditPlik, 1);
    WyslijBtn = new QPushButton(QStringLiteral("Wyślij do KSeF"), box);
    l->addWidget(WyslijBtn);
    connect(PlikBtn, &QToolButton::clicked, this, [this] { RunGuarded([this] { WybierzPlik(); }); });
    connect(WyslijBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Wyslij(); }); });
    return box;
}

QWidget* TFormKsef::buildFetchGroup()
{
    auto* box = new QGroupBox(QStringLiteral("Pobierz fakturę z KSeF"), this);
    auto* l = new QHBoxLayout(box);
    l->addWidget(new QLabel(QStringLiteral("Nr KSeF"), box));
    EditNrKsef = new QLineEdit(box);
    EditNrKsef->setMinimumWidth(260);
    l->addWidget(EditNrKsef, 1);
    PobierzBtn = new QPushButton(QStringLiteral("Pobierz z KSeF"), box);
    l->addWidget(PobierzBtn);
    connect(PobierzBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Pobierz(); }); });
    return box;
}

QWidget* TFormKsef::buildToolbar()
{
    auto* bar = new QWidget(this);
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(0, 0, 0, 0);
    WizualizujBtn = new QPushButton(QStringLiteral("Wizualizuj dokument"), bar);
    StatusBtn = new QPushButton(QStringLiteral("Odczytaj status wysyłki wsadowej"), bar);
    PobraneBtn = new QPushButton(QStringLiteral("Pobrane z KSeF"), bar);
    OdswiezBtn = new QToolButton(bar);
    OdswiezBtn->setText(QStringLiteral("Odśwież"));
    for (QWidget* w : std::initializer_list<QWidget*>{WizualizujBtn, StatusBtn, PobraneBtn, OdswiezBtn})
        l->addWidget(w);
    LabelKsef = new QLabel(bar);
    LabelKsef->setObjectName(QStringLiteral("LabelKsef"));
    l->addWidget(LabelKsef, 1);
    LogoLabel = new QLabel(QStringLiteral("<a href=\"https://ksef.podatki.gov.pl/\"><b>KSeF</b></a>"), bar);
    LogoLabel->setToolTip(QStringLiteral("Aplikacja KSeF"));
    LogoLabel->setOpenExternalLinks(true);
    l->addWidget(LogoLabel);
    connect(WizualizujBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Wizualizuj(); }); });
    connect(StatusBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { OdczytajStatus(); }); });
    connect(PobraneBtn, &QPushButton::clicked, this, [this] {
        RunGuarded([this] {
            if (OpenReceived) OpenReceived();
            Refresh();
        });
    });
    connect(OdswiezBtn, &QToolButton::clicked, this, [this] { RunGuarded([this] { Refresh(); }); });
    return bar;
}

QWidget* TFormKsef::buildRawPanel()
{
    auto* panel = new QWidget(Splitter);
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(0, 4, 0, 0);
    PanelPlik = new QLineEdit(panel);
    PanelSesja = new QLineEdit(panel);
    PanelDane = new QPlainTextEdit(panel);
    for (QLineEdit* e : {PanelPlik, PanelSesja})
        e->setReadOnly(true);
    PanelDane->setReadOnly(true);
    form->addRow(QStringLiteral("Plik"), PanelPlik);
    form->addRow(QStringLiteral("Nr ref. sesji"), PanelSesja);
    form->addRow(QStringLiteral("Dane RAW"), PanelDane);
    return panel;
}

void TFormKsef::showCurrentRow()
{
    const bool row = QKsef->Active() && !QKsef->IsEmpty();
    auto text = [&](const char* field) {
        return row ? QKsef->FieldByName(QLatin1String(field))->AsString() : QString();
    };
    PanelPlik->setText(text("KSEF_PLIK"));
    PanelSesja->setText(text("KSEF_NRREFSESJI"));
    PanelDane->setPlainText(text("KSEF_DANE"));
}

int TFormKsef::rawPanelHeight() const
{
    const QList<int> sizes = Splitter->sizes();
    return sizes.size() > 1 ? sizes.at(1) : 160;
}

void TFormKsef::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] {
        EditPlik->clear();
        EditNrKsef->clear();
        LabelKsef->clear();
        const int panel = ReadIniInteger(OperatorId, gripKey(), 160);
        Splitter->setSizes({qMax(100, height() - panel), panel});
        StartStopwatch();
        QString text;
        KsefInitMain(1, text);
        LabelKsef->setText(text);
        LogElapsedTime(QStringLiteral("ZapleczeKsef"));
        Refresh(ReadIniInteger(OperatorId, QStringLiteral("KsefRekord"), 0));
    });
}

void TFormKsef::hideEvent(QHideEvent* e)
{
    RunGuarded([this] {
        WriteIniInteger(OperatorId, gripKey(), rawPanelHeight());
        WriteIniInteger(OperatorId, QStringLiteral("KsefRekord"), CurrentIndex());
        QKsef->Close();
    });
    TFormEx::hideEvent(e);
}

int TFormKsef::CurrentIndex() const
{
    if (!QKsef->Active() || QKsef->IsEmpty()) return 0;
    return QKsef->FieldByName(QStringLiteral("KSEF_INDEX"))->AsInteger();
}

void TFormKsef::Refresh(int ksefIndex)
{
    const int keep = ksefIndex ? ksefIndex : CurrentIndex();
    QKsef->Close();
    QKsef->Open();
    if (keep) QKsef->Locate(QStringLiteral("KSEF_INDEX"), keep);
    // The grid's own selection follows, so a late sync of the view cannot move the log back to its first row.
    if (QKsef->RecNo() > 0) DBGrid1->selectRow(QKsef->RecNo() - 1);
}

void TFormKsef::TitleClick(int column)
{
    if (column < 0 || column >= int(std::size(kColumns))) return;
    const QString name = QLatin1String(kColumns[column][0]);
    if (name == SortField)
        SortDirection = SortDirection == 1 ? 2 : SortDirection == 2 ? 0 : 1;
    else {
        SortField = name;
        SortDirection = 1;
    }
    Refresh();
}

void TFormKsef::WybierzPlik()
{
    const QString stored = ReadIniString(OperatorId, QStringLiteral("KsefSciezka"), QString());
    const QString folder = stored.isEmpty() ? ExportFolder : QFileInfo(stored).path();
    const QString path =
        ChooseFileHook ? ChooseFileHook(folder)
                       : QFileDialog::getOpenFileName(this, QString(), folder,
                                                      QStringLiteral("Wszystkie (*.*);;Pliki ZIP (*.zip)"));
    if (!path.isEmpty()) EditPlik->setText(QDir::toNativeSeparators(path));
}

void TFormKsef::Wyslij()
{
    const QString path = EditPlik->text().trimmed();
    if (!path.isEmpty()) WriteIniString(OperatorId, QStringLiteral("KsefSciezka"), path);
    const TKsefSendOutcome out = KsefSendPackageFile(path);
    if (!out.LogIndex) return;
    Refresh(out.LogIndex);
    if (!out.CheckStatus) return;
    WaitProcessingMessages(KsefBatchWaits().BeforeStatusMs);
    Refresh(out.LogIndex);
    OdczytajStatus();
}

void TFormKsef::OdczytajStatus()
{
    const int index = CurrentIndex();
    if (index && KsefReadLogRowStatuses(index)) Refresh(index);
}

void TFormKsef::Pobierz()
{
    const int index = KsefFetchInvoiceToLog(EditNrKsef->text());
    if (index) Refresh(index);
}

void TFormKsef::Wizualizuj()
{
    const int index = CurrentIndex();
    if (index) openPage(KsefLogRowPage(index));
}
