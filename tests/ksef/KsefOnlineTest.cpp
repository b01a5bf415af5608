// Authentication and online sessions against the local stand-in of KSeF, with the
// failures a real exchange meets.
#include "ksef/KsefClient.h"
#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefXades.h"
#include "tests/ksef/KsefTestSupport.h"
#include "tests/support/TestDb.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpServer>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(data);
}

// The error a call raised; an empty text (and a failed expectation) when it raised none.
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

QString upoField(const QByteArray& upo, const char* name)
{
    return QRegularExpression(QStringLiteral("<%1>([^<]*)</%1>").arg(QLatin1String(name)))
        .match(QString::fromUtf8(upo))
        .captured(1);
}

} // namespace

TEST_F(KsefStubTest, OnlineChainGivesKsefNumberAndSchemaValidUpo)
{
    auto client = NewClient();
    Login(*client);
    const QString session = client->OpenOnlineSession();
    ASSERT_TRUE(session.contains(QStringLiteral("-SO-")));
    const QString file = CopySample(m_tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"), QString(),
                                    QStringLiteral("KSeF_FV_1.xml"));
    const QString invoiceRef = client->SendInvoice(file);
    ASSERT_FALSE(invoiceRef.isEmpty());
    client->CloseOnlineSession();

    const TKsefInvoiceStatus status = client->InvoiceStatus(session, invoiceRef);
    EXPECT_EQ(status.Status.Code, 200) << status.Status.Description.toStdString();
    EXPECT_TRUE(KsefNumberValid(status.KsefNumber)) << status.KsefNumber.toStdString();
    EXPECT_TRUE(status.KsefNumber.startsWith(QStringLiteral("9999999999-")));
    EXPECT_EQ(status.KsefNumber.size(), 35);
    EXPECT_EQ(status.InvoiceHash, KsefCrypto::Sha256Base64(readFile(file)));
    const TKsefSessionStatus sessionStatus = client->SessionStatus(session);
    EXPECT_EQ(sessionStatus.Status.Code, 200);
    EXPECT_EQ(sessionStatus.SuccessfulInvoiceCount, 1);

    const QString upoPath =
        TestOutputDir(QStringLiteral("ksef")) + QStringLiteral("/UPO_KSeF_FFV2026_02_150.xml");
    QFile::remove(upoPath);
    const QByteArray upo = client->DownloadUpo(session, invoiceRef, upoPath);
    EXPECT_EQ(readFile(upoPath), upo);
    EXPECT_EQ(SchemaErrors(upo, SharedDir() + QStringLiteral("/schemas/KSEF_UPO/upo-v4-3.xsd")), QString());
    EXPECT_EQ(upoField(upo, "NumerKSeFDokumentu"), status.KsefNumber);
    EXPECT_EQ(upoField(upo, "SkrotDokumentu"), KsefCrypto::Sha256Base64(readFile(file)));
    EXPECT_EQ(upoField(upo, "NumerReferencyjnySesji"), session);

    client->EndAuthentication();
    EXPECT_EQ(m_stub.Count(QStringLiteral("DELETE /v2/auth/sessions/current")), 1);
    EXPECT_TRUE(
        failureOf([&] { client->CurrentTokens(); }).Message().contains(QStringLiteral("uwierzytelnienia")));
    EXPECT_TRUE(failureOf([&] { client->OpenOnlineSession(); })
                    .Message()
                    .contains(QStringLiteral("uwierzytelnienia")));
}

TEST_F(KsefStubTest, RejectedInvoicesGetTheirStatusAndNoKsefNumberOrUpo)
{
    auto client = NewClient();
    Login(*client);
    const QString session = client->OpenOnlineSession();
    const QString sample = QStringLiteral("FA_3_Przykład_1.xml");
    const QByteArray good = readFile(CopySample(m_tmp.path(), sample));
    const struct
    {
        const char* rule;
        QByteArray xml;
        int code;
    } cases[] = {
        {"a valid invoice is accepted", good, 200},
        {"the same invoice again is a duplicate", good, 440},
        {"an invoice against the FA(3) schema", QByteArray(good).replace("<P_2>FV2026/02/150</P_2>", ""),
         450},
        {"a byte order mark is refused",
         "\xEF\xBB\xBF" + QByteArray(good).replace("FV2026/02/150", "FV/BOM/1"), 430},
        {"an invoice of another seller",
         QByteArray(good)
             .replace("<NIP>9999999999</NIP>", "<NIP>X</NIP>")
             .replace("<NIP>1111111111</NIP>", "<NIP>9999999999</NIP>")
             .replace("<NIP>X</NIP>", "<NIP>1111111111</NIP>"),
         410},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = Tmp(QStringLiteral("inv%1.xml").arg(++n));
        writeFile(path, c.xml);
        const QString ref = client->SendInvoice(path);
        const TKsefInvoiceStatus s = client->InvoiceStatus(session, ref);
        EXPECT_EQ(s.Status.Code, c.code) << c.rule;
        if (c.code == 200) continue;
        EXPECT_TRUE(s.KsefNumber.isEmpty()) << c.rule;
        EXPECT_FALSE(s.Status.Description.isEmpty()) << c.rule;
        const EKsefError e =
            failureOf([&] { client->DownloadUpo(session, ref, Tmp(QStringLiteral("upo.xml"))); });
        EXPECT_EQ(e.ServiceCode(), 21178) << c.rule << ": " << e.Message().toStdString();
        EXPECT_FALSE(QFile::exists(Tmp(QStringLiteral("upo.xml"))));
    }
    // A writer that failed hands over "0" as the file: nothing is sent.
    const EKsefError e = failureOf([&] { client->SendInvoice(QStringLiteral("0")); });
    EXPECT_TRUE(e.Message().contains(QStringLiteral("\"0\""))) << e.Message().toStdString();
    client->CloseOnlineSession();
    EXPECT_EQ(client->SessionInvoices(session, QString(), 10).Invoices.size(), 5);
}

TEST_F(KsefStubTest, AuthenticationRefusalsCarryTheServiceReason)
{
    const TTestCert rogue = m_pki->Issue(
        QStringLiteral("rogue"), QStringLiteral("/C=PL/organizationIdentifier=VATPL-9999999999/CN=Rogue"),
        QStringLiteral("ec"), QString(), false);
    auto signedRequest = [](TKsefClient& c) {
        return TKsefXades().SignEnveloped(c.AuthTokenRequestXml(c.Challenge().Challenge), *c.Certificate());
    };
    const struct
    {
        const char* rule;
        const TTestCert& cert;
        std::function<void(TKsefClient&)> call;
        int code;
        const char* text;
    } cases[] = {
        {"a document changed after signing", m_seal,
         [&](TKsefClient& c) {
             QByteArray xml = signedRequest(c);
             xml.replace("certificateSubject", "certificateFingerprint");
             c.SubmitAuthTokenRequest(xml);
         },
         9105, "Nieprawidłowy podpis"},
        {"a signature by a certificate of no trusted issuer", rogue, [](TKsefClient& c) { c.Authenticate(); },
         21115, "Nieprawidłowy certyfikat"},
        {"a challenge used twice", m_seal,
         [&](TKsefClient& c) {
             const QByteArray xml = signedRequest(c);
             TKsefClient other;
             other.SetBaseUrl(m_stub.BaseUrl());
             other.SubmitAuthTokenRequest(xml);
             c.SubmitAuthTokenRequest(xml);
         },
         21111, "już użyte"},
        {"an expired challenge", m_seal,
         [&](TKsefClient& c) {
             m_stub.Config(QJsonObject{{"challengeTtl", -1}});
             c.Authenticate();
         },
         21111, "wygasło"},
    };
    for (const auto& c : cases) {
        auto client = NewClient(c.cert);
        const EKsefError e = failureOf([&] { c.call(*client); });
        EXPECT_EQ(e.HttpStatus(), 400) << c.rule;
        EXPECT_EQ(e.ServiceCode(), c.code) << c.rule << ": " << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.text)))
            << c.rule << ": " << e.Message().toStdString();
        // The refused attempt leaves nothing to redeem.
        EXPECT_TRUE(
            failureOf([&] { client->RedeemTokens(); }).Message().contains(QStringLiteral("Nie rozpoczęto")))
            << c.rule;
    }
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/auth/token/redeem")), 0);
}

TEST_F(KsefStubTest, SignerWithoutRightsEndsInErrorStatusAndGetsNoTokens)
{
    const TTestCert stranger =
        m_pki->Issue(QStringLiteral("stranger"),
                     QStringLiteral("/C=PL/O=Obcy/organizationIdentifier=VATPL-1111111111/CN=Obcy"),
                     QStringLiteral("ec"), QString());
    auto client = NewClient(stranger);
    client->Authenticate();
    const TKsefAuthStatus status = client->AuthenticationStatus();
    EXPECT_EQ(status.Status.Code, 415);
    EXPECT_TRUE(status.Status.Description.contains(QStringLiteral("niepowodzeniem")));
    const EKsefError e = failureOf([&] { client->RedeemTokens(); });
    EXPECT_EQ(e.ServiceCode(), 21301);
    EXPECT_TRUE(e.Message().contains(QStringLiteral("415"))) << e.Message().toStdString();
    EXPECT_FALSE(failureOf([&] { client->CurrentTokens(); }).Message().isEmpty());
}

TEST_F(KsefStubTest, AccessTokenNearItsEndIsRefreshedBeforeUse)
{
    m_stub.Config(QJsonObject{{"accessTtl", 30}});
    auto client = NewClient();
    Login(*client);
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/auth/token/refresh")), 0);
    EXPECT_FALSE(client->OpenOnlineSession().isEmpty());
    EXPECT_GE(m_stub.Count(QStringLiteral("POST /v2/auth/token/refresh")), 1);
}
