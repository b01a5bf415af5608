#include "platform/OdbcDataSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <odbcinst.h>

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
    static const QByteArray scratch = (QDir::tempPath() + QStringLiteral("/orlix6-odbc-%1.ini")
                                           .arg(QCoreApplication::applicationPid()))
                                          .toUtf8();
    SQLWritePrivateProfileString("reload", "stamp", "1", scratch.constData());
}

QString readValue(const QByteArray& section, const QByteArray& key, const char* file)
{
    QByteArray buf(4096, '\0');
    const int n = SQLGetPrivateProfileString(section.constData(), key.constData(), "", buf.data(), int(buf.size()),
                                             file);
    return n > 0 ? QString::fromUtf8(buf.constData(), n) : QString();
}

QStringList readKeys(const QByteArray& section, const char* file)
{
    // With no key the call lists the section's keys, each ended by a NUL.
    QByteArray buf(16384, '\0');
    const int n = SQLGetPrivateProfileString(section.constData(), nullptr, "", buf.data(), int(buf.size()), file);
    QStringList out;
    if (n <= 0) return out;
    for (const QByteArray& k : buf.left(n).split('\0'))
        if (!k.isEmpty()) out << QString::fromUtf8(k);
    return out;
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
    ok &= writeValue(QStringLiteral("ODBC Data Sources"), name, haveDriver ? OdbcDriverName : QStringLiteral("MariaDB"));
    return ok ? 1 : -1;
}

QString InitStatementFromEntry(const TOdbcEntry& entry)
{
    return entry.value(QStringLiteral("INITSTMT"));
}
