#pragma once
// Rules of the small dialogs that fill one document line or one template item
// at a time: what they accept on "Zapisz", how they show the price after the
// discount, when a template item is stored suspended, and how a catalogue
// service is copied into the row being filled. No widgets here.
#include "core/Amount4.h"

#include <QColor>
#include <QString>
#include <QStringList>

class TQuery;

// What the operator typed into a document line dialog.
struct TLineInput
{
    QString name;
    QString quantity;
    QString price;
    QString discount;
};

// The first refused condition's message, in the order the dialogs check them;
// empty when the line may be saved. A negative price is a credit line and passes.
QString CheckLineInput(const TLineInput& input);

// A decimal typed with a comma (or point); an empty or unreadable text is 0.
Amount4 ParseAmountText(const QString& text);
// "1,5" from 1.5; at most `places` decimals, trailing zeros dropped.
QString AmountEditText(Amount4 value, int places);
// "1234,50": money in an edit field, two decimals, no grouping.
QString MoneyEditText(Amount4 value);
// Money with thousands grouping and two decimals, then " zł": "1 234,50 zł".
QString MoneyText(Amount4 value);

// The discount field on leaving it: above 99.99 it becomes 99.99 (else unchanged).
QString ClampDiscountText(const QString& discount);
// price * (1 - discount/100), rounded once to an amount.
Amount4 PriceAfterDiscount(Amount4 price, Amount4 discount);

// A template item is stored suspended when its price is 0 or its quantity,
// rounded to a whole number half to even, is 0.
bool TemplateItemSuspended(Amount4 price, Amount4 quantity);

// The lists the dialogs offer.
const QStringList& GtuCodeTexts();      // "0" .. "13"
const QStringList& ServiceGroupTexts(); // "0", "1", "2", "3", "4", "5", "10"

// The catalogue row's background for a one-off service: one part of
// (255, 128, 64) mixed with two parts of white.
QColor OneOffServiceColor();

// Copies the current service of `services` into the edited row of `target` by
// kind: 'F' invoice line, 'P' payment demand line, 'S' template item (which
// also takes userIndex as its subscriber). Kind 'K' copies nothing.
void CopyServiceToRow(const TQuery& services, TQuery& target, char kind, int userIndex);
