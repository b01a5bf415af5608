#pragma once
// Months of billing history for the synthetic ISP: invoices and payment
// demands from the subscribers' recurring items (issued by the monthly
// automatic run), some corrections, and
// payments from punctual, late, partial and over-paying subscribers (with a
// few refunds), all issued, numbered and settled through the billing
// functions of the program, in date order, so the history is consistent.
#include "billing/FvAutomatDane.h"
#include "core/DedicatedSession.h"

#include <QDate>
#include <QString>
#include <cstdint>

struct TBillingHistoryOptions
{
    int months = 12;
    std::uint64_t seed = 20240501;
    // The last day of the history: documents up to its month, payments up to this day.
    QString today = QStringLiteral("2025-06-30");
};

struct TBillingHistoryResult
{
    qint64 invoices = 0, demands = 0, corrections = 0, payments = 0, payouts = 0;
    double seconds = 0;
};

// The automatic run's inputs for one company's monthly documents, every subscriber shown.
TFvAutomatInput BenchRunInput(const QDate& issue, const QString& podmiot);

// Each month's recurring documents come from the automatic run.
// Runs on the shared session (the billing functions use it); commits month by month.
TBillingHistoryResult GenerateBillingHistory(const TBillingHistoryOptions& options);
