#include "mainwindow/Glowny.h"

#include "billing/SaldoBazy.h"
#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/GripPanel.h"
#include "core/MagazynBlob.h"
#include "core/OperatorZmienHaslo.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"
#include "ksef/KsefOperacje.h"
#include "mainwindow/GlownyInfraTab.h"
#include "mainwindow/GlownyUserGrid.h"
#include "mainwindow/User.h"
#include "platform/PrivateFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

std::atomic<bool> TFormGlowny::PingRunning{false};
std::atomic<bool> TFormGlowny::VoveRunning{false};
std::atomic<bool> TFormGlowny::IntruxRunning{false};
std::function<void(int)> TFormGlowny::OpenUserCard;
TFormGlowny* FormGlowny = nullptr;

namespace {

const QString kSection = QStringLiteral("TFormGlowny");
const QString kGrid1Section = QStringLiteral("TFormGlownyDBGrid1");
// The subscriber columns shown on a first start: number to "Z(dni)", terminarz and speeds.
const QString kDefaultColumnMask1 = QStringLiteral("1111111111001100000000000");

// Waits processing window messages (timers and clicks go on meanwhile).
void ProcessFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// "###,##0.00 zł": grouped by blanks, decimal comma.
QString MoneyText(Amount4 a)
{
    const qint64 cents = (a.raw >= 0 ? a.raw + 50 : a.raw - 50) / 100;
    const qint64 whole = std::llabs(cents) / 100;
    QString digits = QString::number(whole);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return (cents < 0 ? QStringLiteral("-") : QString()) + digits + QLatin1Char(',') +
           QStringLiteral("%1").arg(std::llabs(cents) % 100, 2, 10, QLatin1Char('0')) + QStringLiteral(" zł");
}

QTimer* MakeTimer(QObject* parent, int interval, bool singleShot)
{
    auto* t = new QTimer(parent);
    t->setInterval(interval);
    t->setSingleShot(singleShot);
    return t;
}

} // namespace

TFormGlowny::TFormGlowny(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormGlowny"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Orlix6 KSeF (%1) ").arg(ProgramVersion));
    formCreate();
}

TFormGlowny::~TFormGlowny()
{
    if (Data && Data->QUserdb) {
        Data->QUserdb->BeforeOpen = nullptr;
        Data->QUserdb->AfterOpen = [](TQuery&) {
            if (Data && Data->UpdateStatusBar) Data->UpdateStatusBar();
        };
    }
    if (Data && Data->UpdateStatusBar && FormGlowny == this) Data->UpdateStatusBar = nullptr;
    if (m_connectedOthers) {
        if (Data) Data->UserGroupsChanged = Data->InfraGroupsChanged = nullptr;
        TFormUser::OrdersListCaptionChanged = nullptr;
    }
}

void TFormGlowny::connectOtherWindows()
{
    // A group added, renamed or deleted in the dictionaries shows in the filter
    // list at once, keeping the operator's checks.
    if (Data) {
        Data->UserGroupsChanged = [this] {
            RunGuarded([this] {
                SaveListViewChecks(GrupyUserListView);
                WczytajSortowanieUser();
            });
        };
        Data->InfraGroupsChanged = [this] {
            RunGuarded([this] {
                if (InfraGroupsReload) InfraGroupsReload();
            });
        };
    }
    // The card's last look at the orders recounts the order-list button.
    TFormUser::OrdersListCaptionChanged = [this](const QString& caption) {
        SpeedButtonEx29->setText(caption);
    };
    m_connectedOthers = true;
}

void TFormGlowny::formCreate()
{
    StopwatchStart();
    OperatorRightsLevel = 1;

    // The private folder: also where private sessions make theirs.
    try {
        const QString priv = ProgramFolder() + QStringLiteral("orlix_priv");
        MakePrivateFolder(priv);
        if (QDir(priv).exists()) {
            PrivateFolder = priv + QLatin1Char('/');
            DefaultSessionPrivateDir = PrivateFolder;
        }
    } catch (...) {
        PrivateFolder = ProgramFolder();
        DefaultSessionPrivateDir = PrivateFolder;
    }
    HostId = GetHostId();

    TimerBudujOkna = MakeTimer(this, 10, true);
    TimerOtworzTabele = MakeTimer(this, 5, true);
    TimerPoStarcie = MakeTimer(this, 10, true);
    TimerRefresh = MakeTimer(this, 90000, false);
    TimerRefresh2 = MakeTimer(this, 112000, false);
    TimerCron = MakeTimer(this, 3000, false);
    TimerAktualizacja = MakeTimer(this, 90000, false);
    TimerSzukajUser = MakeTimer(this, 300, true);
    // The one-shot start timers and the periodic ones are armed by the show;
    // their work arrives with the units they call.
    connect(TimerBudujOkna, &QTimer::timeout, this, [this] { TimerBudujOkna->stop(); });
    connect(TimerOtworzTabele, &QTimer::timeout, this, [this] { TimerOtworzTabele->stop(); });
    connect(TimerPoStarcie, &QTimer::timeout, this, [this] { RunGuarded([this] { timerPoStarcie(); }); });
    connect(TimerRefresh2, &QTimer::timeout, this, [this] { RunGuarded([this] { timerRefresh2(); }); });
    connect(TimerCron, &QTimer::timeout, this, [this] {
        if (TimerCron->interval() < 10000) TimerCron->setInterval(60000);
    });
    connect(TimerSzukajUser, &QTimer::timeout, this, [this] {
        TimerSzukajUser->stop();
        RunGuarded([this] { RefreshUsers(); });
    });

    buildUi();
    PageControl1->setCurrentIndex(0);
    Label4->clear();

    // Time away from the program is measured; coming back after more than
    // 90 s re-reads the grid.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) {
            StartIdleStopwatch();
            return;
        }
        if (!LoginSucceeded || !isVisible()) return;
        QTimer::singleShot(50, this, [this] {
            if (!isActiveWindow() || Closing) return;
            if (LogIdleTime() > 90) RunGuarded([this] { RefreshUsers(); });
        });
    });
}

void TFormGlowny::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    RunGuarded([this] { formShow(); });
}

void TFormGlowny::formShow()
{
    if (!LoginSucceeded) return;
    m_closed = false;
    TimerBudujOkna->start();

    if (QAction* a = MenuAction(QStringLiteral("&Narzędzia/vOVE v5")))
        a->setVisible(QDate::currentDate() >= QDate(2026, 4, 1));
    PingRunning = false;
    VoveRunning = false;
    IntruxRunning = false;
    Closing = false;
    setWindowTitle(QStringLiteral("Orlix6 KSeF (") + ProgramVersion + QStringLiteral(") "));

    applyFolders();

    Label1->setVisible(false);
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("MS Sans Serif")))
        LogEvent(QStringLiteral("Czcionka MS Sans Serif obecna w systemie"));
    if (families.contains(QStringLiteral("Inconsolata")))
        LogEvent(QStringLiteral("Czcionka Inconsolata obecna w systemie"));

    TQuery* q = Data ? Data->QUserdb.get() : nullptr;
    if (q) {
        q->BeforeOpen = [this](TQuery& query) { BuildUserQuery(query); };
        // The shown keys are published before the status bar reads them.
        q->AfterOpen = [this](TQuery& query) {
            MainUserIdList = UserIdListText(DistinctKeys(query, QStringLiteral("U_INDEX")));
            MainUserWhere = UserWhereText(MainUserIdList);
            UpdateStatusBar();
        };
        Data->UpdateStatusBar = [this] { UpdateStatusBar(); };
    }
    connectOtherWindows();
    SetVatRateTexts(QDate::currentDate());

    try {
        loadState();
    } catch (const std::exception&) {
    }
    // The card's size, panels and device sort are the operator's too.
    try {
        if (FormUser) FormUser->LoadLayout();
    } catch (const std::exception&) {
    }

    if (q) {
        q->Close();
        q->Open();
        const int rekord =
            TDbIni(QStringLiteral("app"), OperatorId).ReadInteger(kGrid1Section, QStringLiteral("Rekord"), 0);
        if (rekord != 0) q->Locate(QStringLiteral("U_INDEX"), TArg(rekord));
    }
    colourGroupList();
    resizeEvent(nullptr);

    TimerRefresh2->start();
    TimerRefresh->start();
    if (AskForCompanyName) AskForCompanyName();
    TimerAktualizacja->setInterval(90000);
    if (ReadIniBool(OperatorId, QStringLiteral("SprawdzajAktualizacje"), true)) TimerAktualizacja->start();
    UpdateButtonCounters();
    Label3->clear();
    TimerPoStarcie->setInterval(10);
    TimerPoStarcie->start();
    TimerOtworzTabele->setInterval(5);
    TimerOtworzTabele->start();
    TimerCron->start();

    if (q) attachGrid();
    if (auto* infra = qobject_cast<TGlownyInfraTab*>(TabInfrastruktura)) infra->Start();
}

void TFormGlowny::applyFolders()
{
    // Export and archive folders; a separator is always appended.
    ExportFolder =
        ReadIniString(OperatorId, QStringLiteral("KatalogEksportow"), QString()) + QLatin1Char('/');
    if (ExportFolder.size() < 2) ExportFolder = ProgramFolder() + QStringLiteral("orlix_eksporty/");
    ArchiveFolder = ReadIniString(OperatorId, QStringLiteral("KatalogArch"), QString()) + QLatin1Char('/');
    if (ArchiveFolder.size() < 2) ArchiveFolder = ProgramFolder() + QStringLiteral("orlix_archiwizacja/");
    MakePrivateFolder(ExportFolder);
    MakePrivateFolder(ArchiveFolder);
}

void TFormGlowny::ApplyWorkstationSettings()
{
    applyFolders();
    // Balances and the grid follow settings that change what they count.
    TSaldoBazy::Create(0);
    if (Data && Data->QUserdb && Data->QUserdb->Active())
        RefreshQuery(Data->QUserdb.get(), QStringLiteral("U_INDEX"));
    // The status bar drops or shows its statistics by "StatystykiDolnegoPaska".
    UpdateStatusBar();
    if (Data) Data->CheckTerytDatabase();
}

void TFormGlowny::SetColumnMasks(const QString& mask1, const QString& mask2)
{
    m_columnMask1 = mask1;
    ApplyColumnMask(DBGrid1, mask1);
    if (auto* grid2 = findChild<QTableView*>(QStringLiteral("DBGrid2")); grid2 && grid2->model())
        ApplyColumnMask(grid2, mask2);
}

void ApplyWorkstationSettings()
{
    if (FormGlowny) FormGlowny->ApplyWorkstationSettings();
}

void TFormGlowny::timerPoStarcie()
{
    TimerPoStarcie->stop();
    // Company 1 is made current afresh, whatever an earlier session left.
    CurrentPodmiotId = 0;
    SetCurrentPodmiot(1);
    if (Data) Data->CheckTerytDatabase();
    // A login with the default password asks for a new one, once per login.
    if (DefaultPasswordInUse) {
        static TFormOperatorZmienHaslo* form = nullptr;
        if (!form) form = new TFormOperatorZmienHaslo();
        form->exec();
    }
    // A database restored without its indexes works, only slowly: the operator is told.
    if (CountTableIndexes(QStringLiteral("Userdb")) < 9) {
        const QString missing = QStringLiteral("W tabelach prawdopodobnie brakuje indexów!");
        LogEvent(missing);
        TMD::MessageDlg(missing + QStringLiteral("\r\nAplikacja może działać wolniej.\r\nNależy zdefiniować "
                                                 "brakujące indexy."),
                        mtWarning, mbOK);
    }
    // The database's identifier, the prefix of its named locks, made once.
    LoadDatabaseUniqueId();
    // Rows of KSeF's test and demo environments go once a day.
    if (KsefClearTestDataDue(QDate::currentDate())) KsefClearTestData();
}

void TFormGlowny::timerRefresh2()
{
    if (Closing || GlobalSession()->InTransaction() || !isActiveWindow() || !DBGrid1->isVisible() ||
        !DBGrid1->isEnabled())
        return;
    // An operator deactivated or changed at another workstation is signed out or
    // gets the new level here; a failure stops the timer rather than repeating.
    try {
        RecheckOperator();
        UpdateStatusBar();
    } catch (...) {
        TimerRefresh2->stop();
        throw;
    }
}

void TFormGlowny::reject()
{
    // Escape does not close the desk; "Zakończ" and the window's close do.
    if (m_closed) TFormEx::reject();
}

void TFormGlowny::closeEvent(QCloseEvent* e)
{
    if (!m_closed) {
        m_closed = true;
        formClose();
    }
    e->accept();
    TFormEx::closeEvent(e);
}

void TFormGlowny::formClose()
{
    // Nothing here may stop the program from ending: the first failure
    // skips the rest silently.
    try {
        ProcessFor(50);
        try {
            if (GlobalSession()->InTransaction()) GlobalSession()->Rollback();
        } catch (...) {
        }
        TQuery* q = Data ? Data->QUserdb.get() : nullptr;
        if (q && q->Active() && LoginSucceeded) {
            saveState();
            SaveGridLayout(this, DBGrid1);
            if (FormUser) FormUser->SaveLayout();
        }
        LogEvent(QStringLiteral("Wylogowanie z systemu operatora ") + OperatorLogin + QStringLiteral(" (ID") +
                 QString::number(OperatorId) + QStringLiteral(")"));
        for (const char* ext :
             {"", "bmp", "crt", "key", "txt", "xml", "html", "param", "bat", "zip", "out", "jpg", "exe"})
            DeleteFilesByExtension(PrivateFolder, QLatin1String(ext));
        detachGrid();

        // Background threads get up to 7 s to see the flags and finish.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 7000 && (PingRunning || VoveRunning))
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        ProcessFor(50);
        QApplication::restoreOverrideCursor();
        if (Data) Data->CloseDatasets();
        ProcessFor(50);
        if (Data && Data->Database) Data->Database->Close();
    } catch (...) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
}

void TFormGlowny::DeleteFilesByExtension(const QString& folder, const QString& extension)
{
    if (folder.isEmpty()) return;
    QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& fi : files) {
        const QString name = fi.fileName();
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        const QString ext = dot < 0 ? QString() : name.mid(dot + 1);
        // An empty extension means files without one ("name" but also "name.").
        if (ext.compare(extension, Qt::CaseInsensitive) != 0) continue;
        QFile::remove(fi.absoluteFilePath());
    }
}

// ---------------------------------------------------------------- status bar

void TFormGlowny::UpdateStatusBar()
{
    if (!LoginSucceeded) return;
    StatusPanels[2]->setText(OperatorLogin + QStringLiteral(" (") + QString::number(OperatorRightsLevel) +
                             QStringLiteral(")"));
    updateTickCount();
    UpdateButtonCounters();
    SpeedButtonEx9->setStyleSheet(RadioGroup1Index() == 3 ? QStringLiteral("font-weight: bold;") : QString());
    const bool stats = !RightDeniedEx(1, false) &&
                       ReadIniBool(OperatorId, QStringLiteral("StatystykiDolnegoPaska"), true) &&
                       OperatorStatsAllowed;
    if (stats && !MainUserWhere.isEmpty()) {
        TDedicatedSession* s = GlobalSession();
        const int n =
            s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb ") + MainUserWhere);
        StatusPanels[0]->setText(QStringLiteral("  Użytkownicy: ") + QString::number(n));
        auto q = s->OpenQuery(
            QStringLiteral("select sum(U_SALDO), sum(U_KWOTAABONAMENTU), sum(U_KOSZT) from Userdb ") +
            MainUserWhere);
        auto money = [&q](int i) { return MoneyText(q->Fields(i)->AsCurrency()); };
        StatusPanels[4]->setText(QStringLiteral("Saldo: ") + money(0) + QStringLiteral("  Abo: ") + money(1) +
                                 QStringLiteral("  Koszt: ") + money(2));
    } else {
        StatusPanels[0]->clear();
        StatusPanels[4]->clear();
    }
}

void TFormGlowny::UpdateButtonCounters()
{
    if (!LoginSucceeded) return;
    TDedicatedSession* s = GlobalSession();
    const int n = s->GetQueryValueAsInteger(
        QStringLiteral("select count(*) from ZleceniaSerwisowe where ZS_DATAZAKONCZENIA>CURDATE() or "
                       "ZS_DATAZAKONCZENIA='0000-00-00'"));
    SpeedButtonEx29->setText(n > 0
                                 ? QStringLiteral("Lista zleceń (") + QString::number(n) + QStringLiteral(")")
                                 : QStringLiteral("Lista zleceń"));
    const bool due = !s->IsQueryEmpty(QStringLiteral("select (1) from ZleceniaSerwisowe where "
                                                     "ZS_TERMINARZDATA<=CURDATE() and ZS_TERMINARZDATA<>:p1"),
                                      {QStringLiteral("0000-00-00")});
    QString style = n > 0 ? QStringLiteral("color: red;") : QString();
    if (due) style += QStringLiteral("font-weight: bold; text-decoration: underline;");
    SpeedButtonEx29->setStyleSheet(style);
    const int m =
        s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb where U_POCZEKALNIA=1"));
    SpeedButtonEx9->setText(m > 0 ? QStringLiteral("Poczekalnia (") + QString::number(m) + QStringLiteral(")")
                                  : QStringLiteral("Poczekalnia"));
    QString style9 = m > 0 ? QStringLiteral("color: red;") : QString();
    if (RadioGroup1Index() == 3) style9 += QStringLiteral("font-weight: bold;");
    SpeedButtonEx9->setStyleSheet(style9);
}

// ---------------------------------------------------------------- saved state

void TFormGlowny::loadState()
{
    if (ReadIniString(OperatorId, QStringLiteral("ResetSiatek"), QString()) == HostId &&
        ResetMainGridLayouts())
        WriteIniString(OperatorId, QStringLiteral("ResetSiatek"), QString());
    m_columnMask1 = ReadIniString(OperatorId, QStringLiteral("KolumnyGrid1"), kDefaultColumnMask1);
    m_loadLayout = m_columnMask1.size() == int(UserGridColumns().size());
    const TDbIni ws(HostId, OperatorId);
    for (TGripPanel* panel : gripPanels())
        panel->SetSize(
            ws.ReadInteger(kSection + panel->objectName(), QStringLiteral("Wysokosc"), panel->Size()));

    TDbIni op(QStringLiteral("app"), OperatorId);
    for (int n = 1; n <= 4; ++n)
        UserSort.Fields[size_t(n - 1)] =
            op.ReadString(kGrid1Section, QStringLiteral("FSortowaniePole[%1]").arg(n),
                          n == 1 ? QStringLiteral("U_NRKLIENTA") : QString());
    UserSort.Column = op.ReadInteger(kGrid1Section, QStringLiteral("FSortowanieKolumna"), 0);
    UserSort.Order = op.ReadInteger(kGrid1Section, QStringLiteral("FSortowanieKolejnosc"), 1);
    if (UserSort.Order < 0 || UserSort.Order > 2) UserSort.Order = 0;

    // Restoring the controls must not re-query on every one of them.
    m_restoring = true;
    struct Done
    {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_restoring};
    auto checked = [&op](QCheckBox* box) {
        box->setChecked(op.ReadBool(kSection + box->objectName(), QStringLiteral("Checked"), false));
    };
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox5, CheckBox6, CheckBox7, CheckBox10, CheckBox14,
                           CheckBox19, CheckBox16})
        checked(box);
    SetRadioGroup1Index(
        op.ReadInteger(kSection + QStringLiteral("RadioGroup1"), QStringLiteral("ItemIndex"), 0));
    ComboBox1->setCurrentIndex(
        qBound(0, op.ReadInteger(kSection + QStringLiteral("ComboBox1"), QStringLiteral("ItemIndex"), 0),
               ComboBox1->count() - 1));
    for (QCheckBox* box : {CheckBox21, CheckBox22, CheckBox23})
        checked(box);
    ComboBox4->setCurrentIndex(
        qBound(0, op.ReadInteger(kSection + QStringLiteral("ComboBox4"), QStringLiteral("ItemIndex"), 0),
               ComboBox4->count() - 1));
    WczytajSortowanieUser();
    checked(CheckBox20);
    ComboBox3->setCurrentIndex(
        qBound(-1, op.ReadInteger(kSection + QStringLiteral("ComboBox3"), QStringLiteral("ItemIndex"), 0),
               ComboBox3->count() - 1));
}

QList<TGripPanel*> TFormGlowny::gripPanels() const
{
    // The device-grid panel and the button panel, where the window has them.
    QList<TGripPanel*> out;
    for (const char* name : {"GripPanel1", "GripPanel3"})
        if (auto* panel = findChild<TGripPanel*>(QLatin1String(name))) out << panel;
    return out;
}

QString ColumnMask(const QTableView* grid)
{
    QString mask;
    const QHeaderView* h = grid->horizontalHeader();
    for (int i = 0; i < h->count(); ++i)
        mask += h->isSectionHidden(i) ? QLatin1Char('0') : QLatin1Char('1');
    return mask;
}

void ApplyColumnMask(QTableView* grid, const QString& mask)
{
    QHeaderView* h = grid->horizontalHeader();
    for (int i = 0; i < h->count(); ++i)
        h->setSectionHidden(i, mask.mid(i, 1) != QLatin1String("1"));
}

void TFormGlowny::saveState()
{
    TDedicatedSession* s = GlobalSession();
    TTransactionGuard tr(s);
    TDbIni ws(HostId, OperatorId);
    ws.WriteBool(kSection, QStringLiteral("Zmaksymalizowane"), isMaximized());
    if (!isMaximized()) {
        ws.WriteInteger(kSection, QStringLiteral("SzerokoscOkna"), width());
        ws.WriteInteger(kSection, QStringLiteral("WysokoscOkna"), height());
        ws.WriteInteger(kSection, QStringLiteral("PozycjaXOkna"), x());
        ws.WriteInteger(kSection, QStringLiteral("PozycjaYOkna"), y());
    }
    ws.WriteInteger(kSection + QStringLiteral("GripPanel2"), QStringLiteral("Szerokosc"),
                    GripPanel2->width());
    for (TGripPanel* panel : gripPanels())
        ws.WriteInteger(kSection + panel->objectName(), QStringLiteral("Wysokosc"), panel->Size());
    WriteIniString(OperatorId, QStringLiteral("KolumnyGrid1"), ColumnMask(DBGrid1));
    if (auto* grid2 = findChild<QTableView*>(QStringLiteral("DBGrid2")); grid2 && grid2->model())
        WriteIniString(OperatorId, QStringLiteral("KolumnyGrid2"), ColumnMask(grid2));
    TDbIni op(QStringLiteral("app"), OperatorId);
    op.WriteInteger(kGrid1Section, QStringLiteral("Rekord"), CurrentUserIndex());
    for (int n = 1; n <= 4; ++n)
        op.WriteString(kGrid1Section, QStringLiteral("FSortowaniePole[%1]").arg(n),
                       UserSort.Fields[size_t(n - 1)]);
    op.WriteInteger(kGrid1Section, QStringLiteral("FSortowanieKolumna"), UserSort.Column);
    op.WriteInteger(kGrid1Section, QStringLiteral("FSortowanieKolejnosc"), UserSort.Order);
    op.WriteInteger(kSection + QStringLiteral("RadioGroup1"), QStringLiteral("ItemIndex"),
                    RadioGroup1Index());
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox5, CheckBox6, CheckBox7, CheckBox10, CheckBox14,
                           CheckBox19, CheckBox16})
        op.WriteBool(kSection + box->objectName(), QStringLiteral("Checked"), box->isChecked());
    op.WriteInteger(kSection + QStringLiteral("ComboBox1"), QStringLiteral("ItemIndex"),
                    ComboBox1->currentIndex());
    op.WriteBool(kSection + QStringLiteral("CheckBox20"), QStringLiteral("Checked"), CheckBox20->isChecked());
    op.WriteInteger(kSection + QStringLiteral("ComboBox3"), QStringLiteral("ItemIndex"),
                    ComboBox3->currentIndex());
    for (QCheckBox* box : {CheckBox21, CheckBox22, CheckBox23})
        op.WriteBool(kSection + box->objectName(), QStringLiteral("Checked"), box->isChecked());
    op.WriteInteger(kSection + QStringLiteral("ComboBox4"), QStringLiteral("ItemIndex"),
                    ComboBox4->currentIndex());
    SaveListViewChecks(GrupyUserListView);
    tr.commit();
}
