#pragma once
// Posting imported bank rows (PlatnosciMasowe) as settled payments, and
// taking such postings back. Everything runs on the shared session inside the
// caller's transaction (the import window's); each row is one savepoint, so a
// failure leaves that row exactly as it was.
#include <QDate>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <utility>

class TNumberReservation;

// Customer number of the last row handed to posting; the import window logs it.
extern int LastPmCustomerNumber;

// Payment numbers for a run of postings: one reservation per company and
// period, held until the run ends, so each row does not wait for the lock again.
class TPmPostingNumbers
{
public:
    TPmPostingNumbers();
    ~TPmPostingNumbers();
    TPmPostingNumbers(const TPmPostingNumbers&) = delete;
    TPmPostingNumbers& operator=(const TPmPostingNumbers&) = delete;
    // The next number of the company's period of the date (not yet used).
    int Peek(int podmiot, const QDate& date);
    // The number handed out by Peek was written.
    void Used(int podmiot, const QDate& date);

private:
    struct Entry
    {
        std::unique_ptr<TNumberReservation> reservation;
        int used = 0;
    };
    Entry& entry(int podmiot, const QDate& date);
    std::map<std::pair<int, QString>, Entry> m_entries;
    bool m_monthly = true; // the numbering setting, read once per batch
};

// Posts one row: a payment of the matched subscriber dated with the bank date,
// settled against the open documents, the row marked posted, and the paid
// invoice for subscribers invoiced per payment. A row without a subscriber,
// already posted or with a bank date that does not decode is left alone.
// Returns true when the row was posted. An error of the invoice (or of any
// statement) undoes this row's posting and reaches the caller.
bool PostPmRow(int pmIndex, TPmPostingNumbers* numbers = nullptr);

// Posts every matched unposted row, a subscriber's rows together, oldest
// bank date first, with the subscriber's arrears recomputed between its rows,
// and recomputes the posted subscribers' balances (the balance thread cannot
// see this transaction). progress gets the rows left after each row.
int PostAllPm(const std::function<void(int left, int total)>& progress = {});

// Takes one row's posting back: its payment's links and the payment go, the
// row is unposted. False when the settlement refuses (nothing changed).
bool UnpostPmRow(int pmIndex);
// Every posted row imported on the day: unposted, its subscriber re-settled.
int UnpostPmByImportDate(const QString& importDate);
// Deletes an unposted row; a posted one is refused (false) until it is unposted.
bool DeletePmRow(int pmIndex);
// The row counts as posted without a payment.
void MarkPmPostedByHand(int pmIndex);
// Deletes every row not posted.
int DeleteUnpostedPm();
// Whether a row is posted (posting date set).
bool PmRowPosted(int pmIndex);
