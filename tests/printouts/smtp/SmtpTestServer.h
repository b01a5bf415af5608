#pragma once
// A real SMTP server on loopback for the mail tests (smtp_server.py under
// aiosmtpd): a fixed account, optional refusals. It offers STARTTLS unless
// told "--implicit-tls" (TLS from the first byte) or "--plain" (no TLS at all),
// with a certificate from a test CA that no system trusts (one for the whole run).
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

    // extraArgs: the script's options (--refuse-rcpt X, --no-auth, --implicit-tls, ...)
    // and "--plain".
    explicit TSmtpTestServer(const QStringList& extraArgs = {});
    ~TSmtpTestServer();

    bool Started() const { return m_port > 0; }
    QString StartError() const { return m_error; }
    int Port() const { return m_port; }
    // The accepted messages in order of arrival, as the script decoded them.
    QList<QJsonObject> Messages() const;
    // One line per login attempt: "ok|refused <mechanism> <user> tls=0|1".
    QStringList AuthLog() const;
    // One line per greeting: "EHLO <host> tls=0|1"; empty when no client spoke.
    QStringList Commands() const;
    // The server's certificate (PEM) and its SHA-256 fingerprint "AB:CD:..";
    // empty for a plain server.
    QString CertificatePath() const;
    QString CertificateFingerprint() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
    QString m_certificate;
};
