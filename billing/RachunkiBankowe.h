#pragma once
// Polish bank account numbers (NRB): 2 check digits (ISO 7064 MOD 97-10, as
// for IBAN with "PL") and 24 digits of the basic number, kept in the grouped
// form "CC BBBB BBBB BBBB BBBB BBBB BBBB".
#include <QString>

// The grouped number with check digits for 24 digits of a basic number
// (blanks allowed); '' when there are not 24 characters without the blanks,
// "Błąd" when they are not all digits.
QString CompleteNrb(const QString& basicNumber);
// True when the text is exactly the grouped form of a number with correct check digits.
bool IsValidNrb(const QString& text);
// The subscriber's virtual sub-account in the company's collective account:
// bank number + the company's client id + prefix and customer number in 12
// digits, with the sub-account settings of the subscriber's company; "Błąd"
// on an error. Company 1 is current again afterwards.
QString MakeVirtualAccountNrb(int customerNumber);
