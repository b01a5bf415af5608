#pragma once
// The amount in Polish words printed on invoices ("słownie").
#include "core/Amount4.h"

#include <QString>

// "jeden tysiąc dwieście trzydzieści cztery złote pięćdziesiąt sześć groszy".
// Grosze are the fraction rounded to whole grosze; a negative amount starts "minus ".
QString AmountInWords(double amount);
QString AmountInWords(Amount4 amount);

// Words of 0..999 ending with one blank; empty for 0.
QString GroupInWords(int n);
// Words of a whole number ending with one blank; empty for 0. Millions,
// billions and trillions (milion, miliard, bilion) are spelled like thousands.
QString NumberInWords(qint64 n);
// "złoty", "złote", "złotych"; empty for 0.
QString ZlotyWordForm(qint64 z);
// "grosz", "grosze", "groszy" for 1..99.
QString GroszWordForm(int g);
