// The program's KSeF operations end to end against the stand-in: opening the
// client for a company, authentication, online sending, statuses with the
// KSeF number, receipts, and the failures an office meets.
#include "ksef/KsefOperacje.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/ScrambleText.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefResults.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefTabele.h"
#include "tests/ksef/KsefOpsFixture.h"

#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

QString errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EKsefError& e) {
        return e.Message();
    }
    ADD_FAILURE() << "the call succeeded where it must fail";
    return QString();
}

const QString kSent = QStringLiteral("Faktura wysłana do KSeF pod Nr referenc.: ");

} // namespace

class KsefOperacje : public KsefOpsTest
{
protected:
    QString Row(char kind, int index, const char* column)
    {
        const TKsefDocKind& k = KsefDocKind(kind);
        return Text(QStringLiteral("select %1 from %2 where %3=:p1")
                        .arg(k.Col(column), k.Table(), k.Col("IDFAKTURY")),
                    {index});
    }
    // Sends, reads the status and checks the number: what the document lists do.
    QString SendAndNumber(char kind, int index, const QString& nip)
    {
        QString text;
        if (kind == 'F')
            KsefSendFv(index, text);
        else
            KsefSendFvk(index, text);
        EXPECT_TRUE(text.startsWith(kSent)) << text.toStdString();
        EXPECT_EQ(text.mid(kSent.size()), Row(kind, index, "NRREFFAKTURY"));
        EXPECT_FALSE(Row(kind, index, "NRREFSESJI").isEmpty());
        if (kind == 'F')
            KsefCheckFvStatus(index, text);
        else
            KsefCheckFvkStatus(index, text);
        EXPECT_TRUE(
            text.startsWith(QStringLiteral("Pobrano status: 200\r\nOpis statusu: Sukces\r\nKsefNumber: ")))
            << text.toStdString();
        const QString number = Row(kind, index, "NRKSEF");
        EXPECT_EQ(number.size(), 35) << number.toStdString();
        EXPECT_TRUE(KsefNumberValid(number)) << number.toStdString();
        EXPECT_TRUE(number.startsWith(nip + QLatin1Char('-'))) << number.toStdString();
        EXPECT_EQ(Row(kind, index, "STATUS"), QStringLiteral("Sukces"));
        EXPECT_EQ(Row(kind, index, "TYPBRAMKI"), QStringLiteral("2"));
        EXPECT_TRUE(Row(kind, index, "LINKOFFLINE")
                        .startsWith(QStringLiteral("https://qr-test.ksef.mf.gov.pl/invoice/") + nip +
                                    QLatin1Char('/')))
            << Row(kind, index, "LINKOFFLINE").toStdString();
        EXPECT_TRUE(KsefDocumentSent(kind, index));
        return number;
    }
    void ExpectUpo(char kind, int index, const QString& fileName, const QString& number)
    {
        QString text = QStringLiteral("przed");
        if (kind == 'F')
            KsefGetFvUpo(index, text);
        else
            KsefGetFvkUpo(index, text);
        const QString path = Out() + fileName;
        EXPECT_EQ(text, QStringLiteral("Zapisano UPO: ") + path);
        const QByteArray upo = ReadBytes(path);
        EXPECT_EQ(SchemaErrors(upo, SharedDir() + QStringLiteral("/schemas/KSEF_UPO/upo-v4-3.xsd")),
                  QString());
        EXPECT_EQ(UpoField(upo, "NumerKSeFDokumentu"), number);
        EXPECT_EQ(Int(QStringLiteral(
                          "select count(*) from Ksef where KSEF_IDENTYFIKATOR='UPO' and KSEF_NRKSEF=:p1 and "
                          "KSEF_PLIK=:p2 and KSEF_STATUS='Pobrano: 1' and KSEF_ILOSC=1 and "
                          "KSEF_TYPBRAMKI=2 and KSEF_OPERATORID=3 and KSEF_DANE like :p3"),
                      {number, fileName, QStringLiteral("%") + number + QStringLiteral("%")}),
                  1);
    }
};

TEST_F(KsefOperacje, InvoicesOfBothCompaniesGetTheirNumberAndReceipt)
{
    const struct
    {
        int company;
        const char* nip;
        const char* number;
        const char* upo;
    } cases[] = {{1, kNip1, "12/01/2026", "UPO_KSeF_F12_01_2026.xml"},
                 {2, kNip2, "13/01/2026", "UPO_KSeF_F13_01_2026.xml"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.company);
        const int fv = AddFv(c.company, QString::fromLatin1(c.number));
        OpenClient(c.company);
        const QString number = SendAndNumber('F', fv, QString::fromLatin1(c.nip));
        // The file sent stays in the export folder for the office.
        EXPECT_TRUE(QFile::exists(Out() + QStringLiteral("KSeF_FV_%1.xml").arg(fv)));

        // Numbered means final: a second send asks KSeF nothing.
        const int sends = m_stub.Count(QStringLiteral("POST /v2/sessions/online"));
        QString text = QStringLiteral("bez zmian");
        KsefSendFv(fv, text);
        EXPECT_EQ(text, QStringLiteral("bez zmian"));
        EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/sessions/online")), sends);
        KsefCheckFvStatus(fv, text);
        EXPECT_EQ(text,
                  QStringLiteral("Faktura została już prawidłowo wysłana do KSeF i ma nadany numer:\r\n") +
                      number);

        KsefCloseSession(text);
        EXPECT_EQ(text, QStringLiteral("1"));
        ExpectUpo('F', fv, QString::fromLatin1(c.upo), number);
    }
}

TEST_F(KsefOperacje, LineAndBuyerDataCorrectionsGoToKsefWithTheirReceipts)
{
    const int fv = AddFv(1, QStringLiteral("FV/20/02/2026"));
    OpenClient(1);
    SendAndNumber('F', fv, QString::fromLatin1(kNip1));
    const int lines = AddFvk(fv, QStringLiteral("FK/1/03/2026"), false);
    const int buyer = AddFvk(fv, QStringLiteral("FK/2/03/2026"), true);
    const QString n1 = SendAndNumber('K', lines, QString::fromLatin1(kNip1));
    const QString n2 = SendAndNumber('K', buyer, QString::fromLatin1(kNip1));
    EXPECT_NE(n1, n2);
    // The buyer-data correction went out as its own kind of file.
    EXPECT_TRUE(ReadBytes(Out() + QStringLiteral("KSeF_FVK_%1.xml").arg(buyer)).contains("Podmiot2K"));
    QString text;
    KsefCheckFvkStatus(lines, text);
    EXPECT_EQ(text, QStringLiteral("Faktura została już prawidłowo wysłana do KSeF i ma nadany numer"));
    KsefCloseSession(text);
    ExpectUpo('K', lines, QStringLiteral("UPO_KSeF_KFK_1_03_2026.xml"), n1);
    ExpectUpo('K', buyer, QStringLiteral("UPO_KSeF_KFK_2_03_2026.xml"), n2);
}

TEST_F(KsefOperacje, StartDateKeepsEarlierDocumentsAwayFromKsef)
{
    const int before = AddFv(1, QStringLiteral("FV/1/01/2026"), QStringLiteral("2026-01-31"));
    const int onDay = AddFv(1, QStringLiteral("FV/2/02/2026"), QStringLiteral("2026-02-01"));
    OpenClient(1);
    const int requests = m_stub.Count(QStringLiteral("POST /v2/sessions/online"));
    QString text = QStringLiteral("bez zmian");
    KsefSendFv(before, text);
    EXPECT_EQ(text, QStringLiteral("bez zmian"));
    KsefCheckFvStatus(before, text);
    EXPECT_EQ(text, KsefTextBeforeStart);
    KsefSendFvOffline(before, text);
    EXPECT_EQ(text, KsefTextBeforeStart);
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/sessions/online")), requests);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvKsef")), 0);
    KsefSendFv(onDay, text);
    EXPECT_TRUE(text.startsWith(kSent)) << text.toStdString();
}

TEST_F(KsefOperacje, AuthenticationWaitsUntilKsefIsDone)
{
    const struct
    {
        int pending;
        int questions;
    } cases[] = {{0, 1}, {2, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pending);
        m_stub.Config(QJsonObject{{QStringLiteral("authPendingPolls"), c.pending}});
        const int before = m_stub.Count(QStringLiteral("GET /v2/auth/{ref}"));
        OpenClient(1);
        EXPECT_EQ(m_stub.Count(QStringLiteral("GET /v2/auth/{ref}")) - before, c.questions);
        QString text;
        KsefCloseSession(text);
        EXPECT_EQ(text, QStringLiteral("1"));
    }
    // Past the budget the operator hears so, and no tokens are asked for.
    KsefState().Waits.AuthBudgetMs = 400;
    m_stub.Config(QJsonObject{{QStringLiteral("authPendingPolls"), 10}});
    QString text;
    KsefInit(1, 1, text);
    const int redeems = m_stub.Count(QStringLiteral("POST /v2/auth/token/redeem"));
    EXPECT_TRUE(errorOf([&] {
                    KsefOpenSession(text);
                }).startsWith(QStringLiteral("KSeF nie zakończył uwierzytelnienia")));
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/auth/token/redeem")), redeems);
}

TEST_F(KsefOperacje, MissingCertificateDropsTheClientInPlace)
{
    OpenClient(1);
    WriteIniString(0, QStringLiteral("KSeF_KeyOnline.key_Nazwa"), QString());
    QString text;
    KsefInit(1, 2, text);
    EXPECT_EQ(text, QStringLiteral("Brak cert"));
    // Company 1's client is gone: nothing can go on in company 2's name with it.
    const int fv = AddFv(2, QStringLiteral("FV/3/02/2026"));
    EXPECT_TRUE(
        errorOf([&] { KsefSendFv(fv, text); }).startsWith(QStringLiteral("Nie otwarto klienta KSeF")));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvKsef")), 0);
    KsefCloseSession(text);
    EXPECT_EQ(text, QStringLiteral("0"));
    EXPECT_TRUE(KsefCertificatesPresent(1));
    EXPECT_TRUE(KsefCertificatesPresent(2));
    S()->ExecQuery(QStringLiteral("delete from MagazynBlob where MB_NAZWA='KeyOffline.key'"));
    EXPECT_FALSE(KsefCertificatesPresent(2));
}

TEST_F(KsefOperacje, FailuresGiveClearTextsAndNoRowThatLooksLikeSuccess)
{
    const int fv = AddFv(1, QStringLiteral("FV/4/02/2026"));
    // A wrong key password.
    WriteIniString(0, QStringLiteral("KSeF_HasloOnline"), ScrambleText(QStringLiteral("złe hasło")));
    QString text;
    EXPECT_TRUE(errorOf([&] { KsefInit(1, 1, text); }).contains(QStringLiteral("hasło klucza prywatnego")));
    EXPECT_EQ(text, QStringLiteral("0"));
    StorePair(true, m_online);
    OpenClient(1);

    // KSeF failing with 500 on the send: no row.
    m_stub.Fault(QJsonObject{
        {QStringLiteral("match"), QStringLiteral("/invoices")},
        {QStringLiteral("method"), QStringLiteral("POST")},
        {QStringLiteral("status"), 500},
        {QStringLiteral("body"), QStringLiteral("{\"title\":\"Internal Server Error\",\"status\":500}")}});
    text = QStringLiteral("bez zmian");
    EXPECT_FALSE(errorOf([&] { KsefSendFv(fv, text); }).isEmpty());
    EXPECT_EQ(text, QStringLiteral("bez zmian"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvKsef")), 0);

    // A refused invoice (a duplicate number): its status, no number, and it may go again.
    const int twin = AddFv(1, QStringLiteral("FV/4/02/2026"));
    KsefSendFv(fv, text);
    ASSERT_TRUE(text.startsWith(kSent)) << text.toStdString();
    KsefCheckFvStatus(fv, text);
    KsefSendFv(twin, text);
    KsefCheckFvStatus(twin, text);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Pobrano status: 440\r\nOpis statusu: Duplikat faktury")))
        << text.toStdString();
    EXPECT_EQ(Row('F', twin, "NRKSEF"), QString());
    EXPECT_FALSE(KsefDocumentSent('F', twin));
    text.clear();
    KsefSendFv(twin, text);
    EXPECT_TRUE(text.startsWith(kSent)) << text.toStdString();
    // A refused correction may go again too: only a number makes it final.
    const int k = AddFvk(fv, QStringLiteral("FK/4/03/2026"), false);
    const int kTwin = AddFvk(fv, QStringLiteral("FK/4/03/2026"), false);
    KsefSendFvk(k, text);
    KsefSendFvk(kTwin, text);
    KsefCheckFvkStatus(kTwin, text);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Pobrano status: 440"))) << text.toStdString();
    const QString firstRef = Row('K', kTwin, "NRREFFAKTURY");
    text.clear();
    KsefSendFvk(kTwin, text);
    EXPECT_TRUE(text.startsWith(kSent)) << text.toStdString();
    EXPECT_NE(Row('K', kTwin, "NRREFFAKTURY"), firstRef);

    // A receipt of a refused invoice: KSeF's reason, no UPO row.
    EXPECT_FALSE(errorOf([&] { KsefGetFvkUpo(kTwin, text); }).isEmpty());
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Ksef where KSEF_IDENTYFIKATOR='UPO'")), 0);
}

TEST_F(KsefOperacje, OfflineRowWithoutItsStoredFileIsNotSent)
{
    const int fv = AddFv(1, QStringLiteral("FV/5/02/2026"));
    S()->ExecQuery(
        QStringLiteral("insert into FvKsef(FV_KSEF_IDFAKTURY, FV_KSEF_STATUS) values (:p1, 'OFFLINE')"),
        {fv});
    OpenClient(1);
    QString text;
    KsefSendFv(fv, text);
    EXPECT_EQ(text, KsefTextSendFailed);
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/sessions/online")), 0);
    EXPECT_EQ(Row('F', fv, "NRREFSESJI"), QString());
}

TEST_F(KsefOperacje, InvoiceStatusInProgressIsAskedAgainUntilDone)
{
    const int fv = AddFv(1, QStringLiteral("FV/6/02/2026"));
    m_stub.Config(QJsonObject{{QStringLiteral("invoicePendingPolls"), 3}});
    OpenClient(1);
    SendAndNumber('F', fv, QString::fromLatin1(kNip1));
    EXPECT_EQ(m_stub.Count(QStringLiteral("GET /v2/sessions/{ref}/invoices/{ref}")), 4);

    // Past the budget: the in-progress description, no number, and a later reading finds it.
    const int other = AddFv(1, QStringLiteral("FV/7/02/2026"));
    KsefState().Waits.StatusBudgetMs = 100;
    QString text;
    KsefSendFv(other, text);
    KsefCheckFvStatus(other, text);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Pobrano status: 150"))) << text.toStdString();
    EXPECT_EQ(Row('F', other, "STATUS"), QStringLiteral("Trwa przetwarzanie"));
    EXPECT_EQ(Row('F', other, "NRKSEF"), QString());
    KsefState().Waits.StatusBudgetMs = 30000;
    KsefCheckFvStatus(other, text);
    EXPECT_EQ(Row('F', other, "NRKSEF").size(), 35);
}

TEST_F(KsefOperacje, SystemWarningsAreLoggedAndShownOnce)
{
    const QString warning = QStringLiteral("Planowana przerwa techniczna KSeF 12.12.2026 22:00-23:00");
    m_stub.Config(QJsonObject{{QStringLiteral("warning"), warning}});
    const int fv = AddFv(1, QStringLiteral("FV/8/02/2026"));
    OpenClient(1);
    SendAndNumber('F', fv, QString::fromLatin1(kNip1));
    int shown = 0;
    for (const TMD::Shown& m : TMD::Recorded())
        shown += m.text.contains(warning) ? 1 : 0;
    EXPECT_EQ(shown, 1);
    EXPECT_GT(Int(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                  {QStringLiteral("%") + warning + QStringLiteral("%")}),
              3);
}

TEST(KsefStatusDetails, LongDetailsAreLaidOutInThreeIndentedLines)
{
    const QString indent(9, QLatin1Char(' '));
    const QString d120(120, QLatin1Char('a'));
    const QString d121 = QString(85, QLatin1Char('a')) + QString(36, QLatin1Char('b'));
    const QString d400 =
        QString(85, QLatin1Char('a')) + QString(85, QLatin1Char('b')) + QString(230, QLatin1Char('c'));
    const struct
    {
        QString details, shown;
    } cases[] = {
        {QString(), QString()},
        {d120, d120},
        {d121, QStringLiteral("Info: ") + QString(85, QLatin1Char('a')) + QStringLiteral("\r\n") + indent +
                   QString(36, QLatin1Char('b')) + QStringLiteral("\r\n") + indent},
        // Nothing of a long text is dropped.
        {d400, QStringLiteral("Info: ") + QString(85, QLatin1Char('a')) + QStringLiteral("\r\n") + indent +
                   QString(85, QLatin1Char('b')) + QStringLiteral("\r\n") + indent +
                   QString(230, QLatin1Char('c'))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KsefStatusDetailsText(c.details), c.shown) << c.details.size();
}

TEST_F(KsefOperacje, DownloadByNumberTellsNotFoundFromOtherFailures)
{
    const QByteArray xml = ReadBytes(CopySample(m_tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"),
                                                QStringLiteral("FV/OBCA/1"), QStringLiteral("obca.xml")));
    const QString number = m_stub.Seed(xml);
    OpenClient(1);
    QString result = QStringLiteral("przed");
    KsefDownloadInvoice(QStringLiteral("   "), result);
    EXPECT_EQ(result, QStringLiteral("przed"));

    KsefDownloadInvoice(QStringLiteral(" ") + number + QStringLiteral(" "), result);
    EXPECT_EQ(result, Out() + number + QStringLiteral(".xml"));
    EXPECT_EQ(ReadBytes(result), xml);
    QString html;
    KsefXmlToHtml(result, html);
    EXPECT_EQ(html, result + QStringLiteral(".html"));
    EXPECT_TRUE(ReadBytes(html).contains("FV/OBCA/1"));

    const QString unknown = QStringLiteral("9999999999-20260215-0123456789AB-00");
    KsefDownloadInvoice(unknown, result);
    EXPECT_EQ(result,
              QStringLiteral("Faktura o numerze ") + unknown + QStringLiteral(" nie istnieje w KSeF"));
    EXPECT_FALSE(QFile::exists(Out() + unknown + QStringLiteral(".xml"))) << "no empty file is left";

    m_stub.Fault(QJsonObject{
        {QStringLiteral("match"), QStringLiteral("/invoices/ksef/")},
        {QStringLiteral("status"), 503},
        {QStringLiteral("body"), QStringLiteral("{\"title\":\"Service Unavailable\",\"status\":503,"
                                                "\"detail\":\"Przerwa serwisowa\"}")}});
    QFile::remove(Out() + number + QStringLiteral(".xml"));
    KsefDownloadInvoice(number, result);
    EXPECT_FALSE(result.contains(QStringLiteral("nie istnieje w KSeF"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("Przerwa serwisowa"))) << result.toStdString();
    EXPECT_FALSE(QFile::exists(Out() + number + QStringLiteral(".xml")));

    // A file that is no invoice: the error is shown and no page named.
    QFile bad(Out() + QStringLiteral("zly.xml"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("<nie-faktura/>");
    bad.close();
    TMD::ClearRecorded();
    KsefXmlToHtml(bad.fileName(), html);
    EXPECT_EQ(html, QString());
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_TRUE(TMD::Recorded().at(0).text.startsWith(
        QStringLiteral("Błąd podzas transformacji XSLT (EKsefError): ")))
        << TMD::Recorded().at(0).text.toStdString();
}
