#include "core/Operatorzy.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/ProgramExit.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/NetworkAdapter.h"
#include "tests/support/TestDb.h"

#include <QTemporaryDir>

namespace {

// A second connection to the test's database, as another workstation has.
using OtherWorkstation = SecondConnection;

void setSession(int id, const QString& login, int level)
{
    OperatorId = id;
    OperatorLogin = login;
    OperatorRightsLevel = level;
    OperatorStatsAllowed = false;
}

} // namespace

// ------------------------------------------------------------------ hash rule

TEST(OperatorHash, WorkedValues)
{
    // Computed outside the program: md5(password + NUL + login + NUL + salt).
    const struct
    {
        const char* password;
        const char* login;
        const char* hash;
    } cases[] = {
        {"mewra", "admin", "62267137be05302aa43fd23ea7870db6"},
        {"mewra", "jkowal", "ac173b4962d6847bd40447af4e10a1eb"},
        {"zażółć", "ąę", "64595151e9877d8d196cccb711ac4b3d"},
        {"", "", "b827f369709be263ee535d026e1a65f3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OperatorPasswordHash(QString::fromUtf8(c.password), QString::fromUtf8(c.login)),
                  QLatin1String(c.hash))
            << c.password << " / " << c.login;
}

TEST(OperatorHash, RenamedLoginNoLongerMatchesItsPassword)
{
    const QString stored = OperatorPasswordHash(QStringLiteral("tajne1"), QStringLiteral("jkowal"));
    EXPECT_NE(OperatorPasswordHash(QStringLiteral("tajne1"), QStringLiteral("jkowalski")), stored);
}

// ------------------------------------------------------------------ service password

TEST(ServicePassword, WorkedValuesMatchTheSupportCommand)
{
    // printf '%s' 2026-01-15 | openssl dgst -sha256 -hmac 0123456789abcdef, first 16 digits.
    const QString secret = QStringLiteral("0123456789abcdef");
    EXPECT_EQ(ServicePasswordFor(secret, QDate(2026, 1, 15)), QStringLiteral("664080961ceb9c4c"));
    EXPECT_EQ(ServicePasswordFor(secret, QDate(2026, 1, 16)), QStringLiteral("1429bedad813e798"));
    EXPECT_NE(ServicePasswordFor(QStringLiteral("another-installation"), QDate(2026, 1, 15)),
              QStringLiteral("664080961ceb9c4c"));
    // No secret, no service password: an empty text must never open a session.
    EXPECT_TRUE(ServicePasswordFor(QString(), QDate(2026, 1, 15)).isEmpty());
}

// ------------------------------------------------------------------ rights

TEST(RightDenied, LevelsAgainstTheSessionLevel)
{
    const struct
    {
        int level;
        int session;
        bool denied;
    } cases[] = {
        {2, 2, false}, {2, 3, true}, {2, 1, false}, {0, 0, false}, {0, 1, true},
        {1, 1, false}, {4, 6, true}, {4, 0, false}, {6, 6, false}, {1, 10, true},
    };
    const int saved = OperatorRightsLevel;
    TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
    for (const auto& c : cases) {
        OperatorRightsLevel = c.session;
        TMD::ClearRecorded();
        EXPECT_EQ(RightDenied(c.level), c.denied) << c.level << " at " << c.session;
        ASSERT_EQ(TMD::Recorded().size(), c.denied ? 1 : 0);
        if (c.denied) {
            EXPECT_EQ(TMD::Recorded()[0].text, RightDeniedMessage(c.level));
            EXPECT_EQ(TMD::Recorded()[0].kind, mtWarning);
        }
        TMD::ClearRecorded();
        EXPECT_EQ(RightDeniedEx(c.level, false), c.denied);
        EXPECT_TRUE(TMD::Recorded().isEmpty());
    }
    OperatorRightsLevel = saved;
    TMD::ClearTestHook();
    TMD::ClearRecorded();
}

TEST(RightDenied, MessageHasTwoBlanksBeforeTheLevel)
{
    EXPECT_EQ(RightDeniedMessage(2), QStringLiteral("Nie masz uprawnień do użycia tej funkcjonalności  (2)"));
}

// ------------------------------------------------------------------ dialog rules

TEST(OperatorRules, EditChecks)
{
    const struct
    {
        const char* login;
        const char* surname;
        int level;
        const char* error;
    } cases[] = {
        {"jkowal", "Kowalski", 3, ""},
        {" abc ", "Kowalski", 3, "Login musi mieć przynajmniej 4 znaki"},
        {"abcd", "Kowalski", 1, ""},
        {"jkowal", "   ", 3, "Proszę podać nazwisko operatora"},
        {"jkowal", "Kowalski", 0, "Nieprawidłowy poziom uprawnień!"},
        {"admin", "Administrator", 0, ""},
        {"abc", "", 0, "Login musi mieć przynajmniej 4 znaki"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OperatorEditError(QString::fromUtf8(c.login), QString::fromUtf8(c.surname), c.level),
                  QString::fromUtf8(c.error))
            << c.login;
}

TEST(OperatorRules, PasswordChangeChecksInOrder)
{
    const QString login = QStringLiteral("jkowal");
    const QString stored = OperatorPasswordHash(QStringLiteral("stare1"), login);
    const struct
    {
        const char* old;
        const char* n1;
        const char* n2;
        const char* error;
    } cases[] = {
        {"zle", "nowe12", "nowe12", "Aktualne hasło jest niepoprawne!"},
        {"stare1", "nowe12", "nowe13", "Nowe hasło nie jest identyczne z weryfikacją!"},
        {"stare1", "", "", "Nowe hasło jest niepoprawne!"},
        {"stare1", "abcd", "abcd", "Nowe hasło jest zbyt krótkie (minimum 5 znaków)!"},
        {"stare1", "abcde", "abcde", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PasswordChangeError(QString::fromUtf8(c.old), stored, login, QString::fromUtf8(c.n1),
                                      QString::fromUtf8(c.n2)),
                  QString::fromUtf8(c.error))
            << c.old << " " << c.n1;
}

// ------------------------------------------------------------------ with the database

class OperatorzyTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path());
        SetAdapterSource([] {
            return std::vector<TAdapterInfo>{{QStringLiteral("00:1a:2b:3c:4d:5e"), true, false}};
        });
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        TMD::ClearRecorded();
        setSession(0, QString(), 1);
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        SetProgramTerminator(nullptr);
        SetAdapterSource({});
        SetProgramFolder(QString());
        setSession(0, QString(), 1);
        DbTest::TearDown();
    }
    int addOperator(const QString& login, const QString& password, const QString& active, int level)
    {
        S()->ExecQuery(
            QStringLiteral("insert into Operator set OP_LOGIN=:p1, OP_HASLO=:p2, OP_AKTYWNY=:p3, "
                           "OP_POZIOMUPRAWNIEN=:p4, OP_NAZWISKO=:p5, OP_CZYSTATYSTYKI=0"),
            {login, OperatorPasswordHash(password, login), active, level, QStringLiteral("Kowalski")});
        return int(S()->LastInsertId());
    }
    QString newestLog()
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX desc limit 1"));
    }
    QTemporaryDir m_dir;
    int m_answer = mrOk;
};

TEST_F(OperatorzyTest, BaseScriptAdminHasTheDefaultPassword)
{
    TOperatorRow row;
    ASSERT_TRUE(FindOperatorByLogin(QStringLiteral("admin"), row));
    EXPECT_EQ(row.Hash, OperatorPasswordHash(QStringLiteral("mewra"), QStringLiteral("admin")));
    EXPECT_EQ(row.Active, QStringLiteral("A"));
    EXPECT_EQ(row.RightsLevel, 1);
}

TEST_F(OperatorzyTest, LoginChecks)
{
    addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    addOperator(QStringLiteral("anowak"), QStringLiteral("tajne2"), QStringLiteral("N"), 2);
    addOperator(QStringLiteral("usuniety"), QStringLiteral("tajne3"), QStringLiteral("U"), 2);
    const struct
    {
        const char* login;
        const char* password;
        bool ok;
        bool defaultPassword;
    } cases[] = {
        {"admin", "mewra", true, true},
        {"admin", "Mewra", false, false},
        {"Admin", "mewra", false, false}, // the login is part of the hash and matched as typed
        {"jkowal", "tajne1", true, false},
        {"jkowal", "tajne2", false, false},
        {"anowak", "tajne2", false, false}, // right password, inactive operator
        {"usuniety", "tajne3", false, false},
        {"nikt", "mewra", false, false},
        {"", "", false, false},
        // Quotes and wildcards are plain text of a bound value.
        {"admin' or '1'='1", "mewra", false, false},
        {"adm%", "mewra", false, false},
        {"adm_n", "mewra", false, false},
    };
    for (const auto& c : cases) {
        const TLoginOutcome out = CheckLogin(QString::fromUtf8(c.login), QString::fromUtf8(c.password));
        EXPECT_EQ(out.Succeeded, c.ok) << c.login << " / " << c.password;
        EXPECT_EQ(out.DefaultPassword, c.defaultPassword) << c.login;
        EXPECT_FALSE(out.Service) << c.login;
    }
}

TEST_F(OperatorzyTest, OrdinaryLoginFillsTheSession)
{
    const int id = addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    S()->ExecQuery(QStringLiteral("update Operator set OP_CZYSTATYSTYKI=1 where OP_INDEX=:p1"), {id});
    ApplyLoginToSession(CheckLogin(QStringLiteral("jkowal"), QStringLiteral("tajne1")));
    EXPECT_EQ(OperatorId, id);
    EXPECT_EQ(OperatorLogin, QStringLiteral("jkowal"));
    EXPECT_EQ(OperatorRightsLevel, 3);
    EXPECT_TRUE(OperatorStatsAllowed);
}

TEST_F(OperatorzyTest, ServicePasswordOpensTheServiceSessionForAdminOnly)
{
    const QString service = CurrentServicePassword();
    ASSERT_EQ(service.size(), 16);
    const TLoginOutcome out = CheckLogin(QStringLiteral("admin"), service);
    EXPECT_TRUE(out.Succeeded);
    EXPECT_TRUE(out.Service);
    ApplyLoginToSession(out);
    EXPECT_EQ(OperatorId, 9999);
    EXPECT_EQ(OperatorLogin, QStringLiteral("superadmin"));
    EXPECT_EQ(OperatorRightsLevel, 0);
    EXPECT_TRUE(OperatorStatsAllowed);

    addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    EXPECT_FALSE(CheckLogin(QStringLiteral("jkowal"), service).Succeeded);
    // The row test comes first: no active admin, no service session.
    S()->ExecQuery(QStringLiteral("update Operator set OP_AKTYWNY='N' where OP_LOGIN='admin'"));
    EXPECT_FALSE(CheckLogin(QStringLiteral("admin"), service).Succeeded);
}

// The day is the server's, not the workstation's. The session's time zone
// moves the server's date: 24 hours apart, so one of the two days always
// differs from the workstation's own date.
TEST_F(OperatorzyTest, ServicePasswordTakesTheServersDate)
{
    const QString secret = InstallationSecret();
    QStringList days;
    for (const char* zone : {"+13:00", "-11:00"}) {
        SCOPED_TRACE(zone);
        S()->ExecQuery(QStringLiteral("set time_zone = :p1"), {QString::fromLatin1(zone)});
        const QDate day =
            QDate::fromString(S()->GetQueryValueAsString(QStringLiteral("select curdate()")), Qt::ISODate);
        days << day.toString(Qt::ISODate);
        EXPECT_EQ(CurrentServicePassword(), ServicePasswordFor(secret, day));
    }
    S()->ExecQuery(QStringLiteral("set time_zone = @@global.time_zone"));
    EXPECT_NE(days[0], days[1]);
}

TEST_F(OperatorzyTest, NoBuiltInServicePasswordOpensAnyDatabase)
{
    EXPECT_FALSE(CheckLogin(QStringLiteral("admin"), QStringLiteral("kvt48205937164")).Succeeded);
    // Without a secret (the settings table cannot be used) there is no service password at all.
    S()->ExecQuery(QStringLiteral("delete from INI where I_SECTION='Serwis'"));
    S()->ExecQuery(QStringLiteral("rename table INI to INI_x"));
    EXPECT_TRUE(InstallationSecret().isEmpty());
    EXPECT_TRUE(CurrentServicePassword().isEmpty());
    EXPECT_FALSE(CheckLogin(QStringLiteral("admin"), QString()).Succeeded);
    S()->ExecQuery(QStringLiteral("rename table INI_x to INI"));
}

TEST_F(OperatorzyTest, InstallationSecretIsMadeOnceAndKept)
{
    const QString first = InstallationSecret();
    EXPECT_EQ(first.size(), 64);
    EXPECT_EQ(InstallationSecret(), first);
    OtherWorkstation other(DatabaseName());
    EXPECT_EQ(
        other.session->GetQueryValueAsString(QStringLiteral(
            "select I_VALUE from INI where I_FILENAME='app' and I_SECTION='Serwis' and I_IDENT='Sekret'")),
        first);
    // Removing it revokes every password given out: a new one is made.
    S()->ExecQuery(QStringLiteral("delete from INI where I_SECTION='Serwis'"));
    const QString second = InstallationSecret();
    EXPECT_EQ(second.size(), 64);
    EXPECT_NE(second, first);
}

TEST_F(OperatorzyTest, SpecialLevelGetsItsOwnPassword)
{
    const QString password = SpecialLevelPassword();
    EXPECT_EQ(password.size(), 39);
    EXPECT_EQ(SpecialLevelPassword(), password);
    EXPECT_EQ(NewOperatorPasswordHash(QStringLiteral("serwis10"), 10),
              OperatorPasswordHash(password, QStringLiteral("serwis10")));
    EXPECT_EQ(NewOperatorPasswordHash(QStringLiteral("jkowal"), 6),
              OperatorPasswordHash(QStringLiteral("mewra"), QStringLiteral("jkowal")));
}

TEST_F(OperatorzyTest, RecheckSignsOutAnOperatorDeactivatedElsewhere)
{
    const int id = addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    setSession(id, QStringLiteral("jkowal"), 3);
    std::vector<int> codes;
    SetProgramTerminator([&](int code) { codes.push_back(code); });

    RecheckOperator();
    EXPECT_TRUE(codes.empty());

    OtherWorkstation other(DatabaseName());
    other.session->ExecQuery(QStringLiteral("update Operator set OP_AKTYWNY='N' where OP_INDEX=:p1"), {id});
    S()->StartTransaction();
    S()->ExecQuery(QStringLiteral("insert into Log set LOG_OPIS='niezatwierdzone'"));
    RecheckOperator();
    ASSERT_EQ(codes, std::vector<int>{11});
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from Log where LOG_OPIS='niezatwierdzone'")));
    EXPECT_EQ(
        newestLog(),
        QStringLiteral("jkowal : Wyrzucenie z systemu operatora jkowal (ID%1) (00-1A-2B-3C-4D-5E)").arg(id));
}

TEST_F(OperatorzyTest, RecheckTakesOverChangesAndEndsForDeletedRows)
{
    const int id = addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    setSession(id, QStringLiteral("jkowal"), 3);
    std::vector<int> codes;
    SetProgramTerminator([&](int code) { codes.push_back(code); });
    OtherWorkstation other(DatabaseName());
    other.session->ExecQuery(
        QStringLiteral("update Operator set OP_POZIOMUPRAWNIEN=5, OP_LOGIN='jkowal2', OP_CZYSTATYSTYKI=1 "
                       "where OP_INDEX=:p1"),
        {id});
    RecheckOperator();
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(OperatorRightsLevel, 5);
    EXPECT_EQ(OperatorLogin, QStringLiteral("jkowal2"));
    EXPECT_TRUE(OperatorStatsAllowed);

    // 'U' (deleted in the list) and a row that is gone both end the session,
    // and a missing row must not hand out its empty level 0.
    other.session->ExecQuery(QStringLiteral("update Operator set OP_AKTYWNY='U' where OP_INDEX=:p1"), {id});
    RecheckOperator();
    EXPECT_EQ(codes, std::vector<int>{11});
    other.session->ExecQuery(QStringLiteral("delete from Operator where OP_INDEX=:p1"), {id});
    RecheckOperator();
    EXPECT_EQ(codes, (std::vector<int>{11, 11}));
    EXPECT_EQ(OperatorRightsLevel, 5);
}

TEST_F(OperatorzyTest, RecheckSkipsTheServiceSession)
{
    setSession(9999, QStringLiteral("superadmin"), 0);
    std::vector<int> codes;
    SetProgramTerminator([&](int code) { codes.push_back(code); });
    RecheckOperator();
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(OperatorRightsLevel, 0);
}

TEST_F(OperatorzyTest, DeleteMarksTheRowAndSparesAdmin)
{
    const int id = addOperator(QStringLiteral("jkowal"), QStringLiteral("tajne1"), QStringLiteral("A"), 3);
    TQuery q;
    q.SetSQL(QStringLiteral("select * from Operator order by OP_LOGIN"));
    q.RequestLive = true;
    q.Open();

    ASSERT_TRUE(q.Locate(QStringLiteral("OP_LOGIN"), QStringLiteral("admin")));
    DeleteOperatorAtCursor(&q);
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].text, QStringLiteral("Nie można usunać operatora administracyjnego!"));
    EXPECT_EQ(
        S()->GetQueryValueAsString(QStringLiteral("select OP_AKTYWNY from Operator where OP_LOGIN='admin'")),
        QStringLiteral("A"));

    TMD::ClearRecorded();
    m_answer = mrNo;
    ASSERT_TRUE(q.Locate(QStringLiteral("OP_INDEX"), id));
    DeleteOperatorAtCursor(&q);
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].text,
              QStringLiteral("Operator jkowal zostanie usunięty z bazy. Czy potwierdzasz?"));
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select OP_AKTYWNY from Operator where OP_INDEX=:p1"),
                                         {id}),
              QStringLiteral("A"));

    m_answer = mrYes;
    DeleteOperatorAtCursor(&q);
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select OP_AKTYWNY from Operator where OP_INDEX=:p1"),
                                         {id}),
              QStringLiteral("U"));
    // The row stays, and the list is still on it.
    EXPECT_EQ(q.FieldByName(QStringLiteral("OP_INDEX"))->AsInteger(), id);
}

TEST_F(OperatorzyTest, LastLoginIsKeptBesideTheHostId)
{
    EXPECT_TRUE(ReadLastLogin().isEmpty());
    WriteLastLogin(QStringLiteral("jkowal"));
    EXPECT_EQ(ReadLastLogin(), QStringLiteral("jkowal"));
    QFile f(m_dir.path() + QStringLiteral("/appoperator.ini"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[LastLogin]"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("01=jkowal"))) << text.toStdString();
}
