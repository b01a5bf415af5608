#include "tools/ferlo/Ferlo.h"

#include <QSaveFile>
#include <QSettings>
#include <curl/curl.h>
#include <libxml/entities.h>

namespace {

// Service namespace of the register's July 2014 publication and its data contracts.
const QByteArray ServiceNs = "http://CIS/BIR/PUBL/2014/07";
const QByteArray DataContractNs = ServiceNs + "/DataContract";

// The hand-over lines, in file order, by their element names in the search answer.
const char* const HandOverElements[] = {"Nazwa",           "Miejscowosc", "KodPocztowy", "Ulica",
                                        "NrNieruchomosci", "NrLokalu",    "Nip",         "Regon"};

QByteArray xmlText(const QByteArray& text)
{
    xmlChar* encoded = xmlEncodeSpecialChars(nullptr, reinterpret_cast<const xmlChar*>(text.constData()));
    if (!encoded) return QByteArray();
    QByteArray out(reinterpret_cast<const char*>(encoded));
    xmlFree(encoded);
    return out;
}

size_t collect(char* data, size_t size, size_t count, void* target)
{
    static_cast<QByteArray*>(target)->append(data, qsizetype(size * count));
    return size * count;
}

// A session id goes into an HTTP header: anything but plain printable text is not one.
QByteArray sessionIdOf(const QByteArray& loginAnswer)
{
    const QByteArray sid = ExtractData("<ZalogujResult>", "</ZalogujResult>", loginAnswer).trimmed();
    for (char c : sid)
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7e) return QByteArray();
    return sid;
}

} // namespace

TFerloSettings ReadFerloSettings(const QString& iniPath)
{
    TFerloSettings s;
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("BIR"));
    s.Url = ini.value(QStringLiteral("Url"), s.Url).toString().trimmed();
    s.UserKey = ini.value(QStringLiteral("UserKey"), s.UserKey).toString().trimmed();
    s.CaFile = ini.value(QStringLiteral("CaFile")).toString().trimmed();
    return s;
}

QByteArray ExtractData(const QByteArray& beginTag, const QByteArray& endTag, const QByteArray& text)
{
    const qsizetype p = text.indexOf(beginTag);
    if (p < 0) return QByteArray();
    const qsizetype s = p + beginTag.size();
    const qsizetype e = text.indexOf(endTag, s);
    if (e <= s) return QByteArray();
    return text.mid(s, e - s);
}

QList<QByteArray> CompanyValues(const QByteArray& answer)
{
    QList<QByteArray> values;
    // Several entities may share the NIP: every value comes from the first
    // one, so an element missing there is not filled from the next entity.
    QByteArray first = answer;
    const qsizetype end = answer.indexOf("&lt;/dane&gt;");
    if (end >= 0) first.truncate(end);
    // The not-found answer (ErrorCode 4) repeats the searched NIP; it is no company.
    const bool noCompany = first.contains("&lt;ErrorCode&gt;");
    for (const char* name : HandOverElements) {
        QByteArray v;
        if (!noCompany)
            v = ExtractData("&lt;" + QByteArray(name) + "&gt;", "&lt;/" + QByteArray(name) + "&gt;", first);
        // A line break inside a value would shift every later line of the file.
        v.replace('\r', ' ').replace('\n', ' ');
        values << v;
    }
    return values;
}

bool WriteHandOverFile(const QString& path, const QList<QByteArray>& values)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    for (const QByteArray& v : values)
        f.write(v + "\r\n");
    return f.commit();
}

TFerlo::TFerlo(const TFerloSettings& settings, int budgetMs)
    : m_settings(settings), m_budgetMs(budgetMs), m_curl(curl_easy_init(), curl_easy_cleanup)
{
    m_clock.start();
}

QByteArray TFerlo::soapAction(TFERLOActions action) const
{
    static const char* const names[] = {"Zaloguj", "DaneSzukajPodmioty", "Wyloguj"};
    return ServiceNs + "/IUslugaBIRzewnPubl/" + names[int(action)];
}

QByteArray TFerlo::CreateFERLOFrame(const QByteArray& action, const QByteArray& body) const
{
    const QByteArray url = xmlText(m_settings.Url.toUtf8());
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?> "
           "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\" xmlns:ns=\"" +
           ServiceNs + "\" xmlns:dat=\"" + DataContractNs + "\">" +
           "   <soap:Header xmlns:wsa=\"http://www.w3.org/2005/08/addressing\">" + "     <wsa:To>" + url +
           "</wsa:To>" + "     <wsa:Action>" + action + "</wsa:Action> " + "  </soap:Header> " +
           "  <soap:Body> " + body + "  </soap:Body> " + "</soap:Envelope>";
}

bool TFerlo::post(TFERLOActions action, const QByteArray& body, QByteArray& answer, QString& error)
{
    answer.clear();
    const qint64 left = m_budgetMs - m_clock.elapsed();
    if (left <= 0) {
        error = QStringLiteral("time limit");
        return false;
    }
    if (!m_curl) {
        error = QStringLiteral("no transport");
        return false;
    }
    const QByteArray request = CreateFERLOFrame(soapAction(action), body);
    const QByteArray url = m_settings.Url.toUtf8();
    const QByteArray contentType =
        "Content-Type: application/soap+xml;charset=UTF-8;action=\"" + soapAction(action) + "\"";
    const QByteArray sid = "sid: " + m_sessionId;
    curl_slist* headers = curl_slist_append(nullptr, contentType.constData());
    if (!m_sessionId.isEmpty()) headers = curl_slist_append(headers, sid.constData());
    headers = curl_slist_append(headers, "Expect:");
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> headerGuard(headers, curl_slist_free_all);
    const QByteArray caFile = m_settings.CaFile.toUtf8();

    // One handle for the whole lookup keeps the connection between the requests.
    CURL* c = m_curl.get();
    curl_easy_reset(c);
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.constData());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, long(request.size()));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(left));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(left));
    if (!caFile.isEmpty()) curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    const CURLcode rc = curl_easy_perform(c);
    if (rc != CURLE_OK) {
        error = QString::fromUtf8(curl_easy_strerror(rc));
        return false;
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        error = QStringLiteral("HTTP %1").arg(status);
        return false;
    }
    return true;
}

QString TFerlo::Test(const QString& argument, const QString& folder)
{
    m_sessionId.clear();
    // Only the main program knows the code; for anyone else the register is
    // not asked at all, since nobody would read the answer.
    if (!argument.startsWith(QLatin1String(FerloAccessCode))) return QStringLiteral("access code");

    QByteArray answer;
    QString error;
    const QByteArray key = xmlText(m_settings.UserKey.toUtf8());
    if (!post(TFERLOActions::Login,
              "    <ns:Zaloguj>       <ns:pKluczUzytkownika>" + key +
                  "</ns:pKluczUzytkownika>     </ns:Zaloguj> ",
              answer, error))
        return error;
    m_sessionId = sessionIdOf(answer);

    // The NIP is the operator's text: escaped, so it stays text in the request.
    const QByteArray nip = xmlText(argument.mid(4, 10).toUtf8());
    if (!post(TFERLOActions::Search,
              "    <ns:DaneSzukajPodmioty>     <ns:pParametryWyszukiwania>     <dat:Nip>" + nip +
                  "</dat:Nip> " + "    </ns:pParametryWyszukiwania> " + "    </ns:DaneSzukajPodmioty> ",
              answer, error))
        return error;
    if (!WriteHandOverFile(folder + QStringLiteral("/param.tmp"), CompanyValues(answer)))
        return QStringLiteral("param.tmp");

    post(TFERLOActions::Logout,
         "    <ns:Wyloguj>     <ns:pIdentyfikatorSesji> " + xmlText(m_sessionId) +
             "    </ns:pIdentyfikatorSesji> " + "    </ns:Wyloguj> ",
         answer, error);
    return QStringLiteral("OK");
}
