#pragma once
// One SMTP session that delivers one message to one recipient (libcurl).
// The password never crosses the wire in clear when the server offers
// STARTTLS; with implicitTls the session is TLS from the first byte.
#include <QByteArray>
#include <QString>

struct TSmtpAccount
{
    QString server;
    int port = 25;
    QString user;
    QString password;
    bool implicitTls = false;
};

enum class TSmtpOutcome
{
    Sent,             // the server accepted the message data
    LoginFailed,      // connection, greeting, EHLO, STARTTLS or AUTH failed
    NotAuthenticated, // the session went on without AUTH: stopped before any data
    Refused           // sender, recipient or data refused after the login
};

struct TSmtpResult
{
    TSmtpOutcome outcome = TSmtpOutcome::LoginFailed;
    // The server's last reply line; for NotAuthenticated the one before MAIL FROM.
    // The transport's error text when the server never answered.
    QString lastReply;
};

TSmtpResult SmtpSendMessage(const TSmtpAccount& account, const QString& mailFrom, const QString& recipient,
                            const QByteArray& message);
