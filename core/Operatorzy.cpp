#include "core/Operatorzy.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/ProgramExit.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QSettings>

const QString DefaultOperatorPassword = QStringLiteral("mewra");
const QString AdminLogin = QStringLiteral("admin");

namespace {

const unsigned char kSalt[] = {0x41, 0x9C, 0x0B, 0x72, 0x5E, 0xD3, 0x28, 0x66, 0x10, 0xA7, 0x3F, 0x84, 0x5B};

const QString kServiceLogin = QStringLiteral("superadmin");
constexpr int kServiceOperatorId = 9999;

const QString kSecretStore = QStringLiteral("app");
const QString kSecretSection = QStringLiteral("Serwis");
const QString kSecretKey = QStringLiteral("Sekret");

QString appOperatorIni()
{
    return ProgramFolder() + QStringLiteral("appoperator.ini");
}

QString hmacHex(const QString& secret, const QString& message)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, secret.toUtf8());
    mac.addData(message.toUtf8());
    return QString::fromLatin1(mac.result().toHex());
}

QString readSecret()
{
    return GlobalSession()
        ->GetQueryValueAsString(
            QStringLiteral("select I_VALUE from INI where I_FILENAME=:p1 and I_OPERATOR=0 and "
                           "I_SECTION=:p2 and I_IDENT=:p3"),
            {kSecretStore, kSecretSection, kSecretKey})
        .trimmed();
}

TOperatorRow rowOf(const TQuery& q)
{
    TOperatorRow r;
    r.Index = q.FieldByName(QStringLiteral("OP_INDEX"))->AsInteger();
    r.Login = q.FieldByName(QStringLiteral("OP_LOGIN"))->AsString();
    r.Hash = q.FieldByName(QStringLiteral("OP_HASLO"))->AsString();
    r.Active = q.FieldByName(QStringLiteral("OP_AKTYWNY"))->AsString();
    r.RightsLevel = q.FieldByName(QStringLiteral("OP_POZIOMUPRAWNIEN"))->AsInteger();
    r.StatsAllowed = q.FieldByName(QStringLiteral("OP_CZYSTATYSTYKI"))->AsInteger() != 0;
    return r;
}

} // namespace

QString OperatorPasswordHash(const QString& password, const QString& login)
{
    QByteArray bytes = password.toUtf8();
    bytes.append('\0');
    bytes.append(login.toUtf8());
    bytes.append('\0');
    bytes.append(reinterpret_cast<const char*>(kSalt), sizeof kSalt);
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

QString InstallationSecret()
{
    try {
        QString secret = readSecret();
        if (!secret.isEmpty()) return secret;
        QByteArray random(32, '\0');
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
        // Two workstations starting at once: the first row stays, both read it back.
        GlobalSession()->ExecQuery(
            QStringLiteral("insert ignore into INI (I_FILENAME, I_OPERATOR, I_SECTION, I_IDENT, "
                           "I_VALUE) values (:p1, 0, :p2, :p3, :p4)"),
            {kSecretStore, kSecretSection, kSecretKey, QString::fromLatin1(random.toHex())});
        return readSecret();
    } catch (const EDatabaseError&) {
        return QString();
    }
}

QString ServicePasswordFor(const QString& secret, const QDate& day)
{
    if (secret.isEmpty() || !day.isValid()) return QString();
    return hmacHex(secret, day.toString(QStringLiteral("yyyy-MM-dd"))).left(16);
}

QString CurrentServicePassword()
{
    // The server's date, not the workstation's: one password a day for the
    // whole office, whatever a workstation's clock says.
    try {
        const QDate day = QDate::fromString(
            GlobalSession()->GetQueryValueAsString(QStringLiteral("select curdate()")), Qt::ISODate);
        return ServicePasswordFor(InstallationSecret(), day);
    } catch (const EDatabaseError&) {
        return QString();
    }
}

QString SpecialLevelPassword()
{
    const QString secret = InstallationSecret();
    if (secret.isEmpty()) {
        // Nobody can know it then, which is better than a known one.
        QByteArray random(20, '\0');
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
        return QString::fromLatin1(random.toHex()).left(39);
    }
    return hmacHex(secret, QStringLiteral("poziom10")).left(39);
}

bool FindOperatorByLogin(const QString& login, TOperatorRow& row)
{
    // BINARY: the login must match as typed, the table's collation would not care about case.
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select * from Operator where OP_LOGIN = BINARY :p1 order by OP_INDEX limit 1"),
        {login});
    if (q->IsEmpty()) return false;
    row = rowOf(*q);
    return true;
}

TLoginOutcome CheckLogin(const QString& login, const QString& password)
{
    TLoginOutcome out;
    if (!FindOperatorByLogin(login, out.Row) || out.Row.Active != QLatin1String("A")) return out;
    if (login == AdminLogin && !password.isEmpty()) {
        const QString service = CurrentServicePassword();
        if (!service.isEmpty() && password == service) {
            out.Succeeded = true;
            out.Service = true;
            return out;
        }
    }
    if (OperatorPasswordHash(password, login) == out.Row.Hash) {
        out.Succeeded = true;
        out.DefaultPassword = password == DefaultOperatorPassword;
    }
    return out;
}

void ApplyLoginToSession(const TLoginOutcome& outcome)
{
    if (!outcome.Succeeded) return;
    if (outcome.Service) {
        OperatorRightsLevel = 0;
        OperatorId = kServiceOperatorId;
        OperatorLogin = kServiceLogin;
        OperatorStatsAllowed = true;
        return;
    }
    OperatorRightsLevel = outcome.Row.RightsLevel;
    OperatorId = outcome.Row.Index;
    OperatorLogin = outcome.Row.Login;
    OperatorStatsAllowed = outcome.Row.StatsAllowed;
}

QString ReadLastLogin()
{
    QSettings ini(appOperatorIni(), QSettings::IniFormat);
    return ini.value(QStringLiteral("LastLogin/01")).toString();
}

void WriteLastLogin(const QString& login)
{
    QSettings ini(appOperatorIni(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("LastLogin/01"), login);
    ini.sync();
}

QString RightDeniedMessage(int level)
{
    return QStringLiteral("Nie masz uprawnień do użycia tej funkcjonalności  (%1)").arg(level);
}

bool RightDeniedEx(int level, bool showMessage)
{
    if (level >= OperatorRightsLevel) return false;
    if (showMessage) TMD::MessageDlg(RightDeniedMessage(level), mtWarning, mbOK);
    return true;
}

bool RightDenied(int level)
{
    return RightDeniedEx(level, true);
}

void RecheckOperator()
{
    if (OperatorLogin == kServiceLogin && OperatorId == kServiceOperatorId) return;
    auto q =
        GlobalSession()->OpenQuery(QStringLiteral("select * from Operator where OP_INDEX=:p1"), {OperatorId});
    // A row that is gone counts as deactivated; its absent level must not be copied.
    if (!q->IsEmpty()) {
        const TOperatorRow row = rowOf(*q);
        OperatorRightsLevel = row.RightsLevel;
        OperatorLogin = row.Login;
        OperatorStatsAllowed = row.StatsAllowed;
        if (row.Active == QLatin1String("A")) return;
    }
    q.reset();
    try {
        if (GlobalSession()->InTransaction()) GlobalSession()->Rollback();
    } catch (...) {
    }
    LogEvent(QStringLiteral("Wyrzucenie z systemu operatora %1 (ID%2)").arg(OperatorLogin).arg(OperatorId));
    try {
        if (Data) {
            Data->CloseDatasets();
            if (Data->Database) Data->Database->Close();
        }
    } catch (...) {
    }
    TerminateProgram(11);
}

QString OperatorEditError(const QString& login, const QString& surname, int level)
{
    if (login.trimmed().size() < 4) return QStringLiteral("Login musi mieć przynajmniej 4 znaki");
    if (surname.trimmed().isEmpty()) return QStringLiteral("Proszę podać nazwisko operatora");
    if (login != AdminLogin && level < 1) return QStringLiteral("Nieprawidłowy poziom uprawnień!");
    return QString();
}

QString NewOperatorPasswordHash(const QString& login, int level)
{
    return OperatorPasswordHash(
        level == SpecialRightsLevel ? SpecialLevelPassword() : DefaultOperatorPassword, login);
}

QString PasswordChangeError(const QString& oldPassword, const QString& storedHash, const QString& login,
                            const QString& newPassword, const QString& repeated)
{
    if (OperatorPasswordHash(oldPassword, login) != storedHash)
        return QStringLiteral("Aktualne hasło jest niepoprawne!");
    if (newPassword != repeated) return QStringLiteral("Nowe hasło nie jest identyczne z weryfikacją!");
    if (newPassword.isEmpty()) return QStringLiteral("Nowe hasło jest niepoprawne!");
    if (newPassword.size() < 5) return QStringLiteral("Nowe hasło jest zbyt krótkie (minimum 5 znaków)!");
    return QString();
}

void DeleteOperatorAtCursor(TQuery* operators)
{
    if (!operators || !operators->Active() || operators->IsEmpty()) return;
    const QString login = operators->FieldByName(QStringLiteral("OP_LOGIN"))->AsString();
    if (login == AdminLogin) {
        TMD::MessageDlg(QStringLiteral("Nie można usunać operatora administracyjnego!"), mtError, mbOK);
    } else if (TMD::MessageDlg(
                   QStringLiteral("Operator %1 zostanie usunięty z bazy. Czy potwierdzasz?").arg(login),
                   mtConfirmation, mbYes | mbNo) == mrYes) {
        operators->Edit();
        operators->FieldByName(QStringLiteral("OP_AKTYWNY"))->SetAsString(QStringLiteral("U"));
        operators->Post();
    }
    RefreshQuery(operators, QStringLiteral("OP_INDEX"));
}
