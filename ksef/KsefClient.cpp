#include "ksef/KsefClient.h"

#include "ksef/KsefCertificate.h"
#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"
#include "ksef/KsefGateway.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefXades.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

#include <libxml/tree.h>

TKsefClient::TKsefClient() = default;
TKsefClient::~TKsefClient() = default;

// ---------------------------------------------------------------- settings

void TKsefClient::SetBaseUrl(const QString& url)
{
    m_baseUrl = url.trimmed();
    while (m_baseUrl.endsWith(QLatin1Char('/')))
        m_baseUrl.chop(1);
}

QString TKsefClient::BaseUrl() const
{
    return m_baseUrl.isEmpty() ? KsefApiBaseUrl(KsefGatewayFromInt(m_gateway)) : m_baseUrl;
}

void TKsefClient::checkProvider(const QString& name, const char* expected, const char* what)
{
    if (name != QLatin1String(expected))
        throw EKsefError(QStringLiteral("Nieznany dostawca (%1): %2").arg(QString::fromUtf8(what), name));
}

void TKsefClient::SetRandomGenerator(const QString& name)
{
    checkProvider(name, "TlgOSSLRandomGenerator", "generator losowy");
    m_randomGenerator = name;
}

void TKsefClient::SetBase64Encoder(const QString& name)
{
    checkProvider(name, "TlgFPCBase64Encoder", "Base64");
    m_base64Encoder = name;
}

void TKsefClient::SetHashProvider(const QString& name)
{
    checkProvider(name, "TlgOSSLSHA256Hash", "SHA-256");
    m_hashProvider = name;
}

void TKsefClient::SetAesProvider(const QString& name)
{
    checkProvider(name, "TlgOSSLAES256Encrypt", "AES-256");
    m_aesProvider = name;
}

void TKsefClient::SetRsaPublicKeyProvider(const QString& name)
{
    checkProvider(name, "TlgOSSLRSAPublicKey", "klucz publiczny RSA");
    m_rsaProvider = name;
}

// ---------------------------------------------------------------- HTTP

TKsefHttpClient& TKsefClient::http()
{
    if (!m_http) m_http = std::make_shared<TKsefHttpClient>();
    return *m_http;
}

QString TKsefClient::url(const QString& path) const
{
    return BaseUrl() + path;
}

QString TKsefClient::bearerFor(TAuth auth, const QString& explicitToken)
{
    if (!explicitToken.isEmpty()) return explicitToken;
    switch (auth) {
    case TAuth::None:
        return QString();
    case TAuth::AuthenticationToken:
        if (m_auth.AuthenticationToken.IsEmpty())
            throw EKsefError(QStringLiteral("Nie rozpoczęto uwierzytelnienia w KSeF"));
        return m_auth.AuthenticationToken.Token;
    case TAuth::RefreshToken:
        if (m_tokens.RefreshToken.IsEmpty())
            throw EKsefError(
                QStringLiteral("Brak aktywnego uwierzytelnienia w KSeF (brak tokenu odświeżania)"));
        return m_tokens.RefreshToken.Token;
    case TAuth::AccessToken:
        break;
    }
    return CurrentTokens().AccessToken.Token;
}

TKsefHttpResponse TKsefClient::call(const QString& operation, const QByteArray& method, const QString& path,
                                    const QByteArray& body, TAuth auth, std::initializer_list<int> okStatuses,
                                    const QList<QPair<QByteArray, QByteArray>>& extraHeaders,
                                    const QByteArray& contentType, const QString& bearer)
{
    QString token = bearerFor(auth, bearer);
    for (int attempt = 0;; ++attempt) {
        TKsefHttpHeaders headers;
        const bool ownAccept = std::any_of(extraHeaders.begin(), extraHeaders.end(),
                                           [](const auto& h) { return h.first.toLower() == "accept"; });
        if (!ownAccept)
            headers << qMakePair(QByteArrayLiteral("Accept"), QByteArrayLiteral("application/json"));
        headers << qMakePair(QByteArrayLiteral("X-Error-Format"), QByteArrayLiteral("problem-details"));
        if (!body.isEmpty() || method == "POST" || method == "PUT")
            headers << qMakePair(QByteArrayLiteral("Content-Type"), contentType);
        if (!token.isEmpty())
            headers << qMakePair(QByteArrayLiteral("Authorization"), "Bearer " + token.toUtf8());
        headers << extraHeaders;
        const TKsefHttpResponse r = http().Send(operation, method, url(path), headers, body);
        if (std::find(okStatuses.begin(), okStatuses.end(), r.Status) != okStatuses.end()) return r;
        // An access token that ran out between our check and the call: refresh once.
        if (r.Status == 401 && auth == TAuth::AccessToken && bearer.isEmpty() && attempt == 0 &&
            m_tokens.RefreshToken.IsValid()) {
            token = RefreshAccessToken().AccessToken.Token;
            continue;
        }
        EKsefError e = KsefErrorFromResponse(operation, r.Status, r.Body);
        if (r.Status == 429) {
            const int after = KsefRetryAfterSeconds(r.Header("retry-after"));
            QString text = e.Message() + QStringLiteral(" (przekroczony limit zapytań KSeF");
            if (after >= 0) text += QStringLiteral(", ponów za %1 s").arg(after);
            throw EKsefError(text + QLatin1Char(')'), e.HttpStatus(), e.ServiceCode(), e.RawResponse());
        }
        throw e;
    }
}

QJsonObject TKsefClient::callJson(const QString& operation, const QByteArray& method, const QString& path,
                                  const QJsonObject& body, TAuth auth, std::initializer_list<int> okStatuses,
                                  QByteArray* raw, const QList<QPair<QByteArray, QByteArray>>& extraHeaders)
{
    const QByteArray payload =
        body.isEmpty() ? QByteArray() : QJsonDocument(body).toJson(QJsonDocument::Compact);
    const TKsefHttpResponse r = call(operation, method, path, payload, auth, okStatuses, extraHeaders);
    if (raw) *raw = r.Body;
    if (r.Body.trimmed().isEmpty()) return QJsonObject();
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(r.Body, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject())
        throw EKsefError(
            QStringLiteral("%1: nieczytelna odpowiedź KSeF (%2)").arg(operation, pe.errorString()), r.Status,
            0, r.Body);
    return doc.object();
}

// ---------------------------------------------------------------- public keys

const TKsefClient::TPublicKey& TKsefClient::symmetricKeyCertificate(bool refresh)
{
    if (refresh || m_publicKeys.empty()) {
        m_publicKeys.clear();
        const TKsefHttpResponse r =
            call(QStringLiteral("Pobranie kluczy publicznych KSeF"), "GET",
                 QStringLiteral("/security/public-key-certificates"), QByteArray(), TAuth::None, {200});
        const QJsonDocument doc = QJsonDocument::fromJson(r.Body);
        for (const QJsonValue& v : doc.array()) {
            const QJsonObject o = v.toObject();
            TPublicKey k;
            k.CertificateDer =
                QByteArray::fromBase64(o.value(QStringLiteral("certificate")).toString().toLatin1());
            k.PublicKeyId = o.value(QStringLiteral("publicKeyId")).toString();
            k.ValidFrom = KsefParseDateTime(o.value(QStringLiteral("validFrom")).toString());
            k.ValidTo = KsefParseDateTime(o.value(QStringLiteral("validTo")).toString());
            for (const QJsonValue& u : o.value(QStringLiteral("usage")).toArray())
                k.Usage << u.toString();
            m_publicKeys.push_back(k);
        }
    }
    // Valid now and meant for symmetric keys; of several, the latest.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const TPublicKey* best = nullptr;
    for (const TPublicKey& k : m_publicKeys) {
        if (!k.Usage.contains(QStringLiteral("SymmetricKeyEncryption")) || k.CertificateDer.isEmpty())
            continue;
        if ((k.ValidFrom.isValid() && now < k.ValidFrom) || (k.ValidTo.isValid() && now > k.ValidTo))
            continue;
        if (!best || k.ValidFrom > best->ValidFrom) best = &k;
    }
    if (!best)
        throw EKsefError(QStringLiteral("KSeF nie udostępnia ważnego klucza publicznego do szyfrowania"));
    return *best;
}

QJsonObject TKsefClient::encryptionInfo(const TSymmetricKey& key, bool refreshKeys)
{
    const TPublicKey& pk = symmetricKeyCertificate(refreshKeys);
    QJsonObject o;
    o.insert(QStringLiteral("encryptedSymmetricKey"),
             QString::fromLatin1(KsefCrypto::RsaOaepSha256Encrypt(pk.CertificateDer, key.Key).toBase64()));
    o.insert(QStringLiteral("initializationVector"), QString::fromLatin1(key.Iv.toBase64()));
    if (!pk.PublicKeyId.isEmpty()) o.insert(QStringLiteral("publicKeyId"), pk.PublicKeyId);
    return o;
}

QJsonObject TKsefClient::withEncryption(const TSymmetricKey& key,
                                        const std::function<QJsonObject(const QJsonObject&)>& callWith)
{
    try {
        return callWith(encryptionInfo(key, false));
    } catch (const EKsefError& e) {
        if (e.ServiceCode() != 21470) throw;
    }
    return callWith(encryptionInfo(key, true));
}

// ---------------------------------------------------------------- authentication

TKsefChallenge TKsefClient::Challenge()
{
    const QJsonObject o = callJson(QStringLiteral("Pobranie wyzwania autoryzacyjnego"), "POST",
                                   QStringLiteral("/auth/challenge"), QJsonObject(), TAuth::None, {200, 201});
    TKsefChallenge c;
    c.Challenge = o.value(QStringLiteral("challenge")).toString();
    c.Timestamp = KsefParseDateTime(o.value(QStringLiteral("timestamp")).toString());
    c.TimestampMs = o.value(QStringLiteral("timestampMs")).toInteger();
    if (c.Challenge.isEmpty())
        throw EKsefError(QStringLiteral("KSeF nie przekazał wyzwania autoryzacyjnego"));
    return c;
}

QByteArray TKsefClient::AuthTokenRequestXml(const QString& challenge) const
{
    static const QRegularExpression nip(QStringLiteral("^\\d{10}$"));
    if (!nip.match(m_nip).hasMatch())
        throw EKsefError(
            QStringLiteral("Nieprawidłowy NIP kontekstu uwierzytelnienia KSeF: \"%1\"").arg(m_nip));
    const char* ns = m_authTokenSchema == 1 ? "http://ksef.mf.gov.pl/auth/token/2.0"
                                            : "http://ksef.mf.gov.pl/auth/token/2.1";
    // Built as a tree so that the texts are escaped whatever they hold.
    xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    xmlNodePtr root =
        xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("AuthTokenRequest"), nullptr);
    xmlDocSetRootElement(doc, root);
    xmlNsPtr n = xmlNewNs(root, reinterpret_cast<const xmlChar*>(ns), nullptr);
    xmlSetNs(root, n);
    auto add = [&](xmlNodePtr parent, const char* name, const QString& value) {
        return xmlNewTextChild(parent, n, reinterpret_cast<const xmlChar*>(name),
                               value.isNull() ? nullptr
                                              : reinterpret_cast<const xmlChar*>(value.toUtf8().constData()));
    };
    add(root, "Challenge", challenge);
    xmlNodePtr ctx = add(root, "ContextIdentifier", QString());
    add(ctx, "Nip", m_nip);
    add(root, "SubjectIdentifierType",
        m_subjectIdentifierType == 1 ? QStringLiteral("certificateFingerprint")
                                     : QStringLiteral("certificateSubject"));
    xmlChar* buf = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &buf, &size, "UTF-8");
    QByteArray out(reinterpret_cast<const char*>(buf), size);
    xmlFree(buf);
    xmlFreeDoc(doc);
    return out;
}

TKsefAuthResult TKsefClient::SubmitAuthTokenRequest(const QByteArray& signedXml)
{
    QString path = QStringLiteral("/auth/xades-signature");
    if (m_verifyCertificateChain >= 0)
        path += m_verifyCertificateChain ? QStringLiteral("?verifyCertificateChain=true")
                                         : QStringLiteral("?verifyCertificateChain=false");
    const TKsefHttpResponse r =
        call(QStringLiteral("Uwierzytelnienie podpisem XAdES"), "POST", path, signedXml, TAuth::None,
             {200, 201, 202}, {}, QByteArrayLiteral("application/xml"));
    const QJsonObject o = QJsonDocument::fromJson(r.Body).object();
    TKsefAuthResult result;
    result.ReferenceNumber = o.value(QStringLiteral("referenceNumber")).toString();
    result.AuthenticationToken = KsefParseToken(o.value(QStringLiteral("authenticationToken")).toObject());
    result.RawResponse = r.Body;
    if (result.ReferenceNumber.isEmpty() || result.AuthenticationToken.IsEmpty())
        throw EKsefError(QStringLiteral("Uwierzytelnienie podpisem XAdES: KSeF nie przekazał numeru operacji "
                                        "ani tokenu uwierzytelniającego"),
                         r.Status, 0, r.Body);
    m_auth = result;
    m_tokens = TKsefTokens();
    return result;
}

TKsefAuthResult TKsefClient::Authenticate()
{
    if (!m_certificate)
        throw EKsefError(QStringLiteral("Nie wczytano certyfikatu do uwierzytelnienia w KSeF"));
    if (!m_xades) m_xades = std::make_shared<TKsefXades>();
    m_auth = TKsefAuthResult();
    m_tokens = TKsefTokens();
    const TKsefChallenge challenge = Challenge();
    const QByteArray request = AuthTokenRequestXml(challenge.Challenge);
    // A minute back, as the ministry's own client does: a workstation clock a
    // little ahead of KSeF's must not date the signature in KSeF's future.
    return SubmitAuthTokenRequest(
        m_xades->SignEnveloped(request, *m_certificate, QDateTime::currentDateTimeUtc().addSecs(-60)));
}

TKsefAuthStatus TKsefClient::AuthenticationStatus(const QString& referenceNumber,
                                                  const QString& authenticationToken)
{
    const QString ref = referenceNumber.isEmpty() ? m_auth.ReferenceNumber : referenceNumber;
    if (ref.isEmpty()) throw EKsefError(QStringLiteral("Nie rozpoczęto uwierzytelnienia w KSeF"));
    QByteArray raw;
    const QString token = authenticationToken.isEmpty() ? bearerFor(TAuth::AuthenticationToken, QString())
                                                        : authenticationToken;
    const TKsefHttpResponse r =
        call(QStringLiteral("Status uwierzytelnienia"), "GET",
             QStringLiteral("/auth/") + QString::fromLatin1(QUrl::toPercentEncoding(ref)), QByteArray(),
             TAuth::AuthenticationToken, {200}, {}, QByteArrayLiteral("application/json"), token);
    const QJsonObject o = QJsonDocument::fromJson(r.Body).object();
    TKsefAuthStatus s;
    s.Status = KsefParseStatus(o.value(QStringLiteral("status")).toObject());
    s.StartDate = KsefParseDateTime(o.value(QStringLiteral("startDate")).toString());
    s.AuthenticationMethod = o.value(QStringLiteral("authenticationMethod")).toString();
    s.RawResponse = r.Body;
    return s;
}

TKsefTokens TKsefClient::RedeemTokens(const QString& authenticationToken)
{
    const QString token = bearerFor(TAuth::AuthenticationToken, authenticationToken);
    const TKsefHttpResponse r = call(
        QStringLiteral("Pobranie tokenów dostępowych"), "POST", QStringLiteral("/auth/token/redeem"),
        QByteArray(), TAuth::AuthenticationToken, {200}, {}, QByteArrayLiteral("application/json"), token);
    const QJsonObject o = QJsonDocument::fromJson(r.Body).object();
    TKsefTokens t;
    t.AccessToken = KsefParseToken(o.value(QStringLiteral("accessToken")).toObject());
    t.RefreshToken = KsefParseToken(o.value(QStringLiteral("refreshToken")).toObject());
    if (t.AccessToken.IsEmpty())
        throw EKsefError(
            QStringLiteral("Pobranie tokenów dostępowych: KSeF nie przekazał tokenu dostępowego"), r.Status,
            0, r.Body);
    m_tokens = t;
    return t;
}

TKsefTokens TKsefClient::RefreshAccessToken()
{
    const QJsonObject o =
        callJson(QStringLiteral("Odświeżenie tokenu dostępowego"), "POST",
                 QStringLiteral("/auth/token/refresh"), QJsonObject(), TAuth::RefreshToken, {200});
    const TKsefToken access = KsefParseToken(o.value(QStringLiteral("accessToken")).toObject());
    if (access.IsEmpty())
        throw EKsefError(QStringLiteral("Odświeżenie tokenu dostępowego: KSeF nie przekazał tokenu"));
    m_tokens.AccessToken = access;
    return m_tokens;
}

TKsefTokens TKsefClient::CurrentTokens()
{
    if (m_tokens.AccessToken.IsEmpty())
        throw EKsefError(QStringLiteral("Brak aktywnego uwierzytelnienia w KSeF"));
    if (!m_tokens.AccessToken.IsValid(60)) {
        if (!m_tokens.RefreshToken.IsValid())
            throw EKsefError(
                QStringLiteral("Uwierzytelnienie w KSeF wygasło; należy uwierzytelnić się ponownie"));
        RefreshAccessToken();
    }
    return m_tokens;
}

void TKsefClient::EndAuthentication()
{
    if (m_tokens.AccessToken.IsEmpty()) {
        m_auth = TKsefAuthResult();
        throw EKsefError(QStringLiteral("Brak aktywnego uwierzytelnienia w KSeF"));
    }
    const QString token = m_tokens.AccessToken.Token;
    m_auth = TKsefAuthResult();
    m_tokens = TKsefTokens();
    m_onlineReference.clear();
    m_onlineKey = TSymmetricKey();
    call(QStringLiteral("Zakończenie uwierzytelnienia"), "DELETE", QStringLiteral("/auth/sessions/current"),
         QByteArray(), TAuth::AccessToken, {200, 204}, {}, QByteArrayLiteral("application/json"), token);
}
