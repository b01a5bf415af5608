#pragma once
// Threads that work beside the windows (balance runs, layout saving, the
// taskbar flash). Each opens its own connection in its body when it needs
// one, and every thread is told to stop and joined before the program ends,
// so none outlives the objects it uses.
#include <atomic>
#include <functional>

using TWorkerBody = std::function<void(const std::atomic<bool>& stop)>;

// Runs body on a new thread; body looks at stop between its steps and, when
// it is set, ends early leaving nothing half done.
void StartWorker(TWorkerBody body);
// Threads started and not yet finished.
int RunningWorkers();
// Tells every running worker to stop and joins all of them (program end,
// end of a test). Workers started meanwhile are joined too.
void StopAndJoinWorkers();
