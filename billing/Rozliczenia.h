#pragma once
// The settlement engine: ties payments (Oplaty) to the documents they pay
// (Fv 'F', Fvk 'K', Pz 'P') with links (OplatyRozliczenia), keeping the open
// amounts of both sides in step. A payment is spread over its subscriber's
// open documents, the most overdue first; a document is paid from its
// subscriber's open payments, the oldest first.
//
// Each function runs on the shared session as one savepoint of the caller's
// transaction (a transaction of its own when none is open). A failed statement
// undoes everything the function wrote and raises EDatabaseError, so the
// caller's guard rolls back the whole operation: no half-applied amount is
// ever committed. False means a refusal with nothing written. Payouts
// (negative amounts) never take part in settlement.
#include "core/Amount4.h"

#include <QString>

// Spreads one payment; Mode "PM" (bank posting) recomputes the balance only
// when money is left on the payment, the empty mode always. A payment whose
// open amount is negative (lowered below what it had settled) gives back the
// difference from its links, newest first.
bool SettleOplataKind(int oplataIndex, int userIndex, const QString& mode);
bool SettleOplata(int oplataIndex, int userIndex);
// Spreads every open payment of the subscriber, oldest first.
bool SettleUserOplaty(int userIndex);
// Pays one document from its subscriber's open payments. A correction that
// lowers its invoice takes the payments off the invoice, lowers the invoice
// and settles the subscriber again.
bool SettleDocument(const QString& kind, int docIndex);
// Withdraws a document's settlement, newest link first (no balance recomputed).
bool UnsettleDocument(const QString& kind, int docIndex);
// Pays one chosen document with a new payment of the subscriber's company:
// false, with nothing written, when the amount is above the document's open
// amount or a date does not parse. The balance is left to the caller.
bool PayDocument(const QString& kind, int docIndex, const QString& paymentForm, const QString& paymentDate,
                 Amount4 amount);

// Whole days from the due date to the settlement date; 0 when not positive.
int SettlementLateness(const QString& dueDate, const QString& settlementDate);
