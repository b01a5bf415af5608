#pragma once
// The database's command-line tools: SQL scripts through the client, the
// local archive (a dump, zipped) and its restore, and the small file helpers
// they share. The tools are Debian's "mariadb" and "mariadb-dump" from PATH,
// started with argument lists; the password goes through the environment
// (MYSQL_PWD), never on a command line, and stored command lines show "-p***".
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

struct TConnectionParams;

// The state of the main window's archive lamp.
enum class TArchiveLamp
{
    Working, // yellow
    Blink,   // silver, alternating with Working while a tool runs
    Done,    // green
    Failed   // red
};

// 0 after the script ran, 1 when the client could not be started, 9 when
// nothing was run, 2 when the client reported an error: ToolMessage then
// holds its message. ToolExitCode receives the client's own exit status.
int ImportSqlFile(const QString& fileName, int* toolExitCode = nullptr, QString* toolMessage = nullptr);

// Result codes of ArchiveDatabase.
enum TArchiveCode
{
    kArchiveOk = 0,
    kArchiveTooSmall = 1,   // the zip is under 3 kB
    kArchiveToolFailed = 2, // the dump tool reported an error
    kArchiveError = 3,      // an error was raised on the way
    kArchiveNoUser = 7,     // no user in the data source (a socket login needs no password)
    kArchiveNoTool = 8,     // no dump tool
    kArchiveNotStarted = 9, // the dump tool did not start
    kArchiveNoDump = 10,    // no dump file after the run
    kArchiveZipFailed = 11  // the dump could not be zipped
};
// The log text of a code.
QString ArchiveCodeText(int code);
// Empty name: ArchiveFolder + database + "_" + yyyymmddhhnnss + ".sql". The
// dump is zipped beside itself into name + ".zip" and deleted.
int ArchiveDatabase(const QString& dumpFileName = QString());
// The code a finished zip gives: under 3 kB (FileSizeKB) 1, otherwise 0.
int ArchiveCodeForZip(const QString& zipFile);
// The last tool message of ArchiveDatabase (empty after a success).
QString LastArchiveToolMessage();

// Unpacks "x.sql.zip" into PrivateFolder and runs "x.sql" through the client.
// 0 after a successful restore (the program then ends: the next start
// upgrades the schema and rebuilds the triggers), 1 when the client did not
// start, 2 when it reported an error (shown; the schema version is kept),
// 9 when nothing was run.
int RestoreDatabaseArchive(const QString& zipFileName);

// The clock the archive names its dump by (tests fix it).
extern std::function<QDateTime()> ArchiveClock;

// The client tools found on PATH; empty when missing.
QString MysqlClientProgram();
QString MysqlDumpProgram();
// The connection options of the tools for a data source (no password).
QStringList MysqlConnectionArgs(const TConnectionParams& p);
// A command line to store: program, arguments and "-p***" after them.
QString MaskedCommandLine(const QString& program, const QStringList& args);

// The folder part of a file name with its trailing separator (Linux has no
// short names: the folder unchanged).
QString GetShortFolderPath(const QString& fileName);
// Lines joined with CR LF. Empty name: the fourteen digits of the current date
// and time + ".txt" in the current folder; otherwise the folder is created.
void SaveTextToFile(const QString& text, const QString& fileName);
// -1 when the file does not exist, else bytes / 1000 rounded, halves to even.
int FileSizeKB(const QString& fileName);
