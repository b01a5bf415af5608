// Parts of the KSeF client that need no server: certificates, verification links,
// KSeF numbers, error texts and the HTML view of an invoice.
#include "ksef/KsefBackend.h"
#include "ksef/KsefCertificate.h"
#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHtml.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefLinks.h"
#include "ksef/KsefResults.h"
#include "ksef/KsefStream.h"
#include "tests/ksef/KsefTestSupport.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>
#include <openssl/bn.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

namespace {

class KsefPkiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_pki = std::make_unique<TTestPki>(m_tmp.path());
        m_pki->MakeCa();
    }
    QTemporaryDir m_tmp;
    std::unique_ptr<TTestPki> m_pki;
};

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EKsefError& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

TEST(KsefLinks, InvoiceLinkHasTheDocumentedForm)
{
    // The documented example: NIP 1111111111, issued 1 February 2026.
    const QString hash = QStringLiteral("UtQp9Gpc51y+u3xApZjIjgkpZ01js+J8KflSPW8WzIE=");
    const struct
    {
        int gateway;
        const char* link;
    } cases[] = {
        {2, "https://qr-test.ksef.mf.gov.pl/invoice/1111111111/01-02-2026/"
            "UtQp9Gpc51y-u3xApZjIjgkpZ01js-J8KflSPW8WzIE"},
        {1, "https://qr-demo.ksef.mf.gov.pl/invoice/1111111111/01-02-2026/"
            "UtQp9Gpc51y-u3xApZjIjgkpZ01js-J8KflSPW8WzIE"},
        {0, "https://qr.ksef.mf.gov.pl/invoice/1111111111/01-02-2026/"
            "UtQp9Gpc51y-u3xApZjIjgkpZ01js-J8KflSPW8WzIE"},
    };
    TKsefLinkBuilder builder(2);
    for (const auto& c : cases)
        EXPECT_EQ(
            builder.InvoiceVerificationLink(QStringLiteral("1111111111"), QDate(2026, 2, 1), hash, c.gateway),
            QString::fromLatin1(c.link));
}

TEST(KsefLinks, FileHashEqualsOpensslDigestOfTheExactFile)
{
    QTemporaryDir tmp;
    const QString path = CopySample(tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"));
    TKsefBackend backend;
    auto stream = backend.OpenFileStream(path, ksmRead);
    const QString hash = backend.CreateHash(QStringLiteral("TlgOSSLSHA256Hash"))
                             ->HashStream(*stream, QStringLiteral("TlgFPCBase64Encoder"));
    const QByteArray digest =
        RunTool(QStringLiteral("openssl"), {"dgst", "-sha256", "-binary", path}, tmp.path());
    EXPECT_EQ(hash, QString::fromLatin1(digest.toBase64()));
    EXPECT_EQ(hash.size(), 44);
}

TEST(KsefLinks, LinkWithoutAProperHashIsRefused)
{
    TKsefLinkBuilder builder(2);
    for (const QString& bad : {QString(), QStringLiteral("abc"), QStringLiteral("not base64 at all!")})
        EXPECT_FALSE(errorOf([&] {
                         builder.InvoiceVerificationLink(QStringLiteral("1111111111"), QDate(2026, 2, 1), bad,
                                                         2);
                     }).isEmpty())
            << bad.toStdString();
    EXPECT_FALSE(errorOf([&] {
                     builder.InvoiceVerificationLink(QStringLiteral("11111"), QDate(2026, 2, 1),
                                                     KsefCrypto::Sha256Base64("x"), 2);
                 }).isEmpty());
}

TEST_F(KsefPkiTest, CertificateLinkIsSignedAndVerifiesWithTheCertificateKey)
{
    const TTestCert ec =
        m_pki->Issue(QStringLiteral("offline-ec"), QStringLiteral("/C=PL/CN=Offline EC"),
                     QStringLiteral("ec"), QString(), true, QStringLiteral("01F20A5D352AE590"));
    const TTestCert rsa =
        m_pki->Issue(QStringLiteral("offline-rsa"), QStringLiteral("/C=PL/CN=Offline RSA"),
                     QStringLiteral("rsa"), QStringLiteral("pw"), true, QStringLiteral("0ABC"));
    const QString hash = KsefCrypto::Sha256Base64("invoice bytes");
    const QString hashUrl = KsefCrypto::Base64ToBase64Url(hash);
    for (const TTestCert& c : {ec, rsa}) {
        auto cert = TKsefCertificateSigner().LoadCertificate(c.Crt, 0, c.Key, 0, c.Password);
        const QString link = TKsefBackend().CreateLinkBuilder(2)->CertificateVerificationLink(
            QStringLiteral("9999999999"), kctNip, QStringLiteral("9999999999"), hash, *cert, 2,
            QStringLiteral("TlgFPCBase64Encoder"));
        const QString serial =
            QString::fromLatin1(
                RunTool(QStringLiteral("openssl"), {"x509", "-noout", "-serial", "-in", c.Crt}, m_tmp.path()))
                .trimmed()
                .section(QLatin1Char('='), 1);
        const QString prefix =
            QStringLiteral("https://qr-test.ksef.mf.gov.pl/certificate/Nip/9999999999/9999999999/") + serial +
            QLatin1Char('/') + hashUrl + QLatin1Char('/');
        ASSERT_TRUE(link.startsWith(prefix)) << link.toStdString();
        const QString signature = link.mid(prefix.size());
        ASSERT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9_-]+$")).match(signature).hasMatch());
        const QByteArray raw = QByteArray::fromBase64(signature.toLatin1(), QByteArray::Base64UrlEncoding);
        const QByteArray signedPart = prefix.mid(8, prefix.size() - 9).toUtf8();
        EXPECT_TRUE(VerifyWithCertificate(c.Crt, signedPart, raw)) << link.toStdString();
        QByteArray tampered = signedPart;
        tampered[tampered.size() - 1] = tampered.at(tampered.size() - 1) == 'A' ? 'B' : 'A';
        EXPECT_FALSE(VerifyWithCertificate(c.Crt, tampered, raw));
    }
    EXPECT_EQ(TKsefCertificateSigner().LoadCertificate(ec.Crt, 0, ec.Key, 0, QString())->SerialHex(),
              QStringLiteral("01F20A5D352AE590"));
}

TEST_F(KsefPkiTest, CertificateLoadingAcceptsPemAndDerAndRefusesWhatCannotSign)
{
    const QString pass = QStringLiteral("Has\u0142o-1");
    const TTestCert good =
        m_pki->Issue(QStringLiteral("good"), QStringLiteral("/C=PL/CN=Good"), QStringLiteral("rsa"), pass);
    const TTestCert other = m_pki->Issue(QStringLiteral("other"), QStringLiteral("/C=PL/CN=Other"),
                                         QStringLiteral("ec"), QString());
    const QString derCrt = m_tmp.filePath(QStringLiteral("good.der"));
    const QString derKey = m_tmp.filePath(QStringLiteral("good-key.der"));
    RunTool(QStringLiteral("openssl"), {"x509", "-in", good.Crt, "-outform", "DER", "-out", derCrt},
            m_tmp.path());
    RunTool(QStringLiteral("openssl"),
            {"pkcs8", "-topk8", "-in", good.Key, "-passin", "pass:" + pass, "-outform", "DER", "-out", derKey,
             "-passout", "pass:" + pass},
            m_tmp.path());
    const struct
    {
        const char* rule;
        QString crt, key, password;
        const char* error; // empty: loads
    } cases[] = {
        {"protected PEM key with its password", good.Crt, good.Key, pass, ""},
        {"DER certificate and encrypted PKCS#8 DER key", derCrt, derKey, pass, ""},
        {"plain EC key without password", other.Crt, other.Key, QString(), ""},
        {"wrong password", good.Crt, good.Key, QStringLiteral("zle"), "hasło"},
        {"empty password for a protected key", good.Crt, good.Key, QString(), "hasło"},
        {"key of another certificate", good.Crt, other.Key, QString(), "nie należy"},
        {"missing certificate file", m_tmp.filePath(QStringLiteral("none.crt")), good.Key, pass,
         "Nie można odczytać"},
        {"key file given as certificate", good.Key, good.Key, pass, "X.509"},
    };
    for (const auto& c : cases) {
        const QString error =
            errorOf([&] { TKsefCertificateSigner().LoadCertificate(c.crt, 0, c.key, 0, c.password); });
        if (*c.error == 0)
            EXPECT_TRUE(error.isEmpty()) << c.rule << ": " << error.toStdString();
        else
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << c.rule << ": " << error.toStdString();
    }
}

TEST(KsefNumber, Crc8MatchesTheDocumentedNumbers)
{
    const struct
    {
        const char* number;
        bool valid;
    } cases[] = {
        {"5265877635-20250826-0100001AF629-AF", true},   // the documentation's example
        {"5265877635-20250916-0200A0D6723E-C2", true},   // from an MF UPO example
        {"5265877635-20250826-0100001AF629-AE", false},  // wrong checksum
        {"5265877635-20250827-0100001AF629-AF", false},  // changed date
        {"5265877635-20250826-0100001AF6-29-AF", false}, // KSeF 1.0 shape
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KsefNumberValid(QString::fromLatin1(c.number)), c.valid) << c.number;
}

TEST(KsefError, BothErrorShapesGiveTheServiceMessage)
{
    const struct
    {
        const char* rule;
        int status;
        const char* body;
        int code;
        const char* text;
    } cases[] = {
        {"legacy exception list", 400,
         R"({"exception":{"exceptionDetailList":[{"exceptionCode":21111,"exceptionDescription":"Nieprawidłowe wyzwanie autoryzacyjne.","details":["Wyzwanie wygasło"]}]}})",
         21111, "Nieprawidłowe wyzwanie autoryzacyjne. (kod 21111): Wyzwanie wygasło"},
        {"problem details with errors", 400,
         R"({"title":"Bad Request","status":400,"errors":[{"code":21405,"description":"Błąd walidacji danych wejściowych.","details":["pageSize"]}]})",
         21405, "Błąd walidacji danych wejściowych. (kod 21405): pageSize"},
        {"problem details of a refusal", 403,
         R"({"title":"Forbidden","status":403,"detail":"Brak uprawnień","reasonCode":"missing-permissions"})",
         0, "Brak uprawnień [missing-permissions]"},
        {"not JSON at all", 502, "<html>Bad gateway</html>", 0, "<html>Bad gateway</html>"},
    };
    for (const auto& c : cases) {
        const EKsefError e = KsefErrorFromResponse(QStringLiteral("Krok"), c.status, QByteArray(c.body));
        EXPECT_EQ(e.ServiceCode(), c.code) << c.rule;
        EXPECT_EQ(e.HttpStatus(), c.status) << c.rule;
        EXPECT_TRUE(
            e.Message().startsWith(QStringLiteral("Krok: KSeF odpowiedział błędem HTTP %1").arg(c.status)))
            << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.text)))
            << c.rule << ": " << e.Message().toStdString();
    }
}

TEST(KsefHtml, InvoicePageShowsPartiesLinesAndSumsWithTextEscaped)
{
    QTemporaryDir tmp;
    const QString path = CopySample(tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"));
    {
        // A buyer name full of markup must come out as text.
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QByteArray xml = f.readAll();
        f.close();
        xml.replace("F.H.U. Jan Kowalski", "F.H.U. &lt;b&gt;Kowalski &amp; syn&lt;/b&gt;");
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(xml);
    }
    TKsefBackend backend;
    auto doc = backend.LoadXmlDocument(QStringLiteral("TlgMSXMLReader"), path);
    auto out = backend.OpenFileStream(path + QStringLiteral(".html"), ksmCreate);
    backend.CreateXslTransformation(QStringLiteral("TlgMSXMLXSLTransformation"))->Transform(*doc, *out);

    QFile f(path + QStringLiteral(".html"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray html = f.readAll();
    htmlDocPtr page = htmlReadMemory(html.constData(), static_cast<int>(html.size()), "page.html", "UTF-8",
                                     HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    ASSERT_NE(page, nullptr);
    xmlXPathContextPtr xp = xmlXPathNewContext(page);
    auto count = [&](const char* expr) {
        xmlXPathObjectPtr r = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expr), xp);
        const int n = r && r->nodesetval ? r->nodesetval->nodeNr : 0;
        xmlXPathFreeObject(r);
        return n;
    };
    auto textOf = [&](const char* expr) {
        xmlXPathObjectPtr r = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expr), xp);
        xmlChar* s = xmlXPathCastToString(r);
        const QString out = QString::fromUtf8(reinterpret_cast<const char*>(s));
        xmlFree(s);
        xmlXPathFreeObject(r);
        return out;
    };
    EXPECT_EQ(count("//table[@class='lines']/tr[td]"), 3);
    EXPECT_EQ(textOf("//table[@class='lines']/tr[td][1]/td[2]"), QStringLiteral("lodówka Zimnotech mk1"));
    EXPECT_EQ(textOf("//table[@class='lines']/tr[td][3]/td[9]"), QStringLiteral("5%"));
    EXPECT_EQ(textOf("(//table[@class='party'])[1]/tr[1]/td"), QStringLiteral("ABC AGD sp. z o. o."));
    EXPECT_EQ(textOf("(//table[@class='party'])[1]/tr[2]/td"), QStringLiteral("NIP: 9999999999"));
    EXPECT_EQ(textOf("(//table[@class='party'])[2]/tr[1]/td"),
              QStringLiteral("F.H.U. <b>Kowalski & syn</b>"));
    EXPECT_EQ(count("//b"), 0);
    EXPECT_EQ(textOf("string(//h1)"), QStringLiteral("Faktura VAT nr FV2026/02/150"));
    EXPECT_TRUE(textOf("string(//p[@class='total'])").contains(QStringLiteral("2051 PLN")));
    EXPECT_EQ(count("//table[@class='sums']/tr[td]"), 2);
    xmlXPathFreeContext(xp);
    xmlFreeDoc(page);
}

TEST(KsefHtml, DocumentThatIsNotAnInvoiceIsRefused)
{
    TKsefBackend backend;
    const QString upo = SharedDir() + QStringLiteral("/samples/ksef-upo/upo-faktura-kontekst-id-nip.xml");
    auto doc = backend.LoadXmlDocument(QStringLiteral("TlgMSXMLReader"), upo);
    EXPECT_TRUE(
        errorOf([&] { TKsefXslTransformation().ToHtml(*doc); }).contains(QStringLiteral("nie jest fakturą")));
    QTemporaryDir tmp;
    QFile broken(tmp.filePath(QStringLiteral("broken.xml")));
    broken.open(QIODevice::WriteOnly);
    broken.write("<Faktura><Fa>");
    broken.close();
    EXPECT_TRUE(errorOf([&] {
                    backend.LoadXmlDocument(QStringLiteral("TlgMSXMLReader"), broken.fileName());
                }).contains(QStringLiteral("nie jest poprawnym dokumentem XML")));
}

TEST(KsefHttp, RetryAfterIsReadAsSecondsOrAsDate)
{
    const QByteArray inTen = QLocale::c()
                                 .toString(QDateTime::currentDateTimeUtc().addSecs(10),
                                           QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"))
                                 .toLatin1();
    EXPECT_EQ(KsefRetryAfterSeconds("5"), 5);
    EXPECT_EQ(KsefRetryAfterSeconds(" 0 "), 0);
    EXPECT_EQ(KsefRetryAfterSeconds(""), -1);
    EXPECT_EQ(KsefRetryAfterSeconds("-3"), -1);
    EXPECT_EQ(KsefRetryAfterSeconds("soon"), -1);
    const int fromDate = KsefRetryAfterSeconds(inTen);
    EXPECT_GE(fromDate, 8);
    EXPECT_LE(fromDate, 10);
}
