#include "core/SqlScripts.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/OdbcConnection.h"
#include "core/ProgramExit.h"
#include "core/ProgramHooks.h"
#include "core/Session.h"
#include "core/TerytTools.h"
#include "platform/OdbcDataSource.h"
#include "platform/ZipArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>

std::function<QDateTime()> ArchiveClock = [] { return QDateTime::currentDateTime(); };

namespace {

QString g_lastArchiveMessage;

QString findProgram(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const QString p = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!p.isEmpty()) return p;
    }
    return QString();
}

void lamp(TArchiveLamp state, const QString& hint = QString())
{
    if (ProgramHooks().archiveLamp) ProgramHooks().archiveLamp(int(state), hint);
}

void statusPanel(const QString& text)
{
    if (ProgramHooks().archiveStatus) ProgramHooks().archiveStatus(text);
}

TConnectionParams connection()
{
    return ConnectionParamsFromEntry(ReadOdbcDataSource(CurrentOdbcAlias()));
}

QString databaseOf(const TConnectionParams& p)
{
    return p.database.isEmpty() ? DefaultDatabaseName : p.database;
}

struct TToolRun
{
    bool started = false;
    int exitCode = -1;
    QString message; // standard error, trimmed
    bool ok() const { return started && exitCode == 0; }
};

// Runs a tool with the password in its environment, keeping the windows alive
// and the lamp blinking every 250 ms until it ends.
TToolRun runTool(const QString& program, const QStringList& args, const QString& password,
                 const QString& inputFile, const QString& hint)
{
    TToolRun run;
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MYSQL_PWD"), password);
    proc.setProcessEnvironment(env);
    if (!inputFile.isEmpty()) proc.setStandardInputFile(inputFile);
    proc.start(program, args);
    if (!proc.waitForStarted(10000)) return run;
    run.started = true;
    bool blink = false;
    while (!proc.waitForFinished(250)) {
        if (proc.state() == QProcess::NotRunning) break;
        blink = !blink;
        lamp(blink ? TArchiveLamp::Blink : TArchiveLamp::Working, hint);
        QCoreApplication::processEvents();
    }
    run.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
    run.message = QString::fromLocal8Bit(proc.readAllStandardError()).trimmed();
    if (run.exitCode != 0 && run.message.isEmpty())
        run.message = QStringLiteral("kod wyjścia %1").arg(run.exitCode);
    return run;
}

} // namespace

QString MysqlClientProgram()
{
    // Debian ships the client as "mariadb" (older releases: "mysql").
    return findProgram({"mariadb", "mysql"});
}

QString MysqlDumpProgram()
{
    return findProgram({"mariadb-dump", "mysqldump"});
}

QStringList MysqlConnectionArgs(const TConnectionParams& p)
{
    QStringList args;
    if (!p.socket.isEmpty())
        args << QStringLiteral("--socket=") + p.socket;
    else {
        if (!p.host.isEmpty()) args << QStringLiteral("--host=") + p.host;
        args << QStringLiteral("--port=") + QString::number(p.port ? p.port : 3306);
        if (!p.sslCa.isEmpty()) args << QStringLiteral("--ssl-ca=") + p.sslCa;
        if (!p.sslCert.isEmpty()) args << QStringLiteral("--ssl-cert=") + p.sslCert;
        if (!p.sslKey.isEmpty()) args << QStringLiteral("--ssl-key=") + p.sslKey;
        if (p.sslVerify) args << QStringLiteral("--ssl-verify-server-cert");
    }
    if (!p.user.isEmpty()) args << QStringLiteral("--user=") + p.user;
    return args;
}

QString MaskedCommandLine(const QString& program, const QStringList& args)
{
    return (QStringList{program} + args).join(QLatin1Char(' ')) + QStringLiteral(" -p***");
}

int ImportSqlFile(const QString& fileName, int* toolExitCode, QString* toolMessage)
{
    if (toolExitCode) *toolExitCode = -1;
    if (toolMessage) toolMessage->clear();
    const TConnectionParams p = connection();
    if (fileName.isEmpty()) return 9;
    const QString client = MysqlClientProgram();
    if (client.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak pliku mariadb"), mtError, mbOK);
        return 9;
    }
    if (QFileInfo(fileName).fileName() == QLatin1String("TERYT.sql")) {
        try {
            if (TerytTablesPresent()) {
                if (TMD::MessageDlg(
                        QStringLiteral("Prawdopodobnie baza zawiera już tabele \"simc\", \"terc\", \"ulic\" "
                                       "lub \"wmrodz\". Czy chcesz usunąć te tabele z bazy?"),
                        mtConfirmation, mbYes | mbNo) != mrYes)
                    return 9;
                for (const char* t : {"simc", "terc", "ulic", "wmrodz"})
                    GlobalSession()->ExecQuery(
                        QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(t)));
            }
        } catch (const EDatabaseError&) {
            TMD::MessageDlg(QStringLiteral("Błąd podczas sprawdzania statusu tabel bazy TERYT"), mtError,
                            mbOK);
            return 9;
        }
    }
    const QStringList args =
        QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--default-character-set=utf8mb3")} +
        MysqlConnectionArgs(p) + QStringList{databaseOf(p)};
    const QString hint = QStringLiteral("Import pliku SQL... ");
    lamp(TArchiveLamp::Working, hint);
    const TToolRun run = runTool(client, args, p.password, fileName, hint);
    if (!run.started) return 1;
    if (toolExitCode) *toolExitCode = run.exitCode;
    if (!run.ok()) {
        // A failing statement or a refused login is the tool's message, not a success.
        if (toolMessage) *toolMessage = run.message;
        lamp(TArchiveLamp::Failed,
             QStringLiteral("Import pliku SQL... Błąd (") + fileName + QLatin1Char(')'));
        LogEvent(QStringLiteral("Błąd importu pliku SQL ") + fileName + QStringLiteral(": ") + run.message);
        return 2;
    }
    lamp(TArchiveLamp::Done, QStringLiteral("Import pliku SQL... OK (") + fileName + QLatin1Char(')'));
    return 0;
}

// ---------------------------------------------------------------- archive

QString ArchiveCodeText(int code)
{
    switch (code) {
    case kArchiveTooSmall:
        return QStringLiteral("Błąd zawartosci archiwum zip (prawdopodobnie pusty plik)");
    case kArchiveToolFailed:
        return QStringLiteral("Błąd zrzutu bazy: ") + g_lastArchiveMessage;
    case kArchiveError:
        return QStringLiteral("Błąd procedury");
    case kArchiveNoUser:
        return QStringLiteral("Brak poświadczeń");
    case kArchiveNoTool:
        return QStringLiteral("Brak pliku mariadb-dump");
    case kArchiveNotStarted:
        return QStringLiteral("Błąd startu procedury");
    case kArchiveNoDump:
        return QStringLiteral("Nie znaleziono pliku sql ze zrzutem bazy");
    case kArchiveZipFailed:
        return QStringLiteral("Błąd pakowania pliku zip: ") + g_lastArchiveMessage;
    default:
        return QString();
    }
}

QString LastArchiveToolMessage()
{
    return g_lastArchiveMessage;
}

int ArchiveCodeForZip(const QString& zipFile)
{
    return FileSizeKB(zipFile) < 3 ? kArchiveTooSmall : kArchiveOk;
}

namespace {

int archiveSteps(const QString& dumpFileName, QString& dumpFile)
{
    const QString dumper = MysqlDumpProgram();
    if (dumper.isEmpty()) return kArchiveNoTool;
    lamp(TArchiveLamp::Working);
    const TConnectionParams p = connection();
    const QString db = databaseOf(p);
    dumpFile = dumpFileName.isEmpty()
                   ? ArchiveFolder + db + QLatin1Char('_') +
                         ArchiveClock().toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".sql")
                   : dumpFileName;
    QStringList args{QStringLiteral("--no-defaults"), QStringLiteral("--default-character-set=utf8"),
                     QStringLiteral("-q"), QStringLiteral("--single-transaction")};
    args << MysqlConnectionArgs(p) << db;
    // The address registers are big and come from their own import.
    for (const char* t : {"simc", "terc", "ulic", "wmrodz", "pa"})
        args << QStringLiteral("--ignore-table=") + db + QLatin1Char('.') + QLatin1String(t);
    args << QStringLiteral("--result-file=") + dumpFile;
    WriteIniString(OperatorId, QStringLiteral("OstatnieArchiwumCmd"), MaskedCommandLine(dumper, args));
    // A socket login needs no password: only a missing user stops the archive.
    if (p.user.isEmpty()) return kArchiveNoUser;

    LogEvent(QStringLiteral("Arch: przygotowanie"));
    QDir().mkpath(QFileInfo(dumpFile).absolutePath());
    const QString hint = QStringLiteral("Archiwizacja... wykonywanie archiwum bazy");
    LogEvent(QStringLiteral("Arch: zrzucanie bazy do pliku"));
    const TToolRun run = runTool(dumper, args, p.password, QString(), hint);
    if (!run.started) return kArchiveNotStarted;
    if (!run.ok()) {
        g_lastArchiveMessage = run.message;
        QFile::remove(dumpFile); // a half-written dump is no archive
        return kArchiveToolFailed;
    }

    LogEvent(QStringLiteral("Arch: pakowanie bazy"));
    lamp(TArchiveLamp::Working, QStringLiteral("Archiwizacja... pakowanie"));
    if (!QFileInfo::exists(dumpFile)) return kArchiveNoDump;
    const QString zip = dumpFile + QStringLiteral(".zip");
    try {
        TZipArchiver zipper;
        zipper.CompressionLevel = 6;
        zipper.CreateArchive(zip, {dumpFile});
    } catch (const EZipError& e) {
        g_lastArchiveMessage = QString::fromUtf8(e.what());
        return kArchiveZipFailed;
    }
    if (!QFileInfo::exists(zip)) return kArchiveZipFailed;
    LogEvent(QStringLiteral("Arch: Koniec"));
    return ArchiveCodeForZip(zip);
}

} // namespace

int ArchiveDatabase(const QString& dumpFileName)
{
    g_lastArchiveMessage.clear();
    QString dumpFile;
    int code = kArchiveNotStarted;
    try {
        code = archiveSteps(dumpFileName, dumpFile);
    } catch (const std::exception& e) {
        g_lastArchiveMessage = QString::fromUtf8(e.what());
        code = kArchiveError;
    }
    if (code == kArchiveOk) {
        WriteIniString(0, QStringLiteral("OstatnieArchiwum"),
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        statusPanel(QStringLiteral("Archiwum: OK"));
        LogEvent(QStringLiteral("Archiwum: ") + dumpFile + QStringLiteral(" ... OK"));
        QFile::remove(dumpFile);
        lamp(TArchiveLamp::Done, QStringLiteral("Archiwizacja... OK (") + dumpFile + QStringLiteral(".zip)"));
    } else {
        lamp(TArchiveLamp::Failed, QStringLiteral("Archiwizacja... Błąd!"));
        LogEvent(QStringLiteral("Błąd: Nieudana próba wykonania lokalnego archiwum ") +
                 QString::number(code));
        LogEvent(ArchiveCodeText(code));
        statusPanel(QStringLiteral("Archiwum: Błąd!"));
    }
    return code;
}

// ---------------------------------------------------------------- restore

int RestoreDatabaseArchive(const QString& zipFileName)
{
    if (zipFileName.isEmpty()) return 9;
    const QString client = MysqlClientProgram();
    if (client.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak pliku mariadb"), mtError, mbOK);
        return 9;
    }
    const TConnectionParams p = connection();
    // An archive packed with the data source's password, else a plain one.
    for (const QString& password : {p.password, QString()}) {
        try {
            TZipArchiver unzip;
            unzip.Password = password;
            unzip.MaxTotalSize = qint64(64) << 30; // a database dump may be big
            unzip.ExtractAll(zipFileName, PrivateFolder);
            break;
        } catch (const EZipError&) {
        }
    }
    const QString script = PrivateFolder + QFileInfo(zipFileName).fileName().chopped(4);
    if (!QFileInfo::exists(script)) return 9;

    const QStringList args =
        QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--default-character-set=utf8")} +
        MysqlConnectionArgs(p) + QStringList{databaseOf(p)};
    const QString command = MaskedCommandLine(client, args) + QStringLiteral(" < ") + script;
    WriteIniString(OperatorId, QStringLiteral("OstatniaDearchiwizacjaCmd"), command);

    const TToolRun run = runTool(client, args, p.password, script, QStringLiteral("Dearchiwizacja... "));
    QFile::remove(script);
    if (!run.ok()) {
        lamp(TArchiveLamp::Failed,
             QStringLiteral("Dearchiwizacja... Błąd (") + zipFileName + QLatin1Char(')'));
        LogEvent(QStringLiteral("Błąd: Nieudana próba wykonania dearchiwizacji") +
                 (run.started ? QStringLiteral(": ") + run.message : QString()));
        statusPanel(QStringLiteral("Dearchiwizacja: ") + zipFileName + QStringLiteral(" ... Błąd!"));
        if (!run.started) return 1;
        // The schema version stays: nothing tells the next start the data changed.
        TMD::MessageDlg(QStringLiteral("Dearchiwizacja nie powiodła się:\r\n") + run.message, mtError, mbOK);
        return 2;
    }
    lamp(TArchiveLamp::Done, QStringLiteral("Derchiwizacja... OK (") + zipFileName + QLatin1Char(')'));
    WriteIniString(0, QStringLiteral("Dearchiwizacja"),
                   QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    WriteIniString(OperatorId, QStringLiteral("OstatniaDearchiwizacjaCmd"), command);
    const QString done = QStringLiteral("Dearchiwizacja: ") + zipFileName + QStringLiteral(" ... OK");
    statusPanel(done);
    LogEvent(done);
    TMD::MessageDlg(
        QStringLiteral("Dearchiwizacja zakończona\r\nKonieczne jest ponowne uruchomienie programu"),
        mtInformation, mbOK);
    // The next start upgrades the schema and re-creates the triggers.
    WriteIniString(0, QStringLiteral("VerQv_VerView"), QStringLiteral("0"));
    WriteIniBool(0, QStringLiteral("Triggery_") + ProgramVersion, false);
    TerminateProgram(0);
    return 0;
}

// ---------------------------------------------------------------- files

QString GetShortFolderPath(const QString& fileName)
{
    const int slash = int(fileName.lastIndexOf(QLatin1Char('/')));
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

void SaveTextToFile(const QString& text, const QString& fileName)
{
    QString name = fileName;
    if (name.isEmpty())
        name = DigitsOnly(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) +
               QStringLiteral(".txt");
    else
        QDir().mkpath(QFileInfo(name).absolutePath());
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    f.write(crlf.toUtf8());
}

int FileSizeKB(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists()) return -1;
    return int(std::nearbyint(double(info.size()) / 1000.0)); // the default rounding: halves to even
}
