#include "core/SqlScripts.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/OdbcConnection.h"
#include "core/TerytTools.h"
#include "platform/OdbcDataSource.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

// Debian ships the client as "mariadb" (older releases: "mysql").
QString clientProgram()
{
    for (const char* name : {"mariadb", "mysql"}) {
        const QString p = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!p.isEmpty()) return p;
    }
    return QString();
}

} // namespace

int ImportSqlFile(const QString& fileName, int* toolExitCode)
{
    if (toolExitCode) *toolExitCode = -1;
    const TConnectionParams p = ConnectionParamsFromEntry(ReadOdbcDataSource(CurrentOdbcAlias()));
    if (fileName.isEmpty()) return 9;
    const QString client = clientProgram();
    if (client.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak pliku mysql"), mtError, mbOK);
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
    // The password goes through the environment, never the command line.
    QStringList args{QStringLiteral("--no-defaults"), QStringLiteral("--default-character-set=utf8mb3")};
    if (!p.socket.isEmpty())
        args << QStringLiteral("--socket=") + p.socket;
    else {
        if (!p.host.isEmpty()) args << QStringLiteral("--host=") + p.host;
        args << QStringLiteral("--port=") + QString::number(p.port ? p.port : 3306);
    }
    if (!p.user.isEmpty()) args << QStringLiteral("--user=") + p.user;
    args << (p.database.isEmpty() ? DefaultDatabaseName : p.database);
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MYSQL_PWD"), p.password);
    proc.setProcessEnvironment(env);
    proc.setStandardInputFile(fileName);
    proc.start(client, args);
    if (!proc.waitForStarted(10000)) return 1;
    // Keep the windows alive while the script runs.
    while (!proc.waitForFinished(250)) {
        if (proc.state() == QProcess::NotRunning) break;
        QCoreApplication::processEvents();
    }
    if (toolExitCode) *toolExitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
    return 0;
}
