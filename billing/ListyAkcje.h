#pragma once
// What the document and payment lists do to one row: edit, delete and settle
// invoices ('F'), corrections ('K') and payment demands ('P'), the
// correction runs over a whole selection, and editing and deleting
// payments. Each action is one transaction on the shared session held by a
// guard: any error rolls it back. Editors are windows, so they come in as
// callbacks that show them and answer whether the operator saved.
#include "core/Amount4.h"

#include <QString>
#include <functional>
#include <vector>

class TQuery;

using TEditorRun = std::function<bool()>;

// The refusal of editing or deleting a document, or empty when allowed:
// sent to KSeF (a number or an offline registration) and, for invoices,
// already corrected.
QString DocumentEditRefusal(char kind, int key);
QString DocumentDeleteRefusal(char kind, int key);

// Edit: the settlement is withdrawn, the editor shown; on save the document
// is settled again, the balance recomputed, logText + key logged and the
// transaction committed. True when saved.
bool EditListedDocument(char kind, int key, int user, const TEditorRun& editor, const QString& logText);

// Delete: false (rolled back, nothing removed) when the settlement could not
// be withdrawn. A correction's invoice points to the correction left, or 0.
bool DeleteListedDocument(char kind, int key, int user, const QString& logText);

// Settle with an amount: PayDocument in its own transaction; true logs
// logText + key + " kwotą " + amount text and commits; false rolls back and
// logs failLogText + key.
bool SettleListedDocument(char kind, int key, const QString& paymentForm, const QString& settleDate,
                          Amount4 amount, const QString& amountText, const QString& logText,
                          const QString& failLogText);

// Zero-corrects every listed invoice not corrected yet, in one transaction;
// runCorrection shows the editor on the new correction (key, subscriber).
// Returns how many corrections were saved.
int ZeroCorrectInvoices(const std::vector<int>& fvIndexes,
                        const std::function<bool(int, int)>& runCorrection);

// Re-settles each correction in a transaction of its own; an error stops the
// run keeping the corrections already done. Returns how many were done.
int ResettleCorrections(const std::vector<int>& fvkIndexes);

// Payment edit: the dialog posts the payment; its open amount then follows
// the amount against what is already settled and the payment is settled
// again. Cancelled: rolled back and "Anulowana edycja wpłaty" logged.
bool EditListedPayment(int oIndex, const TEditorRun& dialog);
// Payment delete: every settlement link withdrawn, a bank statement row it
// was posted from freed, the payment removed. False: rolled back.
bool DeleteListedPayment(int oIndex);

// The amount text of the settle messages ("1 234,50 zł").
QString SettleAmountText(Amount4 amount);
