#include "bench/common/BenchSupport.h"

#include "platform/OdbcDataSource.h"

#include <QFile>
#include <QTemporaryDir>

bool PointDataSourceAt(const TConnectionParams& p, QTemporaryDir& dir)
{
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    QFile f(ini);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QStringLiteral(
                "[ORLIX4SQL]\nDriver=%1\nSOCKET=%2\nSERVER=%3\nPORT=%4\nDATABASE=%5\nUSER=%6\nPASSWORD=%7\n")
                .arg(OdbcDriverName, p.socket, p.host, p.port ? QString::number(p.port) : QString(), p.database,
                     p.user, p.password)
                .toUtf8());
    f.close();
    qputenv("ODBCINI", ini.toUtf8());
    return true;
}
