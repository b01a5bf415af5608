#include "tests/support/TestCertificates.h"

#include <QFile>
#include <QProcess>

namespace {

bool runOpenssl(const QStringList& args, QByteArray* out = nullptr)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), args);
    const bool ok = openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit &&
                    openssl.exitCode() == 0;
    if (out) *out = openssl.readAllStandardOutput();
    return ok;
}

} // namespace

bool MakeServerCertificate(const QString& folder)
{
    const QString ca = folder + QStringLiteral("/ca.pem");
    const QString caKey = folder + QStringLiteral("/ca-key.pem");
    const QString csr = folder + QStringLiteral("/server.csr");
    const QString ext = folder + QStringLiteral("/server.ext");
    QFile extFile(ext);
    if (!extFile.open(QIODevice::WriteOnly)) return false;
    extFile.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n");
    extFile.close();
    const QString ec = QStringLiteral("ec");
    const QString curve = QStringLiteral("-pkeyopt");
    return runOpenssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), ec, curve,
                       QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                       QStringLiteral("-keyout"), caKey, QStringLiteral("-out"), ca, QStringLiteral("-days"),
                       QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=Orlix test CA")}) &&
           runOpenssl({QStringLiteral("req"), QStringLiteral("-newkey"), ec, curve,
                       QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                       QStringLiteral("-keyout"), folder + QStringLiteral("/key.pem"), QStringLiteral("-out"),
                       csr, QStringLiteral("-subj"), QStringLiteral("/CN=localhost")}) &&
           runOpenssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), csr,
                       QStringLiteral("-CA"), ca, QStringLiteral("-CAkey"), caKey,
                       QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                       folder + QStringLiteral("/cert.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                       QStringLiteral("-extfile"), ext});
}

QString CertificateFingerprint(const QString& certificate)
{
    QByteArray out;
    if (!runOpenssl({QStringLiteral("x509"), QStringLiteral("-in"), certificate, QStringLiteral("-noout"),
                     QStringLiteral("-fingerprint"), QStringLiteral("-sha256")},
                    &out))
        return {};
    return QString::fromLatin1(out).section(QLatin1Char('='), 1).trimmed();
}
