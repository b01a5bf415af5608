#include "tools/drovik/DrovikScripts.h"

#include <QFile>
#include <QSaveFile>

namespace {

// Debian's option files name their own socket; the scripts pass this one.
const QString SocketLine = QStringLiteral("socket=\"${MYSQL_UNIX_PORT:-/run/mysqld/mysqld.sock}\"\n");

} // namespace

QString ShellQuote(const QString& path)
{
    QString out = path;
    out.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

TDrovikScript PostInstall1Script(const QString& folder)
{
    return {QStringLiteral("postinstall1.sh"),
            QStringLiteral("#!/bin/sh\n"
                           "# The prepared database server settings go into the server's configuration\n"
                           "# folder when the server package is installed here.\n"
                           "conf_dir=\"${MARIADB_CONF_DIR:-/etc/mysql/mariadb.conf.d}\"\n"
                           "if [ -d \"$conf_dir\" ]; then\n"
                           "    cp %1 \"$conf_dir/60-orlix6.cnf\" || {\n"
                           "        echo \"Nie można skopiować ustawień serwera do $conf_dir.\" >&2\n"
                           "        exit 1\n"
                           "    }\n"
                           "fi\n"
                           "exit 0\n")
                .arg(ShellQuote(folder + QStringLiteral("/my.cnf")))};
}

TDrovikScript PostInstall2Script(const QString& folder)
{
    // No password here: the server's root signs in through the socket as the
    // system's root; a server that wants one gets it from MYSQL_PWD.
    return {QStringLiteral("postinstall2.sh"),
            QStringLiteral("#!/bin/sh\n"
                           "# Waits for the database server, creates the system's database and\n"
                           "# registers the data source.\n") +
                SocketLine +
                QStringLiteral(
                    "tries=0\n"
                    "until mariadb-admin --socket=\"$socket\" -u root --connect-timeout=1 ping "
                    ">/dev/null 2>&1; do\n"
                    "    tries=$((tries + 1))\n"
                    "    if [ \"$tries\" -ge 15 ]; then\n"
                    "        echo \"Serwer bazy danych nie odpowiada ($socket).\" >&2\n"
                    "        exit 1\n"
                    "    fi\n"
                    "    sleep 1\n"
                    "done\n"
                    "mariadb --socket=\"$socket\" -u root -e 'CREATE DATABASE IF NOT EXISTS `ORLIX4SQL` "
                    "COLLATE utf8_polish_ci;' || {\n"
                    "    echo \"Nie można utworzyć bazy danych ORLIX4SQL.\" >&2\n"
                    "    exit 1\n"
                    "}\n"
                    "exec sh %1\n")
                    .arg(ShellQuote(folder + QStringLiteral("/odbc.sh")))};
}

TDrovikScript OdbcScript()
{
    return {QStringLiteral("odbc.sh"),
            QStringLiteral("#!/bin/sh\n"
                           "# Registers the user data source the program connects through; an entry\n"
                           "# that exists already (perhaps pointed at a shared server) is kept.\n") +
                SocketLine +
                QStringLiteral(
                    "if odbcinst -q -s -h -n ORLIX4SQL >/dev/null 2>&1; then\n"
                    "    exit 0\n"
                    "fi\n"
                    "printf '[ORLIX4SQL]\\nDriver=MariaDB Unicode\\nDatabase=ORLIX4SQL\\nSocket=%s\\n' "
                    "\"$socket\" | odbcinst -i -s -h -r >/dev/null || {\n"
                    "    echo \"Nie można zapisać źródła danych ORLIX4SQL.\" >&2\n"
                    "    exit 1\n"
                    "}\n"
                    "exit 0\n")};
}

QString WriteDrovikScript(const QString& folder, const TDrovikScript& script)
{
    const QString path = folder + QLatin1Char('/') + script.FileName;
    QSaveFile f(path);
    bool ok = f.open(QIODevice::WriteOnly);
    if (ok) ok = f.write(script.Text.toUtf8()) >= 0 && f.commit();
    if (ok)
        ok = QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                             QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                             QFile::ExeOther);
    if (ok) return QString();
    return QStringLiteral("Nie można zapisać pliku „%1”: %2").arg(path, f.errorString());
}
