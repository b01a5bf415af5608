#include "core/MagazynBlob.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "core/WorkerThreads.h"
#include "platform/ZipArchive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTableView>
#include <QTreeWidget>
#include <cmath>

namespace {

QString inPrivateFolder(const QString& fileName)
{
    return QFileInfo(fileName).isAbsolute() ? fileName : QDir(PrivateFolder).filePath(fileName);
}

TQuery* blobQuery()
{
    if (!Data) throw EDatabaseError(QStringLiteral("The data module is not created"));
    return Data->QMagazynBlob.get();
}

// Closes a stored-file dataset whatever happens, dropping an unposted row.
struct CloseAfter
{
    TQuery* q;
    ~CloseAfter()
    {
        q->Cancel();
        q->Close();
    }
};

QByteArray readWhole(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()),
                             QStringLiteral("EFOpenError"));
    return f.readAll();
}

// Appends a new row through the dataset and then deletes the rows it
// replaces, inside one transaction of the shared session (a savepoint of the
// caller's, when one is open). A failing insert or delete leaves the old row
// in place.
void replaceRow(TQuery* q, const QString& table, const std::vector<std::pair<QString, TArg>>& identity,
                const std::vector<std::pair<QString, TArg>>& extra, const QByteArray& content)
{
    TDedicatedSession* s = GlobalSession();
    TTransactionGuard tx(s);
    {
        CloseAfter closer{q};
        q->Close();
        q->SetSQL(QStringLiteral("select * from %1 where 1=2").arg(table));
        q->Open();
        q->Append();
        for (const auto& fields : {identity, extra}) {
            for (const auto& [name, value] : fields) {
                TParam p;
                p.Assign(value);
                q->FieldByName(name)->SetAsString(p.Text);
            }
        }
        q->FieldByName(QStringLiteral("MB_PLIK"))->SetValue(QVariant(content));
        q->Post();
        const int newIndex = q->FieldByName(QStringLiteral("MB_INDEX"))->AsInteger();
        QStringList where;
        TArgs args;
        for (const auto& [name, value] : identity) {
            where << QStringLiteral("%1=:p%2").arg(name).arg(args.size() + 1);
            args.push_back(value);
        }
        args.push_back(newIndex);
        s->ExecQuery(QStringLiteral("delete from %1 where %2 and MB_INDEX<>:p%3")
                         .arg(table, where.join(QStringLiteral(" and ")))
                         .arg(args.size()),
                     args);
    }
    tx.commit();
}

void replaceStoredFile(int owner, const QString& name, const QByteArray& content)
{
    replaceRow(blobQuery(), QStringLiteral("MagazynBlob"),
               {{QStringLiteral("MB_PRIV"), owner}, {QStringLiteral("MB_NAZWA"), name}}, {}, content);
}

QString sizeMessage(qint64 size)
{
    const qint64 kb = qint64(std::llround(double(size) / 1024.0));
    return QStringLiteral("Zbyt duży rozmiar pliku (przekracza po spakowaniu 1 MB)  ") +
           QLocale::system().toString(kb) + QStringLiteral(" kB");
}

// The zip is removed however the store ends.
struct RemoveFile
{
    QString path;
    ~RemoveFile()
    {
        if (!path.isEmpty()) QFile::remove(path);
    }
};

bool extract(const QString& zipFile, const QString& folder)
{
    if (!QFileInfo::exists(zipFile)) return false;
    try {
        SharedZipForge.ExtractAll(zipFile, folder);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// ------------------------------------------------ grid layouts

QString stripSortSign(QString title)
{
    if (title.endsWith(QLatin1Char('+')) || title.endsWith(QLatin1Char('-'))) title.chop(1);
    return title;
}

// What names a column across sessions: its field, or its title for other models.
QString columnId(const QTableView* grid, int logical)
{
    if (const auto* m = qobject_cast<const TQueryModel*>(grid->model())) {
        if (logical < int(m->Columns().size())) return m->Columns()[size_t(logical)].FieldName;
    }
    return stripSortSign(grid->model()->headerData(logical, Qt::Horizontal).toString());
}

QString columnTitle(const QTableView* grid, int logical)
{
    return grid->model()->headerData(logical, Qt::Horizontal).toString();
}

// Sets the titles by logical column; the sort signs go in any case.
void setTitles(QTableView* grid, std::vector<QString> titles)
{
    QAbstractItemModel* model = grid->model();
    for (QString& t : titles)
        t = stripSortSign(t);
    if (auto* m = qobject_cast<TQueryModel*>(model)) {
        if (m->Columns().empty()) return; // the fields' own names carry no sign
        std::vector<TQueryColumn> cols = m->Columns();
        bool changed = false;
        for (size_t i = 0; i < cols.size() && i < titles.size(); ++i) {
            if (cols[i].Caption == titles[i]) continue;
            cols[i].Caption = titles[i];
            changed = true;
        }
        if (changed) m->SetColumns(cols);
        return;
    }
    for (int i = 0; i < model->columnCount() && size_t(i) < titles.size(); ++i)
        if (columnTitle(grid, i) != titles[size_t(i)])
            model->setHeaderData(i, Qt::Horizontal, titles[size_t(i)]);
}

std::vector<QString> currentTitles(const QTableView* grid)
{
    std::vector<QString> out;
    for (int i = 0; i < grid->model()->columnCount(); ++i)
        out.push_back(columnTitle(grid, i));
    return out;
}

const char* kMainLayouts[][2] = {
    {"TFormGlowny", "DBGrid1"}, {"TFormGlowny", "DBGrid2"}, {"TFormUser", "DBGrid1"}};

// Stores layouts from a worker thread: its own dataset on the shared session,
// the new row first and the old one deleted after, no transaction (the
// user-interface thread may hold one on the same connection).
// Runs on the saver's thread, on a connection of its own: it never waits for
// nor joins a transaction the window thread has open. Each layout replaces
// the older one in one transaction.
void storeLayoutsFromThread(const std::vector<std::pair<QString, QByteArray>>& layouts, int op)
{
    const std::unique_ptr<TDedicatedSession> s =
        TDedicatedSession::OpenConnection(QStringLiteral("UkladySiatek"));
    TQuery q(s.get());
    q.RequestLive = true;
    q.SetSQL(QStringLiteral("select * from MagazynBlob where 1=2"));
    for (const auto& [name, bytes] : layouts) {
        TTransactionGuard tx(s.get());
        q.Open();
        q.Append();
        q.FieldByName(QStringLiteral("MB_PRIV"))->SetAsInteger(op);
        q.FieldByName(QStringLiteral("MB_NAZWA"))->SetAsString(name);
        q.FieldByName(QStringLiteral("MB_PLIK"))->SetValue(QVariant(bytes));
        q.FieldByName(QStringLiteral("MB_OPERATORID"))->SetAsInteger(op);
        q.FieldByName(QStringLiteral("MB_DATAMODYFIKACJI"))->SetAsDateTime(QDateTime::currentDateTime());
        q.Post();
        const int newIndex = q.FieldByName(QStringLiteral("MB_INDEX"))->AsInteger();
        q.Close();
        s->ExecQuery(
            QStringLiteral("delete from MagazynBlob where MB_PRIV=:p1 and MB_NAZWA=:p2 and MB_INDEX<>:p3"),
            {op, name, newIndex});
        tx.commit();
    }
}

} // namespace

// ---------------------------------------------------------------- zip

bool ZipFileWithPassword(const QString& fileName, const QString& password)
{
    TZipArchiver archiver;
    archiver.CompressionLevel = 1;
    archiver.Password = password;
    const QString file = inPrivateFolder(fileName);
    archiver.CreateArchive(file + QStringLiteral(".zip"), {file});
    return true;
}

bool ZipFile(const QString& fileName)
{
    return ZipFileWithPassword(fileName, QString());
}

bool UnzipWithPassword(const QString& zipFile, const QString& password)
{
    if (!QFileInfo::exists(zipFile)) return true;
    SharedZipForge.Password = password;
    extract(zipFile, PrivateFolder);
    return true;
}

bool UnzipFileTo(const QString& zipFile, const QString& folder)
{
    return extract(zipFile, folder);
}

bool UnzipFileBlob(const QString& name)
{
    const QString zip = QDir(PrivateFolder).filePath(name + QStringLiteral(".zip"));
    if (extract(zip, PrivateFolder)) QFile::remove(zip);
    return true;
}

// ---------------------------------------------------------------- stored files

bool StoreFileBlob(int owner, const QString& name, const QString& fileName)
{
    return StoreFileBlobEx(owner, name, fileName, true);
}

bool StoreFileBlobEx(int owner, const QString& name, const QString& fileName, bool zip)
{
    RemoveFile zipFile;
    QString source = fileName;
    if (zip) {
        if (!ZipFile(fileName)) return false;
        source = inPrivateFolder(fileName) + QStringLiteral(".zip");
        zipFile.path = source;
        const qint64 size = QFileInfo(source).size();
        if (size > MaxStoredFileSize) {
            TMD::MessageDlg(sizeMessage(size), mtError, mbOK);
            return false;
        }
    }
    replaceStoredFile(owner, name, readWhole(source));
    return true;
}

bool StoreDocumentFileBlob(const QString& name, const QString& fileName, const QString& docKind, int docId)
{
    // The shared archiver keeps this level for its later users.
    SharedZipForge.CompressionLevel = 5;
    if (!ZipFile(fileName)) return false;
    RemoveFile zipFile{inPrivateFolder(fileName) + QStringLiteral(".zip")};
    if (QFileInfo(zipFile.path).size() > MaxStoredFileSize) return false;
    if (!Data) throw EDatabaseError(QStringLiteral("The data module is not created"));
    replaceRow(Data->QMagazynBlob2.get(), QStringLiteral("MagazynBlob2"),
               {{QStringLiteral("MB_PRIV"), 0},
                {QStringLiteral("MB_NAZWA"), name},
                {QStringLiteral("MB_INDEXDOC"), docId},
                {QStringLiteral("MB_TYPDOC"), docKind}},
               {}, readWhole(zipFile.path));
    return true;
}

bool FetchFileBlob(int owner, const QString& name)
{
    const QDir dir(PrivateFolder);
    const QString zip = dir.filePath(name + QStringLiteral(".zip"));
    QFile::remove(dir.filePath(name));
    QFile::remove(zip);
    TQuery* q = blobQuery();
    {
        CloseAfter closer{q};
        q->Close();
        q->SetSQL(QStringLiteral("select * from MagazynBlob where MB_PRIV=:p1 and MB_NAZWA=:p2"));
        q->BindArgs({owner, name});
        q->Open();
        if (q->Locate(QStringLiteral("MB_NAZWA;MB_PRIV"), {name, owner})) {
            QFile out(zip);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw EDatabaseError(
                    QStringLiteral("Cannot create file \"%1\". %2").arg(zip, out.errorString()),
                    QStringLiteral("EFCreateError"));
            out.write(q->FieldByName(QStringLiteral("MB_PLIK"))->AsBytes());
        }
    }
    if (QFileInfo::exists(zip)) UnzipFileBlob(name);
    return true;
}

// ---------------------------------------------------------------- grid layouts

QString GridLayoutName(const QWidget* form, const QTableView* grid)
{
    return QString::fromLatin1(form->metaObject()->className()) + grid->objectName() + QStringLiteral("_") +
           HostId;
}

QByteArray GridLayoutBytes(const QTableView* grid)
{
    const QHeaderView* header = grid->horizontalHeader();
    QJsonArray columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        QJsonObject c;
        c[QStringLiteral("field")] = columnId(grid, logical);
        c[QStringLiteral("title")] = columnTitle(grid, logical);
        c[QStringLiteral("width")] = header->sectionSize(logical);
        c[QStringLiteral("visible")] = !header->isSectionHidden(logical);
        columns.append(c);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("columns"), columns}}).toJson(QJsonDocument::Compact);
}

void ApplyGridLayout(QTableView* grid, const QByteArray& layout)
{
    const QJsonArray columns =
        QJsonDocument::fromJson(layout).object().value(QStringLiteral("columns")).toArray();
    QHeaderView* header = grid->horizontalHeader();
    std::vector<QString> titles = currentTitles(grid);
    for (const QJsonValue& v : columns) {
        const QJsonObject c = v.toObject();
        for (int i = 0; i < header->count(); ++i)
            if (columnId(grid, i) == c.value(QStringLiteral("field")).toString())
                titles[size_t(i)] = c.value(QStringLiteral("title")).toString(titles[size_t(i)]);
    }
    // Titles first: a model that resets for them would forget widths set before.
    setTitles(grid, titles);
    int visual = 0;
    for (const QJsonValue& v : columns) {
        const QJsonObject c = v.toObject();
        int logical = -1;
        for (int i = 0; i < header->count() && logical < 0; ++i)
            if (columnId(grid, i) == c.value(QStringLiteral("field")).toString()) logical = i;
        if (logical < 0) continue;
        header->moveSection(header->visualIndex(logical), visual++);
        const int width = c.value(QStringLiteral("width")).toInt();
        if (width > 0) header->resizeSection(logical, width);
        header->setSectionHidden(logical, !c.value(QStringLiteral("visible")).toBool(true));
    }
}

void SaveGridLayout(QWidget* form, QTableView* grid)
{
    replaceStoredFile(OperatorId, GridLayoutName(form, grid), GridLayoutBytes(grid));
    try {
        LoadGridLayout(form, grid);
    } catch (const std::exception&) {
    }
}

void LoadGridLayout(QWidget* form, QTableView* grid)
{
    TQuery* q = blobQuery();
    const QString name = GridLayoutName(form, grid);
    QByteArray layout;
    {
        CloseAfter closer{q};
        q->Close();
        q->SetSQL(QStringLiteral("select * from MagazynBlob where MB_PRIV=:p1 and MB_NAZWA=:p2"));
        q->BindArgs({OperatorId, name});
        q->Open();
        if (q->Locate(QStringLiteral("MB_NAZWA;MB_PRIV"), {name, OperatorId}))
            layout = q->FieldByName(QStringLiteral("MB_PLIK"))->AsBytes();
    }
    if (!grid->model()) return;
    if (!layout.isEmpty()) ApplyGridLayout(grid, layout);
    setTitles(grid, currentTitles(grid));
}

bool ResetMainGridLayouts()
{
    TArgs args{OperatorId};
    for (const auto& l : kMainLayouts)
        args.push_back(QLatin1String(l[0]) + QLatin1String(l[1]) + QStringLiteral("_") + HostId);
    GlobalSession()->ExecQuery(
        QStringLiteral(
            "delete from MagazynBlob where MB_PRIV=:p1 and (MB_NAZWA=:p2 or MB_NAZWA=:p3 or MB_NAZWA=:p4)"),
        args);
    return true;
}

std::shared_future<void> SaveMainGridLayoutsThread(const std::vector<std::pair<QWidget*, QTableView*>>& grids)
{
    // Widgets are read here, on their own thread; only the database work moves.
    std::vector<std::pair<QString, QByteArray>> layouts;
    for (const auto& [form, grid] : grids)
        if (form && grid && grid->model())
            layouts.emplace_back(GridLayoutName(form, grid), GridLayoutBytes(grid));
    const int op = OperatorId;
    auto task =
        std::make_shared<std::packaged_task<void()>>([layouts, op] { storeLayoutsFromThread(layouts, op); });
    std::shared_future<void> done = task->get_future().share();
    StartWorker([task](const std::atomic<bool>&) { (*task)(); });
    return done;
}

// ---------------------------------------------------------------- list-view checks

void SaveListViewChecks(QTreeWidget* listView)
{
    QString value;
    bool anyChecked = false;
    for (int i = 0; i < listView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = listView->topLevelItem(i);
        const bool checked = item->checkState(0) == Qt::Checked;
        anyChecked = anyChecked || checked;
        value += item->text(1) + (checked ? QStringLiteral("=1 ") : QStringLiteral("=0 "));
    }
    if (!anyChecked) value.clear();
    TDbIni ini(QStringLiteral("app"), OperatorId);
    ini.WriteString(QStringLiteral("Var"), listView->objectName(), value);
    ini.WriteString(QStringLiteral("Var"), listView->objectName() + QStringLiteral(".Caption"),
                    listView->headerItem() ? listView->headerItem()->text(0) : QString());
}

void LoadListViewChecks(QTreeWidget* listView)
{
    const TDbIni ini(QStringLiteral("app"), OperatorId);
    const QString value = ini.ReadString(QStringLiteral("Var"), listView->objectName(), QString());
    if (!value.isEmpty() && listView->topLevelItemCount() > 0) {
        for (const QString& token : value.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const qsizetype eq = token.indexOf(QLatin1Char('='));
            if (eq < 0 || token.mid(eq + 1, 1) != QLatin1String("1")) continue;
            const QString key = token.left(eq);
            for (int i = 0; i < listView->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = listView->topLevelItem(i);
                if (item->text(1) == key) item->setCheckState(0, Qt::Checked);
            }
        }
    }
    const QString caption =
        ini.ReadString(QStringLiteral("Var"), listView->objectName() + QStringLiteral(".Caption"), QString());
    if (!caption.isEmpty() && listView->headerItem()) listView->headerItem()->setText(0, caption);
}
