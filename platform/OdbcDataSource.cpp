#include "platform/OdbcDataSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryFile>
#include <odbcinst.h>
#include <pwd.h>
#include <unistd.h>

const QString OdbcDriverName = QStringLiteral("MariaDB Unicode");

namespace {

// unixODBC keeps one configuration mode per process; user entries only.
struct UserMode
{
    UWORD saved = ODBC_BOTH_DSN;
    UserMode()
    {
        SQLGetConfigMode(&saved);
        SQLSetConfigMode(ODBC_USER_DSN);
    }
    ~UserMode() { SQLSetConfigMode(saved); }
};

// unixODBC caches what it read under the logical name "odbc.ini", whatever
// file that stands for; any write clears the cache. A write to a scratch file
// of our own makes the next read see the configuration as it is now.
void forgetCachedConfiguration()
{
    // A private file of our own (0600, unpredictable name), removed right after.
    QTemporaryFile scratch(QDir::tempPath() + QStringLiteral("/orlix6-odbc-XXXXXX.ini"));
    if (!scratch.open()) return;
    scratch.close();
    SQLWritePrivateProfileString("reload", "stamp", "1", QFile::encodeName(scratch.fileName()).constData());
}

QString readValue(const QByteArray& section, const QByteArray& key, const char* file)
{
    QByteArray buf(4096, '\0');
    const int n = SQLGetPrivateProfileString(section.constData(), key.constData(), "", buf.data(),
                                             int(buf.size()), file);
    return n > 0 ? QString::fromUtf8(buf.constData(), n) : QString();
}

QStringList readKeys(const QByteArray& section, const char* file)
{
    // With no key the call lists the section's keys, each ended by a NUL.
    QByteArray buf(16384, '\0');
    const int n =
        SQLGetPrivateProfileString(section.constData(), nullptr, "", buf.data(), int(buf.size()), file);
    QStringList out;
    if (n <= 0) return out;
    for (const QByteArray& k : buf.left(n).split('\0'))
        if (!k.isEmpty()) out << QString::fromUtf8(k);
    return out;
}

// The user's data-source file, found as unixODBC finds it: $ODBCINI, else
// .odbc.ini in the home folder of the password database.
QString userOdbcIniPath()
{
    const QString named = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ODBCINI"));
    if (!named.isEmpty()) return named;
    const passwd* pw = getpwuid(getuid());
    return pw ? QFile::decodeName(pw->pw_dir) + QStringLiteral("/.odbc.ini") : QString();
}

// The entry holds the server's password: readable by its owner only, from
// the moment the file exists (unixODBC rewrites it in place).
void keepOdbcIniPrivate()
{
    const QString path = userOdbcIniPath();
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool writeValue(const QString& section, const QString& key, const QString& value)
{
    return SQLWritePrivateProfileString(section.toUtf8().constData(), key.toUtf8().constData(),
                                        value.toUtf8().constData(), "odbc.ini");
}

} // namespace

TOdbcEntry ReadOdbcDataSource(const QString& dsn)
{
    UserMode mode;
    forgetCachedConfiguration();
    TOdbcEntry e;
    const QByteArray section = dsn.toUtf8();
    for (const QString& key : readKeys(section, "odbc.ini")) {
        e.values.insert(key.toUpper(), readValue(section, key.toUtf8(), "odbc.ini"));
        e.exists = true;
    }
    return e;
}

bool OdbcDataSourceExists(const QString& dsn)
{
    return ReadOdbcDataSource(dsn).exists;
}

bool OdbcDriverInstalled(const QString& driver)
{
    UserMode mode;
    forgetCachedConfiguration();
    SQLSetConfigMode(ODBC_BOTH_DSN);
    return !readKeys(driver.toUtf8(), "odbcinst.ini").isEmpty();
}

int CreateOdbcDataSource(const QString& name)
{
    if (OdbcDataSourceExists(name)) return 0;
    return CreateOdbcDataSource(name, OdbcDriverInstalled(OdbcDriverName));
}

int CreateOdbcDataSource(const QString& name, bool haveDriver)
{
    if (OdbcDataSourceExists(name)) return 0;
    UserMode mode;
    keepOdbcIniPrivate();
    bool ok = true;
    if (haveDriver) ok &= writeValue(name, QStringLiteral("Driver"), OdbcDriverName);
    ok &= writeValue(name, QStringLiteral("Database"), name);
    ok &= writeValue(name, QStringLiteral("Description"), name);
    ok &= writeValue(name, QStringLiteral("Charset"), QStringLiteral("cp1250"));
    ok &= writeValue(name, QStringLiteral("Big_packets"), QStringLiteral("1"));
    ok &= writeValue(name, QStringLiteral("Auto_reconnect"), QStringLiteral("1"));
    // The local server's administrator password of a default installation.
    ok &= writeValue(name, QStringLiteral("Password"), QStringLiteral("qalmunex"));
    ok &= writeValue(name, QStringLiteral("Port"), QStringLiteral("3306"));
    ok &= writeValue(name, QStringLiteral("Server"), QStringLiteral("localhost"));
    ok &= writeValue(name, QStringLiteral("User"), QStringLiteral("root"));
    ok &= writeValue(QStringLiteral("ODBC Data Sources"), name,
                     haveDriver ? OdbcDriverName : QStringLiteral("MariaDB"));
    keepOdbcIniPrivate();
    return ok ? 1 : -1;
}

QString InitStatementFromEntry(const TOdbcEntry& entry)
{
    return entry.value(QStringLiteral("INITSTMT"));
}
