#pragma once
// XAdES-BES signature (enveloped, with signed properties) of the documents the KSeF
// client signs: the AuthTokenRequest of authentication. libxml2 + xmlsec1 (OpenSSL).
#include <QByteArray>
#include <QDateTime>

class TKsefCertificate;

class TKsefXades
{
public:
    TKsefXades();

    // Returns Xml with a ds:Signature appended to its root element: a reference to the
    // whole document (enveloped + exclusive C14N), a reference to the XAdES
    // SignedProperties (signing time, digest and issuer/serial of the certificate) and
    // the certificate in KeyInfo. RSA keys sign rsa-sha256, EC keys ecdsa-sha256.
    QByteArray SignEnveloped(const QByteArray& xml, const TKsefCertificate& certificate,
                             const QDateTime& signingTime = QDateTime()) const;
};
