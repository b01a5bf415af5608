#include "printouts/SmtpClient.h"

#include <curl/curl.h>
#include <mutex>

namespace {

// What the session has seen so far, gathered from libcurl's protocol trace.
struct TSessionTrace
{
    QString lastReply;
    QString replyBeforeMailFrom;
    bool authenticated = false;
    bool mailFromSent = false;
    bool dataStarted = false;
    bool abortedUnauthenticated = false;
    const QByteArray* message = nullptr;
    qsizetype sent = 0;
};

int traceCallback(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto* t = static_cast<TSessionTrace*>(user);
    const QByteArray text(data, qsizetype(size));
    if (type == CURLINFO_HEADER_IN) {
        for (const QByteArray& line : text.split('\n')) {
            const QByteArray l = line.trimmed();
            if (l.isEmpty()) continue;
            t->lastReply = QString::fromUtf8(l);
            if (l.startsWith("235")) t->authenticated = true;
        }
    } else if (type == CURLINFO_HEADER_OUT) {
        if (text.startsWith("MAIL FROM") && !t->mailFromSent) {
            t->mailFromSent = true;
            t->replyBeforeMailFrom = t->lastReply;
        }
    }
    return 0;
}

size_t readCallback(char* buffer, size_t size, size_t count, void* user)
{
    auto* t = static_cast<TSessionTrace*>(user);
    // Called once the server has said 354: a session that never logged in
    // must not hand over the message.
    if (!t->authenticated) {
        t->abortedUnauthenticated = true;
        return CURL_READFUNC_ABORT;
    }
    t->dataStarted = true;
    const size_t room = size * count;
    const size_t left = size_t(t->message->size() - t->sent);
    const size_t n = qMin(room, left);
    memcpy(buffer, t->message->constData() + t->sent, n);
    t->sent += qsizetype(n);
    return n;
}

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QByteArray smtpUrl(const TSmtpAccount& a)
{
    QString host = a.server.trimmed();
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['))) host = '[' + host + ']';
    return (QString(a.implicitTls ? "smtps://" : "smtp://") + host + ':' + QString::number(a.port)).toUtf8();
}

} // namespace

TSmtpResult SmtpSendMessage(const TSmtpAccount& account, const QString& mailFrom, const QString& recipient,
                            const QByteArray& message)
{
    initCurlOnce();
    TSmtpResult result;
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.lastReply = QStringLiteral("curl_easy_init");
        return result;
    }

    TSessionTrace trace;
    trace.message = &message;
    char errorText[CURL_ERROR_SIZE] = {0};
    const QByteArray url = smtpUrl(account);
    const QByteArray user = account.user.toUtf8();
    const QByteArray password = account.password.toUtf8();
    const QByteArray from = '<' + mailFrom.toUtf8() + '>';
    curl_slist* rcpt = curl_slist_append(nullptr, ('<' + recipient.toUtf8() + '>').constData());

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    // Without implicit TLS the session still moves to TLS whenever the server
    // offers STARTTLS, before any AUTH; only servers without it are spoken to in clear.
    if (!account.implicitTls) curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    // Office mail servers often carry self-signed certificates; the mail has
    // always gone to them, so the certificate is not checked.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readCallback);
    curl_easy_setopt(curl, CURLOPT_READDATA, &trace);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, traceCallback);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &trace);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    // A stalled server: give up after a minute without progress.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);

    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(rcpt);
    curl_easy_cleanup(curl);

    if (code == CURLE_OK) {
        result.outcome = TSmtpOutcome::Sent;
        result.lastReply = trace.lastReply;
    } else if (!trace.mailFromSent) {
        result.outcome = TSmtpOutcome::LoginFailed;
        result.lastReply = trace.lastReply.isEmpty() ? QString::fromUtf8(errorText) : trace.lastReply;
        if (result.lastReply.isEmpty()) result.lastReply = QString::fromUtf8(curl_easy_strerror(code));
    } else if (!trace.authenticated) {
        // Either stopped at DATA by us, or the server refused the unauthenticated
        // envelope: both are a session that never logged in.
        result.outcome = TSmtpOutcome::NotAuthenticated;
        result.lastReply = trace.replyBeforeMailFrom;
    } else {
        result.outcome = TSmtpOutcome::Refused;
        result.lastReply = trace.lastReply.isEmpty() ? QString::fromUtf8(errorText) : trace.lastReply;
    }
    return result;
}
