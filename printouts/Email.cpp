#include "printouts/Email.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Session.h"
#include "platform/DesktopMail.h"
#include "printouts/MimeMessage.h"
#include "printouts/SmtpClient.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

const QString Dash = QStringLiteral("-");

QString orSetting(const QString& value, const QString& setting)
{
    return value == Dash ? setting : value;
}

void recordSentMail(const QString& subject, const QString& email, const QString& body,
                    const QString& attachments, int userIndex)
{
    // The sending time is stamped here: the column has no default of its own,
    // and a zero date would be swept away by the daily clean-up of old mail.
    GlobalSession()->ExecQuery(
        QStringLiteral("insert WyslaneEmail(EMW_TEMAT, EMW_EMAIL, EMW_TRESC, EMW_ZALACZNIK, EMW_OPERATORID, "
                       "EMW_INDEXUSER, EMW_DATAWYSYLKI) values (:p1, :p2, :p3, :p4, :p5, :p6, now())"),
        {subject, email, body, attachments, OperatorId, userIndex});
}

QList<TMailAttachment> readAttachments(const QString& attachments)
{
    QList<TMailAttachment> files;
    if (attachments.trimmed().isEmpty()) return files;
    for (const QString& path : SplitMailList(attachments, false)) {
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
            continue; // missing: skipped silently
        files.append({QFileInfo(path).fileName(), file.readAll()});
    }
    return files;
}

// A session refused for safety: the operator must act on it (name the
// office certificate, turn on SSL, mend an address), so it is shown, not only logged.
int refuseInsecure(const QString& text)
{
    LogEvent(QStringLiteral("Mail Błąd 4 (Bezpieczeństwo): ") + text);
    TMD::MessageDlg(text, mtError, mbOK);
    return 1;
}

int sendSmtp(const QString& mode, const TPreparedMail& p, const TMailSettings& settings)
{
    if (p.server.isEmpty()) return 1;

    QString list = p.recipients;
    if (!p.bcc.isEmpty()) list += QLatin1Char(';') + p.bcc;
    const QStringList recipients = SplitMailList(list, true);
    // A bad address stops the whole call before the first session: nothing
    // goes out half-way.
    const QStringList addresses = QStringList(recipients) << p.fromAddress;
    for (const QString& address : addresses)
        if (!IsSafeMailAddress(address)) return refuseInsecure(UnsafeMailAddressText(address));
    const bool sms = mode == QLatin1String("SMS");
    const QList<TMailAttachment> files = sms ? QList<TMailAttachment>() : readAttachments(p.attachments);
    const TSmtpAccount account{p.server, p.port, p.user, p.password, p.ssl, p.trustedCertificate};

    int accepted = 0;
    int refused = 0;
    try {
        for (const QString& recipient : recipients) {
            TMailMessage m;
            m.date = QDateTime::currentDateTime();
            m.fromName = p.fromName;
            m.fromAddress = p.fromAddress;
            m.to = recipient;
            m.messageId = MakeMessageId(p.fromAddress, *QRandomGenerator::global());
            m.subject = p.subject;
            // The copy tells whom the original went to.
            if (!p.bcc.isEmpty() && recipient == p.bcc.trimmed())
                m.subject += QStringLiteral(" (") + p.recipients + QLatin1Char(')');
            m.xMailer = settings.xMailer;
            m.listUnsubscribe = QStringLiteral("<mailto:") + p.fromAddress + QLatin1Char('>');
            m.body = p.body;
            m.bodyAsHtml = !settings.bodyAsText;
            m.multipart = !sms;
            m.attachments = files;
            const QByteArray data = BuildMimeMessage(m);

            if (QCoreApplication::instance()) QCoreApplication::processEvents();
            const TSmtpResult r = SmtpSendMessage(account, p.fromAddress, recipient, data);
            switch (r.outcome) {
            case TSmtpOutcome::Sent:
                ++accepted;
                recordSentMail(p.subject, recipient, p.body, p.attachments, p.userIndex);
                break;
            case TSmtpOutcome::LoginFailed:
                LogEvent(QStringLiteral("Mail Błąd 2 (Login): ") + r.lastReply + QStringLiteral(" ; ") +
                         p.user);
                return 1;
            case TSmtpOutcome::NotAuthenticated:
                LogEvent(QStringLiteral("Mail Błąd 1 (AuthDone): ") + r.lastReply);
                return 1;
            case TSmtpOutcome::Refused:
                ++refused; // the others still go out
                break;
            case TSmtpOutcome::Insecure:
                return refuseInsecure(r.lastReply);
            }
        }
    } catch (...) {
        return 1;
    }
    // Sent only when every message went out; the rows of those that did stay.
    return accepted > 0 && refused == 0 ? 0 : 1;
}

int sendDesktop(const TPreparedMail& p)
{
    QString recorded = p.attachments;
    TDesktopMail mail;
    for (const QString& path : SplitMailList(p.attachments, false)) {
        if (QFileInfo(path).isFile()) {
            mail.attachment = path;
            recorded = path;
            break;
        }
    }
    mail.to = SplitMailList(p.recipients, true);
    for (const QString& address : mail.to)
        if (!IsSafeMailAddress(address)) {
            TMD::MessageDlg(UnsafeMailAddressText(address), mtError, mbOK);
            return 1;
        }
    mail.subject = p.subject;
    mail.body = p.body;
    switch (SendDesktopMail(mail)) {
    case TDesktopMailResult::NotStarted:
        TMD::MessageDlg(QStringLiteral("   Nie moge zaladowac biblioteki MAPI32.DLL   "), mtError, mbOK);
        return 1;
    case TDesktopMailResult::Failed:
        TMD::MessageDlg(QStringLiteral("   Bład wysyłki   "), mtError, mbOK);
        return 1;
    case TDesktopMailResult::Handed:
        break;
    }
    recordSentMail(p.subject, p.recipients, p.body, recorded, p.userIndex);
    return 0;
}

} // namespace

TMailSettings ReadMailSettings()
{
    TMailSettings s;
    s.server = ReadIniString(0, QStringLiteral("PocztaOrlixSerwer"), QString());
    s.port = ReadIniInteger(0, QStringLiteral("PocztaOrlixPort"), 25);
    s.user = ReadIniString(0, QStringLiteral("PocztaOrlixUser"), QString());
    s.password = ReadIniString(0, QStringLiteral("PocztaOrlixHaslo"), QString());
    s.fromName = ReadIniString(0, QStringLiteral("PocztaOrlixFromNazwa"), QString());
    s.fromAddress = ReadIniString(0, QStringLiteral("PocztaOrlixFromAdres"), QString());
    s.bcc = ReadIniString(0, QStringLiteral("PocztaOrlixBCC"), QString());
    s.ssl = ReadIniBool(0, QStringLiteral("PocztaOrlixSSL"), false);
    s.trustedCertificate = ReadIniString(0, QString::fromLatin1(MailCertificateSetting), QString());
    s.defaultBody = ReadIniString(0, QStringLiteral("PocztaOrlixWiadomosc"), s.defaultBody);
    s.subjectPrefix = ReadIniString(0, QStringLiteral("PocztaOrlixPrefixTematu"), s.subjectPrefix);
    s.signature = ReadIniString(OperatorId, QStringLiteral("PocztaOrlixPodpis"), QString());
    s.xMailer = ReadIniString(0, QStringLiteral("XMailer"), s.xMailer);
    s.sendKind = ReadIniInteger(0, QStringLiteral("RodzajWysylaniaMaili"), 0);
    s.bodyAsText = ReadIniBool(0, QStringLiteral("EmailJakoTxt"), true);
    return s;
}

QString ExpandMailDateVariables(const QString& text, const QDate& date)
{
    static const char* const months[] = {"styczeń",  "luty",        "marzec",   "kwiecień",
                                         "maj",      "czerwiec",    "lipiec",   "sierpień",
                                         "wrzesień", "październik", "listopad", "grudzień"};
    if (!date.isValid()) return text;
    QString out = text;
    out.replace(QStringLiteral("<#Y>"), QString::number(date.year()));
    out.replace(QStringLiteral("<#M>"), QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0')));
    out.replace(QStringLiteral("<#m>"), QString::fromUtf8(months[date.month() - 1]));
    out.replace(QStringLiteral("<#D>"), QString::number(date.day()));
    return out;
}

TPreparedMail PrepareMail(const TMailArgs& a, const TMailSettings& s, const QDate& today)
{
    TPreparedMail p;
    p.recipients = a.recipients;
    p.attachments = a.attachments == Dash ? QString() : a.attachments;
    p.bcc = orSetting(a.bcc, s.bcc);
    p.fromName = orSetting(a.fromName, s.fromName);
    p.fromAddress = orSetting(a.fromAddress, s.fromAddress);
    p.server = orSetting(a.server, s.server);
    p.user = orSetting(a.user, s.user);
    p.password = orSetting(a.password, s.password);
    p.port = a.port == 0 ? s.port : a.port;
    p.ssl = a.ssl == QLatin1String("T") ? true : a.ssl == QLatin1String("N") ? false : s.ssl;
    p.trustedCertificate = s.trustedCertificate;
    p.userIndex = a.userIndex;

    QString subject = a.subject == Dash ? QString() : a.subject;
    if (subject.startsWith(QLatin1Char('!')))
        subject.remove(0, 1);
    else
        subject = s.subjectPrefix + QLatin1Char(' ') + subject;
    p.subject = ExpandMailDateVariables(subject, today);

    const QString body = (a.body == Dash || a.body.isEmpty()) ? s.defaultBody : a.body;
    p.body = body + QStringLiteral(" \r\n") + s.signature;
    return p;
}

int SendEmailEx(const QString& mode, const QString& recipients, const QString& attachments,
                const QString& subject, const QString& body, const QString& bcc, const QString& fromName,
                const QString& fromAddress, const QString& server, const QString& user,
                const QString& password, int port, const QString& ssl, int userIndex)
{
    try {
        const TMailSettings settings = ReadMailSettings();
        const TMailArgs args{recipients, attachments, subject,  body, bcc, fromName, fromAddress,
                             server,     user,        password, port, ssl, userIndex};
        const TPreparedMail prepared = PrepareMail(args, settings, QDate::currentDate());
        if (settings.sendKind == 0) return sendDesktop(prepared);
        return sendSmtp(mode, prepared, settings);
    } catch (...) {
        return 1;
    }
}

int SendEmail(const QString& recipients, const QString& attachments, const QString& subject,
              const QString& body, const QString& bcc, const QString& fromName, const QString& fromAddress,
              const QString& server, const QString& user, const QString& password, int port,
              const QString& ssl, int userIndex)
{
    return SendEmailEx(QStringLiteral("EMAIL"), recipients, attachments, subject, body, bcc, fromName,
                       fromAddress, server, user, password, port, ssl, userIndex);
}

TSupportMailbox DefaultSupportMailbox()
{
    // The maker's support mailbox is not known to this build: the reserved
    // ".invalid" names make sure nothing reaches a stranger's server.
    TSupportMailbox m;
    m.address = QStringLiteral("pomoc@orlix6ksef.invalid");
    m.server = QStringLiteral("poczta.orlix6ksef.invalid");
    m.port = 465;
    m.user = m.address;
    m.password = QStringLiteral("Kvr71948253$");
    m.implicitTls = true;
    return m;
}

int SendSupportMessageTo(const TSupportMailbox& mailbox, const QString& subject, const QString& body,
                         const QString& fromAddress)
{
    TMailMessage m;
    m.date = QDateTime::currentDateTime();
    m.fromAddress = fromAddress;
    m.to = mailbox.address;
    m.subject = subject;
    m.xMailer = QStringLiteral("Orlix6KSeF");
    m.body = body;
    m.multipart = true;
    const TSmtpAccount account{mailbox.server,   mailbox.port,        mailbox.user,
                               mailbox.password, mailbox.implicitTls, mailbox.trustedCertificate};

    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    const TSmtpResult r = SmtpSendMessage(account, fromAddress, mailbox.address, BuildMimeMessage(m));
    switch (r.outcome) {
    case TSmtpOutcome::LoginFailed:
        throw EMailError(QStringLiteral("Błąd podczas wysyłania wiadomości email (2):\r\n%1")
                             .arg(r.lastReply)
                             .toStdString());
    case TSmtpOutcome::NotAuthenticated:
        throw EMailError(QStringLiteral("Błąd podczas wysyłania wiadomości email (1):\r\n%1")
                             .arg(r.lastReply)
                             .toStdString());
    case TSmtpOutcome::Insecure:
        throw EMailError(QStringLiteral("Błąd podczas wysyłania wiadomości email (4):\r\n%1")
                             .arg(r.lastReply)
                             .toStdString());
    case TSmtpOutcome::Refused:
        TMD::MessageDlg(QStringLiteral("Błąd podczas wysyłania wiadomości email (3):\r\n%1").arg(r.lastReply),
                        mtError, mbOK);
        return 1;
    case TSmtpOutcome::Sent:
        break;
    }
    TMD::MessageDlg(QStringLiteral("Wiadomość została wysłana. Dziekujemy."), mtInformation, mbOK);
    return 0;
}

int SendSupportMessage(const QString& subject, const QString& body, const QString& fromAddress)
{
    return SendSupportMessageTo(DefaultSupportMailbox(), subject, body, fromAddress);
}
