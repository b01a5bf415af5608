#include "platform/FtpClient.h"

#include <QFile>
#include <QSaveFile>

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

struct TUploadSource
{
    QByteArray data;
    qsizetype pos = 0;
};

size_t readBody(char* buffer, size_t size, size_t count, void* user)
{
    auto* src = static_cast<TUploadSource*>(user);
    const qsizetype n = qMin<qsizetype>(qsizetype(size * count), src->data.size() - src->pos);
    memcpy(buffer, src->data.constData() + src->pos, size_t(n));
    src->pos += n;
    return size_t(n);
}

long seconds(int ms)
{
    return qMax(1L, long((ms + 999) / 1000));
}

} // namespace

int FtpPortFromText(const QString& text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    return ok && port > 0 && port < 65536 ? port : 21;
}

TFtpClient::TFtpClient()
{
    ensureCurl();
}

TFtpClient::~TFtpClient()
{
    Disconnect();
}

void TFtpClient::prepare(const QString& remoteName)
{
    if (!m_curl) m_curl = curl_easy_init();
    CURL* h = static_cast<CURL*>(m_curl);
    curl_easy_reset(h);
    QByteArray path;
    if (!remoteName.isEmpty()) {
        const QByteArray name = remoteName.toUtf8();
        char* escaped = curl_easy_escape(h, name.constData(), int(name.size()));
        path = escaped;
        curl_free(escaped);
    }
    const QByteArray url = "ftp://" + Host.toUtf8() + ':' + QByteArray::number(Port) + '/' + path;
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_USERNAME, Username.toUtf8().constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, Password.toUtf8().constData());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(ReadTimeoutMs));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds(ReadTimeoutMs));
    // A stalled data transfer ends after the same time.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, seconds(ReadTimeoutMs));
    if (Passive) {
        curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 0L);
    } else {
        curl_easy_setopt(h, CURLOPT_FTPPORT, "-");
    }
    m_error[0] = 0;
}

void TFtpClient::perform(const char* what)
{
    // Driven through a multi handle with a short wait: curl_easy_perform
    // leaves the passive data connection out of what it waits on while that
    // connection is being made, so a transfer could stand a full second.
    if (!m_multi) m_multi = curl_multi_init();
    CURLM* multi = static_cast<CURLM*>(m_multi);
    CURL* h = static_cast<CURL*>(m_curl);
    CURLcode rc = CURLE_OK;
    if (curl_multi_add_handle(multi, h) != CURLM_OK) {
        rc = CURLE_FAILED_INIT;
    } else {
        int running = 1;
        while (running) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                rc = CURLE_FAILED_INIT;
                break;
            }
            if (running) curl_multi_poll(multi, nullptr, 0, 10, nullptr);
        }
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &left))
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == h) rc = msg->data.result;
        curl_multi_remove_handle(multi, h);
    }
    if (rc == CURLE_OK) {
        m_connected = true;
        return;
    }
    const QString detail =
        m_error[0] ? QString::fromUtf8(m_error) : QString::fromUtf8(curl_easy_strerror(rc));
    // A refused login or a lost link leaves no connection to reuse.
    if (rc == CURLE_LOGIN_DENIED || rc == CURLE_COULDNT_CONNECT || rc == CURLE_OPERATION_TIMEDOUT)
        Disconnect();
    throw EFtpError((QString::fromLatin1(what) + QStringLiteral(": ") + detail).toStdString());
}

void TFtpClient::Connect()
{
    prepare(QString());
    CURL* h = static_cast<CURL*>(m_curl);
    // The folder listing is not needed: logging in is the check.
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    perform("connect");
}

void TFtpClient::Disconnect()
{
    if (m_curl) curl_easy_cleanup(static_cast<CURL*>(m_curl));
    m_curl = nullptr;
    // The control connection is kept by the multi handle: this closes it.
    if (m_multi) curl_multi_cleanup(static_cast<CURLM*>(m_multi));
    m_multi = nullptr;
    m_connected = false;
}

void TFtpClient::Upload(const QString& localFile, const QString& remoteName)
{
    QFile f(localFile);
    if (!f.open(QIODevice::ReadOnly))
        throw EFtpError((QStringLiteral("Nie można otworzyć pliku ") + localFile).toStdString());
    TUploadSource src{f.readAll(), 0};
    prepare(remoteName);
    CURL* h = static_cast<CURL*>(m_curl);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &readBody);
    curl_easy_setopt(h, CURLOPT_READDATA, &src);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(src.data.size()));
    perform("upload");
}

void TFtpClient::Download(const QString& remoteName, const QString& localFile)
{
    QByteArray body;
    prepare(remoteName);
    CURL* h = static_cast<CURL*>(m_curl);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    perform("download");
    QSaveFile out(localFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(body) != body.size() || !out.commit())
        throw EFtpError((QStringLiteral("Nie można zapisać pliku ") + localFile).toStdString());
}

void TFtpClient::Delete(const QString& remoteName)
{
    prepare(QString());
    CURL* h = static_cast<CURL*>(m_curl);
    const QByteArray command = "DELE " + remoteName.toUtf8();
    curl_slist* quote = curl_slist_append(nullptr, command.constData());
    curl_easy_setopt(h, CURLOPT_QUOTE, quote);
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    try {
        perform("delete");
    } catch (...) {
        curl_slist_free_all(quote);
        throw;
    }
    curl_slist_free_all(quote);
}

void TFtpClient::DeleteIgnoringErrors(const QString& remoteName)
{
    try {
        Delete(remoteName);
    } catch (const EFtpError&) {
    }
}
