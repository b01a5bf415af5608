#include "ksef/KsefXades.h"

#include "ksef/KsefCertificate.h"
#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"

#include <QUuid>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <xmlsec/crypto.h>
#include <xmlsec/errors.h>
#include <xmlsec/openssl/evp.h>
#include <xmlsec/templates.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>

#include <openssl/evp.h>

#include <mutex>

namespace {

thread_local QString g_lastXmlsecError;

void xmlsecErrorCallback(const char* file, int line, const char* func, const char* errorObject,
                         const char* errorSubject, int reason, const char* msg)
{
    Q_UNUSED(file);
    Q_UNUSED(line);
    Q_UNUSED(func);
    Q_UNUSED(errorObject);
    Q_UNUSED(reason);
    g_lastXmlsecError = QStringLiteral("%1: %2").arg(QString::fromUtf8(errorSubject ? errorSubject : ""),
                                                     QString::fromUtf8(msg ? msg : ""));
}

void ensureXmlsec()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        xmlInitParser();
        ok = xmlSecInit() >= 0 && xmlSecCheckVersion() == 1 && xmlSecCryptoAppInit(nullptr) >= 0 &&
             xmlSecCryptoInit() >= 0;
        xmlSecErrorsSetCallback(xmlsecErrorCallback);
    });
    if (!ok) throw EKsefError(QStringLiteral("Nie udało się uruchomić biblioteki podpisu XML (xmlsec)"));
}

struct DocGuard
{
    xmlDocPtr doc;
    ~DocGuard() { xmlFreeDoc(doc); }
};

struct KeyGuard
{
    xmlSecKeyPtr key;
    ~KeyGuard()
    {
        if (key) xmlSecKeyDestroy(key);
    }
};

struct CtxGuard
{
    xmlSecDSigCtxPtr ctx;
    ~CtxGuard()
    {
        if (ctx) xmlSecDSigCtxDestroy(ctx);
    }
};

const xmlChar* X(const char* s)
{
    return reinterpret_cast<const xmlChar*>(s);
}

[[noreturn]] void fail(const QString& what)
{
    QString text = QStringLiteral("Podpis XAdES nie powiódł się: ") + what;
    if (!g_lastXmlsecError.isEmpty()) text += QStringLiteral(" (") + g_lastXmlsecError + QStringLiteral(")");
    throw EKsefError(text);
}

constexpr const char* kXadesNs = "http://uri.etsi.org/01903/v1.3.2#";

} // namespace

TKsefXades::TKsefXades()
{
    ensureXmlsec();
}

QByteArray TKsefXades::SignEnveloped(const QByteArray& xml, const TKsefCertificate& certificate,
                                     const QDateTime& signingTime) const
{
    ensureXmlsec();
    g_lastXmlsecError.clear();
    DocGuard d{xmlReadMemory(xml.constData(), static_cast<int>(xml.size()), "document.xml", "UTF-8",
                             XML_PARSE_NONET)};
    if (!d.doc || !xmlDocGetRootElement(d.doc))
        fail(QStringLiteral("dokument do podpisu nie jest poprawnym XML"));
    xmlNodePtr root = xmlDocGetRootElement(d.doc);

    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QByteArray signatureId = ("Signature-" + uid).toUtf8();
    const QByteArray propertiesId = ("SignedProperties-" + uid).toUtf8();

    const bool ec = certificate.IsEc();
    xmlNodePtr signNode = xmlSecTmplSignatureCreateNsPref(
        d.doc, xmlSecTransformExclC14NId, ec ? xmlSecTransformEcdsaSha256Id : xmlSecTransformRsaSha256Id,
        X(signatureId.constData()), X("ds"));
    if (!signNode) fail(QStringLiteral("szablon podpisu"));
    xmlAddChild(root, signNode);

    xmlNodePtr docRef =
        xmlSecTmplSignatureAddReference(signNode, xmlSecTransformSha256Id, nullptr, X(""), nullptr);
    if (!docRef || !xmlSecTmplReferenceAddTransform(docRef, xmlSecTransformEnvelopedId) ||
        !xmlSecTmplReferenceAddTransform(docRef, xmlSecTransformExclC14NId))
        fail(QStringLiteral("referencja dokumentu"));
    const QByteArray propertiesUri = "#" + propertiesId;
    xmlNodePtr propRef = xmlSecTmplSignatureAddReference(signNode, xmlSecTransformSha256Id, nullptr,
                                                         X(propertiesUri.constData()),
                                                         X("http://uri.etsi.org/01903#SignedProperties"));
    if (!propRef || !xmlSecTmplReferenceAddTransform(propRef, xmlSecTransformExclC14NId))
        fail(QStringLiteral("referencja właściwości podpisu"));
    xmlNodePtr keyInfo = xmlSecTmplSignatureEnsureKeyInfo(signNode, nullptr);
    xmlNodePtr x509Data = keyInfo ? xmlSecTmplKeyInfoAddX509Data(keyInfo) : nullptr;
    if (!x509Data || !xmlSecTmplX509DataAddCertificate(x509Data))
        fail(QStringLiteral("informacja o certyfikacie"));

    // XAdES qualifying properties: what binds the signature to this very certificate.
    xmlNodePtr object = xmlSecTmplSignatureAddObject(signNode, nullptr, nullptr, nullptr);
    if (!object) fail(QStringLiteral("obiekt właściwości podpisu"));
    xmlNodePtr qp = xmlNewChild(object, nullptr, X("QualifyingProperties"), nullptr);
    xmlNsPtr xades = xmlNewNs(qp, X(kXadesNs), X("xades"));
    xmlSetNs(qp, xades);
    xmlNewProp(qp, X("Target"), X(("#" + signatureId).constData()));
    xmlNodePtr sp = xmlNewChild(qp, xades, X("SignedProperties"), nullptr);
    xmlNewProp(sp, X("Id"), X(propertiesId.constData()));
    xmlNodePtr ssp = xmlNewChild(sp, xades, X("SignedSignatureProperties"), nullptr);
    const QDateTime when = (signingTime.isValid() ? signingTime : QDateTime::currentDateTimeUtc()).toUTC();
    xmlNewTextChild(ssp, xades, X("SigningTime"), X(when.toString(Qt::ISODate).toUtf8().constData()));
    xmlNodePtr cert =
        xmlNewChild(xmlNewChild(ssp, xades, X("SigningCertificate"), nullptr), xades, X("Cert"), nullptr);
    xmlNodePtr digest = xmlNewChild(cert, xades, X("CertDigest"), nullptr);
    xmlNsPtr ds = signNode->ns;
    xmlNewProp(xmlNewChild(digest, ds, X("DigestMethod"), nullptr), X("Algorithm"),
               X("http://www.w3.org/2001/04/xmlenc#sha256"));
    xmlNewTextChild(digest, ds, X("DigestValue"),
                    X(KsefCrypto::Sha256(certificate.Der()).toBase64().constData()));
    xmlNodePtr issuerSerial = xmlNewChild(cert, xades, X("IssuerSerial"), nullptr);
    xmlNewTextChild(issuerSerial, ds, X("X509IssuerName"), X(certificate.IssuerName().toUtf8().constData()));
    xmlNewTextChild(issuerSerial, ds, X("X509SerialNumber"),
                    X(certificate.SerialDecimal().toLatin1().constData()));

    const xmlChar* ids[] = {X("Id"), nullptr};
    xmlSecAddIDs(d.doc, root, ids);

    KeyGuard k{xmlSecKeyCreate()};
    EVP_PKEY_up_ref(certificate.PrivateKey());
    xmlSecKeyDataPtr keyData = xmlSecOpenSSLEvpKeyAdopt(certificate.PrivateKey());
    if (!k.key || !keyData || xmlSecKeySetValue(k.key, keyData) < 0) {
        if (keyData) xmlSecKeyDataDestroy(keyData);
        fail(QStringLiteral("klucz prywatny"));
    }
    const QByteArray der = certificate.Der();
    if (xmlSecOpenSSLAppKeyCertLoadMemory(k.key, reinterpret_cast<const xmlSecByte*>(der.constData()),
                                          static_cast<xmlSecSize>(der.size()), xmlSecKeyDataFormatDer) < 0)
        fail(QStringLiteral("certyfikat"));

    CtxGuard c{xmlSecDSigCtxCreate(nullptr)};
    if (!c.ctx) fail(QStringLiteral("kontekst podpisu"));
    c.ctx->signKey = k.key;
    k.key = nullptr; // the context owns it now
    if (xmlSecDSigCtxSign(c.ctx, signNode) < 0) fail(QStringLiteral("obliczenie podpisu"));

    xmlChar* out = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(d.doc, &out, &size, "UTF-8");
    QByteArray result(reinterpret_cast<const char*>(out), size);
    xmlFree(out);
    return result;
}
