#pragma once
// Result objects of the KSeF client. Members carry the names of the API's answers;
// Status.Code 200 means done. Every result keeps the raw answer for the log.
#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct TKsefStatus
{
    int Code = 0;
    QString Description;
    QStringList Details;

    // The details as one text, joined by "; ".
    QString DetailsStr() const { return Details.join(QStringLiteral("; ")); }
};

struct TKsefToken
{
    QString Token;
    QDateTime ValidUntil;

    bool IsEmpty() const { return Token.isEmpty(); }
    // Valid for at least MarginSeconds more (an unknown end counts as valid).
    bool IsValid(int marginSeconds = 0) const;
};

struct TKsefTokens
{
    TKsefToken AccessToken;
    TKsefToken RefreshToken;
};

// Answer to the signed AuthTokenRequest.
struct TKsefAuthResult
{
    QString ReferenceNumber;
    TKsefToken AuthenticationToken;
    QByteArray RawResponse;
};

struct TKsefAuthStatus
{
    TKsefStatus Status;
    QDateTime StartDate;
    QString AuthenticationMethod;
    QByteArray RawResponse;
};

// Status of one invoice of a session (single status or an item of a session's list).
struct TKsefInvoiceStatus
{
    int OrdinalNumber = 0;
    QString ReferenceNumber;
    QString KsefNumber;
    QString InvoiceNumber;
    QString InvoiceHash;
    QString InvoiceFileName; // batch sessions: the file's name inside the package
    QString InvoicingMode;
    QString UpoDownloadUrl;
    QDateTime AcquisitionDate;
    QDateTime InvoicingDate;
    QDateTime PermanentStorageDate;
    TKsefStatus Status;
    QByteArray RawResponse; // single status only
};

struct TKsefUpoPage
{
    QString ReferenceNumber;
    QString DownloadUrl;
    QDateTime DownloadUrlExpirationDate;
};

struct TKsefSessionStatus
{
    TKsefStatus Status;
    QDateTime DateCreated;
    QDateTime DateUpdated;
    QDateTime ValidUntil;
    QList<TKsefUpoPage> UpoPages;
    int InvoiceCount = 0;
    int SuccessfulInvoiceCount = 0;
    int FailedInvoiceCount = 0;
    QByteArray RawResponse;
};

// One page of a session's invoice list; ContinuationToken empty on the last page.
struct TKsefSessionInvoices
{
    QList<TKsefInvoiceStatus> Invoices;
    QString ContinuationToken;
    QByteArray RawResponse;
};

struct TKsefBatchPart
{
    int OrdinalNumber = 0;
    QString FileName;    // the encrypted part on disk
    qint64 FileSize = 0; // of the encrypted part
    QString FileHash;    // SHA-256 Base64 of the encrypted part
};

// A package made ready for a batch session: the encrypted parts on disk and the key
// they were encrypted with (which OpenBatchSession sends wrapped for KSeF).
struct TKsefBatch
{
    QString ZipFile;
    qint64 FileSize = 0; // of the whole zip, before encryption
    QString FileHash;
    QStringList Files; // names inside the zip
    QList<TKsefBatchPart> Parts;
    QByteArray Key;
    QByteArray Iv;
};

struct TKsefPartUploadRequest
{
    int OrdinalNumber = 0;
    QString Method;
    QString Url;
    QList<QPair<QByteArray, QByteArray>> Headers;
};

struct TKsefBatchOpening
{
    QString ReferenceNumber;
    QList<TKsefPartUploadRequest> PartUploadRequests;
    QByteArray RawResponse;
};

// Role of our company in the invoices searched for.
enum TKsefSubjectType
{
    kstSeller = 1,     // Subject1
    kstBuyer = 2,      // Subject2
    kstThirdParty = 3, // Subject3
    kstAuthorized = 4, // SubjectAuthorized
};

// Which date the range applies to.
enum TKsefDateType
{
    kdtIssue = 0,
    kdtInvoicing = 1,
    kdtPermanentStorage = 2,
};

struct TKsefDateRange
{
    int DateType = kdtIssue;
    QDateTime From;
    QDateTime To; // invalid: open end
    bool RestrictToPermanentStorageHwmDate = false;
};

struct TKsefInvoiceQueryFilters
{
    int SubjectType = kstSeller;
    TKsefDateRange DateRange;
    QString KsefNumber;
    QString InvoiceNumber;
    QString SellerNip;

    QJsonObject ToJson() const;
};

// One invoice found by a query. Amounts are texts with a decimal point.
struct TKsefInvoiceMetadata
{
    QString KsefNumber;
    QString InvoiceNumber;
    QString IssueDate;
    QString InvoicingDate;
    QString AcquisitionDate;
    QString PermanentStorageDate;
    QString SellerNip;
    QString SellerName;
    QString BuyerIdentifier;
    QString BuyerName;
    QString NetAmount;
    QString GrossAmount;
    QString VatAmount;
    QString Currency;
    QString InvoiceType;
    QJsonObject Raw;

    // Any member of the answer by its JSON path ("seller.nip"), as text; empty when absent.
    QString Text(const QString& path) const;
};

struct TKsefInvoiceQueryResult
{
    QList<TKsefInvoiceMetadata> Invoices;
    bool HasMore = false;
    bool IsTruncated = false;
    QDateTime PermanentStorageHwmDate;
    QByteArray RawResponse;
};

struct TKsefExportPart
{
    int OrdinalNumber = 0;
    QString PartName;
    QString Method;
    QString Url;
    qint64 PartSize = 0;
    QString PartHash;
    qint64 EncryptedPartSize = 0;
    QString EncryptedPartHash;
    QDateTime ExpirationDate;
};

struct TKsefExportPackage
{
    int InvoiceCount = 0;
    qint64 Size = 0;
    bool IsTruncated = false;
    QDateTime PermanentStorageHwmDate;
    QList<TKsefExportPart> Parts;
};

struct TKsefExportStatus
{
    QString ReferenceNumber;
    TKsefStatus Status;
    TKsefExportPackage Package;
    QByteArray RawResponse;
};

// Readers of the API's JSON answers.
TKsefStatus KsefParseStatus(const QJsonObject& o);
TKsefToken KsefParseToken(const QJsonObject& o);
TKsefInvoiceStatus KsefParseInvoiceStatus(const QJsonObject& o);
TKsefSessionStatus KsefParseSessionStatus(const QJsonObject& o);
TKsefInvoiceMetadata KsefParseInvoiceMetadata(const QJsonObject& o);
TKsefExportPackage KsefParseExportPackage(const QJsonObject& o);
QDateTime KsefParseDateTime(const QString& text);

// KSeF numbers: NIP-YYYYMMDD-12 hex-CRC, 35 characters; the CRC-8 (polynomial 0x07,
// initial 0, no reflection, no final XOR) of the first 32 characters as two hex digits.
quint8 KsefCrc8(const QByteArray& data);
bool KsefNumberValid(const QString& number);
