#include "network/HazardDomeny.h"

#include "core/ActivityLog.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/HttpGet.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QThread>
#include <QXmlStreamReader>

namespace {

const QString kUpdateRow = QStringLiteral("Aktualizacja");
// A domain that does not answer at once gets two more, longer chances.
constexpr int kResolveTimeoutMs = 500;
constexpr int kResolveTries = 3;
// Rows per INSERT statement.
constexpr int kChunk = 500;

// The hourglass for the length of a call, on the user-interface thread only.
class TWaitCursor
{
public:
    TWaitCursor()
    {
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        m_on = app && app->thread() == QThread::currentThread();
        if (m_on) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TWaitCursor()
    {
        if (m_on) QGuiApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool m_on = false;
};

QByteArray fetch(const QString& path, const QString& saveAs)
{
    const QByteArray body = HttpGet(HazardRegisterUrl() + path, 30000);
    QFile f(PrivateFolder + saveAs);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(body);
    return body;
}

QString isoToSql(const QString& iso)
{
    return QString(iso.trimmed()).replace(QLatin1Char('T'), QLatin1Char(' '));
}

struct TRow
{
    int Lp;
    QString Domain;
    QString Entered;
    QString Ip;
};

// One multi-row INSERT per chunk, every value bound.
void insertRows(TDedicatedSession* s, const std::vector<TRow>& rows)
{
    for (size_t from = 0; from < rows.size(); from += kChunk) {
        const size_t to = qMin(rows.size(), from + kChunk);
        QString sql = QStringLiteral(
            "insert into HazardDomeny (HD_INDEX, HD_ADRESDOMENY, HD_DATAWPISU, HD_IP) values ");
        TArgs args;
        args.reserve((to - from) * 4);
        int n = 0;
        for (size_t i = from; i < to; ++i) {
            if (i > from) sql += QLatin1Char(',');
            sql += QStringLiteral("(:p%1,:p%2,:p%3,:p%4)").arg(n + 1).arg(n + 2).arg(n + 3).arg(n + 4);
            n += 4;
            args.push_back(rows[i].Lp);
            args.push_back(rows[i].Domain);
            args.push_back(rows[i].Entered);
            args.push_back(rows[i].Ip);
        }
        s->ExecQuery(sql, args);
    }
}

} // namespace

QString HazardRegisterUrl()
{
    QString url =
        ReadIniString(0, QStringLiteral("RejestrHazardowyAdres"), QStringLiteral("https://hazard.mf.gov.pl"));
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

TDnsServer HazardResolver()
{
    return {ReadIniString(0, QStringLiteral("DnsSerwerAdres"), QStringLiteral("8.8.8.8")),
            ReadIniInteger(0, QStringLiteral("DnsSerwerPort"), 53)};
}

std::vector<THazardEntry> ParseHazardRegister(const QByteArray& xml)
{
    std::vector<THazardEntry> out;
    QXmlStreamReader r(xml);
    THazardEntry cur;
    bool inEntry = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const QStringView name = r.name();
            if (name == QLatin1String("PozycjaRejestru")) {
                inEntry = true;
                cur = {};
                bool ok = false;
                cur.Lp = r.attributes().value(QLatin1String("Lp")).toInt(&ok);
                if (!ok) cur.Lp = 0;
            } else if (inEntry && name == QLatin1String("AdresDomeny")) {
                cur.Domain = r.readElementText().trimmed();
            } else if (inEntry && name == QLatin1String("DataWpisu")) {
                cur.Entered = isoToSql(r.readElementText());
            }
        } else if (r.isEndElement() && r.name() == QLatin1String("PozycjaRejestru")) {
            inEntry = false;
            if (cur.Lp > 0 && !cur.Domain.isEmpty()) out.push_back(cur);
        }
    }
    return out;
}

QString HazardBaseDomain(const QString& domain)
{
    const qsizetype last = domain.lastIndexOf(QLatin1Char('.'));
    if (last <= 0) return domain;
    const qsizetype before = domain.lastIndexOf(QLatin1Char('.'), last - 1);
    return before < 0 ? domain : domain.mid(before + 1);
}

QDateTime GetRegisterModificationDate()
{
    TWaitCursor cursor;
    QDateTime result(QDate(2017, 1, 1), QTime(0, 0));
    const QByteArray body =
        fetch(QStringLiteral("/api/Register/ModificationDate"), QStringLiteral("domeny_dm.txt"));
    QXmlStreamReader r(body);
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement() || r.name() != QLatin1String("DataModyfikacji")) continue;
        const QString text = isoToSql(r.readElementText());
        const QDateTime when = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!when.isValid())
            throw EDatabaseError(QStringLiteral("'%1' nie jest poprawną datą i czasem").arg(text),
                                 QStringLiteral("EConvertError"));
        return when;
    }
    return result;
}

QString ResolveHostAddress(const QString& domain)
{
    const QString a = LookupARecord(domain, HazardResolver(), kResolveTimeoutMs, kResolveTries);
    return a.isEmpty() ? QStringLiteral("0.0.0.0") : a;
}

void UpdateHazardDomains()
{
    StartStopwatch();
    TWaitCursor cursor;
    LogEvent(QStringLiteral("Sprawdzenie bazy blokowanych domen \"Hazard\""));
    TDedicatedSession* s = GlobalSession();
    auto last = s->OpenQuery(QStringLiteral("select HD_DATAWPISU from HazardDomeny where HD_ADRESDOMENY=:p1"),
                             {kUpdateRow});
    if (!last->IsEmpty()) {
        const QDateTime when = last->Fields(0)->AsQDateTime();
        if (when.isValid()) {
            // The age first: within three hours the register is not even asked.
            if (QDateTime::currentDateTime() < when.addSecs(3 * 3600)) return;
            if (!(GetRegisterModificationDate() > when)) return;
        }
    }
    last.reset();

    const QByteArray body = fetch(QStringLiteral("/api/Register"), QStringLiteral("DomenyHazard.txt"));
    LogElapsedTime(QStringLiteral("DomenyHazard_1"));
    const std::vector<THazardEntry> entries = ParseHazardRegister(body);
    // An empty or unreadable answer leaves the table as it is.
    if (entries.empty()) return;

    // One row per domain reduced to its last two labels; the first entry's number stays.
    std::vector<TRow> rows;
    QHash<QString, size_t> seen;
    QHash<int, bool> numbers;
    for (const THazardEntry& e : entries) {
        const QString domain = HazardBaseDomain(e.Domain);
        if (seen.contains(domain.toLower()) || numbers.contains(e.Lp)) continue;
        seen.insert(domain.toLower(), rows.size());
        numbers.insert(e.Lp, true);
        rows.push_back({e.Lp, domain, e.Entered, QString()});
    }
    LogElapsedTime(QStringLiteral("DomenyHazard_2"));
    if (ReadIniBool(0, QStringLiteral("DomenyHazardoweIP"), false)) {
        QStringList names;
        for (const TRow& r : rows)
            names << r.Domain;
        const QStringList addresses =
            LookupARecords(names, HazardResolver(), kResolveTimeoutMs, kResolveTries);
        // A domain without an answer keeps an empty address: the router list takes it by name.
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i].Ip = addresses.value(qsizetype(i));
    }
    LogElapsedTime(QStringLiteral("DomenyHazard_3"));

    rows.push_back({0, kUpdateRow,
                    QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), QString()});
    s->ExecQuery(QStringLiteral("TRUNCATE HazardDomeny"));
    insertRows(s, rows);
    // The inserted 0 took the next automatic number.
    s->ExecQuery(QStringLiteral("update HazardDomeny set HD_INDEX=:p1 where HD_ADRESDOMENY=:p2"),
                 {0, kUpdateRow});
    LogElapsedTime(QStringLiteral("DomenyHazard_End"));
}
