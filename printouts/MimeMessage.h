#pragma once
// Internet mail messages as the mail sender hands them to the SMTP client:
// the header block and either one text part or a "mixed" multipart of the
// text and file attachments. Texts are UTF-8; non-ASCII header words become
// RFC 2047 encoded words, text parts quoted-printable, files base64.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QRandomGenerator;

struct TMailAttachment
{
    QString fileName; // shown to the recipient, without folder
    QByteArray data;
};

struct TMailMessage
{
    QDateTime date;
    QString fromName;
    QString fromAddress;
    QString to;
    QString messageId; // without angle brackets; empty: no line
    QString subject;
    QString xMailer;         // empty: no X-Mailer line
    QString listUnsubscribe; // whole header value; empty: no line
    QString body;
    bool bodyAsHtml = false;
    bool multipart = true; // false: a single text/plain part, attachments ignored
    QList<TMailAttachment> attachments;
};

// The whole message, CR LF line ends, ready for SMTP DATA.
QByteArray BuildMimeMessage(const TMailMessage& message);

// The items of a ";" list: every ";" or the end closes an item, empty items
// are skipped. Trimmed items that end up blank are skipped too.
QStringList SplitMailList(const QString& text, bool trimItems);

// "00" + three numbers below 2808348671 written as signed 32-bit values + the
// sender address, without separators (so a number may carry a minus sign).
QString MakeMessageId(const QString& fromAddress, QRandomGenerator& random);

// RFC 5322 date: "Wed, 05 Mar 2025 14:07:09 +0100".
QByteArray MailDateText(const QDateTime& when);

// The text as is when it is printable ASCII, else UTF-8 base64 encoded words of
// at most 75 characters each, joined by folding (CR LF + blank).
QByteArray EncodeHeaderText(const QString& text);

// Quoted-printable of UTF-8 text; any of CR LF, LF or CR is a line break (CR LF out).
QByteArray EncodeQuotedPrintable(const QString& text);
