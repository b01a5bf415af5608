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
    return p;
}
