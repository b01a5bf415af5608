#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/NetworkAdapter.h"
#include "tests/support/TestDb.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>
#include <stdexcept>

namespace {

const QString kHost = QStringLiteral("0A-0B-0C-0D-0E-0F");

struct IniRow
{
    QString store;
    int op;
    QString section;
    QString ident;
    std::optional<QString> value;
    bool operator==(const IniRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const IniRow& r)
{
    return os << "(" << r.store.toStdString() << ", " << r.op << ", " << r.section.toStdString() << ", "
              << r.ident.toStdString() << ", " << (r.value ? "\"" + r.value->toStdString() + "\"" : "NULL")
              << ")";
}

IniRow var(const QString& store, int op, std::optional<QString> value)
{
    return {store, op, QStringLiteral("Var"), QStringLiteral("K"), std::move(value)};
}

} // namespace

class DbIniTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        // The settings table as the base schema has it, without its keys:
        // the store relies on its own test-then-write, not on the table.
        S()->ExecQuery(QStringLiteral("CREATE TABLE INI (I_FILENAME varchar(100), I_OPERATOR int, "
                                      "I_SECTION varchar(100), I_IDENT varchar(100), I_VALUE text NULL)"));
        m_savedHostId = HostId;
        m_savedOperator = OperatorId;
        m_savedLevel = OperatorRightsLevel;
        m_savedFolder = ProgramFolder();
        HostId = kHost;
        OperatorId = 5;
        OperatorRightsLevel = 1;
        ASSERT_TRUE(m_folder.isValid());
        SetProgramFolder(m_folder.path());
    }
    void TearDown() override
    {
        HostId = m_savedHostId;
        OperatorId = m_savedOperator;
        OperatorRightsLevel = m_savedLevel;
        SetProgramFolder(m_savedFolder);
        SetAdapterSource({});
        DbTest::TearDown();
    }

    void insert(const IniRow& r)
    {
        S()->ExecQuery(QStringLiteral("insert into INI values (:p1,:p2,:p3,:p4,:p5)"),
                       {r.store, r.op, r.section, r.ident, r.value ? TArg(*r.value) : TArg()});
    }
    std::vector<IniRow> rows()
    {
        auto q = S()->OpenQuery(
            QStringLiteral("select * from INI order by I_FILENAME, I_OPERATOR, I_SECTION, I_IDENT"));
        std::vector<IniRow> out;
        for (q->First(); !q->Eof(); q->Next()) {
            IniRow r{q->Fields(0)->AsString(), q->Fields(1)->AsInteger(), q->Fields(2)->AsString(),
                     q->Fields(3)->AsString(), std::nullopt};
            if (!q->Fields(4)->IsNull()) r.value = q->Fields(4)->AsString();
            out.push_back(r);
        }
        return out;
    }
    QString programIni() const { return m_folder.filePath(QStringLiteral("appoperator.ini")); }
    void writeProgramIni(const QByteArray& text)
    {
        QFile f(programIni());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir m_folder;

private:
    QString m_savedHostId;
    int m_savedOperator = 0;
    int m_savedLevel = 1;
    QString m_savedFolder;
};

// ---------------------------------------------------------------- scopes

struct ScopeCase
{
    const char* rule;
    std::vector<IniRow> before;
    int rightsLevel;
    int scope;
    std::optional<QString> write; // written with the helper before the read
    QString read;                 // ReadIniString(scope, "K", "def")
    std::vector<IniRow> after;    // the whole table, sorted
};

TEST_F(DbIniTest, HelpersKeepToTheirScope)
{
    const QString app = QStringLiteral("app");
    const QString other = QStringLiteral("AA-AA-AA-AA-AA-AA");
    const std::vector<ScopeCase> cases = {
        {"global key without a row gives the default", {}, 1, 0, std::nullopt, "def", {}},
        {"global write by rights level 2 is skipped", {}, 2, 0, "x", "def", {}},
        {"skipped global write keeps the old value",
         {var(app, 0, "old")},
         2,
         0,
         "new",
         "old",
         {var(app, 0, "old")}},
        {"administrator writes the global value", {}, 1, 0, "x", "x", {var(app, 0, "x")}},
        {"start-up before login (level 0) writes the global value", {}, 0, 0, "x", "x", {var(app, 0, "x")}},
        {"global write updates the one row", {var(app, 0, "old")}, 1, 0, "new", "new", {var(app, 0, "new")}},
        {"workstation read falls back to the workstation's operator-0 row",
         {var(kHost, 0, "ws")},
         1,
         5,
         std::nullopt,
         "ws",
         {var(kHost, 0, "ws")}},
        {"operator's own row wins over the operator-0 row",
         {var(kHost, 0, "ws"), var(kHost, 5, "mine")},
         1,
         5,
         std::nullopt,
         "mine",
         {var(kHost, 0, "ws"), var(kHost, 5, "mine")}},
        {"workstation read never falls back to the global value",
         {var(app, 0, "global")},
         1,
         5,
         std::nullopt,
         "def",
         {var(app, 0, "global")}},
        {"another operator's row is not read",
         {var(kHost, 7, "his")},
         1,
         5,
         std::nullopt,
         "def",
         {var(kHost, 7, "his")}},
        {"another workstation's row is not read",
         {var(other, 5, "there")},
         1,
         5,
         std::nullopt,
         "def",
         {var(other, 5, "there")}},
        {"the operator's all-workstation row is not the helpers'",
         {var(app, 5, "roaming")},
         1,
         5,
         std::nullopt,
         "def",
         {var(app, 5, "roaming")}},
        {"workstation write inserts the operator's row and leaves the 0 row",
         {var(kHost, 0, "ws")},
         2,
         5,
         "mine",
         "mine",
         {var(kHost, 0, "ws"), var(kHost, 5, "mine")}},
        {"workstation write by any rights level updates the own row",
         {var(kHost, 5, "old")},
         9,
         5,
         "new",
         "new",
         {var(kHost, 5, "new")}},
        {"negative scope means the signed-in operator", {}, 1, -1, "x", "x", {var(kHost, 5, "x")}},
    };
    for (const ScopeCase& c : cases) {
        SCOPED_TRACE(c.rule);
        S()->ExecQuery(QStringLiteral("delete from INI"));
        for (const IniRow& r : c.before)
            insert(r);
        OperatorRightsLevel = c.rightsLevel;
        if (c.write) WriteIniString(c.scope, QStringLiteral("K"), *c.write);
        EXPECT_EQ(ReadIniString(c.scope, QStringLiteral("K"), QStringLiteral("def")), c.read);
        EXPECT_EQ(rows(), c.after);
    }
}

TEST_F(DbIniTest, TypedHelpersSkipGlobalWritesOfOrdinaryOperatorsToo)
{
    OperatorRightsLevel = 2;
    WriteIniBool(0, QStringLiteral("B"), true);
    WriteIniInteger(0, QStringLiteral("I"), 42);
    EXPECT_TRUE(rows().empty());
    WriteIniBool(5, QStringLiteral("B"), true);
    WriteIniInteger(5, QStringLiteral("I"), -42);
    EXPECT_EQ(rows(), (std::vector<IniRow>{{kHost, 5, "Var", "B", "1"}, {kHost, 5, "Var", "I", "-42"}}));
    EXPECT_TRUE(ReadIniBool(5, QStringLiteral("B"), false));
    EXPECT_EQ(ReadIniInteger(5, QStringLiteral("I"), 0), -42);
}

// ---------------------------------------------------------------- value encoding

struct EncodingCase
{
    const char* rule;
    std::optional<QString> stored; // nullopt: the row's value is NULL
    int asInteger;                 // ReadIniInteger with default -7
    bool asBoolDefFalse;
    bool asBoolDefTrue;
};

TEST_F(DbIniTest, StoredTextsReadAsIntegersAndBooleans)
{
    const std::vector<EncodingCase> cases = {
        {"decimal", "12", 12, true, true},
        {"negative decimal", "-5", -5, true, true},
        {"zero is false", "0", 0, false, false},
        {"any non-zero integer is true", "2", 2, true, true},
        {"0x hexadecimal", "0x1F", 31, true, true},
        {"0X with lower-case digits", "0X1f", 31, true, true},
        {"hexadecimal fills all 32 bits", "0xFFFFFFFF", -1, true, true},
        {"hexadecimal beyond 32 bits is no number", "0x100000000", -7, false, true},
        {"0x alone is no number", "0x", -7, false, true},
        {"a word reads as the default", "abc", -7, false, true},
        {"digits followed by letters read as the default", "12abc", -7, false, true},
        {"beyond the integer range reads as the default", "99999999999", -7, false, true},
        {"empty text reads as the default", "", -7, false, true},
        {"NULL reads as the default number", std::nullopt, -7, false, true},
    };
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.rule);
        S()->ExecQuery(QStringLiteral("delete from INI"));
        insert(var(QStringLiteral("app"), 0, c.stored));
        EXPECT_EQ(ReadIniInteger(0, QStringLiteral("K"), -7), c.asInteger);
        EXPECT_EQ(ReadIniBool(0, QStringLiteral("K"), false), c.asBoolDefFalse);
        EXPECT_EQ(ReadIniBool(0, QStringLiteral("K"), true), c.asBoolDefTrue);
    }
}

TEST_F(DbIniTest, NullValueReadsAsEmptyTextNotTheDefault)
{
    insert(var(QStringLiteral("app"), 0, std::nullopt));
    insert(var(kHost, 0, std::nullopt));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("K"), QStringLiteral("def")), QString());
    EXPECT_EQ(ReadIniString(5, QStringLiteral("K"), QStringLiteral("def")), QString());
    EXPECT_EQ(TDbIni(QStringLiteral("app"), 0)
                  .ReadString(QStringLiteral("Var"), QStringLiteral("K"), QStringLiteral("def")),
              QString());
}

TEST_F(DbIniTest, WrittenValuesUseTheIniEncoding)
{
    TDbIni ini(QStringLiteral("app"), 3);
    ini.WriteBool(QStringLiteral("S"), QStringLiteral("yes"), true);
    ini.WriteBool(QStringLiteral("S"), QStringLiteral("no"), false);
    ini.WriteInteger(QStringLiteral("S"), QStringLiteral("int"), -2147483647 - 1);
    ini.WriteFloat(QStringLiteral("S"), QStringLiteral("half"), 1.5);
    ini.WriteFloat(QStringLiteral("S"), QStringLiteral("whole"), 100.0);
    ini.WriteFloat(QStringLiteral("S"), QStringLiteral("tenth"), 0.1);
    ini.WriteString(QStringLiteral("S"), QStringLiteral("text"), QStringLiteral("Zażółć 'gęślą' \\ jaźń"));
    const QString app = QStringLiteral("app");
    const QString s = QStringLiteral("S");
    EXPECT_EQ(rows(), (std::vector<IniRow>{{app, 3, s, "half", "1,5"},
                                           {app, 3, s, "int", "-2147483648"},
                                           {app, 3, s, "no", "0"},
                                           {app, 3, s, "tenth", "0,1"},
                                           {app, 3, s, "text", "Zażółć 'gęślą' \\ jaźń"},
                                           {app, 3, s, "whole", "100"},
                                           {app, 3, s, "yes", "1"}}));
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("int"), 0), -2147483647 - 1);
    EXPECT_DOUBLE_EQ(ini.ReadFloat(s, QStringLiteral("tenth"), 0), 0.1);
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("text"), QString()), QStringLiteral("Zażółć 'gęślą' \\ jaźń"));
}

TEST_F(DbIniTest, FloatsReadWithCommaOrPoint)
{
    const struct
    {
        const char* stored;
        double expected; // default 9.5
    } cases[] = {{"2,25", 2.25}, {"2.25", 2.25}, {"-0,5", -0.5}, {"7", 7},
                 {"1E3", 1000},  {"abc", 9.5},   {"1,2,3", 9.5}, {"", 9.5}};
    TDbIni ini(QStringLiteral("app"), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        S()->ExecQuery(QStringLiteral("delete from INI"));
        insert(var(QStringLiteral("app"), 0, QString::fromUtf8(c.stored)));
        EXPECT_DOUBLE_EQ(ini.ReadFloat(QStringLiteral("Var"), QStringLiteral("K"), 9.5), c.expected);
    }
}

// ---------------------------------------------------------------- TDbIni sections

class DbIniSectionsTest : public DbIniTest
{
protected:
    void SetUp() override
    {
        DbIniTest::SetUp();
        if (HasFatalFailure()) return;
        const QString g = QStringLiteral("TFormGlowny");
        insert({kHost, 0, g, "SzerokoscOkna", "800"});
        insert({kHost, 5, g, "SzerokoscOkna", "1024"});
        insert({kHost, 5, g, "WysokoscOkna", "600"});
        insert({kHost, 5, g, "PozycjaXOkna", std::nullopt});
        insert({kHost, 7, g, "Zmaksymalizowane", "1"});
        insert({kHost, 0, "Var", "X", "1"});
        insert({kHost, 7, "TFormTylko7", "A", "1"});
        insert({QStringLiteral("app"), 5, g, "Sortowanie", "1"});
    }
};

TEST_F(DbIniSectionsTest, SectionsAndKeysOfTheOperatorAndTheStoreDefaults)
{
    TDbIni ini(kHost, -1); // the signed-in operator, 5
    EXPECT_EQ(ini.Operator, 5);
    QStringList keys{"stale"};
    ini.ReadSection(QStringLiteral("TFormGlowny"), keys);
    keys.sort();
    EXPECT_EQ(keys, (QStringList{"PozycjaXOkna", "SzerokoscOkna", "WysokoscOkna"}));
    QStringList sections{"stale"};
    ini.ReadSections(sections);
    sections.sort();
    EXPECT_EQ(sections, (QStringList{"TFormGlowny", "Var"}));
}

TEST_F(DbIniSectionsTest, SectionValuesSetEntriesOfTheGivenList)
{
    TDbIni ini(kHost, 5);
    QStringList values{"keep=1", "szerokoscokna=1"};
    ini.ReadSectionValues(QStringLiteral("TFormGlowny"), values);
    values.sort();
    // The existing entry is replaced, not repeated; the NULL (empty) value leaves no entry.
    EXPECT_EQ(values, (QStringList{"SzerokoscOkna=1024", "WysokoscOkna=600", "keep=1"}));
}

TEST_F(DbIniSectionsTest, EraseAndDeleteTouchOnlyTheOperatorsOwnRows)
{
    TDbIni ini(kHost, 5);
    ini.DeleteKey(QStringLiteral("TFormGlowny"), QStringLiteral("SzerokoscOkna"));
    // The workstation's default shows through again.
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("TFormGlowny"), QStringLiteral("SzerokoscOkna"), 0), 800);
    ini.EraseSection(QStringLiteral("TFormGlowny"));
    const QString g = QStringLiteral("TFormGlowny");
    EXPECT_EQ(rows(), (std::vector<IniRow>{{kHost, 0, g, "SzerokoscOkna", "800"},
                                           {kHost, 0, "Var", "X", "1"},
                                           {kHost, 7, g, "Zmaksymalizowane", "1"},
                                           {kHost, 7, "TFormTylko7", "A", "1"},
                                           {QStringLiteral("app"), 5, g, "Sortowanie", "1"}}));
}

// ---------------------------------------------------------------- statements

struct StatementCase
{
    const char* rule;
    const char* trigger; // a refusing trigger, or nullptr to drop the table
    std::optional<IniRow> existing;
    bool write;
    QString sql;
    QString params;
};

// The store's statements are the system's own texts, bound in its order; a
// refusal from the server reaches the caller decorated with both.
TEST_F(DbIniTest, StatementsAndTheirParametersReachTheServerAsWritten)
{
    const QString readParams =
        QStringLiteral("\r\np1 [ftString] = \"0A-0B-0C-0D-0E-0F\"\r\np2 [ftInteger] = \"5\""
                       "\r\np3 [ftString] = \"Var\"\r\np4 [ftString] = \"K\"");
    const std::vector<StatementCase> cases = {
        {"read", nullptr, std::nullopt, false,
         "Select I_VALUE from INI where I_FILENAME = :p1 and (I_OPERATOR = :p2 or I_OPERATOR = 0) and "
         "I_SECTION = :p3 and I_IDENT = :p4 order by I_OPERATOR desc",
         readParams},
        {"test before a write", nullptr, std::nullopt, true,
         "Select 1 from INI where I_FILENAME = :p1 and I_OPERATOR = :p2 and I_SECTION = :p3 and I_IDENT = "
         ":p4",
         readParams},
        {"insert of a new key", "BEFORE INSERT", std::nullopt, true,
         "insert into INI (I_FILENAME, I_OPERATOR, I_SECTION, I_IDENT, I_VALUE) values (:p1,:p2,:p3,:p4,:p5)",
         readParams + QStringLiteral("\r\np5 [ftString] = \"v\"")},
        {"update of an existing key", "BEFORE UPDATE", var(kHost, 5, "old"), true,
         "update INI set I_VALUE = :p1 where I_FILENAME = :p2 and I_OPERATOR = :p3 and I_SECTION = :p4 and "
         "I_IDENT = :p5",
         QStringLiteral("\r\np1 [ftString] = \"v\"\r\np2 [ftString] = \"0A-0B-0C-0D-0E-0F\"\r\n"
                        "p3 [ftInteger] = \"5\"\r\np4 [ftString] = \"Var\"\r\np5 [ftString] = \"K\"")},
    };
    for (const StatementCase& c : cases) {
        SCOPED_TRACE(c.rule);
        S()->ExecQuery(QStringLiteral("DROP TABLE IF EXISTS INI"));
        S()->ExecQuery(QStringLiteral("CREATE TABLE INI (I_FILENAME varchar(100), I_OPERATOR int, "
                                      "I_SECTION varchar(100), I_IDENT varchar(100), I_VALUE text NULL)"));
        if (c.existing) insert(*c.existing);
        if (c.trigger)
            S()->ExecQuery(QStringLiteral("CREATE TRIGGER INI_refuse %1 ON INI FOR EACH ROW "
                                          "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'")
                               .arg(QLatin1String(c.trigger)));
        else
            S()->ExecQuery(QStringLiteral("DROP TABLE INI"));
        try {
            if (c.write)
                WriteIniString(5, QStringLiteral("K"), QStringLiteral("v"));
            else
                ReadIniString(5, QStringLiteral("K"), QStringLiteral("def"));
            ADD_FAILURE() << "no error reached the caller";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Decorated());
            EXPECT_TRUE(
                e.Message().contains(QStringLiteral("TQuery.SQL:\r\n\r\n") + c.sql + QStringLiteral("\r\n")))
                << e.Message().toStdString();
            EXPECT_TRUE(
                e.Message().endsWith(QStringLiteral("SQL Params: \r\n") + c.params + QStringLiteral("\r\n")))
                << e.Message().toStdString();
        }
    }
}

// ---------------------------------------------------------------- workstation identity

struct HostIdCase
{
    const char* rule;
    std::optional<QByteArray> fileBefore;
    std::vector<TAdapterInfo> adapters;
    QString expected;
};

TEST_F(DbIniTest, HostIdComesFromTheFileThenTheAdapterThenTheFixedValueAndIsWrittenBack)
{
    const std::vector<TAdapterInfo> eth{{"00:1a:2b:3c:4d:5e", true, false}};
    const std::vector<TAdapterInfo> none{{"00:00:00:00:00:00", true, true}};
    const std::vector<HostIdCase> cases = {
        {"the file's id wins over the adapter", QByteArray("[HostID]\n01=AA-BB-CC-DD-EE-FF\n"), eth,
         "AA-BB-CC-DD-EE-FF"},
        {"no file: the adapter's address", std::nullopt, eth, "00-1A-2B-3C-4D-5E"},
        {"new workstation without an adapter", std::nullopt, none, "11-22-33-44-55-66"},
        {"zero id in the file counts as none", QByteArray("[HostID]\n01=00-00-00-00-00-00\n"), eth,
         "00-1A-2B-3C-4D-5E"},
        {"an empty id counts as none", QByteArray("[HostID]\n01=\n"), none, "11-22-33-44-55-66"},
        {"other sections of the file stay", QByteArray("[LastLogin]\n01=jan\n"), none, "11-22-33-44-55-66"},
    };
    for (const HostIdCase& c : cases) {
        SCOPED_TRACE(c.rule);
        // A folder per case: the ini reader keeps parsed files by name, size and time.
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        SetProgramFolder(folder.path());
        const QString path = folder.filePath(QStringLiteral("appoperator.ini"));
        if (c.fileBefore) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(*c.fileBefore);
        }
        SetAdapterSource([&] { return c.adapters; });
        EXPECT_EQ(GetHostId(), c.expected);
        // Written back as a plain ini a person can read.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        EXPECT_TRUE(text.contains("[HostID]")) << text.toStdString();
        EXPECT_TRUE(text.contains("01=" + c.expected.toLatin1())) << text.toStdString();
        if (c.fileBefore && c.fileBefore->contains("LastLogin")) {
            EXPECT_TRUE(text.contains("[LastLogin]\n01=jan")) << text.toStdString();
        }
        EXPECT_EQ(ReadHostIdFromFolder(folder.path()), c.expected);
    }
}

TEST_F(DbIniTest, HostIdOfAFolderWithoutTheFileIsZero)
{
    QTemporaryDir empty;
    EXPECT_EQ(ReadHostIdFromFolder(empty.path()), QStringLiteral("00-00-00-00-00-00"));
    EXPECT_EQ(ReadHostIdFromFolder(empty.path() + QStringLiteral("/no/such/folder/")),
              QStringLiteral("00-00-00-00-00-00"));
    writeProgramIni("[HostID]\n01=12-34-56-78-9A-BC\n");
    // With or without the trailing separator.
    EXPECT_EQ(ReadHostIdFromFolder(m_folder.path()), QStringLiteral("12-34-56-78-9A-BC"));
    EXPECT_EQ(ReadHostIdFromFolder(m_folder.path() + QLatin1Char('/')), QStringLiteral("12-34-56-78-9A-BC"));
}

struct AdapterCase
{
    const char* rule;
    std::vector<TAdapterInfo> adapters;
    QString expected;
};

TEST(NetworkAdapter, PicksTheFirstLiveAdapterWithAnAddress)
{
    const QString zero = QStringLiteral("00-00-00-00-00-00");
    const std::vector<AdapterCase> cases = {
        {"no adapters", {}, zero},
        {"loopback only", {{"00:00:00:00:00:00", true, true}}, zero},
        {"a loopback with an address is still skipped", {{"02:00:00:00:00:01", true, true}}, zero},
        {"upper-case pairs joined by dashes", {{"00:1a:2b:3c:4d:5e", true, false}}, "00-1A-2B-3C-4D-5E"},
        {"an adapter that is down is skipped",
         {{"11:11:11:11:11:11", false, false}, {"22:22:22:22:22:22", true, false}},
         "22-22-22-22-22-22"},
        {"a tunnel without an address is skipped",
         {{"", true, false}, {"aa:bb:cc:dd:ee:ff", true, false}},
         "AA-BB-CC-DD-EE-FF"},
        {"an all-zero address is skipped",
         {{"00:00:00:00:00:00", true, false}, {"aa:bb:cc:dd:ee:01", true, false}},
         "AA-BB-CC-DD-EE-01"},
        {"an address of another length is skipped",
         {{"00:11:22:33:44:55:66:77", true, false}, {"aa:bb:cc:dd:ee:02", true, false}},
         "AA-BB-CC-DD-EE-02"},
        {"the first of two live adapters",
         {{"aa:bb:cc:dd:ee:03", true, false}, {"aa:bb:cc:dd:ee:04", true, false}},
         "AA-BB-CC-DD-EE-03"},
    };
    for (const AdapterCase& c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(PickAdapterMacAddress(c.adapters), c.expected);
    }
}

TEST(NetworkAdapter, NeverFailsAndAlwaysGivesSixPairs)
{
    SetAdapterSource([]() -> std::vector<TAdapterInfo> { throw std::runtime_error("no netlink"); });
    EXPECT_EQ(GetAdapterMacAddress(QStringLiteral("\\\\server")), QStringLiteral("00-00-00-00-00-00"));
    SetAdapterSource({});
    // This machine's own adapters, whatever they are.
    const QRegularExpression form(QStringLiteral("^([0-9A-F]{2}-){5}[0-9A-F]{2}$"));
    EXPECT_TRUE(form.match(GetAdapterMacAddress(QString())).hasMatch());
}
