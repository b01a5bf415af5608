#include "ksef/KsefLinks.h"

#include "ksef/KsefCertificate.h"
#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"
#include "ksef/KsefGateway.h"
#include "ksef/KsefStream.h"

#include <QRegularExpression>

namespace {

void checkEncoder(const QString& encoder)
{
    if (encoder != QLatin1String("TlgFPCBase64Encoder"))
        throw EKsefError(QStringLiteral("Nieznany koder Base64: ") + encoder);
}

QString hashForLink(const QString& invoiceHash)
{
    const QString url = KsefCrypto::Base64ToBase64Url(invoiceHash);
    // A SHA-256 is 32 bytes: 43 characters without padding.
    if (url.size() != 43)
        throw EKsefError(QStringLiteral("Nieprawidłowy skrót pliku faktury dla linku weryfikacyjnego: \"%1\"")
                             .arg(invoiceHash));
    return url;
}

QString checkedNip(const QString& nip, const QString& what)
{
    static const QRegularExpression tenDigits(QStringLiteral("^\\d{10}$"));
    if (!tenDigits.match(nip).hasMatch())
        throw EKsefError(
            QStringLiteral("Nieprawidłowy NIP %1 dla linku weryfikacyjnego: \"%2\"").arg(what, nip));
    return nip;
}

} // namespace

TKsefHash::TKsefHash(const QString& provider)
{
    if (provider != QLatin1String("TlgOSSLSHA256Hash"))
        throw EKsefError(QStringLiteral("Nieznany dostawca skrótu: ") + provider);
}

QString TKsefHash::HashStream(TKsefFileStream& stream, const QString& encoder) const
{
    checkEncoder(encoder);
    return KsefCrypto::Sha256Base64(stream.ReadAll());
}

TKsefLinkBuilder::TKsefLinkBuilder(int gateway) : m_gateway(gateway) {}

QString TKsefLinkBuilder::InvoiceVerificationLink(const QString& sellerNip, const QDate& issueDate,
                                                  const QString& invoiceHash, int gateway) const
{
    if (!issueDate.isValid())
        throw EKsefError(QStringLiteral("Brak daty wystawienia faktury dla linku weryfikacyjnego"));
    return QStringLiteral("https://%1/invoice/%2/%3/%4")
        .arg(KsefQrHost(KsefGatewayFromInt(gateway)), checkedNip(sellerNip, QStringLiteral("sprzedawcy")),
             issueDate.toString(QStringLiteral("dd-MM-yyyy")), hashForLink(invoiceHash));
}

QString TKsefLinkBuilder::CertificateVerificationLink(const QString& contextValue, int contextType,
                                                      const QString& sellerNip, const QString& invoiceHash,
                                                      const TKsefCertificate& certificate,
                                                      int signatureFormat, const QString& encoder) const
{
    checkEncoder(encoder);
    QString type;
    switch (contextType) {
    case kctNip:
        type = QStringLiteral("Nip");
        checkedNip(contextValue, QStringLiteral("kontekstu"));
        break;
    case kctInternalId:
        type = QStringLiteral("InternalId");
        break;
    case kctNipVatUe:
        type = QStringLiteral("NipVatUe");
        break;
    case kctPeppolId:
        type = QStringLiteral("PeppolId");
        break;
    default:
        throw EKsefError(QStringLiteral("Nieznany typ kontekstu linku certyfikatu: %1").arg(contextType));
    }
    if (contextValue.trimmed().isEmpty() || contextValue.contains(QLatin1Char('/')))
        throw EKsefError(QStringLiteral("Nieprawidłowy identyfikator kontekstu: \"%1\"").arg(contextValue));
    const QString unsignedPart = QStringLiteral("%1/certificate/%2/%3/%4/%5/%6")
                                     .arg(KsefQrHost(KsefGatewayFromInt(m_gateway)), type, contextValue,
                                          checkedNip(sellerNip, QStringLiteral("sprzedawcy")),
                                          certificate.SerialHex(), hashForLink(invoiceHash));
    const auto format = signatureFormat == 1 ? TKsefSignatureFormat::Der : TKsefSignatureFormat::P1363;
    const QByteArray signature = certificate.Sign(unsignedPart.toUtf8(), format);
    return QStringLiteral("https://") + unsignedPart + QLatin1Char('/') + KsefCrypto::Base64Url(signature);
}
