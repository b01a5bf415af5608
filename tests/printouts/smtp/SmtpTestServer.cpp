#include "tests/printouts/smtp/SmtpTestServer.h"

#include "tests/support/TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

const QString TSmtpTestServer::User = QStringLiteral("biuro");
const QString TSmtpTestServer::Password = QStringLiteral("tajne");

TSmtpTestServer::TSmtpTestServer(const QStringList& extraArgs)
{
    QStringList args{QStringLiteral(ORLIX_SOURCE_DIR "/tests/printouts/smtp/smtp_server.py"),
                     QStringLiteral("--dir"),
                     m_dir.path() + QStringLiteral("/mail"),
                     QStringLiteral("--user"),
                     User,
                     QStringLiteral("--password"),
                     Password};
    QStringList options = extraArgs;
    const bool plain = options.removeAll(QStringLiteral("--plain")) > 0;
    if (!plain) {
        // One certificate for every server of the test run: making keys is slow.
        static QTemporaryDir certificates;
        static const bool made = certificates.isValid() && MakeServerCertificate(certificates.path());
        if (!made) {
            m_error = QStringLiteral("openssl could not make a certificate");
            return;
        }
        m_certificate = certificates.filePath(QStringLiteral("cert.pem"));
        args << QStringLiteral("--cert") << m_certificate << QStringLiteral("--key")
             << certificates.filePath(QStringLiteral("key.pem"));
        if (!options.contains(QStringLiteral("--implicit-tls")) &&
            !options.contains(QStringLiteral("--starttls")))
            args << QStringLiteral("--starttls");
    }
    args << options;
    // Debian's interpreter: aiosmtpd comes from the distribution's package.
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("python3 did not start");
        return;
    }
    QByteArray out;
    while (!out.contains('\n') && m_process.waitForReadyRead(15000))
        out += m_process.readAllStandardOutput();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("PORT (\\d+)")).match(QString::fromUtf8(out));
    if (m.hasMatch())
        m_port = m.captured(1).toInt();
    else
        m_error = QStringLiteral("no port: ") + QString::fromUtf8(out + m_process.readAllStandardError());
}

TSmtpTestServer::~TSmtpTestServer()
{
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.closeWriteChannel(); // the script ends when its input closes
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QList<QJsonObject> TSmtpTestServer::Messages() const
{
    QList<QJsonObject> messages;
    const QDir dir(m_dir.path() + QStringLiteral("/mail"));
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) messages << QJsonDocument::fromJson(f.readAll()).object();
    }
    return messages;
}

namespace {

QStringList lines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

QStringList TSmtpTestServer::AuthLog() const
{
    return lines(m_dir.path() + QStringLiteral("/mail/auth.log"));
}

QStringList TSmtpTestServer::Commands() const
{
    return lines(m_dir.path() + QStringLiteral("/mail/commands.log"));
}

QString TSmtpTestServer::CertificatePath() const
{
    return m_certificate;
}

QString TSmtpTestServer::CertificateFingerprint() const
{
    return m_certificate.isEmpty() ? QString() : ::CertificateFingerprint(m_certificate);
}
