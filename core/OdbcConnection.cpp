#include "core/OdbcConnection.h"

TConnectionParams ConnectionParamsFromEntry(const TOdbcEntry& e)
{
    auto first = [&](std::initializer_list<const char*> keys) {
        for (const char* k : keys) {
            const QString v = e.value(QString::fromLatin1(k));
            if (!v.isEmpty()) return v;
        }
        return QString();
    };
    TConnectionParams p;
    p.host = first({"SERVER"});
    p.port = first({"PORT"}).toUInt();
    p.socket = first({"SOCKET"});
    p.database = first({"DATABASE"});
    p.user = first({"UID", "USER"});
    p.password = first({"PWD", "PASSWORD"});
    // The TLS keys of the MariaDB driver's own entries; booleans as it reads them.
    auto flag = [&](const char* key) {
        const QString v = first({key}).trimmed().toLower();
        return v == QLatin1String("1") || v == QLatin1String("on") || v == QLatin1String("yes") ||
               v == QLatin1String("true");
    };
    p.sslCa = first({"SSLCA"});
    p.sslCert = first({"SSLCERT"});
    p.sslKey = first({"SSLKEY"});
    p.sslVerify = flag("SSLVERIFY");
    p.forceTls = flag("FORCETLS");
    return p;
}
