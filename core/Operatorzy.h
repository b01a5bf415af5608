#pragma once
// Operators: the password hash, the login check, the rights test, the
// periodic re-check of the signed-in operator and the rules of the operator
// dialogs. No widgets here; the windows call these.
#include <QDate>
#include <QString>

class TQuery;

// Names of the login state kept in TOperatorSession (core/Session.h).
extern bool& ServiceSession;
extern bool& DefaultPasswordInUse;
extern bool& LoginAbandoned;
extern QString& LoginDialogLogin;

extern const QString DefaultOperatorPassword; // "mewra"
extern const QString AdminLogin;              // "admin"
// The level whose operators get a fixed password of their own.
constexpr int SpecialRightsLevel = 10;

// MD5 of the UTF-8 password, a NUL, the UTF-8 login, a NUL and the salt, as
// 32 lower-case hex digits. The login is in the hash, so a renamed login
// needs a new password.
QString OperatorPasswordHash(const QString& password, const QString& login);

// The installation's own secret behind the service password, made once per
// database (table INI, store "app", section "Serwis", key "Sekret"). Empty
// when it can be neither read nor made: the service login is then closed.
QString InstallationSecret();
// The service password of a day: the first 16 hex digits of HMAC-SHA256 of
// the date "yyyy-mm-dd" keyed with the secret. Empty for an empty secret.
QString ServicePasswordFor(const QString& secret, const QDate& day);
// Today's service password of this installation.
QString CurrentServicePassword();
// The 39-character password of level-10 operators, derived from the secret.
QString SpecialLevelPassword();

// One row of table Operator.
struct TOperatorRow
{
    int Index = 0;
    QString Login;
    QString Hash;
    QString Active; // "A" active, "N" inactive, "U" deleted
    int RightsLevel = 0;
    bool StatsAllowed = false;
};

// The row whose login is exactly the text (case and accents count); the
// lowest OP_INDEX when several match. False when there is none.
bool FindOperatorByLogin(const QString& login, TOperatorRow& row);

struct TLoginOutcome
{
    bool Succeeded = false;
    bool Service = false;
    bool DefaultPassword = false;
    TOperatorRow Row;
};
// The check behind "Zaloguj": an active row for the login first, then the
// service password (login "admin" only), then the hash.
TLoginOutcome CheckLogin(const QString& login, const QString& password);
// Sets the session globals from a successful login.
void ApplyLoginToSession(const TLoginOutcome& outcome);

// The last login typed, kept in "appoperator.ini" of the program folder.
QString ReadLastLogin();
void WriteLastLogin(const QString& login);

// True (refused) when Level is below the session's rights level; then, when
// asked, the operator is told so.
bool RightDeniedEx(int level, bool showMessage);
bool RightDenied(int level);
QString RightDeniedMessage(int level);

// Re-reads the signed-in operator: a changed level or login takes effect at
// once; an operator no longer active is logged out and the program ends with
// exit code 11.
void RecheckOperator();

// Rules of the add/edit dialog: the error text, or empty when the values pass.
QString OperatorEditError(const QString& login, const QString& surname, int level);
// The hash a new operator gets.
QString NewOperatorPasswordHash(const QString& login, int level);

// Rules of the own-password dialog: the error text, or empty when it passes.
QString PasswordChangeError(const QString& oldPassword, const QString& storedHash, const QString& login,
                            const QString& newPassword, const QString& repeated);

// "Usuń" of the operator list on the dataset's current row: "admin" is
// refused, anyone else is marked 'U' after a Yes; the list is then re-read.
void DeleteOperatorAtCursor(TQuery* operators);
