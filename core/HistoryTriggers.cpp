// History triggers: the old version of a device or payment row is copied into
// its history table before the row is deleted or one of its tracked columns changes.
#include "core/SchemaSteps.h"
#include "core/SchemaUpgrade.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct THistory
{
    const char* table;
    const char* histTable;
    const char* prefix;
    QStringList copied;  // columns copied besides the key (into <P>_INDEXOLD)
    QStringList watched; // besides the key: a change of these writes an update row
};

const THistory& infra()
{
    static const THistory h{"Infrastruktura",
                            "Infrastruktura_hist",
                            "INF_",
                            {"INF_NAZWA", "INF_FUNKCJA", "INF_MAC", "INF_MAC2", "INF_IP", "INF_PORT",
                             "INF_LOGIN", "INF_HASLO", "INF_PUBIP"},
                            {"INF_NAZWA", "INF_FUNKCJA", "INF_MAC", "INF_MAC2", "INF_IP", "INF_PORT",
                             "INF_LOGIN", "INF_HASLO", "INF_PUBIP"}};
    return h;
}

const THistory& mac()
{
    static const THistory h{"Mac",
                            "Mac_hist",
                            "M_",
                            {"M_INDEXUSER", "M_MAC", "M_MAC2", "M_IP", "M_PORT", "M_LOGIN", "M_HASLO",
                             "M_DATAPRZYDZIELENIAPUBIP", "M_PUBIP", "M_INDEXTYPURZADZENIA", "M_INDEXTYPLACZA",
                             "M_INDEXRODZAJ", "M_INDEXMIEJSCEPODLACZENIA"},
                            {"M_INDEXUSER", "M_MAC", "M_MAC2", "M_IP", "M_PORT", "M_LOGIN", "M_HASLO",
                             "M_DATAPRZYDZIELENIAPUBIP", "M_PUBIP"}};
    return h;
}

const THistory& oplaty()
{
    static const THistory h{"Oplaty",
                            "Oplaty_hist",
                            "O_",
                            {"O_INDEXUSER", "O_NUMER", "O_NUMERTXT", "O_UWAGI", "O_FORMAPLATNOSCI",
                             "O_INDEX_PM", "O_KWOTA", "O_DATAWPLATY", "O_DATADODANIA"},
                            {"O_INDEXUSER", "O_NUMER", "O_NUMERTXT", "O_UWAGI", "O_FORMAPLATNOSCI",
                             "O_INDEX_PM", "O_KWOTA", "O_DATAWPLATY", "O_DATADODANIA"}};
    return h;
}

QString insertOld(const THistory& h, char action)
{
    const QString p = QString::fromLatin1(h.prefix);
    QStringList cols{p + QStringLiteral("INDEXOLD")};
    QStringList vals{QStringLiteral("OLD.") + p + QStringLiteral("INDEX")};
    for (const QString& c : h.copied) {
        cols << c;
        vals << QStringLiteral("OLD.") + c;
    }
    cols << p + QStringLiteral("AKCJA");
    vals << QStringLiteral("'%1'").arg(QLatin1Char(action));
    return QStringLiteral("INSERT INTO `%1` (%2)%3VALUES (%4)")
        .arg(QLatin1String(h.histTable), cols.join(QStringLiteral(", ")), kCrLf,
             vals.join(QStringLiteral(", ")));
}

QString triggerName(const THistory& h, const char* kind)
{
    return QStringLiteral("%1_hist_on%2_trigger").arg(QLatin1String(h.table), QLatin1String(kind));
}

QString deleteTrigger(const THistory& h)
{
    return QStringLiteral("CREATE TRIGGER `%1` BEFORE DELETE ON `%2`%3FOR EACH ROW%3")
               .arg(triggerName(h, "delete"), QLatin1String(h.table), kCrLf) +
           insertOld(h, 'D');
}

QString updateTrigger(const THistory& h)
{
    // "Differs" must also see a change from or to NULL (the port may be NULL).
    const QString p = QString::fromLatin1(h.prefix);
    QStringList tests{QStringLiteral("NOT (OLD.%1INDEX <=> NEW.%1INDEX)").arg(p)};
    for (const QString& c : h.watched)
        tests << QStringLiteral("NOT (OLD.%1 <=> NEW.%1)").arg(c);
    return QStringLiteral("CREATE TRIGGER `%1` BEFORE UPDATE ON `%2`%3FOR EACH ROW%3BEGIN%3IF ")
               .arg(triggerName(h, "update"), QLatin1String(h.table), kCrLf) +
           tests.join(QStringLiteral(" OR ")) + QStringLiteral(" THEN") + kCrLf + insertOld(h, 'U') +
           QStringLiteral(";") + kCrLf + QStringLiteral("END IF;") + kCrLf + QStringLiteral("END");
}

} // namespace

void CreateHistoryTriggers()
{
    for (const char* name : {"Mac_hist_ondelete_trigger", "Mac_hist_onupdate_trigger",
                             "Infrastruktura_hist_onupdate_trigger", "Infrastruktura_hist_ondelete_trigger",
                             "Oplaty_hist_ondelete_trigger", "Oplaty_hist_onupdate_trigger"})
        SchemaExecNoParamCheck(QStringLiteral("DROP TRIGGER IF EXISTS `%1`").arg(QLatin1String(name)));
    SchemaExecNoParamCheck(deleteTrigger(infra()));
    SchemaExecNoParamCheck(deleteTrigger(mac()));
    SchemaExecNoParamCheck(deleteTrigger(oplaty()));
    SchemaExecNoParamCheck(updateTrigger(infra()));
    SchemaExecNoParamCheck(updateTrigger(mac()));
    SchemaExecNoParamCheck(updateTrigger(oplaty()));
}
