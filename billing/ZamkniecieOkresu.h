#pragma once
// Period closing: every document, payment and bank row up to a date goes, and
// what they left on each subscriber's account comes back as one opening
// document dated that day (a payment demand for a debt, a payment for a
// credit), so that every balance stays what it was.
#include <QDate>
#include <QString>
#include <functional>

struct TClosePeriodCallbacks
{
    // The two questions (the second one a warning); true for Yes.
    std::function<bool(const QString& text, bool warning)> ask;
    std::function<void(const QString& text)> info;
    std::function<void(const QString& text)> error;
    // Re-reads the main window's subscribers keeping the current one.
    std::function<void()> refreshUsers;
    // Called with the step number (2..11) before that step.
    std::function<void(int step)> step;
};

extern const QString ClosePeriodErrorText;

// True when the period was closed; any error from the snapshot on rolls the
// whole closing back and is shown through `error`.
bool ClosePeriod(const QDate& date, const TClosePeriodCallbacks& callbacks);
