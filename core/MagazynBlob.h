#pragma once
// Stored files: small files every workstation needs (logos, tools, KSeF
// certificates, template attachments) live zipped in table MagazynBlob by
// owner and name, files of documents in MagazynBlob2; they come back into the
// private folder. Also the operator's grid layouts and list-view checks.
#include <QByteArray>
#include <QString>
#include <future>
#include <utility>
#include <vector>

class QTableView;
class QTreeWidget;
class QWidget;

// A packed file of at most this many bytes is stored; one byte more is refused.
constexpr qint64 MaxStoredFileSize = 1024000;

// Creates fileName + ".zip" holding the one file (no path, compression level 1,
// AES-256 when a password is given). A relative name is taken in PrivateFolder.
// Errors raise EZipError.
bool ZipFileWithPassword(const QString& fileName, const QString& password);
bool ZipFile(const QString& fileName);
// Extract every file of the archive; nothing happens when it does not exist.
// Errors are swallowed: UnzipFileTo then returns false, the others true.
// The password given to UnzipWithPassword stays with the shared archiver.
bool UnzipWithPassword(const QString& zipFile, const QString& password);
bool UnzipFileTo(const QString& zipFile, const QString& folder);
// Unpacks PrivateFolder + name + ".zip" into PrivateFolder; the zip is
// deleted after a successful extraction.
bool UnzipFileBlob(const QString& name);

// Stores a file for an owner (0 = shared, else an operator id) under a name,
// zipped unless zip is false. One row per owner and name: a new file replaces
// the old one in one step, so a failed store leaves the old file in place.
// A zip above MaxStoredFileSize is refused with a message (false).
bool StoreFileBlob(int owner, const QString& name, const QString& fileName);
bool StoreFileBlobEx(int owner, const QString& name, const QString& fileName, bool zip);
// A document's file (MagazynBlob2, owner 0); a zip above the limit is refused silently.
bool StoreDocumentFileBlob(const QString& name, const QString& fileName, const QString& docKind, int docId);
// Writes the stored file into PrivateFolder (any old copy is deleted first).
// True unless an error is raised; whether the file came back shows on disk.
bool FetchFileBlob(int owner, const QString& name);

// Grid layouts: one per operator, form, grid and workstation, stored raw.
// The layout holds the columns in their order: field, title, width, visibility.
QString GridLayoutName(const QWidget* form, const QTableView* grid);
QByteArray GridLayoutBytes(const QTableView* grid);
void ApplyGridLayout(QTableView* grid, const QByteArray& layout);
// Stores the grid's layout, then applies it again (errors of that ignored).
void SaveGridLayout(QWidget* form, QTableView* grid);
// Applies the stored layout when there is one; in any case drops the sort
// sign ("+" or "-") that a sorted column's title carries.
void LoadGridLayout(QWidget* form, QTableView* grid);
// Deletes this operator's three main layouts of this workstation.
bool ResetMainGridLayouts();
// Reads the grids' layouts on the calling thread and stores them from a thread
// of their own (logout and close); the future tells when it is done.
std::shared_future<void>
SaveMainGridLayoutsThread(const std::vector<std::pair<QWidget*, QTableView*>>& grids);

// Checked items of a list view (first column checkable, first sub-item in
// column 1), kept per operator in the settings store.
void SaveListViewChecks(QTreeWidget* listView);
void LoadListViewChecks(QTreeWidget* listView);
