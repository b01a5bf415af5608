#pragma once
// What the KSeF client's tests share: certificates made with the openssl command,
// the local stand-in server (tests/ksef/stub/ksef_stub.py) and FA(3) samples.
#include "tests/support/XmlSchemaCheck.h"

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

class TKsefClient;

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// Runs a program without a shell; raises std::runtime_error with its output when it fails.
QByteArray RunTool(const QString& program, const QStringList& args, const QString& workDir);

// ../shared beside the repository: schemas and samples.
QString SharedDir();
// A copy of an MF FA(3) sample in Dir; a non-empty InvoiceNumber replaces P_2, so that
// copies of one sample are not duplicates of each other.
QString CopySample(const QString& dir, const QString& sample, const QString& invoiceNumber = QString(),
                   const QString& targetName = QString());
// The whole file; empty when it cannot be read.
QByteArray ReadBytes(const QString& path);
// The text of the first element Name of a receipt (UPO).
QString UpoField(const QByteArray& upo, const char* name);

// Verifies Signature over Data with the public key of the certificate file, the way
// KSeF checks a KOD II link: RSASSA-PSS (SHA-256, salt 32) or ECDSA with R||S.
bool VerifyWithCertificate(const QString& crtPath, const QByteArray& data, QByteArray signature);

struct TTestCert
{
    QString Crt;
    QString Key;
    QString Password;
};

// A small PKI in a temporary folder: one CA and the certificates it (or nobody) issues.
class TTestPki
{
public:
    explicit TTestPki(QString dir) : m_dir(std::move(dir)) {}
    void MakeCa();
    const QString& CaCrt() const { return m_caCrt; }
    // KeyType "rsa" (2048) or "ec" (P-256); an empty password leaves the key unprotected;
    // ByCa false makes the certificate self-signed.
    TTestCert Issue(const QString& name, const QString& subject, const QString& keyType,
                    const QString& password, bool byCa = true, const QString& serialHex = QString());

private:
    QString m_dir;
    QString m_caCrt;
    QString m_caKey;
};

// Sample 1 of the ministry with the seller and buyer NIPs and the issue date replaced.
QByteArray PurchaseXml(const QString& number, const QString& sellerNip = QStringLiteral("1111111111"),
                       const QString& buyerNip = QStringLiteral("9999999999"),
                       const QDate& issueDate = QDate::currentDate());

class TKsefStub
{
public:
    ~TKsefStub() { Stop(); }
    void Start(const QString& workDir, const QString& caCrt);
    void Stop();
    QString Root() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    QString BaseUrl() const { return Root() + QStringLiteral("/v2"); }
    QByteArray Control(const QByteArray& method, const QString& path, const QByteArray& body = QByteArray());
    void Config(const QJsonObject& settings);
    void Fault(const QJsonObject& fault);
    QString Seed(const QByteArray& invoiceXml);
    // Count copies numbered "<P_2>/1".."<P_2>/<count>"; their KSeF numbers.
    QStringList SeedMany(const QByteArray& invoiceXml, int count);
    // How many requests the stand-in saw, keyed "POST /v2/sessions/online" with
    // reference numbers replaced by {ref}.
    int Count(const QString& key);

private:
    std::unique_ptr<QProcess> m_proc;
    int m_port = 0;
};

// Stand-in and PKI per test: the seller of the MF samples (NIP 9999999999) holds a
// company seal issued by the test CA, with a password-protected RSA key.
class KsefStubTest : public ::testing::Test
{
protected:
    static constexpr const char* kNip = "9999999999";
    static constexpr const char* kBuyerNip = "1111111111";
    static constexpr const char* kPassword = "Tajne-Has\u0142o1";

    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<TKsefClient> NewClient(const TTestCert& cert,
                                           const QString& nip = QString::fromLatin1(kNip));
    std::shared_ptr<TKsefClient> NewClient() { return NewClient(m_seal); }
    // Authenticate, status 200, redeem: what every exchange starts with.
    void Login(TKsefClient& client);
    QString Tmp(const QString& name) const { return m_tmp.filePath(name); }

    QTemporaryDir m_tmp;
    std::unique_ptr<TTestPki> m_pki;
    TKsefStub m_stub;
    TTestCert m_seal;
};
