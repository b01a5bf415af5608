#include "ksef/KsefHttp.h"

#include "ksef/KsefError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QThread>
#include <QTimeZone>

#include <curl/curl.h>
#include <mutex>

namespace {

void ensureCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    static_cast<QByteArray*>(user)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

size_t writeHeader(char* data, size_t size, size_t count, void* user)
{
    auto* response = static_cast<TKsefHttpResponse*>(user);
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(size * count)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new status line (after a 100 Continue, say) starts a new header block.
        response->Headers.clear();
        response->Warnings.clear();
    } else {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0) {
            const QByteArray name = line.left(colon).trimmed().toLower();
            response->Headers.insert(name, line.mid(colon + 1).trimmed());
            if (name == "x-system-warning") response->Warnings << line.mid(colon + 1).trimmed();
        }
    }
    return size * count;
}

struct CurlHandle
{
    CURL* h = curl_easy_init();
    curl_slist* headers = nullptr;
    ~CurlHandle()
    {
        curl_slist_free_all(headers);
        if (h) curl_easy_cleanup(h);
    }
};

} // namespace

// Waits keep the window painted; user input waits until the call is over, so an
// operator's click cannot start a second exchange in the middle of this one.
void KsefWaitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    QCoreApplication* app = QCoreApplication::instance();
    const bool uiThread = app && app->thread() == QThread::currentThread();
    for (qint64 left = ms; left > 0; left = ms - t.elapsed()) {
        if (uiThread) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(20, left)));
    }
}

int KsefRetryAfterSeconds(const QByteArray& value)
{
    const QByteArray v = value.trimmed();
    if (v.isEmpty()) return -1;
    bool ok = false;
    const int seconds = v.toInt(&ok);
    if (ok) return seconds < 0 ? -1 : seconds;
    QDateTime when =
        QLocale::c().toDateTime(QString::fromLatin1(v), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!when.isValid()) return -1;
    when.setTimeSpec(Qt::UTC);
    const qint64 diff = QDateTime::currentDateTimeUtc().secsTo(when);
    return diff < 0 ? 0 : static_cast<int>(diff);
}

TKsefHttpClient::TKsefHttpClient()
{
    ensureCurl();
}

void TKsefHttpClient::SetTimeouts(int connectSeconds, int totalSeconds)
{
    m_connectTimeout = connectSeconds;
    m_totalTimeout = totalSeconds;
}

void TKsefHttpClient::SetRetryBudget(int maxSingleWaitSeconds, int maxTotalWaitSeconds)
{
    m_maxSingleWait = maxSingleWaitSeconds;
    m_maxTotalWait = maxTotalWaitSeconds;
}

TKsefHttpResponse TKsefHttpClient::Send(const QString& operation, const QByteArray& method,
                                        const QString& url, const TKsefHttpHeaders& headers,
                                        const QByteArray& body)
{
    m_lastRetryWaitMs = 0;
    for (;;) {
        TKsefHttpResponse r = sendOnce(operation, method, url, headers, body);
        for (const QByteArray& w : r.Warnings)
            m_warnings << QString::fromUtf8(w);
        if (r.Status != 429) return r;
        // The limits are sliding windows; without a Retry-After one second is the
        // shortest wait that can help.
        int wait = KsefRetryAfterSeconds(r.Header("retry-after"));
        if (wait < 0) wait = 1;
        if (wait > m_maxSingleWait || m_lastRetryWaitMs + wait * 1000 > m_maxTotalWait * 1000) return r;
        KsefWaitMs(wait * 1000);
        m_lastRetryWaitMs += wait * 1000;
    }
}

QStringList TKsefHttpClient::TakeWarnings()
{
    QStringList out;
    out.swap(m_warnings);
    return out;
}

TKsefHttpResponse TKsefHttpClient::sendOnce(const QString& operation, const QByteArray& method,
                                            const QString& url, const TKsefHttpHeaders& headers,
                                            const QByteArray& body)
{
    CurlHandle c;
    if (!c.h) throw EKsefError(QStringLiteral("%1: nie można przygotować połączenia HTTP").arg(operation));
    TKsefHttpResponse response;
    char errorText[CURL_ERROR_SIZE] = {0};
    const QByteArray urlUtf8 = url.toUtf8();

    curl_easy_setopt(c.h, CURLOPT_URL, urlUtf8.constData());
    curl_easy_setopt(c.h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c.h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c.h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_connectTimeout));
    curl_easy_setopt(c.h, CURLOPT_TIMEOUT, static_cast<long>(m_totalTimeout));
    curl_easy_setopt(c.h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c.h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c.h, CURLOPT_USERAGENT, "Orlix6KSEF");
    curl_easy_setopt(c.h, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c.h, CURLOPT_WRITEDATA, &response.Body);
    curl_easy_setopt(c.h, CURLOPT_HEADERFUNCTION, writeHeader);
    curl_easy_setopt(c.h, CURLOPT_HEADERDATA, &response);

    if (method == "GET") {
        curl_easy_setopt(c.h, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(c.h, CURLOPT_CUSTOMREQUEST, method.constData());
        if (method != "DELETE" || !body.isEmpty()) {
            curl_easy_setopt(c.h, CURLOPT_POSTFIELDS, body.constData());
            curl_easy_setopt(c.h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        }
    }
    bool hasContentType = false;
    for (const auto& h : headers) {
        if (h.first.toLower() == "content-type") hasContentType = true;
        c.headers = curl_slist_append(c.headers, (h.first + ": " + h.second).constData());
    }
    // libcurl would otherwise announce a form body; an empty POST goes out without a type.
    if (!hasContentType) c.headers = curl_slist_append(c.headers, "Content-Type:");
    c.headers = curl_slist_append(c.headers, "Expect:");
    curl_easy_setopt(c.h, CURLOPT_HTTPHEADER, c.headers);

    const CURLcode rc = curl_easy_perform(c.h);
    if (rc != CURLE_OK) {
        QString reason;
        switch (rc) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            reason = QStringLiteral("nie można połączyć się z serwerem KSeF");
            break;
        case CURLE_OPERATION_TIMEDOUT:
            reason = QStringLiteral("serwer KSeF nie odpowiedział w wyznaczonym czasie");
            break;
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE:
            reason = QStringLiteral("połączenie z serwerem KSeF zostało przerwane");
            break;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
            reason = QStringLiteral("nie udało się zestawić bezpiecznego połączenia z serwerem KSeF");
            break;
        default:
            reason = QStringLiteral("błąd komunikacji z serwerem KSeF");
            break;
        }
        const QString detail =
            errorText[0] ? QString::fromUtf8(errorText) : QString::fromUtf8(curl_easy_strerror(rc));
        throw EKsefError(QStringLiteral("%1: %2 (%3)").arg(operation, reason, detail));
    }
    long status = 0;
    curl_easy_getinfo(c.h, CURLINFO_RESPONSE_CODE, &status);
    response.Status = static_cast<int>(status);
    return response;
}
