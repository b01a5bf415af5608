#pragma once
// A real SMTP server on loopback for the mail tests (smtp_server.py under
// aiosmtpd): a fixed account, optional refusals, optional TLS.
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TSmtpTestServer
{
public:
    static const QString User;     // "biuro"
    static const QString Password; // "tajne"

    // extraArgs: the script's options (--refuse-rcpt X, --no-auth, --starttls, ...).
    // With TLS options the certificate is made in the server's own folder.
    explicit TSmtpTestServer(const QStringList& extraArgs = {});
    ~TSmtpTestServer();

    bool Started() const { return m_port > 0; }
    QString StartError() const { return m_error; }
    int Port() const { return m_port; }
    // The accepted messages in order of arrival, as the script decoded them.
    QList<QJsonObject> Messages() const;
    // One line per login attempt: "ok|refused <mechanism> <user> tls=0|1".
    QStringList AuthLog() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// A self-signed certificate and key (cert.pem, key.pem) in folder; true when made.
bool MakeSelfSignedCertificate(const QString& folder);
