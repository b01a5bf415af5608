#include "network/MikrotikKonfig.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "network/HazardDomeny.h"
#include "network/MikrotikLogi.h"
#include "network/MikrotikWysylka.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <cmath>
#include <vector>

namespace {

const QString kTag = QStringLiteral(" comment=orlix4sql_");
const QString kZeroDate = QStringLiteral("0000-00-00");

// The tagged-object removal that heads a section of a full build.
QString removeTagged(const char* path)
{
    const QString p = QLatin1String(path);
    return QStringLiteral(":foreach i in=[") + p + QStringLiteral(" find] do={:if (\".\" . [:find [") + p +
           QStringLiteral(" get $i comment] \"orlix4sql\"] . \".\"!=\"..\") do={") + p +
           QStringLiteral(" remove $i}}");
}

QString removeList(const char* list)
{
    return QStringLiteral("/ip firewall address-list remove [/ip firewall address-list find list=\"") +
           QLatin1String(list) + QStringLiteral("\"]");
}

// A bandwidth value: the number times the factor, rounded half to even; "0" without a text.
QString scaled(const QString& text, qint64 number, double factor)
{
    if (text.isEmpty() || text == QLatin1String("0")) return QStringLiteral("0");
    return QString::number(qint64(std::nearbyint(double(number) * factor)));
}

QHash<int, QString> dictionary(TDedicatedSession* s, const char* sql)
{
    QHash<int, QString> out;
    auto q = s->OpenQuery(QLatin1String(sql));
    for (int r = 0; r < q->RecordCount(); ++r)
        out.insert(q->CellText(r, 0).toInt(), q->CellText(r, 1));
    return out;
}

// The columns of one device row the build reads, by their names without the prefix.
struct TDeviceRow
{
    int Index = 0;
    int User = 0;
    QString Ip, Mac, Login, Password, PubIp;
    int Interface = 0, Auth = 0, Profile = 0, Wan = 0;
    bool AuthZero = false; // the authorisation key text is "0" or "brak"
    bool Suspended = false;
    qint64 DayDown = 0, DayUp = 0, NightDown = 0, NightUp = 0;
    QString DayDownTxt, DayUpTxt, NightDownTxt, NightUpTxt;
    // The subscriber's values (subscriber devices only).
    int Blokuj = 0, Powiadamiaj = 0;
    bool Arrears = false;
    qint64 UDayDown = 0, UDayUp = 0, UNightDown = 0, UNightUp = 0;
    QString UDayDownTxt, UDayUpTxt, UNightDownTxt, UNightUpTxt;
};

// Reads rows by column position, looked up once per query. The columns read
// are whole numbers and texts, whose server form is the value itself: the
// cells are taken as they came, without the field conversions (a router's
// thousands of rows times some thirty columns).
class TRowReader
{
public:
    TRowReader(TQuery& q, const QString& prefix) : m_q(q), m_prefix(prefix) {}
    int col(const char* name) const
    {
        TField* f = m_q.FindField(m_prefix + QLatin1String(name));
        return f ? f->Index() : -1;
    }
    QString text(int row, int c) const { return c < 0 ? QString() : QString::fromUtf8(m_q.Cell(row, c)); }
    qint64 number(int row, int c) const { return c < 0 ? 0 : m_q.Cell(row, c).toLongLong(); }

private:
    TQuery& m_q;
    QString m_prefix;
};

std::vector<TDeviceRow> readDevices(TQuery& q, const QString& prefix, bool subscriber)
{
    TRowReader r(q, prefix);
    const int cIndex = r.col("INDEX"), cUser = r.col("INDEXUSER"), cIp = r.col("IP"), cMac = r.col("MAC"),
              cLogin = r.col("LOGIN"), cPass = r.col("HASLO"), cPub = r.col("PUBIP"),
              cIf = r.col("INDEXINTERFACE"), cAuth = r.col("INDEXAUTORYZACJA"), cProf = r.col("INDEXPROFIL"),
              cWan = r.col("INDEXWAN"), cSusp = r.col("CZYZAWIESZONE"), cDd = r.col("PASMODOWNLOADDZIEN"),
              cDu = r.col("PASMOUPLOADDZIEN"), cNd = r.col("PASMODOWNLOADNOC"), cNu = r.col("PASMOUPLOADNOC"),
              cDdT = r.col("PASMODOWNLOADDZIENTXT"), cDuT = r.col("PASMOUPLOADDZIENTXT"),
              cNdT = r.col("PASMODOWNLOADNOCTXT"), cNuT = r.col("PASMOUPLOADNOCTXT");
    TRowReader u(q, QStringLiteral("U_"));
    const int uIndex = u.col("INDEX"), uBlok = u.col("BLOKUJ"), uPow = u.col("POWIADAMIAJ"),
              uMax = u.col("MAXZALEGLOSC"), uDd = u.col("PASMODOWNLOADDZIEN"),
              uDu = u.col("PASMOUPLOADDZIEN"), uNd = u.col("PASMODOWNLOADNOC"), uNu = u.col("PASMOUPLOADNOC"),
              uDdT = u.col("PASMODOWNLOADDZIENTXT"), uDuT = u.col("PASMOUPLOADDZIENTXT"),
              uNdT = u.col("PASMODOWNLOADNOCTXT"), uNuT = u.col("PASMOUPLOADNOCTXT");
    std::vector<TDeviceRow> rows;
    rows.reserve(size_t(q.RecordCount()));
    for (int i = 0; i < q.RecordCount(); ++i) {
        TDeviceRow d;
        d.Index = int(r.number(i, cIndex));
        d.Ip = r.text(i, cIp);
        d.Mac = r.text(i, cMac);
        d.Login = r.text(i, cLogin);
        d.Password = r.text(i, cPass);
        d.PubIp = r.text(i, cPub);
        d.Interface = int(r.number(i, cIf));
        const QString auth = r.text(i, cAuth);
        d.AuthZero = auth == QLatin1String("0") || auth == QLatin1String("brak");
        d.Auth = auth.toInt();
        d.Profile = int(r.number(i, cProf));
        d.Wan = int(r.number(i, cWan));
        d.Suspended = r.number(i, cSusp) == 1;
        d.DayDown = r.number(i, cDd);
        d.DayUp = r.number(i, cDu);
        d.NightDown = r.number(i, cNd);
        d.NightUp = r.number(i, cNu);
        d.DayDownTxt = r.text(i, cDdT);
        d.DayUpTxt = r.text(i, cDuT);
        d.NightDownTxt = r.text(i, cNdT);
        d.NightUpTxt = r.text(i, cNuT);
        if (subscriber) {
            d.User = int(u.number(i, uIndex));
            if (d.User == 0) d.User = int(r.number(i, cUser));
            d.Blokuj = int(u.number(i, uBlok));
            d.Powiadamiaj = int(u.number(i, uPow));
            d.Arrears = u.number(i, uMax) > 0;
            d.UDayDown = u.number(i, uDd);
            d.UDayUp = u.number(i, uDu);
            d.UNightDown = u.number(i, uNd);
            d.UNightUp = u.number(i, uNu);
            d.UDayDownTxt = u.text(i, uDdT);
            d.UDayUpTxt = u.text(i, uDuT);
            d.UNightDownTxt = u.text(i, uNdT);
            d.UNightUpTxt = u.text(i, uNuT);
        }
        rows.push_back(std::move(d));
    }
    return rows;
}

class TBuilder
{
public:
    TBuilder(const TMikrotikRouter& r, TMikrotikSections& s) : m_r(r), m_s(s)
    {
        TDedicatedSession* db = GlobalSession();
        m_interfaces = dictionary(db, "select INTERFACE_INDEX, INTERFACE_NAZWA from Interface");
        m_auth = dictionary(db, "select AUT_INDEX, AUT_NAZWA from Autoryzacja");
        m_profiles = dictionary(db, "select PROFIL_INDEX, PROFIL_NAZWA from Profil");
        m_wans = dictionary(db, "select WAN_INDEX, WAN_NAZWA from Wan");
        m_down = r.CorrDown / 100.0;
        m_up = r.CorrUp / 100.0;
    }

    QString Parent;
    bool NoLimits = false;

    void subscriberDevices(const std::vector<TDeviceRow>& rows)
    {
        QStringList targets;
        for (size_t i = 0; i < rows.size(); ++i) {
            const TDeviceRow& d = rows[i];
            const double night = d.Arrears ? 1.0 : m_r.CorrNight / 100.0;
            QString dayDown, dayUp, nightDown, nightUp;
            bool own = false;
            const bool anyDay = !d.UDayDownTxt.isEmpty() || !d.UDayUpTxt.isEmpty();
            const bool noNight = d.UNightDownTxt.isEmpty() && d.UNightUpTxt.isEmpty();
            if (anyDay) {
                dayDown = scaled(d.UDayDownTxt, d.UDayDown, m_down);
                dayUp = scaled(d.UDayUpTxt, d.UDayUp, m_up);
                if (noNight) {
                    nightDown = scaled(d.UDayDownTxt, d.UDayDown, m_down * night);
                    nightUp = scaled(d.UDayUpTxt, d.UDayUp, m_up * night);
                } else {
                    nightDown = scaled(d.UNightDownTxt, d.UNightDown, m_down);
                    nightUp = scaled(d.UNightUpTxt, d.UNightUp, m_up);
                }
            } else {
                dayDown = scaled(d.DayDownTxt, d.DayDown, m_down);
                dayUp = scaled(d.DayUpTxt, d.DayUp, m_up);
                nightDown = scaled(d.NightDownTxt, d.NightDown, m_down);
                nightUp = scaled(d.NightUpTxt, d.NightUp, m_up);
                own = true;
            }
            if ((d.UDayDownTxt.isEmpty() || d.UDayUpTxt.isEmpty()) && !d.DayDownTxt.isEmpty() &&
                !d.DayUpTxt.isEmpty())
                own = true;
            QString dayLimit = dayUp + QLatin1Char('/') + dayDown;
            QString nightLimit = nightUp + QLatin1Char('/') + nightDown;
            if (!NoLimits && d.Blokuj == 1 && DigitsOnly(m_r.BlockUp) != QLatin1String("0") &&
                DigitsOnly(m_r.BlockDown) != QLatin1String("0")) {
                dayLimit = nightLimit =
                    RouterOsValue(m_r.BlockUp) + QLatin1Char('/') + RouterOsValue(m_r.BlockDown);
                own = false;
            }

            const QString id = QString::number(d.Index);
            common(d, id);
            if (!d.Ip.isEmpty() && m_r.Blocks) {
                const QString ip = RouterOsValue(d.Ip);
                auto list = [&](const char* name) {
                    m_s.Lists << QStringLiteral("/ip firewall address-list add address=") + ip +
                                     QStringLiteral(" list=") + QLatin1String(name) + kTag + id;
                };
                if (d.Suspended) {
                    list("zawieszone");
                } else {
                    if (d.Powiadamiaj == 1 && d.Blokuj == 0) list("powiadamiaj");
                    if (d.Blokuj == 1) list("blokuj");
                }
            }
            if (!d.Ip.isEmpty() && m_r.PubIp && !d.PubIp.isEmpty()) publicAddress(d, id);

            // Devices of one subscriber share a queue unless they have bandwidth of their own.
            const QString name = QString::number(d.User) + QLatin1Char('_') + id;
            const QString target = d.Ip.isEmpty() ? QString() : RouterOsValue(d.Ip) + QStringLiteral("/32");
            const bool sameNext = i + 1 < rows.size() && rows[i + 1].User == d.User;
            if (sameNext && !own) {
                if (!target.isEmpty()) targets << target;
            } else if (sameNext) {
                queue(dayLimit, nightLimit, target, name);
            } else {
                if (!target.isEmpty()) targets << target;
                queue(dayLimit, nightLimit, targets.join(QLatin1Char(',')), name);
                targets.clear();
            }
        }
    }

    void infrastructureDevice(const TDeviceRow& d)
    {
        // Every infrastructure value takes the download correction.
        const QString dayLimit =
            scaled(d.DayUpTxt, d.DayUp, m_down) + QLatin1Char('/') + scaled(d.DayDownTxt, d.DayDown, m_down);
        const QString id = QStringLiteral("INF_") + QString::number(d.Index);
        common(d, id);
        if (d.Ip.isEmpty()) return;
        m_s.Queue << QStringLiteral("/queue simple add max-limit=") + dayLimit + Parent +
                         QStringLiteral(" target=") + RouterOsValue(d.Ip) + QStringLiteral("/32 name=") + id +
                         kTag + id;
        if (m_r.PubIp && !d.PubIp.isEmpty()) publicAddress(d, id);
    }

private:
    // PPPoE, ARP and DHCP lines, alike for both kinds of device.
    void common(const TDeviceRow& d, const QString& id)
    {
        const bool macOk =
            !d.Mac.isEmpty() && d.Mac != QLatin1String("00:00:00:00:00:00") && d.Mac.size() == 17;
        const QString mac = RouterOsValue(macOk ? d.Mac.toUpper() : QStringLiteral("0"));
        const QString iface = RouterOsValue(m_interfaces.value(d.Interface, QStringLiteral("0")));
        const QString auth = d.AuthZero ? QStringLiteral("0") : m_auth.value(d.Auth, QStringLiteral("0"));
        const bool pppoe = auth.toLower() == QLatin1String("pppoe");
        if (pppoe) {
            const QString callerId = m_r.MacToPppoe ? QStringLiteral(" caller-id=") + mac : QString();
            const QString profile =
                m_profiles.contains(d.Profile)
                    ? QStringLiteral(" profile=") + RouterOsValue(m_profiles.value(d.Profile))
                    : QString();
            m_s.Pppoe << QStringLiteral("/ppp secret add") + callerId + QStringLiteral(" remote-address=") +
                             RouterOsValue(d.Ip) + QStringLiteral(" name=") + RouterOsValue(d.Login) +
                             QStringLiteral(" password=") + RouterOsValue(d.Password) + profile +
                             QStringLiteral(" service=pppoe") + kTag + id;
        }
        if (d.Ip.isEmpty() || pppoe) return;
        const QString ip = RouterOsValue(d.Ip);
        m_s.Arp << QStringLiteral("/ip arp add address=") + ip + QStringLiteral(" mac-address=") + mac +
                       QStringLiteral(" interface=") + iface + kTag + id;
        m_s.Dhcp << QStringLiteral("/ip dhcp-server lease add address=") + ip +
                        QStringLiteral(" mac-address=") + mac + QStringLiteral(" server=") + iface + kTag +
                        id;
    }

    void publicAddress(const TDeviceRow& d, const QString& id)
    {
        const QString ip = RouterOsValue(d.Ip);
        const QString pub = RouterOsValue(d.PubIp);
        m_s.Nat << QStringLiteral("/ip firewall nat add action=src-nat chain=srcnat src-address=") + ip +
                       QStringLiteral(" to-addresses=") + pub + kTag + id;
        m_s.Nat << QStringLiteral("/ip firewall nat add action=dst-nat chain=dstnat dst-address=") + pub +
                       QStringLiteral(" to-addresses=") + ip + kTag + id;
        m_s.Address << QStringLiteral("/ip address add address=") + pub + QLatin1Char('/') +
                           RouterOsValue(m_r.PubMask) + QStringLiteral(" interface=") +
                           RouterOsValue(m_wans.value(d.Wan, QStringLiteral("0"))) + kTag + id;
    }

    void queue(const QString& dayLimit, const QString& nightLimit, const QString& target, const QString& name)
    {
        // A queue without any address would limit nothing on the router.
        if (target.isEmpty()) return;
        const QString rest =
            Parent + QStringLiteral(" target=") + target + QStringLiteral(" name=") + name + kTag + name;
        m_s.Queue << QStringLiteral("/queue simple add max-limit=") + dayLimit + rest;
        m_s.QueuesDay << QStringLiteral("/queue simple set max-limit=") + dayLimit + rest;
        m_s.QueuesNight << QStringLiteral("/queue simple set max-limit=") + nightLimit + rest;
    }

    const TMikrotikRouter& m_r;
    TMikrotikSections& m_s;
    QHash<int, QString> m_interfaces, m_auth, m_profiles, m_wans;
    double m_down = 1, m_up = 1;
};

bool isPlain(QChar c)
{
    static const QString special = QStringLiteral(" \t\r\n\"';$[]{}\\=?#`");
    return c.unicode() >= 0x20 && !special.contains(c);
}

} // namespace

QString RouterOsValue(const QString& value)
{
    bool plain = true;
    for (QChar c : value)
        if (!isPlain(c)) {
            plain = false;
            break;
        }
    if (plain) return value;
    QString out = QStringLiteral("\"");
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '$':
            out += QStringLiteral("\\$");
            break;
        case '?':
            out += QStringLiteral("\\?");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

TMikrotikRouter MikrotikRouterFromRow(const TQuery& row)
{
    auto s = [&](const char* n) { return row.FieldByName(QLatin1String(n))->AsString(); };
    auto i = [&](const char* n) { return row.FieldByName(QLatin1String(n))->AsInteger(); };
    TMikrotikRouter r;
    r.Index = i("MIKROTIK_INDEX");
    r.Name = s("MIKROTIK_NAZWA");
    r.Ip = s("MIKROTIK_IP");
    r.Port = s("MIKROTIK_PORT");
    r.Login = s("MIKROTIK_LOGIN");
    r.Password = s("MIKROTIK_HASLO");
    r.Infra = i("MIKROTIK_CZYDOLACZINFRA") == 1;
    r.Blocks = i("MIKROTIK_CZYBLOKADY") == 1;
    r.PubIp = i("MIKROTIK_CZYPUBIP") == 1;
    r.CorrUp = i("MIKROTIK_KORPASMAUP");
    r.CorrDown = i("MIKROTIK_KORPASMADOWN");
    r.CorrNight = i("MIKROTIK_KORPASMANOCTERMINOWI");
    r.BlockUp = s("MIKROTIK_BLOKOWANIUP");
    r.BlockDown = s("MIKROTIK_BLOKOWANIDOWN");
    r.LinkUp = s("MIKROTIK_LACZEUPTXT");
    r.LinkDown = s("MIKROTIK_LACZEDOWNTXT");
    r.QueueType = s("MIKROTIK_TYPKOLEJKIGLOWNEJ");
    r.PubMask = s("MIKROTIK_MASKAPUBIP");
    r.SendArp = i("MIKROTIK_WYSLIJARP") == 1;
    r.SendDhcp = i("MIKROTIK_WYSLIJDHCP") == 1;
    r.SendQueues = i("MIKROTIK_WYSLIJKOLEJKI") == 1;
    r.SendPppoe = i("MIKROTIK_WYSLIJPPPOE") == 1;
    r.MacToPppoe = i("MIKROTIK_WYSLIJMACDOPPPOE") == 1;
    r.SendHazard = i("MIKROTIK_WYSLIJHAZARD") == 1;
    r.ScriptAdd = s("MIKROTIK_SKRYPTADD");
    return r;
}

TMikrotikSections BuildMikrotikSections(const TMikrotikRouter& r, bool full)
{
    TDedicatedSession* s = GlobalSession();
    TMikrotikSections out;
    const QString interfaces =
        s->GetQueryValuesAsList(
             r.Infra ? QStringLiteral(
                           "select INTERFACE_NAZWA from Interface where INTERFACE_INDEX in (select distinct "
                           "M_INDEXINTERFACE from Mac where M_CZYDODACDOMT=1 and M_INDEXMT=:p1 union "
                           "select INF_INDEXINTERFACE from Infrastruktura where INF_CZYDODACDOMT=1 and "
                           "INF_INDEXMT=:p2)")
                     : QStringLiteral(
                           "select INTERFACE_NAZWA from Interface where INTERFACE_INDEX in (select "
                           "distinct M_INDEXINTERFACE from Mac where M_CZYDODACDOMT=1 and M_INDEXMT=:p1)"),
             r.Infra ? TArgs{r.Index, r.Index} : TArgs{r.Index})
            .join(QLatin1Char(','));

    if (ReadIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), 0) == 1) {
        // Once after the upgrade: every object of these kinds goes, tagged or not.
        out.Queue << QStringLiteral(":foreach i in=[/queue simple find] do={/queue simple remove $i;}");
        out.Dhcp << QStringLiteral("/ip dhcp-server lease remove [/ip dhcp-server lease find]");
        out.Arp << QStringLiteral("/ip arp remove [/ip arp find]");
        out.Pppoe << QStringLiteral("/ppp secret remove [/ppp secret find]");
    }
    if (full) {
        out.Queue << removeTagged("/queue simple");
        out.Arp << removeTagged("/ip arp");
        out.Dhcp << removeTagged("/ip dhcp-server lease");
        out.Lists << removeList("zawieszone") << removeList("powiadamiaj") << removeList("blokuj");
        out.Nat << removeTagged("/ip firewall nat");
        out.Pppoe << removeTagged("/ppp secret");
        out.Address << removeTagged("/ip address");
    }

    TBuilder b(r, out);
    b.NoLimits = ReadIniBool(0, QStringLiteral("NieOgraniczajPasmaMT"), false);
    if (!(r.LinkUp == QLatin1String("0") && r.LinkDown == QLatin1String("0"))) {
        const QString t = RouterOsValue(r.QueueType);
        out.Queue << QStringLiteral("/queue simple add max-limit=") + RouterOsValue(r.LinkUp) +
                         QLatin1Char('/') + RouterOsValue(r.LinkDown) +
                         QStringLiteral(" name=global priority=7/7 queue=") + t + QLatin1Char('/') + t +
                         QStringLiteral(" target=") + RouterOsValue(interfaces) +
                         QStringLiteral(" total-queue=") + t + QStringLiteral(" comment=orlix4sql_0");
        b.Parent = QStringLiteral(" parent=global");
    }

    {
        auto q = s->OpenQuery(
            QStringLiteral(
                "select Mac.*, Userdb.* from Mac left join Userdb on U_INDEX=M_INDEXUSER where "
                "M_CZYDODACDOMT=1 and  (U_DATADEAKTYWACJI > CURDATE() or U_DATADEAKTYWACJI=:p1) and "
                "(U_DATAAKTYWACJI <= CURDATE() and U_DATAAKTYWACJI<>:p2) and (M_DATAPODLACZENIA<=CURDATE() "
                "and M_DATAPODLACZENIA<>:p3) and M_INDEXMT=:p4 order by M_INDEXUSER"),
            {kZeroDate, kZeroDate, kZeroDate, r.Index});
        MikrotikTimingLine(QStringLiteral("MTStartPetli "));
        b.subscriberDevices(readDevices(*q, QStringLiteral("M_"), true));
    }

    out.Hazard << removeList("hazard");
    if (r.SendHazard) {
        UpdateHazardDomains();
        // A domain without an address goes into the list by its name; one line per address or name.
        auto q = s->OpenQuery(
            QStringLiteral("select min(HD_INDEX), if(HD_IP='' or HD_IP='0.0.0.0', HD_ADRESDOMENY, HD_IP) as "
                           "HD_ADRES from HazardDomeny "
                           "where HD_INDEX>0 group by HD_ADRES having HD_ADRES<>'' order by HD_ADRES"));
        for (int i = 0; i < q->RecordCount(); ++i)
            out.Hazard << QStringLiteral("/ip firewall address-list add address=") +
                              RouterOsValue(q->CellText(i, 1)) +
                              QStringLiteral(" list=hazard comment=orlix4sql_") + q->CellText(i, 0);
    } else if (!s->IsQueryEmpty(QStringLiteral("select (1) from HazardDomeny limit 1"))) {
        // Emptied once, not re-created by every router's build.
        s->ExecQuery(QStringLiteral("TRUNCATE HazardDomeny"));
    }

    if (r.Infra) {
        auto q =
            s->OpenQuery(QStringLiteral("select * from Infrastruktura where INF_CZYDODACDOMT=1 and "
                                        "INF_CZYZAWIESZONE <> 1 and (INF_DATADODANIADOBAZY <= CURDATE() and "
                                        "INF_DATADODANIADOBAZY<>:p1) and INF_INDEXMT=:p2 order by INF_INDEX"),
                         {kZeroDate, r.Index});
        for (const TDeviceRow& d : readDevices(*q, QStringLiteral("INF_"), false)) {
            b.infrastructureDevice(d);
            // The window stays painted; the operator's input waits for the end of the build.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    return out;
}

void SendMikrotikConfig(bool full)
{
    TQuery* q = Data ? Data->QMTRouter.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return;
    if (GlobalSession()->InTransaction()) return;
    const TMikrotikRouter r = MikrotikRouterFromRow(*q);
    if (r.Ip.isEmpty() || r.Login.isEmpty() || r.Password.isEmpty()) return;
    if (r.SendArp || r.SendDhcp || r.SendQueues || r.SendPppoe) {
        QString report;
        CheckMikrotikDevices(r.Index, report);
        if (report.size() > 100) TMD::MessageDlg(report, mtWarning, mbOK);
    }
    MikrotikBuildStarted();
    LogEvent(r.Name + QStringLiteral(" Budowanie konfiguracji MT"));
    PrepareMikrotikFtp(SharedFtpClient(), r);
    TMikrotikSections sections = BuildMikrotikSections(r, full);
    SendMikrotikSections(r, sections, full, SharedFtpClient());
}

void MikrotikSendCommand(bool full)
{
    if (RightDenied(4)) return;
    const QString setting = QStringLiteral("MikroTikPrzebudowa_4_23");
    if (ReadIniInteger(0, setting, 0) >= 1) full = true;
    if (TMD::MessageDlg(full ? QStringLiteral("Czy chcesz wysłać pełną konfigurację MikroTik?")
                             : QStringLiteral("Czy chcesz wysłać różnicową konfigurację MikroTik?"),
                        mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    TQuery* q = Data->QMTRouter.get();
    if (q->Active())
        RefreshQuery(q, QStringLiteral("MIKROTIK_INDEX"));
    else
        q->Open();
    const int current = q->IsEmpty() ? 0 : q->FieldByName(QStringLiteral("MIKROTIK_INDEX"))->AsInteger();
    for (q->First(); !q->Eof(); q->Next())
        if (q->FieldByName(QStringLiteral("MIKROTIK_CZYAKTYWNY"))->AsInteger() == 1) SendMikrotikConfig(full);
    q->Locate(QStringLiteral("MIKROTIK_INDEX"), current);
    if (full) {
        // After the upgrade the next two sends are full ones.
        const int step = ReadIniInteger(0, setting, 0);
        if (step == 2) WriteIniInteger(0, setting, 0);
        if (step == 1) WriteIniInteger(0, setting, 2);
    }
}
