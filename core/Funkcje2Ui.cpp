// The parts of the shared helpers that drive widgets, printers and the main
// window; the rest of Funkcje2.h is widget-free.
#include "core/ActivityLog.h"
#include "core/DateTimePicker.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/ProgramExit.h"
#include "core/ProgramHooks.h"
#include "core/WorkerThreads.h"
#include "platform/DefaultPrinter.h"
#include "platform/ForegroundWindow.h"
#include "platform/SystemSound.h"
#include "platform/TaskbarFlash.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>
#include <chrono>
#include <thread>

namespace {

QWidget* mainWindow()
{
    return ProgramHooks().mainWindow ? ProgramHooks().mainWindow() : nullptr;
}

} // namespace

// ---------------------------------------------------------------- printers

void SetDefaultPrinter(const QString& printerName)
{
    if (!SelectDefaultPrinter(printerName))
        throw EOSError(QStringLiteral("Nieprawidłowa nazwa drukarki: \"%1\"").arg(printerName).toStdString());
}

QString GetDefaultPrinterDevice()
{
    return DefaultPrinterEntry().left(255);
}

// ---------------------------------------------------------------- desktop

QString GetForegroundWindowTitle()
{
    return ForegroundWindowCaption().trimmed();
}

void ShowStepInMainWindow(int step)
{
    QWidget* w = mainWindow();
    if (!w) return;
    if (auto* label = w->findChild<QLabel*>(QStringLiteral("Label1")))
        label->setText(QString::number(step) + QStringLiteral(" -> ") + GetForegroundWindowTitle());
}

bool IsDatePickerChecked(const TDateTimePicker* picker)
{
    return picker && picker->Checked() && picker->Date().isValid();
}

void SetPopupMenu(QWidget* control, QMenu* menu)
{
    if (control) control->setProperty("PopupMenu", QVariant::fromValue<QObject*>(menu));
}

QMenu* PopupMenuOf(const QWidget* control)
{
    if (!control) return nullptr;
    return qobject_cast<QMenu*>(control->property("PopupMenu").value<QObject*>());
}

void PopupMenuBelow(QWidget* control)
{
    if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLabel*>(control)) return;
    QMenu* menu = PopupMenuOf(control);
    if (!menu) return;
    menu->setProperty("Tag", 1);
    menu->popup(control->mapToGlobal(QPoint(0, control->height())) - QPoint(10, 0));
}

void BeepAsync()
{
    PlayDefaultSound();
}

int FlashMainWindowThread()
{
    int steps = 0;
    for (int i = 1; i <= 10; ++i) {
        // Odd toggles switch the flash on, even ones off (its 500 ms run out).
        if (i % 2 == 1) FlashTaskbarEntry([]() -> QWidget* { return mainWindow(); }, 500);
        ++steps;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (i % 2 == 0 && ProgramClosing.load()) break;
    }
    return steps;
}

void FlashMainWindowAsync()
{
    // Joined at program end like every worker (at most five seconds of flashing).
    StartWorker([](const std::atomic<bool>&) { FlashMainWindowThread(); });
}

// ---------------------------------------------------------------- list views

int CountCheckedItems(const QTreeWidget* listView)
{
    if (!listView) return 0;
    int n = 0;
    for (int i = 0; i < listView->topLevelItemCount(); ++i)
        if (listView->topLevelItem(i)->checkState(0) == Qt::Checked) ++n;
    return n;
}

QStringList* GetCheckedItemTexts(const QTreeWidget* listView, QStringList* list, int column)
{
    ORLIX_ASSERT(listView && list && column >= 1, "GetCheckedItemTexts: brak listy lub kolumna < 1");
    if (!listView || !list || column < 1) return list;
    for (int i = 0; i < listView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = listView->topLevelItem(i);
        if (item->checkState(0) != Qt::Checked) continue;
        // Column 1 is the caption (tree column 0); sub-item k is tree column k + 1.
        const int treeColumn = column - 1;
        list->append(treeColumn < item->columnCount() ? item->text(treeColumn) : QString());
    }
    return list;
}

std::function<QString(const QString& title)> BrowseForFolderHook;

bool BrowseForFolder(QWidget* owner, const QString& title, QString& folder)
{
    folder = BrowseForFolderHook
                 ? BrowseForFolderHook(title)
                 : QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
    return !folder.isEmpty();
}
