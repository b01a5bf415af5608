#include "core/DbIni.h"

#include <algorithm>

#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/NetworkAdapter.h"

#include <QRandomGenerator>
#include <QSettings>
#include <algorithm>
#include <cmath>

QString HostId = QStringLiteral("00-00-00-00-00-00");
QString DatabaseUniqueId;

QString LoadDatabaseUniqueId()
{
    DatabaseUniqueId = ReadIniString(0, QStringLiteral("UnIdBazy"), QString());
    if (DatabaseUniqueId.isEmpty()) {
        DatabaseUniqueId = QStringLiteral("LID_%1_").arg(QRandomGenerator::global()->bounded(1000000000));
        WriteIniString(0, QStringLiteral("UnIdBazy"), DatabaseUniqueId);
    }
    return DatabaseUniqueId;
}

namespace {

const QString kNoHostId = QStringLiteral("00-00-00-00-00-00");
const QString kLastResortHostId = QStringLiteral("11-22-33-44-55-66");
const QString kHelperSection = QStringLiteral("Var");
const QString kHostIdKey = QStringLiteral("HostID/01");

QString appOperatorIni(const QString& folder)
{
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path + QStringLiteral("appoperator.ini");
}

bool hexToInt(QStringView digits, int& out)
{
    if (digits.isEmpty()) return false;
    quint64 v = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        int d;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return false;
        v = v * 16 + quint64(d);
        if (v > 0xFFFFFFFFull) return false;
    }
    // Eight hex digits cover the full 32 bits, as the class library reads them.
    out = int(quint32(v));
    return true;
}

// The program's float text: decimal comma, no exponent for whole numbers.
QString floatToIni(double v)
{
    if (v == std::floor(v) && std::fabs(v) < 1e15) return QString::number(qint64(v));
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

bool iniToFloat(const QString& text, double& out)
{
    QString t = text.trimmed();
    if (t.isEmpty()) return false;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    out = v;
    return true;
}

TDbIni helperStore(int scope)
{
    return scope == 0 ? TDbIni(QStringLiteral("app"), 0) : TDbIni(HostId, scope);
}

// Global settings belong to administrators; anyone else's write is dropped without a word.
bool globalWriteAllowed()
{
    return OperatorRightsLevel <= 1;
}

void writeHostId(const QString& folder, const QString& id)
{
    QSettings ini(appOperatorIni(folder), QSettings::IniFormat);
    ini.setValue(kHostIdKey, id);
    ini.sync();
}

} // namespace

bool IniTextToInt(const QString& text, int& out)
{
    const QString t = text.trimmed();
    if (t.size() > 2 && t[0] == QLatin1Char('0') && (t[1] == QLatin1Char('x') || t[1] == QLatin1Char('X')))
        return hexToInt(QStringView(t).mid(2), out);
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (!ok) return false;
    out = v;
    return true;
}

// ---------------------------------------------------------------- TDbIni

TDbIni::TDbIni(const QString& fileName, int op) : FileName(fileName), Operator(op < 0 ? OperatorId : op) {}

QString TDbIni::ReadString(const QString& section, const QString& ident, const QString& def) const
{
    // The operator's own row sorts before the store's operator-0 row.
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "Select I_VALUE from INI where I_FILENAME = :p1 and (I_OPERATOR = :p2 or I_OPERATOR = 0) "
            "and I_SECTION = :p3 and I_IDENT = :p4 order by I_OPERATOR desc"),
        {FileName, Operator, section, ident});
    if (q->IsEmpty()) return def;
    return q->Fields(0)->AsString(); // NULL reads as the empty text
}

void TDbIni::WriteString(const QString& section, const QString& ident, const QString& text)
{
    TDedicatedSession* s = GlobalSession();
    // Passwords kept as settings (mail, gateways) stay out of error texts.
    const bool secret = ident.contains(QLatin1String("haslo"), Qt::CaseInsensitive) ||
                        ident.contains(QLatin1String("password"), Qt::CaseInsensitive);
    const TArg value = secret ? TArg::Secret(text) : TArg(text);
    const QString update =
        QStringLiteral("update INI set I_VALUE = :p1 where I_FILENAME = :p2 and I_OPERATOR = :p3 "
                       "and I_SECTION = :p4 and I_IDENT = :p5");
    if (s->IsQueryEmpty(QStringLiteral("Select 1 from INI where I_FILENAME = :p1 and I_OPERATOR = :p2 and "
                                       "I_SECTION = :p3 and I_IDENT = :p4"),
                        {FileName, Operator, section, ident})) {
        try {
            s->ExecQuery(
                QStringLiteral("insert into INI (I_FILENAME, I_OPERATOR, I_SECTION, I_IDENT, I_VALUE) "
                               "values (:p1,:p2,:p3,:p4,:p5)"),
                {FileName, Operator, section, ident, value});
            return;
        } catch (const EDatabaseError& e) {
            // Another workstation inserted the same key a moment ago: the
            // table's key refused ours, so the write becomes an update.
            if (std::find(e.ErrorCodes().begin(), e.ErrorCodes().end(), 1062) == e.ErrorCodes().end()) throw;
        }
    }
    s->ExecQuery(update, {value, FileName, Operator, section, ident});
}

int TDbIni::ReadInteger(const QString& section, const QString& ident, int def) const
{
    int v = 0;
    return IniTextToInt(ReadString(section, ident, QString()), v) ? v : def;
}

void TDbIni::WriteInteger(const QString& section, const QString& ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

bool TDbIni::ReadBool(const QString& section, const QString& ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TDbIni::WriteBool(const QString& section, const QString& ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TDbIni::ReadFloat(const QString& section, const QString& ident, double def) const
{
    double v = 0;
    return iniToFloat(ReadString(section, ident, QString()), v) ? v : def;
}

void TDbIni::WriteFloat(const QString& section, const QString& ident, double value)
{
    WriteString(section, ident, floatToIni(value));
}

void TDbIni::ReadSection(const QString& section, QStringList& strings) const
{
    strings = GlobalSession()->GetQueryValuesAsList(
        QStringLiteral("Select Distinct(I_IDENT) from INI where I_FILENAME = :p1 and (I_OPERATOR = :p2 or "
                       "I_OPERATOR = 0) and I_SECTION = :p3"),
        {FileName, Operator, section});
}

void TDbIni::ReadSections(QStringList& strings) const
{
    strings = GlobalSession()->GetQueryValuesAsList(
        QStringLiteral("Select Distinct(I_SECTION) from INI where I_FILENAME = :p1 and (I_OPERATOR = :p2 or "
                       "I_OPERATOR = 0)"),
        {FileName, Operator});
}

void TDbIni::ReadSectionValues(const QString& section, QStringList& strings) const
{
    QStringList keys;
    ReadSection(section, keys);
    for (const QString& key : keys) {
        const QString value = ReadString(section, key, QString());
        // Like a string list's Values[]: the name's entry is replaced, an
        // empty value removes it.
        const QString prefix = key + QLatin1Char('=');
        qsizetype at = -1;
        for (qsizetype i = 0; i < strings.size(); ++i) {
            if (strings[i].startsWith(prefix, Qt::CaseInsensitive)) {
                at = i;
                break;
            }
        }
        if (value.isEmpty()) {
            if (at >= 0) strings.removeAt(at);
        } else if (at >= 0) {
            strings[at] = prefix + value;
        } else {
            strings.append(prefix + value);
        }
    }
}

void TDbIni::EraseSection(const QString& section)
{
    GlobalSession()->ExecQuery(
        QStringLiteral("delete from INI where I_FILENAME = :p1 and I_OPERATOR = :p2 and I_SECTION = :p3"),
        {FileName, Operator, section});
}

void TDbIni::DeleteKey(const QString& section, const QString& ident)
{
    GlobalSession()->ExecQuery(
        QStringLiteral("delete from INI where I_FILENAME = :p1 and I_OPERATOR = :p2 and "
                       "I_SECTION = :p3 and I_IDENT = :p4"),
        {FileName, Operator, section, ident});
}

// ---------------------------------------------------------------- helpers

bool ReadIniBool(int scope, const QString& key, bool def)
{
    return helperStore(scope).ReadBool(kHelperSection, key, def);
}

void WriteIniBool(int scope, const QString& key, bool value)
{
    if (scope == 0 && !globalWriteAllowed()) return;
    helperStore(scope).WriteBool(kHelperSection, key, value);
}

int ReadIniInteger(int scope, const QString& key, int def)
{
    return helperStore(scope).ReadInteger(kHelperSection, key, def);
}

void WriteIniInteger(int scope, const QString& key, int value)
{
    if (scope == 0 && !globalWriteAllowed()) return;
    helperStore(scope).WriteInteger(kHelperSection, key, value);
}

QString ReadIniString(int scope, const QString& key, const QString& def)
{
    return helperStore(scope).ReadString(kHelperSection, key, def);
}

void WriteIniString(int scope, const QString& key, const QString& value)
{
    if (scope == 0 && !globalWriteAllowed()) return;
    helperStore(scope).WriteString(kHelperSection, key, value);
}

// ---------------------------------------------------------------- workstation identity

QString ReadHostIdFromFolder(const QString& folder)
{
    QSettings ini(appOperatorIni(folder), QSettings::IniFormat);
    const QString id = ini.value(kHostIdKey).toString().trimmed();
    // "01=" with nothing after it is as good as no id: an empty store name
    // would be shared by every workstation whose file got damaged.
    return id.isEmpty() ? kNoHostId : id;
}

QString GetHostId()
{
    QString id = ReadHostIdFromFolder(ProgramFolder());
    // Installations of the earlier generations kept their id under c:\ and
    // d:\; a Linux workstation has no such folders, so the adapter comes next.
    if (id == kNoHostId) id = GetAdapterMacAddress(QString());
    if (id == kNoHostId) id = kLastResortHostId;
    writeHostId(ProgramFolder(), id);
    return id;
}
