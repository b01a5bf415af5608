#pragma once
// The factory of the KSeF client's objects. One per process; the objects it makes
// are independent of it.
#include <QString>
#include <memory>

class TKsefCertificateSigner;
class TKsefClient;
class TKsefFileStream;
class TKsefHash;
class TKsefHttpClient;
class TKsefLinkBuilder;
class TKsefXades;
class TKsefXmlDocument;
class TKsefXslTransformation;

class TKsefBackend
{
public:
    std::shared_ptr<TKsefClient> CreateKsefClient() const;
    // Provider "TlgOSSLCertificateSigner".
    std::shared_ptr<TKsefCertificateSigner> CreateCertificateSigner(const QString& provider) const;
    std::shared_ptr<TKsefXades> CreateXadesSigner() const;
    // Provider "TlgFPCHTTPClient".
    std::shared_ptr<TKsefHttpClient> CreateHttpClient(const QString& provider) const;
    QString ComponentVersion() const;

    // Mode 0 reads an existing file, 65535 creates one.
    std::unique_ptr<TKsefFileStream> OpenFileStream(const QString& path, int mode) const;
    // Provider "TlgOSSLSHA256Hash".
    std::unique_ptr<TKsefHash> CreateHash(const QString& provider) const;
    // Gateway: KSeF_TypBramki of the open client; it chooses the host of the links.
    std::unique_ptr<TKsefLinkBuilder> CreateLinkBuilder(int gateway) const;
    // Provider "TlgMSXMLXSLTransformation".
    std::unique_ptr<TKsefXslTransformation> CreateXslTransformation(const QString& provider) const;
    // Reader "TlgMSXMLReader".
    std::unique_ptr<TKsefXmlDocument> LoadXmlDocument(const QString& reader, const QString& path) const;
};
