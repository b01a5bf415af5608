#include "ksef/KsefCrypto.h"

#include "ksef/KsefError.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <memory>

namespace KsefCrypto {

QString OpenSslErrors()
{
    QStringList parts;
    unsigned long e;
    while ((e = ERR_get_error()) != 0) {
        char buf[256];
        ERR_error_string_n(e, buf, sizeof buf);
        parts << QString::fromLatin1(buf);
    }
    return parts.join(QStringLiteral("; "));
}

QByteArray Sha256(const QByteArray& data)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_Digest(data.constData(), static_cast<size_t>(data.size()), md, &len, EVP_sha256(), nullptr) != 1)
        throw EKsefError(QStringLiteral("Nie udało się obliczyć skrótu SHA-256: ") + OpenSslErrors());
    return QByteArray(reinterpret_cast<const char*>(md), static_cast<qsizetype>(len));
}

QString Sha256Base64(const QByteArray& data)
{
    return QString::fromLatin1(Sha256(data).toBase64());
}

QString Base64Url(const QByteArray& data)
{
    return QString::fromLatin1(data.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString Base64ToBase64Url(const QString& base64)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(base64.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty()) return QString();
    return Base64Url(decoded.decoded);
}

QByteArray RandomBytes(int count)
{
    QByteArray out(count, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), count) != 1)
        throw EKsefError(QStringLiteral("Nie udało się wylosować klucza szyfrowania: ") + OpenSslErrors());
    return out;
}

namespace {

using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

QByteArray aes(const QByteArray& in, const QByteArray& key, const QByteArray& iv, bool encrypt)
{
    if (key.size() != 32 || iv.size() != 16)
        throw EKsefError(QStringLiteral("Nieprawidłowy klucz lub wektor AES-256"));
    CipherCtx ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    QByteArray out(in.size() + 32, Qt::Uninitialized);
    int len1 = 0, len2 = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* v = reinterpret_cast<const unsigned char*>(iv.constData());
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    bool ok = ctx && EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, k, v, encrypt ? 1 : 0) == 1;
    // EVP_CipherUpdate takes an int length: feed large inputs in slices.
    qsizetype done = 0;
    while (ok && done < in.size()) {
        const int slice = static_cast<int>(qMin<qsizetype>(in.size() - done, 1 << 26));
        int n = 0;
        ok = EVP_CipherUpdate(ctx.get(), o + len1, &n,
                              reinterpret_cast<const unsigned char*>(in.constData()) + done, slice) == 1;
        len1 += n;
        done += slice;
    }
    ok = ok && EVP_CipherFinal_ex(ctx.get(), o + len1, &len2) == 1;
    if (!ok) {
        const QString errors = OpenSslErrors();
        throw EKsefError(encrypt ? QStringLiteral("Szyfrowanie AES-256 nie powiodło się: ") + errors
                                 : QStringLiteral("Odszyfrowanie AES-256 nie powiodło się (zły klucz lub "
                                                  "uszkodzone dane): ") +
                                       errors);
    }
    out.resize(len1 + len2);
    return out;
}

} // namespace

QByteArray Aes256CbcEncrypt(const QByteArray& plain, const QByteArray& key, const QByteArray& iv)
{
    return aes(plain, key, iv, true);
}

QByteArray Aes256CbcDecrypt(const QByteArray& cipher, const QByteArray& key, const QByteArray& iv)
{
    return aes(cipher, key, iv, false);
}

QByteArray RsaOaepSha256Encrypt(const QByteArray& certificateDer, const QByteArray& data)
{
    const auto* p = reinterpret_cast<const unsigned char*>(certificateDer.constData());
    std::unique_ptr<X509, decltype(&X509_free)> cert(d2i_X509(nullptr, &p, certificateDer.size()), X509_free);
    if (!cert)
        throw EKsefError(QStringLiteral("Nieczytelny certyfikat klucza publicznego KSeF: ") +
                         OpenSslErrors());
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(X509_get_pubkey(cert.get()), EVP_PKEY_free);
    if (!key || EVP_PKEY_base_id(key.get()) != EVP_PKEY_RSA)
        throw EKsefError(QStringLiteral("Certyfikat klucza publicznego KSeF nie zawiera klucza RSA"));
    std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(EVP_PKEY_CTX_new(key.get(), nullptr),
                                                                    EVP_PKEY_CTX_free);
    size_t outLen = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(data.constData());
    bool ok = ctx && EVP_PKEY_encrypt_init(ctx.get()) == 1 &&
              EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_OAEP_PADDING) == 1 &&
              EVP_PKEY_CTX_set_rsa_oaep_md(ctx.get(), EVP_sha256()) == 1 &&
              EVP_PKEY_CTX_set_rsa_mgf1_md(ctx.get(), EVP_sha256()) == 1 &&
              EVP_PKEY_encrypt(ctx.get(), nullptr, &outLen, in, static_cast<size_t>(data.size())) == 1;
    QByteArray out(static_cast<qsizetype>(outLen), Qt::Uninitialized);
    ok = ok && EVP_PKEY_encrypt(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &outLen, in,
                                static_cast<size_t>(data.size())) == 1;
    if (!ok)
        throw EKsefError(QStringLiteral("Szyfrowanie klucza RSA-OAEP nie powiodło się: ") + OpenSslErrors());
    out.resize(static_cast<qsizetype>(outLen));
    return out;
}

TSha256::TSha256() : m_ctx(EVP_MD_CTX_new())
{
    if (!m_ctx || EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(m_ctx), EVP_sha256(), nullptr) != 1)
        throw EKsefError(QStringLiteral("Nie udało się obliczyć skrótu SHA-256: ") + OpenSslErrors());
}

TSha256::~TSha256()
{
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(m_ctx));
}

void TSha256::Add(const QByteArray& data)
{
    EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(m_ctx), data.constData(), static_cast<size_t>(data.size()));
}

QByteArray TSha256::Result()
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(m_ctx), md, &len);
    EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(m_ctx), EVP_sha256(), nullptr);
    return QByteArray(reinterpret_cast<const char*>(md), static_cast<qsizetype>(len));
}

} // namespace KsefCrypto
