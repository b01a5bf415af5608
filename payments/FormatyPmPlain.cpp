// Delimited layouts read without quote handling: a quote is an ordinary character.
#include "billing/RachunkiBankowe.h"
#include "core/Funkcje.h"
#include "payments/FormatyPmDelimited.h"

#include <memory>

namespace {

using F = QStringList;

QString f(const F& fields, int n)
{
    return PmField(fields, n);
}

QString join(const F& x, int from, int to)
{
    QString out;
    for (int i = from; i <= to; ++i)
        out += f(x, i);
    return out;
}

TPmLayout layout(const char* name, char delimiter, std::vector<int> counts)
{
    TPmLayout l;
    l.name = QString::fromUtf8(name);
    l.delimiter = QLatin1Char(delimiter);
    l.counts = std::move(counts);
    return l;
}

// F1 "K" or "S" marks a line that is no transfer.
bool transferType(const F& x)
{
    return f(x, 1) != QLatin1String("K") && f(x, 1) != QLatin1String("S");
}

void logAfter(TPmReadContext& ctx, const QString& reference)
{
    ctx.Log.append(QStringLiteral("Zaimportowano operacje: ") + reference);
}

// "Alior Bank", "(3)", "(4)": the account from F2 or F5, checked or completed.
TPmLayout alior(const char* name, int accountField, bool complete)
{
    TPmLayout l = layout(name, '|', {8});
    l.map = [accountField, complete](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 1));
        r.amount = PmGroszDigits(f(x, 4));
        r.payer = f(x, 6);
        const QString acc = RemoveSpaces(f(x, accountField));
        r.account = complete ? CompleteNrb(ctx.BankNumber + acc) : PmChecked(acc);
        r.title = f(x, 7);
    };
    return l;
}

TPmLayout alior5()
{
    TPmLayout l = layout("Alior Bank (5)", '|', {8});
    l.map = [](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = f(x, 1).isEmpty() ? ctx.Today : PmDateYmd(f(x, 1));
        r.amount = PmGroszDigits(f(x, 4));
        r.payer = f(x, 6);
        r.account = PmGrouped(f(x, 2));
        r.title = f(x, 7);
    };
    l.after = [](TPmReadContext& ctx, const F& x, const TPmRow& r) {
        if (f(x, 1).isEmpty()) return;
        ctx.Log.append(QString());
        ctx.Log.append(QStringLiteral("Data: ") + r.date);
    };
    return l;
}

TPmLayout bs6()
{
    TPmLayout l = layout("BS (6)", '|', {13});
    l.map = [](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = ctx.Today;
        r.amount = PmGroszDigits(f(x, 5));
        r.payer = join(x, 6, 9);
        r.account = PmChecked(DigitsOnly(f(x, 13)));
        r.title = join(x, 10, 12);
    };
    return l;
}

TPmLayout raw()
{
    TPmLayout l = layout("RAW", '|', {5});
    l.map = [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = PmDateYmd(DigitsOnly(f(x, 1)));
        r.account = PmChecked(DigitsOnly(f(x, 2)));
        r.amount = PmGroszDigits(f(x, 3));
        r.payer = f(x, 4);
        r.title = f(x, 5);
    };
    return l;
}

TPmLayout bs13()
{
    TPmLayout l = layout("BS (13)", ',', {18});
    // Without the "<SIMP>" first line nothing is read; that line is no record.
    l.start = [](TPmReadContext& ctx) {
        return ctx.Lines().size() > 0 && ctx.Line(0).left(6) == QLatin1String("<SIMP>");
    };
    l.skipLines = 1;
    l.map = [](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = f(x, 5).isEmpty() ? ctx.Today : PmDateYmd(DigitsOnly(f(x, 5)));
        r.amount = PmGroszDigits(f(x, 2));
        r.payer = join(x, 10, 13);
        r.account = PmGrouped(f(x, 1));
        r.title = join(x, 14, 17);
    };
    l.after = [](TPmReadContext& ctx, const F& x, const TPmRow& r) {
        if (f(x, 5).isEmpty()) return;
        ctx.Log.append(QString());
        ctx.Log.append(QStringLiteral("Data: ") + r.date);
    };
    return l;
}

TPmLayout bs5()
{
    TPmLayout l = layout("BS (5)", ';', {8});
    l.map = [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 2);
        r.amount = PmGroszDigits(f(x, 5));
        r.payer = f(x, 6);
        r.account = PmChecked(RemoveSpaces(f(x, 4)));
        r.title = f(x, 7);
    };
    return l;
}

TPmLayout pbs()
{
    TPmLayout l = layout("PBS Bank", ';', {9});
    l.map = [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 2);
        r.amount = PmGroszDigits(f(x, 6));
        r.payer = f(x, 7);
        r.account = PmGrouped(f(x, 5));
        r.title = f(x, 8);
    };
    return l;
}

TPmLayout fortis()
{
    TPmLayout l = layout("Fortis Bank", ';', {5});
    l.skipLines = 3;
    l.map = [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 3));
        r.amount = PmGroszPlain(f(x, 2));
        r.payer = f(x, 4);
        r.account = PmGrouped(f(x, 1));
        r.title = f(x, 5);
    };
    return l;
}

TPmLayout bs()
{
    TPmLayout l = layout("BS", '|', {6});
    l.map = [](TPmReadContext&, const F& x, TPmRow& r) {
        const QString d = f(x, 1);
        r.date = d.mid(0, 4) + QLatin1Char('-') + d.mid(5, 2) + QLatin1Char('-') + d.mid(8, 2);
        r.amount = PmZloty(f(x, 4));
        r.payer = f(x, 5);
        r.account = PmGrouped(f(x, 3));
        r.title = f(x, 6);
    };
    l.after = [](TPmReadContext& ctx, const F& x, const TPmRow&) { logAfter(ctx, f(x, 2)); };
    return l;
}

// The BZWBK family: record type in F1, date ddmmyyyy, amount in złoty.
TPmLayout bzwbk(const char* name, int count, int dateField, int accountField, int titleField, int refField)
{
    TPmLayout l = layout(name, '|', {count});
    l.accept = transferType;
    l.map = [dateField, accountField, titleField](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = PmDateDmy(f(x, dateField));
        r.amount = PmZloty(f(x, dateField + 1));
        r.payer = f(x, dateField + 2);
        r.account = PmGrouped(f(x, accountField));
        r.title = f(x, titleField);
    };
    l.after = [refField](TPmReadContext& ctx, const F& x, const TPmRow& r) {
        logAfter(ctx, refField ? f(x, refField) : r.date);
    };
    return l;
}

TPmLayout bs3()
{
    TPmLayout l = layout("BS (3)", '|', {11});
    auto date = std::make_shared<QString>();
    l.start = [date](TPmReadContext&) {
        date->clear();
        return true;
    };
    // A "K" line of 5 or 6 fields dates the transfers after it.
    l.header = [date](TPmReadContext&, const F& x) {
        if ((x.size() == 5 || x.size() == 6) && f(x, 1) == QLatin1String("K")) {
            *date = PmDateYmd(f(x, 3));
            return true;
        }
        return false;
    };
    l.accept = transferType;
    l.map = [date](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = *date;
        r.amount = PmZloty(f(x, 3));
        r.payer = join(x, 4, 7);
        const QString a = RemoveSpaces(f(x, 11));
        QString acc = a.mid(3, 2);
        for (int i = 5; i < 29; i += 4)
            acc += QLatin1Char(' ') + a.mid(i, 4);
        r.account = acc;
        r.title = join(x, 8, 10);
    };
    l.after = [](TPmReadContext& ctx, const F& x, const TPmRow&) {
        logAfter(ctx, f(x, 1) + QLatin1Char('-') + RemoveSpaces(f(x, 2)));
    };
    return l;
}

} // namespace

void RegisterPlainFormats(std::vector<TPmFormat>& out)
{
    for (TPmLayout l : {alior("Alior Bank", 2, false), alior("Alior Bank (3)", 5, false),
                        alior("Alior Bank (4)", 2, true), alior5(), bs6(), raw(), bs13(), bs5(), pbs(),
                        fortis(), bs(), bzwbk("BZWBK", 6, 2, 5, 6, 1), bzwbk("BZWBK (4)", 7, 2, 6, 7, 1),
                        bzwbk("BZWBK (3)", 7, 2, 6, 7, 0), bzwbk("BZWBK (2)", 7, 3, 6, 7, 2), bs3()})
        out.push_back(MakeDelimitedFormat(std::move(l)));
}
