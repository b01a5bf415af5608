#pragma once
// The verification links printed as QR codes on invoices: KOD I (the invoice) and
// KOD II (the issuer's certificate, for invoices issued offline), and the file hash
// they carry.
#include <QDate>
#include <QString>

class TKsefCertificate;
class TKsefFileStream;

class TKsefHash
{
public:
    // Provider "TlgOSSLSHA256Hash" (SHA-256 with OpenSSL), the only one there is.
    explicit TKsefHash(const QString& provider = QStringLiteral("TlgOSSLSHA256Hash"));

    // SHA-256 of the whole stream, in standard Base64 ("TlgFPCBase64Encoder").
    QString HashStream(TKsefFileStream& stream,
                       const QString& encoder = QStringLiteral("TlgFPCBase64Encoder")) const;
};

// Context types of KOD II, numbered as this client's callers pass them.
enum TKsefContextType
{
    kctInternalId = 1,
    kctNip = 2,
    kctNipVatUe = 3,
    kctPeppolId = 4,
};

class TKsefLinkBuilder
{
public:
    // Gateway: the environment whose QR host the certificate links name (KSeF_TypBramki).
    explicit TKsefLinkBuilder(int gateway);

    int Gateway() const { return m_gateway; }

    // KOD I: https://<QR host>/invoice/<seller NIP>/<DD-MM-RRRR>/<SHA-256 Base64url>.
    // InvoiceHash is the Base64 SHA-256 of the exact invoice file (HashStream).
    QString InvoiceVerificationLink(const QString& sellerNip, const QDate& issueDate,
                                    const QString& invoiceHash, int gateway) const;

    // KOD II: https://<QR host>/certificate/<context type>/<context value>/<seller NIP>/
    // <certificate serial, hex>/<invoice SHA-256 Base64url>/<signature Base64url>, the
    // signature made with Certificate's key over the link without "https://" (RSASSA-PSS
    // for RSA keys, ECDSA P-256 in SignatureFormat for EC keys; 2 = R||S).
    QString CertificateVerificationLink(const QString& contextValue, int contextType,
                                        const QString& sellerNip, const QString& invoiceHash,
                                        const TKsefCertificate& certificate, int signatureFormat = 2,
                                        const QString& encoder = QStringLiteral("TlgFPCBase64Encoder")) const;

private:
    int m_gateway;
};
