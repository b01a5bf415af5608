// Field types, value conversions, parameters and fields of the dataset.
#include "core/Query.h"
#include "core/QueryInternal.h"

#include <QLocale>
#include <QTimeZone>
#include <charconv>
#include <cmath>
#include <mysql.h>

namespace QueryDetail {

const char* const kTypeNames[] = {"ftUnknown",  "ftString",      "ftSmallint", "ftInteger",   "ftWord",
                                  "ftBoolean",  "ftFloat",       "ftCurrency", "ftBCD",       "ftDate",
                                  "ftTime",     "ftDateTime",    "ftBytes",    "ftVarBytes",  "ftAutoInc",
                                  "ftBlob",     "ftMemo",        "ftGraphic",  "ftFmtMemo",   "ftParadoxOle",
                                  "ftDBaseOle", "ftTypedBinary", "ftCursor",   "ftFixedChar", "ftWideString",
                                  "ftLargeint", "ftADT",         "ftArray",    "ftReference", "ftDataSet"};

constexpr double kUnixEpochDays = 25569.0; // 1970-01-01 as days since 1899-12-30
const QDate kBaseDate(1899, 12, 30);

const QString kBindPrefix = QStringLiteral(
    "function TDedicatedSession.MakeTempTQuery(const sql: string; const Args: array of const): TQuery; >> ");

TFieldType mapType(const TDedicatedSession::RawResult::Column& c)
{
    switch (c.type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
        return ftSmallint;
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
        return (c.flags & AUTO_INCREMENT_FLAG) ? ftAutoInc : ftInteger;
    case MYSQL_TYPE_LONGLONG:
        return ftLargeint;
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        return ftFloat;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
        return ftBCD;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
        return ftDate;
    case MYSQL_TYPE_TIME:
        return ftTime;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP:
        return ftDateTime;
    case MYSQL_TYPE_YEAR:
        return ftSmallint;
    case MYSQL_TYPE_BIT:
        return ftLargeint;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
        return c.charsetnr == 63 ? ftBlob : ftMemo;
    case MYSQL_TYPE_STRING:
        return c.charsetnr == 63 ? ftBytes : ftString;
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
        return c.charsetnr == 63 ? ftVarBytes : ftString;
    default:
        return ftString;
    }
}

bool isBinaryType(TFieldType t)
{
    switch (t) {
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftGraphic:
    case ftTypedBinary:
        return true;
    default:
        return false;
    }
}

bool isTextType(TFieldType t)
{
    switch (t) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftUnknown:
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
    case ftDate:
    case ftTime:
    case ftDateTime:
        return true;
    default:
        return false;
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
        if (pos < n && (p[pos] == ' ' || p[pos] == 'T'))
            ++pos;
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
            for (int i = pos + 9; i < n && p[i] >= '0' && p[i] <= '9'; ++i, scale /= 10)
                frac += (p[i] - '0') * scale;
        }
        const double secs = h * 3600.0 + mi * 60.0 + s + frac;
        out = day + (day < 0 ? -secs : secs) / 86400.0;
        return true;
    }
    if (pos == 0) return false;
    out = day;
    return true;
}

} // namespace QueryDetail

using namespace QueryDetail;

const char* FieldTypeName(TFieldType t)
{
    const int i = int(t);
    return (i >= 0 && i < int(std::size(kTypeNames))) ? kTypeNames[i] : "ftUnknown";
}

bool IsNumericFieldType(TFieldType t)
{
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftBoolean:
        return true;
    default:
        return false;
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
        if (f->DataType == ftBoolean && !IsNull)
            Text = f->AsBoolean() ? QStringLiteral("True") : QStringLiteral("False");
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
    case ftBlob:
        return QStringLiteral("(BLOB, %1 bytes)").arg(Bytes.size());
    case ftFloat:
    case ftCurrency:
    case ftBCD: {
        double v = 0;
        if (parseDouble(Text.toUtf8(), v)) return floatToDisplay(v);
        return Text;
    }
    default:
        return Text;
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
                while (s.endsWith(QLatin1Char('0')))
                    s.chop(1);
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
    default:
        return QString::fromUtf8(raw);
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
    case 'T':
    case 't':
    case 'Y':
    case 'y':
    case '1':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
    case '0':
        return false;
    default:
        throw convertError(QString::fromUtf8(raw), "Boolean value");
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
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return AsLargeInt();
    case ftFloat:
    case ftBCD:
    case ftCurrency:
        return AsFloat();
    case ftDate: {
        const QDate d = AsDate();
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case ftDateTime: {
        const QDateTime d = AsQDateTime();
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftGraphic:
        return AsBytes();
    default:
        return AsString();
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
    if (IsNumericFieldType(DataType))
        m_ds->SetCurrentCell(m_index, v ? "1" : "0");
    else
        m_ds->SetCurrentCell(m_index, v ? "T" : "N");
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
    case QMetaType::Bool:
        return SetAsBoolean(v.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
        return SetAsInteger(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return SetAsFloat(v.toDouble());
    case QMetaType::QDate:
        return SetAsDate(v.toDate());
    case QMetaType::QDateTime:
        return SetAsDateTime(v.toDateTime());
    case QMetaType::QByteArray:
        return m_ds->SetCurrentCell(m_index, v.toByteArray());
    default:
        return SetAsString(v.toString());
    }
}

void TField::Clear()
{
    m_ds->SetCurrentCell(m_index, QByteArray());
}
