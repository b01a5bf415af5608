#pragma once
// Printing and e-mailing one document from the lists, and the hooks to the
// parts the lists call that live elsewhere (or are not in this version yet):
// an unset hook tells the operator the function is not available.
#include "core/DialogPL.h"

#include <QString>
#include <functional>

struct TListHooks
{
    // Correction / payment demand printout: preview on the paper printer or direct on the PDF printer.
    std::function<void(int fvkIndex, const QString& printerName, bool pdf)> printCorrection;
    std::function<void(int pzIndex, const QString& printerName, bool pdf)> printDemand;
    // Cash receipt (KP) of one payment.
    std::function<void(int oIndex, const QString& printerName, bool pdf)> printCashReceipt;
    // The payment dialog on one payment row: posts it and answers whether the operator saved.
    std::function<bool(int oIndex)> editPayment;
    // Export of the documents of an IdWhere in the accounting format ("FS").
    std::function<void(const QString& kind, const QString& idWhere)> exportMkrp;
    // Payment call window and interest notes, for one subscriber.
    std::function<void(int userIndex)> paymentCall;
    std::function<void(int userIndex)> interestNotes;
    // The subscriber card.
    std::function<void(int userIndex)> showUserCard;
};
TListHooks& ListHooks();

// "DrukarkaPapier" or "DrukarkaPDF" of the operator.
QString ListPrinterName(bool pdf);

// QR files of an invoice ('F') or correction ('K') from its KSeF number and offline links.
void MakeDocumentQrFiles(char kind, int key, const QString& ksefNumber, const QString& linkOffline,
                         const QString& linkCertOffline);

// Invoice print (preview) or PDF; a duplicate with its date on paper only.
void PrintListedInvoice(int fvIndex, bool pdf, bool duplicate, const QString& duplicateDate);
// Correction print or PDF with its QR files.
void PrintListedCorrection(int fvkIndex, bool pdf);
void PrintListedDemand(int pzIndex, bool pdf);

// One document as a PDF to the subscriber's address.
struct TEmailJob
{
    QString address;
    QString fileName;              // the PDF the printer writes into the export folder
    std::function<void()> makePdf; // the PDF run
    int firstWaitMs = 3000;
    int secondWaitMs = 5000; // 0: no second run
    QString subject;
    int userIndex = 0;
};
// The export folder's file for a document number: prefix + number with "/" as "_" + ".pdf".
QString DocumentPdfFile(const QString& prefix, const QString& number);
// Runs the job telling the operator the outcome.
void EmailListedDocument(const TEmailJob& job);

// Re-reads the shared payments dataset keeping its row (when it is open).
void RereadSharedPayments();
