#include "core/Query.h"

#include <QLocale>
#include <QTimeZone>
#include <charconv>
#include <cmath>
#include <mysql.h>

namespace {

const char* const kTypeNames[] = {
    "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat", "ftCurrency",
    "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo",
    "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor", "ftFixedChar",
    "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference", "ftDataSet"};

constexpr double kUnixEpochDays = 25569.0; // 1970-01-01 as days since 1899-12-30
const QDate kBaseDate(1899, 12, 30);

const QString kBindPrefix = QStringLiteral(
    "function TDedicatedSession.MakeTempTQuery(const sql: string; const Args: array of const): TQuery; >> ");

TFieldType mapType(const TDedicatedSession::RawResult::Column& c)
{
    switch (c.type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT: return ftSmallint;
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24: return (c.flags & AUTO_INCREMENT_FLAG) ? ftAutoInc : ftInteger;
    case MYSQL_TYPE_LONGLONG: return ftLargeint;
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE: return ftFloat;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL: return ftBCD;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE: return ftDate;
    case MYSQL_TYPE_TIME: return ftTime;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP: return ftDateTime;
    case MYSQL_TYPE_YEAR: return ftSmallint;
    case MYSQL_TYPE_BIT: return ftLargeint;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB: return c.charsetnr == 63 ? ftBlob : ftMemo;
    case MYSQL_TYPE_STRING: return c.charsetnr == 63 ? ftBytes : ftString;
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR: return c.charsetnr == 63 ? ftVarBytes : ftString;
    default: return ftString;
    }
}

bool isBinaryType(TFieldType t)
{
    switch (t) {
    case ftBlob: case ftBytes: case ftVarBytes: case ftGraphic: case ftTypedBinary: return true;
    default: return false;
    }
}

bool isTextType(TFieldType t)
{
    switch (t) {
    case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString: case ftUnknown:
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftTypedBinary: case ftDate:
    case ftTime: case ftDateTime: return true;
    default: return false;
    }
}

// Shortest text that reads back as the same double, with a point.
QString floatToSql(double v)
{
    if (!std::isfinite(v)) return QStringLiteral("0");
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(res.ptr - buf));
}

// The program's formats: decimal comma, no thousands separator, no exponent for ordinary values.
QString floatToDisplay(double v)
{
    if (v == std::floor(v) && std::fabs(v) < 1e15) return QString::number(qint64(v));
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

EDatabaseError convertError(const QString& text, const char* what)
{
    return EDatabaseError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)),
                          QStringLiteral("EConvertError"));
}

bool parseDouble(QByteArrayView raw, double& out)
{
    QByteArray t = raw.trimmed().toByteArray();
    if (t.isEmpty()) return false;
    t.replace(',', '.');
    const char* b = t.constData();
    const char* e = b + t.size();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e;
}

bool parseInt64(QByteArrayView raw, qint64& out)
{
    QByteArrayView t = raw.trimmed();
    if (t.isEmpty()) return false;
    const char* b = t.data();
    const char* e = b + t.size();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e;
}

int digits(const char* p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9') return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

// "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss[.f]" or "hh:mm:ss"; false when it is neither.
bool parseDateTimeText(QByteArrayView t, double& out, bool& zeroDate)
{
    zeroDate = false;
    const char* p = t.data();
    const int n = int(t.size());
    double day = 0;
    int pos = 0;
    if (n >= 10 && p[4] == '-' && p[7] == '-') {
        const int y = digits(p, 4), m = digits(p + 5, 2), d = digits(p + 8, 2);
        if (y < 0 || m < 0 || d < 0) return false;
        if (y == 0 && m == 0 && d == 0) {
            zeroDate = true;
            out = 0;
            return true;
        }
        const QDate date(y, m, d);
        if (!date.isValid()) return false;
        day = double(kBaseDate.daysTo(date));
        pos = 10;
        if (pos < n && (p[pos] == ' ' || p[pos] == 'T')) ++pos;
        else if (pos == n) {
            out = day;
            return true;
        }
    }
    if (n - pos >= 8 && p[pos + 2] == ':' && p[pos + 5] == ':') {
        const int h = digits(p + pos, 2), mi = digits(p + pos + 3, 2), s = digits(p + pos + 6, 2);
        if (h < 0 || mi < 0 || s < 0) return false;
        double frac = 0;
        if (n - pos > 9 && p[pos + 8] == '.') {
            double scale = 0.1;
            for (int i = pos + 9; i < n && p[i] >= '0' && p[i] <= '9'; ++i, scale /= 10) frac += (p[i] - '0') * scale;
        }
        const double secs = h * 3600.0 + mi * 60.0 + s + frac;
        out = day + (day < 0 ? -secs : secs) / 86400.0;
        return true;
    }
    if (pos == 0) return false;
    out = day;
    return true;
}

} // namespace

const char* FieldTypeName(TFieldType t)
{
    const int i = int(t);
    return (i >= 0 && i < int(std::size(kTypeNames))) ? kTypeNames[i] : "ftUnknown";
}

bool IsNumericFieldType(TFieldType t)
{
    switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
    case ftLargeint: case ftBoolean: return true;
    default: return false;
    }
}

double DateToDouble(const QDate& d)
{
    return d.isValid() ? double(kBaseDate.daysTo(d)) : 0.0;
}

double DateTimeToDouble(const QDateTime& dt)
{
    if (!dt.isValid()) return 0.0;
    const double day = DateToDouble(dt.date());
    const double secs = dt.time().msecsSinceStartOfDay() / 1000.0;
    return day + (day < 0 ? -secs : secs) / 86400.0;
}

QDateTime DoubleToDateTime(double v)
{
    const double whole = std::trunc(v);
    const QDate d = kBaseDate.addDays(qint64(whole));
    const qint64 ms = qint64(std::llround(std::fabs(v - whole) * 86400000.0));
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(std::min<qint64>(ms, 86399999))));
}

// ---------------------------------------------------------------- TParam

void TParam::Clear()
{
    Bound = false;
    IsNull = true;
    Text.clear();
    Bytes.clear();
}

void TParam::Assign(const TArg& a)
{
    if (a.secret() || (a.kind() == TArg::Kind::Param && a.param()->Secret)) Secret = true;
    Bound = true;
    IsNull = false;
    Bytes.clear();
    switch (a.kind()) {
    case TArg::Kind::Null:
        if (DataType == ftUnknown) DataType = ftString;
        IsNull = true;
        Text.clear();
        break;
    case TArg::Kind::Integer:
        DataType = ftInteger;
        Text = QString::number(a.intValue());
        break;
    case TArg::Kind::Int64:
        // Values that fit a 32-bit integer (its minimum and maximum excluded) bind
        // as integers; the rest as floats, as the old layer did.
        DataType = (a.intValue() > -2147483648LL && a.intValue() < 2147483647LL) ? ftInteger : ftFloat;
        Text = QString::number(a.intValue());
        break;
    case TArg::Kind::Boolean:
        DataType = ftBoolean;
        Text = a.intValue() ? QStringLiteral("True") : QStringLiteral("False");
        break;
    case TArg::Kind::Char:
    case TArg::Kind::Text:
        DataType = ftString;
        Text = a.textValue();
        break;
    case TArg::Kind::Float:
        DataType = ftFloat;
        Text = floatToSql(a.floatValue());
        break;
    case TArg::Kind::Currency:
        DataType = ftCurrency;
        Text = Amount4::fromRaw(a.intValue()).toSqlText();
        break;
    case TArg::Kind::Field: {
        const TField* f = a.field();
        if (DataType == ftUnknown) DataType = ftString;
        DataType = f->DataType == ftUnknown ? ftString : f->DataType;
        if (f->DataType == ftAutoInc) DataType = ftInteger;
        IsNull = f->IsNull();
        if (isBinaryType(f->DataType)) {
            // Bytes of a blob are no text: they must reach the server unchanged.
            DataType = ftBlob;
            Bytes = IsNull ? QByteArray() : f->AsBytes();
            Text.clear();
            break;
        }
        Text = IsNull ? QString() : QString::fromUtf8(f->AsBytes());
        if (f->DataType == ftBoolean && !IsNull) Text = f->AsBoolean() ? QStringLiteral("True") : QStringLiteral("False");
        break;
    }
    case TArg::Kind::Param: {
        const TParam* p = a.param();
        DataType = p->DataType == ftUnknown ? ftString : p->DataType;
        IsNull = p->IsNull;
        Text = p->Text;
        Bytes = p->Bytes;
        Bound = p->Bound || true;
        break;
    }
    case TArg::Kind::Pointer:
        Bound = false;
        throw EDatabaseError(kBindPrefix + QStringLiteral("Assigned Pointer!"));
    case TArg::Kind::Invalid:
        Bound = false;
        throw EDatabaseError(kBindPrefix + QStringLiteral("INVALID TYPE!"));
    }
}

QString TParam::DisplayValue() const
{
    if (IsNull || !Bound) return QString();
    switch (DataType) {
    case ftBlob: return QStringLiteral("(BLOB, %1 bytes)").arg(Bytes.size());
    case ftFloat:
    case ftCurrency:
    case ftBCD: {
        double v = 0;
        if (parseDouble(Text.toUtf8(), v)) return floatToDisplay(v);
        return Text;
    }
    default: return Text;
    }
}

// ---------------------------------------------------------------- TField

TField::TField(TQuery* dataSet, int index, QString name, TFieldType type)
    : FieldName(std::move(name)), DataType(type), m_ds(dataSet), m_index(index)
{
}

QByteArray TField::AsBytes() const
{
    // A copy: the cell points into the result buffer, which goes with the dataset.
    const QByteArray raw = m_ds->CurrentCell(m_index);
    return raw.isNull() ? QByteArray() : QByteArray(raw.constData(), raw.size());
}

bool TField::IsNull() const
{
    return m_ds->CurrentCell(m_index).isNull();
}

QString TField::AsString() const
{
    const QByteArray raw = m_ds->CurrentCell(m_index);
    if (raw.isNull()) return QString();
    switch (DataType) {
    case ftFloat:
    case ftBCD:
    case ftCurrency: {
        double v = 0;
        if (!parseDouble(raw, v)) return QString::fromUtf8(raw);
        // Decimals keep their exact digits; only the separator changes.
        if (DataType != ftFloat) {
            QString s = QString::fromLatin1(raw);
            if (s.contains(QLatin1Char('.'))) {
                while (s.endsWith(QLatin1Char('0'))) s.chop(1);
                if (s.endsWith(QLatin1Char('.'))) s.chop(1);
                s.replace(QLatin1Char('.'), QLatin1Char(','));
            }
            if (s == QLatin1String("-0")) s = QStringLiteral("0");
            return s;
        }
        return floatToDisplay(v);
    }
    case ftDate:
        if (raw.startsWith("0000-00-00")) return QString();
        return QString::fromLatin1(raw);
    case ftDateTime:
        if (raw.startsWith("0000-00-00")) return QString();
        if (raw.endsWith(" 00:00:00")) return QString::fromLatin1(raw.left(10));
        return QString::fromLatin1(raw.left(19));
    default: return QString::fromUtf8(raw);
    }
}

qint64 TField::AsLargeInt() const
{
    const QByteArray raw = m_ds->CurrentCell(m_index);
    if (raw.isNull()) return 0;
    qint64 v = 0;
    if (parseInt64(raw, v)) return v;
    double d = 0;
    if (parseDouble(raw, d)) return qint64(std::llround(d));
    if (DataType == ftDate || DataType == ftDateTime) return qint64(AsDateTime());
    throw convertError(QString::fromUtf8(raw), "integer value");
}

int TField::AsInteger() const
{
    const qint64 v = AsLargeInt();
    if (v > INT32_MAX || v < INT32_MIN)
        throw convertError(QString::fromUtf8(m_ds->CurrentCell(m_index)), "integer value");
    return int(v);
}

double TField::AsFloat() const
{
    const QByteArray raw = m_ds->CurrentCell(m_index);
    if (raw.isNull()) return 0.0;
    if (DataType == ftDate || DataType == ftDateTime || DataType == ftTime) return AsDateTime();
    double v = 0;
    if (parseDouble(raw, v)) return v;
    throw convertError(QString::fromUtf8(raw), "floating point value");
}

double TField::AsDateTime() const
{
    const QByteArray raw = m_ds->CurrentCell(m_index);
    if (raw.isNull() || raw.isEmpty()) return 0.0;
    if (IsNumericFieldType(DataType)) {
        double v = 0;
        if (parseDouble(raw, v)) return v;
    }
    double v = 0;
    bool zero = false;
    if (parseDateTimeText(raw, v, zero)) return v;
    throw convertError(QString::fromUtf8(raw), "date and time");
}

QDate TField::AsDate() const
{
    const double v = AsDateTime();
    if (v == 0.0) return QDate();
    return kBaseDate.addDays(qint64(std::floor(v)));
}

QDateTime TField::AsQDateTime() const
{
    const double v = AsDateTime();
    if (v == 0.0) return QDateTime();
    return DoubleToDateTime(v);
}

bool TField::AsBoolean() const
{
    const QByteArray raw = m_ds->CurrentCell(m_index);
    if (raw.isNull() || raw.isEmpty()) return false;
    if (IsNumericFieldType(DataType)) {
        double v = 0;
        return parseDouble(raw, v) && v != 0.0;
    }
    switch (raw.at(0)) {
    case 'T': case 't': case 'Y': case 'y': case '1': return true;
    case 'F': case 'f': case 'N': case 'n': case '0': return false;
    default: throw convertError(QString::fromUtf8(raw), "Boolean value");
    }
}

Amount4 TField::AsCurrency() const
{
    const QByteArray raw = m_ds->CurrentCell(m_index);
    if (raw.isNull()) return {};
    Amount4 a;
    if (Amount4::tryParse(QString::fromLatin1(raw), a)) return a;
    double v = 0;
    if (parseDouble(raw, v)) return Amount4::fromDouble(v);
    throw convertError(QString::fromUtf8(raw), "floating point value");
}

QVariant TField::Value() const
{
    if (IsNull()) return QVariant();
    switch (DataType) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: return AsLargeInt();
    case ftFloat: case ftBCD: case ftCurrency: return AsFloat();
    case ftDate: { const QDate d = AsDate(); return d.isValid() ? QVariant(d) : QVariant(); }
    case ftDateTime: { const QDateTime d = AsQDateTime(); return d.isValid() ? QVariant(d) : QVariant(); }
    case ftBlob: case ftBytes: case ftVarBytes: case ftGraphic: return AsBytes();
    default: return AsString();
    }
}

TArg TField::AsArg() const
{
    return TArg(*this);
}

void TField::SetAsString(const QString& v)
{
    m_ds->SetCurrentCell(m_index, v.toUtf8().isNull() ? QByteArray("") : v.toUtf8());
}

void TField::SetAsInteger(qint64 v)
{
    m_ds->SetCurrentCell(m_index, QByteArray::number(v));
}

void TField::SetAsFloat(double v)
{
    m_ds->SetCurrentCell(m_index, floatToSql(v).toLatin1());
}

void TField::SetAsBoolean(bool v)
{
    if (IsNumericFieldType(DataType)) m_ds->SetCurrentCell(m_index, v ? "1" : "0");
    else m_ds->SetCurrentCell(m_index, v ? "T" : "N");
}

void TField::SetAsCurrency(Amount4 v)
{
    m_ds->SetCurrentCell(m_index, v.toSqlText().toLatin1());
}

void TField::SetAsDate(const QDate& v)
{
    m_ds->SetCurrentCell(m_index, v.isValid() ? v.toString(QStringLiteral("yyyy-MM-dd")).toLatin1()
                                              : QByteArray("0000-00-00"));
}

void TField::SetAsDateTime(const QDateTime& v)
{
    m_ds->SetCurrentCell(m_index, v.isValid() ? v.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1()
                                              : QByteArray("0000-00-00 00:00:00"));
}

void TField::SetValue(const QVariant& v)
{
    if (v.isNull() || !v.isValid()) return Clear();
    switch (v.typeId()) {
    case QMetaType::Bool: return SetAsBoolean(v.toBool());
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::Long:
        return SetAsInteger(v.toLongLong());
    case QMetaType::Double: case QMetaType::Float: return SetAsFloat(v.toDouble());
    case QMetaType::QDate: return SetAsDate(v.toDate());
    case QMetaType::QDateTime: return SetAsDateTime(v.toDateTime());
    case QMetaType::QByteArray: return m_ds->SetCurrentCell(m_index, v.toByteArray());
    default: return SetAsString(v.toString());
    }
}

void TField::Clear()
{
    m_ds->SetCurrentCell(m_index, QByteArray());
}

// ---------------------------------------------------------------- TQuery

TQuery::TQuery(TDedicatedSession* session, QObject* parent) : QObject(parent), m_session(session) {}

TQuery::~TQuery() = default;

TDedicatedSession* TQuery::Session() const
{
    return m_session ? m_session : GlobalSession();
}

void TQuery::SetSQL(const QString& sql)
{
    if (Active()) Close();
    m_sql = sql.split(QLatin1Char('\n'));
    for (QString& l : m_sql)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    parseParams();
}

void TQuery::AddSQL(const QString& line)
{
    if (Active()) Close();
    m_sql.append(line);
    parseParams();
}

void TQuery::SetParamCheck(bool on)
{
    m_paramCheck = on;
    parseParams();
}

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
                if (s[i] == QLatin1Char('\\') && q != QLatin1Char('`')) { ++i; continue; }
                if (s[i] == q) {
                    if (i + 1 < n && s[i + 1] == q) { ++i; continue; }
                    break;
                }
            }
        } else if (c == QLatin1Char('#') ||
                   (c == QLatin1Char('-') && i + 2 < n + 1 && i + 1 < n && s[i + 1] == QLatin1Char('-') &&
                    (i + 2 >= n || s[i + 2].isSpace()))) {
            while (i < n && s[i] != QLatin1Char('\n')) ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            i += 2;
            while (i + 1 < n && !(s[i] == QLatin1Char('*') && s[i + 1] == QLatin1Char('/'))) ++i;
            ++i;
        } else if (c == QLatin1Char(':')) {
            if (i + 1 < n && s[i + 1] == QLatin1Char(':')) { ++i; continue; }
            qsizetype j = i + 1;
            while (j < n && isNameChar(s[j])) ++j;
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
    for (size_t i = 0; i < n; ++i) m_params[i].Assign(args[i]);
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

void TQuery::fillFromMaster()
{
    if (!m_master || !m_master->Active()) return;
    for (TParam& p : m_params) {
        if (TField* f = m_master->FindField(p.Name)) p.Assign(TArg(*f));
    }
}

void TQuery::Open()
{
    if (Active()) return;
    if (BeforeOpen) BeforeOpen(*this);
    fillFromMaster();
    auto result = Session()->RunRendered(renderSql());
    m_result = result;
    m_columns = result->columns;
    m_fields.clear();
    m_rows.clear();
    const int ncol = int(m_columns.size());
    for (int i = 0; i < ncol; ++i) {
        auto f = std::make_unique<TField>(this, i, m_columns[size_t(i)].name, mapType(m_columns[size_t(i)]));
        f->Origin = m_columns[size_t(i)].table;
        f->OriginName = m_columns[size_t(i)].orgName;
        f->IsKey = m_columns[size_t(i)].flags & PRI_KEY_FLAG;
        f->AutoIncrement = m_columns[size_t(i)].flags & AUTO_INCREMENT_FLAG;
        f->Size = int(m_columns[size_t(i)].length);
        m_fields.push_back(std::move(f));
    }
    m_rows.resize(result->rows.size());
    for (size_t r = 0; r < result->rows.size(); ++r) {
        m_rows[r].cells = result->rows[r];
        m_rows[r].lengths = result->lengths.data() + r * size_t(ncol);
    }
    m_state = dsBrowse;
    m_table.clear();
    m_keys.clear();
    m_cur = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    emit DataReset();
    notifyCurrent();
    if (AfterOpen) AfterOpen(*this);
}

void TQuery::ExecSQL()
{
    if (Active()) Close();
    fillFromMaster();
    Session()->RunRendered(renderSql());
}

void TQuery::Close()
{
    if (!Active()) return;
    if (BeforeClose) BeforeClose(*this);
    m_state = dsInactive;
    m_rows.clear();
    m_fields.clear();
    m_columns.clear();
    m_result.reset();
    m_editBuf.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    emit DataReset();
    if (AfterClose) AfterClose(*this);
}

void TQuery::requireBrowse(const char* op) const
{
    if (m_state == dsInactive)
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on a closed dataset")
                                 .arg(QLatin1String(op)));
}

void TQuery::notifyCurrent()
{
    if (m_disableCount > 0) {
        m_movedWhileDisabled = true;
        return;
    }
    emit CurrentChanged(m_cur);
}

void TQuery::moveTo(int row)
{
    if (m_state == dsEdit || m_state == dsInsert) Post();
    const int old = m_cur;
    m_cur = row;
    if (old != m_cur) {
        notifyCurrent();
        if (AfterScroll && m_disableCount == 0) AfterScroll(*this);
    }
}

void TQuery::First()
{
    requireBrowse("First");
    moveTo(m_rows.empty() ? -1 : 0);
    m_bof = true;
    m_eof = m_rows.empty();
}

void TQuery::Last()
{
    requireBrowse("Last");
    moveTo(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.empty();
}

void TQuery::Next()
{
    requireBrowse("Next");
    if (m_rows.empty() || m_cur >= int(m_rows.size()) - 1) {
        if (m_state != dsBrowse) Post();
        m_eof = true;
        return;
    }
    moveTo(m_cur + 1);
    m_bof = false;
    m_eof = false;
}

void TQuery::Prior()
{
    requireBrowse("Prior");
    if (m_cur <= 0) {
        if (m_state != dsBrowse) Post();
        m_bof = true;
        return;
    }
    moveTo(m_cur - 1);
    m_bof = false;
    m_eof = false;
}

void TQuery::SetRecNo(int recNo)
{
    requireBrowse("RecNo");
    if (m_rows.empty()) return;
    moveTo(std::clamp(recNo, 1, int(m_rows.size())) - 1);
    m_bof = m_eof = false;
}

TField* TQuery::FindField(const QString& name) const
{
    for (const auto& f : m_fields)
        if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

TField* TQuery::FieldByName(const QString& name) const
{
    if (TField* f = FindField(name)) return f;
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
}

QStringList TQuery::FieldNames() const
{
    QStringList out;
    for (const auto& f : m_fields) out << f->FieldName;
    return out;
}

QByteArray TQuery::Cell(int row, int col) const
{
    if (row < 0 || row >= int(m_rows.size()) || col < 0 || col >= int(m_columns.size())) return QByteArray();
    return m_rows[size_t(row)].at(col);
}

QByteArray TQuery::CurrentCell(int col) const
{
    if ((m_state == dsEdit || m_state == dsInsert) && size_t(col) < m_editBuf.size())
        return m_editBuf[size_t(col)];
    return Cell(m_cur, col);
}

bool TQuery::CellIsNull(int row, int col) const
{
    return Cell(row, col).isNull();
}

QString TQuery::CellText(int row, int col) const
{
    // Reuses the field's conversion on another row without moving the cursor.
    if (row == m_cur || col < 0 || col >= FieldCount()) return col < FieldCount() && row == m_cur
                                                                  ? m_fields[size_t(col)]->AsString()
                                                                  : QString();
    auto* self = const_cast<TQuery*>(this);
    const int saved = self->m_cur;
    const TDataSetState st = self->m_state;
    self->m_cur = row;
    self->m_state = dsBrowse;
    QString s = m_fields[size_t(col)]->AsString();
    self->m_cur = saved;
    self->m_state = st;
    return s;
}

QVariant TQuery::CellValue(int row, int col) const
{
    if (col < 0 || col >= FieldCount()) return QVariant();
    auto* self = const_cast<TQuery*>(this);
    const int saved = self->m_cur;
    const TDataSetState st = self->m_state;
    if (row != saved) {
        self->m_cur = row;
        self->m_state = dsBrowse;
    }
    QVariant v = m_fields[size_t(col)]->Value();
    self->m_cur = saved;
    self->m_state = st;
    return v;
}

bool TQuery::Locate(const QString& keyFields, const TArgs& values, TLocateOptions options)
{
    requireBrowse("Locate");
    const QStringList names = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    std::vector<int> cols;
    for (const QString& n : names) cols.push_back(FieldByName(n.trimmed())->Index());
    std::vector<std::optional<QString>> wanted;
    for (size_t i = 0; i < cols.size(); ++i) {
        if (i >= values.size() || values[i].kind() == TArg::Kind::Null) {
            wanted.emplace_back(std::nullopt);
            continue;
        }
        TParam p;
        p.Assign(values[i]);
        QString t = p.Text;
        if (p.DataType == ftFloat || p.DataType == ftCurrency) t = p.DisplayValue();
        wanted.emplace_back(t);
    }
    const Qt::CaseSensitivity cs = options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int r = 0; r < int(m_rows.size()); ++r) {
        bool match = true;
        for (size_t i = 0; i < cols.size() && match; ++i) {
            if (!wanted[i]) {
                match = CellIsNull(r, cols[i]);
                continue;
            }
            const QString have = CellText(r, cols[i]);
            match = options.partialKey ? have.startsWith(*wanted[i], cs) : have.compare(*wanted[i], cs) == 0;
        }
        if (match) {
            moveTo(r);
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

void TQuery::DisableControls()
{
    ++m_disableCount;
}

void TQuery::EnableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0 && m_movedWhileDisabled) {
        m_movedWhileDisabled = false;
        emit CurrentChanged(m_cur);
    }
}

// ---------------------------------------------------------------- master-detail

void TQuery::SetMasterSource(TQuery* master)
{
    for (auto& c : m_masterConn) QObject::disconnect(c);
    m_master = master;
    if (!master) return;
    m_masterConn[0] = connect(master, &TQuery::CurrentChanged, this, [this](int) { onMasterChanged(); });
    m_masterConn[1] = connect(master, &TQuery::DataReset, this, [this] { onMasterChanged(); });
}

void TQuery::onMasterChanged()
{
    if (!Active() || m_state != dsBrowse) return;
    Close();
    Open();
}

// ---------------------------------------------------------------- editing

void TQuery::requireEditing(const char* op) const
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw EDatabaseError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(QLatin1String(op)));
}

void TQuery::resolveUpdateTarget()
{
    if (!m_table.isEmpty()) return;
    m_table = UpdateTableName;
    if (m_table.isEmpty()) {
        for (const auto& c : m_columns) {
            if (!c.table.isEmpty()) {
                m_table = c.table;
                break;
            }
        }
    }
    if (m_table.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    m_keys = KeyFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (m_keys.isEmpty()) {
        for (const auto& f : m_fields)
            if (f->IsKey && f->Origin == m_table) m_keys << f->FieldName;
    }
    if (m_keys.isEmpty())
        throw EDatabaseError(QStringLiteral("Table %1 has no key to write back by").arg(m_table));
}

TQuery::Row TQuery::ownedCopy(const Row& r) const
{
    Row out;
    out.owned = std::make_shared<std::vector<QByteArray>>();
    out.owned->reserve(m_columns.size());
    for (int c = 0; c < int(m_columns.size()); ++c) {
        const QByteArray v = r.owned || r.cells ? r.at(c) : QByteArray();
        // Detach from the client library's buffer.
        out.owned->push_back(v.isNull() ? QByteArray() : QByteArray(v.constData(), v.size()));
    }
    return out;
}

void TQuery::SetCurrentCell(int col, const QByteArray& raw)
{
    requireEditing("SetFieldData");
    if (col < 0 || size_t(col) >= m_editBuf.size()) return;
    m_editBuf[size_t(col)] = raw;
    m_changed[size_t(col)] = true;
    m_modified = true;
}

void TQuery::Edit()
{
    requireBrowse("Edit");
    if (m_state != dsBrowse) return;
    if (!RequestLive) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (m_rows.empty()) return Insert();
    if (BeforeEdit) BeforeEdit(*this);
    resolveUpdateTarget();
    const Row copy = ownedCopy(m_rows[size_t(m_cur)]);
    m_editBuf = *copy.owned;
    m_changed.assign(m_columns.size(), false);
    m_modified = false;
    m_state = dsEdit;
    if (AfterEdit) AfterEdit(*this);
}

void TQuery::Insert()
{
    requireBrowse("Insert");
    if (m_state != dsBrowse) Post();
    if (!RequestLive) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (BeforeInsert) BeforeInsert(*this);
    resolveUpdateTarget();
    m_editBuf.assign(m_columns.size(), QByteArray());
    m_changed.assign(m_columns.size(), false);
    m_modified = false;
    m_insertAt = m_cur < 0 ? 0 : m_cur;
    m_state = dsInsert;
    if (OnNewRecord) OnNewRecord(*this);
    if (AfterInsert) AfterInsert(*this);
}

void TQuery::Append()
{
    Insert();
    m_insertAt = int(m_rows.size());
}

void TQuery::Cancel()
{
    if (m_state != dsEdit && m_state != dsInsert) return;
    if (BeforeCancel) BeforeCancel(*this);
    m_state = dsBrowse;
    m_editBuf.clear();
    m_modified = false;
    if (AfterCancel) AfterCancel(*this);
}

void TQuery::Post()
{
    requireEditing("Post");
    if (BeforePost) BeforePost(*this);
    TDedicatedSession* s = Session();
    const QString table = QStringLiteral("`%1`").arg(m_table);
    QStringList sets;
    TArgs args;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!m_changed[c] || m_columns[c].table != m_table) continue;
        const QString col = m_columns[c].orgName.isEmpty() ? m_columns[c].name : m_columns[c].orgName;
        sets << QStringLiteral("`%1`=:p%2").arg(col).arg(sets.size() + 1);
        const QByteArray& v = m_editBuf[c];
        if (isBinaryType(m_fields[c]->DataType)) args.push_back(TArg(*m_fields[c]));
        else args.push_back(v.isNull() ? TArg() : TArg(QString::fromUtf8(v)));
        if (SecretColumns.contains(col, Qt::CaseInsensitive)) args.back() = TArg::Secret(args.back());
    }
    auto keyCol = [&](const QString& k) { return FieldByName(k)->Index(); };
    if (m_state == dsEdit) {
        if (!sets.isEmpty()) {
            QStringList where;
            const Row& orig = m_rows[size_t(m_cur)];
            for (const QString& k : m_keys) {
                const int c = keyCol(k);
                const QString col = m_columns[size_t(c)].orgName.isEmpty() ? k : m_columns[size_t(c)].orgName;
                where << QStringLiteral("`%1`=:k").arg(col);
                const QByteArray v = orig.at(c);
                args.push_back(v.isNull() ? TArg() : TArg(QString::fromUtf8(v)));
            }
            s->ExecQuery(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, sets.join(QStringLiteral(", ")),
                                                                         where.join(QStringLiteral(" AND "))),
                         args);
        }
        Row r;
        r.owned = std::make_shared<std::vector<QByteArray>>(m_editBuf);
        m_rows[size_t(m_cur)] = r;
        m_state = dsBrowse;
        m_editBuf.clear();
        m_modified = false;
        emit RowChanged(m_cur);
    } else {
        if (sets.isEmpty())
            s->ExecQuery(QStringLiteral("INSERT INTO %1 () VALUES ()").arg(table));
        else
            s->ExecQuery(QStringLiteral("INSERT INTO %1 SET %2").arg(table, sets.join(QStringLiteral(", "))), args);
        const qint64 id = s->LastInsertId();
        Row r;
        r.owned = std::make_shared<std::vector<QByteArray>>(m_editBuf);
        for (const QString& k : m_keys) {
            TField* f = FieldByName(k);
            if (f->AutoIncrement && id > 0 && !m_changed[size_t(f->Index())])
                (*r.owned)[size_t(f->Index())] = QByteArray::number(id);
        }
        // Defaults the server filled in are read back for the table's own columns.
        refetchRow(r);
        const int at = std::clamp(m_insertAt, 0, int(m_rows.size()));
        m_rows.insert(m_rows.begin() + at, r);
        m_state = dsBrowse;
        m_editBuf.clear();
        m_modified = false;
        m_cur = at;
        m_eof = m_bof = false;
        emit RowInserted(at);
        notifyCurrent();
    }
    if (AfterPost) AfterPost(*this);
}

void TQuery::refetchRow(Row& row)
{
    QStringList cols;
    std::vector<int> idx;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].table != m_table || m_columns[c].orgName.isEmpty()) continue;
        cols << QStringLiteral("`%1`").arg(m_columns[c].orgName);
        idx.push_back(int(c));
    }
    if (cols.isEmpty()) return;
    QStringList where;
    TArgs args;
    for (const QString& k : m_keys) {
        const int c = FieldByName(k)->Index();
        const QByteArray v = (*row.owned)[size_t(c)];
        if (v.isNull()) return;
        where << QStringLiteral("`%1`=:k").arg(m_columns[size_t(c)].orgName.isEmpty() ? k : m_columns[size_t(c)].orgName);
        args.push_back(TArg(QString::fromUtf8(v)));
    }
    auto q = Session()->OpenQuery(QStringLiteral("SELECT %1 FROM `%2` WHERE %3")
                                      .arg(cols.join(QStringLiteral(", ")), m_table, where.join(QStringLiteral(" AND "))),
                                  args);
    if (q->IsEmpty()) return;
    for (size_t i = 0; i < idx.size(); ++i) {
        const QByteArray v = q->Cell(0, int(i));
        (*row.owned)[size_t(idx[i])] = v.isNull() ? QByteArray() : QByteArray(v.constData(), v.size());
    }
}

void TQuery::Delete()
{
    requireBrowse("Delete");
    if (m_state == dsInsert) return Cancel();
    if (m_state == dsEdit) Cancel();
    if (m_rows.empty()) return;
    if (!RequestLive) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    resolveUpdateTarget();
    if (BeforeDelete) BeforeDelete(*this);
    QStringList where;
    TArgs args;
    for (const QString& k : m_keys) {
        const int c = FieldByName(k)->Index();
        where << QStringLiteral("`%1`=:k").arg(m_columns[size_t(c)].orgName.isEmpty() ? k : m_columns[size_t(c)].orgName);
        const QByteArray v = m_rows[size_t(m_cur)].at(c);
        args.push_back(v.isNull() ? TArg() : TArg(QString::fromUtf8(v)));
    }
    Session()->ExecQuery(
        QStringLiteral("DELETE FROM `%1` WHERE %2").arg(m_table, where.join(QStringLiteral(" AND "))), args);
    const int removed = m_cur;
    m_rows.erase(m_rows.begin() + removed);
    emit RowRemoved(removed);
    if (m_rows.empty()) {
        m_cur = -1;
        m_eof = m_bof = true;
    } else {
        m_cur = std::min(removed, int(m_rows.size()) - 1);
    }
    notifyCurrent();
    if (AfterDelete) AfterDelete(*this);
}
