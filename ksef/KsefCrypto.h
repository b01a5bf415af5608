#pragma once
// Hashes, random keys, AES-256-CBC and RSA-OAEP of the KSeF client (OpenSSL).
#include <QByteArray>
#include <QString>

namespace KsefCrypto {

QByteArray Sha256(const QByteArray& data);
// SHA-256 in standard Base64: the 44-character form KSeF uses for every hash.
QString Sha256Base64(const QByteArray& data);
// URL-safe Base64 without padding, the form the verification links carry.
QString Base64Url(const QByteArray& data);
// Standard Base64 to URL-safe Base64 without padding; empty for text that is not Base64.
QString Base64ToBase64Url(const QString& base64);

QByteArray RandomBytes(int count);

// AES-256-CBC with PKCS#7 padding; the IV travels separately, never inside the output.
QByteArray Aes256CbcEncrypt(const QByteArray& plain, const QByteArray& key, const QByteArray& iv);
QByteArray Aes256CbcDecrypt(const QByteArray& cipher, const QByteArray& key, const QByteArray& iv);

// RSAES-OAEP with SHA-256 and MGF1-SHA-256 under the public key of a DER certificate.
QByteArray RsaOaepSha256Encrypt(const QByteArray& certificateDer, const QByteArray& data);

// Incremental SHA-256 for files read in pieces.
class TSha256
{
public:
    TSha256();
    ~TSha256();
    TSha256(const TSha256&) = delete;
    TSha256& operator=(const TSha256&) = delete;
    void Add(const QByteArray& data);
    QByteArray Result();

private:
    void* m_ctx;
};

// The text of OpenSSL's error queue (emptied on the way), for error messages.
QString OpenSslErrors();

} // namespace KsefCrypto
