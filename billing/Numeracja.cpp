#include "billing/Numeracja.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Podmioty.h"
#include "core/Query.h"

#include <QCryptographicHash>
#include <memory>
#include <mutex>

namespace {

struct TNumberedTable
{
    const char* table;
    const char* number; // FV_NUMER
    const char* date;   // FV_DATAWYSTAWIENIA
    const char* podmiot;
    const char* text; // FV_NUMERTXT
    const char* key;  // FV_INDEX
};

const TNumberedTable& numberedTable(char kind)
{
    static const TNumberedTable fv{"Fv",         "FV_NUMER",    "FV_DATAWYSTAWIENIA",
                                   "FV_PODMIOT", "FV_NUMERTXT", "FV_INDEX"};
    static const TNumberedTable fvk{"Fvk",         "FVK_NUMER",    "FVK_DATAWYSTAWIENIA",
                                    "FVK_PODMIOT", "FVK_NUMERTXT", "FVK_INDEX"};
    static const TNumberedTable pz{"Pz",         "PZ_NUMER",    "PZ_DATAWYSTAWIENIA",
                                   "PZ_PODMIOT", "PZ_NUMERTXT", "PZ_INDEX"};
    static const TNumberedTable o{"Oplaty", "O_NUMER", "O_DATAWPLATY", "O_PODMIOT", "O_NUMERTXT", "O_INDEX"};
    switch (kind) {
    case 'F':
        return fv;
    case 'K':
        return fvk;
    case 'P':
        return pz;
    case 'O':
        return o;
    default:
        throw EDatabaseError(QStringLiteral("Nieznany rodzaj dokumentu: %1").arg(QLatin1Char(kind)));
    }
}

// A connection that reads past other transactions: the highest number must
// count the rows that other workstations have written but not yet committed
// (and this connection's own, whatever snapshot its transaction holds).
class TUncommittedReader
{
public:
    int maxNumber(TDedicatedSession* issuer, const QString& sql, const TArgs& args)
    {
        std::lock_guard lock(m_mutex);
        const TConnectionParams& p = issuer->Database()->Params();
        const QString key = p.socket + QLatin1Char('|') + p.host + QLatin1Char('|') +
                            QString::number(p.port) + QLatin1Char('|') + p.user + QLatin1Char('|') +
                            p.database;
        if (m_key != key || !m_db || !m_db->Connected()) open(p, key);
        try {
            return m_session->GetQueryValueAsInteger(sql, args);
        } catch (const EDatabaseError& e) {
            if (!IsConnectionLostError(e)) throw;
        }
        open(p, key); // the server dropped the idle connection: once more on a new one
        return m_session->GetQueryValueAsInteger(sql, args);
    }

    ~TUncommittedReader() { close(); }

private:
    void close()
    {
        m_session.reset();
        if (m_db) TDatabase::Unregister(m_db.get());
        m_db.reset();
        m_key.clear();
    }
    void open(const TConnectionParams& p, const QString& key)
    {
        close();
        auto db = std::make_unique<TDatabase>(QStringLiteral("NumeracjaOdczyt"), p);
        db->Open();
        TDatabase::Register(db.get());
        m_db = std::move(db);
        m_session.reset(TDedicatedSession::CreateOnDatabase(m_db->DatabaseName()));
        m_session->ExecQuery(QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL READ UNCOMMITTED"));
        m_key = key;
    }

    std::mutex m_mutex;
    std::unique_ptr<TDatabase> m_db;
    std::unique_ptr<TDedicatedSession> m_session;
    QString m_key;
};

TUncommittedReader& uncommittedReader()
{
    static TUncommittedReader reader;
    return reader;
}

// Named locks are server-wide: the database's name keeps installations on one server apart.
QString lockPrefix(TDedicatedSession* s)
{
    const QString db = s->Database()->Params().database;
    if (db.size() <= 24) return db;
    return QString::fromLatin1(
        QCryptographicHash::hash(db.toUtf8(), QCryptographicHash::Md5).toHex().left(24));
}

} // namespace

TNumberReservation::TNumberReservation(char kind, const QDate& date, int podmiotId,
                                       TDedicatedSession* session)
    : m_session(session ? session : GlobalSession()), m_podmiot(podmiotId)
{
    const TNumberedTable& t = numberedTable(kind);
    const bool monthly = MonthlyNumbering();
    QDate first, next;
    if (monthly) {
        first = QDate(date.year(), date.month(), 1);
        next = first.addMonths(1);
    } else {
        first = QDate(date.year(), 1, 1);
        next = first.addYears(1);
    }
    m_lockName = QStringLiteral("%1.nr%2.%3.%4")
                     .arg(lockPrefix(m_session), QString(QLatin1Char(kind)), QString::number(podmiotId),
                          monthly ? first.toString(QStringLiteral("yyyy-MM"))
                                  : first.toString(QStringLiteral("yyyy")));
    const QVariant got =
        m_session->OpenQuery(QStringLiteral("select GET_LOCK(:p1, 10)"), {m_lockName})->Fields(0)->Value();
    if (got.isNull() || got.toInt() != 1)
        throw EDatabaseError(
            QStringLiteral("Nie można pobrać kolejnego numeru dokumentu: numeracja jest zajęta przez "
                           "inne stanowisko. Proszę spróbować ponownie."));
    m_held = true;
    try {
        // The period as a date range, so that the date index serves the query.
        const QString sql =
            QStringLiteral("select coalesce(max(%1),0) from %2 where %3 >= :p1 and %3 < :p2 and %1 is "
                           "not null and %4=:p3")
                .arg(QString::fromLatin1(t.number), QString::fromLatin1(t.table), QString::fromLatin1(t.date),
                     QString::fromLatin1(t.podmiot));
        m_number = uncommittedReader().maxNumber(
                       m_session, sql, {first.toString(Qt::ISODate), next.toString(Qt::ISODate), podmiotId}) +
                   1;
    } catch (...) {
        Release();
        throw;
    }
}

TNumberReservation::~TNumberReservation()
{
    try {
        Release();
    } catch (...) {
    }
}

void TNumberReservation::Release()
{
    if (!m_held) return;
    m_held = false;
    m_session->ExecQuery(QStringLiteral("DO RELEASE_LOCK(:p1)"), {m_lockName});
}

int PodmiotOfFv(int fvIndex)
{
    return GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select FV_PODMIOT from Fv where FV_INDEX=:p1"), {fvIndex});
}

int PodmiotOfUser(int userIndex)
{
    return GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select U_PODMIOT from Userdb where U_INDEX=:p1"), {userIndex});
}

bool MonthlyNumbering()
{
    return ReadIniBool(0, QStringLiteral("NumeracjaMiesieczna"), true);
}

QString PodmiotShortName(int podmiotId)
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select P_SKROT from Podmioty where P_INDEX=:p1"), {podmiotId});
}

namespace {

QString periodSuffix(const QDate& date)
{
    if (MonthlyNumbering()) return QStringLiteral("/%1/%2").arg(date.month()).arg(date.year());
    return QStringLiteral("/%1").arg(date.year());
}

} // namespace

QString DocumentNumberText(char kind, const QString& numberText, int podmiotId, const QDate& issueDate)
{
    QString text;
    if (kind == 'F')
        text = ReadIniString(0, QStringLiteral("MaskaFvPoczatek"), QString()) + numberText +
               ReadIniString(0, QStringLiteral("MaskaFvKoniec"), QString());
    else if (kind == 'K')
        text = ReadIniString(0, QStringLiteral("MaskaFvkPoczatek"), QString()) + numberText +
               ReadIniString(0, QStringLiteral("MaskaFvkKoniec"), QString());
    else
        text = numberText;
    if (podmiotId > 1) text += QLatin1Char('/') + PodmiotShortName(podmiotId);
    if ((kind == 'F' || kind == 'K') && podmiotId == 1 &&
        ReadIniBool(0, QStringLiteral("SkrotFirmyWNumeracji"), false))
        text += QLatin1Char('/') + PodmiotShortName(1);
    return text + periodSuffix(issueDate);
}

QString DocumentNumberText(char kind, int number, int podmiotId, const QDate& issueDate)
{
    return DocumentNumberText(kind, QString::number(number), podmiotId, issueDate);
}

QString OplataNumberText(int number, int podmiotId, const QDate& paymentDate)
{
    QString text = QString::number(number);
    if (podmiotId > 1) text += QLatin1Char('/') + PodmiotShortName(podmiotId);
    return text + periodSuffix(paymentDate);
}

bool NumberTextInUse(char kind, const QString& numberText, int ownIndex)
{
    const TNumberedTable& t = numberedTable(kind);
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("select (1) from %1 where %2=:p1 and %3<>:p2")
            .arg(QString::fromLatin1(t.table), QString::fromLatin1(t.text), QString::fromLatin1(t.key)),
        {numberText, ownIndex});
}

int FindTodayNumberGap(char kind)
{
    return FindTodayNumberGap(kind, CurrentPodmiotId);
}

int FindTodayNumberGap(char kind, int podmiotId)
{
    TDedicatedSession* s = GlobalSession();
    if (kind == 'F') {
        if (s->IsQueryEmpty(QStringLiteral("select (1) from Fv where FV_DATAWYSTAWIENIA=CURDATE()")))
            return 0;
        return s->GetQueryValueAsInteger(
            QStringLiteral(
                "select (FV_NUMER+1) as Numer from Fv where (FV_NUMER+1) not in (select FV_NUMER from Fv "
                "where FV_DATAWYSTAWIENIA=CURDATE()) and FV_DATAWYSTAWIENIA=CURDATE() and FV_PODMIOT=:p1 "
                "order by Numer limit 1"),
            {podmiotId});
    }
    if (kind == 'K') {
        if (s->IsQueryEmpty(QStringLiteral("select (1) from Fvk where FVK_DATAWYSTAWIENIA=CURDATE()")))
            return 0;
        return s->GetQueryValueAsInteger(
            QStringLiteral(
                "select (FVK_NUMER+1) as Numer from Fvk where (FVK_NUMER+1) not in (select FVK_NUMER from "
                "Fvk where FVK_DATAWYSTAWIENIA=CURDATE()) and FVK_DATAWYSTAWIENIA=CURDATE() and "
                "FVK_PODMIOT=:p1 order by Numer limit 1"),
            {podmiotId});
    }
    return 0;
}

int DuplicateNumberCount(char kind, const QString& numberText)
{
    return DuplicateNumberCount(kind, numberText, CurrentPodmiotId);
}

int DuplicateNumberCount(char kind, const QString& numberText, int podmiotId)
{
    TDedicatedSession* s = GlobalSession();
    if (kind == 'F') {
        if (s->IsQueryEmpty(QStringLiteral("select (1) from Fv where FV_DATAWYSTAWIENIA=CURDATE()")))
            return 0;
        return s->GetQueryValueAsInteger(
                   QStringLiteral("select count(1) from Fv where FV_NUMERTXT=:p1 and FV_PODMIOT=:p2 "),
                   {numberText, podmiotId}) -
               1;
    }
    if (kind == 'K') {
        if (s->IsQueryEmpty(QStringLiteral("select (1) from Fvk where FVK_DATAWYSTAWIENIA=CURDATE()")))
            return 0;
        return s->GetQueryValueAsInteger(
                   QStringLiteral("select count(1) from Fvk where FVK_NUMERTXT=:p1 and FVK_PODMIOT=:p2 "),
                   {numberText, podmiotId}) -
               1;
    }
    return 0;
}
