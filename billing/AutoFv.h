#pragma once
// The paid invoice that follows a posted payment of a subscriber invoiced per
// payment (billing mode 3), and the block of a subscriber's unsettled
// documents that templates and printouts insert.
#include "core/Amount4.h"

#include <QString>

// One invoice for the amount paid, issued today and paid at issue, with one
// line from the subscriber's first active item valid today (none without
// one). Runs in the caller's transaction under the automatic run's named
// lock; a busy lock or any database error raises EDatabaseError, so the
// posting that called it rolls back. Returns the invoice's number text, "0"
// when the subscriber has no row.
QString IssueAutoFv(int userIndex, const QString& remark, Amount4 amount);

// The subscriber's unsettled documents as a fixed-column block, lines ended
// by CR LF; empty when nothing is due.
QString MakeUnpaidDocumentsText(int userIndex);
// The same with "\par " after every line but the last.
QString MakeUnpaidDocumentsRtf(int userIndex);
