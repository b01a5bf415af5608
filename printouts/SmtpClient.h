#pragma once
// One SMTP session that delivers one message to one recipient (libcurl).
// The server's certificate is checked against the system's trusted
// certificates, or against the one certificate the account names. A password
// never crosses the wire in clear: with a login the session is TLS from the
// first byte (implicitTls) or moves to TLS with STARTTLS, else it ends before AUTH.
#include <QByteArray>
#include <QString>

struct TSmtpAccount
{
    QString server;
    int port = 25;
    QString user;
    QString password;
    bool implicitTls = false;
    // Empty: the system's trusted certificates. Otherwise the server's own
    // certificate: a PEM/DER file, or its SHA-256 fingerprint in hex.
    QString trustedCertificate;
};

enum class TSmtpOutcome
{
    Sent,             // the server accepted the message data
    LoginFailed,      // connection, greeting, EHLO, STARTTLS or AUTH failed
    NotAuthenticated, // the session went on without AUTH: stopped before any data
    Refused,          // sender, recipient or data refused after the login
    Insecure          // no TLS, a refused certificate or a bad address: nothing was sent
};

struct TSmtpResult
{
    TSmtpOutcome outcome = TSmtpOutcome::LoginFailed;
    // The server's last reply line; for NotAuthenticated the one before MAIL FROM.
    // The transport's error text when the server never answered.
    // For Insecure the operator's message in Polish.
    QString lastReply;
};

TSmtpResult SmtpSendMessage(const TSmtpAccount& account, const QString& mailFrom, const QString& recipient,
                            const QByteArray& message);

// Name of the mail setting that holds the trusted certificate.
inline constexpr const char* MailCertificateSetting = "PocztaOrlixCertyfikat";
