#include "core/TerytTools.h"

#include "core/DedicatedSession.h"

bool TerytTablesPresent()
{
    for (const char* t : {"simc", "terc", "pa", "ulic", "wmrodz"}) {
        if (GlobalSession()->IsQueryEmpty(QStringLiteral("SHOW TABLES LIKE :p1"), {t})) return false;
    }
    return true;
}
