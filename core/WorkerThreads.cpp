#include "core/WorkerThreads.h"

#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

namespace {

struct TWorker
{
    std::thread thread;
    std::atomic<bool> stop{false};
    // The worker's last write, read by whichever thread reaps it.
    std::atomic<bool> finished{false};
};

class TRegistry
{
public:
    ~TRegistry() { stopAndJoin(); }

    void start(TWorkerBody body)
    {
        std::lock_guard lock(m_mutex);
        reapFinished();
        TWorker& w = m_workers.emplace_back();
        w.thread = std::thread([this, &w, body = std::move(body)] {
            try {
                body(w.stop);
            } catch (...) {
                // A worker reports its own failures; nothing may escape the thread.
            }
            std::lock_guard lock(m_mutex);
            w.finished = true;
        });
    }

    int running()
    {
        std::lock_guard lock(m_mutex);
        int n = 0;
        for (const TWorker& w : m_workers)
            n += w.finished ? 0 : 1;
        return n;
    }

    void stopAndJoin()
    {
        for (;;) {
            std::list<TWorker> taken;
            {
                std::lock_guard lock(m_mutex);
                if (m_workers.empty()) return;
                for (TWorker& w : m_workers)
                    w.stop = true;
                taken.splice(taken.end(), m_workers);
            }
            // Joined outside the lock: a finishing worker takes it to mark itself done.
            for (TWorker& w : taken)
                if (w.thread.joinable()) w.thread.join();
        }
    }

private:
    // Finished threads are joined here so that their entries can go.
    void reapFinished()
    {
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if (it->finished) {
                it->thread.join();
                it = m_workers.erase(it);
            } else {
                ++it;
            }
        }
    }

    std::mutex m_mutex;
    std::list<TWorker> m_workers;
};

TRegistry& registry()
{
    static TRegistry r;
    return r;
}

} // namespace

void StartWorker(TWorkerBody body)
{
    registry().start(std::move(body));
}

int RunningWorkers()
{
    return registry().running();
}

void StopAndJoinWorkers()
{
    registry().stopAndJoin();
}
