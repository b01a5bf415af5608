#pragma once
// Numbers of invoices ('F'), corrections ('K'), payment demands ('P') and
// payments ('O'): a sequence per issuing company that restarts every month
// (setting NumeracjaMiesieczna, the default) or every year, and the number
// texts printed on the documents.
#include <QDate>
#include <QString>

class TDedicatedSession;

// The next number of one company and period, held for the caller while it
// writes the row that carries it.
//
// Two workstations must never get one number, also while their documents are
// still uncommitted inside an editor's transaction. So the number is taken
// under a server named lock of the company and period, as the highest number
// that any connection has written so far (uncommitted rows included) plus
// one, and the lock is kept until the caller has written its row and lets the
// reservation go. A rolled back document frees its number again unless a
// higher one was taken meanwhile (the gap check of the editors finds such holes).
class TNumberReservation
{
public:
    // While the reservation is held nobody else numbers the period, so a bulk
    // writer may also write Number() + 1, Number() + 2, ...
    TNumberReservation(char kind, const QDate& date, int podmiotId, TDedicatedSession* session = nullptr);
    ~TNumberReservation();
    TNumberReservation(const TNumberReservation&) = delete;
    TNumberReservation& operator=(const TNumberReservation&) = delete;

    int Number() const { return m_number; }
    int PodmiotId() const { return m_podmiot; }
    // Lets the number go once the row is written (also done by the destructor).
    void Release();

private:
    TDedicatedSession* m_session;
    QString m_lockName;
    int m_number = 0;
    int m_podmiot = 0;
    bool m_held = false;
};

// The company of an invoice (corrections are numbered in their invoice's company).
int PodmiotOfFv(int fvIndex);
// The company of a subscriber (U_PODMIOT).
int PodmiotOfUser(int userIndex);

// Whether numbering restarts every month (global setting NumeracjaMiesieczna, default true).
bool MonthlyNumbering();
// P_SKROT of a company; empty when it has no row.
QString PodmiotShortName(int podmiotId);

// The number text of an invoice, correction or payment demand: masks around
// the number (invoices and corrections), "/" + the company's short name for
// companies above 1 (for company 1 too when SkrotFirmyWNumeracji is on,
// invoices and corrections only), then "/" + month + "/" + year, or "/" + year.
QString DocumentNumberText(char kind, const QString& numberText, int podmiotId, const QDate& issueDate);
QString DocumentNumberText(char kind, int number, int podmiotId, const QDate& issueDate);
// The number text of a payment: number, "/" + short name above company 1, period.
QString OplataNumberText(int number, int podmiotId, const QDate& paymentDate);

// True when another document of the kind (of any company) has this number text.
bool NumberTextInUse(char kind, const QString& numberText, int ownIndex);
// The smallest number following one of today's numbers that is not used
// today ('F' or 'K'); 0 when no document of the kind is dated today. Without
// a company argument the current company (CurrentPodmiotId) is meant.
int FindTodayNumberGap(char kind);
int FindTodayNumberGap(char kind, int podmiotId);
// How many other documents of the company carry the number text ('F' or 'K');
// 0 when no document of the kind is dated today.
int DuplicateNumberCount(char kind, const QString& numberText);
int DuplicateNumberCount(char kind, const QString& numberText, int podmiotId);
