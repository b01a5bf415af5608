// Delimited layouts read without quote handling: a quote is an ordinary character.
#include "core/Funkcje.h"
#include "payments/FormatyPmDelimited.h"

namespace {

using F = QStringList;

QString f(const F& fields, int n)
{
    return PmField(fields, n);
}

TPmLayout raw()
{
    TPmLayout l;
    l.name = QStringLiteral("RAW");
    l.delimiter = QLatin1Char('|');
    l.counts = {5};
    l.map = [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = PmDateYmd(DigitsOnly(f(x, 1)));
        r.account = PmChecked(DigitsOnly(f(x, 2)));
        r.amount = PmGroszDigits(f(x, 3));
        r.payer = f(x, 4);
        r.title = f(x, 5);
    };
    return l;
}

} // namespace

void RegisterPlainFormats(std::vector<TPmFormat>& out)
{
    out.push_back(MakeDelimitedFormat(raw()));
}
