#pragma once
// HTTP(S) transport of the KSeF client over libcurl.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

struct TKsefHttpResponse
{
    int Status = 0;
    QByteArray Body;
    // Header names in lower case; a repeated header keeps its last value.
    QMap<QByteArray, QByteArray> Headers;
    // Every X-System-Warning of the answer (the header may come more than once).
    QList<QByteArray> Warnings;

    QByteArray Header(const QByteArray& name) const { return Headers.value(name.toLower()); }
};

using TKsefHttpHeaders = QList<QPair<QByteArray, QByteArray>>;

class TKsefHttpClient
{
public:
    TKsefHttpClient();

    // One request. A 429 answer is waited out as its Retry-After asks and the request
    // repeated, within the retry budget; what comes back after that (also a last 429)
    // is returned as it is. A failure below HTTP (no connection, dropped connection,
    // time-out, TLS) raises EKsefError naming Operation.
    TKsefHttpResponse Send(const QString& operation, const QByteArray& method, const QString& url,
                           const TKsefHttpHeaders& headers = {}, const QByteArray& body = {});

    // Time allowed to connect and for a whole request, in seconds.
    void SetTimeouts(int connectSeconds, int totalSeconds);
    // The longest a single Retry-After is honoured and the total waited for one
    // request, in seconds; beyond it the 429 goes back to the caller.
    void SetRetryBudget(int maxSingleWaitSeconds, int maxTotalWaitSeconds);
    int TotalRetryWaitMs() const { return m_lastRetryWaitMs; }
    // The X-System-Warning texts of the answers since the last call, in order.
    QStringList TakeWarnings();

private:
    TKsefHttpResponse sendOnce(const QString& operation, const QByteArray& method, const QString& url,
                               const TKsefHttpHeaders& headers, const QByteArray& body);

    int m_connectTimeout = 15;
    int m_totalTimeout = 300;
    int m_maxSingleWait = 60;
    int m_maxTotalWait = 120;
    int m_lastRetryWaitMs = 0;
    QStringList m_warnings;
};

// Waits keep the window painted; user input waits until the call is over, so an
// operator's click cannot start a second exchange in the middle of this one.
void KsefWaitMs(int ms);

// Retry-After in seconds: a number of seconds or an HTTP date; -1 when absent or unreadable.
int KsefRetryAfterSeconds(const QByteArray& value);
