#pragma once
// The operator's certificate with its private key: loaded from files, used for the
// XAdES signature of authentication and for the signature inside the KOD II link.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>

typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;

// How an ECDSA signature is written: IEEE P1363 (R||S, what KSeF prefers) or DER.
// RSA keys always sign RSASSA-PSS (SHA-256, MGF1-SHA-256, 32-byte salt).
enum class TKsefSignatureFormat
{
    Der = 1,
    P1363 = 2,
};

class TKsefCertificate
{
public:
    // Takes ownership of both.
    TKsefCertificate(X509* certificate, EVP_PKEY* privateKey);
    ~TKsefCertificate();
    TKsefCertificate(const TKsefCertificate&) = delete;
    TKsefCertificate& operator=(const TKsefCertificate&) = delete;

    X509* Certificate() const { return m_cert; }
    EVP_PKEY* PrivateKey() const { return m_key; }

    QByteArray Der() const;
    // Serial number in upper-case hex, as the KOD II link carries it.
    QString SerialHex() const;
    QString SerialDecimal() const;
    // Names in RFC 2253 form ("CN=...,O=...").
    QString SubjectName() const;
    QString IssuerName() const;
    QDateTime NotBefore() const;
    QDateTime NotAfter() const;
    bool IsEc() const;

    // Signs Data with SHA-256 (RSASSA-PSS or ECDSA).
    QByteArray Sign(const QByteArray& data, TKsefSignatureFormat format = TKsefSignatureFormat::P1363) const;

private:
    X509* m_cert;
    EVP_PKEY* m_key;
};

// File formats for LoadCertificate: 0 tells PEM from DER by the content.
enum TKsefFileFormat
{
    kffDetect = 0,
    kffPem = 1,
    kffDer = 2,
};

class TKsefCertificateSigner
{
public:
    // Provider "TlgOSSLCertificateSigner" (OpenSSL), the only one there is.
    explicit TKsefCertificateSigner(const QString& provider = QStringLiteral("TlgOSSLCertificateSigner"));

    // Loads the certificate and its private key (PEM or DER; the key plain or protected
    // by Password, PKCS#8 or traditional). A missing file, a wrong password, a key that
    // does not belong to the certificate, or a certificate out of its validity period
    // raise EKsefError.
    std::shared_ptr<TKsefCertificate> LoadCertificate(const QString& certificatePath, int certificateFormat,
                                                      const QString& keyPath, int keyFormat,
                                                      const QString& password) const;
};
