#include "ksef/KsefError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

EKsefError::EKsefError(QString message, int httpStatus, int serviceCode, QByteArray rawResponse)
    : m_message(std::move(message)), m_httpStatus(httpStatus), m_serviceCode(serviceCode),
      m_raw(std::move(rawResponse)), m_utf8(m_message.toUtf8())
{
}

namespace {

QString joinDetails(const QJsonValue& v)
{
    QStringList out;
    if (v.isArray()) {
        for (const QJsonValue& d : v.toArray())
            if (!d.toString().trimmed().isEmpty()) out << d.toString().trimmed();
    } else if (v.isString() && !v.toString().trimmed().isEmpty()) {
        out << v.toString().trimmed();
    }
    return out.join(QStringLiteral("; "));
}

// One "description (kod N): details" line per listed error.
struct Parsed
{
    QStringList lines;
    int firstCode = 0;
};

void addLine(Parsed& p, int code, const QString& description, const QString& details)
{
    if (p.firstCode == 0) p.firstCode = code;
    QString line = description.trimmed();
    if (code != 0) line += QStringLiteral(" (kod %1)").arg(code);
    if (!details.isEmpty()) line += QStringLiteral(": ") + details;
    if (!line.trimmed().isEmpty()) p.lines << line.trimmed();
}

Parsed parseLegacy(const QJsonObject& exception)
{
    Parsed p;
    for (const QJsonValue& v : exception.value(QStringLiteral("exceptionDetailList")).toArray()) {
        const QJsonObject e = v.toObject();
        addLine(p, e.value(QStringLiteral("exceptionCode")).toInt(),
                e.value(QStringLiteral("exceptionDescription")).toString(),
                joinDetails(e.value(QStringLiteral("details"))));
    }
    return p;
}

Parsed parseProblem(const QJsonObject& o)
{
    Parsed p;
    for (const QJsonValue& v : o.value(QStringLiteral("errors")).toArray()) {
        const QJsonObject e = v.toObject();
        addLine(p, e.value(QStringLiteral("code")).toInt(), e.value(QStringLiteral("description")).toString(),
                joinDetails(e.value(QStringLiteral("details"))));
    }
    if (p.lines.isEmpty()) {
        QString text = o.value(QStringLiteral("detail")).toString().trimmed();
        if (text.isEmpty()) text = o.value(QStringLiteral("title")).toString().trimmed();
        const QString reason = o.value(QStringLiteral("reasonCode")).toString();
        if (!reason.isEmpty()) text += QStringLiteral(" [%1]").arg(reason);
        if (!text.isEmpty()) p.lines << text;
    }
    return p;
}

} // namespace

EKsefError KsefErrorFromResponse(const QString& operation, int httpStatus, const QByteArray& body)
{
    Parsed p;
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    if (doc.isObject()) {
        const QJsonObject o = doc.object();
        if (o.contains(QStringLiteral("exception")))
            p = parseLegacy(o.value(QStringLiteral("exception")).toObject());
        else if (o.contains(QStringLiteral("errors")) || o.contains(QStringLiteral("title")) ||
                 o.contains(QStringLiteral("detail")))
            p = parseProblem(o);
    }
    QString text = QStringLiteral("%1: KSeF odpowiedział błędem HTTP %2").arg(operation).arg(httpStatus);
    if (!p.lines.isEmpty()) {
        text += QStringLiteral(": ") + p.lines.join(QStringLiteral("; "));
    } else {
        // Not one of the service's shapes (a proxy page, an empty body): show its start.
        const QString raw = QString::fromUtf8(body.left(300)).simplified();
        if (!raw.isEmpty()) text += QStringLiteral(": ") + raw;
    }
    return EKsefError(text, httpStatus, p.firstCode, body);
}
