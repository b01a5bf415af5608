#include "tests/printouts/BulkFixture.h"

#include "core/Session.h"
#include "platform/ZipArchive.h"

#include <QDir>
#include <QFile>

void BulkTest::SetUp()
{
    DrukFvTest::SetUp();
    if (HasFatalFailure()) return;
    m_outDir =
        TestOutputDir(QStringLiteral("bulk/") +
                      QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    QDir(m_outDir).removeRecursively();
    QDir().mkpath(m_outDir);
    ExportFolder = m_outDir + QLatin1Char('/');
}

void BulkTest::AddInvoices(int user, int count, const QDate& issue, const QString& amount)
{
    // Numbers 1 to 10000 from four digit tables (recursion stops at 1000 rows on the server).
    QStringList digit;
    for (int d = 0; d < 10; ++d)
        digit << QStringLiteral("select %1 i").arg(d);
    const QString digits =
        QStringLiteral("(") + digit.join(QStringLiteral(" union all ")) + QStringLiteral(")");
    S()->ExecQuery(
        QStringLiteral(
            "insert into Fv (FV_INDEXUSER, FV_NUMER, FV_NUMERTXT, FV_PODMIOT, FV_DATAWYSTAWIENIA, "
            "FV_DATAPLATNOSCI, "
            "FV_FORMAPLATNOSCI, FV_NAZWISKO, FV_IMIE, FV_KWOTADOROZLICZENIA, FV_SUMABRUTTO) "
            "select U_INDEX, i, concat(i, :p1), 1, :p2, :p3, 'przelew', U_NAZWISKO, U_IMIE, :p4, :p5 "
            "from (select a.i*1000+b.i*100+c.i*10+d.i+1 as i from %1 a, %1 b, %1 c, %1 d) seq "
            "join Userdb on U_INDEX=:p6 where i<=:p7")
            .arg(digits),
        {issue.toString(QStringLiteral("/MM/yyyy")), issue.toString(Qt::ISODate),
         issue.addDays(14).toString(Qt::ISODate), amount, amount, user, count});
}

TBulkCriteria BulkTest::AllOf(int kind, int output)
{
    TBulkCriteria c;
    c.Kind = kind;
    c.Output = output;
    c.Company = 1;
    return c;
}

TBulkRun BulkTest::RunOf(const TBulkSql& sql)
{
    TBulkRun run;
    run.FoundCount = CountBulkDocuments(S(), sql);
    return run;
}

QByteArray BulkTest::FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList BulkTest::CrLfLines(const QByteArray& data)
{
    QStringList lines = QString::fromUtf8(data).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList BulkTest::ZipEntries(const QString& path)
{
    return TZipArchiver::EntryNames(path);
}
