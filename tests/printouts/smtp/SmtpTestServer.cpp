#include "tests/printouts/smtp/SmtpTestServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

const QString TSmtpTestServer::User = QStringLiteral("biuro");
const QString TSmtpTestServer::Password = QStringLiteral("tajne");

bool MakeSelfSignedCertificate(const QString& folder)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                   folder + QStringLiteral("/key.pem"), QStringLiteral("-out"),
                   folder + QStringLiteral("/cert.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                   QStringLiteral("-subj"), QStringLiteral("/CN=localhost")});
    return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}

TSmtpTestServer::TSmtpTestServer(const QStringList& extraArgs)
{
    QStringList args{QStringLiteral(ORLIX_SOURCE_DIR "/tests/printouts/smtp/smtp_server.py"),
                     QStringLiteral("--dir"),
                     m_dir.path() + QStringLiteral("/mail"),
                     QStringLiteral("--user"),
                     User,
                     QStringLiteral("--password"),
                     Password};
    if (extraArgs.contains(QStringLiteral("--starttls")) ||
        extraArgs.contains(QStringLiteral("--implicit-tls"))) {
        if (!MakeSelfSignedCertificate(m_dir.path())) {
            m_error = QStringLiteral("openssl could not make a certificate");
            return;
        }
        args << QStringLiteral("--cert") << m_dir.path() + QStringLiteral("/cert.pem")
             << QStringLiteral("--key") << m_dir.path() + QStringLiteral("/key.pem");
    }
    args << extraArgs;
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

QStringList TSmtpTestServer::AuthLog() const
{
    QFile f(m_dir.path() + QStringLiteral("/mail/auth.log"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
