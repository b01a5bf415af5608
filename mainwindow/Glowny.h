#pragma once
// The main window. Its grids, menus and timers come with their own work; this
// holds what the start-up needs of it: folders, workstation id, the flags.
#include "core/FormEx.h"

#include <atomic>

class QLabel;

class TFormGlowny : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormGlowny(QWidget* parent = nullptr);

    // Read and written by the user-interface thread and worker threads.
    static std::atomic<bool> Closing;
    static std::atomic<bool> PingRunning;
    static std::atomic<bool> VoveRunning;
    static std::atomic<bool> IntruxRunning;

private:
    QLabel* m_info = nullptr;
};

extern TFormGlowny* FormGlowny;
