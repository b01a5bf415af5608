#include "network/MikrotikWysylka.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"
#include "network/MikrotikKonfig.h"
#include "network/MikrotikLogi.h"
#include "platform/FtpClient.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

namespace {

QDateTime g_buildStart;

// Rows per INSERT statement when a build is recorded.
constexpr int kChunk = 400;

struct TSection
{
    const char* name;    // MC_SEKCJA
    QStringList* lines;  // the build's list
    int headerLines;     // removal headers a full build puts first
    const char* removal; // removal of a vanished id: text before and after it
    const char* removalEnd;
};

std::vector<TSection> sectionsOf(TMikrotikSections& s)
{
    // In the order the build is recorded.
    return {
        {"arp", &s.Arp, 1, "/ip arp remove [/ip arp find comment=", "]"},
        {"queue", &s.Queue, 1,
         ":foreach i in=[/queue simple find comment=", "] do={/queue simple remove $i;}"},
        {"dhcp", &s.Dhcp, 1, "/ip dhcp-server lease remove [/ip dhcp-server lease find comment=", "]"},
        {"pubip", &s.Nat, 1, nullptr, nullptr},
        {"list", &s.Lists, 3,
         "/ip firewall address-list remove [/ip firewall address-list find comment=", "]"},
        {"pppoe", &s.Pppoe, 1, "/ppp secret remove [/ppp secret find comment=", "]"},
        {"address", &s.Address, 1, "/ip address remove [/ip address find comment=", "]"},
    };
}

QString removalLine(const TSection& s, const QString& id)
{
    if (!s.removal)
        return QStringLiteral(":if ([/ip firewall nat find comment=") + id +
               QStringLiteral("] != \"\" ) do={:foreach i in=[/ip firewall nat find comment=") + id +
               QStringLiteral("] do={/ip firewall nat remove $i;}}");
    return QLatin1String(s.removal) + id + QLatin1String(s.removalEnd);
}

// The object id of a line: what follows its own tag, the last "comment=" on
// it (a quoted value before it may hold the same word); empty without one.
QString lineId(const QString& line)
{
    const qsizetype at = line.lastIndexOf(QLatin1String("comment="));
    return at < 0 ? QString() : line.mid(at + 8);
}

void record(TDedicatedSession* db, const TMikrotikRouter& r, const std::vector<TSection>& sections, bool full)
{
    struct TRow
    {
        QString id, section, line;
    };
    std::vector<TRow> rows;
    for (const TSection& s : sections) {
        const int skip = full ? s.headerLines : 0;
        for (qsizetype i = skip; i < s.lines->size(); ++i)
            rows.push_back({lineId(s.lines->at(i)), QLatin1String(s.name), s.lines->at(i)});
    }
    rows.push_back({QString(), QStringLiteral("all"), QStringLiteral("#END#")});
    for (size_t from = 0; from < rows.size(); from += kChunk) {
        const size_t to = qMin(rows.size(), from + kChunk);
        QString sql = QStringLiteral("insert into MTconfAkt (MC_ID, MC_SEKCJA, MC_P1, MC_INDEXMT) values ");
        TArgs args;
        args.reserve((to - from) * 4);
        for (size_t i = from; i < to; ++i) {
            const int n = int(i - from) * 4;
            if (i > from) sql += QLatin1Char(',');
            sql += QStringLiteral("(:p%1,:p%2,:p%3,:p%4)").arg(n + 1).arg(n + 2).arg(n + 3).arg(n + 4);
            args.push_back(rows[i].id);
            args.push_back(rows[i].section);
            args.push_back(rows[i].line);
            args.push_back(r.Index);
        }
        db->ExecQuery(sql, args);
    }
}

// Replaces the sections by the difference against the stored configuration, all in the arp list.
void difference(TDedicatedSession* db, const TMikrotikRouter& r, TMikrotikSections& s)
{
    db->ExecQuery(
        QStringLiteral("insert into MTconfRoznicaNew (select * from MTconfAkt where MC_INDEXMT=:p1 and "
                       "MC_P1 not in (select MC_P1 from MTconf where MC_INDEXMT=:p2))"),
        {r.Index, r.Index});
    MikrotikTimingLine(QStringLiteral("MTDiffRoznicaEnd_New "));
    db->ExecQuery(
        QStringLiteral("insert into MTconfRoznicaOld (select * from MTconf where MC_INDEXMT=:p1 and MC_P1 "
                       "not in (select MC_P1 from MTconfAkt where MC_INDEXMT=:p2))"),
        {r.Index, r.Index});
    MikrotikTimingLine(QStringLiteral("MTDiffRoznicaEnd_Old "));

    std::vector<TSection> all = sectionsOf(s);
    QStringList diff;
    for (const char* name : {"arp", "queue", "dhcp", "address", "pubip", "list", "pppoe"}) {
        const TSection* sec = nullptr;
        for (const TSection& x : all)
            if (qstrcmp(x.name, name) == 0) sec = &x;
        // New lines in build order, so a parent queue comes before the queues under it.
        const QStringList added = db->GetQueryValuesAsList(
            QStringLiteral("select MC_P1 from MTconfRoznicaNew where MC_SEKCJA=:p1 order by MC_INDEX"),
            TArgs{QString::fromLatin1(name)});
        const QStringList vanished = db->GetQueryValuesAsList(
            QStringLiteral("select MC_ID from MTconfRoznicaOld where MC_SEKCJA=:p1 order by MC_INDEX"),
            TArgs{QString::fromLatin1(name)});
        sec->lines->clear();
        if (qstrcmp(name, "dhcp") == 0) diff << QStringLiteral("/ip dhcp-server lease remove [find dynamic]");
        QString previous;
        for (const QString& id : vanished) {
            // A line without a tag has no object to remove.
            if (id.isEmpty()) continue;
            const QString line = removalLine(*sec, id);
            // The two NAT rules of a device share one id.
            if (!sec->removal && line == previous) continue;
            diff << line;
            previous = line;
        }
        diff << added;
    }
    s.Arp = diff;
}

// Makes the stored lines the ones the router now has. After a comparison only
// the difference is written: the vanished lines go, the new ones follow the
// kept ones in build order (a whole router's lines rewritten on every send
// cost more than the rest of the send).
void store(TDedicatedSession* db, const TMikrotikRouter& r, bool compared)
{
    TTransactionGuard guard(db);
    if (compared) {
        db->ExecQuery(QStringLiteral("delete MTconf from MTconf join MTconfRoznicaOld using (MC_INDEX) where "
                                     "MTconf.MC_INDEXMT=:p1"),
                      {r.Index});
    } else {
        db->ExecQuery(QStringLiteral("delete from MTconf where MC_INDEXMT=:p1"), {r.Index});
    }
    // New keys in build order: the next comparison reads the stored lines in it.
    db->ExecQuery(QStringLiteral("insert into MTconf (MC_ID, MC_SEKCJA, MC_P1, MC_P2, MC_INDEXMT) select "
                                 "MC_ID, MC_SEKCJA, MC_P1, MC_P2, MC_INDEXMT from %1 order by MC_INDEX")
                      .arg(compared ? QStringLiteral("MTconfRoznicaNew") : QStringLiteral("MTconfAkt")));
    guard.commit();
    MikrotikTimingLine(QStringLiteral("MTEndDiff "));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw EFtpError((QStringLiteral("Nie można zapisać pliku ") + path).toStdString());
}

QByteArray fileText(const QStringList& lines, const QString& tail = QString())
{
    QString text;
    for (const QString& l : lines)
        text += l + QStringLiteral("\r\n");
    return StringToCp1250(text + tail);
}

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

void status(const QString& text)
{
    if (MikrotikSendHooks().statusText) MikrotikSendHooks().statusText(text);
}

} // namespace

TFtpClient& SharedFtpClient()
{
    static TFtpClient client;
    return client;
}

void PrepareMikrotikFtp(TFtpClient& ftp, const TMikrotikRouter& router)
{
    ftp.Disconnect();
    ftp.Host = router.Ip;
    ftp.Port = FtpPortFromText(router.Port);
    ftp.Passive = true;
    ftp.Username = router.Login;
    ftp.Password = router.Password;
}

TMikrotikSendHooks& MikrotikSendHooks()
{
    static TMikrotikSendHooks hooks;
    return hooks;
}

void MikrotikBuildStarted()
{
    g_buildStart = QDateTime::currentDateTime();
}

void MikrotikTimingLine(const QString& name)
{
    const double seconds =
        g_buildStart.isValid() ? g_buildStart.msecsTo(QDateTime::currentDateTime()) / 1000.0 : 0;
    LogTempInsert(name, QString::number(seconds, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(',')) +
                            QStringLiteral(" s"));
}

TMikrotikSendOutcome SendMikrotikSections(const TMikrotikRouter& r, TMikrotikSections& s, bool full,
                                          TFtpClient& ftp)
{
    TDedicatedSession* db = GlobalSession();
    if (!r.SendArp) s.Arp.clear();
    if (!r.SendDhcp) s.Dhcp.clear();
    if (!r.SendQueues) s.Queue.clear();
    if (!r.SendPppoe) s.Pppoe.clear();

    MikrotikTimingLine(QStringLiteral("MTStartDiff "));
    for (const char* t : {"MTconfAkt", "MTconfRoznicaOld", "MTconfRoznicaNew"}) {
        db->ExecQuery(
            QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS %1 like MTconf").arg(QLatin1String(t)));
        db->ExecQuery(QStringLiteral("TRUNCATE %1").arg(QLatin1String(t)));
    }
    MikrotikTimingLine(QStringLiteral("MTDiffTabele "));
    record(db, r, sectionsOf(s), full);
    MikrotikTimingLine(QStringLiteral("MTDiffKonfAktEnd "));
    // A full send replaces whatever is stored; it is not compared.
    const bool compared =
        !full && !db->IsQueryEmpty(QStringLiteral("select (1) from MTconf  where MC_INDEXMT=:p1"), {r.Index});
    if (compared) difference(db, r, s);

    QStringList script;
    script << s.Arp << s.Queue << s.Dhcp << s.Lists << s.Hazard << s.Nat << s.Pppoe << s.Address;
    s.Hazard.clear();

    TMikrotikSendOutcome outcome = TMikrotikSendOutcome::Sent;
    if (!full && script.size() <= 2) {
        status(QStringLiteral("Pominięta konfiguracja MT: ") + now());
        LogEvent(r.Name + QStringLiteral(" Pominięta konfiguracja MikroTik"));
        outcome = TMikrotikSendOutcome::Skipped;
    } else {
        try {
            const QString script_ =
                RouterLocalFile(QStringLiteral("config.auto"), r.Ip, QStringLiteral(".rsc"));
            const QString day =
                RouterLocalFile(QStringLiteral("config.queuesD"), r.Ip, QStringLiteral(".rsc"));
            const QString night =
                RouterLocalFile(QStringLiteral("config.queuesN"), r.Ip, QStringLiteral(".rsc"));
            writeFile(script_, fileText(script, full ? r.ScriptAdd : QString()));
            writeFile(day, fileText(s.QueuesDay));
            writeFile(night, fileText(s.QueuesNight));
            status(QStringLiteral("Nawiązywanie połączenia z serwerem..."));
            ftp.ReadTimeoutMs = 4000;
            ftp.Connect();
            ftp.DeleteIgnoringErrors(QStringLiteral("config.auto.rsc"));
            ftp.Upload(script_, QStringLiteral("config.auto.rsc"));
            ftp.Upload(day, QStringLiteral("config.queuesD.rsc"));
            ftp.Upload(night, QStringLiteral("config.queuesN.rsc"));
            ftp.Disconnect();
            status(QStringLiteral("Wysłano konfiguracje MT: ") + now());
            LogEvent(r.Name + QStringLiteral(" Wysłano konfiguracje MikroTik"));
        } catch (const EFtpError& e) {
            const QString text = QStringLiteral("Błąd przy połączeniu ") + ftp.Host + QLatin1Char(' ') +
                                 QString::fromUtf8(e.what());
            status(text);
            LogEvent(r.Name + QStringLiteral(" MikroTik - ") + text);
            ftp.Disconnect();
            outcome = TMikrotikSendOutcome::Failed;
        }
    }
    if (outcome != TMikrotikSendOutcome::Failed) {
        store(db, r, compared);
        WriteIniString(0, QStringLiteral("OstatniaWysylkaMikroTik"), now());
    }
    MikrotikTimingLine(QStringLiteral("MTKoniec "));
    return outcome;
}
