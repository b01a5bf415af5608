#include "core/ListStatement.h"

#include "core/Query.h"

#include <QRegularExpression>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

// ---------------------------------------------------------------- TListCondition

TListCondition::TListCondition() : m_text(QStringLiteral(" WHERE (1=1) ")) {}

void TListCondition::Add(const QString& piece, const TArgs& args)
{
    qsizetype used = 0;
    for (const QChar c : piece) {
        if (c == QLatin1Char('?')) {
            m_text += QStringLiteral(":p") + QString::number(m_args.size() + 1);
            m_args.push_back(args.at(size_t(used++)));
        } else {
            m_text += c;
        }
    }
}

void TListCondition::AddDateFrom(const QString& field, const QDate& date)
{
    Add(QStringLiteral(" AND ") + field + QStringLiteral(" >= ?"), {date.toString(Qt::ISODate)});
}

void TListCondition::AddDateTo(const QString& field, const QDate& date)
{
    Add(QStringLiteral(" AND ") + field + QStringLiteral(" <= ?"), {date.toString(Qt::ISODate)});
}

void TListCondition::AddMainUsers(const QString& field, const QString& mainUserIdList)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*in\\s*\\(\\s*-?\\d+(\\s*,\\s*-?\\d+)*\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    // A main grid not read yet (or nothing to go by) selects no subscriber.
    const QString ids = shape.match(mainUserIdList).hasMatch() ? mainUserIdList : QStringLiteral(" in (0)");
    m_text +=
        QStringLiteral(" AND (") + field + QLatin1Char(' ') + ids.trimmed() + QStringLiteral(") ") + kCrLf;
}

// ---------------------------------------------------------------- TListStatement

TListStatement::TListStatement(TListConfig config) : m_config(std::move(config)) {}

TListCondition TListStatement::Condition() const
{
    TListCondition c;
    if (!SearchText.isEmpty()) {
        // The text as typed, bound: an apostrophe or a backslash is only a character.
        const QString pattern = QLatin1Char('%') + SearchText + QLatin1Char('%');
        QString piece = QStringLiteral(" AND ( ");
        TArgs args;
        for (int i = 0; i < m_config.SearchColumns.size(); ++i) {
            if (i > 0) piece += QStringLiteral(" OR ");
            piece += QLatin1Char('(') + m_config.SearchColumns[i] + QStringLiteral(" LIKE ?)");
            piece += i + 1 < m_config.SearchColumns.size() ? kCrLf : QStringLiteral(" )") + kCrLf;
            args.push_back(pattern);
        }
        c.Add(piece, args);
    }
    if (Filters) Filters(c);
    return c;
}

QString TListStatement::OrderClause() const
{
    if (SortDirection == 0) return QString();
    const QString dir = SortDirection == 1 ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
    QStringList keys;
    for (const QString& k : SortKeys)
        if (!k.isEmpty()) keys << k + dir;
    keys << m_config.TieBreak;
    return QStringLiteral(" order by ") + keys.join(QStringLiteral(", "));
}

TListSql TListStatement::Build() const
{
    const TListCondition c = Condition();
    return {QStringLiteral("select * from ") + m_config.View + QLatin1Char(' ') + c.Text() + OrderClause(),
            c.Args()};
}

QString TListStatement::SortedField() const
{
    return SortKeys[0] == m_config.NumberKeys[0] ? m_config.NumberField : SortKeys[0];
}

void TListStatement::TitleClick(const QString& field)
{
    if (SortedField().compare(field, Qt::CaseInsensitive) == 0) {
        SortDirection = SortDirection == 1 ? 2 : SortDirection == 2 ? 0 : 1;
    } else {
        SortDirection = 1;
        SortKeys[0] = field;
    }
    if (field == m_config.NumberField)
        for (int i = 0; i < 3; ++i)
            SortKeys[size_t(i)] = m_config.NumberKeys[size_t(i)];
    // Slots 2 and 3 stay once written: the number's month and sequence
    // remain the next keys of any later sort, as the office is used to.
    SortKeys[4] = m_config.NumberKeys[2];
}

// ---------------------------------------------------------------- totals

QString FormatListAmount(Amount4 value)
{
    // Rounded half away from zero to the grosz.
    qint64 raw = value.raw;
    const bool negative = raw < 0;
    if (negative) raw = -raw;
    const qint64 grosze = (raw + 50) / 100;
    QString whole = QString::number(grosze / 100);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(' '));
    return (negative && grosze != 0 ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',') +
           QStringLiteral("%1").arg(grosze % 100, 2, 10, QLatin1Char('0')) + QStringLiteral(" zł");
}

Amount4 SumListColumn(const TQuery& query, const QString& field)
{
    Amount4 sum;
    const TField* f = query.Active() ? query.FindField(field) : nullptr;
    if (!f) return sum;
    for (int r = 0; r < query.RecordCount(); ++r) {
        Amount4 v;
        if (Amount4::tryParse(QString::fromLatin1(query.Cell(r, f->Index())), v)) sum += v;
    }
    return sum;
}

QString ListIdWhere(const TQuery& query, const QString& keyField)
{
    QStringList keys;
    const TField* f = query.Active() ? query.FindField(keyField) : nullptr;
    if (f)
        for (int r = 0; r < query.RecordCount(); ++r)
            keys << QString::fromLatin1(query.Cell(r, f->Index()));
    keys << QStringLiteral("0");
    return QStringLiteral(" WHERE (1=1) AND ") + keyField + QStringLiteral(" in (") +
           keys.join(QLatin1Char(',')) + QStringLiteral(") ");
}

QString DocumentTotalsText(int count, Amount4 open, Amount4 gross)
{
    return QStringLiteral("Pozycji ") + QString::number(count) + QStringLiteral(" ; Do rozliczenia ") +
           FormatListAmount(open) + QStringLiteral(" z ") + FormatListAmount(gross);
}
