#include "payments/ImportPm.h"
#include "billing/RachunkiBankowe.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "payments/FormatyPm.h"
#include "tests/payments/PmFixture.h"

#include <QFile>

namespace {

const QString kAcc1 = QStringLiteral("61109010140000071219812874");

QByteArray twoRaw()
{
    return RawLine(QStringLiteral("2024-05-31"), SubAccount(7), QStringLiteral("150,00"),
                   QStringLiteral("Jan Kowalski, ul. Różana 1"), QStringLiteral("Abonament maj")) +
           RawLine(QStringLiteral("20240601"), QStringLiteral("12345678"), QStringLiteral("1234"),
                   QStringLiteral("Anna Nowak"), QStringLiteral("Zaległość"));
}

int rows(const PmTest& t, const QString& where = QStringLiteral("1=1"));

} // namespace

TEST(PmLines, LineEndsAndNul)
{
    struct Case
    {
        const char* rule;
        QByteArray in;
        QList<QByteArray> out;
    } cases[] = {
        {"CR LF", QByteArray("a\r\nb\r\n"), {"a", "b"}},
        {"lone LF", QByteArray("a\nb\n"), {"a", "b"}},
        {"lone CR", QByteArray("a\rb"), {"a", "b"}},
        {"LF then CR is two ends", QByteArray("a\n\rb"), {"a", "", "b"}},
        {"last line without end", QByteArray("a\r\nb"), {"a", "b"}},
        {"NUL ends the text", QByteArray("a\r\nb\0c\r\nd", 10), {"a", "b"}},
        {"UTF-16 keeps what precedes the first zero",
         QByteArray("\xff\xfe"
                    "1\0|\0",
                    6),
         {"\xff\xfe"
          "1"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalisePmLines(c.in), c.out) << c.rule;
    EXPECT_EQ(JoinPmLines({"a", ""}), QByteArray("a\r\n\r\n"));
}

TEST(PmLines, Splitters)
{
    const QString line = QStringLiteral("1,\"ul. Polna 1, Kraków\",x");
    QString changed;
    EXPECT_EQ(SplitPmLine(line, QLatin1Char(','), TPmSplitter::QuotedBlank, &changed),
              (QStringList{"1", QStringLiteral("ul. Polna 1  Kraków"), "x"}));
    EXPECT_EQ(changed, QStringLiteral("1,\"ul. Polna 1  Kraków\",x"))
        << "the log shows the line after pass 1";
    EXPECT_EQ(SplitPmLine(line, QLatin1Char(','), TPmSplitter::QuotedDropped),
              (QStringList{"1", QStringLiteral("ul. Polna 1 Kraków"), "x"}));
    EXPECT_EQ(SplitPmLine(line, QLatin1Char(','), TPmSplitter::Plain).size(), 4)
        << "quotes are plain characters";
    EXPECT_EQ(SplitPmLine(QString(), QLatin1Char('|'), TPmSplitter::Plain), QStringList{QString()});
    QStringList sixty;
    for (int i = 1; i <= 60; ++i)
        sixty.append(QString::number(i));
    const QStringList f = SplitPmLine(sixty.join(QLatin1Char('|')), QLatin1Char('|'), TPmSplitter::Plain);
    ASSERT_EQ(f.size(), 49);
    EXPECT_EQ(f.last(), QStringLiteral("60")) << "further pieces overwrite F49";
    EXPECT_EQ(PmField(f, 50), QString());
}

TEST(PmConversions, AmountsDatesAccounts)
{
    EXPECT_EQ(PmGroszDigits(QStringLiteral("150")), Zl("1.50"));
    EXPECT_EQ(PmGroszDigits(QStringLiteral("150,00")), Zl("150"));
    EXPECT_EQ(PmGroszDigits(QStringLiteral("-12 345 PLN")), Zl("123.45"));
    EXPECT_EQ(PmGroszDigits(QStringLiteral("2147483647")), Zl("21474836.47"));
    EXPECT_THROW(PmGroszDigits(QStringLiteral("2147483648")), EPmReadError) << "above 21 474 836,47 zł";
    EXPECT_THROW(PmGroszDigits(QString()), EPmReadError);
    EXPECT_EQ(PmGroszSeparator(QStringLiteral("1234,56")), PmGroszSeparator(QStringLiteral("1234.56")));
    EXPECT_EQ(PmGroszSeparator(QStringLiteral("123,45")), Zl("123.45"));
    EXPECT_EQ(PmGroszPlain(QStringLiteral("15000")), Zl("150"));
    EXPECT_THROW(PmGroszPlain(QStringLiteral("150,00")), EPmReadError);
    EXPECT_EQ(PmZloty(QStringLiteral("150.00")), Zl("150"));
    EXPECT_THROW(PmZloty(QStringLiteral("150,5x")), EPmReadError);
    EXPECT_EQ(PmDateYmd(QStringLiteral("20240531")), QStringLiteral("2024-05-31"));
    EXPECT_EQ(PmDateDmy(QStringLiteral("31052024")), QStringLiteral("2024-05-31"));
    EXPECT_EQ(PmGrouped(kAcc1), QStringLiteral("61 1090 1014 0000 0712 1981 2874"));
    EXPECT_EQ(PmGrouped(QStringLiteral("6110")), QStringLiteral("61 10     "))
        << "short groups keep their blanks";
    EXPECT_EQ(PmChecked(QStringLiteral("12345678")), QStringLiteral("NIEPEŁNY NR RACHUNKU!"));
    EXPECT_EQ(PmChecked(kAcc1 + QStringLiteral("99")), PmGrouped(kAcc1));
}

namespace {
int rows(const PmTest&, const QString& where)
{
    return GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select count(*) from PlatnosciMasowe where ") + where);
}
} // namespace

TEST_F(PmTest, RawFileStoresItsRowsAndMatchesBySubAccount)
{
    const int user = AddUser(7, SubAccount(7));
    const TPmImportResult r = Import(WriteFile(QStringLiteral("wyciag.txt"), twoRaw()));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.read, 2);
    EXPECT_EQ(r.imported, 2);
    auto q =
        S()->OpenQuery(QStringLiteral("select PM_DATABANK, PM_KWOTA, PM_NUMERRACHUNKU, PM_ADRESWPLACAJACEGO, "
                                      "PM_TYTUL, PM_INDEXUSER, PM_DATAIMPORTU from PlatnosciMasowe order by "
                                      "PM_INDEX"));
    ASSERT_EQ(q->RecordCount(), 2);
    EXPECT_EQ(q->Fields(0)->AsString(), QStringLiteral("2024-05-31"));
    EXPECT_EQ(q->Fields(1)->AsCurrency(), Zl("150"));
    EXPECT_EQ(q->Fields(2)->AsString(), SubAccount(7));
    EXPECT_EQ(q->Fields(3)->AsString(), QStringLiteral("Jan Kowalski, ul. Różana 1"));
    EXPECT_EQ(q->Fields(4)->AsString(), QStringLiteral("Abonament maj"));
    EXPECT_EQ(q->Fields(5)->AsInteger(), user);
    EXPECT_EQ(q->Fields(6)->AsDate(), QDate::currentDate());
    q->Next();
    EXPECT_EQ(q->Fields(1)->AsCurrency(), Zl("12.34"));
    EXPECT_EQ(q->Fields(2)->AsString(), QStringLiteral("NIEPEŁNY NR RACHUNKU!"));
    EXPECT_EQ(q->Fields(5)->AsInteger(), 0);
    auto reg =
        S()->OpenQuery(QStringLiteral("select PMMD5_STATUS, PMMD5_FORMAT, PMMD5_ILOSCODCZYTANYCH, "
                                      "PMMD5_ILOSCZAIMPORTOWANYCH, PMMD5_LOGIMPORTU, PMMD5_DATAIMPORTU, "
                                      "PMMD5_OPERATORID from PmMD5"));
    ASSERT_EQ(reg->RecordCount(), 1);
    EXPECT_EQ(reg->Fields(0)->AsString(), QStringLiteral("OK"));
    EXPECT_EQ(reg->Fields(1)->AsString(), QStringLiteral("RAW"));
    EXPECT_EQ(reg->Fields(2)->AsInteger(), 2);
    EXPECT_EQ(reg->Fields(3)->AsInteger(), 2);
    const QString log = reg->Fields(4)->AsString();
    EXPECT_TRUE(log.startsWith(QStringLiteral("2024-05-31|"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("\r\n\r\n\r\n"))) << "text, then the reading log";
    EXPECT_TRUE(log.contains(QString(56, QLatin1Char('='))));
    EXPECT_TRUE(log.endsWith(QStringLiteral(".... Zakończono")));
    EXPECT_TRUE(reg->Fields(5)->AsDate().isValid()) << "the import time is filled";
    EXPECT_EQ(reg->Fields(6)->AsInteger(), 1);
    EXPECT_FALSE(QFile::exists(PrivateFolder + QStringLiteral("wyciag.txt"))) << "the copy is deleted";
}

TEST_F(PmTest, LoneLfFileIsRegisteredUnderTheCrLfMd5)
{
    QByteArray lf = twoRaw();
    lf.replace("\r\n", "\n");
    const QString crlfPath = WriteFile(QStringLiteral("crlf.txt"), twoRaw());
    const QString lfPath = WriteFile(QStringLiteral("lf.txt"), lf);
    ASSERT_TRUE(Import(lfPath).ok);
    EXPECT_EQ(Text(QStringLiteral("select PMMD5_MD5 from PmMD5")), FileMd5Hex(crlfPath));
    // The window's check sees the LF file's own MD5 and lets it through; the reader refuses it.
    EXPECT_EQ(PmImportRefusal(lfPath, QStringLiteral("RAW")), QString());
    const TPmImportResult again = Import(lfPath);
    EXPECT_FALSE(again.ok);
    EXPECT_TRUE(again.duplicate);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PmMD5")), 1);
    EXPECT_EQ(rows(*this), 2);
}

TEST_F(PmTest, ImportRefusesBigAndRegisteredFiles)
{
    // One normalised record padded in its title to exactly 512,000 bytes.
    const QByteArray head = RawLine(QStringLiteral("20240531"), SubAccount(1), QStringLiteral("100"),
                                    QStringLiteral("x"), QString());
    const QByteArray exact = RawLine(QStringLiteral("20240531"), SubAccount(1), QStringLiteral("100"),
                                     QStringLiteral("x"), QString(512000 - head.size(), QLatin1Char('y')));
    ASSERT_EQ(exact.size(), 512000);
    const QString ok = WriteFile(QStringLiteral("exact.txt"), exact);
    const QString big = WriteFile(QStringLiteral("big.txt"), exact + "\r\n");
    EXPECT_EQ(PmImportRefusal(ok, QStringLiteral("RAW")), QString());
    EXPECT_TRUE(
        PmImportRefusal(big, QStringLiteral("RAW")).startsWith(QStringLiteral("Zbyt duży rozmiar pliku")));
    EXPECT_EQ(PmImportRefusal(ok, QString()), QStringLiteral("Proszę określić format pliku importu"));
    const TPmImportResult r = Import(ok);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.imported, 1);
    EXPECT_TRUE(PmImportRefusal(ok, QStringLiteral("RAW"))
                    .startsWith(QStringLiteral("Wskazany plik już wcześniej został zaimportowany.\r\n")));
    EXPECT_EQ(PmImportRefusal(ok, QStringLiteral("BS")), QString()) << "another layout may read it";
}

TEST_F(PmTest, FailedReadLeavesNoRowsAndRegistersTheFailure)
{
    struct Case
    {
        const char* rule;
        QByteArray content;
        bool ok;
        int read;
    } cases[] = {
        {"a day that does not exist",
         RawLine("20240531", SubAccount(1), "100", "a", "b") +
             RawLine("20240230", SubAccount(1), "100", "a", "b"),
         false, 2},
        {"an amount above 21 474 836,47 zł",
         RawLine("20240531", SubAccount(1), "100", "a", "b") +
             RawLine("20240531", SubAccount(1), "2147483648", "a", "b"),
         false, 2},
        {"a binary file", QByteArray("\x01\x02|\xff\xfe|\x00|\x00|\x00", 11), true, 0},
        {"UTF-16",
         QByteArray("\xff\xfe"
                    "2\0"
                    "0\0"
                    "|\0"
                    "1\0"
                    "|\0"
                    "2\0"
                    "|\0"
                    "a\0"
                    "|\0"
                    "b\0",
                    22),
         true, 0},
        {"a file cut in the middle of its second record",
         RawLine("20240531", SubAccount(1), "100", "a", "b") + QByteArray("20240531|") +
             SubAccount(1).toLatin1(),
         true, 1},
    };
    int n = 0;
    for (const Case& c : cases) {
        S()->ExecQuery(QStringLiteral("delete from PlatnosciMasowe"));
        TMD::ClearRecorded();
        const TPmImportResult r = Import(WriteFile(QStringLiteral("f%1.txt").arg(++n), c.content));
        EXPECT_EQ(r.ok, c.ok) << c.rule;
        EXPECT_EQ(r.read, c.read) << c.rule;
        EXPECT_EQ(rows(*this), c.ok ? c.read : 0) << c.rule;
        EXPECT_EQ(
            Text(QStringLiteral("select PMMD5_STATUS from PmMD5 where PMMD5_INDEX=:p1"), {r.registerId}),
            c.ok ? QStringLiteral("OK") : QStringLiteral("Błąd importu"))
            << c.rule;
        EXPECT_EQ(Shown(), c.ok ? QStringList{}
                                : QStringList{QStringLiteral("   Odczyt pliku importu nie powiodl sie.   ")})
            << c.rule;
    }
}

TEST_F(PmTest, FailedReadInsideTheWindowTransactionKeepsEarlierImports)
{
    S()->StartTransaction();
    ASSERT_TRUE(Import(WriteFile(QStringLiteral("a.txt"), twoRaw())).ok);
    const TPmImportResult bad =
        Import(WriteFile(QStringLiteral("b.txt"), RawLine("20240531", SubAccount(1), "100", "a", "b") +
                                                      RawLine("2024-13-01", SubAccount(1), "100", "a", "b")));
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(rows(*this), 2) << "only the failed file's rows went";
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PmMD5")), 2);
    const QString log =
        Text(QStringLiteral("select PMMD5_LOGIMPORTU from PmMD5 where PMMD5_INDEX=:p1"), {bad.registerId});
    EXPECT_TRUE(log.contains(QStringLiteral("2024-13-01|"))) << "the file's text is kept with its log";
    S()->Rollback();
    EXPECT_EQ(rows(*this), 0) << "closing without saving leaves no row";
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PmMD5")), 0) << "nor a register row";
}

TEST_F(PmTest, SixtyPiecesAndEmptyLinesArePassedOver)
{
    QStringList sixty;
    for (int i = 0; i < 60; ++i)
        sixty.append(QStringLiteral("1"));
    const TPmImportResult r = Import(
        WriteFile(QStringLiteral("p.txt"), sixty.join(QLatin1Char('|')).toLatin1() + "\r\n\r\n" + twoRaw()));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.read, 2);
}

TEST_F(PmTest, ActiveSubscriberWinsThenTheNewestAndBlanksMustMatch)
{
    const QString acc = SubAccount(5);
    const int inactive = AddUser(1, acc, QString(), false);
    const int active = AddUser(2, QString(), acc, true);
    (void)inactive;
    const QString acc2 = SubAccount(6);
    AddUser(3, acc2);
    const int newer = AddUser(4, acc2);
    QByteArray file = RawLine("20240531", acc, "100", "a", "b") + RawLine("20240531", acc2, "100", "a", "b");
    ASSERT_TRUE(Import(WriteFile(QStringLiteral("m.txt"), file)).ok);
    EXPECT_EQ(
        Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe where PM_NUMERRACHUNKU=:p1"), {acc}),
        active);
    EXPECT_EQ(
        Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe where PM_NUMERRACHUNKU=:p1"), {acc2}),
        newer);
    // A subscriber whose account is kept without blanks is never matched.
    const QString acc3 = SubAccount(8);
    AddUser(9, QString(acc3).remove(QLatin1Char(' ')));
    ASSERT_TRUE(Import(WriteFile(QStringLiteral("n.txt"), RawLine("20240531", acc3, "100", "a", "b"))).ok);
    EXPECT_EQ(
        Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe where PM_NUMERRACHUNKU=:p1"), {acc3}),
        0);
}

TEST_F(PmTest, EveryRowOfOneAccountIsMatchedAndTiedRowsKeepTheirSubscriber)
{
    const QString acc = SubAccount(5);
    const int older = AddUser(1, acc, QString(), true);
    AddUser(2, acc, QString(), false);
    const int both = AddUser(3, SubAccount(6), SubAccount(6));
    ASSERT_TRUE(Import(WriteFile(QStringLiteral("a.txt"), RawLine("20240531", acc, "100", "a", "b"))).ok);
    const int tied = Int(QStringLiteral("select PM_INDEX from PlatnosciMasowe"));
    // An operator ties the first row elsewhere; matching again leaves it.
    GlobalSession()->ExecQuery(
        QStringLiteral("update PlatnosciMasowe set PM_INDEXUSER=:p1 where PM_INDEX=:p2"), {both, tied});
    ASSERT_TRUE(
        Import(WriteFile(QStringLiteral("b.txt"), RawLine("20240601", acc, "100", "a", "b") +
                                                      RawLine("20240602", acc, "200", "a", "b") +
                                                      RawLine("20240603", SubAccount(6), "300", "a", "b")))
            .ok);
    EXPECT_EQ(Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe where PM_INDEX=:p1"), {tied}),
              both);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PlatnosciMasowe where PM_INDEXUSER=:p1"), {older}), 2)
        << "the active subscriber gets every row of the account, the inactive newer one none";
    EXPECT_EQ(Int(QStringLiteral("select PM_INDEXUSER from PlatnosciMasowe where PM_DATABANK='2024-06-03'")),
              both)
        << "an account in both columns of one subscriber";
}

TEST_F(PmTest, ForeignPrefixRemovalTakesOnlyThisFilesRows)
{
    // Characters 19-22 of the grouped number: the prefix of the last twelve digits.
    const QString own = CompleteNrb(QStringLiteral("105010250000000000000001"));
    const QString foreign = CompleteNrb(QStringLiteral("105010250000123400000001"));
    ASSERT_EQ(foreign.mid(18, 4), QStringLiteral("1234"));
    ASSERT_TRUE(
        Import(WriteFile(QStringLiteral("old.txt"), RawLine("20240530", foreign, "100", "a", "earlier"))).ok);
    const TPmImportResult r =
        Import(WriteFile(QStringLiteral("new.txt"), RawLine("20240531", own, "100", "a", "b") +
                                                        RawLine("20240531", foreign, "200", "a", "b")),
               QStringLiteral("RAW"), true);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(rows(*this, QStringLiteral("PM_TYTUL='earlier'")), 1) << "an earlier file's row stays";
    EXPECT_EQ(rows(*this, QStringLiteral("PM_KWOTA=2")), 0) << "this file's foreign row goes";
    EXPECT_EQ(rows(*this, QStringLiteral("PM_KWOTA=1 and PM_TYTUL='b'")), 1);
    EXPECT_TRUE(
        Text(QStringLiteral("select PMMD5_LOGIMPORTU from PmMD5 where PMMD5_INDEX=:p1"), {r.registerId})
            .contains(QStringLiteral("UWAGA: Po imporcie usunięto 1 rekord(ów) z obcym prefixem")));
}

TEST_F(PmTest, UnpostedCounterText)
{
    ASSERT_TRUE(
        Import(WriteFile(QStringLiteral("c.txt"), RawLine("20240531", SubAccount(1), "10000", "a", "b") +
                                                      RawLine("20240531", SubAccount(2), "5000", "a", "b")))
            .ok);
    EXPECT_EQ(UnpostedCounterText(CountUnpostedPm()), QStringLiteral("Niezaksiegowanych: 2  (150,00 zł)"));
}
