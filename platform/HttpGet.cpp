#include "platform/HttpGet.h"

#include <curl/curl.h>
#include <mutex>

namespace {

size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    static_cast<QByteArray*>(user)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

} // namespace

QByteArray HttpGet(const QString& url, int timeoutMs, QString* error)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* h = curl_easy_init();
    if (!h) return QByteArray();
    QByteArray body;
    char message[CURL_ERROR_SIZE] = {};
    const QByteArray u = url.toUtf8();
    curl_easy_setopt(h, CURLOPT_URL, u.constData());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    const CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(h);
    if (rc != CURLE_OK || status < 200 || status > 299) {
        if (error)
            *error = rc != CURLE_OK ? QString::fromUtf8(message[0] ? message : curl_easy_strerror(rc))
                                    : QStringLiteral("HTTP %1").arg(status);
        return QByteArray();
    }
    return body;
}
