#pragma once
// The monthly automatic invoicing run: one press bills every subscriber of the
// main grid and of one company with an invoice (billing mode 1) or a payment
// demand (modes 2 and 3) copied from the recurring items, numbers, totals and
// settles them, all in one transaction that the operator keeps or drops.
// Documents, lines and totals are made by a few set-based statements; only
// the settlement goes document by document, and only where the subscriber has
// an open payment to settle with.
#include <QDate>
#include <QString>
#include <functional>

class TDedicatedSession;

// What the window collects.
struct TFvAutomatInput
{
    QDate issueDate;     // D
    QDate dueDate;       // for subscribers without an individual term
    QString paymentForm; // likewise
    QString podmiot;     // P_SKROT of the issuing company
    int group = -1;      // service group, -1 = all
    bool addSuffix = true;
    int suffixKind = 0; // 0 month name, 1 date range of the month, 2 the text below; -1 none
    QString suffixText;
    bool gtuEE = false; // WSTO_EE on the invoices of private buyers
    // The main grid's selection (MainUserWhere, MainUserOrderBy).
    QString userWhere;
    QString userOrderBy;
};

// How the run talks to the operator and lets tests in between its steps.
struct TFvAutomatCallbacks
{
    // A Yes/No question; true for Yes.
    std::function<bool(const QString& text)> ask;
    // An error the run stops on (the busy lock).
    std::function<void(const QString& text)> error;
    // The settlement's progress: done of total; the window repaints now and then.
    std::function<void(int done, int total)> progress;
    // Called with the step number (1..33) before that step.
    std::function<void(int step)> step;
};

struct TFvAutomatResult
{
    bool ran = false;       // documents were made (kept or not)
    bool committed = false; // the operator kept them
    int invoices = 0, demands = 0;
    int f1 = 0, f2 = 0, p1 = 0, p2 = 0; // first and last index of each kind (f2 = f1 - 1: none)
    int settled = 0;                    // documents handed to the settlement
    int lines = 0;
};

// The run's texts.
extern const QString FvAutomatBusyText;
extern const QString FvAutomatErrorLogText;

// The named lock of the run and of the paid invoice for a payment: the
// database's identifier + "fvautomat".
QString FvAutomatLockName();

// "insert into Fv (...) select ..." of an invoice header taken from a
// subscriber's row of vUserdb, up to and without its "from": the values bind
// :p0 place, :p1 issuer, :p2 issue date, :p3 start of an individual due
// period, :p4 due date, :p5 payment form, :p6 amount paid, :p7 operator,
// :p8 number text and :p9..:p15 the VAT group labels; extraColumns and
// extraValues follow them.
QString InvoiceHeaderInsert(const QString& extraColumns = QString(), const QString& extraValues = QString());

// Holds that lock; the destructor lets it go.
class TFvAutomatLock
{
public:
    explicit TFvAutomatLock(TDedicatedSession* session = nullptr);
    ~TFvAutomatLock();
    TFvAutomatLock(const TFvAutomatLock&) = delete;
    TFvAutomatLock& operator=(const TFvAutomatLock&) = delete;
    // Waits at most 1 s; false when another connection holds it. testFirst
    // asks IS_FREE_LOCK first, as the run does.
    bool Take(bool testFirst = false);
    void Release();

private:
    TDedicatedSession* m_session;
    QString m_name;
    bool m_held = false;
};

// The text appended to the names of recurring lines (leading blank included).
QString FvAutomatServiceSuffix(bool on, int kind, const QDate& issueDate, const QString& text);

// The remembered inputs of the window (global settings).
struct TFvAutomatRemembered
{
    int days = 14;
    QString paymentForm = QStringLiteral("przelew");
    bool addSuffix = true;
    int suffixKind = 0;
    QString suffixText;
    bool gtuEE = false;
};
TFvAutomatRemembered ReadFvAutomatRemembered();
// Six writes in a transaction of their own; a failure is rolled back and dropped.
void RememberFvAutomatInputs(const TFvAutomatRemembered& r);

// The run (the window's "Wykonaj"). Errors from the document transaction on
// are logged, rolled back, and go on to the caller; the lock is free again.
TFvAutomatResult RunFvAutomat(const TFvAutomatInput& input, const TFvAutomatCallbacks& callbacks);
