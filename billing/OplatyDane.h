#pragma once
// Payments at the desk without widgets: the payment row the payment dialog
// edits (number, date, amount, form, title), the dialog's checks, and the
// operations that settle, withdraw and delete payments. Everything runs on
// the shared session inside the caller's transaction; a database error
// propagates so the caller's guard rolls the whole operation back.
#include "core/Amount4.h"

#include <QDate>
#include <QString>

// The amount proposed for a new payment: the debt when the balance is below
// 0, otherwise the monthly subscription.
Amount4 ProposedOplataAmount(Amount4 saldo, Amount4 abonament);
// The close check of "Zapisz": the refusal's text, empty when the payment may be saved.
QString CheckOplataClose(Amount4 amount, Amount4 saldo);
// A date after today goes back to today.
QDate OplataDateNotInFuture(const QDate& date, const QDate& today);

// One row of Oplaty as the dialog shows it.
class TOplataDane
{
public:
    int Index = 0;
    int UserIndex = 0;
    int Podmiot = 1;
    int Numer = 0;
    int IndexPm = 0;
    Amount4 Kwota;
    Amount4 DoRozliczenia;
    QDate DataWplaty, DataDodania;
    QString Forma, Uwagi, NumerTxt;

    // A new payment of the subscriber written at once (inside the caller's
    // transaction): today's date or the last one, the last form or
    // "gotówka", the standard title, the next number and the proposed amount.
    void InsertNew(int userIndex, const QString& lastForm, const QDate& lastDate);
    void Load(int oplataIndex);
    // The number as typed (below 1 becomes 1 when the field is left) and its text.
    void SetNumber(int number);
    // A future date goes back to today; another month or year takes that
    // period's next number.
    void SetDate(const QDate& date);
    // Another payment carries the same number text (shown red).
    bool NumberTaken() const;
    // Writes the row; a row another workstation removed is an error.
    void Write();

private:
    void rebuildText();
};

// The subscriber's customer number as the log lines name it.
QString OplataCustomerNumber(int userIndex);
// "<id> dla użytkownika nr <customer number> na kwotę <amount>" of the log lines.
QString OplataLogTail(const TOplataDane& oplata);
// "Saldo" and "Saldo zaległe" of the subscriber and his subscription.
struct TOplataUser
{
    Amount4 saldo, saldoZalegle, abonament;
    int podmiot = 1;
    QString name;
};
TOplataUser ReadOplataUser(int userIndex);

// After "Zapisz" of a new payment: a payout keeps nothing open, the payment
// is settled. False when the settlement refused; the caller rolls back and logs.
bool SettleNewOplata(const TOplataDane& oplata);
// After "Zapisz" of an edited payment: the open amount follows the links, a
// moved date moves the links that carried the old one, the payment is
// settled again. False when the settlement failed: the caller rolls the edit
// back rather than keep half of it, then logs.
bool SettleEditedOplata(const TOplataDane& oplata, const QDate& oldDate);
// Withdraws the payment's links, frees its bank line and deletes it; false
// (logged, nothing changed by it) when the withdrawal refused.
bool DeleteOplataRows(int oplataIndex);
// Every payment of the subscriber withdrawn and spread again, oldest first,
// in a transaction of its own; false (rolled back, logged) on the first refusal.
bool ResettleUserOplaty(int userIndex);
// "Zaksięguj ponownie bieżącą": the payment's links withdrawn, then the
// whole amount spread again from the oldest due document.
bool ResettleOplata(int oplataIndex, int userIndex);
