#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "tests/support/TestDb.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>

class SessionTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        S()->ExecQuery(
            QStringLiteral("CREATE TABLE t (T_INDEX int NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                           "T_TXT varchar(100) NOT NULL DEFAULT 'x', T_NUM int NOT NULL DEFAULT 0, "
                           "T_KWOTA decimal(16,2) NOT NULL DEFAULT 0, T_DATA date NOT NULL, "
                           "T_F double) ENGINE=InnoDB"));
    }
};

TEST_F(SessionTest, DecoratedErrorNamesSessionOperationSqlAndParameters)
{
    try {
        S()->ExecQuery(QStringLiteral("update nosuchtable set a=:p1"), {QStringLiteral("17")});
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        const QString m = e.Message();
        EXPECT_TRUE(
            m.startsWith(QStringLiteral("Error in \"GlobalSession.ExecQuery\":\r\n"
                                        "    Error type: EDBEngineError\r\n    Error message:\r\n\r\n")))
            << m.toStdString();
        EXPECT_TRUE(
            m.endsWith(QStringLiteral("\r\n\r\n    TQuery.SQL:\r\n\r\nupdate nosuchtable set a=:p1\r\n"
                                      "\r\n    SQL Params: \r\n\r\np1 [ftString] = \"17\"\r\n")))
            << m.toStdString();
        EXPECT_TRUE(m.contains(QStringLiteral("nosuchtable' doesn't exist")));
        EXPECT_TRUE(e.Decorated());
    }
}

// A password bound to a statement must not reach the error box (nor the log
// it is copied to): callers mark it, the text shows "***".
TEST_F(SessionTest, SecretValuesNeverShowInTheDecoratedError)
{
    const QString password = QStringLiteral("Tajne#Haslo-9");
    struct Case
    {
        const char* rule;
        std::function<void()> fail;
        QString shown; // the parameter line with the mask
    } cases[] = {
        {"a statement's argument marked secret",
         [&] {
             S()->ExecQuery(QStringLiteral("update nosuchtable set a=:p1, b=:p2"),
                            {TArg::Secret(password), QStringLiteral("jawne")});
         },
         QStringLiteral("p1 [ftString] = \"***\"\r\np2 [ftString] = \"jawne\"")},
        {"a live dataset's secret column",
         [&] {
             auto q = S()->OpenLiveQuery(QStringLiteral("select * from t"));
             q->SecretColumns = {QStringLiteral("T_TXT")};
             q->Append();
             q->FieldByName(QStringLiteral("T_TXT"))->SetAsString(password);
             q->FieldByName(QStringLiteral("T_NUM"))->SetAsInteger(7);
             S()->ExecQuery(QStringLiteral("rename table t to t_gone"));
             q->Post();
         },
         QStringLiteral("p1 [ftString] = \"***\"\r\np2 [ftString] = \"7\"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        try {
            c.fail();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_FALSE(e.Message().contains(password)) << e.Message().toStdString();
            EXPECT_FALSE(QString::fromUtf8(e.what()).contains(password));
            EXPECT_TRUE(e.Message().contains(c.shown)) << e.Message().toStdString();
        }
    }
}

TEST_F(SessionTest, StatementWithoutParametersHasNoParamsBlock)
{
    try {
        S()->OpenQuery(QStringLiteral("select * from nosuchtable"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(
            e.Message().endsWith(QStringLiteral("TQuery.SQL:\r\n\r\nselect * from nosuchtable\r\n\r\n")));
        EXPECT_TRUE(e.Message().contains(QStringLiteral("\"GlobalSession.OpenQuery\"")));
    }
}

TEST_F(SessionTest, InnerLabelWinsAndIsDecoratedOnce)
{
    // A failure while opening inside a value reader keeps the inner label.
    try {
        S()->GetQueryValueAsString(QStringLiteral("select x from nosuchtable"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message().count(QStringLiteral("Error in ")), 1);
        EXPECT_TRUE(e.Message().contains(QStringLiteral("\"GlobalSession.OpenQuery\"")));
    }
    // A failure while reading the value carries the reader's label.
    try {
        S()->GetQueryValueAsInteger(QStringLiteral("select 'abc'"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("\"GlobalSession.GetQueryValueAsInteger\"")));
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Error type: EConvertError")));
    }
}

TEST_F(SessionTest, BindingIsByOccurrence)
{
    // A name used twice takes two arguments.
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select concat(:p1, :p2, :p2)"), {"a", "b", "c"}),
              QStringLiteral("abc"));
    // A lone :p2 takes the first argument.
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select :p2 + 1"), {41}), 42);
    // Surplus arguments are ignored.
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select :p1"), {7, 8, 9}), 7);
    // Placeholders inside quotes and comments are text.
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select concat(':p1', /* :p9 */ :p1)"), {"z"}),
              QStringLiteral(":p1z"));
}

TEST_F(SessionTest, MissingArgumentFailsAtTheServerWithTheLabel)
{
    try {
        S()->ExecQuery(QStringLiteral("insert into t (T_TXT, T_NUM, T_F) values (:p1, :p2, :p3)"), {"a", 1});
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("\"GlobalSession.ExecQuery\"")));
        EXPECT_TRUE(e.Message().contains(QStringLiteral("p3 [ftUnknown] = \"\"")));
    }
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from t")));
}

TEST_F(SessionTest, ArgumentTypesBindAsTheirType)
{
    struct Case
    {
        const char* rule;
        TArg arg;
        const char* typeName;
        const char* sqlType;
    };
    const Case cases[] = {
        {"int", TArg(5), "ftInteger", "int"},
        {"64-bit just inside", TArg(qint64(2147483646)), "ftInteger", "int"},
        {"64-bit at the maximum is a float", TArg(qint64(2147483647)), "ftFloat", "double"},
        {"64-bit negative just inside", TArg(qint64(-2147483647)), "ftInteger", "int"},
        {"64-bit at the minimum is a float", TArg(qint64(-2147483648LL)), "ftFloat", "double"},
        {"float", TArg(1.5), "ftFloat", "double"},
        {"char", TArg('c'), "ftString", "text"},
        {"text", TArg(QStringLiteral("x")), "ftString", "text"},
        {"currency", TArg(Amount4::fromRaw(125000)), "ftCurrency", "double"},
        {"boolean", TArg(true), "ftBoolean", "int"},
        {"null", TArg(nullptr), "ftString", "null"},
    };
    for (const Case& c : cases) {
        auto q = S()->MakeTempTQuery(QStringLiteral("select :p1"), {c.arg});
        EXPECT_STREQ(FieldTypeName(q->Params()[0].DataType), c.typeName) << c.rule;
    }
    // Values arrive at the server unchanged.
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select :p1"), {qint64(2147483647)}),
              QStringLiteral("2147483647"));
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select :p1"), {Amount4::fromRaw(125000)}),
              QStringLiteral("12,5"));
    EXPECT_TRUE(S()->OpenQuery(QStringLiteral("select :p1"), {nullptr})->Fields(0)->IsNull());
}

TEST_F(SessionTest, RefusedArgumentsRaiseBeforeAnythingIsSent)
{
    int x = 0;
    try {
        S()->ExecQuery(QStringLiteral("insert into t (T_TXT) values (:p1)"),
                       {TArg(static_cast<const void*>(&x))});
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("function TDedicatedSession.MakeTempTQuery(const sql: string; const "
                                 "Args: array of const): TQuery; >> Assigned Pointer!"));
    }
    try {
        S()->ExecQuery(QStringLiteral("insert into t (T_TXT) values (:p1)"), {TArg(QChar(u'ż'))});
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().endsWith(QStringLiteral(">> INVALID TYPE!")));
    }
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from t where T_TXT = :p1"),
                                          {static_cast<const void*>(nullptr)}),
              0);
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from t")));
}

TEST_F(SessionTest, TextRoundTripsUnchanged)
{
    const QString nasty = QStringLiteral("O'Brien \\ 100% _x_ \"q\" ; -- żółć");
    S()->ExecQuery(QStringLiteral("insert into t set T_TXT=:p1"), {nasty});
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select T_TXT from t")), nasty);
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from t where T_TXT=:p1"), {nasty}),
              1);
}

TEST_F(SessionTest, NoRowGivesZeroEmptyAndEmptyList)
{
    const QString sql = QStringLiteral("select T_NUM from t where T_INDEX = :p1");
    EXPECT_EQ(S()->GetQueryValueAsInteger(sql, {1}), 0);
    EXPECT_EQ(S()->GetQueryValueAsFloat(sql, {1}), 0.0);
    EXPECT_EQ(S()->GetQueryValueAsDateTime(sql, {1}), 0.0);
    EXPECT_EQ(S()->GetQueryValueAsString(sql, {1}), QString());
    EXPECT_TRUE(S()->IsQueryEmpty(sql, {1}));
    EXPECT_TRUE(S()->GetQueryValuesAsList(sql, {1}).isEmpty());
}

TEST_F(SessionTest, NullAndZeroDateReadAsZeroOrEmpty)
{
    S()->ExecQuery(QStringLiteral("insert into t set T_TXT='a'"));
    EXPECT_EQ(S()->GetQueryValueAsDateTime(QStringLiteral("select T_DATA from t")), 0.0);
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select T_DATA from t")), QString());
    EXPECT_EQ(S()->GetQueryValueAsFloat(QStringLiteral("select T_F from t")), 0.0);
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select T_F from t")), QString());
    EXPECT_DOUBLE_EQ(S()->GetQueryValueAsDateTime(QStringLiteral("select '2024-05-12 12:00:00'")), 45424.5);
}

TEST_F(SessionTest, SortedListsWithAndWithoutDuplicates)
{
    for (const char* v : {"b", "a", "b"})
        S()->ExecQuery(QStringLiteral("insert into t set T_TXT=:p1"), {v});
    const QString sql = QStringLiteral("select T_TXT from t order by T_INDEX");
    EXPECT_EQ(S()->GetQueryValuesAsList(sql), (QStringList{"b", "a", "b"}));
    EXPECT_EQ(S()->GetQueryValuesAsList(sql, {}, true, false), (QStringList{"a", "b"}));
    EXPECT_EQ(S()->GetQueryValuesAsList(sql, {}, true, true), (QStringList{"a", "b", "b"}));
    EXPECT_EQ(S()->GetQueryValuesAsList(sql, {}, false, false), (QStringList{"b", "a", "b"}));
}

TEST_F(SessionTest, NumbersReadWithTheDecimalComma)
{
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select cast(1234.50 as decimal(16,2))")),
              QStringLiteral("1234,5"));
    EXPECT_DOUBLE_EQ(S()->GetQueryValueAsFloat(QStringLiteral("select cast(1234.56 as decimal(16,2))")),
                     1234.56);
    auto q = S()->OpenQuery(QStringLiteral("select cast(1234.56 as decimal(16,2)) as k"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("K"))->AsCurrency(), Amount4::fromRaw(12345600));
}

TEST_F(SessionTest, TransactionsRollBackAndCommit)
{
    {
        TTransactionGuard g(S());
        EXPECT_TRUE(S()->InTransaction());
        S()->ExecQuery(QStringLiteral("insert into t set T_TXT='gone'"));
    }
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from t")));
    {
        TTransactionGuard g(S());
        S()->ExecQuery(QStringLiteral("insert into t set T_TXT='kept'"));
        g.commit();
    }
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select T_TXT from t")), QStringLiteral("kept"));
}

// An inner guard on a session already in a transaction is a savepoint: it
// never commits the outer transaction, and only its own part goes with it.
TEST_F(SessionTest, NestedGuardIsASavepointOfTheOuterTransaction)
{
    struct Case
    {
        const char* name;
        bool innerCommits;
        bool outerCommits;
        QStringList stored;
    };
    const Case cases[] = {
        {"outer rolled back takes the committed inner part along", true, false, {}},
        {"inner rolled back, outer committed keeps only the outer rows", false, true, {"outer"}},
        {"both committed keep both", true, true, {"outer", "inner"}},
    };
    QTemporaryDir tmp;
    DefaultSessionPrivateDir = tmp.path() + QStringLiteral("/orlix_priv/");
    TDedicatedSession other(QStringLiteral("DedicatedSession"));
    const QString all = QStringLiteral("select T_TXT from t order by T_INDEX");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        S()->ExecQuery(QStringLiteral("delete from t"));
        {
            TTransactionGuard outer(S());
            EXPECT_FALSE(outer.Nested());
            S()->ExecQuery(QStringLiteral("insert into t set T_TXT='outer'"));
            {
                TTransactionGuard inner(S());
                EXPECT_TRUE(inner.Nested());
                S()->ExecQuery(QStringLiteral("insert into t set T_TXT='inner'"));
                if (c.innerCommits) inner.commit();
            }
            EXPECT_TRUE(S()->InTransaction());
            // Nothing is committed before the outer guard says so.
            EXPECT_TRUE(other.GetQueryValuesAsList(all).isEmpty());
            if (c.outerCommits) outer.commit();
        }
        EXPECT_FALSE(S()->InTransaction());
        EXPECT_EQ(S()->GetQueryValuesAsList(all), c.stored);
    }
}

TEST_F(SessionTest, FailedInnerStepRollsBackToItsSavepointOnly)
{
    {
        TTransactionGuard outer(S());
        S()->ExecQuery(QStringLiteral("insert into t set T_INDEX=1, T_TXT='a'"));
        {
            TTransactionGuard middle(S());
            S()->ExecQuery(QStringLiteral("insert into t set T_INDEX=2, T_TXT='b'"));
            try {
                TTransactionGuard inner(S());
                S()->ExecQuery(QStringLiteral("insert into t set T_INDEX=3, T_TXT='c'"));
                S()->ExecQuery(QStringLiteral("insert into t set T_INDEX=1, T_TXT='duplicate'"));
                inner.commit();
                ADD_FAILURE() << "no error";
            } catch (const EDatabaseError&) {
            }
            middle.commit();
        }
        // A guard opened after the failed one nests again at the right depth.
        {
            TTransactionGuard again(S());
            EXPECT_TRUE(again.Nested());
            S()->ExecQuery(QStringLiteral("insert into t set T_INDEX=4, T_TXT='d'"));
        }
        outer.commit();
    }
    EXPECT_EQ(S()->GetQueryValuesAsList(QStringLiteral("select T_TXT from t order by T_INDEX")),
              (QStringList{"a", "b"}));
}

TEST_F(SessionTest, PrivateSessionsGetTheirOwnFoldersAndNames)
{
    QTemporaryDir tmp;
    DefaultSessionPrivateDir = tmp.path() + QStringLiteral("/orlix_priv/");
    {
        TDedicatedSession a(QStringLiteral("saldotmp"));
        TDedicatedSession b(QStringLiteral("saldotmp"));
        EXPECT_EQ(a.PrivateDir, DefaultSessionPrivateDir + QStringLiteral("_saldotmp"));
        EXPECT_EQ(b.PrivateDir, DefaultSessionPrivateDir + QStringLiteral("_saldotmp_00000002"));
        EXPECT_EQ(a.SessionName, QStringLiteral("saldotmp_00000001"));
        EXPECT_EQ(b.SessionName, QStringLiteral("saldotmp_00000002"));
        EXPECT_TRUE(QDir(a.PrivateDir).exists());
        EXPECT_NE(a.Database()->ServerThreadId(), S()->Database()->ServerThreadId());
        // Errors name the private session.
        try {
            a.ExecQuery(QStringLiteral("select * from nosuchtable"));
            FAIL();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Error in \"saldotmp_00000001.ExecQuery\"")));
        }
        EXPECT_EQ(SessionFolders().size(), 2);
    }
    EXPECT_FALSE(QDir(DefaultSessionPrivateDir + QStringLiteral("_saldotmp")).exists());
    EXPECT_TRUE(SessionFolders().isEmpty());
    DefaultSessionPrivateDir.clear();
}

TEST_F(SessionTest, SharedConnectionServesSeveralThreads)
{
    S()->ExecQuery(QStringLiteral("insert into t set T_NUM=1"));
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int k = 0; k < 200; ++k) {
                try {
                    if (S()->GetQueryValueAsInteger(QStringLiteral("select T_NUM + :p1 from t"), {k}) !=
                        k + 1)
                        ++failures;
                } catch (...) {
                    ++failures;
                }
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}
