#pragma once
// What the program does with KSeF for its sales documents: opening the client
// for a company and mode, authentication, online sending of invoices and
// corrections, status readings with the KSeF number, receipts (UPO), offline
// registration with the verification links, batch packages and their
// statuses, downloads and the test-data cleanup.
//
// User-interface thread only, no widgets. Rows of the KSeF tables are written
// only after the client's calls succeeded. Errors of the client (EKsefError)
// and of the database reach the caller unless an operation says otherwise.
// Texts handed back are shown to the operator as they are.
#include <QDate>
#include <QString>

class TStartupProgress;

// ---- client and sessions
// Mode 1 online, 2 offline: both files of the pair are in the file store.
bool KsefCertificatesPresent(int mode);
// Mode 1 online, 0 offline. Text: "Wersja: ..." when the client is open,
// "Brak cert" when a certificate or key file is missing (no client is left
// in place then), "0" when an error interrupted the opening.
void KsefInit(int mode, int companyId, QString& text);
void KsefInitMain(int mode, QString& text);
// Authenticates the open client; Text: "Nr sesji: ...", the tokens' ends.
void KsefOpenSession(QString& text);
// Ends the authentication; Text "1", or "0" when KSeF reported an error.
void KsefCloseSession(QString& text);

// ---- online sending and statuses
// Text unchanged when the document is refused before sending (issued before
// the KSeF start date, already numbered); otherwise "Faktura wysłana do KSeF
// pod Nr referenc.: <ref>" or "Wysyłka się nie powiodła".
void KsefSendFv(int fvIndex, QString& text);
void KsefSendFvk(int fvkIndex, QString& text);
void KsefCheckFvStatus(int fvIndex, QString& text);
void KsefCheckFvkStatus(int fvkIndex, QString& text);
// The status details as the status text shows them: past 120 characters in
// three indented lines ("Info: " 85 characters, then 85, then the rest).
QString KsefStatusDetailsText(const QString& details);
void KsefCheckSession(const QString& sessionRef, QString& text);
void KsefListSessionInvoices(const QString& sessionRef);
// Kind 'F' invoices, 'K' corrections; Text: the batch session reference, or "0".
void KsefSendPackage(const QString& zipFile, char kind, QString& text);

// ---- offline mode and verification links
// Base64 SHA-256 of the file; empty when it does not exist.
void KsefFileHash(const QString& fileName, QString& hash);
void KsefInvoiceLink(int fvIndex, QString& link);
void KsefCorrectionLink(int fvkIndex, QString& link);
void KsefInvoiceCertificateLink(int fvIndex, QString& link);
void KsefCorrectionCertificateLink(int fvkIndex, QString& link);
void KsefSendFvOffline(int fvIndex, QString& text);
void KsefSendFvkOffline(int fvkIndex, QString& text);

// ---- receipts, downloads, batch statuses, cleanup
// Text "Zapisano UPO: <path>"; unchanged when the document has no KSeF row.
void KsefGetFvUpo(int fvIndex, QString& text);
void KsefGetFvkUpo(int fvkIndex, QString& text);
// Result: the downloaded file's path, or "Faktura o numerze <n> nie istnieje
// w KSeF", or the error that stopped the download; a blank number leaves it.
void KsefDownloadInvoice(const QString& ksefNumber, QString& result);
// HtmlFile: the page beside the XML file; empty after an error (shown).
void KsefXmlToHtml(const QString& xmlFile, QString& htmlFile);
// Text: the number of documents read ("0" when the reading failed).
void KsefReadSessionStatuses(const QString& sessionRef, char kind, QString& text);
// Deletes the rows of the demo and test environments; the splash, when given,
// shows the step. False after a database error (yesterday is then stored, so
// the next start tries again).
bool KsefClearTestData(TStartupProgress* splash = nullptr);
// The start-up check: the cleanup runs once a day after 31 January 2026.
bool KsefClearTestDataDue(const QDate& today);

// Texts of the operator's messages.
inline const QString KsefTextSendFailed = QStringLiteral("Wysyłka się nie powiodła");
inline const QString KsefTextBeforeStart =
    QStringLiteral("Faktura została wystawiona przed wdrożeniem KSeF 2.0");
