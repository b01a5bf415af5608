// Batch packages and their statuses, a chain against a slow and strict KSeF,
// and the cleanup of test-environment rows.
#include "core/DbIni.h"
#include "core/Session.h"
#include "ksef/FakturaXml.h"
#include "ksef/KsefError.h"
#include "ksef/KsefOperacje.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefTabele.h"
#include "platform/ZipArchive.h"
#include "tests/ksef/KsefOpsFixture.h"

#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>

class KsefOperacjeWsad : public KsefOpsTest
{
protected:
    // A package of the documents' FA(3) files, named as the package output names it.
    QString Package(const QList<int>& invoices, const QString& name)
    {
        QStringList files;
        for (int fv : invoices)
            files << Out() + QStringLiteral("KSeF_FV_%1.xml").arg(fv);
        const QString zip = Out() + name;
        TZipArchiver().CreateArchive(zip, files);
        return zip;
    }
    int Rows(const QString& where, const TArgs& args = {})
    {
        return Int(QStringLiteral("select count(*) from ") + where, args);
    }
};

TEST_F(KsefOperacjeWsad, SevenHundredStatusesAreReadInTwoPagesIntoOneTransaction)
{
    // Invoices of the package: rows for the links, files copied from the ministry's sample.
    QList<int> invoices;
    for (int i = 0; i < 700; ++i) {
        S()->ExecQuery(
            QStringLiteral("insert into Fv (FV_NUMERTXT, FV_DATAWYSTAWIENIA, FV_PODMIOT) values (:p1, "
                           "'2026-02-15', 1)"),
            {QStringLiteral("FV/%1/02/2026").arg(i + 1)});
        const int fv = int(S()->LastInsertId());
        invoices << fv;
        CopySample(Out(), QStringLiteral("FA_3_Przykład_1.xml"), QStringLiteral("FV/%1/02/2026").arg(i + 1),
                   QStringLiteral("KSeF_FV_%1.xml").arg(fv));
    }
    const QString zip = Package(invoices, QStringLiteral("KSeF_Fv_20260228_120000_01.zip"));
    OpenClient(1);
    QString session;
    KsefSendPackage(zip, 'F', session);
    ASSERT_TRUE(session.contains(QStringLiteral("-SB-"))) << session.toStdString();
    EXPECT_EQ(QString::fromUtf8(ReadBytes(zip + QStringLiteral(".sesja"))), session);
    EXPECT_EQ(Rows(QStringLiteral("Ksef where KSEF_IDENTYFIKATOR='WYSYŁKA FV' and KSEF_NRREFSESJI=:p1 and "
                                  "KSEF_PLIK='KSeF_Fv_20260228_120000_01.zip' and KSEF_STATUS='Wysłano' and "
                                  "KSEF_DANE like '%partUploadRequests%'"),
                   {session}),
              1);

    // A failure on the second page leaves nothing of the first.
    m_stub.Fault(QJsonObject{
        {QStringLiteral("match"), QStringLiteral("/invoices")},
        {QStringLiteral("method"), QStringLiteral("GET")},
        {QStringLiteral("skip"), 1},
        {QStringLiteral("status"), 500},
        {QStringLiteral("body"), QStringLiteral("{\"title\":\"Internal Server Error\",\"status\":500}")}});
    QString text = QStringLiteral("przed");
    EXPECT_THROW(KsefReadSessionStatuses(session, 'F', text), EKsefError);
    EXPECT_EQ(text, QStringLiteral("0"));
    EXPECT_EQ(Rows(QStringLiteral("FvKsef")), 0);
    EXPECT_EQ(Rows(QStringLiteral("Ksef where KSEF_IDENTYFIKATOR='STATUS'")), 0);

    const int pages = m_stub.Count(QStringLiteral("GET /v2/sessions/{ref}/invoices"));
    KsefReadSessionStatuses(session, 'F', text);
    EXPECT_EQ(text, QStringLiteral("700"));
    EXPECT_EQ(m_stub.Count(QStringLiteral("GET /v2/sessions/{ref}/invoices")) - pages, 2);
    EXPECT_EQ(
        Rows(QStringLiteral("FvKsef where FV_KSEF_NRREFSESJI=:p1 and length(FV_KSEF_NRKSEF)=35 and "
                            "FV_KSEF_STATUS='Sukces' and FV_KSEF_OPERATORID=3 and FV_KSEF_TYPBRAMKI=2 and "
                            "FV_KSEF_LINKOFFLINE like 'https://qr-test.ksef.mf.gov.pl/invoice/9999999999/%'"),
             {session}),
        700);
    EXPECT_EQ(Rows(QStringLiteral(
                       "Ksef where KSEF_IDENTYFIKATOR='STATUS' and KSEF_NRREFSESJI=:p1 and KSEF_ILOSC=700 "
                       "and KSEF_STATUS='Pobrano: 700' and KSEF_DANE=''"),
                   {session}),
              1);
    // The session check lists the session in pages of 50 into one log row.
    KsefCheckSession(session, text);
    EXPECT_EQ(text, QStringLiteral("Sesja: ") + session +
                        QStringLiteral("\r\nStatus: Sesja przetworzona pomyślnie"));
    EXPECT_EQ(Rows(QStringLiteral(
                       "Ksef where KSEF_IDENTYFIKATOR='STATUS' and KSEF_NRREFSESJI=:p1 and KSEF_ILOSC=700 "
                       "and KSEF_DANE like '%continuationToken%'"),
                   {session}),
              1);
    EXPECT_EQ(ReadBytes(PrivateFolder + QStringLiteral("Sesja_") + session + QStringLiteral(".txt"))
                  .count("\"invoices\""),
              14);
    KsefCheckSession(QString(), text);
    EXPECT_EQ(text, QStringLiteral("Brak sesji do sprawdzenia"));

    const QString log = QString::fromUtf8(
        ReadBytes(Out() + QStringLiteral("Sesja_") + session + QStringLiteral("_status.log")));
    EXPECT_EQ(log.count(QStringLiteral("\r\n---\r\n")), 200);
    EXPECT_EQ(log.count(QStringLiteral("Kod opdpowiedzi: 200")), 200);
}

TEST_F(KsefOperacjeWsad, PackageSentAgainKeepsTheNumbersKsefGaveFirst)
{
    QList<int> invoices;
    for (int i = 0; i < 3; ++i) {
        invoices << AddFv(1, QStringLiteral("FV/%1/03/2026").arg(i + 1));
        ASSERT_NE(WriteKsefFvXml(invoices.last()), QStringLiteral("0"));
    }
    const QString zip = Package(invoices, QStringLiteral("KSeF_Fv_20260331_120000_01.zip"));
    OpenClient(1);
    QString first, second, text;
    KsefSendPackage(zip, 'F', first);
    KsefReadSessionStatuses(first, 'F', text);
    ASSERT_EQ(text, QStringLiteral("3"));
    const QString numbers =
        Text(QStringLiteral("select group_concat(FV_KSEF_NRKSEF order by FV_KSEF_IDFAKTURY) from FvKsef"));
    const QString refs = Text(
        QStringLiteral("select group_concat(FV_KSEF_NRREFFAKTURY order by FV_KSEF_IDFAKTURY) from FvKsef"));
    // The same package once more: KSeF refuses every invoice as a duplicate.
    KsefSendPackage(zip, 'F', second);
    KsefReadSessionStatuses(second, 'F', text);
    EXPECT_EQ(text, QStringLiteral("3"));
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(FV_KSEF_NRKSEF order by FV_KSEF_IDFAKTURY) from FvKsef")),
        numbers);
    EXPECT_EQ(Text(QStringLiteral(
                  "select group_concat(FV_KSEF_NRREFFAKTURY order by FV_KSEF_IDFAKTURY) from FvKsef")),
              refs);
    EXPECT_EQ(Rows(QStringLiteral("FvKsef where FV_KSEF_NRREFSESJI=:p1"), {first}), 3);
    EXPECT_EQ(Rows(QStringLiteral("Ksef where KSEF_IDENTYFIKATOR='STATUS'")), 2);
}

TEST_F(KsefOperacjeWsad, SlowAndStrictKsefStillEndsWithEveryNumberAndReceipt)
{
    m_stub.Config(QJsonObject{{QStringLiteral("authPendingPolls"), 1},
                              {QStringLiteral("invoicePendingPolls"), 3},
                              {QStringLiteral("sessionPendingPolls"), 3},
                              {QStringLiteral("sendLimit"), 3},
                              {QStringLiteral("sendBlockSeconds"), 1},
                              {QStringLiteral("shuffleUploads"), true}});
    KsefState().BatchPartBytes = 1500;
    // The pauses grow as they do against KSeF, from a shorter start.
    KsefState().Waits.StatusPauses = {0, 200, 400};
    KsefState().Waits.SessionPauses = {0, 200, 400};
    QList<int> single, packed;
    for (int i = 0; i < 4; ++i)
        single << AddFv(1, QStringLiteral("FV/%1/04/2026").arg(i + 1));
    for (int i = 0; i < 5; ++i) {
        packed << AddFv(1, QStringLiteral("FV/%1/04/2026").arg(i + 11));
        ASSERT_NE(WriteKsefFvXml(packed.last()), QStringLiteral("0"));
    }
    OpenClient(1);
    QString text;
    for (int fv : single) {
        KsefSendFv(fv, text);
        ASSERT_TRUE(text.startsWith(QStringLiteral("Faktura wysłana do KSeF pod Nr referenc.: ")))
            << text.toStdString();
        KsefCheckFvStatus(fv, text);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Pobrano status: 200"))) << text.toStdString();
    }
    // The fourth send was answered 429 once and went again after the pause.
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/sessions/online/{ref}/invoices")), 5);

    const QString zip = Package(packed, QStringLiteral("KSeF_Fv_20260430_120000_01.zip"));
    QString session;
    KsefSendPackage(zip, 'F', session);
    ASSERT_GT(KsefState().Batch.Parts.size(), 2);
    EXPECT_EQ(m_stub.Count(QStringLiteral("PUT /blob/{ref}/1")) +
                  m_stub.Count(QStringLiteral("PUT /blob/{ref}/2")),
              2);
    KsefReadSessionStatuses(session, 'F', text);
    EXPECT_EQ(text, QStringLiteral("5"));
    KsefCloseSession(text);

    for (int fv : single + packed) {
        SCOPED_TRACE(fv);
        EXPECT_EQ(
            Text(QStringLiteral("select length(FV_KSEF_NRKSEF) from FvKsef where FV_KSEF_IDFAKTURY=:p1"),
                 {fv}),
            QStringLiteral("35"));
        KsefGetFvUpo(fv, text);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Zapisano UPO: "))) << text.toStdString();
    }
    EXPECT_EQ(Rows(QStringLiteral("Ksef where KSEF_IDENTYFIKATOR='UPO' and length(KSEF_NRKSEF)=35")), 9);
}

TEST_F(KsefOperacjeWsad, CleanupRemovesTestEnvironmentRowsOnly)
{
    // The setting absent: the rows of a send are stamped 2.
    const int onTest = AddFv(1, QStringLiteral("FV/1/05/2026"));
    OpenClient(1);
    QString text;
    KsefSendFv(onTest, text);
    KsefCheckFvStatus(onTest, text);
    KsefCloseSession(text);
    KsefGetFvUpo(onTest, text);
    // Production rows (setting 0, read at the next opening) stay.
    WriteIniInteger(0, QStringLiteral("KSeF_TypBramki"), 0);
    const int onProduction = AddFv(1, QStringLiteral("FV/2/05/2026"));
    OpenClient(1);
    KsefSendFv(onProduction, text);
    KsefCloseSession(text);
    KsefGetFvUpo(onProduction, text);
    EXPECT_EQ(Rows(QStringLiteral("FvKsef where FV_KSEF_TYPBRAMKI=2")), 1);
    EXPECT_EQ(Rows(QStringLiteral("FvKsef where FV_KSEF_TYPBRAMKI=0")), 1);
    S()->ExecQuery(
        QStringLiteral("insert into FvkKsef(FVK_KSEF_IDFAKTURY, FVK_KSEF_TYPBRAMKI) values (1, 1), (2, 0)"));
    S()->ExecQuery(
        QStringLiteral("insert into FvKsefPobrane(FV_NRKSEF, FV_KSEF_TYPBRAMKI) values ('a', 2), ('b', 0)"));

    EXPECT_TRUE(KsefClearTestData());
    for (const char* table : {"Ksef where KSEF_TYPBRAMKI", "FvKsef where FV_KSEF_TYPBRAMKI",
                              "FvkKsef where FVK_KSEF_TYPBRAMKI", "FvKsefPobrane where FV_KSEF_TYPBRAMKI"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(Rows(QString::fromLatin1(table) + QStringLiteral("<>0")), 0);
        EXPECT_GE(Rows(QString::fromLatin1(table) + QStringLiteral("=0")), 1);
    }
    EXPECT_EQ(ReadIniString(0, QStringLiteral("KsefCzyszczenie"), QString()),
              QDate::currentDate().toString(Qt::ISODate));

    // Failing at its third delete: the first two tables are cleaned, yesterday stored.
    S()->ExecQuery(
        QStringLiteral("insert into Ksef(KSEF_IDENTYFIKATOR, KSEF_TYPBRAMKI) values ('STATUS', 1)"));
    S()->ExecQuery(QStringLiteral("insert into FvKsef(FV_KSEF_IDFAKTURY, FV_KSEF_TYPBRAMKI) values (9, 2)"));
    S()->ExecQuery(QStringLiteral("insert into FvKsefPobrane(FV_NRKSEF, FV_KSEF_TYPBRAMKI) values ('c', 2)"));
    S()->ExecQuery(QStringLiteral("rename table FvkKsef to FvkKsefGdzieIndziej"));
    EXPECT_FALSE(KsefClearTestData());
    EXPECT_EQ(Rows(QStringLiteral("Ksef where KSEF_TYPBRAMKI<>0")), 0);
    EXPECT_EQ(Rows(QStringLiteral("FvKsef where FV_KSEF_TYPBRAMKI<>0")), 0);
    EXPECT_EQ(Rows(QStringLiteral("FvKsefPobrane where FV_KSEF_TYPBRAMKI<>0")), 1);
    EXPECT_EQ(ReadIniString(0, QStringLiteral("KsefCzyszczenie"), QString()),
              QDate::currentDate().addDays(-1).toString(Qt::ISODate));
}

TEST_F(KsefOperacjeWsad, CleanupIsDueOnceADayFromFebruary2026)
{
    const struct
    {
        const char* stored;
        QDate today;
        bool due;
    } cases[] = {{"2026-01-31", QDate(2026, 1, 31), false},
                 {"2026-01-31", QDate(2026, 2, 1), true},
                 {"2026-03-05", QDate(2026, 3, 5), false},
                 {"2026-03-04", QDate(2026, 3, 5), true},
                 {"", QDate(2026, 3, 5), true}};
    for (const auto& c : cases) {
        WriteIniString(0, QStringLiteral("KsefCzyszczenie"), QString::fromLatin1(c.stored));
        EXPECT_EQ(KsefClearTestDataDue(c.today), c.due)
            << c.stored << " " << c.today.toString().toStdString();
    }
}
