#pragma once
// The balance recomputation on a connection of its own ("saldotmp"), so that
// a full run never waits for nor joins a window's transaction.
#include "billing/Salda.h"

#include <atomic>

class TSaldoBazy
{
public:
    // Starts the recomputation for one subscriber (0 = all) and returns at
    // once. The two settings it needs are read here, on the caller's thread,
    // before the thread starts. The run is one transaction on its own
    // connection; at program end (StopAndJoinWorkers) a run still going stops
    // after its current statement and rolls back, so it is never cut halfway.
    static void Create(int userIndex);

    // Recomputations still running (program close, tests).
    static int Running();
    // Waits until none is running; false when the time ran out.
    static bool WaitAll(int timeoutMs);

    int UserIndex = 0;

private:
    explicit TSaldoBazy(int userIndex, const TSaldoSettings& settings);
    void Execute(const std::atomic<bool>& stop);
    TSaldoSettings m_settings;
};
