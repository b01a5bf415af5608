#include "tests/support/RowInsert.h"

#include <QStringList>

int InsertRow(TDedicatedSession* session, const char* table, const TRowValues& values)
{
    QStringList sets;
    TArgs args;
    for (const auto& [name, value] : values) {
        sets << QStringLiteral("%1=:p%2").arg(QLatin1String(name)).arg(sets.size() + 1);
        args.push_back(value);
    }
    session->ExecQuery(QStringLiteral("insert into %1 set ").arg(QLatin1String(table)) +
                           sets.join(QStringLiteral(", ")),
                       args);
    return int(session->LastInsertId());
}
