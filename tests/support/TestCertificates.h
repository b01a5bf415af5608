#pragma once
// Certificates for the loopback servers of the tests (mail, database), made
// with the openssl tool.
#include <QString>

// A test CA (ca.pem, ca-key.pem) and a server certificate it issued for
// localhost and 127.0.0.1 (cert.pem, key.pem) in folder; true when made.
bool MakeServerCertificate(const QString& folder);
// "AB:CD:..": the SHA-256 fingerprint of a PEM certificate file; empty on failure.
QString CertificateFingerprint(const QString& certificate);
