#include "network/MikrotikLogi.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/ProgramExit.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/WorkerThreads.h"
#include "platform/FtpClient.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString field(TQuery* q, const char* name)
{
    return q && q->Active() && !q->IsEmpty() ? q->FieldByName(QLatin1String(name))->AsString() : QString();
}

void setUp(TFtpClient& ftp, const TRouterFtp& router, int readTimeoutMs)
{
    ftp.Host = router.Address;
    ftp.Port = FtpPortFromText(router.Port);
    ftp.Passive = true;
    ftp.ReadTimeoutMs = readTimeoutMs;
    ftp.Username = router.Login;
    ftp.Password = router.Password;
}

QString readLocal(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return Cp1250ToString(f.readAll());
}

struct TLogKind
{
    const char* remote;
    const char* stem;
    bool wait;
    const char* error;
};

void downloadLog(const TRouterFtp& router, const TLogKind& kind, QString& text)
{
    if (router.Address.isEmpty()) return;
    const QString local = RouterLocalFile(QLatin1String(kind.stem), router.Address, QStringLiteral(".log"));
    QFile::remove(local);
    TFtpClient ftp;
    setUp(ftp, router, 2000);
    try {
        ftp.Connect();
        ftp.Download(QLatin1String(kind.remote), local);
        ftp.Disconnect();
        if (kind.wait) WaitForFile(local, 1000);
        text = readLocal(local);
    } catch (const std::exception& e) {
        text = QString::fromUtf8(kind.error) + ftp.Host + kCrLf + QString::fromUtf8(e.what());
    }
}

// One poll at a time. The poll runs as a worker, so the program's end stops
// and joins it like every other thread.
std::mutex pollMutex;
std::condition_variable pollDone;
bool pollRunning = false;

} // namespace

std::atomic<int> MikrotikPollTimeoutMs{1000};

QString RouterLocalFile(const QString& stem, const QString& address, const QString& ext)
{
    return PrivateFolder + stem + QLatin1Char('(') + address + QLatin1Char(')') + ext;
}

TRouterFtp CurrentMikrotikRouter()
{
    TQuery* q = Data ? Data->QMTRouter.get() : nullptr;
    return {field(q, "MIKROTIK_IP"), field(q, "MIKROTIK_PORT"), field(q, "MIKROTIK_LOGIN"),
            field(q, "MIKROTIK_HASLO")};
}

TRouterFtp CurrentIntruxRouter()
{
    TQuery* q = Data ? Data->QIntruxRouter.get() : nullptr;
    return {field(q, "INTRUX_IP"), field(q, "INTRUX_PORT"), field(q, "INTRUX_LOGIN"),
            field(q, "INTRUX_HASLO")};
}

void GetMikrotikLog(QString& text)
{
    downloadLog(CurrentMikrotikRouter(),
                {"config.auto.log", "mikrotik", false,
                 "Bład lub brak pliku log na MikroTiku (prawdopodobnie trwa jeszcze aplikowanie "
                 "konfiguracji)  "},
                text);
}

void GetIntruxLog(QString& text)
{
    downloadLog(CurrentIntruxRouter(),
                {"intrux.log", "intrux", true,
                 "Błąd lub brak pliku log na Intruxie (prawdopodobnie trwa jeszcze aplikowanie "
                 "konfiguracji)  "},
                text);
}

TMikrotikLogState MikrotikLogState(const QString& log)
{
    return log.mid(2, 44) == QLatin1String("Script file loaded and executed successfully")
               ? TMikrotikLogState::Ok
               : TMikrotikLogState::NotOk;
}

TIndicatorLook MikrotikIndicatorLook(TMikrotikLogState state)
{
    switch (state) {
    case TMikrotikLogState::Ok:
        return {QColor(0, 255, 0), QStringLiteral("Konfiguracja OK")};
    case TMikrotikLogState::Error:
        return {QColor(255, 0, 0), QStringLiteral("Błąd procedury!")};
    case TMikrotikLogState::NotOk:
        break;
    }
    return {QColor(192, 192, 192), QStringLiteral("Błąd lub aplikowanie konfiguracji")};
}

TMikrotikIndicatorHooks& MikrotikIndicatorHooks()
{
    static TMikrotikIndicatorHooks hooks;
    return hooks;
}

void MikrotikStatusThreadProc(const TRouterFtp& router, bool barActive)
{
    TIndicatorLook look{QColor(192, 192, 192), QString()};
    if (barActive && !router.Address.isEmpty() && !ProgramClosing) {
        const QString local =
            RouterLocalFile(QStringLiteral("config.auto"), router.Address, QStringLiteral(".log"));
        QFile::remove(local);
        TFtpClient ftp;
        setUp(ftp, router, MikrotikPollTimeoutMs);
        TMikrotikLogState state = TMikrotikLogState::NotOk;
        try {
            ftp.Connect();
            ftp.Download(QStringLiteral("config.auto.log"), local);
            ftp.Disconnect();
            state = MikrotikLogState(readLocal(local));
        } catch (const std::exception&) {
            state = TMikrotikLogState::Error;
        }
        look = MikrotikIndicatorLook(state);
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app,
        [look] {
            const auto& show = MikrotikIndicatorHooks().show;
            if (!show) return;
            try {
                show(look.Color, look.Hint);
            } catch (...) {
                // A failure to paint the indicator is not worth a message every 5 s.
            }
        },
        Qt::QueuedConnection);
}

bool StartMikrotikStatusPoll()
{
    std::unique_lock<std::mutex> lock(pollMutex);
    if (pollRunning) return false;
    // Read before the poll counts as running: a failure here must not block every later poll.
    const auto& active = MikrotikIndicatorHooks().barActive;
    const bool barActive = active && active();
    const TRouterFtp router = CurrentMikrotikRouter();
    pollRunning = true;
    lock.unlock();
    StartWorker([router, barActive](const std::atomic<bool>& stop) {
        try {
            if (!stop) MikrotikStatusThreadProc(router, barActive);
        } catch (...) {
            // The next poll tries again; the indicator keeps its last look.
        }
        {
            std::lock_guard<std::mutex> lock(pollMutex);
            pollRunning = false;
        }
        pollDone.notify_all();
    });
    return true;
}

void WaitMikrotikStatusPoll()
{
    std::unique_lock<std::mutex> lock(pollMutex);
    pollDone.wait(lock, [] { return !pollRunning; });
}

void CheckMikrotikDevices(int routerIndex, QString& report)
{
    if (!ReadIniBool(0, QStringLiteral("MTSprawdzajKonfiguracje"), true)) {
        report = QStringLiteral("Pominięto");
        return;
    }
    struct TCheck
    {
        const char* condition;
        const char* p5;
        const char* okLine;
        const char* finding;
        const char* listed;
    };
    static const TCheck checks[] = {
        {"and M_INDEXINTERFACE=:p5", "", "Interfejsy: OK", ": Urzadzenia bez wypelnionego pola \"Interface\"",
         "M_IP"},
        {"and M_IP=:p5", "0.0.0.0", "Brak IP: OK", ": Urzadzenia bez przypisanego \"IP\"", "M_MAC"},
        {"and M_MAC=:p5", "", "Brak MAC: OK", ": Urzadzenia bez wypelnionego pola \"MAC\"", "M_IP"},
        {"and M_MAC<>:p5 group by M_MAC having count(*)>1", "", "Dublety MAC: OK",
         ": Zdublowane adresy \"MAC\"", "M_MAC"},
        {"and M_IP<>:p5 group by M_IP having count(*)>1", "0.0.0.0", "Dublety IP: OK",
         ": Zdublowane adresy \"IP\"", "M_IP"},
    };
    const QString from = QStringLiteral(
        " from Mac left join Userdb on U_INDEX=M_INDEXUSER where M_CZYDODACDOMT=1 and  (U_DATADEAKTYWACJI > "
        "CURDATE() or U_DATADEAKTYWACJI=:p1) and (U_DATAAKTYWACJI <= CURDATE() and U_DATAAKTYWACJI<>:p2) and "
        "(M_DATAPODLACZENIA<=CURDATE() and M_DATAPODLACZENIA<>:p3) and M_INDEXMT=:p4 ");
    const QString zero = QStringLiteral("0000-00-00");
    TDedicatedSession* s = GlobalSession();
    QStringList lines;
    for (const TCheck& c : checks) {
        const TArgs args{zero, zero, zero, routerIndex, QString::fromUtf8(c.p5)};
        const QString where = from + QLatin1String(c.condition);
        if (s->IsQueryEmpty(QStringLiteral("select (1)") + where, args)) {
            lines << QString::fromUtf8(c.okLine) + kCrLf;
            continue;
        }
        const QString name = s->GetQueryValueAsString(
            QStringLiteral("select MIKROTIK_NAZWA from MTRouter where MIKROTIK_INDEX=:p1"), {routerIndex});
        const QStringList values =
            s->GetQueryValuesAsList(QStringLiteral("select ") + QLatin1String(c.listed) + where, args);
        lines << name + QString::fromUtf8(c.finding) + kCrLf + values.join(kCrLf) + kCrLf;
    }
    report.clear();
    for (const QString& l : lines)
        report += l + kCrLf;
}

void SendMikrotikScriptTo(const QString& address, const QString& port, const QString& login,
                          const QString& password, const QString& scriptText, QString& answer)
{
    if (login.isEmpty() || address.isEmpty()) return;
    TFtpClient ftp;
    setUp(ftp, {address, port, login, password}, 3000);
    try {
        ftp.Connect();
        const QString script =
            RouterLocalFile(QStringLiteral("config.auto"), address, QStringLiteral(".rsc"));
        QFile f(script);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(StringToCp1250(scriptText)) < 0)
            throw EFtpError((QStringLiteral("Nie można zapisać pliku ") + script).toStdString());
        f.close();
        ftp.DeleteIgnoringErrors(QStringLiteral("config.auto.rsc"));
        ftp.Upload(script, QStringLiteral("config.auto.rsc"));
        WaitProcessingMessages(1000);
        ftp.ReadTimeoutMs = 2500;
        const QString log = RouterLocalFile(QStringLiteral("config.auto"), address, QStringLiteral(".log"));
        QFile::remove(log);
        ftp.Download(QStringLiteral("config.auto.log"), log);
        answer = WaitForFile(log, 2500) ? readLocal(log) : QStringLiteral("Brak pootwierdzenia");
        ftp.Disconnect();
    } catch (const std::exception& e) {
        ftp.Disconnect();
        LogEvent(QStringLiteral("Błąd wysyłki na FTP(MT) lub brak potwierdzenia"));
        answer = QStringLiteral("Błąd!  ") + address + QLatin1Char(' ') + QString::fromUtf8(e.what());
    }
}

void SendMikrotikScript(const QString& address, const QString& scriptText, QString& answer)
{
    const QString password = ReadIniString(0, QStringLiteral("MtHasloDomyslne"), QString());
    const QString login = ReadIniString(0, QStringLiteral("MtLoginDomyslny"), QStringLiteral("admin"));
    const QString port = ReadIniString(0, QStringLiteral("MtPortDomyslny"), QStringLiteral("21"));
    SendMikrotikScriptTo(address, port, login, password, scriptText, answer);
}
