// What the client makes of rate limits, server errors and broken connections.
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefGateway.h"
#include "ksef/KsefHttp.h"
#include "tests/ksef/KsefTestSupport.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTcpServer>

namespace {

EKsefError failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EKsefError& e) {
        return e;
    }
    ADD_FAILURE() << "the call succeeded where it must fail";
    return EKsefError(QString());
}

const char* kLegacy429 =
    R"({"exception":{"exceptionDetailList":[{"exceptionCode":429,)"
    R"("exceptionDescription":"Przekroczono limit zapytań.","details":["Limit: 10/s"]}]}})";

} // namespace

TEST_F(KsefStubTest, RateLimitIsWaitedOutAndTheCallSucceeds)
{
    auto client = NewClient();
    Login(*client);
    m_stub.Fault(QJsonObject{{"match", "/v2/sessions/online"},
                             {"method", "POST"},
                             {"status", 429},
                             {"retryAfter", 1},
                             {"body", kLegacy429}});
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(client->OpenOnlineSession().isEmpty());
    EXPECT_GE(t.elapsed(), 950);
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/sessions/online")), 2);
}

TEST_F(KsefStubTest, ServerAndConnectionFailuresGiveClearErrorsAndNoResult)
{
    auto client = NewClient();
    auto http = std::make_shared<TKsefHttpClient>();
    http->SetRetryBudget(2, 2);
    client->SetHttpClient(http);
    Login(*client);
    const QString session = client->OpenOnlineSession();
    const QString file = CopySample(m_tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"));
    const QString accepted = client->SendInvoice(file);

    const struct
    {
        const char* rule;
        QJsonObject fault;
        bool send; // else a status reading
        const char* text;
        int httpStatus;
    } cases[] = {
        {"429 longer than the retry budget",
         {{"match", "/invoices"}, {"status", 429}, {"retryAfter", 30}, {"body", kLegacy429}},
         true,
         "Przekroczono limit zapytań. (kod 429): Limit: 10/s (przekroczony limit zapytań KSeF, ponów za 30 "
         "s)",
         429},
        {"500 with problem details",
         {{"match", "/invoices"},
          {"status", 500},
          {"contentType", "application/problem+json"},
          {"body", R"({"title":"Internal Server Error","status":500,"detail":"Awaria usługi"})"}},
         true,
         "HTTP 500: Awaria usługi",
         500},
        {"500 with a page of a proxy",
         {{"match", "/invoices"}, {"status", 500}, {"body", "<html>oops</html>"}},
         true,
         "HTTP 500: <html>oops</html>",
         500},
        {"connection dropped without an answer",
         {{"match", "/invoices"}, {"drop", true}},
         true,
         "połączenie z serwerem KSeF zostało przerwane",
         0},
        {"answer cut short",
         {{"match", "/invoices/"},
          {"method", "GET"},
          {"status", 200},
          {"truncate", true},
          {"body", R"({"referenceNumber":"2026)"}},
         false,
         "połączenie z serwerem KSeF zostało przerwane",
         0},
    };
    for (const auto& c : cases) {
        m_stub.Fault(c.fault);
        QElapsedTimer t;
        t.start();
        const EKsefError e = failureOf([&] {
            if (c.send)
                client->SendInvoice(file);
            else
                client->InvoiceStatus(session, accepted);
        });
        EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.text)))
            << c.rule << ": " << e.Message().toStdString();
        EXPECT_EQ(e.HttpStatus(), c.httpStatus) << c.rule;
        EXPECT_LT(t.elapsed(), 5000) << c.rule;
    }
    // None of the failed sends reached the session; the client still works.
    EXPECT_EQ(client->SessionInvoices(session, QString(), 10).Invoices.size(), 1);
    EXPECT_EQ(client->InvoiceStatus(session, accepted).Status.Code, 200);
}

TEST(KsefHttp, ServerThatIsNotThereGivesAClearError)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    TKsefClient client;
    client.SetBaseUrl(QStringLiteral("http://127.0.0.1:%1/v2").arg(port));
    const EKsefError e = failureOf([&] { client.Challenge(); });
    EXPECT_TRUE(
        e.Message().startsWith(QStringLiteral("Pobranie wyzwania autoryzacyjnego: nie można połączyć się z "
                                              "serwerem KSeF")))
        << e.Message().toStdString();
}

TEST(KsefGateway, EnvironmentsHaveTheirAddressesAndTestsCanReplaceThem)
{
    const QByteArray saved = qgetenv("ORLIX_KSEF_BASE_URL");
    qunsetenv("ORLIX_KSEF_BASE_URL");
    const struct
    {
        int gateway;
        const char* api;
        const char* qr;
    } cases[] = {
        {0, "https://api.ksef.mf.gov.pl/v2", "qr.ksef.mf.gov.pl"},
        {1, "https://api-demo.ksef.mf.gov.pl/v2", "qr-demo.ksef.mf.gov.pl"},
        {2, "https://api-test.ksef.mf.gov.pl/v2", "qr-test.ksef.mf.gov.pl"},
        {7, "https://api-test.ksef.mf.gov.pl/v2", "qr-test.ksef.mf.gov.pl"}, // unknown: never production
    };
    for (const auto& c : cases) {
        TKsefClient client;
        client.SetGateway(c.gateway);
        EXPECT_EQ(client.BaseUrl(), QString::fromLatin1(c.api));
        EXPECT_EQ(KsefQrHost(KsefGatewayFromInt(c.gateway)), QString::fromLatin1(c.qr));
    }
    qputenv("ORLIX_KSEF_BASE_URL", "http://127.0.0.1:1/v2/");
    TKsefClient client;
    client.SetGateway(0);
    EXPECT_EQ(client.BaseUrl(), QStringLiteral("http://127.0.0.1:1/v2"));
    client.SetBaseUrl(QStringLiteral("http://127.0.0.1:2/v2"));
    EXPECT_EQ(client.BaseUrl(), QStringLiteral("http://127.0.0.1:2/v2"));
    if (saved.isNull())
        qunsetenv("ORLIX_KSEF_BASE_URL");
    else
        qputenv("ORLIX_KSEF_BASE_URL", saved);
}
