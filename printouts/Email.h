#pragma once
// Every e-mail of the program goes out here: one message per recipient over
// SMTP (plus a separate copy to the Bcc address), or the whole message handed
// to the desktop mail client. Each message sent becomes a WyslaneEmail row.
#include <QDate>
#include <QString>
#include <stdexcept>

// The mail settings, read afresh for every message.
struct TMailSettings
{
    QString server;
    int port = 25;
    QString user;
    QString password;
    QString fromName;
    QString fromAddress;
    QString bcc;
    bool ssl = false;
    QString trustedCertificate; // PocztaOrlixCertyfikat: the office server's certificate file or fingerprint
    QString defaultBody = QStringLiteral("Wiadomosc od administratora");
    QString subjectPrefix = QStringLiteral("[Admin]");
    QString signature; // this operator on this workstation
    QString xMailer = QStringLiteral("Orlix4SQL");
    int sendKind = 0; // RodzajWysylaniaMaili: 0 desktop mail client, else direct SMTP
    bool bodyAsText = true;
};
TMailSettings ReadMailSettings();

// The arguments of SendEmail; "-" (port 0) leaves a value to the settings.
struct TMailArgs
{
    QString recipients;
    QString attachments;
    QString subject;
    QString body;
    QString bcc;
    QString fromName;
    QString fromAddress;
    QString server;
    QString user;
    QString password;
    int port = 0;
    QString ssl;
    int userIndex = 0;
};

// The message once the settings filled the gaps: subject with its prefix and
// date variables, body with the signature.
struct TPreparedMail
{
    QString recipients;
    QString attachments;
    QString subject;
    QString body;
    QString bcc;
    QString fromName;
    QString fromAddress;
    QString server;
    QString user;
    QString password;
    int port = 25;
    bool ssl = false;
    QString trustedCertificate;
    int userIndex = 0;
};
TPreparedMail PrepareMail(const TMailArgs& args, const TMailSettings& settings, const QDate& today);

// "<#Y>" year, "<#M>" month in two digits, "<#m>" Polish month name, "<#D>" day.
QString ExpandMailDateVariables(const QString& text, const QDate& date);

// Result 0 = sent (every message accepted), 1 = not sent or only partly sent.
// Never raises.
int SendEmail(const QString& recipients, const QString& attachments, const QString& subject,
              const QString& body, const QString& bcc, const QString& fromName, const QString& fromAddress,
              const QString& server, const QString& user, const QString& password, int port,
              const QString& ssl, int userIndex);
// Mode "EMAIL": multipart with attachments; "SMS": one plain-text part, attachments ignored.
int SendEmailEx(const QString& mode, const QString& recipients, const QString& attachments,
                const QString& subject, const QString& body, const QString& bcc, const QString& fromName,
                const QString& fromAddress, const QString& server, const QString& user,
                const QString& password, int port, const QString& ssl, int userIndex);

// A login failure of the support message.
class EMailError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The support mailbox: where SendSupportMessage delivers.
struct TSupportMailbox
{
    QString address;
    QString server;
    int port = 465;
    QString user;
    QString password;
    bool implicitTls = true;
    QString trustedCertificate; // empty: the system's trusted certificates
};
TSupportMailbox DefaultSupportMailbox();

// One plain-text message to the support mailbox; tells the operator the
// outcome. Raises EMailError when the login fails or is not authenticated,
// or the connection is not safe (no TLS, a refused certificate).
int SendSupportMessage(const QString& subject, const QString& body, const QString& fromAddress);
int SendSupportMessageTo(const TSupportMailbox& mailbox, const QString& subject, const QString& body,
                         const QString& fromAddress);
