#pragma once
// The ODBC user data source that names the database: kept in the user's
// unixODBC configuration (~/.odbc.ini, or the file $ODBCINI names).
#include <QMap>
#include <QString>

struct TOdbcEntry
{
    bool exists = false;
    QMap<QString, QString> values; // keys upper-cased
    QString value(const QString& key) const { return values.value(key.toUpper()); }
};

TOdbcEntry ReadOdbcDataSource(const QString& dsn);
bool OdbcDataSourceExists(const QString& dsn);
// True when unixODBC knows a driver of that name (odbcinst.ini).
bool OdbcDriverInstalled(const QString& driver);

// 0 when the entry exists (nothing is changed), 1 after writing the default
// entry of a local server; -1 when the configuration could not be written.
int CreateOdbcDataSource(const QString& name);
// The same, told whether the driver is installed.
int CreateOdbcDataSource(const QString& name, bool driverInstalled);

// An entry's init statement (INITSTMT), run right after connecting.
QString InitStatementFromEntry(const TOdbcEntry& entry);

// The driver name the entries use.
extern const QString OdbcDriverName; // "MariaDB Unicode"
