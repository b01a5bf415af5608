#pragma once
// Shared helpers around the desktop, files and printers: waits that keep the
// window alive, file copy and delete, the default printer, the clipboard,
// key state, sounds and flashing, pop-up menus, list selections, the font
// file, bar codes, file MD5 and the address book for the hybrid-mail service.
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

class QTreeWidget;
class QWidget;
class QMenu;
class TDateTimePicker;

// A file that could not be opened, read or written.
class EInOutError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A Windows-style system failure (the default printer could not be set).
class EOSError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// ---- waits (window messages, timers and clicks are processed meanwhile)
// Ms milliseconds, then the default cursor.
void WaitProcessingMessages(int ms);
// Polls every 100 ms (busy cursor) until the file exists or TimeoutMs passed,
// then waits another tenth of TimeoutMs in any case so a writer can finish.
// True when the file exists at the end.
bool WaitForFile(const QString& fileName, int timeoutMs);
bool WaitForFileDefault(const QString& fileName); // 7000 ms

// ---- files
// Target deleted first, then Source copied in blocks of 4096 bytes; raises EInOutError.
void CopyFileByBlocks(const QString& source, const QString& target);
// A file, a folder with its content, or a wildcard mask; silent. True on success.
bool DeleteFilesShell(const QString& path);
// 32 upper-case hex digits of the file's MD5; raises EInOutError.
QString FileMd5Hex(const QString& fileName);
// Fills FontName and FontSize from ProgramFolder + FileName when it has two lines.
void LoadFontSettings(const QString& fileName);
extern QString FontName; // empty until "czcionka.ini" names one
extern int FontSize;     // 0 until then

// ---- printers
// Makes the printer the default for this program's printouts; raises EOSError.
void SetDefaultPrinter(const QString& printerName);
// "name,driver,port" of the default printer, at most 255 characters; empty when none.
QString GetDefaultPrinterDevice();

// ---- desktop
void CopyTextToClipboard(const QString& text);
bool IsCtrlPressed();
QString GetForegroundWindowTitle();
// Counts calls and shows "<count> -> <foreground title>" in the main window's Label1.
void ShowStepInStatus();
// The main window's part of that (the hook InstallProgramHooks sets).
void ShowStepInMainWindow(int step);
int StepInStatusCount();
bool IsDatePickerChecked(const TDateTimePicker* picker);
// The pop-up menu a button or label opens below itself (PopupMenuBelow).
void SetPopupMenu(QWidget* control, QMenu* menu);
QMenu* PopupMenuOf(const QWidget* control);
// Opens the control's pop-up menu at its left edge - 10 px, below it; sets the
// menu's "Tag" property to 1. Other controls, or none with a menu: nothing.
void PopupMenuBelow(QWidget* control);
// The folder picker, file-system folders only: false and an empty folder
// when cancelled. Tests answer it through BrowseForFolderHook.
bool BrowseForFolder(QWidget* owner, const QString& title, QString& folder);
extern std::function<QString(const QString& title)> BrowseForFolderHook;
// The bell, without waiting.
void BeepAsync();
// Flashes the main window's taskbar entry five times on a thread of its own.
void FlashMainWindowAsync();
// The thread's body: ten toggles 500 ms apart, stopping after an even toggle
// once the main window is closing. Returns the toggles made.
int FlashMainWindowThread();

// ---- list views (a QTreeWidget with checkable items)
int CountCheckedItems(const QTreeWidget* listView);
// Appends, for every checked item in order, its caption (Column 1) or its
// sub-item Column - 2 (empty when missing). Column below 1 or a missing list
// or list view is an assertion failure.
QStringList* GetCheckedItemTexts(const QTreeWidget* listView, QStringList* list, int column);

// ---- database
// Rows of "SHOW INDEXES FROM" the table (one per index column); 0 for no name.
int CountTableIndexes(const QString& table);

// ---- printouts
// Code 128 (subset B) picture of Text; a null image for the empty text.
QImage MakeCode128Picture(const QString& text);

// ---- hybrid-mail address book
// The main grid's selection, kept by the subscriber grid on every open:
// " WHERE U_INDEX in (...) " and its ORDER BY part.
extern QString MainUserWhere;
extern QString MainUserIdList;
extern QString MainUserOrderBy;
// Writes ExportFolder + "KsiazkaAdresowaEnvelo.csv" for one subscriber, or for
// the subscribers of the main grid when UserId is 0, and tells the operator.
// Returns the file's name.
QString ExportEnveloAddressBook(int userId);
// One CSV field: quoted (inner quotes doubled) when it holds the separator, a
// quote or a line break.
QString CsvField(const QString& value, QChar separator = QLatin1Char(','));
