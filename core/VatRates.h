#pragma once
// The process-wide VAT group texts of documents and price lists, the six
// fixed groups of every invoice and correction, and the rate factors.
#include <QDate>
#include <QString>
#include <QStringList>

// Sets the group texts in force on a date: "23%", "8%", "0%", "5%", "zw", "np"
// for 2015-01-01 .. 2099-12-31 (other dates keep the texts as they are), and
// the total label "RAZEM".
void SetVatRateTexts(const QDate& date);
// The six group texts in their order; they hold the current rates until
// SetVatRateTexts is called.
const QStringList& VatRateTexts();
const QString& VatTotalLabel();
// The seven texts: the six group labels, then the total label.
QStringList VatGroupTexts();

// The six groups A, B, C, D, G, NP in the order of their columns.
constexpr int VatGroupCount = 6;
// Column suffix of group g (0..5): "_A", "_B", "_C", "_D", "_G", "_NP".
QString VatGroupSuffix(int group);
// The group whose label equals the rate text, -1 when none does.
int VatGroupOfRateText(const QString& rateText);
