#include "ksef/KsefBackend.h"

#include "ksef/KsefCertificate.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHtml.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefLinks.h"
#include "ksef/KsefStream.h"
#include "ksef/KsefXades.h"

#include <QCoreApplication>

#include <curl/curl.h>
#include <libxml/xmlversion.h>
#include <openssl/opensslv.h>
#include <xmlsec/version.h>

std::shared_ptr<TKsefClient> TKsefBackend::CreateKsefClient() const
{
    return std::make_shared<TKsefClient>();
}

std::shared_ptr<TKsefCertificateSigner> TKsefBackend::CreateCertificateSigner(const QString& provider) const
{
    return std::make_shared<TKsefCertificateSigner>(provider);
}

std::shared_ptr<TKsefXades> TKsefBackend::CreateXadesSigner() const
{
    return std::make_shared<TKsefXades>();
}

std::shared_ptr<TKsefHttpClient> TKsefBackend::CreateHttpClient(const QString& provider) const
{
    if (provider != QLatin1String("TlgFPCHTTPClient"))
        throw EKsefError(QStringLiteral("Nieznany klient HTTP: ") + provider);
    return std::make_shared<TKsefHttpClient>();
}

QString TKsefBackend::ComponentVersion() const
{
    return QStringLiteral("%1 KSeF 2.0 (libcurl %2, %3, xmlsec %4)")
        .arg(QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral("1.0")
                                                              : QCoreApplication::applicationVersion(),
             QString::fromLatin1(LIBCURL_VERSION),
             QString::fromLatin1(OPENSSL_VERSION_TEXT).section(QLatin1Char(' '), 0, 1),
             QString::fromLatin1(XMLSEC_VERSION));
}

std::unique_ptr<TKsefFileStream> TKsefBackend::OpenFileStream(const QString& path, int mode) const
{
    return std::make_unique<TKsefFileStream>(path, mode);
}

std::unique_ptr<TKsefHash> TKsefBackend::CreateHash(const QString& provider) const
{
    return std::make_unique<TKsefHash>(provider);
}

std::unique_ptr<TKsefLinkBuilder> TKsefBackend::CreateLinkBuilder(int gateway) const
{
    return std::make_unique<TKsefLinkBuilder>(gateway);
}

std::unique_ptr<TKsefXslTransformation> TKsefBackend::CreateXslTransformation(const QString& provider) const
{
    return std::make_unique<TKsefXslTransformation>(provider);
}

std::unique_ptr<TKsefXmlDocument> TKsefBackend::LoadXmlDocument(const QString& reader,
                                                                const QString& path) const
{
    return std::make_unique<TKsefXmlDocument>(reader, path);
}
