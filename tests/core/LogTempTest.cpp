#include "core/LogTemp.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/FormEx.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class LogTempTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        SetWindowErrorReporter([this](const QString& m) { errors << m; });
    }
    void TearDown() override
    {
        SetWindowErrorReporter(nullptr);
        DbTest::TearDown();
    }
    QStringList errors;
};

TEST_F(LogTempTest, OpensBeforeTheFirstRowAndListsNewestFirst)
{
    HostId = QStringLiteral("0A-0B-0C-0D-0E-0F");
    TFormLogTemp w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("LogTemp v6.14"));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(w.Label1->text(), HostId);
    EXPECT_EQ(w.Model->rowCount(), 0);

    LogTempInsert(QStringLiteral("Start"), QStringLiteral("12 ms"));
    LogTempInsert(QStringLiteral("Eksport"), QStringLiteral("3,50 s"));
    w.ButtonOdswiez->click();
    ASSERT_EQ(w.Model->rowCount(), 2);
    EXPECT_EQ(w.Model->index(0, 1).data().toString(), QStringLiteral("Eksport"));
    EXPECT_EQ(w.Model->index(0, 2).data().toString(), QStringLiteral("3,50 s"));
    EXPECT_EQ(w.Model->index(1, 1).data().toString(), QStringLiteral("Start"));
    w.hide();
    EXPECT_FALSE(w.QLogTemp->Active());
}

TEST_F(LogTempTest, ListsAtMost500Rows)
{
    for (int i = 0; i < 505; ++i)
        LogTempInsert(QStringLiteral("n%1").arg(i), QString::number(i));
    TFormLogTemp w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.Model->rowCount(), 500);
    EXPECT_EQ(w.Model->index(0, 1).data().toString(), QStringLiteral("n504"));
}

TEST_F(LogTempTest, ArchiverTestPacksTestTxtIntoTheArchiveFolder)
{
    QTemporaryDir dir;
    const QString was = ArchiveFolder;
    ArchiveFolder = dir.path() + QStringLiteral("/");
    TFormLogTemp w;
    EXPECT_FALSE(w.RunArchiverTest()) << "no test.txt: nothing to pack";
    QFile f(ArchiveFolder + QStringLiteral("test.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("test");
    f.close();
    EXPECT_TRUE(w.RunArchiverTest());
    EXPECT_TRUE(QFile::exists(ArchiveFolder + QStringLiteral("test.txt.zip")));
    ArchiveFolder = was;
}

} // namespace
