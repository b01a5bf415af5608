#include "bench/common/Generator.h"

#include "billing/RachunkiBankowe.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "core/SqlScripts.h"

#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <cstdlib>

// ------------------------------------------------------------------ random

std::uint64_t TBenchRandom::next()
{
    // splitmix64: small, fast and the same everywhere.
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

QString TBenchRandom::digits(int count)
{
    QString s;
    s.reserve(count);
    for (int i = 0; i < count; ++i)
        s += QChar(u'0' + below(10));
    return s;
}

// ------------------------------------------------------------------ bulk insert

TBulkInsert::TBulkInsert(TDedicatedSession* session, const QString& table, const QStringList& columns,
                         int rowsPerStatement)
    : m_session(session), m_columns(int(columns.size())), m_perStatement(rowsPerStatement)
{
    QStringList quoted;
    for (const QString& c : columns)
        quoted << QLatin1Char('`') + c + QLatin1Char('`');
    m_head = QStringLiteral("insert into `%1` (%2) values ").arg(table, quoted.join(QLatin1Char(',')));
    QStringList marks;
    for (int i = 0; i < m_columns; ++i)
        marks << QStringLiteral(":p");
    m_rowText = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    m_args.reserve(size_t(m_columns * m_perStatement));
}

TBulkInsert::~TBulkInsert() noexcept(false)
{
    if (std::uncaught_exceptions() == 0) flush();
}

void TBulkInsert::add(TArgs row)
{
    Q_ASSERT(int(row.size()) == m_columns);
    for (TArg& a : row)
        m_args.push_back(std::move(a));
    if (++m_pending >= m_perStatement) flush();
}

void TBulkInsert::flush()
{
    if (m_pending == 0) return;
    QString sql;
    sql.reserve(m_head.size() + (m_rowText.size() + 1) * m_pending);
    sql += m_head;
    for (int i = 0; i < m_pending; ++i) {
        if (i) sql += QLatin1Char(',');
        sql += m_rowText;
    }
    m_session->ExecQuery(sql, m_args);
    m_total += m_pending;
    m_pending = 0;
    m_args.clear();
}

// ------------------------------------------------------------------ data pools

namespace {

struct TTown
{
    const char* name;
    const char* code;
    const char* post;
    bool streets;
    double lat, lon;
};

const std::vector<TTown> kTowns = {
    {"Łomianki", "05-092", "Łomianki", true, 52.3340, 20.8870},
    {"Dziekanów Leśny", "05-092", "Łomianki", true, 52.3450, 20.8420},
    {"Izabelin", "05-080", "Izabelin", true, 52.2990, 20.8140},
    {"Truskaw", "05-080", "Izabelin", false, 52.3050, 20.7820},
    {"Stare Babice", "05-082", "Stare Babice", true, 52.2560, 20.8330},
    {"Ożarów Mazowiecki", "05-850", "Ożarów Mazowiecki", true, 52.2110, 20.7970},
    {"Błonie", "05-870", "Błonie", true, 52.1980, 20.6170},
    {"Leszno", "05-084", "Leszno", true, 52.2600, 20.5880},
    {"Kampinos", "05-085", "Kampinos", true, 52.2680, 20.4670},
    {"Wiersze", "05-085", "Kampinos", false, 52.2930, 20.4510},
    {"Czosnów", "05-152", "Czosnów", false, 52.3880, 20.7310},
    {"Kazuń Polski", "05-152", "Czosnów", false, 52.4030, 20.6750},
    {"Leoncin", "05-155", "Leoncin", false, 52.3940, 20.5440},
    {"Zakroczym", "05-170", "Zakroczym", true, 52.4350, 20.6120},
    {"Nowy Dwór Mazowiecki", "05-100", "Nowy Dwór Mazowiecki", true, 52.4290, 20.7160},
    {"Pomiechówek", "05-180", "Pomiechówek", true, 52.4680, 20.7280},
    {"Zaborów", "05-083", "Zaborów", false, 52.2610, 20.6810},
    {"Borzęcin Duży", "05-083", "Zaborów", true, 52.2640, 20.7240},
    {"Sochaczew", "96-500", "Sochaczew", true, 52.2290, 20.2390},
    {"Brochów", "05-088", "Brochów", false, 52.3110, 20.2690},
};

const std::vector<QString> kStreets = {
    "ul. Warszawska",  "ul. Kościuszki",   "ul. Mickiewicza", "ul. Leśna",         "ul. Polna",
    "ul. Ogrodowa",    "ul. Szkolna",      "ul. Kwiatowa",    "ul. Słoneczna",     "ul. Długa",
    "ul. Krótka",      "ul. Lipowa",       "ul. Brzozowa",    "ul. Parkowa",       "ul. Kolejowa",
    "ul. Żeromskiego", "ul. Sienkiewicza", "ul. Wiejska",     "ul. Zielona",       "al. Jana Pawła II",
    "ul. 3 Maja",      "ul. Rynek",        "ul. Łąkowa",      "ul. Świętokrzyska", "ul. Ks. Poniatowskiego",
    "ul. Chopina",     "ul. Dębowa",       "ul. Akacjowa",    "ul. Spacerowa",     "ul. Graniczna"};

const std::vector<QString> kMaleNames = {
    "Jan",       "Piotr",   "Krzysztof", "Andrzej",  "Tomasz",    "Paweł",    "Marcin", "Michał",
    "Grzegorz",  "Józef",   "Marek",     "Adam",     "Łukasz",    "Zbigniew", "Jerzy",  "Tadeusz",
    "Mateusz",   "Dariusz", "Mariusz",   "Wojciech", "Ryszard",   "Jakub",    "Henryk", "Robert",
    "Kazimierz", "Jacek",   "Maciej",    "Kamil",    "Stanisław", "Rafał"};

const std::vector<QString> kFemaleNames = {
    "Anna",     "Maria",      "Katarzyna", "Małgorzata", "Agnieszka", "Barbara", "Krystyna", "Ewa",
    "Elżbieta", "Zofia",      "Teresa",    "Magdalena",  "Joanna",    "Janina",  "Monika",   "Danuta",
    "Jadwiga",  "Aleksandra", "Halina",    "Irena",      "Beata",     "Marta",   "Dorota",   "Helena",
    "Karolina", "Jolanta",    "Iwona",     "Natalia",    "Alicja",    "Grażyna"};

const std::vector<QString> kSurnames = {
    "Nowak",         "Kowalski",    "Wiśniewski", "Wójcik",     "Kowalczyk",   "Kamiński",  "Lewandowski",
    "Zieliński",     "Szymański",   "Woźniak",    "Dąbrowski",  "Kozłowski",   "Jankowski", "Mazur",
    "Wojciechowski", "Kwiatkowski", "Krawczyk",   "Kaczmarek",  "Piotrowski",  "Grabowski", "Zając",
    "Pawłowski",     "Michalski",   "Król",       "Wieczorek",  "Jabłoński",   "Wróbel",    "Nowakowski",
    "Majewski",      "Olszewski",   "Stępień",    "Malinowski", "Jaworski",    "Adamczyk",  "Dudek",
    "Nowicki",       "Pawlak",      "Górski",     "Witkowski",  "Walczak",     "Sikora",    "Baran",
    "Rutkowski",     "Michalak",    "Szewczyk",   "Ostrowski",  "Tomaszewski", "Pietrzak",  "Zalewski",
    "Wróblewski"};

const std::vector<QString> kCompanyKinds = {
    "Zakład Usługowy",  "Przedsiębiorstwo Handlowe", "Usługi Remontowe",        "Sklep Spożywczy",
    "Biuro Rachunkowe", "Warsztat Samochodowy",      "Gabinet Stomatologiczny", "Piekarnia"};

struct TTariff
{
    const char* name;
    const char* down;
    const char* up;
    int priceCents;
    bool fibre;
};

const std::vector<TTariff> kTariffs = {{"Socjalny 10/1", "10M", "1M", 2900, false},
                                       {"Radio 20/2", "20M", "2M", 4900, false},
                                       {"Radio 50/5", "50M", "5M", 5900, false},
                                       {"Światłowód 100/20", "100M", "20M", 6900, true},
                                       {"Światłowód 300/50", "300M", "50M", 7900, true},
                                       {"Światłowód 600/100", "600M", "100M", 8900, true},
                                       {"Światłowód 1000/300", "1000M", "300M", 10900, true},
                                       {"Biznes 500/500", "500M", "500M", 19900, true}};

struct TService
{
    const char* name;
    const char* vat;
    int priceCents;
    int oneOff;
};

const std::vector<TService> kServices = {
    {"Abonament internetowy", "23%", 0, 0}, {"Dzierżawa routera Wi-Fi", "23%", 500, 0},
    {"Publiczny adres IP", "23%", 1000, 0}, {"Telewizja - pakiet podstawowy", "8%", 2990, 0},
    {"Telefon VoIP", "23%", 1500, 0},       {"Instalacja i konfiguracja", "23%", 9900, 1}};

const std::vector<QString> kGroups = {"Osiedle Słoneczne",
                                      "Osiedle Leśne",
                                      "Centrum",
                                      "Firmy",
                                      "Światłowód",
                                      "Radio",
                                      "Telewizja",
                                      "Windykacja",
                                      "VIP",
                                      "Nowi klienci",
                                      "Spółdzielnia Mieszkaniowa",
                                      "Hotspot"};
const std::vector<QString> kInfraGroups = {"Nadajniki sektorowe", "Przełączniki", "Routery brzegowe", "OLT"};

// OUIs of the usual customer equipment (MikroTik, TP-Link, Ubiquiti, Huawei ONT).
const std::vector<QString> kOuis = {"00:0C:42", "E4:8D:8C", "F4:F2:6D", "D8:07:B6", "24:A4:3C", "48:46:FB"};

QString foldAscii(const QString& s)
{
    static const QString from = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    static const QString to = QStringLiteral("acelnoszzACELNOSZZ");
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        const qsizetype i = from.indexOf(c);
        if (i >= 0)
            out += to[i];
        else if (c.isLetterOrNumber())
            out += c.toLower();
    }
    return out.toLower();
}

QString femaleForm(const QString& surname)
{
    if (surname.endsWith(QLatin1String("ski")) || surname.endsWith(QLatin1String("cki")) ||
        surname.endsWith(QLatin1String("dzki")))
        return surname.left(surname.size() - 1) + QLatin1Char('a');
    return surname;
}

int bandwidthNumber(const QString& text)
{
    const qint64 n = text.left(text.size() - 1).toLongLong();
    const qint64 unit = text.endsWith(QLatin1Char('M')) ? 1048576 : 1024;
    return int(std::min<qint64>(n * unit, 2147483647));
}

// Money in cents, the VAT taken out of the gross value (the program's line rule).
struct TLineValues
{
    qint64 grossPrice, netPrice, gross, net, vat;
};

TLineValues lineValues(qint64 grossPriceCents, int quantity, int vatPercent)
{
    auto divRound = [](qint64 a, qint64 b) { return (2 * a + b) / (2 * b); };
    TLineValues v;
    v.grossPrice = grossPriceCents;
    v.netPrice = divRound(grossPriceCents * 100, 100 + vatPercent);
    v.gross = grossPriceCents * quantity;
    v.net = divRound(v.gross * 100, 100 + vatPercent);
    v.vat = v.gross - v.net;
    return v;
}

QString money(qint64 cents)
{
    const QString sign = cents < 0 ? QStringLiteral("-") : QString();
    cents = std::llabs(cents);
    return sign + QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString pesel(TBenchRandom& rnd, bool female)
{
    const QDate birth = QDate(1940, 1, 1).addDays(rnd.below(365 * 65));
    int month = birth.month();
    if (birth.year() >= 2000) month += 20;
    QString s = QStringLiteral("%1%2%3")
                    .arg(birth.year() % 100, 2, 10, QLatin1Char('0'))
                    .arg(month, 2, 10, QLatin1Char('0'))
                    .arg(birth.day(), 2, 10, QLatin1Char('0'));
    s += rnd.digits(3);
    s += QChar(u'0' + (rnd.below(5) * 2 + (female ? 0 : 1)));
    static const int weights[] = {1, 3, 7, 9, 1, 3, 7, 9, 1, 3};
    int sum = 0;
    for (int i = 0; i < 10; ++i)
        sum += (s[i].unicode() - u'0') * weights[i];
    s += QChar(u'0' + (10 - sum % 10) % 10);
    return s;
}

QString dateText(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QStringLiteral("0000-00-00");
}

// Keys of a dictionary, by name.
QHash<QString, int> keysByName(TDedicatedSession* s, const QString& table, const QString& prefix)
{
    QHash<QString, int> out;
    auto q = s->OpenQuery(QStringLiteral("select %1_INDEX, %1_NAZWA from `%2`").arg(prefix, table));
    for (q->First(); !q->Eof(); q->Next())
        out.insert(q->Fields(1)->AsString(), q->Fields(0)->AsInteger());
    return out;
}

int nextKey(TDedicatedSession* s, const QString& table, const QString& key)
{
    return s->GetQueryValueAsInteger(
               QStringLiteral("select coalesce(max(`%1`), 0) from `%2`").arg(key, table)) +
           1;
}

// An IP address from a running number: 10.x.y.z for devices, 172.16.x.y for infrastructure.
QStringList octets(int base0, int base1, int n, int perLast, int firstLast)
{
    return {QString::number(base0), QString::number(base1 + n / (perLast * 250)),
            QString::number((n / perLast) % 250), QString::number(n % perLast + firstLast)};
}

} // namespace

// ------------------------------------------------------------------ schema

bool BenchDatabaseEmpty(TDedicatedSession* session)
{
    for (const char* t : {"Userdb", "userdb", "Mac", "mac"})
        if (!session->GetQueryValueAsString(QStringLiteral("SHOW TABLE STATUS LIKE :p1"), {t}).isEmpty())
            return false;
    return true;
}

void BenchCreateSchema(const QString& programFolder)
{
    int exitCode = -1;
    const int rc = ImportSqlFile(programFolder + QStringLiteral("orlix6.sql"), &exitCode);
    if (rc != 0 || exitCode != 0)
        throw EDatabaseError(
            QStringLiteral("The base script did not run (%1, exit %2)").arg(rc).arg(exitCode));
    UpgradeSchema(nullptr);
    CreateHistoryTriggers();
    WriteIniBool(0, QStringLiteral("Triggery_") + ProgramVersion, true);
}

// ------------------------------------------------------------------ generator

TGeneratorResult GenerateIsp(TDedicatedSession* s, const TGeneratorOptions& o)
{
    QElapsedTimer timer;
    timer.start();
    TGeneratorResult r;
    TBenchRandom rnd(o.seed);
    const QDate today = QDate::fromString(o.today, QStringLiteral("yyyy-MM-dd"));
    const QString now = o.today + QStringLiteral(" 12:00:00");
    const int n = std::max(0, o.subscribers);

    if (s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb")) > 0)
        throw EDatabaseError(QStringLiteral("The database already holds subscribers"));

    TTransactionGuard transaction(s);

    // The issuing company.
    if (s->IsQueryEmpty(QStringLiteral("select 1 from Podmioty where P_INDEX=1"))) {
        s->ExecQuery(
            QStringLiteral(
                "insert into Podmioty set P_INDEX=1, P_SKROT=:p1, P_NAZWA1=:p2, P_NAZWA2=:p3, P_ULICA=:p4, "
                "P_NRDOMU=:p5, P_KODPOCZTOWY=:p6, P_MIEJSCOWOSC=:p7, P_POCZTA=:p8, P_NIP=:p9, P_REGON=:p10, "
                "P_BANK=:p11, P_NRKONTA=:p12, P_TELEFONEMAIL=:p13, P_WWW=:p14, P_CZYAKTYWNY=1"),
            {QStringLiteral("ISP"), QStringLiteral("Sieć Kampinoska"), QStringLiteral("Sp. z o.o."),
             QStringLiteral("ul. Warszawska"), QStringLiteral("12"), QStringLiteral("05-092"),
             QStringLiteral("Łomianki"), QStringLiteral("Łomianki"), QStringLiteral("1180000000"),
             QStringLiteral("140000000"), QStringLiteral("Bank Przykładowy S.A."),
             QStringLiteral("89105010250000000000000000"),
             QStringLiteral("22 100 20 30, biuro@siec.example.pl"),
             QStringLiteral("https://siec.example.pl")});
    }

    // Dictionaries.
    {
        TBulkInsert groups(s, QStringLiteral("Grupy"), {"GR_NAZWA", "GR_OPERATORID", "GR_DATAMODYFIKACJI"});
        for (const QString& g : kGroups)
            groups.add({g, 1, now});
        groups.flush();
        r.groups = groups.rows();
        TBulkInsert infraGroups(s, QStringLiteral("GrupyInf"),
                                {"GRI_NAZWA", "GRI_OPERATORID", "GRI_DATAMODYFIKACJI"});
        for (const QString& g : kInfraGroups)
            infraGroups.add({g, 1, now});
        TBulkInsert tariffs(s, QStringLiteral("Taryfy"),
                            {"TAR_NAZWA", "TAR_OPIS", "TAR_PASMOUPLOADDZIEN", "TAR_PASMODOWNLOADDZIEN",
                             "TAR_PASMOUPLOADNOC", "TAR_PASMODOWNLOADNOC", "TAR_PASMOUPLOADDZIENTXT",
                             "TAR_PASMODOWNLOADDZIENTXT", "TAR_PASMOUPLOADNOCTXT", "TAR_PASMODOWNLOADNOCTXT",
                             "TAR_DATADODANIA", "TAR_OPERATORID", "TAR_DATAMODYFIKACJI"});
        for (const TTariff& t : kTariffs) {
            const QString up = QString::fromLatin1(t.up), down = QString::fromLatin1(t.down);
            tariffs.add({QString::fromUtf8(t.name),
                         QStringLiteral("Cena brutto %1 zł").arg(money(t.priceCents)), bandwidthNumber(up),
                         bandwidthNumber(down), bandwidthNumber(up), bandwidthNumber(down), up, down, up,
                         down, o.today, 1, now});
        }
        tariffs.flush();
        r.tariffs = tariffs.rows();
        TBulkInsert services(s, QStringLiteral("Uslugi"),
                             {"USL_NAZWAUSLUGI", "USL_JEDNMIARY", "USL_SYMBOL", "USL_CENABRUTTO",
                              "USL_STAWKAVAT", "USL_STAWKAVAT_TXT", "USL_CZYJEDNORAZOWA", "USL_OPERATORID"});
        for (const TService& sv : kServices) {
            const int vat = QString::fromLatin1(sv.vat).chopped(1).toInt();
            services.add({QString::fromUtf8(sv.name), QStringLiteral("szt."), QStringLiteral("61.10.Z"),
                          money(sv.priceCents), QStringLiteral("%1").arg(1.0 + vat / 100.0, 0, 'f', 2),
                          QString::fromLatin1(sv.vat), sv.oneOff, 1});
        }
        services.flush();
        r.services = services.rows();
    }
    const QHash<QString, int> groupKey = keysByName(s, QStringLiteral("Grupy"), QStringLiteral("GR"));
    const QHash<QString, int> tariffKey = keysByName(s, QStringLiteral("Taryfy"), QStringLiteral("TAR"));
    const QHash<QString, int> linkKey = keysByName(s, QStringLiteral("TypLacza"), QStringLiteral("TL"));
    const QHash<QString, int> typeKey = keysByName(s, QStringLiteral("TypUrzadzenia"), QStringLiteral("TU"));
    const QHash<QString, int> kindKey =
        keysByName(s, QStringLiteral("RodzajUrzadzenia"), QStringLiteral("RU"));
    const QHash<QString, int> authKey = keysByName(s, QStringLiteral("Autoryzacja"), QStringLiteral("AUT"));

    // Network: nodes, a router per node, access devices, MikroTik routers.
    const int nodeCount = std::max(3, n / 400);
    const int routerCount = std::max(1, (nodeCount + 3) / 4);
    const int firstNode = nextKey(s, QStringLiteral("Wezly"), QStringLiteral("W_INDEX"));
    const int firstRouter = nextKey(s, QStringLiteral("MTRouter"), QStringLiteral("MIKROTIK_INDEX"));
    const int firstInfra = nextKey(s, QStringLiteral("Infrastruktura"), QStringLiteral("INF_INDEX"));
    {
        TBulkInsert routers(s, QStringLiteral("MTRouter"),
                            {"MIKROTIK_INDEX", "MIKROTIK_NAZWA", "MIKROTIK_OPIS", "MIKROTIK_IP",
                             "MIKROTIK_PORT", "MIKROTIK_LOGIN", "MIKROTIK_WERSJA", "MIKROTIK_CZYBLOKADY",
                             "MIKROTIK_CZYPUBIP", "MIKROTIK_KORPASMAUP", "MIKROTIK_KORPASMADOWN",
                             "MIKROTIK_KORPASMANOCTERMINOWI", "MIKROTIK_OPERATORID",
                             "MIKROTIK_DATAMODYFIKACJI"});
        for (int i = 0; i < routerCount; ++i)
            routers.add({firstRouter + i, QStringLiteral("MT-%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                         QStringLiteral("Router dostępowy %1").arg(i + 1),
                         QStringLiteral("172.31.0.%1").arg(i + 1), QStringLiteral("8728"),
                         QStringLiteral("admin"), QStringLiteral("7"), 1, 1, 100, 100, 200, 1, now});
        routers.flush();
        r.routers = routers.rows();
    }
    struct TNode
    {
        int key;
        const TTown* town;
        std::vector<int> fibre, radio; // INF_INDEX of its access devices
    };
    std::vector<TNode> nodes;
    {
        TBulkInsert wezly(s, QStringLiteral("Wezly"),
                          {"W_INDEX", "W_IDENTYFIKATOR", "W_OPIS", "W_TYPOBIEKTU", "W_WLASNOSCSTRUKTURY",
                           "W_ADR_ULICA", "W_ADR_NRDOMU", "W_ADR_KOD", "W_ADR_MIEJSCOWOSC", "W_ADR_POCZTA",
                           "W_TYPREKORDU", "W_GEO_SZEROKOSC", "W_GEO_DLUGOSC", "W_OPERATORID",
                           "W_DATAMODYFIKACJI"});
        for (int i = 0; i < nodeCount; ++i) {
            const TTown& t = kTowns[size_t(i) % kTowns.size()];
            nodes.push_back({firstNode + i, &t, {}, {}});
            wezly.add({firstNode + i, QStringLiteral("WW-%1").arg(i + 1, 3, 10, QLatin1Char('0')),
                       QStringLiteral("Węzeł %1").arg(QString::fromUtf8(t.name)), QStringLiteral("budynek"),
                       QStringLiteral("Węzeł własny"), t.streets ? rnd.pick(kStreets) : QString(),
                       QString::number(rnd.between(1, 60)), QString::fromLatin1(t.code),
                       QString::fromUtf8(t.name), QString::fromUtf8(t.post), QStringLiteral("WW"),
                       QString::number(t.lat + rnd.below(2000) / 100000.0, 'f', 7),
                       QString::number(t.lon + rnd.below(2000) / 100000.0, 'f', 7), 1, now});
        }
        wezly.flush();
        r.nodes = wezly.rows();

        // Per node one core router plus access devices for about 60 devices each.
        // Every node has at least one fibre and one radio access device.
        const int accessCount = o.infrastructure > 0 ? std::max(nodeCount * 3, o.infrastructure - nodeCount)
                                                     : std::max(nodeCount * 3, n * 13 / 10 / 60 + 1);
        TBulkInsert infra(s, QStringLiteral("Infrastruktura"),
                          {"INF_INDEX", "INF_NAZWA", "INF_FUNKCJA", "INF_MAC", "INF_IP", "INF_IP1", "INF_IP2",
                           "INF_IP3", "INF_IP4", "INF_LOGIN", "INF_DATADODANIADOBAZY", "INF_GRUPA1",
                           "INF_INDEXTYPURZADZENIA", "INF_INDEXWEZLA", "INF_INDEXMT",
                           "INF_MIEJSCEPODLACZENIA", "INF_CZYMONITOROWAC", "INF_OPERATORID",
                           "INF_DATAMODYFIKACJI"});
        const QHash<QString, int> infraGroupKey =
            keysByName(s, QStringLiteral("GrupyInf"), QStringLiteral("GRI"));
        int key = firstInfra;
        auto addInfra = [&](const QString& name, const QString& function, int group, int type, int node,
                            int parent) {
            const int i = key - firstInfra;
            const QStringList ip = octets(172, 16, i, 250, 1);
            const std::uint64_t mac = (std::uint64_t(i + 1) * 2654435761ull) & 0xFFFFFFull;
            infra.add({key, name, function,
                       QStringLiteral("4C:5E:0C:%1:%2:%3")
                           .arg((mac >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                           .arg((mac >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                           .arg(mac & 0xFF, 2, 16, QLatin1Char('0'))
                           .toUpper(),
                       ip.join(QLatin1Char('.')), ip[0].toInt(), ip[1].toInt(), ip[2].toInt(), ip[3].toInt(),
                       QStringLiteral("admin"), o.today, group, type, node,
                       firstRouter + (node - firstNode) % routerCount, parent, 1, 1, now});
            return key++;
        };
        std::vector<int> coreRouter;
        for (const TNode& nd : nodes)
            coreRouter.push_back(addInfra(
                QStringLiteral("RTR-%1").arg(nd.key - firstNode + 1, 3, 10, QLatin1Char('0')),
                QStringLiteral("router węzłowy"), infraGroupKey.value(QStringLiteral("Routery brzegowe")),
                typeKey.value(QStringLiteral("router")), nd.key, 0));
        for (int i = 0; i < accessCount; ++i) {
            TNode& nd = nodes[size_t(i) % nodes.size()];
            const bool fibre = (i / nodes.size()) % 3 != 0;
            const int k = addInfra(
                QStringLiteral("%1-%2")
                    .arg(fibre ? QStringLiteral("OLT") : QStringLiteral("AP"))
                    .arg(i + 1, 4, 10, QLatin1Char('0')),
                fibre ? QStringLiteral("dostęp światłowodowy") : QStringLiteral("nadajnik sektorowy"),
                infraGroupKey.value(fibre ? QStringLiteral("OLT") : QStringLiteral("Nadajniki sektorowe")),
                typeKey.value(fibre ? QStringLiteral("przełącznik") : QStringLiteral("punkt dostępowy")),
                nd.key, coreRouter[size_t(i) % nodes.size()]);
            (fibre ? nd.fibre : nd.radio).push_back(k);
        }
        infra.flush();
        r.infrastructure = infra.rows();

        // The last ping of every device, mostly up, some of every other state;
        // from a stream of its own so the rest of the data stays as it was.
        TBenchRandom pingRnd(o.seed ^ 0x50494E47ull);
        TBulkInsert ping(s, QStringLiteral("PingInfra"),
                         {"PI_INDEXINFRA", "PI_CZAS", "PI_STATUS", "PI_ODKIEDYDOWN"});
        const char* const states[] = {"Up", "Down", "U?", "Skip", "Err"};
        for (int k = firstInfra; k < key; ++k) {
            const int roll = pingRnd.below(100);
            const int state = roll < 80 ? 0 : roll < 88 ? 1 : roll < 92 ? 2 : roll < 96 ? 3 : 4;
            ping.add({k, state == 0 ? pingRnd.between(1, 40) : 0, QString::fromLatin1(states[state]),
                      state == 1 ? now : QStringLiteral("0000-00-00 00:00:00")});
        }
        ping.flush();
    }

    // Subscribers with their invoice items, devices and contracts.
    const int firstUser = nextKey(s, QStringLiteral("Userdb"), QStringLiteral("U_INDEX"));
    TBulkInsert users(s, QStringLiteral("Userdb"),
                      {"U_INDEX",
                       "U_NRKLIENTA",
                       "U_NAZWISKO",
                       "U_IMIE",
                       "U_CZYFIRMA",
                       "U_NIP",
                       "U_PESEL",
                       "U_DATADODANIA",
                       "U_ADR_ULICA",
                       "U_ADR_NRDOMU",
                       "U_ADR_NRLOKALU",
                       "U_ADR_KOD",
                       "U_ADR_MIEJSCOWOSC",
                       "U_ADR_POCZTA",
                       "U_CZYINNALOKALIZACJA",
                       "U_LOK_NAZWA",
                       "U_LOK_ULICA",
                       "U_LOK_NRDOMU",
                       "U_LOK_KOD",
                       "U_LOK_MIEJSCOWOSC",
                       "U_LOK_POCZTA",
                       "U_EMAIL",
                       "U_TEL1",
                       "U_DATAAKTYWACJI",
                       "U_DATADEAKTYWACJI",
                       "U_POCZEKALNIA",
                       "U_INDEXTARYFY",
                       "U_KWOTAABONAMENTU",
                       "U_PASMOUPLOADDZIEN",
                       "U_PASMODOWNLOADDZIEN",
                       "U_PASMOUPLOADNOC",
                       "U_PASMODOWNLOADNOC",
                       "U_PASMOUPLOADDZIENTXT",
                       "U_PASMODOWNLOADDZIENTXT",
                       "U_PASMOUPLOADNOCTXT",
                       "U_PASMODOWNLOADNOCTXT",
                       "U_AUTOMATYCZNEFAKTURY",
                       "U_RODZAJWYDRUKUFV",
                       "U_INDYWTERMINPLATNOSCI",
                       "U_INDYWTERMINPLATNOSCIFORMA",
                       "U_NRRACHUNKU1",
                       "U_GRUPA1",
                       "U_GRUPA2",
                       "U_USL_TV",
                       "U_USL_TELEFON",
                       "U_GEOLOK_SZEROKOSC",
                       "U_GEOLOK_DLUGOSC",
                       "U_MAXZALEGLOSCFV",
                       "U_MAXZALEGLOSCFVK",
                       "U_MAXZALEGLOSCPZ",
                       "U_OPERATORID",
                       "U_DATAMODYFIKACJI"},
                      200);
    TBulkInsert items(s, QStringLiteral("UserFvPozycje"),
                      {"UFV_INDEXUSER", "UFV_NAZWAUSLUGI", "UFV_ILOSC", "UFV_JEDNMIARY", "UFV_SYMBOL",
                       "UFV_CENANETTO", "UFV_CENABRUTTO", "UFV_WARTOSCNETTO", "UFV_WARTOSCBRUTTO",
                       "UFV_KWOTAVAT", "UFV_STAWKAVAT", "UFV_STAWKAVAT_TXT", "UFV_DATASTART",
                       "UFV_CZYAKTYWNA", "UFV_CZYJEDNORAZOWA", "UFV_OPERATORID", "UFV_DATAMODYFIKACJI"},
                      500);
    TBulkInsert devices(s, QStringLiteral("Mac"),
                        {"M_INDEXUSER",
                         "M_MAC",
                         "M_IP",
                         "M_IP1",
                         "M_IP2",
                         "M_IP3",
                         "M_IP4",
                         "M_LOGIN",
                         "M_HASLO",
                         "M_PUBIP",
                         "M_DATAPRZYDZIELENIAPUBIP",
                         "M_DATAPODLACZENIA",
                         "M_ILOSCPOLACZEN",
                         "M_PASMOUPLOADDZIEN",
                         "M_PASMODOWNLOADDZIEN",
                         "M_PASMOUPLOADNOC",
                         "M_PASMODOWNLOADNOC",
                         "M_PASMOUPLOADDZIENTXT",
                         "M_PASMODOWNLOADDZIENTXT",
                         "M_PASMOUPLOADNOCTXT",
                         "M_PASMODOWNLOADNOCTXT",
                         "M_CZYZAWIESZONE",
                         "M_CZYDODACDOMT",
                         "M_INDEXTYPLACZA",
                         "M_INDEXTYPURZADZENIA",
                         "M_INDEXRODZAJ",
                         "M_INDEXMIEJSCEPODLACZENIA",
                         "M_INDEXAUTORYZACJA",
                         "M_INDEXMT",
                         "M_CZYURZADZENIEKLIENTA",
                         "M_OPERATORID",
                         "M_DATAMODYFIKACJI"},
                        500);
    TBulkInsert contracts(s, QStringLiteral("Umowy"),
                          {"UM_INDEXUSER", "UM_NUMER", "UM_NUMERTXT", "UM_DATAZAWARCIA", "UM_DATASTART",
                           "UM_DATAKONIEC", "UM_TYTUL", "UM_OPIS", "UM_CZYPODPISANA", "UM_CZYWYDRUKOWANA",
                           "UM_OPERATORID", "UM_DATAMODYFIKACJI"},
                          500);
    QHash<int, int> contractNumbers; // per year
    int deviceNo = 0;
    int publicNo = 0;
    for (int i = 0; i < n; ++i) {
        const int key = firstUser + i;
        const int customer = 1000 + i;
        const bool company = rnd.chance(5);
        const bool female = !company && rnd.chance(50);
        const QString surname = rnd.pick(kSurnames);
        QString last, first;
        if (company) {
            last = rnd.pick(kCompanyKinds) + QLatin1Char(' ') + surname +
                   (rnd.chance(50) ? QStringLiteral(" Sp. z o.o.") : QString());
        } else {
            last = female ? femaleForm(surname) : surname;
            first = female ? rnd.pick(kFemaleNames) : rnd.pick(kMaleNames);
        }
        const TNode& node = nodes[size_t(rnd.below(int(nodes.size())))];
        const TTown& town = *node.town;
        const QString street = town.streets ? rnd.pick(kStreets) : QString();
        const QString house =
            QString::number(rnd.between(1, 120)) + (rnd.chance(10) ? QStringLiteral("A") : QString());
        const QString flat = town.streets && rnd.chance(35) ? QString::number(rnd.between(1, 80)) : QString();
        const bool otherPlace = rnd.chance(5);
        const TTown& place = otherPlace ? kTowns[size_t(rnd.below(int(kTowns.size())))] : town;

        const bool waiting = rnd.chance(2);
        QDate activation = waiting ? QDate() : today.addDays(-rnd.below(8 * 365));
        QDate deactivation;
        if (!waiting && rnd.chance(8))
            deactivation = activation.addDays(rnd.below(int(std::max<qint64>(1, activation.daysTo(today)))));
        const QDate added = waiting ? today.addDays(-rnd.below(60)) : activation.addDays(-rnd.below(20));

        const TTariff& tariff = company && rnd.chance(60)
                                    ? kTariffs.back()
                                    : kTariffs[size_t(rnd.below(int(kTariffs.size()) - 1))];
        const QString up = QString::fromLatin1(tariff.up), down = QString::fromLatin1(tariff.down);
        const bool tv = rnd.chance(15), phone = rnd.chance(6), router = rnd.chance(30),
                   publicIp = rnd.chance(5);

        // Recurring items; the subscription is their gross sum.
        qint64 subscription = 0;
        auto item = [&](const QString& name, qint64 priceCents, int vat, bool oneOff, const QDate& start) {
            const TLineValues v = lineValues(priceCents, 1, vat);
            if (!oneOff) subscription += v.gross;
            items.add({key, name, QStringLiteral("1.000"), QStringLiteral("szt."), QStringLiteral("61.10.Z"),
                       money(v.netPrice), money(v.grossPrice), money(v.net), money(v.gross), money(v.vat),
                       QStringLiteral("%1").arg(1.0 + vat / 100.0, 0, 'f', 2), QStringLiteral("%1%").arg(vat),
                       dateText(start), deactivation.isValid() ? 0 : 1, oneOff ? 1 : 0, 1, now});
        };
        const QDate start = activation.isValid() ? activation : today;
        item(QStringLiteral("Abonament internetowy - %1").arg(QString::fromUtf8(tariff.name)),
             tariff.priceCents, 23, false, start);
        if (router) item(QString::fromUtf8(kServices[1].name), kServices[1].priceCents, 23, false, start);
        if (publicIp) item(QString::fromUtf8(kServices[2].name), kServices[2].priceCents, 23, false, start);
        if (tv) item(QString::fromUtf8(kServices[3].name), kServices[3].priceCents, 8, false, start);
        if (phone) item(QString::fromUtf8(kServices[4].name), kServices[4].priceCents, 23, false, start);
        if (waiting) item(QString::fromUtf8(kServices[5].name), kServices[5].priceCents, 23, true, start);

        QString phoneNumber = QStringLiteral("+48 ") + QString::number(rnd.between(500, 889));
        phoneNumber += QLatin1Char(' ') + rnd.digits(3);
        phoneNumber += QLatin1Char(' ') + rnd.digits(3);
        const QString email = rnd.chance(75)
                                  ? QStringLiteral("%1.%2%3@poczta.example.pl")
                                        .arg(foldAscii(company ? surname : first), foldAscii(surname))
                                        .arg(customer)
                                  : QString();
        const int group1 =
            groupKey.value(tariff.fibre ? QStringLiteral("Światłowód") : QStringLiteral("Radio"));
        const int group2 = company ? groupKey.value(QStringLiteral("Firmy"))
                                   : (rnd.chance(30) ? groupKey.value(rnd.pick(kGroups)) : 0);
        // The virtual sub-account of bank 10501025, client id and prefix "0000",
        // grouped as the bank import matches it.
        const QString subAccount = CompleteNrb(QStringLiteral("10501025") +
                                               QStringLiteral("%1").arg(customer, 16, 10, QLatin1Char('0')));
        users.add({key,
                   customer,
                   last,
                   first,
                   company ? 1 : 0,
                   company ? QStringLiteral("118") + rnd.digits(7) : QString(),
                   company ? QString() : pesel(rnd, female),
                   dateText(added),
                   street,
                   house,
                   flat,
                   QString::fromLatin1(town.code),
                   QString::fromUtf8(town.name),
                   QString::fromUtf8(town.post),
                   otherPlace ? 1 : 0,
                   otherPlace ? QStringLiteral("Działka rekreacyjna") : QString(),
                   otherPlace && place.streets ? rnd.pick(kStreets) : QString(),
                   otherPlace ? QString::number(rnd.between(1, 200)) : QString(),
                   otherPlace ? QString::fromLatin1(place.code) : QString(),
                   otherPlace ? QString::fromUtf8(place.name) : QString(),
                   otherPlace ? QString::fromUtf8(place.post) : QString(),
                   email,
                   phoneNumber,
                   dateText(activation),
                   dateText(deactivation),
                   waiting ? 1 : 0,
                   tariffKey.value(QString::fromUtf8(tariff.name)),
                   money(subscription),
                   bandwidthNumber(up),
                   bandwidthNumber(down),
                   bandwidthNumber(up),
                   bandwidthNumber(down),
                   up,
                   down,
                   up,
                   down,
                   rnd.chance(85) ? 1 : (rnd.chance(60) ? 2 : 0),
                   1,
                   14,
                   QStringLiteral("przelew"),
                   subAccount,
                   group1,
                   group2,
                   tv ? 1 : 0,
                   phone ? 1 : 0,
                   QString::number(town.lat + rnd.below(3000) / 100000.0, 'f', 7),
                   QString::number(town.lon + rnd.below(3000) / 100000.0, 'f', 7),
                   -9999,
                   -9999,
                   -9999,
                   1,
                   now});

        // Devices: one, sometimes two.
        const int deviceCount = rnd.chance(25) ? 2 : 1;
        for (int d = 0; d < deviceCount; ++d, ++deviceNo) {
            const QStringList ip = octets(10, 0, deviceNo, 250, 2);
            const std::uint64_t low = (std::uint64_t(deviceNo + 1) * 2654435761ull) & 0xFFFFFFull;
            const QString mac = QStringLiteral("%1:%2:%3:%4")
                                    .arg(rnd.pick(kOuis))
                                    .arg((low >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                                    .arg((low >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                                    .arg(low & 0xFF, 2, 16, QLatin1Char('0'))
                                    .toUpper();
            const bool pppoe = tariff.fibre && rnd.chance(40);
            const bool pub = publicIp && d == 0;
            const QString pubIp =
                pub ? QStringLiteral("46.229.%1.%2").arg(publicNo / 250 % 250).arg(publicNo % 250 + 2)
                    : QString();
            if (pub) ++publicNo;
            devices.add(
                {key,
                 mac,
                 ip.join(QLatin1Char('.')),
                 ip[0].toInt(),
                 ip[1].toInt(),
                 ip[2].toInt(),
                 ip[3].toInt(),
                 pppoe ? QStringLiteral("k%1").arg(customer) : QString(),
                 pppoe ? rnd.digits(8) : QString(),
                 pubIp,
                 pub ? dateText(start) : QStringLiteral("0000-00-00"),
                 dateText(start),
                 200,
                 bandwidthNumber(up),
                 bandwidthNumber(down),
                 bandwidthNumber(up),
                 bandwidthNumber(down),
                 up,
                 down,
                 up,
                 down,
                 deactivation.isValid() ? 1 : 0,
                 1,
                 linkKey.value(tariff.fibre ? QStringLiteral("światłowodowe") : QStringLiteral("radiowe")),
                 typeKey.value(tariff.fibre ? QStringLiteral("ONT") : QStringLiteral("antena")),
                 kindKey.value(d == 0 ? QStringLiteral("własność operatora")
                                      : QStringLiteral("własność abonenta")),
                 rnd.pick(tariff.fibre ? node.fibre : node.radio),
                 authKey.value(pppoe ? QStringLiteral("pppoe") : QStringLiteral("ip-mac")),
                 firstRouter + (node.key - firstNode) % routerCount,
                 d == 0 ? 0 : 1,
                 1,
                 now});
        }

        if (activation.isValid()) {
            const QDate signedOn = activation.addDays(-rnd.below(14));
            const int number = ++contractNumbers[signedOn.year()];
            contracts.add({key, number, QStringLiteral("%1/%2").arg(number).arg(signedOn.year()),
                           dateText(signedOn), dateText(activation), dateText(activation.addYears(2)),
                           QStringLiteral("Umowa o świadczenie usług telekomunikacyjnych"),
                           QString::fromUtf8(tariff.name), 1, 1, 1, now});
        }
    }
    users.flush();
    items.flush();
    devices.flush();
    contracts.flush();
    transaction.commit();

    r.subscribers = users.rows();
    r.invoiceItems = items.rows();
    r.devices = devices.rows();
    r.contracts = contracts.rows();
    r.seconds = timer.elapsed() / 1000.0;
    return r;
}
