#pragma once
// Line values and document sums of invoices, corrections and payment demands.
// VAT is always taken out of the gross value; sums per VAT group are the sums
// of the stored line values, so a group's VAT is gross sum minus net sum.
#include "core/Amount4.h"
#include "core/DedicatedSession.h"

#include <QString>

// The values of one line that follow from what the operator typed.
struct TLineValues
{
    Amount4 factor;         // 1.23 for "23%", 1 for a text without digits
    Amount4 netPrice;       // gross price / factor
    Amount4 grossValue;     // price * quantity * (1 - discount/100)
    Amount4 netValue;       // gross value / factor
    Amount4 vat;            // gross value - net value
    Amount4 discountAmount; // price * quantity * discount/100
};

// The line value rule: every quantity an Amount4, each result rounded once.
TLineValues ComputeLineValues(Amount4 grossPrice, Amount4 quantity, Amount4 discountPercent,
                              const QString& rateText);

// The rule for one stored line, written back in one UPDATE.
void PrzeliczFVP(int fvpIndex);
// The after-values of one correction line (the before-values are never recomputed).
void PrzeliczFVKP(int fvkpIndex);
// A payment demand line: gross value and discount amount as reals, no Amount4 rounding.
void PrzeliczPZP(int pzpIndex);
// A subscriber's template item, as the subscriber card saves it.
void PrzeliczUFV(int ufvIndex);
// The set-based line rule over every line of one invoice (bulk writers and
// the template copy): factor from the labels of groups A, B and D, else 1.
void PrzeliczFVPDokumentu(int fvIndex);
// The same over the invoice lines a WHERE condition picks (args: its values).
void PrzeliczFVPWhere(const QString& condition, const TArgs& args);

// Document sums per VAT group, the discount sum and the amount chain. A new
// document also gets its paid-on-issue amount: the gross sum when it is
// issued and due on one day with a payment form beginning with "got", else 0.
void PrzeliczPolaFv(int fvIndex, bool isNew);
// A correction's sums are differences after - before: each line's
// before-values leave the group of its old rate and its after-values enter
// the group of its new rate. The paid amount is clamped (ClampPaidAmount).
void PrzeliczPolaFvk(int fvkIndex);
void PrzeliczPolaPz(int pzIndex, bool isNew);

// The clamp of the amount paid on issue, S the gross sum, R the settled amount.
// Invoices and payment demands ('F', 'P', only while S is not negative):
// into 0..S and not above S - R. Corrections ('K') clamp by the sign of S.
Amount4 ClampPaidAmount(char kind, Amount4 paid, Amount4 grossSum, Amount4 settled);

// True when the cash rule gives the gross sum as paid on issue.
bool IsCashPaymentForm(const QString& form);
