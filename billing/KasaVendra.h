#pragma once
// The till line of a cash payment in the sibling sales program, whose
// database (DodajDoVendraSqlBaza) lives on the same server.
#include "core/Amount4.h"

#include <QString>

// The one item line from its gross unit price, quantity, discount (per cent)
// and VAT factor (1.23): net unit price, gross and net value, VAT and the
// discount amount, each evaluated in extended precision and rounded once,
// half to even at the fourth place. The invoice template and the till line
// both keep the gross price and derive the rest from it.
struct TGrossLineAmounts
{
    Amount4 NetPrice, GrossValue, NetValue, VatAmount, DiscountAmount;
};
TGrossLineAmounts GrossLineAmounts(Amount4 grossPrice, Amount4 quantity, Amount4 discount, Amount4 factor);

// The sibling database's name as an SQL identifier: quoted, so a name
// with a blank or a backtick cannot run into the statement.
QString VendraDatabaseIdentifier(const QString& name);

// Recomputes one line of the sibling database's FvPozycje from its gross
// price, quantity, discount and VAT text; errors reach the caller.
void RecalcVendraFvPozycja(int lineIndex);

// Inserts the till line of a payment ("Orlisx4SQL (automat): " + name + two
// blanks + address, the amount at "23%") and completes it; returns its index.
// Errors reach the caller.
int AddVendraTillLine(const QString& name, const QString& address, Amount4 amount);

// After a new payment: with DodajDoVendraSql on and a positive amount, asks
// and adds the till line; a failure is told to the operator and the payment stays.
void OfferVendraTillLine(int userIndex, Amount4 amount);
