// Output 7: the FA (3) files KSeF still lacks, zipped flat under a name the
// batch send reads the company from.
#include "printouts/PaczkaKsef.h"
#include "core/DataModule.h"
#include "core/Session.h"
#include "tests/printouts/BulkFixture.h"
#include "tests/support/XmlSchemaCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <zip.h>

namespace {

const QString kSchema =
    QStringLiteral(ORLIX_SOURCE_DIR "/../shared/schemas/FA3/local/schemat_FA(3)_v1-0E.xsd");

QByteArray EntryBytes(const QString& zipPath, const QString& entry)
{
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &err);
    if (!z) return QByteArray();
    QByteArray out;
    zip_stat_t st;
    if (zip_stat(z, entry.toUtf8().constData(), 0, &st) == 0) {
        if (zip_file_t* f = zip_fopen(z, entry.toUtf8().constData(), 0)) {
            out.resize(qsizetype(st.size));
            out.resize(qsizetype(qMax<zip_int64_t>(0, zip_fread(f, out.data(), st.size))));
            zip_fclose(f);
        }
    }
    zip_discard(z);
    return out;
}

} // namespace

class PaczkaKsefTest : public BulkTest
{
protected:
    void SetUp() override
    {
        BulkTest::SetUp();
        m_savedStart = KsefStartDate;
        KsefStartDate = QStringLiteral("2025-01-01");
    }
    void TearDown() override
    {
        KsefStartDate = m_savedStart;
        BulkTest::TearDown();
    }
    int Invoice(const QString& number, const QDate& issue)
    {
        if (!m_user) m_user = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 501);
        return AddInvoice(
            m_user, number,
            {{QStringLiteral("Abonament"), Amount4::fromInt(123), {}, QStringLiteral("23%"), {}}}, issue);
    }
    void KsefNumber(int fv, const QString& number)
    {
        S()->ExecQuery(
            QStringLiteral("insert into FvKsef (FV_KSEF_IDFAKTURY, FV_KSEF_NRKSEF) values (:p1, :p2)"),
            {fv, number});
    }
    int m_user = 0;
    QString m_savedStart;
};

TEST_F(PaczkaKsefTest, NameCarriesDateTimeAndTwoCompanyDigitsAndNeverOverwrites)
{
    const QDateTime now(QDate(2026, 3, 5), QTime(9, 7, 3));
    const QString first = KsefPackagePath(ExportFolder, bkInvoice, 7, now);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^KSeF_Fv_[0-9]{8}_[0-9]{6}_07\\.zip$"))
                    .match(QFileInfo(first).fileName())
                    .hasMatch())
        << first.toStdString();
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("KSeF_Fv_20260305_090703_07.zip"));
    EXPECT_EQ(QFileInfo(KsefPackagePath(ExportFolder, bkCorrection, 12, now)).fileName(),
              QStringLiteral("KSeF_Fvk_20260305_090703_12.zip"));
    // A second run in the same second keeps the prefix and the company before ".zip".
    WriteEmptyZip(first);
    const QString second = KsefPackagePath(ExportFolder, bkInvoice, 7, now);
    EXPECT_NE(second, first);
    EXPECT_TRUE(QFileInfo(second).fileName().startsWith(QStringLiteral("KSeF_Fv_20260305_090703")));
    EXPECT_TRUE(second.endsWith(QStringLiteral("_07.zip"))) << second.toStdString();
    // Three digits would name another company to the reader.
    EXPECT_THROW(KsefPackagePath(ExportFolder, bkInvoice, 100, now), EBulkCriteriaError);
}

TEST_F(PaczkaKsefTest, PacksWhatKsefLacksAndEveryFileValidates)
{
    const int fresh = Invoice(QStringLiteral("1/03/2025"), QDate(2025, 3, 1));
    const int fifteen = Invoice(QStringLiteral("2/03/2025"), QDate(2025, 3, 2));
    KsefNumber(fifteen, QStringLiteral("123456789012345"));
    const int registered = Invoice(QStringLiteral("3/03/2025"), QDate(2025, 3, 3));
    KsefNumber(registered, QStringLiteral("9999999999-20250303-8BEF280C8D35-4D"));
    Invoice(QStringLiteral("1/12/2024"), QDate(2024, 12, 20)); // before the start date

    const TBulkSql sql = BuildBulkSql(AllOf(bkInvoice, boKsef));
    TBulkRun run = RunOf(sql);
    ASSERT_EQ(run.FoundCount, 4);
    const QString package = BuildKsefPackage(S(), sql, 1, run);
    ASSERT_FALSE(package.isEmpty()) << run.Problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFileInfo(package).fileName().endsWith(QStringLiteral("_01.zip")));
    const QStringList entries = ZipEntries(package);
    EXPECT_EQ(entries, (QStringList{QStringLiteral("KSeF_FV_%1.xml").arg(fresh),
                                    QStringLiteral("KSeF_FV_%1.xml").arg(fifteen)}));
    EXPECT_EQ(run.DoneCount, 2);
    EXPECT_EQ(run.SentCount, 2);
    EXPECT_EQ(run.FailedFiles, 0);
    for (const QString& entry : entries) {
        const QByteArray xml = EntryBytes(package, entry);
        ASSERT_FALSE(xml.isEmpty()) << entry.toStdString();
        EXPECT_EQ(SchemaErrors(xml, kSchema), QString()) << entry.toStdString();
    }
}

TEST_F(PaczkaKsefTest, NothingToSendGivesAnEmptyPackageAndDemandsNothing)
{
    Invoice(QStringLiteral("1/12/2024"), QDate(2024, 12, 1));
    Invoice(QStringLiteral("2/12/2024"), QDate(2024, 12, 2));
    const TBulkSql sql = BuildBulkSql(AllOf(bkInvoice, boKsef));
    TBulkRun run = RunOf(sql);
    const QString package = BuildKsefPackage(S(), sql, 1, run);
    ASSERT_TRUE(QFileInfo(package).isFile());
    EXPECT_EQ(ZipEntries(package), QStringList());
    EXPECT_EQ(run.DoneCount, 0);
    EXPECT_EQ(run.SentCount, 0);

    const TBulkSql demands = BuildBulkSql(AllOf(bkDemand, boKsef));
    TBulkRun none = RunOf(demands);
    EXPECT_EQ(BuildKsefPackage(S(), demands, 1, none), QString());
}

TEST_F(PaczkaKsefTest, AbortLeavesNoPackage)
{
    Invoice(QStringLiteral("1/03/2025"), QDate(2025, 3, 1));
    const TBulkSql sql = BuildBulkSql(AllOf(bkInvoice, boKsef));
    TBulkRun run = RunOf(sql);
    run.AbortRequested = [] { return true; };
    EXPECT_EQ(BuildKsefPackage(S(), sql, 1, run), QString());
    EXPECT_TRUE(QDir(m_outDir).entryList({QStringLiteral("KSeF_Fv_*.zip")}).isEmpty());
}
