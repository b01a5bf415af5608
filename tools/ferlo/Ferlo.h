#pragma once
// One company lookup by NIP in the REGON register's public search service
// (BIR 1.1, SOAP 1.2), handed to the main program as "param.tmp".
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <curl/curl.h>
#include <memory>

// The access code the main program puts in front of the NIP.
inline constexpr char FerloAccessCode[] = "4729";

// Requests of one lookup, in the order they are sent.
enum class TFERLOActions
{
    Login = 0,
    Search = 1,
    Logout = 2,
};

struct TFerloSettings
{
    QString Url = QStringLiteral("https://wyszukiwarkaregon.stat.gov.pl/wsBIR/UslugaBIRzewnPubl.svc");
    QString UserKey = QStringLiteral("9d1f7b0e5c28a46f3b91");
    QString CaFile; // an extra certificate authority (a private test service)
};

// "ferlo.ini" beside the executable, section [BIR]; missing keys keep the defaults.
TFerloSettings ReadFerloSettings(const QString& iniPath);

// The text between the first BeginTag and the first EndTag after it; empty
// when BeginTag is missing or the element is empty.
QByteArray ExtractData(const QByteArray& beginTag, const QByteArray& endTag, const QByteArray& text);

// The eight hand-over values of a search answer, still escaped as received;
// eight empty values when the answer holds no company.
QList<QByteArray> CompanyValues(const QByteArray& answer);

class TFerlo
{
public:
    // budgetMs: the whole lookup, every request included.
    TFerlo(const TFerloSettings& settings, int budgetMs);

    // The lookup for one command-line argument; writes "param.tmp" into
    // folder when the access code matches. "OK" or what stopped it.
    QString Test(const QString& argument, const QString& folder);

    QByteArray CreateFERLOFrame(const QByteArray& action, const QByteArray& body) const;

private:
    QByteArray soapAction(TFERLOActions action) const;
    // Posts one request; false on no connection, timeout or an HTTP error.
    bool post(TFERLOActions action, const QByteArray& body, QByteArray& answer, QString& error);

    TFerloSettings m_settings;
    int m_budgetMs;
    QElapsedTimer m_clock;
    QByteArray m_sessionId;
    std::unique_ptr<CURL, void (*)(CURL*)> m_curl;
};

// Writes the eight lines (CR LF after each) so that a reader never sees a
// half-written file: a temporary file beside it is renamed into place.
bool WriteHandOverFile(const QString& path, const QList<QByteArray>& values);
