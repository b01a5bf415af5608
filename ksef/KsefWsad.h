#pragma once
// The work of the KSeF batch window that is not tied to one document: sending
// a package made by the bulk output, reading the statuses of a sent package,
// fetching one invoice by its KSeF number into the log and showing a fetched
// invoice as a page. No widgets: questions and notices go through TMD.
#include <QString>

// Kind ('F' invoices, 'K' corrections) and issuing company of a package by its
// file name: "KSeF_Fv_..._NN.zip" / "KSeF_Fvk_..._NN.zip", NN the company's
// P_INDEX. False for any other name (a non-numeric NN included).
bool KsefPackageKind(const QString& fileName, char& kind, int& company);

// Pauses of the send (ms): after the success notice, before the status reading.
struct TKsefBatchWaits
{
    int AfterSendMs = 500;
    int BeforeStatusMs = 2000;
};
TKsefBatchWaits& KsefBatchWaits();

struct TKsefSendOutcome
{
    int LogIndex = 0;         // KSEF_INDEX of the row the send wrote; 0 when nothing was sent
    bool CheckStatus = false; // the operator wants the statuses read at once
};
// "Wyślij do KSeF" for the chosen path (rights level 2): asks before a package
// already in the log, refuses a file that is no package, sends as the file name
// says and tells the outcome.
TKsefSendOutcome KsefSendPackageFile(const QString& path);

// "Odczytaj status wysyłki wsadowej" on a log row: nothing for rows other than
// sent packages with a session reference. True when the statuses were read.
bool KsefReadLogRowStatuses(int ksefIndex);

// "Pobierz z KSeF": the invoice's XML into the export folder and an "FV" log
// row with its text. Returns the new row's KSEF_INDEX, 0 when nothing came
// (the reason is shown).
int KsefFetchInvoiceToLog(const QString& ksefNumber);

// "Wizualizuj dokument": the page of an "FV" log row; empty for other rows.
QString KsefLogRowPage(int ksefIndex);
