#pragma once
// Our client of the public KSeF 2.0 REST API: authentication with a XAdES-signed
// AuthTokenRequest, online and batch sessions with AES-256 encrypted invoices,
// statuses and receipts (UPO), download, query and export of invoices.
//
// Called from the user-interface thread only. Every failed call raises EKsefError
// with the service's message; nothing that failed returns a result. Rate-limit
// answers (429) are waited out within the HTTP client's retry budget.
#include "ksef/KsefResults.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TKsefCertificate;
class TKsefFileStream;
class TKsefHttpClient;
class TKsefXades;
struct TKsefHttpResponse;

struct TKsefChallenge
{
    QString Challenge;
    QDateTime Timestamp;
    qint64 TimestampMs = 0;
};

class TKsefClient
{
public:
    TKsefClient();
    ~TKsefClient();
    TKsefClient(const TKsefClient&) = delete;
    TKsefClient& operator=(const TKsefClient&) = delete;

    // ---- settings made when the client is opened ----
    void SetCertificate(std::shared_ptr<TKsefCertificate> certificate)
    {
        m_certificate = std::move(certificate);
    }
    const std::shared_ptr<TKsefCertificate>& Certificate() const { return m_certificate; }
    void SetXades(std::shared_ptr<TKsefXades> xades) { m_xades = std::move(xades); }
    void SetHttpClient(std::shared_ptr<TKsefHttpClient> http) { m_http = std::move(http); }
    TKsefHttpClient* HttpClient() const { return m_http.get(); }
    // How the AuthTokenRequest names the signer: 0 certificateSubject, 1 certificateFingerprint.
    void SetSubjectIdentifierType(int value) { m_subjectIdentifierType = value; }
    // Namespace of the AuthTokenRequest: 1 ".../auth/token/2.0", 2 ".../auth/token/2.1".
    void SetAuthTokenSchema(int value) { m_authTokenSchema = value; }
    // Query verifyCertificateChain of the signature: -1 not sent (the service's
    // default), 0 false, 1 true.
    void SetVerifyCertificateChain(int value) { m_verifyCertificateChain = value; }
    // KSeF_TypBramki: 0 production, 1 demo, 2 test.
    void SetGateway(int gateway) { m_gateway = gateway; }
    int Gateway() const { return m_gateway; }
    // The context of authentication: the company's NIP, digits only.
    void SetNip(const QString& nip) { m_nip = nip; }
    const QString& Nip() const { return m_nip; }
    // Replaces the environment's base URL (also ORLIX_KSEF_BASE_URL); empty restores it.
    void SetBaseUrl(const QString& url);
    QString BaseUrl() const;

    // Providers by name; only the ones this client implements are accepted.
    void SetRandomGenerator(const QString& name);      // "TlgOSSLRandomGenerator"
    void SetBase64Encoder(const QString& name);        // "TlgFPCBase64Encoder"
    void SetHashProvider(const QString& name);         // "TlgOSSLSHA256Hash"
    void SetAesProvider(const QString& name);          // "TlgOSSLAES256Encrypt"
    void SetRsaPublicKeyProvider(const QString& name); // "TlgOSSLRSAPublicKey"
    const QString& RandomGenerator() const { return m_randomGenerator; }
    const QString& Base64Encoder() const { return m_base64Encoder; }
    const QString& HashProvider() const { return m_hashProvider; }
    const QString& AesProvider() const { return m_aesProvider; }
    const QString& RsaPublicKeyProvider() const { return m_rsaProvider; }

    // ---- authentication ----
    // Challenge, signed AuthTokenRequest, submission: the three steps below in one.
    TKsefAuthResult Authenticate();
    TKsefChallenge Challenge();
    QByteArray AuthTokenRequestXml(const QString& challenge) const;
    TKsefAuthResult SubmitAuthTokenRequest(const QByteArray& signedXml);
    // Empty arguments: the operation started by the last Authenticate.
    TKsefAuthStatus AuthenticationStatus(const QString& referenceNumber = QString(),
                                         const QString& authenticationToken = QString());
    TKsefTokens RedeemTokens(const QString& authenticationToken = QString());
    TKsefTokens RefreshAccessToken();
    // The tokens in force; an access token about to expire is refreshed first.
    TKsefTokens CurrentTokens();
    // Revokes the session of the tokens and forgets them (also when the service fails).
    void EndAuthentication();

    // ---- online (interactive) session, FA (3) ----
    QString OpenOnlineSession();
    const QString& OnlineSessionReference() const { return m_onlineReference; }
    // Sends the file exactly as it is on disk; returns the invoice's reference number.
    QString SendInvoice(const QString& path, bool offlineMode = false,
                        const QString& hashOfCorrectedInvoice = QString());
    void CloseOnlineSession(const QString& referenceNumber = QString());

    TKsefInvoiceStatus InvoiceStatus(const QString& sessionReference, const QString& invoiceReference);
    TKsefSessionStatus SessionStatus(const QString& sessionReference);
    // One page of the session's invoices (PageSize 10..1000).
    TKsefSessionInvoices SessionInvoices(const QString& sessionReference, const QString& continuationToken,
                                         int pageSize);

    // ---- batch session ----
    // Encrypts the zip into OutputPath (parts beyond the first: OutputPath + ".2", ".3"
    // ...); MaxPartSize 0 means the API's limit of 100 MB per part.
    TKsefBatch PrepareBatch(const QString& zipPath, const QString& outputPath, qint64 maxPartSize = 0);
    TKsefBatchOpening OpenBatchSession(const TKsefBatch& batch, bool offlineMode = false);
    const QString& BatchSessionReference() const { return m_batchReference; }
    // Sends one encrypted part where the opening said, without the access token.
    void UploadBatchPart(const TKsefPartUploadRequest& request, TKsefFileStream& stream);
    void CloseBatchSession(const QString& referenceNumber = QString());

    // ---- receipts and downloads ----
    // Fetches the UPO of one invoice into FilePath; returns its content.
    QByteArray DownloadUpo(const QString& sessionReference, const QString& invoiceReference,
                           const QString& filePath);
    // Writes the invoice's XML into Stream. AccessToken empty: the current one.
    void DownloadInvoice(const QString& ksefNumber, TKsefFileStream& stream,
                         const QString& accessToken = QString());

    // ---- received invoices ----
    // PageOffset counts pages; PageSize 10..250; SortOrder 1 ascending, 0 descending.
    TKsefInvoiceQueryResult QueryInvoices(const TKsefInvoiceQueryFilters& filters, int pageOffset,
                                          int pageSize, int sortOrder = 1);
    QString StartInvoiceExport(const TKsefInvoiceQueryFilters& filters, bool onlyMetadata = false);
    TKsefExportStatus InvoiceExportStatus(const QString& referenceNumber);
    // Decrypts the package's parts into Stream, in order: PartIndex -1 all of them
    // (the parts are pieces of one zip), else only that one (0-based).
    void DownloadExportPart(const TKsefExportStatus& status, TKsefFileStream& stream, int partIndex = -1);

private:
    enum class TAuth
    {
        None,
        AuthenticationToken,
        AccessToken,
        RefreshToken,
    };
    struct TPublicKey
    {
        QByteArray CertificateDer;
        QString PublicKeyId;
        QDateTime ValidFrom;
        QDateTime ValidTo;
        QStringList Usage;
    };
    struct TSymmetricKey
    {
        QByteArray Key;
        QByteArray Iv;
    };

    TKsefHttpClient& http();
    QString url(const QString& path) const;
    TKsefHttpResponse call(const QString& operation, const QByteArray& method, const QString& path,
                           const QByteArray& body, TAuth auth, std::initializer_list<int> okStatuses,
                           const QList<QPair<QByteArray, QByteArray>>& extraHeaders = {},
                           const QByteArray& contentType = QByteArrayLiteral("application/json"),
                           const QString& bearer = QString());
    QJsonObject callJson(const QString& operation, const QByteArray& method, const QString& path,
                         const QJsonObject& body, TAuth auth, std::initializer_list<int> okStatuses,
                         QByteArray* raw = nullptr,
                         const QList<QPair<QByteArray, QByteArray>>& extraHeaders = {});
    QString bearerFor(TAuth auth, const QString& explicitToken);
    QJsonObject encryptionInfo(const TSymmetricKey& key, bool refreshKeys);
    // Runs Call with the encryption block of a fresh public key; a key KSeF no longer
    // knows (21470) makes it fetch the keys again and try once more.
    QJsonObject withEncryption(const TSymmetricKey& key,
                               const std::function<QJsonObject(const QJsonObject&)>& call);
    const TPublicKey& symmetricKeyCertificate(bool refresh);
    void checkStatusNumber(const TKsefInvoiceStatus& status) const;
    static void checkProvider(const QString& name, const char* expected, const char* what);

    std::shared_ptr<TKsefCertificate> m_certificate;
    std::shared_ptr<TKsefXades> m_xades;
    std::shared_ptr<TKsefHttpClient> m_http;
    int m_subjectIdentifierType = 0;
    int m_authTokenSchema = 2;
    int m_verifyCertificateChain = -1;
    int m_gateway = 2;
    QString m_nip;
    QString m_baseUrl;
    QString m_randomGenerator = QStringLiteral("TlgOSSLRandomGenerator");
    QString m_base64Encoder = QStringLiteral("TlgFPCBase64Encoder");
    QString m_hashProvider = QStringLiteral("TlgOSSLSHA256Hash");
    QString m_aesProvider = QStringLiteral("TlgOSSLAES256Encrypt");
    QString m_rsaProvider = QStringLiteral("TlgOSSLRSAPublicKey");

    TKsefAuthResult m_auth;
    TKsefTokens m_tokens;
    std::vector<TPublicKey> m_publicKeys;

    QString m_onlineReference;
    TSymmetricKey m_onlineKey;
    QString m_batchReference;
    QHash<QString, TSymmetricKey> m_exportKeys;
};
