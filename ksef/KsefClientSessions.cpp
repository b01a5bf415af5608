// Online and batch sessions, statuses and receipts of TKsefClient.
#include "ksef/KsefClient.h"

#include "ksef/KsefCrypto.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefStream.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUrl>

#include <zip.h>

namespace {

QJsonObject formCodeFa3()
{
    QJsonObject o;
    o.insert(QStringLiteral("systemCode"), QStringLiteral("FA (3)"));
    o.insert(QStringLiteral("schemaVersion"), QStringLiteral("1-0E"));
    o.insert(QStringLiteral("value"), QStringLiteral("FA"));
    return o;
}

QString enc(const QString& s)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(s));
}

void requireReference(const QString& ref, const QString& what)
{
    if (ref.trimmed().isEmpty()) throw EKsefError(QStringLiteral("Brak numeru referencyjnego: ") + what);
}

// The files of a package, or an error when it is not a readable zip or holds nothing.
QStringList zipEntries(const QString& path)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!z) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        const QString text = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        throw EKsefError(QStringLiteral("Plik nie jest poprawnym archiwum ZIP: %1 (%2)").arg(path, text));
    }
    QStringList names;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* name = zip_get_name(z, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (name && !QString::fromUtf8(name).endsWith(QLatin1Char('/'))) names << QString::fromUtf8(name);
    }
    zip_discard(z);
    if (names.isEmpty()) throw EKsefError(QStringLiteral("Paczka nie zawiera żadnego pliku: ") + path);
    return names;
}

} // namespace

void TKsefClient::checkStatusNumber(const TKsefInvoiceStatus& status) const
{
    // A success without a proper number would be stored as final: refuse it.
    if (status.Status.Code == 200 && !KsefNumberValid(status.KsefNumber))
        throw EKsefError(
            QStringLiteral("KSeF zgłosił przyjęcie faktury %1 z nieprawidłowym numerem KSeF \"%2\"")
                .arg(status.ReferenceNumber, status.KsefNumber));
}

// ---------------------------------------------------------------- online session

QString TKsefClient::OpenOnlineSession()
{
    TSymmetricKey key{KsefCrypto::RandomBytes(32), KsefCrypto::RandomBytes(16)};
    const QJsonObject o = withEncryption(key, [&](const QJsonObject& encryption) {
        QJsonObject body;
        body.insert(QStringLiteral("formCode"), formCodeFa3());
        body.insert(QStringLiteral("encryption"), encryption);
        return callJson(QStringLiteral("Otwarcie sesji interaktywnej"), "POST",
                        QStringLiteral("/sessions/online"), body, TAuth::AccessToken, {200, 201});
    });
    const QString ref = o.value(QStringLiteral("referenceNumber")).toString();
    if (ref.isEmpty())
        throw EKsefError(QStringLiteral("Otwarcie sesji interaktywnej: KSeF nie przekazał numeru sesji"));
    m_onlineReference = ref;
    m_onlineKey = key;
    return ref;
}

QString TKsefClient::SendInvoice(const QString& path, bool offlineMode, const QString& hashOfCorrectedInvoice)
{
    if (m_onlineReference.isEmpty())
        throw EKsefError(QStringLiteral("Wysyłka faktury: brak otwartej sesji interaktywnej KSeF"));
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        throw EKsefError(
            QStringLiteral("Wysyłka faktury: nie można odczytać pliku faktury \"%1\"").arg(path));
    const QByteArray plain = f.readAll();
    if (plain.isEmpty())
        throw EKsefError(QStringLiteral("Wysyłka faktury: plik faktury jest pusty: ") + path);
    const QByteArray cipher = KsefCrypto::Aes256CbcEncrypt(plain, m_onlineKey.Key, m_onlineKey.Iv);

    QJsonObject body;
    body.insert(QStringLiteral("invoiceHash"), KsefCrypto::Sha256Base64(plain));
    body.insert(QStringLiteral("invoiceSize"), static_cast<qint64>(plain.size()));
    body.insert(QStringLiteral("encryptedInvoiceHash"), KsefCrypto::Sha256Base64(cipher));
    body.insert(QStringLiteral("encryptedInvoiceSize"), static_cast<qint64>(cipher.size()));
    body.insert(QStringLiteral("encryptedInvoiceContent"), QString::fromLatin1(cipher.toBase64()));
    body.insert(QStringLiteral("offlineMode"), offlineMode);
    if (!hashOfCorrectedInvoice.isEmpty())
        body.insert(QStringLiteral("hashOfCorrectedInvoice"), hashOfCorrectedInvoice);
    const QJsonObject o = callJson(QStringLiteral("Wysyłka faktury"), "POST",
                                   QStringLiteral("/sessions/online/%1/invoices").arg(enc(m_onlineReference)),
                                   body, TAuth::AccessToken, {200, 201, 202});
    const QString ref = o.value(QStringLiteral("referenceNumber")).toString();
    if (ref.isEmpty())
        throw EKsefError(QStringLiteral("Wysyłka faktury: KSeF nie przekazał numeru referencyjnego faktury"));
    return ref;
}

void TKsefClient::CloseOnlineSession(const QString& referenceNumber)
{
    const QString ref = referenceNumber.isEmpty() ? m_onlineReference : referenceNumber;
    requireReference(ref, QStringLiteral("sesja interaktywna do zamknięcia"));
    call(QStringLiteral("Zamknięcie sesji interaktywnej"), "POST",
         QStringLiteral("/sessions/online/%1/close").arg(enc(ref)), QByteArray(), TAuth::AccessToken,
         {200, 204});
    if (ref == m_onlineReference) m_onlineKey = TSymmetricKey();
}

TKsefInvoiceStatus TKsefClient::InvoiceStatus(const QString& sessionReference,
                                              const QString& invoiceReference)
{
    requireReference(sessionReference, QStringLiteral("sesja"));
    requireReference(invoiceReference, QStringLiteral("faktura"));
    QByteArray raw;
    const QJsonObject o =
        callJson(QStringLiteral("Status faktury"), "GET",
                 QStringLiteral("/sessions/%1/invoices/%2").arg(enc(sessionReference), enc(invoiceReference)),
                 QJsonObject(), TAuth::AccessToken, {200}, &raw);
    TKsefInvoiceStatus s = KsefParseInvoiceStatus(o);
    s.RawResponse = raw;
    checkStatusNumber(s);
    return s;
}

TKsefSessionStatus TKsefClient::SessionStatus(const QString& sessionReference)
{
    requireReference(sessionReference, QStringLiteral("sesja"));
    QByteArray raw;
    const QJsonObject o = callJson(QStringLiteral("Status sesji"), "GET",
                                   QStringLiteral("/sessions/%1").arg(enc(sessionReference)), QJsonObject(),
                                   TAuth::AccessToken, {200}, &raw);
    TKsefSessionStatus s = KsefParseSessionStatus(o);
    s.RawResponse = raw;
    return s;
}

TKsefSessionInvoices TKsefClient::SessionInvoices(const QString& sessionReference,
                                                  const QString& continuationToken, int pageSize)
{
    requireReference(sessionReference, QStringLiteral("sesja"));
    QList<QPair<QByteArray, QByteArray>> headers;
    if (!continuationToken.isEmpty())
        headers << qMakePair(QByteArrayLiteral("x-continuation-token"), continuationToken.toUtf8());
    TKsefSessionInvoices page;
    const QJsonObject o = callJson(QStringLiteral("Lista faktur sesji"), "GET",
                                   QStringLiteral("/sessions/%1/invoices?pageSize=%2")
                                       .arg(enc(sessionReference))
                                       .arg(qBound(10, pageSize, 1000)),
                                   QJsonObject(), TAuth::AccessToken, {200}, &page.RawResponse, headers);
    for (const QJsonValue& v : o.value(QStringLiteral("invoices")).toArray()) {
        TKsefInvoiceStatus s = KsefParseInvoiceStatus(v.toObject());
        checkStatusNumber(s);
        page.Invoices << s;
    }
    page.ContinuationToken = o.value(QStringLiteral("continuationToken")).toString();
    return page;
}

// ---------------------------------------------------------------- batch session

TKsefBatch TKsefClient::PrepareBatch(const QString& zipPath, const QString& outputPath, qint64 maxPartSize)
{
    static constexpr qint64 kApiPartLimit = 100'000'000;
    static constexpr qint64 kApiFileLimit = 5'000'000'000;
    static constexpr int kApiMaxParts = 50;
    if (maxPartSize <= 0 || maxPartSize > kApiPartLimit) maxPartSize = kApiPartLimit;

    TKsefBatch batch;
    batch.ZipFile = zipPath;
    batch.Files = zipEntries(zipPath);
    QFile zip(zipPath);
    if (!zip.open(QIODevice::ReadOnly))
        throw EKsefError(QStringLiteral("Nie można odczytać paczki: ") + zipPath);
    batch.FileSize = zip.size();
    if (batch.FileSize > kApiFileLimit)
        throw EKsefError(QStringLiteral("Paczka %1 jest większa niż 5 GB").arg(zipPath));
    if ((batch.FileSize + maxPartSize - 1) / maxPartSize > kApiMaxParts)
        throw EKsefError(
            QStringLiteral("Paczka %1 dzieli się na więcej niż %2 części").arg(zipPath).arg(kApiMaxParts));
    batch.Key = KsefCrypto::RandomBytes(32);
    batch.Iv = KsefCrypto::RandomBytes(16);

    // The zip is cut into parts as it is, then every part is encrypted on its own.
    KsefCrypto::TSha256 whole;
    for (int ordinal = 1; !zip.atEnd(); ++ordinal) {
        const QByteArray piece = zip.read(maxPartSize);
        if (piece.isEmpty()) break;
        whole.Add(piece);
        const QByteArray cipher = KsefCrypto::Aes256CbcEncrypt(piece, batch.Key, batch.Iv);
        TKsefBatchPart part;
        part.OrdinalNumber = ordinal;
        part.FileName = ordinal == 1 ? outputPath : outputPath + QStringLiteral(".%1").arg(ordinal);
        part.FileSize = cipher.size();
        part.FileHash = KsefCrypto::Sha256Base64(cipher);
        QSaveFile out(part.FileName);
        if (!out.open(QIODevice::WriteOnly) || out.write(cipher) != cipher.size() || !out.commit())
            throw EKsefError(QStringLiteral("Nie można zapisać zaszyfrowanej części paczki: ") +
                             part.FileName);
        batch.Parts << part;
    }
    batch.FileHash = QString::fromLatin1(whole.Result().toBase64());
    return batch;
}

TKsefBatchOpening TKsefClient::OpenBatchSession(const TKsefBatch& batch, bool offlineMode)
{
    if (batch.Parts.isEmpty() || batch.Key.size() != 32)
        throw EKsefError(QStringLiteral("Otwarcie sesji wsadowej: paczka nie została przygotowana"));
    QJsonArray parts;
    for (const TKsefBatchPart& p : batch.Parts) {
        QJsonObject o;
        o.insert(QStringLiteral("ordinalNumber"), p.OrdinalNumber);
        o.insert(QStringLiteral("fileSize"), p.FileSize);
        o.insert(QStringLiteral("fileHash"), p.FileHash);
        parts.append(o);
    }
    QJsonObject file;
    file.insert(QStringLiteral("fileSize"), batch.FileSize);
    file.insert(QStringLiteral("fileHash"), batch.FileHash);
    file.insert(QStringLiteral("fileParts"), parts);

    TKsefBatchOpening opening;
    const TSymmetricKey key{batch.Key, batch.Iv};
    const QJsonObject o = withEncryption(key, [&](const QJsonObject& encryption) {
        QJsonObject body;
        body.insert(QStringLiteral("formCode"), formCodeFa3());
        body.insert(QStringLiteral("batchFile"), file);
        body.insert(QStringLiteral("encryption"), encryption);
        body.insert(QStringLiteral("offlineMode"), offlineMode);
        return callJson(QStringLiteral("Otwarcie sesji wsadowej"), "POST", QStringLiteral("/sessions/batch"),
                        body, TAuth::AccessToken, {200, 201}, &opening.RawResponse);
    });
    opening.ReferenceNumber = o.value(QStringLiteral("referenceNumber")).toString();
    for (const QJsonValue& v : o.value(QStringLiteral("partUploadRequests")).toArray()) {
        const QJsonObject r = v.toObject();
        TKsefPartUploadRequest req;
        req.OrdinalNumber = r.value(QStringLiteral("ordinalNumber")).toInt();
        req.Method = r.value(QStringLiteral("method")).toString(QStringLiteral("PUT"));
        req.Url = r.value(QStringLiteral("url")).toString();
        const QJsonObject h = r.value(QStringLiteral("headers")).toObject();
        for (auto it = h.begin(); it != h.end(); ++it)
            req.Headers << qMakePair(it.key().toUtf8(), it.value().toString().toUtf8());
        opening.PartUploadRequests << req;
    }
    if (opening.ReferenceNumber.isEmpty() || opening.PartUploadRequests.size() != batch.Parts.size())
        throw EKsefError(
            QStringLiteral("Otwarcie sesji wsadowej: KSeF nie przekazał numeru sesji lub adresów "
                           "wysyłki części paczki"),
            0, 0, opening.RawResponse);
    m_batchReference = opening.ReferenceNumber;
    return opening;
}

void TKsefClient::UploadBatchPart(const TKsefPartUploadRequest& request, TKsefFileStream& stream)
{
    if (request.Url.isEmpty()) throw EKsefError(QStringLiteral("Wysyłka części paczki: brak adresu wysyłki"));
    const QByteArray data = stream.ReadAll();
    TKsefHttpHeaders headers = request.Headers;
    bool typed = false;
    for (const auto& h : headers)
        typed = typed || h.first.toLower() == "content-type";
    if (!typed)
        headers << qMakePair(QByteArrayLiteral("Content-Type"),
                             QByteArrayLiteral("application/octet-stream"));
    // The address is pre-signed: the access token must not travel with it.
    const QString operation = QStringLiteral("Wysyłka części %1 paczki").arg(request.OrdinalNumber);
    const TKsefHttpResponse r = http().Send(
        operation, request.Method.isEmpty() ? QByteArrayLiteral("PUT") : request.Method.toLatin1(),
        request.Url, headers, data);
    if (r.Status != 200 && r.Status != 201) throw KsefErrorFromResponse(operation, r.Status, r.Body);
}

void TKsefClient::CloseBatchSession(const QString& referenceNumber)
{
    const QString ref = referenceNumber.isEmpty() ? m_batchReference : referenceNumber;
    requireReference(ref, QStringLiteral("sesja wsadowa do zamknięcia"));
    call(QStringLiteral("Zamknięcie sesji wsadowej"), "POST",
         QStringLiteral("/sessions/batch/%1/close").arg(enc(ref)), QByteArray(), TAuth::AccessToken,
         {200, 204});
}

// ---------------------------------------------------------------- receipts

QByteArray TKsefClient::DownloadUpo(const QString& sessionReference, const QString& invoiceReference,
                                    const QString& filePath)
{
    requireReference(sessionReference, QStringLiteral("sesja"));
    requireReference(invoiceReference, QStringLiteral("faktura"));
    const QString operation = QStringLiteral("Pobranie UPO");
    const TKsefHttpResponse r =
        call(operation, "GET",
             QStringLiteral("/sessions/%1/invoices/%2/upo").arg(enc(sessionReference), enc(invoiceReference)),
             QByteArray(), TAuth::AccessToken, {200}, {{"Accept", "application/xml"}});
    const QByteArray hash = r.Header("x-ms-meta-hash");
    if (!hash.isEmpty() && QString::fromLatin1(hash) != KsefCrypto::Sha256Base64(r.Body))
        throw EKsefError(operation +
                             QStringLiteral(": skrót pobranego UPO nie zgadza się z podanym przez KSeF"),
                         r.Status, 0, r.Body);
    if (!r.Body.trimmed().startsWith('<'))
        throw EKsefError(operation + QStringLiteral(": KSeF nie przekazał dokumentu XML"), r.Status, 0,
                         r.Body);
    QSaveFile out(filePath);
    if (!out.open(QIODevice::WriteOnly) || out.write(r.Body) != r.Body.size() || !out.commit())
        throw EKsefError(QStringLiteral("Nie można zapisać UPO w pliku: ") + filePath);
    return r.Body;
}
