#include "payments/FormatyPm.h"

#include "billing/RachunkiBankowe.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"

#include <QDate>
#include <algorithm>
#include <limits>

namespace {

// Rows per INSERT: a statement stays far below the server's packet size.
constexpr int kBatchRows = 200;

// The widths of the text columns; longer text is cut when written.
constexpr int kAccountWidth = 50;
constexpr int kTextWidth = 200;

// A decimal(16,2) holds 14 digits before the point.
const Amount4 kColumnLimit = Amount4::fromInt(100000000000000LL);

qint32 toInt32(const QString& text)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v > std::numeric_limits<qint32>::max() || v < std::numeric_limits<qint32>::min())
        throw EPmReadError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return qint32(v);
}

Amount4 grosz(qint32 v)
{
    return Amount4::fromRaw(qint64(v) * (Amount4::Scale / 100));
}

} // namespace

TPmReadContext::TPmReadContext(TDedicatedSession* session, QList<QByteArray> lines)
    : Today(QDate::currentDate().toString(Qt::ISODate)), m_session(session), m_lines(std::move(lines))
{
}

TPmReadContext::~TPmReadContext() = default;

QString TPmReadContext::Line(qsizetype i) const
{
    if (i < 0 || i >= m_lines.size()) return QString();
    return Cp1250ToString(m_lines.at(i));
}

void TPmReadContext::AddRow(const TPmRow& row)
{
    TPmRow r = row;
    if (!r.date.isEmpty()) {
        // The server would store a day that does not exist as the empty date
        // with only a warning: refuse it here.
        const QDate d = QDate::fromString(r.date, QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid() || r.date.size() != 10)
            throw EPmReadError(QStringLiteral("'%1' is not a valid date").arg(r.date));
    }
    if (r.amount.abs() >= kColumnLimit)
        throw EPmReadError(QStringLiteral("'%1' is not a valid amount").arg(r.amount.toSqlText()));
    r.account = r.account.left(kAccountWidth);
    r.payer = r.payer.left(kTextWidth);
    r.title = r.title.left(kTextWidth);
    m_pending.push_back(std::move(r));
    ++Imported;
    if (int(m_pending.size()) >= kBatchRows) Flush();
}

void TPmReadContext::Flush()
{
    if (m_pending.empty()) return;
    QString sql = QStringLiteral(
        "insert into PlatnosciMasowe (PM_DATABANK, PM_KWOTA, PM_ADRESWPLACAJACEGO, PM_NUMERRACHUNKU, "
        "PM_TYTUL, PM_DATAIMPORTU, PM_INDEXUSER, PM_INDEXOPLATA, PM_DATAKSIEGOWANIA) values ");
    TArgs args;
    args.reserve(m_pending.size() * 6);
    int p = 0;
    for (size_t i = 0; i < m_pending.size(); ++i) {
        const TPmRow& r = m_pending[i];
        if (i) sql += QLatin1Char(',');
        sql += QStringLiteral("(:p%1, :p%2, :p%3, :p%4, :p%5, :p%6, 0, 0, '0000-00-00')")
                   .arg(p + 1)
                   .arg(p + 2)
                   .arg(p + 3)
                   .arg(p + 4)
                   .arg(p + 5)
                   .arg(p + 6);
        p += 6;
        args.push_back(r.date.isEmpty() ? QStringLiteral("0000-00-00") : r.date);
        args.push_back(r.amount);
        args.push_back(r.payer);
        args.push_back(r.account);
        args.push_back(r.title);
        args.push_back(Today);
    }
    const TExecResult res = m_session->ExecQuery(sql, args);
    // One statement's keys are consecutive (the server's default lock mode).
    const int first = int(res.InsertId);
    const int last = first + int(m_pending.size()) - 1;
    if (!m_firstIndex) m_firstIndex = first;
    m_lastIndex = last;
    m_pending.clear();
}

QStringList SplitPmLine(const QString& line, QChar delimiter, TPmSplitter splitter, QString* changedLine)
{
    const QChar quote = QLatin1Char('"');
    QString l;
    if (splitter == TPmSplitter::Plain) {
        l = line;
    } else {
        l.reserve(line.size());
        bool inside = false;
        for (const QChar ch : line) {
            if (ch == quote) inside = !inside;
            if (inside && ch == delimiter) {
                if (splitter == TPmSplitter::QuotedBlank) l += QLatin1Char(' ');
                continue;
            }
            l += ch;
        }
    }
    if (changedLine) *changedLine = l;
    QStringList fields;
    QString cur;
    auto push = [&] {
        if (fields.size() < 49)
            fields.append(cur);
        else
            fields[48] = cur;
        cur.clear();
    };
    for (const QChar ch : l) {
        if (ch == delimiter)
            push();
        else if (splitter != TPmSplitter::Plain && ch == quote)
            continue;
        else
            cur += ch;
    }
    push();
    return fields;
}

QString PmField(const QStringList& fields, int n)
{
    return n >= 1 && n <= fields.size() ? fields.at(n - 1) : QString();
}

QString PmDateYmd(const QString& t)
{
    return t.mid(0, 4) + QLatin1Char('-') + t.mid(4, 2) + QLatin1Char('-') + t.mid(6, 2);
}

QString PmDateDmy(const QString& t)
{
    return t.mid(4, 4) + QLatin1Char('-') + t.mid(2, 2) + QLatin1Char('-') + t.mid(0, 2);
}

Amount4 PmGroszDigits(const QString& text)
{
    return grosz(toInt32(DigitsOnly(text)));
}

Amount4 PmGroszPlain(const QString& text)
{
    return grosz(toInt32(text));
}

Amount4 PmGroszSeparator(const QString& text)
{
    const QString joined = text.left(std::max<qsizetype>(0, text.size() - 3)) + text.right(2);
    return grosz(toInt32(joined));
}

Amount4 PmGroszNumber(const QString& text)
{
    // The program's number format has a decimal comma: a point does not convert.
    Amount4 a;
    if (text.contains(QLatin1Char('.')) || !Amount4::tryParse(text, a))
        throw EPmReadError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return Amount4::fromRaw(a.raw / 100);
}

Amount4 PmZloty(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    Amount4 a;
    if (!Amount4::tryParse(t, a) || t.trimmed() != t)
        throw EPmReadError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return a;
}

QString PmGrouped(const QString& x)
{
    QString out = x.mid(0, 2);
    for (int i = 2; i < 26; i += 4)
        out += QLatin1Char(' ') + x.mid(i, 4);
    return out;
}

QString PmChecked(const QString& x)
{
    return x.size() > 25 ? PmGrouped(x) : QStringLiteral("NIEPEŁNY NR RACHUNKU!");
}

QString PmRebuilt(const TPmReadContext& ctx, const QString& x)
{
    return CompleteNrb(ctx.BankNumber.mid(0, 4) + QLatin1Char(' ') + ctx.BankNumber.mid(4, 4) +
                       QLatin1Char(' ') + ctx.ClientId + QLatin1Char(' ') + x.mid(0, 4) + QLatin1Char(' ') +
                       x.mid(4, 4) + QLatin1Char(' ') + x.mid(8, 4));
}

QString PmLogSeparator()
{
    return QString(56, QLatin1Char('='));
}

void PmLogRecord(TPmReadContext& ctx, const QString& line, const QStringList& fields)
{
    ctx.Log.append(line);
    ctx.Log.append(fields);
    ctx.Log.append(PmLogSeparator());
}

const std::vector<TPmFormat>& PmFormats()
{
    static const std::vector<TPmFormat> formats = [] {
        std::vector<TPmFormat> v;
        RegisterPlainFormats(v);
        RegisterQuotedFormats(v);
        RegisterStatementFormats(v);
        std::sort(v.begin(), v.end(), [](const TPmFormat& a, const TPmFormat& b) {
            return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
        });
        return v;
    }();
    return formats;
}

QStringList PmFormatNames()
{
    QStringList names;
    for (const TPmFormat& f : PmFormats())
        names.append(f.name);
    return names;
}

const TPmFormat* FindPmFormat(const QString& name)
{
    for (const TPmFormat& f : PmFormats())
        if (f.name == name) return &f;
    return nullptr;
}
