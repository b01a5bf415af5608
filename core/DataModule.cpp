#include "core/DataModule.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/OdbcConnection.h"
#include "core/ProgramExit.h"
#include "core/ProgramHooks.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "core/SqlScripts.h"
#include "core/StartupProgress.h"
#include "core/TerytTools.h"
#include "core/WorkerThreads.h"
#include "platform/OdbcDataSource.h"

#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

TData* Data = nullptr;
QString KsefStartDate;
TDedicatedSession* SharedSession = nullptr;

namespace {

QString g_alias = QStringLiteral("ORLIX4SQL");

const QString kNoConnection =
    QStringLiteral("Nie moge połączyć sie z bazą danych!\r\nAplikacja zostanie zamknięta.");

QString todayText()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

// A stored "yyyy-mm-dd"; invalid when the text is no date.
QDate storedDate(const QString& text)
{
    return QDate::fromString(text.trimmed().left(10), QStringLiteral("yyyy-MM-dd"));
}

void stepProgress(TStartupProgress* splash, const QString& text)
{
    if (splash) splash->StepProgress(text);
}

bool tableMissing(const QString& name)
{
    return GlobalSession()
        ->GetQueryValueAsString(QStringLiteral("SHOW TABLE STATUS LIKE :p1"), {name})
        .isEmpty();
}

bool databaseEmpty()
{
    for (const char* t : {"Userdb", "userdb", "Mac", "mac"})
        if (!tableMissing(QString::fromLatin1(t))) return false;
    return true;
}

} // namespace

QString CurrentOdbcAlias()
{
    return g_alias;
}

TData::TData(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Data"));
    createDatasets();
    bindHandlers();
}

TData::~TData()
{
    CloseDatasets();
    destroyDatasets();
    // Worker threads open their connections from this database's parameters: they end first.
    StopAndJoinWorkers();
    ReleaseGlobalSession();
    SharedSession = nullptr;
    Database.reset();
}

void TData::CloseDatasets()
{
    // Details before their masters: a detail still open would reopen on the master's close.
    const std::vector<TQuery*> all = Datasets();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (*it) (*it)->Close();
}

void TData::DataCreate()
{
    KsefStartDate = QDate::currentDate() >= QDate(2026, 2, 1) ? QStringLiteral("2026-02-01")
                                                              : QStringLiteral("2025-12-01");
    // A broken "czcionka.ini" only costs the chosen font, never the start.
    try {
        LoadFontSettings(QStringLiteral("czcionka.ini"));
    } catch (const std::exception& e) {
        LogEvent(QStringLiteral("czcionka.ini: ") + QString::fromUtf8(e.what()));
    }
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (gui) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor
    {
        bool gui;
        ~RestoreCursor()
        {
            if (gui && QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
        }
    } restoreCursor{gui};

    // "alias.odbc" names another data source when that one exists.
    g_alias = QStringLiteral("ORLIX4SQL");
    QFile aliasFile(ProgramFolder() + QStringLiteral("alias.odbc"));
    if (aliasFile.exists()) {
        if (aliasFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
            const QString first = QTextStream(&aliasFile).readLine().trimmed();
            if (!first.isEmpty() && OdbcDataSourceExists(first)) g_alias = first;
        }
    }
    Alias = g_alias;

    DefaultDatabaseName = QStringLiteral("ORLIX4SQL");
    try {
        const TOdbcEntry entry = ReadOdbcDataSource(g_alias);
        if (!entry.exists) throw EDatabaseError(QStringLiteral("Data source %1 not found").arg(g_alias));
        TConnectionParams params = ConnectionParamsFromEntry(entry);
        if (params.database.isEmpty()) params.database = QStringLiteral("ORLIX4SQL");
        Database = std::make_unique<TDatabase>(DefaultDatabaseName, params);
        Database->Open();
        ReleaseGlobalSession();
        TDatabase::Register(Database.get());
        const QString init = InitStatementFromEntry(entry);
        if (!init.isEmpty()) GlobalSession()->ExecQueryNoParamCheck(init);
    } catch (const std::exception&) {
        ReleaseGlobalSession();
        Database.reset();
        TMD::MessageDlg(kNoConnection, mtError, mbOK);
        HaltProgram(11);
    }
    SharedSession = GlobalSession();

    // The splash shows the alias too (its caller reads Alias).
    if (g_alias != QLatin1String("ORLIX4SQL") && gui)
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Orlix6 KSeF ") + g_alias);
    setSessionOptions();
    checkServerClock();

    try {
        GlobalSession()->ExecQuery(QStringLiteral("SET sql_mode = :p1;"), {QString()});
        GlobalSession()->ExecQuery(QStringLiteral("SET max_heap_table_size = 4294967295;"));
    } catch (const EDatabaseError&) {
    }
    try {
        auto q = GlobalSession()->OpenQuery(QStringLiteral("show variables like 'log_bin'"));
        if (!q->IsEmpty() && q->FieldByName(QStringLiteral("Value"))->AsString() == QLatin1String("ON")) {
            try {
                GlobalSession()->ExecQuery(QStringLiteral("SET SESSION binlog_format = :p1"), {"ROW"});
            } catch (const EDatabaseError&) {
            }
        }
    } catch (const EDatabaseError&) {
    }
    try {
        auto q = GlobalSession()->OpenQuery(QStringLiteral("show variables like 'lower_case_table_names'"));
        const bool due =
            !q->IsEmpty() && q->FieldByName(QStringLiteral("Value"))->AsString() == QLatin1String("1");
        if (due && ReadIniString(0, QStringLiteral("OstrzezenieZmienneSerwera"), QString()) != todayText()) {
            TMD::MessageDlg(
                QStringLiteral("Niżej wymienione ustawienia zmiennych serwera MySQL mogą niekiedy wpływać na "
                               "niepoprawną pracę programu Orlix:\r\n\r\n") +
                    QStringLiteral("  lower_case_table_names = 0\r\n") + QStringLiteral("\r\n") +
                    QStringLiteral(
                        "Proszę dokonać zmian w pliku konfiguracyjnym \"my.cnf\" lub \"my.ini\" na "
                        "wskazane powyzej i ponownie uruchomić serwer MySQL.") +
                    QStringLiteral("\r\n"),
                mtWarning, mbOK);
            WriteIniString(0, QStringLiteral("OstrzezenieZmienneSerwera"), todayText());
        }
    } catch (const EDatabaseError&) {
    }
}

void TData::setSessionOptions()
{
    // Isolation for this connection, then server-wide; the statement differs
    // between server generations and 10.x servers get neither.
    for (const bool global : {false, true}) {
        try {
            const QString version =
                GlobalSession()->GetQueryValueAsString(QStringLiteral("SELECT VERSION();"));
            const QChar first = version.isEmpty() ? QChar() : version.at(0);
            QString sql;
            if (first == QLatin1Char('5'))
                sql = global ? QStringLiteral("set GLOBAL tx_isolation=:p1")
                             : QStringLiteral("set LOCAL tx_isolation=:p1");
            else if (first >= QLatin1Char('8'))
                sql = global ? QStringLiteral("set GLOBAL transaction_isolation=:p1")
                             : QStringLiteral("set LOCAL transaction_isolation=:p1");
            if (!sql.isEmpty()) GlobalSession()->ExecQuery(sql, {"REPEATABLE-READ"});
        } catch (const EDatabaseError&) {
        }
    }
}

bool ServerClockAhead(double serverNow, double localNow)
{
    return serverNow - localNow > 1.0 / 12.0;
}

void TData::checkServerClock()
{
    const double server = GlobalSession()->GetQueryValueAsDateTime(QStringLiteral("select NOW()"));
    if (ServerClockAhead(server, DateTimeToDouble(QDateTime::currentDateTime()))) {
        TMD::MessageDlg(
            QStringLiteral("Różnica czasu systemowego serwera i komputera przekracza 2h. Proszę ustawić "
                           "poprawny czas i datę.\r\nW celu ochrony spojności danych aplikacja zostanie "
                           "zamknięta."),
            mtError, mbOK);
        HaltProgram(11);
    }
}

void TData::UpgradeSchema(TStartupProgress* splash)
{
    ::UpgradeSchema(splash);
}

void TData::applyVersionRule(TStartupProgress* splash)
{
    const QString stored = ReadIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("0"));
    const QString storedDigits = DigitsOnly(stored);
    if (storedDigits.isEmpty())
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(stored),
                             QStringLiteral("EConvertError"));
    const int a = storedDigits.left(3).toInt();
    const int b = DigitsOnly(ProgramVersion).left(3).toInt();
    if (a > b) {
        const int answer = TMD::MessageDlg(
            QStringLiteral(
                "Podłączasz się do bazy starszą wersją programu niż wcześniej uruchamiana na tej "
                "bazie\r\n\r\nProszę pamiętać, że używanie różnych wersji programu może wymagać różnej "
                "struktury bazy\r\nW następnym kroku bazy zostaną przebudowane pod starszą wersje "
                "aplikacji\r\n\r\nCzy przerwać uruchamianie i umożliwić Ci jej uaktualnienie?\r\n\r\n"),
            mtWarning, mbYes | mbNo);
        if (answer == mrYes) {
            TMD::MessageDlg(QStringLiteral("Aplikacja zostanie awaryjnie zamknięta."), mtInformation, mbOK);
            HaltProgram(11);
        }
    }
    const qint64 full = storedDigits.toLongLong();
    const qint64 target = (DigitsOnly(ProgramVersion) + ProgramBuildSuffix).toLongLong();
    if (full == target) {
        if (tableMissing(QStringLiteral("FvKsef"))) UpgradeSchema(splash);
    } else {
        UpgradeSchema(splash);
    }
}

void TData::RunStartupSequence(TStartupProgress* splash)
{
    if (splash) splash->Begin(21);
    stepProgress(splash, QStringLiteral("Status bazy"));
    if (databaseEmpty()) {
        if (splash) splash->SetProgressMax(splash->GetProgressMax() + 1);
        stepProgress(splash, QStringLiteral("Przygotowywanie struktury bazy danych"));
        const QString script = ProgramFolder() + QStringLiteral("orlix6.sql");
        const QString missing =
            QStringLiteral("Nie odnaleziono pliku orlix6.sql ze strukturą tabel do utworzenia w "
                           "bazie danych.\r\nAplikacja zostanie zamknięta.\r\n");
        // There is no download server to fetch the script from: it ships with the program.
        if (!QFileInfo::exists(script)) {
            TMD::MessageDlg(missing, mtError, mbOK);
            HaltProgram(11);
        }
        QString toolMessage;
        const int imported = ImportSqlFile(script, nullptr, &toolMessage);
        // A script that did not run, or failed on the way, must not pass for a created schema.
        if (imported != 0 || databaseEmpty()) {
            TMD::MessageDlg(imported == 2
                                ? QStringLiteral("Błąd tworzenia struktury bazy danych:\r\n") + toolMessage +
                                      QStringLiteral("\r\nAplikacja zostanie zamknięta.")
                                : missing,
                            mtError, mbOK);
            HaltProgram(11);
        }
    }

    stepProgress(splash, QStringLiteral("Sprawdzanie wersji bazy"));
    applyVersionRule(splash);

    stepProgress(splash, QStringLiteral("Triggery"));
    const QString triggerKey = QStringLiteral("Triggery_") + ProgramVersion;
    if (!ReadIniBool(0, triggerKey, false)) {
        try {
            CreateHistoryTriggers();
            WriteIniBool(0, triggerKey, true);
        } catch (const std::exception&) {
            TMD::MessageDlg(QStringLiteral("Błąd podczas ustawiania wyzwalaczy (Triggers)\r\n"), mtWarning,
                            mbOK);
        }
    }

    stepProgress(splash, QStringLiteral("Przeliczanie salda i statystyk"));
    const QDate today = QDate::currentDate();
    const QDate yesterday = today.addDays(-1);
    const QDate saldo =
        storedDate(ReadIniString(0, QStringLiteral("SaldoZalegleData"), QStringLiteral("2015-01-01")));
    if (!saldo.isValid()) {
        WriteIniString(0, QStringLiteral("SaldoZalegleData"),
                       yesterday.toString(QStringLiteral("yyyy-MM-dd")));
    } else if (today > saldo) {
        if (ProgramHooks().startBalanceRecount) ProgramHooks().startBalanceRecount();
        WriteIniString(0, QStringLiteral("SaldoZalegleData"), todayText());
    }
    const QDate stat = storedDate(ReadIniString(0, QStringLiteral("StatData"), QStringLiteral("2015-01-01")));
    if (!stat.isValid()) {
        WriteIniString(0, QStringLiteral("StatData"), yesterday.toString(QStringLiteral("yyyy-MM-dd")));
        TMD::MessageDlg(QStringLiteral("Błąd zapisu statystyk"), mtError, mbOK);
    } else if (today > stat) {
        // The day counts as done only when the statistics were committed.
        if (WriteDailyStatistics()) WriteIniString(0, QStringLiteral("StatData"), todayText());
    }

    stepProgress(splash, QStringLiteral("Otwieranie tabel... 1"));
    QOperator->Open();
    const int users = GlobalSession()->GetQueryValueAsInteger(QStringLiteral("select count(1) from Userdb"));
    const int cached =
        GlobalSession()->GetQueryValueAsInteger(QStringLiteral("select count(1) from UserdbAdd"));
    if (users != cached && cached != 0)
        GlobalSession()->ExecQuery(QStringLiteral("TRUNCATE TABLE UserdbAdd"));
    // The subscriber dataset stays closed: the main window opens it with its own query.

    StartupDone = true;
}

void TData::CheckTerytDatabase()
{
    // A failed check counts as no register. (The log line never fails: LogEvent
    // swallows its own errors, so the "Nieudane" line has no way to arise here.)
    try {
        TerytAvailable = TerytTablesPresent();
    } catch (const EProgramExit&) {
        throw;
    } catch (const std::exception&) {
        TerytAvailable = false;
    }
    LogEvent(TerytAvailable ? QStringLiteral("Podłączenie bazy TERYT/SIDUSIS - OK")
                            : QStringLiteral("Podłączenie bazy TERYT/SIDUSIS - Błąd (brak danych w bazie)"));
}

QString ConnectionLostMessage(const QString& message)
{
    return QStringLiteral(
               "      BŁĄD KRYTYCZNY!\r\n\r\nUtracono połączenie z bazą danych z powodu poniższego "
               "błędu:\r\n\r\n%1\r\n\r\nAplikacja zostanie teraz zamknięta, niezapisane zmiany zostaną "
               "utracone.\r\n")
        .arg(message);
}

void TData::ApplicationException(const std::exception& e)
{
    if (const auto* db = dynamic_cast<const EDatabaseError*>(&e)) {
        if (IsConnectionLostError(*db)) {
            // Timers and threads stop touching the dead session while the box is up; a
            // second loss reported meanwhile only ends the program.
            ProgramClosing = true;
            static bool ending = false;
            if (ending) return TerminateProgram(10);
            ending = true;
            TMD::MessageDlg(ConnectionLostMessage(db->Message()), mtError, mbOK);
            TerminateProgram(10);
            ending = false; // only a test's terminator comes back
            return;
        }
        return ApplicationException(db->Message());
    }
    ApplicationException(QString::fromUtf8(e.what()));
}

void TData::ApplicationException(const QString& message)
{
    ProgramClosing = true;
    TMD::MessageDlg(message, mtError, mbOK);
}

bool WriteDailyStatistics()
{
    TDedicatedSession* s = GlobalSession();
    try {
        TTransactionGuard tx(s);
        const QString today = todayText();
        const QString active = QStringLiteral("(((U_DATAAKTYWACJI<>'0000-00-00') AND ( U_DATAAKTYWACJI <='") +
                               today + QStringLiteral("'") +
                               QStringLiteral(" )) AND (( U_DATADEAKTYWACJI = 0 ) OR (U_DATADEAKTYWACJI >") +
                               QStringLiteral("'") + today + QStringLiteral("'") + QStringLiteral(")))");
        auto count = [&](const QString& sql, const TArgs& args = {}) {
            return QString::number(s->GetQueryValueAsInteger(sql, args));
        };
        // Sums go into a decimal column, so they are written with a point.
        auto sum = [&](const QString& sql) {
            auto q = s->OpenQuery(sql);
            const Amount4 v = q->IsEmpty() ? Amount4{} : q->Fields(0)->AsCurrency();
            const qint64 cents = (v.raw >= 0 ? v.raw + 50 : v.raw - 50) / 100;
            return QStringLiteral("%1%2.%3")
                .arg(cents < 0 ? QStringLiteral("-") : QString())
                .arg(std::abs(cents) / 100)
                .arg(std::abs(cents) % 100, 2, 10, QLatin1Char('0'));
        };
        const std::pair<const char*, QString> rows[] = {
            {"uzytkownicyall", count(QStringLiteral("select count(*) from Userdb"))},
            {"uzytkownicyaktywni", count(QStringLiteral("select count(*) from Userdb where ") + active)},
            {"uzytkownicypoczekalnia",
             count(QStringLiteral("select count(*) from Userdb where U_POCZEKALNIA=1"))},
            {"otwartezlecenia",
             count(QStringLiteral("select count(*) from ZleceniaSerwisowe where ZS_DATAZAKONCZENIA=:p1 or "
                                  "ZS_DATAZAKONCZENIA>CURDATE()"),
                   {"0000-00-00"})},
            {"infrastrukturaall", count(QStringLiteral("select count(*) from Infrastruktura"))},
            {"saldo", sum(QStringLiteral("select sum(U_SALDO) from Userdb"))},
            {"saldozalegle", sum(QStringLiteral("select sum(U_SALDOZALEGLE) from Userdb"))},
            {"abonamenty", sum(QStringLiteral("select sum(U_KWOTAABONAMENTU) from Userdb where ") + active)},
            {"koszty", sum(QStringLiteral("select sum(U_KOSZT) from Userdb where ") + active)},
        };
        for (const auto& [name, value] : rows)
            s->ExecQuery(QStringLiteral("insert into Stat set ST_NAZWA=:p1, ST_WARTOSC=:p2"), {name, value});
        s->ExecQuery(
            QStringLiteral("delete from StatSaldo where SLD_DATADODANIA<DATE_SUB(NOW(),INTERVAL 2 YEAR)"));
        s->ExecQuery(QStringLiteral("delete from StatSaldo where SLD_SALDO=0"));
        s->ExecQuery(QStringLiteral(
            "insert into StatSaldo (SLD_USERID, SLD_SALDO) select U_INDEX, U_SALDO from Userdb "
            "where U_SALDO<>0"));
        s->ExecQuery(
            QStringLiteral("delete from WyslaneEmail where EMW_DATAWYSYLKI<DATE_SUB(NOW(),INTERVAL 2 YEAR)"));
        s->ExecQuery(QStringLiteral("delete from Log where LOG_DATA<DATE_SUB(NOW(),INTERVAL 2 YEAR)"));
        tx.commit();
        return true;
    } catch (const EProgramExit&) {
        throw;
    } catch (...) {
        return false;
    }
}
