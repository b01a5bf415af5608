// MT940-style statements: a ":61:" tag opens each booked operation and the
// details follow as sub-fields. Four layouts read the file's lines and look a
// fixed number of lines ahead; four join the file into one text, cut a record
// from each ":61:" to the next ":61:" or ":64:" and walk it with a tag table.
#include "billing/RachunkiBankowe.h"
#include "core/Funkcje.h"
#include "payments/FormatyPm.h"

#include <algorithm>

namespace {

const QString kImported = QStringLiteral("Zaimportowano operacje dla rachunku: ");

QString separatorR()
{
    return QStringLiteral("R") + QString(53, QLatin1Char('-'));
}

// Characters from..from+count-1 (0-based) of a text; nothing past its end.
QString at(const QString& text, qsizetype from, qsizetype count = -1)
{
    if (from < 0 || from >= text.size()) return QString();
    return text.mid(from, count);
}

// The statement's yymmdd as "yyyy-mm-dd".
QString dateOf20(const QString& yymmdd)
{
    return PmDateYmd(QStringLiteral("20") + yymmdd);
}

// The text before the first stop (without it), or up to and including it.
QString upTo(const QString& text, QChar stop, bool including)
{
    const qsizetype i = text.indexOf(stop);
    if (i < 0) return text;
    return text.left(including ? i + 1 : i);
}

bool isStoredCode(const QString& code)
{
    static const QStringList codes = {QStringLiteral("911"), QStringLiteral("910"), QStringLiteral("976"),
                                      QStringLiteral("977"), QStringLiteral("978")};
    return codes.contains(code);
}

// The amount text of a record: converted when the row is written, so a
// debit whose window holds no digits is still counted.
Amount4 groszOf(const QString& digits)
{
    if (digits.isEmpty()) throw EPmReadError(QStringLiteral("Brak kwoty w zapisie"));
    return PmGroszDigits(digits);
}

// ---------------------------------------------------------------- read line by line

void bs12(TPmReadContext& ctx)
{
    const qsizetype n = ctx.Lines().size();
    QString date;
    for (qsizetype i = 0; i < n; ++i) {
        const QString line = ctx.Line(i);
        if (line.startsWith(QLatin1String(":60F:F"))) {
            date = dateOf20(DigitsOnly(at(line, 6, 6)));
            ctx.Log << QString() << QStringLiteral("Data: ") + date;
            continue;
        }
        if (!line.startsWith(QLatin1String(":61:"))) continue;
        const QString amount = PmAmountNtoN(line);
        ctx.Log << QStringLiteral("KWOTA (gr): ") + amount;
        if (i + 10 >= n) throw EPmReadError(QStringLiteral("Brak wierszy szczegółów zapisu"));
        QString account, title, payer[3];
        bool found = false;
        for (qsizetype j = i + 1; j <= i + 10; ++j) {
            const QString d = ctx.Line(j);
            if (d.startsWith(QLatin1String("<23za:"))) {
                account = PmGrouped(DigitsOnly(at(d, 5, 32)));
                found = true;
                ctx.Log << QStringLiteral("SUBKONTO: ") + account;
            } else if (d.startsWith(QLatin1String("<20"))) {
                title = at(d, 3, 50);
                ctx.Log << QStringLiteral("TYTUL:") + title;
            } else {
                for (int p = 0; p < 3; ++p)
                    if (d.startsWith(QStringLiteral("<2%1").arg(7 + p))) {
                        payer[p] = at(d, 3, 50);
                        ctx.Log << QStringLiteral("OD%1:").arg(p + 1) + payer[p];
                    }
            }
        }
        ++ctx.Read;
        if (found) {
            ctx.AddRow(TPmRow{date, groszOf(amount),
                              payer[0] + QLatin1Char(' ') + payer[1] + QLatin1Char(' ') + payer[2], account,
                              title});
            ctx.Log << kImported + account;
        }
        ctx.Log << QStringLiteral("ZAPIS") + QString(53, QLatin1Char('-'));
    }
}

// "BS (9)", "ING (2)", "Bank Pocztowy (2)": the credit letter in character 15.
struct TLineStatement
{
    QString dateTag;  // the log-only statement date: ":61:" or ":60F:"
    int dateFrom;     // 0-based start of its yymmdd
    qsizetype first;  // first line examined
    qsizetype spare;  // lines at the end never examined
    qsizetype needed; // lines the record must have after it
    QString (*amountRule)(const QString&);
    // Account, title and payer of the record at line i.
    void (*details)(TPmReadContext&, qsizetype, QString&, QString&, QString&);
};

void bs9Details(TPmReadContext& ctx, qsizetype i, QString& account, QString& title, QString& payer)
{
    const qsizetype last = std::min(i + 9, ctx.Lines().size() - 1);
    for (qsizetype j = i + 1; j <= last; ++j) {
        const QString d = ctx.Line(j);
        const QString rest = at(d, 3);
        if (d.startsWith(QLatin1String("<61")))
            account = DigitsOnly(at(d, 3, 26));
        else if (d.startsWith(QLatin1String("<20")))
            title = rest;
        else if (d.startsWith(QLatin1String("<21")) || d.startsWith(QLatin1String("<22")))
            title += rest;
        else if (d.startsWith(QLatin1String("<27")))
            payer = rest;
        else if (d.startsWith(QLatin1String("<28")))
            payer += rest;
    }
    ctx.Log << QStringLiteral("SUBKONTO: ") + account << QStringLiteral("TYTUŁ: ") + title
            << QStringLiteral("OD: ") + payer;
}

void ing2Details(TPmReadContext& ctx, qsizetype i, QString& account, QString& title, QString& payer)
{
    title = at(ctx.Line(i + 4), 2) + QLatin1Char(' ') + at(ctx.Line(i + 3), 2, 60);
    ctx.Log << QStringLiteral("TYTUŁ: ") + title;
    const QString p = ctx.Line(i + 8);
    payer = at(p, 22, p.size() - 23);
    ctx.Log << QStringLiteral("OD: ") + payer;
    for (qsizetype j = i + 10; j <= i + 15; ++j) {
        const QString d = ctx.Line(j);
        if (!d.startsWith(QLatin1String("~38"))) continue;
        account = DigitsOnly(at(d, 5, 26));
        ctx.Log << QStringLiteral("SUBKONTO: ") + account;
    }
}

void pocztowy2Details(TPmReadContext& ctx, qsizetype i, QString& account, QString& title, QString& payer)
{
    account = DigitsOnly(at(ctx.Line(i + 7), 4, 26));
    ctx.Log << QStringLiteral("SUBKONTO: ") + account;
    title = at(ctx.Line(i + 2), 2) + QLatin1Char(' ') + at(ctx.Line(i + 3), 2, 60);
    ctx.Log << QStringLiteral("TYTUŁ: ") + title;
    payer = at(ctx.Line(i + 6), 2);
    ctx.Log << QStringLiteral("OD: ") + payer;
}

void readLineStatement(TPmReadContext& ctx, const TLineStatement& s)
{
    const qsizetype n = ctx.Lines().size();
    for (qsizetype i = 0; i < std::min<qsizetype>(11, n); ++i) {
        const QString line = ctx.Line(i);
        if (line.startsWith(s.dateTag))
            ctx.Log << QString()
                    << QStringLiteral("Data wyciągu: ") + dateOf20(DigitsOnly(at(line, s.dateFrom, 6)))
                    << QString();
    }
    for (qsizetype i = s.first; i < n - s.spare; ++i) {
        const QString line = ctx.Line(i);
        if (!line.startsWith(QLatin1String(":61:"))) continue;
        ++ctx.Read;
        ctx.Log << line << QString();
        const QString date = dateOf20(at(line, 4, 6));
        ctx.Log << QStringLiteral("DATA KSIĘGOWANIA: ") + date;
        const QString amount = s.amountRule(at(line, 14, 20));
        ctx.Log << QStringLiteral("PLNx100: ") + amount;
        const QString credit = at(line, 14, 1);
        ctx.Log << QStringLiteral("KOD TRNSAKCJI: ") + credit;
        if (i + s.needed >= n) throw EPmReadError(QStringLiteral("Brak wierszy szczegółów zapisu"));
        QString account, title, payer;
        s.details(ctx, i, account, title, payer);
        if (credit == QLatin1String("C")) {
            ctx.AddRow(TPmRow{date, groszOf(amount), payer, PmGrouped(account), title});
            ctx.Log << kImported + PmGrouped(account);
        }
        ctx.Log << separatorR() << QString();
    }
}

// ---------------------------------------------------------------- read as one text

struct TRecordValues
{
    QString date; // the booking date rows of the record get
    Amount4 amount;
    QString credit, code, account, title, payer;
    bool accountFound = false;
};

struct TTextStatement;
using TTagAction = void (*)(TPmReadContext&, const TTextStatement&, const QString& rec, qsizetype k,
                            TRecordValues&);
// A tag either runs its action or takes the text after it: up to 200
// characters from `from` after the tag's start, cut at `stop` (kept when
// `keepStop`), logged after `label`.
struct TTag
{
    const char* tag;
    TTagAction action = nullptr;
    QString TRecordValues::*text = nullptr;
    int from = 0;
    char stop = 0;
    bool keepStop = false;
    const char* label = "";
};

struct TTextStatement
{
    enum class ReadAt
    {
        Found,
        Cut,
        Walked
    } readAt;
    // The statement date scan: the tag, how far into the text it may begin, the log label.
    const char* dateTag;
    qsizetype dateWithin;
    const char* dateLabel;
    bool dateBlankAfter;    // an empty line after the date's log line
    bool bookingFromRecord; // else the last statement date found
    bool blankAfterRecord;  // an empty line after the separator
    std::vector<TTag> tags;
    // Stores the record (false: the record is not stored at its end).
    bool (*store)(const TRecordValues&);
    QString (*storedAccount)(const TPmReadContext&, const TRecordValues&);
};

QString joinedText(const TPmReadContext& ctx)
{
    QString t;
    for (qsizetype i = 0; i < ctx.Lines().size(); ++i)
        t += ctx.Line(i).remove(QLatin1Char('\r'));
    return t;
}

// Where records end: the next ":61:" or ":64:" from a position on. Records
// are cut in order, so the answer is kept until the search passes it (a file
// of many ":61:" and no ":64:" must not be searched to its end each time).
class TRecordEnds
{
public:
    explicit TRecordEnds(const QString& text) : m_text(text) {}
    qsizetype From(qsizetype from)
    {
        if (m_none || (m_end >= from && m_searched <= from)) return m_none ? -1 : m_end;
        m_end = -1;
        for (const char* tag : {":61:", ":64:"}) {
            const qsizetype e = m_text.indexOf(QLatin1String(tag), from);
            if (e >= 0 && (m_end < 0 || e < m_end)) m_end = e;
        }
        m_searched = from;
        m_none = m_end < 0;
        return m_end;
    }

private:
    const QString& m_text;
    qsizetype m_end = -1;
    qsizetype m_searched = 0;
    bool m_none = false;
};

void storeRecord(TPmReadContext& ctx, const TTextStatement& s, const TRecordValues& v)
{
    const QString account = s.storedAccount(ctx, v);
    ctx.AddRow(TPmRow{v.date, v.amount, v.payer, account, v.title});
    ctx.Log << kImported + account;
}

void runTag(TPmReadContext& ctx, const TTextStatement& s, const TTag& tag, const QString& rec, qsizetype k,
            TRecordValues& v)
{
    if (tag.action) return tag.action(ctx, s, rec, k, v);
    QString& value = v.*tag.text;
    value = upTo(at(rec, k + tag.from, 200), QLatin1Char(tag.stop), tag.keepStop);
    ctx.Log << QString::fromUtf8(tag.label) + value;
}

void readTextStatement(TPmReadContext& ctx, const TTextStatement& s, const QString& firstLog = QString())
{
    const QString t = joinedText(ctx);
    if (!firstLog.isNull()) ctx.Log << firstLog + t.left(100) + QStringLiteral("......");
    const QString dateTag = QString::fromLatin1(s.dateTag);
    QString statementDate;
    for (qsizetype p = t.indexOf(dateTag); p >= 0 && p < s.dateWithin; p = t.indexOf(dateTag, p + 1)) {
        statementDate = dateOf20(DigitsOnly(at(t, p + 6, 6)));
        ctx.Log << QString() << QString::fromUtf8(s.dateLabel) + statementDate;
        if (s.dateBlankAfter) ctx.Log << QString();
    }
    TRecordEnds ends(t);
    for (qsizetype p = t.indexOf(QLatin1String(":61:")); p >= 0;
         p = t.indexOf(QLatin1String(":61:"), p + 1)) {
        if (s.readAt == TTextStatement::ReadAt::Found) ++ctx.Read;
        // The record: up to and including the first character of the next
        // ":61:" or ":64:" from its fourth character on; none without one.
        const qsizetype end = ends.From(p + 3);
        if (end < 0) continue;
        const QString rec = t.mid(p, end - p + 1);
        if (s.readAt == TTextStatement::ReadAt::Cut) ++ctx.Read;
        ctx.Log << rec << QString();
        QString date = statementDate;
        if (s.bookingFromRecord) {
            date = dateOf20(at(rec, 4, 6));
            ctx.Log << QStringLiteral("DATA KSIĘGOWANIA: ") + date;
        }
        TRecordValues v;
        v.date = date;
        const QStringView view(rec);
        for (qsizetype k = 0; k < rec.size(); ++k)
            for (const TTag& tag : s.tags)
                if (view.sliced(k).startsWith(QLatin1String(tag.tag))) runTag(ctx, s, tag, rec, k, v);
        if (s.readAt == TTextStatement::ReadAt::Walked) ++ctx.Read;
        if (s.store && s.store(v)) storeRecord(ctx, s, v);
        if (s.store) {
            ctx.Log << separatorR();
            if (s.blankAfterRecord) ctx.Log << QString();
        }
    }
}

// ---- tag actions

void amountLogged(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k,
                  TRecordValues& v)
{
    const QString digits = PmAmountNtoN(at(rec, k, 35));
    v.amount = groszOf(digits);
    ctx.Log << QStringLiteral("PLNx100: ") + digits;
    v.credit = at(rec, k + 10, 1);
    ctx.Log << QStringLiteral("KOD TRNSAKCJI: ") + v.credit;
}

void amountOnly(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k, TRecordValues& v)
{
    const QString digits = PmAmountNtoN(at(rec, k, 35));
    v.amount = groszOf(digits);
    ctx.Log << digits;
}

void bzwbkAccount(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k,
                  TRecordValues& v)
{
    v.account = DigitsOnly(at(rec, k + 3, 26));
    v.accountFound = true;
    ctx.Log << QStringLiteral("SUBKONTO: ") + v.account;
}

void mbankCode(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k, TRecordValues& v)
{
    v.code = DigitsOnly(v.code + RemoveSpaces(at(rec, k + 4, 4)));
    ctx.Log << QStringLiteral("KOD TRNSAKCJI: ") + v.code;
}

void mbankAccount(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k,
                  TRecordValues& v)
{
    v.account = CompleteNrb(ctx.BankNumber + ctx.ClientId + at(rec, k + 7, 12));
    v.accountFound = true;
    ctx.Log << QStringLiteral("SUBKONTO: ") + v.account;
}

void bs7Amount(TPmReadContext& ctx, const TTextStatement& s, const QString& rec, qsizetype k,
               TRecordValues& v)
{
    // A record without "<29" must not hand its values to the next one.
    v = TRecordValues{v.date, {}, {}, {}, {}, {}, {}, false};
    amountOnly(ctx, s, rec, k, v);
    v.credit = at(rec, k + 14, 1);
    ctx.Log << v.credit;
}

void bs7Account(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k, TRecordValues& v)
{
    const QString digits = DigitsOnly(at(rec, k + 6, 31));
    v.account = digits;
    v.accountFound = true;
    ctx.Log << QStringLiteral("SUBKONTO:") + digits;
}

// The record is stored and its values cleared at its "<29" sub-field.
void bs7End(TPmReadContext& ctx, const TTextStatement& s, const QString&, qsizetype, TRecordValues& v)
{
    if (v.credit == QLatin1String("C") && v.accountFound) storeRecord(ctx, s, v);
    v = TRecordValues{v.date, {}, {}, {}, {}, {}, {}, false};
    ctx.Log << separatorR();
}

void breCode(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k, TRecordValues& v)
{
    v.code = at(rec, k + 4, 3);
    ctx.Log << v.code;
}

void breAccount(TPmReadContext& ctx, const TTextStatement&, const QString& rec, qsizetype k, TRecordValues& v)
{
    v.account = DigitsOnly(at(rec, k + 7, 12));
    v.accountFound = true;
    ctx.Log << v.account;
}

bool creditStored(const TRecordValues& v)
{
    return v.credit == QLatin1String("C");
}

bool codeStored(const TRecordValues& v)
{
    return isStoredCode(v.code);
}

QString groupedAccount(const TPmReadContext&, const TRecordValues& v)
{
    return PmGrouped(v.account);
}

QString accountAsIs(const TPmReadContext&, const TRecordValues& v)
{
    return v.account;
}

QString rebuiltAccount(const TPmReadContext& ctx, const TRecordValues& v)
{
    return PmRebuilt(ctx, v.account);
}

const TTextStatement kBzwbk6{TTextStatement::ReadAt::Found,
                             ":60F:",
                             1500,
                             "Data wyciągu: ",
                             true,
                             true,
                             true,
                             {{":61:", amountLogged},
                              {">38", bzwbkAccount},
                              {":86:>20", nullptr, &TRecordValues::title, 8, '>', false, "TYTUŁ: "},
                              {">32", nullptr, &TRecordValues::payer, 3, '>', false, "OD: "}},
                             creditStored,
                             groupedAccount};

const TTextStatement kMbank{TTextStatement::ReadAt::Found,
                            ":60F:",
                            1500,
                            "Data wyciągu: ",
                            true,
                            true,
                            true,
                            {{":61:", amountLogged},
                             {":86:", mbankCode},
                             {"IPH: XX", mbankAccount},
                             {"TYT.:", nullptr, &TRecordValues::title, 6, ';', false, "TYTUŁ: "},
                             {"OD:", nullptr, &TRecordValues::payer, 3, ';', false, "OD: "}},
                            codeStored,
                            accountAsIs};

// Rows are written from the "<29" action; the store test is never asked.
const TTextStatement kBs7{TTextStatement::ReadAt::Cut,
                          ":60F:F",
                          1500,
                          "Data: ",
                          false,
                          false,
                          false,
                          {{":61:", bs7Amount},
                           {"<23za:", bs7Account},
                           {"<20", nullptr, &TRecordValues::title, 3, '<', true, "TYTUL:"},
                           {"<27", nullptr, &TRecordValues::payer, 3, '<', true, "OD:"},
                           {"<29", bs7End}},
                          nullptr,
                          groupedAccount};

const TTextStatement kBre{TTextStatement::ReadAt::Walked,
                          ":20:ST",
                          50,
                          "Data: ",
                          false,
                          false,
                          false,
                          {{":61:", amountOnly},
                           {":86:", breCode},
                           {"IPH: XX", breAccount},
                           {"TYT.:", nullptr, &TRecordValues::title, 6, ';', true},
                           {"; OD:", nullptr, &TRecordValues::payer, 6, ';', true}},
                          codeStored,
                          rebuiltAccount};

} // namespace

QString PmAmountNtoN(const QString& text)
{
    QString collected;
    bool on = false;
    for (const QChar c : text) {
        if (!on) {
            if (c != QLatin1Char('N')) continue;
            on = true;
        } else if (c == QLatin1Char('N') && collected.size() >= 4) {
            break;
        }
        collected += c;
    }
    return DigitsOnly(collected);
}

QString PmAmountCtoEnd(const QString& text)
{
    const qsizetype c = text.indexOf(QLatin1Char('C'));
    return c < 0 ? QString() : DigitsOnly(text.mid(c));
}

QString PmAmountCtoS(const QString& text)
{
    QString collected;
    bool on = false;
    for (const QChar c : text) {
        if (!on) {
            if (c != QLatin1Char('C')) continue;
            on = true;
        } else if (c == QLatin1Char('S') && collected.size() >= 4) {
            on = false;
            continue;
        }
        collected += c;
    }
    return DigitsOnly(collected);
}

void RegisterStatementFormats(std::vector<TPmFormat>& out)
{
    out.push_back({QStringLiteral("BS (12)"), bs12});
    out.push_back(
        {QStringLiteral("BS (9)"), [](TPmReadContext& ctx) {
             readLineStatement(ctx, {QStringLiteral(":61:"), 4, 0, 0, 0, PmAmountCtoEnd, bs9Details});
         }});
    out.push_back(
        {QStringLiteral("ING (2)"), [](TPmReadContext& ctx) {
             readLineStatement(ctx, {QStringLiteral(":60F:"), 6, 1, 10, 15, PmAmountCtoS, ing2Details});
         }});
    out.push_back(
        {QStringLiteral("Bank Pocztowy (2)"), [](TPmReadContext& ctx) {
             readLineStatement(ctx, {QStringLiteral(":60F:"), 6, 1, 0, 7, PmAmountCtoS, pocztowy2Details});
         }});
    out.push_back(
        {QStringLiteral("BZWBK (6)"), [](TPmReadContext& ctx) { readTextStatement(ctx, kBzwbk6); }});
    out.push_back({QStringLiteral("mBank"), [](TPmReadContext& ctx) { readTextStatement(ctx, kMbank); }});
    out.push_back({QStringLiteral("BS (7)"), [](TPmReadContext& ctx) { readTextStatement(ctx, kBs7); }});
    out.push_back({QStringLiteral("BRE Bank"), [](TPmReadContext& ctx) {
                       readTextStatement(ctx, kBre, QStringLiteral("Odczyt pliku: "));
                   }});
}
