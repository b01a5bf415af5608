// Placeholders of the statement text and their rendering as SQL literals.
#include "core/Query.h"
#include "core/QueryInternal.h"

using namespace QueryDetail;

namespace {

struct Placeholder
{
    qsizetype pos;
    qsizetype len;
    QString name;
};

// Finds ":name" placeholders outside quotes and comments, in text order.
std::vector<Placeholder> findPlaceholders(const QString& s)
{
    std::vector<Placeholder> out;
    const qsizetype n = s.size();
    auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            const QChar q = c;
            for (++i; i < n; ++i) {
                if (s[i] == QLatin1Char('\\') && q != QLatin1Char('`')) {
                    ++i;
                    continue;
                }
                if (s[i] == q) {
                    if (i + 1 < n && s[i + 1] == q) {
                        ++i;
                        continue;
                    }
                    break;
                }
            }
        } else if (c == QLatin1Char('#') ||
                   (c == QLatin1Char('-') && i + 2 < n + 1 && i + 1 < n && s[i + 1] == QLatin1Char('-') &&
                    (i + 2 >= n || s[i + 2].isSpace()))) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            i += 2;
            while (i + 1 < n && !(s[i] == QLatin1Char('*') && s[i + 1] == QLatin1Char('/')))
                ++i;
            ++i;
        } else if (c == QLatin1Char(':')) {
            if (i + 1 < n && s[i + 1] == QLatin1Char(':')) {
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            while (j < n && isNameChar(s[j]))
                ++j;
            if (j > i + 1) {
                out.push_back({i, j - i, s.mid(i + 1, j - i - 1)});
                i = j - 1;
            }
        }
    }
    return out;
}

} // namespace

void TQuery::parseParams()
{
    m_params.clear();
    if (!m_paramCheck) return;
    for (const Placeholder& p : findPlaceholders(SQLText())) {
        TParam param;
        param.Name = p.name;
        m_params.push_back(param);
    }
}

TParam* TQuery::ParamByName(const QString& name)
{
    for (TParam& p : m_params)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
}

void TQuery::BindArgs(const TArgs& args)
{
    const size_t n = std::min(args.size(), m_params.size());
    for (size_t i = 0; i < n; ++i)
        m_params[i].Assign(args[i]);
}

QByteArray TQuery::renderSql() const
{
    const QString text = SQLText();
    if (!m_paramCheck || m_params.empty()) return text.toUtf8();
    const auto places = findPlaceholders(text);
    TDedicatedSession* s = Session();
    QByteArray out;
    out.reserve(text.size() + 64);
    qsizetype last = 0;
    for (size_t i = 0; i < places.size() && i < m_params.size(); ++i) {
        const Placeholder& ph = places[i];
        const TParam& p = m_params[i];
        out += QStringView(text).mid(last, ph.pos - last).toUtf8();
        last = ph.pos + ph.len;
        if (!p.Bound) {
            // Left as written: the server refuses the statement, as it should.
            out += QStringView(text).mid(ph.pos, ph.len).toUtf8();
        } else if (p.IsNull) {
            out += "NULL";
        } else if (p.DataType == ftBoolean) {
            out += p.Text == QLatin1String("True") ? "1" : "0";
        } else if (p.DataType == ftBlob) {
            out += "X'";
            out += p.Bytes.toHex();
            out += '\'';
        } else if (isTextType(p.DataType)) {
            out += '\'';
            out += s->Escape(p.Text);
            out += '\'';
        } else {
            // Numbers go as they are, but only when they are numbers.
            double d;
            if (parseDouble(p.Text.toLatin1(), d) && !p.Text.contains(QLatin1Char(',')))
                out += p.Text.toLatin1();
            else {
                out += '\'';
                out += s->Escape(p.Text);
                out += '\'';
            }
        }
    }
    out += QStringView(text).mid(last).toUtf8();
    return out;
}
