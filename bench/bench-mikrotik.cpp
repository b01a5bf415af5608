// MikroTik configuration of a generated ISP against a loopback FTP router:
//   bare_ms         the build's own SELECT of the routers' device rows through bare
//                   Connector/C and the same kind of line assembly (ARP, DHCP, queue)
//   full_script_ms  the section lists and the script of every router
//   full_ratio      full_script_ms / bare_ms (goal <= 2)
//   full_store_ms   recording, comparing and storing every router's lines with
//                   nothing to send (an unchanged differential pass)
//   full_send_ms    the full send of every router: recording, upload, storing
//   diff_lines, diff_ms  with 1% of the devices changed, the differential send
//                   of every router, build and store included (goal < 1000)
//   bench-mikrotik [--subscribers N] [--database NAME] [--socket PATH] [--user U] [--password P] [--keep]
#include "bench/common/BenchSupport.h"
#include "bench/common/Generator.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "network/MikrotikKonfig.h"
#include "network/MikrotikLogi.h"
#include "network/MikrotikWysylka.h"
#include "platform/FtpClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <mysql.h>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-mikrotik [--subscribers N] [--database NAME] [--socket PATH] [--user U] "
                 "[--password P] [--keep]\n");
    return 2;
}

// The device rows of one router as the build reads them, without the access layer.
double bareSelect(const TConnectionParams& p, const std::vector<int>& routers, qint64& lines)
{
    MYSQL* m = mysql_init(nullptr);
    const QByteArray host = p.host.toUtf8(), user = p.user.toUtf8(), pass = p.password.toUtf8(),
                     db = p.database.toUtf8(), socket = p.socket.toUtf8();
    if (!mysql_real_connect(m, host.isEmpty() ? nullptr : host.constData(), user.constData(),
                            pass.constData(), db.constData(), p.port,
                            socket.isEmpty() ? nullptr : socket.constData(), 0)) {
        std::fprintf(stderr, "%s\n", mysql_error(m));
        mysql_close(m);
        return -1;
    }
    mysql_set_character_set(m, "utf8");
    QElapsedTimer t;
    t.start();
    for (int router : routers) {
        // The build's own statement: the same rows and columns travel.
        const QByteArray sql =
            "select Mac.*, Userdb.* from Mac left join Userdb on U_INDEX=M_INDEXUSER where M_CZYDODACDOMT=1 "
            "and  (U_DATADEAKTYWACJI > CURDATE() or U_DATADEAKTYWACJI='0000-00-00') and (U_DATAAKTYWACJI <= "
            "CURDATE() and U_DATAAKTYWACJI<>'0000-00-00') and (M_DATAPODLACZENIA<=CURDATE() and "
            "M_DATAPODLACZENIA<>'0000-00-00') and M_INDEXMT=" +
            QByteArray::number(router) + " order by M_INDEXUSER";
        mysql_real_query(m, sql.constData(), sql.size());
        MYSQL_RES* res = mysql_store_result(m);
        int cId = 0, cUser = 0, cIp = 0, cMac = 0, cDown = 0, cUp = 0;
        if (res) {
            const MYSQL_FIELD* f = mysql_fetch_fields(res);
            for (unsigned i = 0; i < mysql_num_fields(res); ++i) {
                const QByteArray n(f[i].name);
                if (n == "M_INDEX") cId = int(i);
                if (n == "M_INDEXUSER") cUser = int(i);
                if (n == "M_IP") cIp = int(i);
                if (n == "M_MAC") cMac = int(i);
                if (n == "M_PASMODOWNLOADDZIEN") cDown = int(i);
                if (n == "M_PASMOUPLOADDZIEN") cUp = int(i);
            }
        }
        QStringList out;
        while (MYSQL_ROW row = res ? mysql_fetch_row(res) : nullptr) {
            const QString id = QString::fromUtf8(row[cId]), ip = QString::fromUtf8(row[cIp]),
                          mac = QString::fromUtf8(row[cMac]).toUpper();
            out << QStringLiteral("/ip arp add address=") + ip + QStringLiteral(" mac-address=") + mac +
                       QStringLiteral(" interface=ether2 comment=orlix4sql_") + id;
            out << QStringLiteral("/ip dhcp-server lease add address=") + ip +
                       QStringLiteral(" mac-address=") + mac +
                       QStringLiteral(" server=ether2 comment=orlix4sql_") + id;
            const QString name = QString::fromUtf8(row[cUser]) + QLatin1Char('_') + id;
            out << QStringLiteral("/queue simple add max-limit=") + QString::fromUtf8(row[cUp]) +
                       QLatin1Char('/') + QString::fromUtf8(row[cDown]) +
                       QStringLiteral(" parent=global target=") + ip + QStringLiteral("/32 name=") + name +
                       QStringLiteral(" comment=orlix4sql_") + name;
        }
        if (res) mysql_free_result(res);
        lines += out.size();
    }
    const double ms = MsSince(t);
    mysql_close(m);
    return ms;
}

TMikrotikRouter routerRow(int index)
{
    TQuery* q = Data->QMTRouter.get();
    q->Locate(QStringLiteral("MIKROTIK_INDEX"), index);
    return MikrotikRouterFromRow(*q);
}

qint64 countLines(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TGeneratorOptions options;
    options.subscribers = 20000;
    bool keep = false;
    QString database = QStringLiteral("orlix6_bench_mikrotik");
    TBenchServer server;
    std::vector<TBenchOption> table = {
        {QStringLiteral("--keep"), [&](const QString&) { keep = true; }, true},
        {QStringLiteral("--subscribers"), [&](const QString& v) { options.subscribers = v.toInt(); }},
        {QStringLiteral("--database"), [&](const QString& v) { database = v; }}};
    server.AddOptions(table);
    if (!ParseBenchArgs(app.arguments(), table) || options.subscribers <= 0) return usage();
    TConnectionParams params = server.Params(false);
    params.database = database;

    QTemporaryDir priv, ftpRoot;
    PrivateFolder = priv.path() + QLatin1Char('/');
    QProcess ftp;
    ftp.setProcessChannelMode(QProcess::MergedChannels);
    ftp.start(QStringLiteral("/usr/bin/python3"),
              {QStringLiteral("-B"), QStringLiteral(ORLIX_SOURCE_DIR "/tests/network/stub/ftp_router.py"),
               QStringLiteral("--root"), ftpRoot.path(), QStringLiteral("--user"), QStringLiteral("admin"),
               QStringLiteral("--password"), QStringLiteral("tajne")});
    int port = 0;
    for (int i = 0; i < 200 && !port; ++i) {
        ftp.waitForReadyRead(100);
        const auto m =
            QRegularExpression(QStringLiteral("PORT (\\d+)")).match(QString::fromUtf8(ftp.readAll()));
        if (m.hasMatch()) port = m.captured(1).toInt();
    }
    if (!port) {
        std::fprintf(stderr, "the loopback FTP router did not start\n");
        return 1;
    }

    try {
        BenchEnsureDatabase(params);
        {
            TBenchDatabase db(params);
            if (!db.Open()) return 1;
            TDedicatedSession* s = db.Session();
            if (BenchDatabaseEmpty(s) || s->GetQueryValueAsInteger(QStringLiteral(
                                             "select count(*) from Userdb")) != options.subscribers) {
                db.MakeEmpty();
                s = db.Session();
                BenchCreateSchema(ProgramFolder());
                const TGeneratorResult r = GenerateIsp(s, options);
                std::printf("database %s made: %lld subscribers, %lld devices, %lld routers\n",
                            qPrintable(database), r.subscribers, r.devices, r.routers);
            }
            // Every router is the loopback one; only the lists the build always sends.
            s->ExecQuery(
                QStringLiteral("update MTRouter set MIKROTIK_IP='127.0.0.1', MIKROTIK_PORT=:p1, "
                               "MIKROTIK_LOGIN='admin', MIKROTIK_HASLO='tajne', MIKROTIK_CZYAKTYWNY=1, "
                               "MIKROTIK_WYSLIJHAZARD=0"),
                {QString::number(port)});
            s->ExecQuery(QStringLiteral("delete from MTconf"));
            WriteIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), 0);
            const std::vector<int> routers = [&] {
                std::vector<int> v;
                for (const QString& k : s->GetQueryValuesAsList(
                         QStringLiteral("select MIKROTIK_INDEX from MTRouter order by MIKROTIK_INDEX")))
                    v.push_back(k.toInt());
                return v;
            }();
            const qint64 devices = s->GetQueryValueAsInteger(QStringLiteral("select count(*) from Mac"));
            TData data;
            Data = &data;
            data.QMTRouter->Open();

            qint64 bareLines = 0;
            const double bare = bareSelect(params, routers, bareLines);

            std::vector<TMikrotikSections> built;
            QElapsedTimer t;
            t.start();
            qint64 scriptLines = 0;
            for (int r : routers) {
                built.push_back(BuildMikrotikSections(routerRow(r), true));
                const TMikrotikSections& b = built.back();
                const QStringList script = QStringList() << b.Arp << b.Queue << b.Dhcp << b.Lists << b.Hazard
                                                         << b.Nat << b.Pppoe << b.Address;
                scriptLines += script.join(QStringLiteral("\r\n")).count(QLatin1Char('\n')) + 1;
            }
            const double fullScript = MsSince(t);

            t.restart();
            for (size_t i = 0; i < routers.size(); ++i) {
                const TMikrotikRouter r = routerRow(routers[i]);
                MikrotikBuildStarted();
                PrepareMikrotikFtp(SharedFtpClient(), r);
                SendMikrotikSections(r, built[i], true, SharedFtpClient());
            }
            const double fullSend = MsSince(t);

            // Nothing changed: every router is compared and stored, nothing travels.
            t.restart();
            for (int id : routers) {
                const TMikrotikRouter r = routerRow(id);
                TMikrotikSections same = BuildMikrotikSections(r, false);
                MikrotikBuildStarted();
                SendMikrotikSections(r, same, false, SharedFtpClient());
            }
            const double unchanged = MsSince(t);
            // The build's part of that pass, measured on its own.
            t.restart();
            for (int id : routers)
                BuildMikrotikSections(routerRow(id), false);
            const double rebuild = MsSince(t);

            // The last byte alternates, so a run on a kept database changes the devices again.
            s->ExecQuery(
                QStringLiteral("update Mac set M_MAC=concat('02:00:00:', lpad(hex(M_INDEX mod 256), 2, '0'), "
                               "if(M_MAC like '%:00:01', ':00:02', ':00:01')) where M_INDEX mod 100 = 0"));
            qint64 diffLines = 0;
            t.restart();
            for (int id : routers) {
                const TMikrotikRouter r = routerRow(id);
                MikrotikBuildStarted();
                PrepareMikrotikFtp(SharedFtpClient(), r);
                TMikrotikSections diff = BuildMikrotikSections(r, false);
                if (SendMikrotikSections(r, diff, false, SharedFtpClient()) == TMikrotikSendOutcome::Sent)
                    diffLines += countLines(
                        RouterLocalFile(QStringLiteral("config.auto"), r.Ip, QStringLiteral(".rsc")));
            }
            const double diffMs = MsSince(t);

            std::printf("subscribers: %d, devices: %lld, routers: %zu, script lines: %lld (bare %lld)\n",
                        options.subscribers, devices, routers.size(), scriptLines, bareLines);
            std::printf("bare_ms: %.1f\n", bare);
            std::printf("full_script_ms: %.1f\n", fullScript);
            std::printf("full_ratio: %.2f\n", bare > 0 ? fullScript / bare : 0.0);
            std::printf("full_store_ms: %.1f\n", unchanged - rebuild);
            std::printf("full_send_ms: %.1f\n", fullSend);
            std::printf("diff_lines: %lld\n", diffLines);
            std::printf("diff_ms: %.1f\n", diffMs);
            data.CloseDatasets();
            Data = nullptr;
        }
        if (!keep) BenchDropDatabase(params);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        ftp.kill();
        ftp.waitForFinished(3000);
        return 1;
    }
    ftp.kill();
    ftp.waitForFinished(3000);
    return 0;
}
