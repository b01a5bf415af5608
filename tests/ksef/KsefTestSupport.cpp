#include "tests/ksef/KsefTestSupport.h"

#include "ksef/KsefCertificate.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefHttp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <openssl/bn.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <stdexcept>

QByteArray RunTool(const QString& program, const QStringList& args, const QString& workDir)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(
            QStringLiteral("%1 %2 failed: %3")
                .arg(program, args.join(QLatin1Char(' ')), QString::fromUtf8(p.readAll()))
                .toStdString());
    return p.readAll();
}

QString SharedDir()
{
    return QDir::cleanPath(QStringLiteral(ORLIX_SOURCE_DIR "/../shared"));
}

QString CopySample(const QString& dir, const QString& sample, const QString& invoiceNumber,
                   const QString& targetName)
{
    QFile in(SharedDir() + QStringLiteral("/samples/fa3-mf/") + sample);
    if (!in.open(QIODevice::ReadOnly)) throw std::runtime_error(("missing sample " + sample).toStdString());
    QByteArray xml = in.readAll();
    if (!invoiceNumber.isEmpty())
        xml = QString::fromUtf8(xml)
                  .replace(QRegularExpression(QStringLiteral("<P_2>[^<]*</P_2>")),
                           QStringLiteral("<P_2>%1</P_2>").arg(invoiceNumber))
                  .toUtf8();
    const QString path = dir + QLatin1Char('/') + (targetName.isEmpty() ? sample : targetName);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(xml) != xml.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
    return path;
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString UpoField(const QByteArray& upo, const char* name)
{
    return QRegularExpression(QStringLiteral("<%1>([^<]*)</%1>").arg(QLatin1String(name)))
        .match(QString::fromUtf8(upo))
        .captured(1);
}

void TTestPki::MakeCa()
{
    m_caCrt = m_dir + QStringLiteral("/ca.crt");
    m_caKey = m_dir + QStringLiteral("/ca.key");
    RunTool(QStringLiteral("openssl"),
            {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-keyout",
             m_caKey, "-out", m_caCrt, "-days", "30", "-subj", "/C=PL/O=Orlix test/CN=Orlix test CA",
             "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
             "keyUsage=critical,keyCertSign,cRLSign"},
            m_dir);
}

TTestCert TTestPki::Issue(const QString& name, const QString& subject, const QString& keyType,
                          const QString& password, bool byCa, const QString& serialHex)
{
    TTestCert c{m_dir + QLatin1Char('/') + name + QStringLiteral(".crt"),
                m_dir + QLatin1Char('/') + name + QStringLiteral(".key"), password};
    const QString csr = m_dir + QLatin1Char('/') + name + QStringLiteral(".csr");
    QStringList req{"req", "-new", "-newkey"};
    if (keyType == QLatin1String("ec"))
        req << "ec"
            << "-pkeyopt"
            << "ec_paramgen_curve:P-256";
    else
        req << "rsa:2048";
    req << "-keyout" << c.Key << "-subj" << subject << "-utf8";
    if (password.isEmpty())
        req << "-nodes";
    else
        req << "-passout" << QStringLiteral("pass:") + password;
    const QString serial =
        serialHex.isEmpty() ? QStringLiteral("0x01F20A5D352AE590") : QStringLiteral("0x") + serialHex;
    if (byCa) {
        RunTool(QStringLiteral("openssl"), req << "-out" << csr, m_dir);
        RunTool(QStringLiteral("openssl"),
                {"x509", "-req", "-in", csr, "-CA", m_caCrt, "-CAkey", m_caKey, "-set_serial", serial,
                 "-days", "30", "-sha256", "-out", c.Crt},
                m_dir);
    } else {
        RunTool(QStringLiteral("openssl"),
                req << "-x509"
                    << "-days"
                    << "30"
                    << "-set_serial" << serial << "-out" << c.Crt,
                m_dir);
    }
    return c;
}

void TKsefStub::Start(const QString& workDir, const QString& caCrt)
{
    // Debian's interpreter: python3-cryptography, python3-xmlsec and python3-lxml live there.
    const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : QStringLiteral("python3");
    m_proc = std::make_unique<QProcess>();
    m_proc->setWorkingDirectory(workDir);
    // -B: no bytecode files beside the sources.
    m_proc->start(python,
                  {QStringLiteral("-B"), QStringLiteral(ORLIX_SOURCE_DIR "/tests/ksef/stub/ksef_stub.py"),
                   QStringLiteral("--ca"), caCrt, QStringLiteral("--schemas"),
                   SharedDir() + QStringLiteral("/schemas")});
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (t.elapsed() < 30000) {
        m_proc->waitForReadyRead(100);
        out += m_proc->readAllStandardOutput();
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("PORT (\\d+)\n")).match(QString::fromUtf8(out));
        if (m.hasMatch()) {
            m_port = m.captured(1).toInt();
            return;
        }
        if (m_proc->state() == QProcess::NotRunning) break;
    }
    throw std::runtime_error(
        ("KSeF stand-in did not start: " + m_proc->readAllStandardError()).toStdString());
}

void TKsefStub::Stop()
{
    if (m_proc && m_proc->state() != QProcess::NotRunning) {
        m_proc->kill();
        m_proc->waitForFinished(5000);
    }
    m_proc.reset();
}

QByteArray TKsefStub::Control(const QByteArray& method, const QString& path, const QByteArray& body)
{
    TKsefHttpClient http;
    const TKsefHttpResponse r = http.Send(QStringLiteral("stub"), method, Root() + path,
                                          {{"Content-Type", "application/json"}}, body);
    if (r.Status != 200) throw std::runtime_error(("stub control failed: " + r.Body).toStdString());
    return r.Body;
}

void TKsefStub::Config(const QJsonObject& settings)
{
    Control("POST", QStringLiteral("/_stub/config"), QJsonDocument(settings).toJson());
}

void TKsefStub::Fault(const QJsonObject& fault)
{
    Control("POST", QStringLiteral("/_stub/fault"), QJsonDocument(fault).toJson());
}

QString TKsefStub::Seed(const QByteArray& invoiceXml)
{
    return QJsonDocument::fromJson(Control("POST", QStringLiteral("/_stub/seed"), invoiceXml))
        .object()
        .value(QStringLiteral("ksefNumber"))
        .toString();
}

QStringList TKsefStub::SeedMany(const QByteArray& invoiceXml, int count)
{
    QStringList numbers;
    const QJsonArray a = QJsonDocument::fromJson(
                             Control("POST", QStringLiteral("/_stub/seed?count=%1").arg(count), invoiceXml))
                             .object()
                             .value(QStringLiteral("ksefNumbers"))
                             .toArray();
    for (const QJsonValue& v : a)
        numbers << v.toString();
    return numbers;
}

QByteArray PurchaseXml(const QString& number, const QString& sellerNip, const QString& buyerNip,
                       const QDate& issueDate)
{
    QTemporaryDir tmp;
    QByteArray xml = ReadBytes(CopySample(tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"), number));
    xml.replace("<NIP>9999999999</NIP>", "<NIP>X</NIP>")
        .replace("<NIP>1111111111</NIP>", "<NIP>" + buyerNip.toLatin1() + "</NIP>")
        .replace("<NIP>X</NIP>", "<NIP>" + sellerNip.toLatin1() + "</NIP>")
        .replace("<P_1>2026-02-15</P_1>", "<P_1>" + issueDate.toString(Qt::ISODate).toLatin1() + "</P_1>");
    return xml;
}

int TKsefStub::Count(const QString& key)
{
    return QJsonDocument::fromJson(Control("GET", QStringLiteral("/_stub/stats")))
        .object()
        .value(key)
        .toInt();
}

void KsefStubTest::SetUp()
{
    ASSERT_TRUE(m_tmp.isValid());
    m_pki = std::make_unique<TTestPki>(m_tmp.path());
    m_pki->MakeCa();
    // A company seal as KSeF's test environment takes it: the NIP in organizationIdentifier.
    m_seal =
        m_pki->Issue(QStringLiteral("seal"),
                     QStringLiteral("/C=PL/O=ABC AGD sp. z o. o./organizationIdentifier=VATPL-%1/CN=ABC AGD")
                         .arg(QString::fromLatin1(kNip)),
                     QStringLiteral("rsa"), QString::fromUtf8(kPassword));
    m_stub.Start(m_tmp.path(), m_pki->CaCrt());
}

void KsefStubTest::TearDown()
{
    m_stub.Stop();
}

std::shared_ptr<TKsefClient> KsefStubTest::NewClient(const TTestCert& cert, const QString& nip)
{
    auto client = std::make_shared<TKsefClient>();
    client->SetCertificate(TKsefCertificateSigner().LoadCertificate(cert.Crt, 0, cert.Key, 0, cert.Password));
    client->SetNip(nip);
    client->SetGateway(2);
    client->SetBaseUrl(m_stub.BaseUrl());
    return client;
}

void KsefStubTest::Login(TKsefClient& client)
{
    const TKsefAuthResult auth = client.Authenticate();
    ASSERT_FALSE(auth.ReferenceNumber.isEmpty());
    const TKsefAuthStatus status = client.AuthenticationStatus();
    ASSERT_EQ(status.Status.Code, 200) << status.Status.Description.toStdString();
    const TKsefTokens tokens = client.RedeemTokens();
    ASSERT_FALSE(tokens.AccessToken.Token.isEmpty());
}

// Verifies Signature over Data with the public key of the certificate file, the way
// KSeF checks a KOD II link: RSASSA-PSS (SHA-256, salt 32) or ECDSA with R||S.
bool VerifyWithCertificate(const QString& crtPath, const QByteArray& data, QByteArray signature)
{
    QFile f(crtPath);
    f.open(QIODevice::ReadOnly);
    const QByteArray pem = f.readAll();
    BIO* bio = BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size()));
    X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    EVP_PKEY* key = X509_get_pubkey(cert);
    if (EVP_PKEY_base_id(key) == EVP_PKEY_EC) {
        if (signature.size() != 64) return false;
        ECDSA_SIG* sig = ECDSA_SIG_new();
        ECDSA_SIG_set0(
            sig, BN_bin2bn(reinterpret_cast<const unsigned char*>(signature.constData()), 32, nullptr),
            BN_bin2bn(reinterpret_cast<const unsigned char*>(signature.constData()) + 32, 32, nullptr));
        unsigned char* der = nullptr;
        const int len = i2d_ECDSA_SIG(sig, &der);
        signature = QByteArray(reinterpret_cast<const char*>(der), len);
        OPENSSL_free(der);
        ECDSA_SIG_free(sig);
    }
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = nullptr;
    EVP_DigestVerifyInit(ctx, &pctx, EVP_sha256(), nullptr, key);
    if (EVP_PKEY_base_id(key) == EVP_PKEY_RSA) {
        EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PSS_PADDING);
        EVP_PKEY_CTX_set_rsa_pss_saltlen(pctx, 32);
        EVP_PKEY_CTX_set_rsa_mgf1_md(pctx, EVP_sha256());
    }
    const int rc = EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char*>(signature.constData()),
                                    static_cast<size_t>(signature.size()),
                                    reinterpret_cast<const unsigned char*>(data.constData()),
                                    static_cast<size_t>(data.size()));
    EVP_MD_CTX_free(ctx);
    EVP_PKEY_free(key);
    X509_free(cert);
    return rc == 1;
}
