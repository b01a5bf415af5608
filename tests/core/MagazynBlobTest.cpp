// Stored files, their zip operations, grid layouts and list-view checks.
#include "core/MagazynBlob.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "platform/ZipArchive.h"
#include "tests/support/TestDb.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <zip.h>

namespace {

QByteArray noise(qint64 n, quint64 seed)
{
    QByteArray out(n, Qt::Uninitialized);
    for (qint64 i = 0; i < n; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        out[i] = char(seed >> 56);
    }
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A form class of its own, so layout names carry a known class name.
class TFormProba : public QWidget
{
    Q_OBJECT
};

} // namespace

class MagazynBlobTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        RunScript(QStringLiteral(ORLIX_SOURCE_DIR "/sql/TerytStruktura.sql"));
        ASSERT_FALSE(HasFatalFailure());
        UpgradeSchema(nullptr);
        ASSERT_TRUE(m_priv.isValid() && m_src.isValid());
        m_savedPrivate = PrivateFolder;
        PrivateFolder = m_priv.path() + QLatin1Char('/');
        m_savedHost = HostId;
        HostId = QStringLiteral("aa-bb-cc-dd-ee-ff");
        OperatorId = 5;
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
        SharedZipForge = TZipArchiver();
    }
    void TearDown() override
    {
        m_data.reset();
        Data = nullptr;
        OperatorId = 0;
        PrivateFolder = m_savedPrivate;
        HostId = m_savedHost;
        TMD::ClearTestHook();
        DbTest::TearDown();
    }

    QString src(const QString& name) const { return m_src.filePath(name); }
    QString priv(const QString& name) const { return m_priv.filePath(name); }
    int rows(const QString& where, const TArgs& args = {}) const
    {
        return S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from MagazynBlob where ") + where,
                                           args);
    }
    // A file whose zip (as ZipFile makes it) has exactly `zipSize` bytes.
    QString fileWithZipSize(qint64 zipSize)
    {
        for (int nameLength = 8; nameLength < 20; ++nameLength) {
            const QString path = src(QString(nameLength, QLatin1Char('f')));
            qint64 n = zipSize - 400;
            for (int step = 0; step < 12; ++step) {
                if (!writeFile(path, noise(n, 99)) || !ZipFile(path)) return QString();
                const qint64 got = QFileInfo(path + QStringLiteral(".zip")).size();
                QFile::remove(path + QStringLiteral(".zip"));
                if (got == zipSize) return path;
                n += zipSize - got;
            }
            QFile::remove(path);
        }
        return QString();
    }

    QTemporaryDir m_priv, m_src;
    QString m_savedPrivate, m_savedHost;
    std::unique_ptr<TData> m_data;
};

TEST_F(MagazynBlobTest, StoredFileComesBackIntoThePrivateFolder)
{
    const QByteArray content = noise(5000, 1) + QByteArray(3000, 'x');
    ASSERT_TRUE(writeFile(src("mojelogo.jpg"), content));
    ASSERT_TRUE(StoreFileBlob(0, QStringLiteral("mojelogo.jpg"), src("mojelogo.jpg")));
    EXPECT_FALSE(QFileInfo::exists(src("mojelogo.jpg.zip"))) << "the zip stays behind";
    EXPECT_EQ(rows(QStringLiteral("MB_PRIV=0 and MB_NAZWA='mojelogo.jpg' and MB_OPERATORID=5")), 1);
    // Stored zipped: the blob is an archive holding the file.
    const QByteArray blob =
        S()->OpenQuery(QStringLiteral("select MB_PLIK from MagazynBlob"))->Fields(0)->AsBytes();
    EXPECT_TRUE(blob.startsWith("PK\x03\x04"));

    ASSERT_TRUE(writeFile(priv("mojelogo.jpg"), "old local copy"));
    EXPECT_TRUE(FetchFileBlob(0, QStringLiteral("mojelogo.jpg")));
    EXPECT_EQ(readFile(priv("mojelogo.jpg")), content);
    EXPECT_FALSE(QFileInfo::exists(priv("mojelogo.jpg.zip")));
    EXPECT_FALSE(Data->QMagazynBlob->Active());

    // Another owner has no such file: the old copy goes, nothing comes back.
    EXPECT_TRUE(FetchFileBlob(5, QStringLiteral("mojelogo.jpg")));
    EXPECT_FALSE(QFileInfo::exists(priv("mojelogo.jpg")));
}

TEST_F(MagazynBlobTest, OneRowPerOwnerAndName)
{
    ASSERT_TRUE(writeFile(src("a.txt"), "first"));
    ASSERT_TRUE(StoreFileBlob(0, QStringLiteral("a.txt"), src("a.txt")));
    ASSERT_TRUE(writeFile(src("a.txt"), "second"));
    ASSERT_TRUE(StoreFileBlob(0, QStringLiteral("a.txt"), src("a.txt")));
    ASSERT_TRUE(StoreFileBlob(5, QStringLiteral("a.txt"), src("a.txt")));
    EXPECT_EQ(rows(QStringLiteral("MB_NAZWA='a.txt' and MB_PRIV=0")), 1);
    EXPECT_EQ(rows(QStringLiteral("MB_NAZWA='a.txt' and MB_PRIV=5")), 1);
    FetchFileBlob(0, QStringLiteral("a.txt"));
    EXPECT_EQ(readFile(priv("a.txt")), QByteArray("second"));
}

struct LimitCase
{
    qint64 zipSize;
    bool stored;
};

TEST_F(MagazynBlobTest, PackedSizeLimitIsOneMegabyteOf1024000Bytes)
{
    for (const LimitCase c : {LimitCase{MaxStoredFileSize, true}, LimitCase{MaxStoredFileSize + 1, false}}) {
        SCOPED_TRACE(c.zipSize);
        const QString file = fileWithZipSize(c.zipSize);
        ASSERT_FALSE(file.isEmpty()) << "no file packs to that size";
        TMD::ClearRecorded();
        EXPECT_EQ(StoreFileBlobEx(0, QStringLiteral("duzy.bin"), file, true), c.stored);
        EXPECT_EQ(rows(QStringLiteral("MB_NAZWA='duzy.bin'")), c.stored ? 1 : 0);
        EXPECT_FALSE(QFileInfo::exists(file + QStringLiteral(".zip")));
        if (c.stored) {
            EXPECT_TRUE(TMD::Recorded().isEmpty());
            EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select length(MB_PLIK) from MagazynBlob")),
                      c.zipSize);
        } else {
            ASSERT_EQ(TMD::Recorded().size(), 1);
            EXPECT_EQ(TMD::Recorded()[0].kind, mtError);
            EXPECT_EQ(TMD::Recorded()[0].text,
                      QStringLiteral("Zbyt duży rozmiar pliku (przekracza po spakowaniu 1 MB)  ") +
                          QLocale::system().toString(1000) + QStringLiteral(" kB"));
        }
        S()->ExecQuery(QStringLiteral("delete from MagazynBlob"));
    }
}

struct FailCase
{
    const char* name;
    const char* trigger; // makes this step of the replacement fail
};

// A store that fails half-way must not lose the file it replaces (a lost
// KSeF certificate stops the sending of invoices).
TEST_F(MagazynBlobTest, FailedReplaceKeepsTheOldFile)
{
    const FailCase cases[] = {
        {"insert fails", "CREATE TRIGGER mb_fail BEFORE INSERT ON MagazynBlob FOR EACH ROW "
                         "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no room'"},
        {"delete fails", "CREATE TRIGGER mb_fail BEFORE DELETE ON MagazynBlob FOR EACH ROW "
                         "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'locked'"},
    };
    const QString name = QStringLiteral("ksef_cert.crt");
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.name);
        S()->ExecQuery(QStringLiteral("delete from MagazynBlob"));
        ASSERT_TRUE(writeFile(src(name), "-----BEGIN CERTIFICATE----- old"));
        ASSERT_TRUE(StoreFileBlob(0, name, src(name)));
        S()->ExecQueryNoParamCheck(QLatin1String(c.trigger));
        ASSERT_TRUE(writeFile(src(name), "-----BEGIN CERTIFICATE----- new"));
        EXPECT_THROW(StoreFileBlob(0, name, src(name)), EDatabaseError);
        S()->ExecQuery(QStringLiteral("DROP TRIGGER mb_fail"));
        EXPECT_FALSE(S()->InTransaction());
        EXPECT_EQ(rows(QStringLiteral("MB_NAZWA=:p1"), {name}), 1);
        EXPECT_FALSE(Data->QMagazynBlob->Active());
        EXPECT_FALSE(QFileInfo::exists(src(name) + QStringLiteral(".zip")));
        FetchFileBlob(0, name);
        EXPECT_EQ(readFile(priv(name)), QByteArray("-----BEGIN CERTIFICATE----- old"));
    }
}

TEST_F(MagazynBlobTest, StoreInsideTheCallersTransactionLeavesItOpen)
{
    ASSERT_TRUE(writeFile(src("b.txt"), "bee"));
    S()->StartTransaction();
    ASSERT_TRUE(StoreFileBlob(0, QStringLiteral("b.txt"), src("b.txt")));
    EXPECT_TRUE(S()->InTransaction());
    S()->Rollback();
    EXPECT_EQ(rows(QStringLiteral("MB_NAZWA='b.txt'")), 0);
}

TEST_F(MagazynBlobTest, DocumentFilesArePerDocument)
{
    ASSERT_TRUE(writeFile(src("umowa.pdf"), "%PDF-1.4 v1"));
    ASSERT_TRUE(
        StoreDocumentFileBlob(QStringLiteral("umowa.pdf"), src("umowa.pdf"), QStringLiteral("U"), 12));
    ASSERT_TRUE(writeFile(src("umowa.pdf"), "%PDF-1.4 v2"));
    ASSERT_TRUE(
        StoreDocumentFileBlob(QStringLiteral("umowa.pdf"), src("umowa.pdf"), QStringLiteral("U"), 12));
    ASSERT_TRUE(
        StoreDocumentFileBlob(QStringLiteral("umowa.pdf"), src("umowa.pdf"), QStringLiteral("U"), 13));
    auto q =
        S()->OpenQuery(QStringLiteral("select MB_INDEXDOC, MB_TYPDOC, MB_PRIV, MB_OPERATORID, MB_PLIK from "
                                      "MagazynBlob2 order by MB_INDEXDOC"));
    ASSERT_EQ(q->RecordCount(), 2);
    EXPECT_EQ(q->FieldByName(QStringLiteral("MB_INDEXDOC"))->AsInteger(), 12);
    EXPECT_EQ(q->FieldByName(QStringLiteral("MB_TYPDOC"))->AsString(), QStringLiteral("U"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("MB_PRIV"))->AsInteger(), 0);
    EXPECT_EQ(q->FieldByName(QStringLiteral("MB_OPERATORID"))->AsInteger(), 5);
    const QString zip = priv("back.zip");
    ASSERT_TRUE(writeFile(zip, q->FieldByName(QStringLiteral("MB_PLIK"))->AsBytes()));
    ASSERT_TRUE(UnzipFileTo(zip, m_priv.path()));
    EXPECT_EQ(readFile(priv("umowa.pdf")), QByteArray("%PDF-1.4 v2"));
    EXPECT_FALSE(QFileInfo::exists(src("umowa.pdf.zip")));
    EXPECT_EQ(SharedZipForge.CompressionLevel, 5);

    // Too large a document file is refused without a word.
    ASSERT_TRUE(writeFile(src("duzy.pdf"), noise(MaxStoredFileSize + 10, 3)));
    EXPECT_FALSE(StoreDocumentFileBlob(QStringLiteral("duzy.pdf"), src("duzy.pdf"), QStringLiteral("F"), 1));
    EXPECT_TRUE(TMD::Recorded().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(src("duzy.pdf.zip")));
}

TEST_F(MagazynBlobTest, ZipWithPasswordAndTheUnzipOperations)
{
    ASSERT_TRUE(writeFile(src("klucz.key"), "secret key"));
    ASSERT_TRUE(ZipFileWithPassword(src("klucz.key"), QStringLiteral("haslo")));
    const QString zip = src("klucz.key.zip");
    EXPECT_EQ(TZipArchiver::EntryNames(zip), QStringList{"klucz.key"});

    // Without the password nothing is extracted and the error stays inside.
    EXPECT_FALSE(UnzipFileTo(zip, m_priv.path()));
    EXPECT_FALSE(QFileInfo::exists(priv("klucz.key")));
    EXPECT_TRUE(UnzipWithPassword(zip, QStringLiteral("zle")));
    EXPECT_FALSE(QFileInfo::exists(priv("klucz.key")));
    EXPECT_TRUE(UnzipWithPassword(zip, QStringLiteral("haslo")));
    EXPECT_EQ(readFile(priv("klucz.key")), QByteArray("secret key"));
    // The password is forgotten once used: the next unpack needs it again.
    EXPECT_TRUE(SharedZipForge.Password.isEmpty());
    QTemporaryDir other;
    EXPECT_FALSE(UnzipFileTo(zip, other.path()));
    EXPECT_FALSE(QFileInfo::exists(other.filePath(QStringLiteral("klucz.key"))));

    EXPECT_FALSE(UnzipFileTo(src("brak.zip"), m_priv.path()));
    EXPECT_TRUE(UnzipWithPassword(src("brak.zip"), QString()));
    EXPECT_TRUE(UnzipFileBlob(QStringLiteral("brak")));
}

TEST_F(MagazynBlobTest, UnzipRefusesEntriesOutsideTheFolder)
{
    const QString zip = src("evil.zip");
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(zip).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(z, nullptr);
    static const char body[] = "owned";
    zip_source_t* s = zip_source_buffer(z, body, sizeof body - 1, 0);
    ASSERT_GE(zip_file_add(z, "../escaped.txt", s, 0), 0);
    ASSERT_EQ(zip_close(z), 0);
    QDir(m_priv.path()).mkdir(QStringLiteral("in"));
    EXPECT_FALSE(UnzipFileTo(zip, priv("in")));
    EXPECT_FALSE(QFileInfo::exists(priv("escaped.txt")));
}

TEST_F(MagazynBlobTest, UnzipFileBlobDeletesTheZipOnlyAfterSuccess)
{
    ASSERT_TRUE(writeFile(priv("broken.zip"), "not a zip"));
    EXPECT_TRUE(UnzipFileBlob(QStringLiteral("broken")));
    EXPECT_TRUE(QFileInfo::exists(priv("broken.zip")));
    ASSERT_TRUE(writeFile(priv("ok"), "fine"));
    ASSERT_TRUE(ZipFile(priv("ok")));
    QFile::remove(priv("ok"));
    EXPECT_TRUE(UnzipFileBlob(QStringLiteral("ok")));
    EXPECT_FALSE(QFileInfo::exists(priv("ok.zip")));
    EXPECT_EQ(readFile(priv("ok")), QByteArray("fine"));
}

class MagazynBlobGridTest : public MagazynBlobTest
{
protected:
    void SetUp() override
    {
        MagazynBlobTest::SetUp();
        if (HasFatalFailure()) return;
        S()->ExecQuery(QStringLiteral("insert into Userdb set U_NAZWISKO='Kowalski', U_IMIE='Jan'"));
        m_query = S()->OpenQuery(QStringLiteral("select U_INDEX, U_NAZWISKO, U_IMIE from Userdb"));
        m_model = std::make_unique<TQueryModel>(m_query.get());
        m_model->SetColumns({{QStringLiteral("U_INDEX"), QStringLiteral("ID")},
                             {QStringLiteral("U_NAZWISKO"), QStringLiteral("Nazwisko+")},
                             {QStringLiteral("U_IMIE"), QStringLiteral("Imię")}});
        m_grid = new QTableView(&m_form);
        m_grid->setObjectName(QStringLiteral("DBGrid1"));
        m_grid->setModel(m_model.get());
    }
    void TearDown() override
    {
        delete m_grid;
        m_model.reset();
        m_query.reset();
        MagazynBlobTest::TearDown();
    }

    TFormProba m_form;
    std::unique_ptr<TQuery> m_query;
    std::unique_ptr<TQueryModel> m_model;
    QTableView* m_grid = nullptr;
};

TEST_F(MagazynBlobGridTest, LayoutIsSavedPerOperatorAndWorkstationAndComesBack)
{
    QHeaderView* h = m_grid->horizontalHeader();
    h->moveSection(2, 0); // Imię first
    h->resizeSection(1, 222);
    h->setSectionHidden(0, true);
    SaveGridLayout(&m_form, m_grid);
    EXPECT_EQ(GridLayoutName(&m_form, m_grid), QStringLiteral("TFormProbaDBGrid1_aa-bb-cc-dd-ee-ff"));
    EXPECT_EQ(rows(QStringLiteral("MB_PRIV=5 and MB_NAZWA='TFormProbaDBGrid1_aa-bb-cc-dd-ee-ff'")), 1);
    // The sort sign of the title goes when the layout is applied again.
    EXPECT_EQ(m_model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nazwisko"));

    // Another grid of the same window on the same workstation, freshly built.
    QTableView fresh(&m_form);
    fresh.setObjectName(QStringLiteral("DBGrid1"));
    TQueryModel model(m_query.get());
    model.SetColumns(m_model->Columns());
    fresh.setModel(&model);
    LoadGridLayout(&m_form, &fresh);
    QHeaderView* f = fresh.horizontalHeader();
    EXPECT_EQ(f->logicalIndex(0), 2);
    EXPECT_EQ(f->sectionSize(1), 222);
    EXPECT_TRUE(f->isSectionHidden(0));

    // Another operator sees nothing of it.
    OperatorId = 6;
    QTableView third(&m_form);
    third.setObjectName(QStringLiteral("DBGrid1"));
    TQueryModel model3(m_query.get());
    model3.SetColumns(m_model->Columns());
    third.setModel(&model3);
    LoadGridLayout(&m_form, &third);
    EXPECT_EQ(third.horizontalHeader()->logicalIndex(0), 0);
    EXPECT_FALSE(third.horizontalHeader()->isSectionHidden(0));
}

TEST_F(MagazynBlobGridTest, StoredTitlesLoseTheirSortSign)
{
    m_model->SetColumns({{QStringLiteral("U_INDEX"), QStringLiteral("ID-")},
                         {QStringLiteral("U_NAZWISKO"), QStringLiteral("Nazwisko")},
                         {QStringLiteral("U_IMIE"), QStringLiteral("Imię+")}});
    // Stored as the grid had it, signs included.
    Data->QMagazynBlob->SetSQL(QStringLiteral("select * from MagazynBlob where 1=2"));
    Data->QMagazynBlob->Open();
    Data->QMagazynBlob->Append();
    Data->QMagazynBlob->FieldByName(QStringLiteral("MB_PRIV"))->SetAsInteger(5);
    Data->QMagazynBlob->FieldByName(QStringLiteral("MB_NAZWA"))->SetAsString(GridLayoutName(&m_form, m_grid));
    Data->QMagazynBlob->FieldByName(QStringLiteral("MB_PLIK"))->SetValue(QVariant(GridLayoutBytes(m_grid)));
    Data->QMagazynBlob->Post();
    Data->QMagazynBlob->Close();
    m_model->SetColumns({{QStringLiteral("U_INDEX"), QStringLiteral("ID")},
                         {QStringLiteral("U_NAZWISKO"), QStringLiteral("Nazwisko")},
                         {QStringLiteral("U_IMIE"), QStringLiteral("Imię")}});
    LoadGridLayout(&m_form, m_grid);
    EXPECT_EQ(m_model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ID"));
    EXPECT_EQ(m_model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Imię"));
}

TEST_F(MagazynBlobGridTest, ResetDeletesOnlyThisOperatorsThreeMainLayoutsHere)
{
    const QString host = QStringLiteral("_aa-bb-cc-dd-ee-ff");
    const QStringList names = {"TFormGlownyDBGrid1" + host, "TFormGlownyDBGrid2" + host,
                               "TFormUserDBGrid1" + host, "TFormUserDBGrid2" + host,
                               "TFormGlownyDBGrid1_11-22-33-44-55-66"};
    for (const QString& n : names)
        for (int op : {5, 6})
            S()->ExecQuery(QStringLiteral("insert into MagazynBlob set MB_PRIV=:p1, MB_NAZWA=:p2"), {op, n});
    EXPECT_TRUE(ResetMainGridLayouts());
    EXPECT_EQ(rows(QStringLiteral("MB_PRIV=5")), 2);
    EXPECT_EQ(rows(QStringLiteral("MB_PRIV=6")), 5);
    EXPECT_EQ(rows(QStringLiteral("MB_PRIV=5 and MB_NAZWA like 'TFormUserDBGrid2%'")), 1);
}

TEST_F(MagazynBlobGridTest, LayoutThreadStoresWhatTheGridsShowed)
{
    m_grid->horizontalHeader()->resizeSection(2, 150);
    QTableView second(&m_form);
    second.setObjectName(QStringLiteral("DBGrid2"));
    second.setModel(m_model.get());
    // An older layout of the same grid is replaced, not kept beside.
    S()->ExecQuery(QStringLiteral("insert into MagazynBlob set MB_PRIV=5, MB_NAZWA=:p1"),
                   {GridLayoutName(&m_form, m_grid)});
    std::shared_future<void> done = SaveMainGridLayoutsThread({{&m_form, m_grid}, {&m_form, &second}});
    ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_NO_THROW(done.get());
    EXPECT_EQ(rows(QStringLiteral("MB_PRIV=5 and MB_OPERATORID=5")), 2);
    EXPECT_EQ(rows(QStringLiteral("MB_PRIV=5")), 2);
    const QByteArray stored =
        S()->OpenQuery(QStringLiteral("select MB_PLIK from MagazynBlob where MB_NAZWA=:p1"),
                       {GridLayoutName(&m_form, m_grid)})
            ->Fields(0)
            ->AsBytes();
    EXPECT_EQ(stored, GridLayoutBytes(m_grid));
}

struct CheckCase
{
    const char* name;
    QString stored;
    QList<bool> before; // items a, b, c
    QList<bool> after;
};

TEST_F(MagazynBlobTest, ListViewChecksComeBackOnlyAsChecks)
{
    auto makeList = [](QTreeWidget& list, const QList<bool>& checked) {
        list.setObjectName(QStringLiteral("GrupyUserListView"));
        list.setColumnCount(2);
        list.setHeaderLabels({QStringLiteral("Grupy"), QStringLiteral("Klucz")});
        const char* keys[] = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i) {
            auto* item =
                new QTreeWidgetItem(&list, {QStringLiteral("Grupa %1").arg(i), QLatin1String(keys[i])});
            item->setCheckState(0, checked[i] ? Qt::Checked : Qt::Unchecked);
        }
    };
    auto states = [](const QTreeWidget& list) {
        QList<bool> out;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            out << (list.topLevelItem(i)->checkState(0) == Qt::Checked);
        return out;
    };
    const CheckCase cases[] = {
        {"a checked, b not: b keeps its state", "a=1 b=0 ", {false, true, false}, {true, true, false}},
        {"nothing stored", "", {false, true, false}, {false, true, false}},
        {"unknown key and odd tokens ignored",
         "z=1 c=1 junk =1 ",
         {false, false, false},
         {false, false, true}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        TDbIni(QStringLiteral("app"), 5)
            .WriteString(QStringLiteral("Var"), QStringLiteral("GrupyUserListView"), c.stored);
        QTreeWidget list;
        makeList(list, c.before);
        LoadListViewChecks(&list);
        EXPECT_EQ(states(list), c.after);
    }

    // Saved as the items stand; empty when nothing is checked; the caption too.
    QTreeWidget list;
    makeList(list, {true, false, true});
    list.headerItem()->setText(0, QStringLiteral("Grupy+"));
    SaveListViewChecks(&list);
    const TDbIni ini(QStringLiteral("app"), 5);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Var"), QStringLiteral("GrupyUserListView"), QStringLiteral("?")),
              QStringLiteral("a=1 b=0 c=1 "));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Var"), QStringLiteral("GrupyUserListView.Caption"), QString()),
              QStringLiteral("Grupy+"));
    QTreeWidget none;
    makeList(none, {false, false, false});
    none.headerItem()->setText(0, QStringLiteral("Abonenci"));
    SaveListViewChecks(&none);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Var"), QStringLiteral("GrupyUserListView"), QStringLiteral("?")),
              QString());
    QTreeWidget reloaded;
    makeList(reloaded, {false, false, false});
    LoadListViewChecks(&reloaded);
    EXPECT_EQ(states(reloaded), (QList<bool>{false, false, false}));
    EXPECT_EQ(reloaded.headerItem()->text(0), QStringLiteral("Abonenci"));
}

#include "MagazynBlobTest.moc"
