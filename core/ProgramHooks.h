#pragma once
// What the widget-free layers ask of the layers above them: set once at
// start-up (InstallProgramHooks) and by tests. An unset hook does nothing.
#include <QString>
#include <functional>

class QWidget;

struct TProgramHooks
{
    // Starts the background recount of the subscribers' balances.
    std::function<void()> startBalanceRecount;
    // The main window once it exists (nullptr before and after).
    std::function<QWidget*()> mainWindow;
    // Shows the step counter in the main window's status.
    std::function<void(int step)> showStepInStatus;
    // The archive lamp (TArchiveLamp as int) and its hint.
    std::function<void(int lamp, const QString& hint)> archiveLamp;
    // The main window's fourth status panel (archive and restore results).
    std::function<void(const QString& text)> archiveStatus;
    // The subscriber's unsettled documents as a rich-text and a plain list,
    // for the "<#ZOBOWIAZANIALISTA_RTF>"/"_TXT" text variables; while unset
    // those two tokens stay in the text as they are.
    std::function<QString(int userIndex)> unpaidDocumentsRtf;
    std::function<QString(int userIndex)> unpaidDocumentsText;
};

TProgramHooks& ProgramHooks();
