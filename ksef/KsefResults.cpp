#include "ksef/KsefResults.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QVariant>

namespace {

QString text(const QJsonValue& v)
{
    if (v.isString()) return v.toString();
    if (v.isDouble()) return v.toVariant().toString();
    if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QString();
}

QString str(const QJsonObject& o, const char* key)
{
    return text(o.value(QLatin1String(key)));
}
QDateTime date(const QJsonObject& o, const char* key)
{
    return KsefParseDateTime(str(o, key));
}
qint64 num(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toInteger();
}

QString dateText(const QDateTime& d)
{
    return d.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

} // namespace

bool TKsefToken::IsValid(int marginSeconds) const
{
    if (Token.isEmpty()) return false;
    return !ValidUntil.isValid() || QDateTime::currentDateTimeUtc().addSecs(marginSeconds) < ValidUntil;
}

QDateTime KsefParseDateTime(const QString& t)
{
    if (t.isEmpty()) return QDateTime();
    QDateTime d = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!d.isValid()) d = QDateTime::fromString(t, Qt::ISODate);
    return d;
}

TKsefStatus KsefParseStatus(const QJsonObject& o)
{
    TKsefStatus s;
    s.Code = static_cast<int>(num(o, "code"));
    s.Description = str(o, "description");
    const QJsonValue details = o.value(QStringLiteral("details"));
    if (details.isArray()) {
        for (const QJsonValue& d : details.toArray())
            s.Details << text(d);
    } else if (!text(details).isEmpty()) {
        s.Details << text(details);
    }
    return s;
}

TKsefToken KsefParseToken(const QJsonObject& o)
{
    return TKsefToken{str(o, "token"), date(o, "validUntil")};
}

TKsefInvoiceStatus KsefParseInvoiceStatus(const QJsonObject& o)
{
    TKsefInvoiceStatus s;
    s.OrdinalNumber = static_cast<int>(num(o, "ordinalNumber"));
    s.ReferenceNumber = str(o, "referenceNumber");
    s.KsefNumber = str(o, "ksefNumber");
    s.InvoiceNumber = str(o, "invoiceNumber");
    s.InvoiceHash = str(o, "invoiceHash");
    s.InvoiceFileName = str(o, "invoiceFileName");
    s.InvoicingMode = str(o, "invoicingMode");
    s.UpoDownloadUrl = str(o, "upoDownloadUrl");
    s.AcquisitionDate = date(o, "acquisitionDate");
    s.InvoicingDate = date(o, "invoicingDate");
    s.PermanentStorageDate = date(o, "permanentStorageDate");
    s.Status = KsefParseStatus(o.value(QStringLiteral("status")).toObject());
    return s;
}

TKsefSessionStatus KsefParseSessionStatus(const QJsonObject& o)
{
    TKsefSessionStatus s;
    s.Status = KsefParseStatus(o.value(QStringLiteral("status")).toObject());
    s.DateCreated = date(o, "dateCreated");
    s.DateUpdated = date(o, "dateUpdated");
    s.ValidUntil = date(o, "validUntil");
    s.InvoiceCount = static_cast<int>(num(o, "invoiceCount"));
    s.SuccessfulInvoiceCount = static_cast<int>(num(o, "successfulInvoiceCount"));
    s.FailedInvoiceCount = static_cast<int>(num(o, "failedInvoiceCount"));
    for (const QJsonValue& v :
         o.value(QStringLiteral("upo")).toObject().value(QStringLiteral("pages")).toArray()) {
        const QJsonObject p = v.toObject();
        s.UpoPages << TKsefUpoPage{str(p, "referenceNumber"), str(p, "downloadUrl"),
                                   date(p, "downloadUrlExpirationDate")};
    }
    return s;
}

QString TKsefInvoiceMetadata::Text(const QString& path) const
{
    QJsonValue v = Raw;
    for (const QString& key : path.split(QLatin1Char('.')))
        v = v.toObject().value(key);
    return text(v);
}

TKsefInvoiceMetadata KsefParseInvoiceMetadata(const QJsonObject& o)
{
    TKsefInvoiceMetadata m;
    m.Raw = o;
    m.KsefNumber = str(o, "ksefNumber");
    m.InvoiceNumber = str(o, "invoiceNumber");
    m.IssueDate = str(o, "issueDate");
    m.InvoicingDate = str(o, "invoicingDate");
    m.AcquisitionDate = str(o, "acquisitionDate");
    m.PermanentStorageDate = str(o, "permanentStorageDate");
    m.SellerNip = m.Text(QStringLiteral("seller.nip"));
    m.SellerName = m.Text(QStringLiteral("seller.name"));
    m.BuyerIdentifier = m.Text(QStringLiteral("buyer.identifier.value"));
    m.BuyerName = m.Text(QStringLiteral("buyer.name"));
    m.NetAmount = str(o, "netAmount");
    m.GrossAmount = str(o, "grossAmount");
    m.VatAmount = str(o, "vatAmount");
    m.Currency = str(o, "currency");
    m.InvoiceType = str(o, "invoiceType");
    return m;
}

TKsefExportPackage KsefParseExportPackage(const QJsonObject& o)
{
    TKsefExportPackage p;
    p.InvoiceCount = static_cast<int>(num(o, "invoiceCount"));
    p.Size = num(o, "size");
    p.IsTruncated = o.value(QStringLiteral("isTruncated")).toBool();
    p.PermanentStorageHwmDate = date(o, "permanentStorageHwmDate");
    for (const QJsonValue& v : o.value(QStringLiteral("parts")).toArray()) {
        const QJsonObject x = v.toObject();
        TKsefExportPart part;
        part.OrdinalNumber = static_cast<int>(num(x, "ordinalNumber"));
        part.PartName = str(x, "partName");
        part.Method = str(x, "method");
        part.Url = str(x, "url");
        part.PartSize = num(x, "partSize");
        part.PartHash = str(x, "partHash");
        part.EncryptedPartSize = num(x, "encryptedPartSize");
        part.EncryptedPartHash = str(x, "encryptedPartHash");
        part.ExpirationDate = date(x, "expirationDate");
        p.Parts << part;
    }
    return p;
}

QJsonObject TKsefInvoiceQueryFilters::ToJson() const
{
    static const char* subjects[] = {"Subject1", "Subject2", "Subject3", "SubjectAuthorized"};
    static const char* dateTypes[] = {"Issue", "Invoicing", "PermanentStorage"};
    QJsonObject range;
    range.insert(QStringLiteral("dateType"),
                 QLatin1String(
                     dateTypes[DateRange.DateType >= 0 && DateRange.DateType <= 2 ? DateRange.DateType : 0]));
    range.insert(QStringLiteral("from"), dateText(DateRange.From));
    if (DateRange.To.isValid()) range.insert(QStringLiteral("to"), dateText(DateRange.To));
    if (DateRange.RestrictToPermanentStorageHwmDate)
        range.insert(QStringLiteral("restrictToPermanentStorageHwmDate"), true);
    QJsonObject o;
    o.insert(QStringLiteral("subjectType"),
             QLatin1String(subjects[SubjectType >= 1 && SubjectType <= 4 ? SubjectType - 1 : 0]));
    o.insert(QStringLiteral("dateRange"), range);
    if (!KsefNumber.isEmpty()) o.insert(QStringLiteral("ksefNumber"), KsefNumber);
    if (!InvoiceNumber.isEmpty()) o.insert(QStringLiteral("invoiceNumber"), InvoiceNumber);
    if (!SellerNip.isEmpty()) o.insert(QStringLiteral("sellerNip"), SellerNip);
    return o;
}

quint8 KsefCrc8(const QByteArray& data)
{
    quint8 crc = 0;
    for (const char ch : data) {
        crc ^= static_cast<quint8>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? static_cast<quint8>((crc << 1) ^ 0x07) : static_cast<quint8>(crc << 1);
    }
    return crc;
}

bool KsefNumberValid(const QString& number)
{
    static const QRegularExpression form(QStringLiteral("^[1-9]\\d{9}-\\d{8}-[0-9A-F]{12}-[0-9A-F]{2}$"));
    if (!form.match(number).hasMatch()) return false;
    const QString crc =
        QStringLiteral("%1").arg(KsefCrc8(number.left(32).toLatin1()), 2, 16, QLatin1Char('0')).toUpper();
    return number.right(2) == crc;
}
