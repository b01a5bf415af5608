// What the program leaves on disk for its own use: the data-source entry,
// its folders and what it unpacks from ZIP archives.
#include "core/DedicatedSession.h"
#include "platform/OdbcDataSource.h"
#include "platform/PrivateFolder.h"
#include "platform/ZipArchive.h"
#include "tests/support/TestDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <zip.h>

namespace {

int modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

QStringList everythingIn(const QString& folder)
{
    QStringList out;
    const QDir dir(folder);
    for (const QFileInfo& i : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        out << i.fileName();
    return out;
}

struct TEntry
{
    const char* name;
    QByteArray data;
};

// An archive of the given entries; with a password every entry is AES-256.
bool writeZip(const QString& path, const std::vector<TEntry>& entries, const char* password = nullptr)
{
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return false;
    for (const TEntry& e : entries) {
        zip_source_t* s = zip_source_buffer(z, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        const zip_int64_t i = zip_file_add(z, e.name, s, ZIP_FL_ENC_UTF_8);
        if (i < 0 ||
            (password && zip_file_set_encryption(z, zip_uint64_t(i), ZIP_EM_AES_256, password) != 0)) {
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0; // the buffers are read here
}

} // namespace

TEST(PrivateFiles, DataSourceEntryIsReadableByItsOwnerOnly)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    const QByteArray saved = qgetenv("ODBCINI");
    qputenv("ODBCINI", QFile::encodeName(ini));
    const mode_t oldMask = ::umask(022);
    EXPECT_EQ(CreateOdbcDataSource(QStringLiteral("ORLIX4SQL"), false), 1);
    ::umask(oldMask);
    EXPECT_EQ(modeOf(ini), 0600);
    EXPECT_EQ(ReadOdbcDataSource(QStringLiteral("ORLIX4SQL")).value(QStringLiteral("Password")),
              QStringLiteral("qalmunex"));
    // Reading makes no scratch file of a name another user could guess and plant.
    EXPECT_FALSE(QFile::exists(
        QDir::tempPath() + QStringLiteral("/orlix6-odbc-%1.ini").arg(QCoreApplication::applicationPid())));
    RestoreOdbcIni(saved);
}

TEST(PrivateFiles, FoldersTheProgramMakesAreItsOwnersOnly)
{
    QTemporaryDir dir;
    const QString made = dir.filePath(QStringLiteral("orlix_eksporty/2026"));
    const mode_t oldMask = ::umask(022);
    EXPECT_TRUE(MakePrivateFolder(made));
    const QString existing = dir.filePath(QStringLiteral("wspolny"));
    ASSERT_TRUE(QDir().mkdir(existing));
    ::umask(oldMask);
    EXPECT_EQ(modeOf(made), 0700);
    // A folder the operator chose and that exists is left as it is.
    EXPECT_TRUE(MakePrivateFolder(existing));
    EXPECT_EQ(modeOf(existing), 0755);
}

class PrivateSessionFolderTest : public DbTest
{
};

TEST_F(PrivateSessionFolderTest, SessionFolderIsItsOwnersOnly)
{
    QTemporaryDir dir;
    const QString savedDefault = DefaultSessionPrivateDir;
    DefaultSessionPrivateDir = dir.filePath(QStringLiteral("P"));
    {
        TDedicatedSession session(QStringLiteral("Proba"));
        EXPECT_EQ(modeOf(session.PrivateDir), 0700) << session.PrivateDir.toStdString();
    }
    DefaultSessionPrivateDir = savedDefault;
}

// An archive that would not come out whole leaves nothing in the folder, and
// the password is gone afterwards whatever happened.
TEST(PrivateFiles, ZipExtractionIsCappedAndAllOrNothing)
{
    QTemporaryDir dir;
    const QByteArray zeros(3 * 1024 * 1024, '\0');
    std::vector<TEntry> many;
    static char names[30][16];
    for (int i = 0; i < 30; ++i) {
        std::snprintf(names[i], sizeof names[i], "plik%02d.txt", i);
        many.push_back({names[i], QByteArray("x")});
    }
    struct Case
    {
        const char* rule;
        std::vector<TEntry> entries;
        const char* zipPassword;
        QString password;
        bool extracts;
        QStringList landed; // top level of the folder afterwards
    } cases[] = {
        {"a small archive unpacking past the size cap (a zip bomb)",
         {{"a.txt", QByteArray("ok")}, {"bomba.bin", zeros}},
         nullptr,
         QString(),
         false,
         {}},
        {"more entries than the cap", many, nullptr, QString(), false, {}},
        {"a bad entry after a good one",
         {{"a.txt", QByteArray("ok")}, {"../obok.txt", QByteArray("x")}},
         nullptr,
         QString(),
         false,
         {}},
        {"a wrong password", {{"a.txt", QByteArray("tajne")}}, "dobre", QStringLiteral("zle"), false, {}},
        {"within the caps everything lands",
         {{"a.txt", QByteArray("ok")}, {"katalog/b.txt", QByteArray("b")}},
         "dobre",
         QStringLiteral("dobre"),
         true,
         {"a.txt", "katalog"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        const QString zip = dir.filePath(QStringLiteral("%1.zip").arg(++n));
        ASSERT_TRUE(writeZip(zip, c.entries, c.zipPassword));
        const QString target = dir.filePath(QStringLiteral("cel%1").arg(n));
        ASSERT_TRUE(QDir().mkdir(target));
        TZipArchiver archiver;
        archiver.MaxTotalSize = 1024 * 1024;
        archiver.MaxEntries = 10;
        archiver.Password = c.password;
        bool extracted = true;
        try {
            archiver.ExtractAll(zip, target);
        } catch (const EZipError&) {
            extracted = false;
        }
        EXPECT_EQ(extracted, c.extracts);
        QStringList landed = everythingIn(target);
        landed.sort();
        EXPECT_EQ(landed, c.landed);
        EXPECT_TRUE(archiver.Password.isEmpty());
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("obok.txt"))));
    }
    EXPECT_EQ(QFile(dir.filePath(QStringLiteral("cel5/katalog/b.txt"))).size(), 1);
}
