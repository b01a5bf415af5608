#include "printouts/SmtpClient.h"

#include "platform/DesktopMail.h"

#include <QFile>
#include <QRegularExpression>
#include <curl/curl.h>
#include <mutex>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

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

QByteArray sha256Of(X509* cert)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (!cert || !X509_digest(cert, EVP_sha256(), md, &len)) return {};
    return QByteArray(reinterpret_cast<const char*>(md), int(len));
}

QString fingerprintText(const QByteArray& digest)
{
    return QString::fromLatin1(digest.toHex(':').toUpper());
}

// The certificates the account trusts instead of the system's: SHA-256
// digests of the server certificates accepted.
struct TPinnedCertificates
{
    bool active = false;
    QList<QByteArray> digests;
    QByteArray seen;      // digest of the certificate the server showed
    bool refused = false; // the handshake ended on the certificate
};

// Empty text when the setting is usable; else the operator's message.
QString loadPins(const QString& setting, TPinnedCertificates& pins)
{
    const QString value = setting.trimmed();
    if (value.isEmpty()) return {};
    pins.active = true;
    QString hex = value;
    hex.remove(QRegularExpression(QStringLiteral("[:\\s]")));
    if (QRegularExpression(QStringLiteral("^[0-9A-Fa-f]{64}$")).match(hex).hasMatch()) {
        pins.digests << QByteArray::fromHex(hex.toLatin1());
        return {};
    }
    QFile file(value);
    QByteArray data;
    if (file.open(QIODevice::ReadOnly)) data = file.readAll();
    BIO* bio = BIO_new_mem_buf(data.constData(), int(data.size()));
    while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        pins.digests << sha256Of(cert);
        X509_free(cert);
    }
    BIO_free(bio);
    if (pins.digests.isEmpty()) { // not PEM: maybe DER
        const auto* der = reinterpret_cast<const unsigned char*>(data.constData());
        if (X509* cert = d2i_X509(nullptr, &der, long(data.size()))) {
            pins.digests << sha256Of(cert);
            X509_free(cert);
        }
    }
    if (!pins.digests.isEmpty()) return {};
    return QStringLiteral("Nie można odczytać certyfikatu serwera poczty z pliku „%1” (ustawienie %2). "
                          "Nic nie zostało wysłane.")
        .arg(value, QString::fromLatin1(MailCertificateSetting));
}

// Runs in the TLS handshake, before any SMTP command goes over TLS: a
// certificate refused here ends the session before the password is sent.
int verifyServerCertificate(X509_STORE_CTX* store, void* arg)
{
    auto* pins = static_cast<TPinnedCertificates*>(arg);
    pins->seen = sha256Of(X509_STORE_CTX_get0_cert(store));
    int ok = 0;
    if (!pins->active) {
        ok = X509_verify_cert(store); // the system's trusted certificates
    } else if (pins->digests.contains(pins->seen)) {
        ok = 1;
    } else {
        X509_STORE_CTX_set_error(store, X509_V_ERR_CERT_UNTRUSTED);
    }
    if (ok != 1) pins->refused = true;
    return ok == 1 ? 1 : 0;
}

CURLcode setUpTls(CURL*, void* sslContext, void* arg)
{
    SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX*>(sslContext), verifyServerCertificate, arg);
    return CURLE_OK;
}

QString certificateRefusedText(const TPinnedCertificates& pins, const QString& transportError)
{
    QString text = QStringLiteral("Certyfikat serwera poczty został odrzucony");
    if (!pins.active && !transportError.isEmpty()) text += QStringLiteral(" (") + transportError + ')';
    text += QStringLiteral(": połączenie przerwano, hasło nie zostało wysłane.");
    if (!pins.seen.isEmpty())
        text += QStringLiteral(" Odcisk SHA-256 certyfikatu serwera: ") + fingerprintText(pins.seen) + '.';
    text += QStringLiteral(" Jeśli to serwer biura z własnym certyfikatem, wpisz plik tego certyfikatu lub "
                           "jego odcisk SHA-256 w ustawieniu %1.")
                .arg(QString::fromLatin1(MailCertificateSetting));
    return text;
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
    // An address with a line break would add its own SMTP command (another
    // RCPT TO); one starting with "-" reads as an option to mail tools.
    for (const QString& address : {mailFrom, recipient})
        if (!IsSafeMailAddress(address)) {
            result.outcome = TSmtpOutcome::Insecure;
            result.lastReply = UnsafeMailAddressText(address);
            return result;
        }
    TPinnedCertificates pins;
    result.lastReply = loadPins(account.trustedCertificate, pins);
    if (!result.lastReply.isEmpty()) {
        result.outcome = TSmtpOutcome::Insecure;
        return result;
    }
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
    // Without implicit TLS the session moves to TLS with STARTTLS before any
    // AUTH; a login never goes to a server that does not offer it.
    const bool login = !user.isEmpty();
    if (!account.implicitTls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(login ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    // A certificate the account names is trusted for whatever name the
    // office server is reached by (often its address).
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, pins.active ? 0L : 2L);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, setUpTls);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &pins);
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

    if (code == CURLE_USE_SSL_FAILED) {
        result.outcome = TSmtpOutcome::Insecure;
        result.lastReply =
            QStringLiteral("Serwer poczty nie oferuje szyfrowania (SSL ani STARTTLS): połączenie "
                           "przerwano, hasło nie zostało wysłane. Włącz SSL w ustawieniach "
                           "poczty lub użyj serwera z szyfrowaniem.");
    } else if (pins.refused || code == CURLE_PEER_FAILED_VERIFICATION) {
        result.outcome = TSmtpOutcome::Insecure;
        result.lastReply = certificateRefusedText(pins, QString::fromUtf8(errorText));
    } else if (code == CURLE_OK) {
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
