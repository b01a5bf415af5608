#include "ksef/KsefCertificate.h"

#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"

#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <cstring>

using KsefCrypto::OpenSslErrors;

namespace {

using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;

Bio memBio(const QByteArray& data)
{
    return Bio(BIO_new_mem_buf(data.constData(), static_cast<int>(data.size())), BIO_free);
}

QString bioText(BIO* bio)
{
    char* data = nullptr;
    const long len = BIO_get_mem_data(bio, &data);
    return QString::fromUtf8(data, static_cast<qsizetype>(len));
}

QString nameText(const X509_NAME* name)
{
    Bio bio(BIO_new(BIO_s_mem()), BIO_free);
    X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    return bioText(bio.get());
}

QDateTime asn1Time(const ASN1_TIME* t)
{
    struct tm tm;
    std::memset(&tm, 0, sizeof tm);
    if (!t || ASN1_TIME_to_tm(t, &tm) != 1) return QDateTime();
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                     QTime(tm.tm_hour, tm.tm_min, tm.tm_sec), Qt::UTC);
}

QByteArray readFile(const QString& path, const QString& what)
{
    QFile f(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        throw EKsefError(QStringLiteral("Nie można odczytać pliku %1: %2").arg(what, path));
    return f.readAll();
}

bool looksPem(const QByteArray& data, int format)
{
    if (format == kffPem) return true;
    if (format == kffDer) return false;
    return data.contains("-----BEGIN");
}

struct Password
{
    QByteArray utf8;
};

// Never lets OpenSSL ask on a terminal: an empty password is simply no password.
int passwordCallback(char* buf, int size, int, void* user)
{
    const auto* p = static_cast<const Password*>(user);
    if (p->utf8.isEmpty() || p->utf8.size() > size) return 0;
    std::memcpy(buf, p->utf8.constData(), static_cast<size_t>(p->utf8.size()));
    return static_cast<int>(p->utf8.size());
}

} // namespace

TKsefCertificate::TKsefCertificate(X509* certificate, EVP_PKEY* privateKey)
    : m_cert(certificate), m_key(privateKey)
{
}

TKsefCertificate::~TKsefCertificate()
{
    X509_free(m_cert);
    EVP_PKEY_free(m_key);
}

QByteArray TKsefCertificate::Der() const
{
    unsigned char* buf = nullptr;
    const int len = i2d_X509(m_cert, &buf);
    if (len <= 0) return QByteArray();
    QByteArray out(reinterpret_cast<const char*>(buf), len);
    OPENSSL_free(buf);
    return out;
}

QString TKsefCertificate::SerialHex() const
{
    std::unique_ptr<BIGNUM, decltype(&BN_free)> bn(
        ASN1_INTEGER_to_BN(X509_get0_serialNumber(m_cert), nullptr), BN_free);
    if (!bn) return QString();
    char* hex = BN_bn2hex(bn.get());
    QString out = QString::fromLatin1(hex).toUpper();
    OPENSSL_free(hex);
    return out;
}

QString TKsefCertificate::SerialDecimal() const
{
    std::unique_ptr<BIGNUM, decltype(&BN_free)> bn(
        ASN1_INTEGER_to_BN(X509_get0_serialNumber(m_cert), nullptr), BN_free);
    if (!bn) return QString();
    char* dec = BN_bn2dec(bn.get());
    QString out = QString::fromLatin1(dec);
    OPENSSL_free(dec);
    return out;
}

QString TKsefCertificate::SubjectName() const
{
    return nameText(X509_get_subject_name(m_cert));
}
QString TKsefCertificate::IssuerName() const
{
    return nameText(X509_get_issuer_name(m_cert));
}
QDateTime TKsefCertificate::NotBefore() const
{
    return asn1Time(X509_get0_notBefore(m_cert));
}
QDateTime TKsefCertificate::NotAfter() const
{
    return asn1Time(X509_get0_notAfter(m_cert));
}
bool TKsefCertificate::IsEc() const
{
    return EVP_PKEY_base_id(m_key) == EVP_PKEY_EC;
}

QByteArray TKsefCertificate::Sign(const QByteArray& data, TKsefSignatureFormat format) const
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    EVP_PKEY_CTX* pctx = nullptr;
    bool ok = ctx && EVP_DigestSignInit(ctx.get(), &pctx, EVP_sha256(), nullptr, m_key) == 1;
    if (ok && EVP_PKEY_base_id(m_key) == EVP_PKEY_RSA) {
        ok = EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PSS_PADDING) == 1 &&
             EVP_PKEY_CTX_set_rsa_pss_saltlen(pctx, 32) == 1 &&
             EVP_PKEY_CTX_set_rsa_mgf1_md(pctx, EVP_sha256()) == 1;
    }
    size_t len = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(data.constData());
    ok = ok && EVP_DigestSign(ctx.get(), nullptr, &len, in, static_cast<size_t>(data.size())) == 1;
    QByteArray sig(static_cast<qsizetype>(len), Qt::Uninitialized);
    ok = ok && EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(sig.data()), &len, in,
                              static_cast<size_t>(data.size())) == 1;
    if (!ok)
        throw EKsefError(QStringLiteral("Nie udało się podpisać danych kluczem certyfikatu: ") +
                         OpenSslErrors());
    sig.resize(static_cast<qsizetype>(len));
    if (!IsEc() || format == TKsefSignatureFormat::Der) return sig;

    // DER SEQUENCE{r, s} to R||S, each padded to the size of the curve order.
    const auto* p = reinterpret_cast<const unsigned char*>(sig.constData());
    std::unique_ptr<ECDSA_SIG, decltype(&ECDSA_SIG_free)> es(d2i_ECDSA_SIG(nullptr, &p, sig.size()),
                                                             ECDSA_SIG_free);
    if (!es) throw EKsefError(QStringLiteral("Nieczytelny podpis ECDSA: ") + OpenSslErrors());
    const int half = (EVP_PKEY_get_bits(m_key) + 7) / 8;
    QByteArray out(2 * half, '\0');
    BN_bn2binpad(ECDSA_SIG_get0_r(es.get()), reinterpret_cast<unsigned char*>(out.data()), half);
    BN_bn2binpad(ECDSA_SIG_get0_s(es.get()), reinterpret_cast<unsigned char*>(out.data()) + half, half);
    return out;
}

TKsefCertificateSigner::TKsefCertificateSigner(const QString& provider)
{
    if (provider != QLatin1String("TlgOSSLCertificateSigner"))
        throw EKsefError(QStringLiteral("Nieznany dostawca podpisu certyfikatem: ") + provider);
}

std::shared_ptr<TKsefCertificate>
TKsefCertificateSigner::LoadCertificate(const QString& certificatePath, int certificateFormat,
                                        const QString& keyPath, int keyFormat, const QString& password) const
{
    ERR_clear_error();
    const QByteArray certData = readFile(certificatePath, QStringLiteral("certyfikatu"));
    const QByteArray keyData = readFile(keyPath, QStringLiteral("klucza prywatnego"));

    X509* cert = nullptr;
    {
        Bio bio = memBio(certData);
        cert = looksPem(certData, certificateFormat) ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)
                                                     : d2i_X509_bio(bio.get(), nullptr);
    }
    std::unique_ptr<X509, decltype(&X509_free)> certGuard(cert, X509_free);
    if (!cert)
        throw EKsefError(QStringLiteral("Plik nie zawiera czytelnego certyfikatu X.509: %1 (%2)")
                             .arg(certificatePath, OpenSslErrors()));

    Password pass{password.toUtf8()};
    EVP_PKEY* key = nullptr;
    {
        Bio bio = memBio(keyData);
        if (looksPem(keyData, keyFormat)) {
            key = PEM_read_bio_PrivateKey(bio.get(), nullptr, passwordCallback, &pass);
        } else {
            key = d2i_PKCS8PrivateKey_bio(bio.get(), nullptr, passwordCallback, &pass);
            if (!key) {
                Bio plain = memBio(keyData);
                key = d2i_PrivateKey_bio(plain.get(), nullptr);
            }
        }
    }
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> keyGuard(key, EVP_PKEY_free);
    if (!key) {
        const QString errors = OpenSslErrors();
        const bool encrypted = keyData.contains("ENCRYPTED") || !looksPem(keyData, keyFormat);
        if (encrypted)
            throw EKsefError(
                QStringLiteral("Nieprawidłowe hasło klucza prywatnego lub uszkodzony klucz: %1 (%2)")
                    .arg(keyPath, errors));
        throw EKsefError(
            QStringLiteral("Plik nie zawiera czytelnego klucza prywatnego: %1 (%2)").arg(keyPath, errors));
    }
    if (X509_check_private_key(cert, key) != 1)
        throw EKsefError(
            QStringLiteral("Klucz prywatny %1 nie należy do certyfikatu %2").arg(keyPath, certificatePath));

    auto result = std::make_shared<TKsefCertificate>(certGuard.release(), keyGuard.release());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (now < result->NotBefore() || now > result->NotAfter())
        throw EKsefError(QStringLiteral("Certyfikat %1 jest poza okresem ważności (%2 – %3)")
                             .arg(certificatePath, result->NotBefore().toString(Qt::ISODate),
                                  result->NotAfter().toString(Qt::ISODate)));
    return result;
}
