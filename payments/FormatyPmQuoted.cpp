// Delimited layouts with quoted fields: the twelve transfer-record files (one
// incoming transfer per line, the same field order) and the sixteen exports
// whose fields are each their own.
#include "billing/RachunkiBankowe.h"
#include "core/Funkcje.h"
#include "payments/FormatyPmDelimited.h"

namespace {

using F = QStringList;
using Map = std::function<void(TPmReadContext&, const F&, TPmRow&)>;

constexpr TPmSplitter kBlank = TPmSplitter::QuotedBlank;
constexpr TPmSplitter kDropped = TPmSplitter::QuotedDropped;

QString f(const F& fields, int n)
{
    return PmField(fields, n);
}

// Fields joined by single blanks.
QString spaced(const F& x, std::initializer_list<int> fields)
{
    QStringList parts;
    for (int n : fields)
        parts.append(f(x, n));
    return parts.join(QLatin1Char(' '));
}

void logAccount(TPmReadContext& ctx, const F&, const TPmRow& r)
{
    ctx.Log.append(QStringLiteral("Zaimportowano operacje dla rachunku: ") + r.account);
}

TPmLayout layout(const char* name, char delimiter, TPmSplitter splitter, std::vector<int> counts, Map map)
{
    TPmLayout l;
    l.name = QString::fromUtf8(name);
    l.delimiter = QLatin1Char(delimiter);
    l.splitter = splitter;
    l.counts = std::move(counts);
    l.map = std::move(map);
    l.after = logAccount;
    return l;
}

// ---- transfer records: F2 date, F3 grosz, the account field, F8 payer, F12 title

TPmLayout transfer(const char* name, TPmSplitter splitter, std::vector<int> counts, int accountField)
{
    return layout(name, ',', splitter, std::move(counts),
                  [accountField](TPmReadContext&, const F& x, TPmRow& r) {
                      r.date = PmDateYmd(f(x, 2));
                      r.amount = PmGroszNumber(f(x, 3));
                      r.payer = f(x, 8);
                      r.account = PmGrouped(f(x, accountField));
                      r.title = f(x, 12);
                  });
}

TPmLayout getin()
{
    TPmLayout l = transfer("Getin Bank", kBlank, {15}, 7);
    l.accept = [](const F& x) { return f(x, 1) == QLatin1String("111"); };
    return l;
}

TPmLayout raiffeisen()
{
    TPmLayout l = transfer("Raiffeisen", kDropped, {16}, 7);
    l.split = [](const QString& line) { return line.startsWith(QLatin1String("110")); };
    return l;
}

TPmLayout pko()
{
    TPmLayout l = transfer("PKO Bank Polski", kBlank, {16, 17}, 7);
    l.adjust = [](F& x) {
        if (x.size() >= 16) x[15] = DigitsOnly(x[15]);
    };
    l.store = [](const TPmReadContext&, const F& x) { return f(x, 16).size() > 15; };
    const Map base = l.map;
    l.map = [base](TPmReadContext& ctx, const F& x, TPmRow& r) {
        base(ctx, x, r);
        // The bank part from the recipient's account, the sixteen digits from F16.
        const QString a = f(x, 7);
        const QString d = f(x, 16);
        r.account = CompleteNrb(a.mid(2, 4) + QLatin1Char(' ') + a.mid(6, 4) + QLatin1Char(' ') +
                                d.mid(0, 4) + QLatin1Char(' ') + d.mid(4, 4) + QLatin1Char(' ') +
                                d.mid(8, 4) + QLatin1Char(' ') + d.mid(12, 4));
    };
    return l;
}

// ---- the exports of their own layout

// Lines are read and logged; rows are left out while the import list shows only failed imports.
bool unlessOnlyFailedShown(const TPmReadContext& ctx, const F&)
{
    return !ctx.OnlyFailedImportsShown;
}

TPmLayout bs15()
{
    TPmLayout l = layout("BS (15)", ',', kBlank, {8}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 4);
        r.amount = PmGroszDigits(f(x, 5));
        r.payer = f(x, 7);
        r.account = PmGrouped(f(x, 3));
        r.title = f(x, 8);
    });
    l.store = unlessOnlyFailedShown;
    return l;
}

TPmLayout ing4()
{
    TPmLayout l = layout("ING (4)", ',', kBlank, {9}, [](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 6));
        r.amount = PmGroszNumber(f(x, 5));
        r.payer = f(x, 9);
        r.account = PmRebuilt(ctx, f(x, 4));
        r.title = f(x, 7);
    });
    l.skipLines = 1;
    return l;
}

TPmLayout bs14()
{
    TPmLayout l = layout("BS (14)", ',', kBlank, {12, 13}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 2);
        r.amount = PmGroszDigits(f(x, 5));
        r.payer = f(x, 3);
        r.account = PmGrouped(DigitsOnly(f(x, 11)));
        r.title = f(x, 4);
    });
    // The heading line gives way to the line after it.
    l.takeNext = [](const QString& line) { return line.startsWith(QLatin1String("LP")); };
    l.decode = [](const QByteArray& line) { return DecodeWebText(line); };
    return l;
}

// "Millenium (csv)" and "(S4)": the same fields, only the date's place differs.
TPmLayout millennium(const char* name, char delimiter, TPmSplitter splitter, int dateField)
{
    return layout(name, delimiter, splitter, {12}, [dateField](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, dateField);
        r.amount = PmGroszNumber(f(x, 6));
        r.payer = f(x, 10);
        r.account = PmGrouped(f(x, 12));
        r.title = f(x, 11);
    });
}

TPmLayout pekao()
{
    TPmLayout l = layout("Bank Pekao", ',', kBlank, {19}, [](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 5));
        r.amount = PmGroszNumber(f(x, 4));
        r.payer = spaced(x, {7, 8, 9, 10});
        r.account = PmRebuilt(ctx, f(x, 13));
        r.title = spaced(x, {15, 16, 17, 18});
    });
    l.store = unlessOnlyFailedShown;
    return l;
}

TPmLayout alior2()
{
    TPmLayout l = layout("Alior Bank (2)", ';', kBlank, {12}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 2));
        r.amount = PmGroszSeparator(f(x, 10));
        r.payer = f(x, 3);
        // F5 by position: the account in characters 10-35, the title from 37 without the last character.
        const QString t = f(x, 5);
        r.account = PmGrouped(t.mid(9, 26));
        r.title = t.mid(36, std::max<qsizetype>(0, t.size() - 37));
    });
    l.takeNext = [](const QString& line) { return !line.startsWith(QLatin1Char('2')); };
    return l;
}

TPmLayout bps()
{
    return layout("BPS", ';', kBlank, {8}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 3));
        r.amount = PmGroszSeparator(f(x, 6));
        r.payer = f(x, 7);
        r.account = PmGrouped(f(x, 5));
        r.title = f(x, 8);
    });
}

TPmLayout bph()
{
    return layout("BPH", ',', kBlank, {12}, [](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 7));
        r.amount = PmGroszNumber(f(x, 6));
        r.payer = f(x, 10);
        r.account = PmRebuilt(ctx, f(x, 4));
        r.title = f(x, 9);
    });
}

// "Kredyt Bank" rebuilds the sub-account from F7, "(2)" groups F7 as it stands.
TPmLayout kredyt(const char* name, bool rebuilt)
{
    return layout(name, ',', kBlank, {9}, [rebuilt](TPmReadContext& ctx, const F& x, TPmRow& r) {
        r.date = PmDateYmd(f(x, 3));
        r.amount = PmGroszNumber(f(x, 4));
        r.payer = f(x, 6);
        r.account = rebuilt ? PmRebuilt(ctx, f(x, 7)) : PmGrouped(f(x, 7));
        r.title = f(x, 9);
    });
}

// "ING" and "ING (3)": the same fields, 20 or 18 of them.
TPmLayout ing(const char* name, int count)
{
    return layout(name, ',', kDropped, {count}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 5);
        r.amount = PmGroszNumber(f(x, 2));
        r.payer = spaced(x, {10, 11, 12, 13});
        r.account = PmGrouped(f(x, 1));
        r.title = spaced(x, {14, 15, 16, 17});
    });
}

TPmLayout millenniumS3()
{
    return layout("Millenium (S3)", ',', kDropped, {10}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 7);
        r.amount = PmGroszNumber(f(x, 6));
        r.payer = f(x, 9);
        r.account = PmGrouped(f(x, 4));
        r.title = f(x, 10);
    });
}

TPmLayout bs2()
{
    TPmLayout l = layout("BS (2)", ',', kBlank, {18}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 5);
        r.amount = PmGroszNumber(f(x, 2));
        r.payer = spaced(x, {10, 11, 12});
        r.account = PmGrouped(f(x, 1));
        r.title = f(x, 14) + f(x, 15);
    });
    l.logEvenFields = true;
    return l;
}

TPmLayout bs4()
{
    TPmLayout l = layout("BS (4)", ',', kBlank, {6}, [](TPmReadContext&, const F& x, TPmRow& r) {
        r.date = f(x, 1);
        r.amount = PmGroszDigits(f(x, 2));
        r.payer = f(x, 4);
        r.account = PmGrouped(f(x, 6));
        r.title = f(x, 3);
    });
    l.logEvenFields = true;
    // This layout's failure ends the read without a message.
    l.start = [](TPmReadContext& ctx) {
        ctx.Silent = true;
        return true;
    };
    return l;
}

} // namespace

void RegisterQuotedFormats(std::vector<TPmFormat>& out)
{
    for (TPmLayout l : {transfer("BS (10)", kBlank, {16}, 6),
                        transfer("BS (11)", kBlank, {16, 17}, 7),
                        transfer("BZWBK (5)", kBlank, {18}, 7),
                        transfer("Deutsche Bank", kBlank, {22}, 7),
                        getin(),
                        transfer("Bank Pocztowy", kDropped, {15, 16}, 7),
                        transfer("BS (8)", kDropped, {15, 16}, 6),
                        raiffeisen(),
                        pko(),
                        transfer("BGŻ", kBlank, {18}, 7),
                        transfer("BGŻ (2)", kBlank, {16}, 7),
                        transfer("BGŻ (3)", kBlank, {16}, 16),
                        bs15(),
                        ing4(),
                        bs14(),
                        millennium("Millenium (csv)", '|', kBlank, 3),
                        pekao(),
                        alior2(),
                        bps(),
                        bph(),
                        kredyt("Kredyt Bank", true),
                        kredyt("Kredyt Bank (2)", false),
                        ing("ING (3)", 18),
                        ing("ING", 20),
                        millenniumS3(),
                        millennium("Millenium (S4)", ',', kDropped, 4),
                        bs2(),
                        bs4()})
        out.push_back(MakeDelimitedFormat(std::move(l)));
}
