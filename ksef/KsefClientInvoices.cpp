// Download, query and export of invoices by TKsefClient.
#include "ksef/KsefClient.h"

#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefStream.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <algorithm>

void TKsefClient::DownloadInvoice(const QString& ksefNumber, TKsefFileStream& stream,
                                  const QString& accessToken)
{
    const QString number = ksefNumber.trimmed();
    const QString operation = QStringLiteral("Pobranie faktury %1").arg(number);
    if (number.isEmpty()) throw EKsefError(QStringLiteral("Pobranie faktury: brak numeru KSeF"));
    const TKsefHttpResponse r =
        call(operation, "GET",
             QStringLiteral("/invoices/ksef/") + QString::fromLatin1(QUrl::toPercentEncoding(number)),
             QByteArray(), TAuth::AccessToken, {200}, {{"Accept", "application/xml"}},
             QByteArrayLiteral("application/json"), accessToken);
    const QByteArray hash = r.Header("x-ms-meta-hash");
    if (!hash.isEmpty() && QString::fromLatin1(hash) != KsefCrypto::Sha256Base64(r.Body))
        throw EKsefError(operation +
                             QStringLiteral(": skrót pobranej faktury nie zgadza się z podanym przez KSeF"),
                         r.Status, 0, r.Body);
    if (!r.Body.trimmed().startsWith('<'))
        throw EKsefError(operation + QStringLiteral(": KSeF nie przekazał dokumentu XML"), r.Status, 0,
                         r.Body);
    stream.Write(r.Body);
    stream.Close();
}

TKsefInvoiceQueryResult TKsefClient::QueryInvoices(const TKsefInvoiceQueryFilters& filters, int pageOffset,
                                                   int pageSize, int sortOrder)
{
    if (!filters.DateRange.From.isValid())
        throw EKsefError(QStringLiteral("Wyszukanie faktur: brak początku zakresu dat"));
    TKsefInvoiceQueryResult result;
    const QString path = QStringLiteral("/invoices/query/metadata?sortOrder=%1&pageOffset=%2&pageSize=%3")
                             .arg(sortOrder == 0 ? QStringLiteral("Desc") : QStringLiteral("Asc"))
                             .arg(qMax(0, pageOffset))
                             .arg(qBound(10, pageSize, 250));
    const QJsonObject o = callJson(QStringLiteral("Wyszukanie faktur"), "POST", path, filters.ToJson(),
                                   TAuth::AccessToken, {200}, &result.RawResponse);
    for (const QJsonValue& v : o.value(QStringLiteral("invoices")).toArray())
        result.Invoices << KsefParseInvoiceMetadata(v.toObject());
    result.HasMore = o.value(QStringLiteral("hasMore")).toBool();
    result.IsTruncated = o.value(QStringLiteral("isTruncated")).toBool();
    result.PermanentStorageHwmDate =
        KsefParseDateTime(o.value(QStringLiteral("permanentStorageHwmDate")).toString());
    return result;
}

QString TKsefClient::StartInvoiceExport(const TKsefInvoiceQueryFilters& filters, bool onlyMetadata)
{
    if (!filters.DateRange.From.isValid())
        throw EKsefError(QStringLiteral("Eksport faktur: brak początku zakresu dat"));
    TSymmetricKey key{KsefCrypto::RandomBytes(32), KsefCrypto::RandomBytes(16)};
    const QJsonObject o = withEncryption(key, [&](const QJsonObject& encryption) {
        QJsonObject body;
        body.insert(QStringLiteral("encryption"), encryption);
        body.insert(QStringLiteral("filters"), filters.ToJson());
        if (onlyMetadata) body.insert(QStringLiteral("onlyMetadata"), true);
        return callJson(QStringLiteral("Zlecenie eksportu faktur"), "POST",
                        QStringLiteral("/invoices/exports"), body, TAuth::AccessToken, {200, 201, 202});
    });
    const QString ref = o.value(QStringLiteral("referenceNumber")).toString();
    if (ref.isEmpty())
        throw EKsefError(QStringLiteral("Zlecenie eksportu faktur: KSeF nie przekazał numeru eksportu"));
    m_exportKeys.insert(ref, key);
    return ref;
}

TKsefExportStatus TKsefClient::InvoiceExportStatus(const QString& referenceNumber)
{
    if (referenceNumber.trimmed().isEmpty())
        throw EKsefError(QStringLiteral("Status eksportu: brak numeru eksportu"));
    TKsefExportStatus s;
    s.ReferenceNumber = referenceNumber;
    const QJsonObject o = callJson(QStringLiteral("Status eksportu faktur"), "GET",
                                   QStringLiteral("/invoices/exports/") +
                                       QString::fromLatin1(QUrl::toPercentEncoding(referenceNumber)),
                                   QJsonObject(), TAuth::AccessToken, {200}, &s.RawResponse);
    s.Status = KsefParseStatus(o.value(QStringLiteral("status")).toObject());
    s.Package = KsefParseExportPackage(o.value(QStringLiteral("package")).toObject());
    return s;
}

void TKsefClient::DownloadExportPart(const TKsefExportStatus& status, TKsefFileStream& stream, int partIndex)
{
    const QString operation = QStringLiteral("Pobranie paczki eksportu");
    if (status.Status.Code != 200)
        throw EKsefError(operation + QStringLiteral(": eksport nie jest gotowy (status %1 %2)")
                                         .arg(status.Status.Code)
                                         .arg(status.Status.Description));
    const auto key = m_exportKeys.constFind(status.ReferenceNumber);
    if (key == m_exportKeys.constEnd())
        throw EKsefError(operation +
                         QStringLiteral(": eksport %1 nie został zlecony przez ten program w tej sesji")
                             .arg(status.ReferenceNumber));
    QList<TKsefExportPart> parts = status.Package.Parts;
    std::sort(parts.begin(), parts.end(), [](const TKsefExportPart& a, const TKsefExportPart& b) {
        return a.OrdinalNumber < b.OrdinalNumber;
    });
    if (partIndex >= parts.size())
        throw EKsefError(operation + QStringLiteral(": eksport nie ma części nr %1").arg(partIndex + 1));
    if (partIndex >= 0) parts = {parts.at(partIndex)};

    try {
        for (const TKsefExportPart& part : parts) {
            const QString what = QStringLiteral("%1 (część %2)").arg(operation).arg(part.OrdinalNumber);
            // Pre-signed address: no token travels with it.
            const TKsefHttpResponse r = http().Send(
                what, part.Method.isEmpty() ? QByteArrayLiteral("GET") : part.Method.toLatin1(), part.Url);
            if (r.Status != 200) throw KsefErrorFromResponse(what, r.Status, r.Body);
            if ((part.EncryptedPartSize > 0 && r.Body.size() != part.EncryptedPartSize) ||
                (!part.EncryptedPartHash.isEmpty() &&
                 KsefCrypto::Sha256Base64(r.Body) != part.EncryptedPartHash))
                throw EKsefError(what + QStringLiteral(": pobrane dane są niekompletne lub uszkodzone"));
            const QByteArray plain = KsefCrypto::Aes256CbcDecrypt(r.Body, key->Key, key->Iv);
            if ((part.PartSize > 0 && plain.size() != part.PartSize) ||
                (!part.PartHash.isEmpty() && KsefCrypto::Sha256Base64(plain) != part.PartHash))
                throw EKsefError(what +
                                 QStringLiteral(": odszyfrowana część nie zgadza się ze skrótem KSeF"));
            stream.Write(plain);
        }
        stream.Close();
    } catch (...) {
        stream.Truncate();
        throw;
    }
}
