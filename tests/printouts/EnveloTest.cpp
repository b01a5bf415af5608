// The envelo packages: parts of at most 1000 documents, the list rows as the
// service reads them, and the letters package.
#include "printouts/Envelo.h"
#include "core/Funkcje.h"
#include "core/Session.h"
#include "tests/printouts/BulkFixture.h"

#include <QFile>
#include <QFileInfo>

namespace {

QStringList Fields(const QString& row)
{
    return row.split(QLatin1Char(';'));
}

} // namespace

class EnveloTest : public BulkTest
{
protected:
    QString Street(int user)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select vU_ADR_UlicaPelny from vUserdb where U_INDEX=:p1"), {user});
    }
};

TEST_F(EnveloTest, PartsHoldAThousandAndExactThousandsGiveNoEmptyPart)
{
    struct TCase
    {
        int documents;
        std::vector<int> rows; // per part
    };
    const TCase cases[] = {{2500, {1000, 1000, 500}}, {1000, {1000}}, {1, {1}}};
    const int user = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 501);
    int made = 0;
    for (const TCase& c : cases) {
        S()->ExecQuery(QStringLiteral("delete from Fv"));
        AddInvoices(user, c.documents, QDate(2025, 3, 1));
        made = c.documents;
        // A leftover fifth part of an earlier run goes away.
        QFile old(ExportFolder + QStringLiteral("envelo_neofaktura_Fv05.zip"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.close();
        const TBulkSql sql = BuildBulkSql(AllOf(bkInvoice, boNeofaktura));
        TBulkRun run = RunOf(sql);
        ASSERT_EQ(run.FoundCount, made);
        const QStringList packages = BuildEnveloPackages(S(), sql, true, run);
        ASSERT_EQ(packages.size(), qsizetype(c.rows.size())) << c.documents;
        EXPECT_FALSE(QFileInfo::exists(ExportFolder + QStringLiteral("envelo_neofaktura_Fv05.zip")));
        for (size_t p = 0; p < c.rows.size(); ++p) {
            EXPECT_EQ(QFileInfo(packages[qsizetype(p)]).fileName(),
                      QStringLiteral("envelo_neofaktura_Fv%1.zip").arg(p + 1, 2, 10, QLatin1Char('0')));
            EXPECT_EQ(ZipEntries(packages[qsizetype(p)]), QStringList{QStringLiteral("envelo.csv")});
        }
        // The lists beside the packages are those of the last part.
        const QStringList lines = CrLfLines(FileBytes(ExportFolder + QStringLiteral("faktury.csv")));
        EXPECT_EQ(lines.size(), c.rows.back() + 1) << c.documents;
        EXPECT_EQ(FileBytes(ExportFolder + QStringLiteral("envelo.csv")),
                  FileBytes(ExportFolder + QStringLiteral("faktury.csv")));
        // No PDF was printed: every document is counted as skipped, none as sent.
        EXPECT_EQ(run.SentCount, 0);
        EXPECT_EQ(run.SkippedFiles, c.documents);
    }
}

TEST_F(EnveloTest, NeofakturaRowsKeepTwentySixFieldsAndTheServiceFormats)
{
    const int plain = AddSubscriber(QStringLiteral("Nowak; Kowal"), QStringLiteral("Jan"), 501);
    const int corr = AddSubscriber(QStringLiteral("Zielińska"), QStringLiteral("Ewa"), 502);
    S()->ExecQuery(
        QStringLiteral(
            "update Userdb set U_CZYADRESDOKORESP=1, U_KOR_NAZWA=:p1, U_KOR_ULICA=:p2, U_KOR_NRDOMU=:p3, "
            "U_KOR_NRLOKALU='', U_KOR_KOD=:p4, U_KOR_MIEJSCOWOSC=:p5, U_NRRACHUNKU1=:p6 where U_INDEX=:p7"),
        {QStringLiteral("Biuro Ewy\r\nZielińskiej"), QStringLiteral("Długa"), QStringLiteral("9"),
         QStringLiteral("00-950"), QStringLiteral("Warszawa"),
         QStringLiteral("61 1090 1014 0000 0712 1981 2874"), corr});
    S()->ExecQuery(
        QStringLiteral("update Userdb set U_ADR_NRLOKALU='', U_NRRACHUNKU1='123' where U_INDEX=:p1"),
        {plain});
    AddInvoices(plain, 1, QDate(2025, 3, 1), QStringLiteral("123.45"));
    S()->ExecQuery(QStringLiteral("update Fv set FV_NUMER=2, FV_NUMERTXT='2/03/2025' where FV_NUMER=1"));
    AddInvoices(corr, 1, QDate(2025, 3, 1));
    // A subscriber deleted since: every column of the join is NULL.
    const int gone = AddSubscriber(QStringLiteral("Usunięty"), QString(), 503);
    AddInvoices(gone, 1, QDate(2025, 4, 2));
    S()->ExecQuery(QStringLiteral("delete from Userdb where U_INDEX=:p1"), {gone});
    QFile pdf(ExportFolder + QStringLiteral("F_1_03_2025.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();

    const TBulkSql sql = BuildBulkSql(AllOf(bkInvoice, boNeofaktura));
    TBulkRun run = RunOf(sql);
    const QStringList packages = BuildEnveloPackages(S(), sql, true, run);
    ASSERT_EQ(packages.size(), 1);
    EXPECT_EQ(ZipEntries(packages[0]),
              (QStringList{QStringLiteral("envelo.csv"), QStringLiteral("F_1_03_2025.pdf")}));
    EXPECT_EQ(run.SentCount, 1);
    EXPECT_EQ(run.SkippedFiles, 2);

    const QStringList lines = CrLfLines(FileBytes(ExportFolder + QStringLiteral("envelo.csv")));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(Fields(lines[0]).size(), 32);
    EXPECT_EQ(Fields(lines[3]).size(), 26) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral(";;Y;LZ"))) << lines[3].toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Nazwa załączonego pliku ;Identyfikator Klienta;")));
    const QStringList cor = Fields(lines[1]); // issued first: number 1
    const QStringList pl = Fields(lines[2]);
    ASSERT_EQ(cor.size(), 26) << lines[1].toStdString();
    ASSERT_EQ(pl.size(), 26) << lines[2].toStdString();
    struct TCheck
    {
        const QStringList* row;
        int field; // 1-based, as the service numbers them
        QString expected;
    };
    const TCheck checks[] = {
        {&cor, 1, QStringLiteral("F_1_03_2025.pdf")},
        {&cor, 3, QStringLiteral("N")},
        {&cor, 8, QStringLiteral("Biuro Ewy  Zielińskiej")},
        {&cor, 10, QStringLiteral("9")},
        {&cor, 11, QString()},
        {&cor, 12, QStringLiteral("00-950")},
        {&cor, 13, QStringLiteral("Warszawa")},
        {&cor, 14, QStringLiteral("Polska")},
        {&cor, 19, QStringLiteral("61109010140000071219812874")},
        {&cor, 21, QStringLiteral("Faktura 1/03/2025")},
        {&cor, 22, QStringLiteral("10,00")},
        {&cor, 23, EnveloWebAddress},
        {&cor, 24, QStringLiteral("QV502")},
        {&cor, 25, QStringLiteral("Y")},
        {&cor, 26, QStringLiteral("LZ")},
        {&pl, 8, QStringLiteral("Nowak, Kowal Jan")},
        {&pl, 10, QStringLiteral("112")},
        {&pl, 11, QString()},
        {&pl, 12, QStringLiteral("90-006")},
        {&pl, 13, QStringLiteral("Łódź")},
        {&pl, 15, QStringLiteral("Nowak, Kowal Jan")},
        {&pl, 16, QStringLiteral("2/03/2025")},
        {&pl, 17, QStringLiteral("2025-03-01")},
        {&pl, 18, QStringLiteral("2025-03-15")},
        {&pl, 19, DigitsOnly(QStringLiteral("12 1240 1037 1111 0010 1234 5678"))},
        {&pl, 22, QStringLiteral("123,45")},
        {&pl, 24, QStringLiteral("QV501")},
    };
    for (const TCheck& c : checks)
        EXPECT_EQ(c.row->at(c.field - 1), c.expected) << "field " << c.field;
    EXPECT_TRUE(cor[8].contains(QStringLiteral("Długa"))) << cor[8].toStdString();
}

TEST_F(EnveloTest, NeolistRowsHaveTwoHeadLinesAndTwentyOneFields)
{
    const int user = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 501);
    AddInvoices(user, 3, QDate(2025, 3, 1));
    const TBulkSql sql = BuildBulkSql(AllOf(bkInvoice, boNeolist));
    TBulkRun run = RunOf(sql);
    const QStringList packages = BuildEnveloPackages(S(), sql, false, run);
    ASSERT_EQ(packages.size(), 1);
    EXPECT_EQ(QFileInfo(packages[0]).fileName(), QStringLiteral("envelo_neolist_Fv01.zip"));
    const QStringList lines = CrLfLines(FileBytes(ExportFolder + QStringLiteral("faktury.csv")));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Neolist;"));
    EXPECT_EQ(lines[1], QStringLiteral("---;"));
    EXPECT_EQ(lines[2], QStringLiteral(";;;;Nowak Jan;%1;112;7;90-006;Łódź;Polska;1;N;N;N;1;;"
                                       "F_1_03_2025.pdf;N;S;N")
                            .arg(Street(user)));
}

TEST_F(EnveloTest, LettersPackageListsTempInCodePage1250WithSheetAndPdfs)
{
    const int a = AddSubscriber(QStringLiteral("Żak"), QStringLiteral("Łucja"), 701);
    const int b = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 702);
    S()->ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS Temp"));
    S()->ExecQuery(QStringLiteral(
        "CREATE TEMPORARY TABLE IF NOT EXISTS `Temp` (`T_INDEX` INT NOT NULL AUTO_INCREMENT ,`T_INDEXUSER` "
        "INT NOT "
        "NULL,`T_TRESC` LONGTEXT, `T_TYTUL` VARCHAR(60), `T_PDF` VARCHAR(100), PRIMARY KEY (T_INDEX) , INDEX "
        "(T_INDEXUSER)) ENGINE = InnoDB COLLATE utf8_polish_ci"));
    for (const auto& [user, pdf] : {std::pair{a, "Pismo_701"}, std::pair{b, "Pismo_702"}})
        S()->ExecQuery(
            QStringLiteral("insert into Temp set T_TRESC='x', T_TYTUL='t', T_INDEXUSER=:p1, T_PDF=:p2"),
            {user, pdf});
    for (const char* name : {"Pismo_701.pdf", "Pismo_702.pdf"}) {
        QFile f(ExportFolder + QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n");
    }
    const QString package = BuildEnveloLettersPackage(S());
    EXPECT_EQ(QFileInfo(package).fileName(), QStringLiteral("envelo_pismo.zip"));
    EXPECT_EQ(ZipEntries(package),
              (QStringList{QStringLiteral("envelo.xlsx"), QStringLiteral("Pismo_701.pdf"),
                           QStringLiteral("Pismo_702.pdf")}));
    const QByteArray csv = FileBytes(ExportFolder + QStringLiteral("envelo_pismo.csv"));
    const QStringList lines = QString::fromUtf8(Cp1250ToUtf8(csv)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral(";;;;Żak Łucja;%1;112;7;90-006;Łódź;Polska;1;N;N;N;1;;"
                                       "Pismo_701.pdf;N;S;N")
                            .arg(Street(a)));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral(";;;;Nowak Jan;")));
    EXPECT_FALSE(csv.contains("\xC5\xBB")) << "UTF-8 found instead of code page 1250";
    EXPECT_TRUE(FileBytes(ExportFolder + QStringLiteral("envelo.xlsx")).startsWith("PK"));
}
