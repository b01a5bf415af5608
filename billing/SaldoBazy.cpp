#include "billing/SaldoBazy.h"

#include "core/ActivityLog.h"
#include "core/DedicatedSession.h"
#include "core/WorkerThreads.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

std::mutex g_mutex;
std::condition_variable g_done;
// Changed under g_mutex, read by any thread asking how many runs are left.
std::atomic<int> g_running = 0;

// Timing rows belong to the shared connection's LogTemp; the worker never
// touches that connection, so it hands them to the window thread.
void postTimingRow(const QString& name, qint64 ms)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    const QString value = ElapsedTimeText(ms);
    QMetaObject::invokeMethod(
        app,
        [name, value] {
            try {
                LogTempInsert(name, value);
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}

} // namespace

TSaldoBazy::TSaldoBazy(int userIndex, const TSaldoSettings& settings)
    : UserIndex(userIndex), m_settings(settings)
{
}

void TSaldoBazy::Create(int userIndex)
{
    auto t = std::make_shared<TSaldoBazy>(TSaldoBazy(userIndex, ReadSaldoSettings()));
    {
        std::lock_guard lock(g_mutex);
        ++g_running;
    }
    StartWorker([t](const std::atomic<bool>& stop) {
        t->Execute(stop);
        std::lock_guard lock(g_mutex);
        --g_running;
        g_done.notify_all();
    });
}

int TSaldoBazy::Running()
{
    std::lock_guard lock(g_mutex);
    return g_running;
}

bool TSaldoBazy::WaitAll(int timeoutMs)
{
    std::unique_lock lock(g_mutex);
    return g_done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return g_running == 0; });
}

namespace {

// Raised between statements when the program ends: the run's guard rolls back.
struct TStopped
{
};

} // namespace

void TSaldoBazy::Execute(const std::atomic<bool>& stop)
{
    const auto checkStop = [&stop] {
        if (stop.load()) throw TStopped{};
    };
    try {
        TDedicatedSession s(QStringLiteral("saldotmp"));
        try {
            s.ExecQuery(QStringLiteral("SET sql_mode = :p1;"), {QStringLiteral("NO_AUTO_VALUE_ON_ZERO")});
            s.ExecQuery(QStringLiteral("SET max_heap_table_size = 4294967295;"));
        } catch (const EDatabaseError&) {
        }
        // The statements read payments and documents that an open window may be
        // changing: read what is committed instead of waiting for its locks.
        try {
            s.ExecQuery(QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL READ COMMITTED"));
            if (s.GetQueryValueAsInteger(QStringLiteral("select @@log_bin")) == 1)
                s.ExecQuery(QStringLiteral("SET SESSION binlog_format = :p1"), {QStringLiteral("ROW")});
        } catch (const EDatabaseError&) {
        }
        checkStop();
        QElapsedTimer watch;
        postTimingRow(QStringLiteral("TauronBSA_thread_start"), 0);
        watch.start();
        TTransactionGuard tx(&s);
        RunSaldoStatement(&s, UserIndex, m_settings);
        checkStop();
        RunUserCacheStatements(&s, UserIndex, false);
        checkStop();
        tx.commit();
        postTimingRow(QStringLiteral("Saldo usera Thread -> ") + QString::number(UserIndex), watch.elapsed());
        if (UserIndex == 0) {
            watch.restart();
            TTransactionGuard tauron(&s);
            s.ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS TauronAdd_temp"));
            s.ExecQuery(
                QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS TauronAdd_temp (INDEX(TT_INDEX))  "
                               "ENGINE=MyISAM AS (SELECT  "
                               "U_INDEX as TT_INDEX, (select PA_IDZASIEGU from PaDodaneTauron where "
                               "PA_SIMC=U_TER_SYM and "
                               "PA_ULIC=left(U_TER_SYM_UL, 5) and left(lpad(PA_TERC, 7, :p1) "
                               ",6)=left(U_TER_JST, 6)  and "
                               "upper(PA_NR_PORZADKOWY) like if(U_CZYINNALOKALIZACJA=1, upper(U_LOK_NRDOMU), "
                               "upper(U_ADR_NRDOMU)) collate utf8_bin limit 1) as TT_IDPA from Userdb where "
                               "length(U_TER_JST)>3)"),
                {QStringLiteral("0")});
            checkStop();
            s.ExecQuery(
                QStringLiteral("update UserdbAdd left join TauronAdd_temp on UADD_INDEXUSER=TT_INDEX set "
                               "UADD_TAURONBSA = TT_IDPA"));
            s.ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS TauronAdd_temp"));
            tauron.commit();
            postTimingRow(QStringLiteral("TauronBSA_thread"), watch.elapsed());
        }
    } catch (...) {
        // A failed or stopped run shows nothing and leaves nothing half
        // written: the next run computes the same values.
    }
}
