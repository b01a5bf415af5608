#pragma once
// The database access layer: the only code that talks to the server.
//
// Statements carry positional placeholders :p1, :p2, ... bound strictly by
// order of occurrence (a name used twice takes two arguments; the names are
// not looked at). Values are rendered as escaped SQL literals on the client,
// so SHOW and DDL bodies work like any other statement.
#include "core/Amount4.h"
#include "core/DbError.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <mutex>
#include <vector>

struct st_mysql;
struct st_mysql_res;
class TQuery;
class TField;
class TParam;

// One argument of a statement, typed by what the caller passed.
class TArg
{
public:
    enum class Kind
    {
        Null,
        Integer,
        Boolean,
        Char,
        Float,
        Text,
        Currency,
        Int64,
        Field,
        Param,
        Invalid,
        Pointer
    };

    TArg() : m_kind(Kind::Null) {}
    TArg(std::nullptr_t) : m_kind(Kind::Null) {}
    TArg(int v) : m_kind(Kind::Integer), m_int(v) {}
    TArg(unsigned v) : m_kind(Kind::Int64), m_int(qint64(v)) {}
    TArg(long v) : m_kind(Kind::Int64), m_int(v) {}
    TArg(long long v) : m_kind(Kind::Int64), m_int(v) {}
    TArg(bool v) : m_kind(Kind::Boolean), m_int(v ? 1 : 0) {}
    TArg(char v) : m_kind(Kind::Char), m_text(QString(QLatin1Char(v))) {}
    TArg(double v) : m_kind(Kind::Float), m_float(v) {}
    TArg(const QString& v) : m_kind(Kind::Text), m_text(v) {}
    TArg(const char* v) : m_kind(v ? Kind::Text : Kind::Null), m_text(v ? QString::fromUtf8(v) : QString()) {}
    TArg(const std::string& v) : m_kind(Kind::Text), m_text(QString::fromStdString(v)) {}
    TArg(Amount4 v) : m_kind(Kind::Currency), m_int(v.raw) {}
    TArg(const TField& f) : m_kind(Kind::Field), m_field(&f) {}
    TArg(const TField* f) : m_kind(f ? Kind::Field : Kind::Null), m_field(f) {}
    TArg(const TParam& p) : m_kind(Kind::Param), m_param(&p) {}
    TArg(const QVariant& v);
    // An untyped pointer: nil binds NULL, anything else is refused.
    TArg(const void* p) : m_kind(p ? Kind::Pointer : Kind::Null) {}
    // Wide characters are refused as the old layer refused them.
    TArg(QChar) : m_kind(Kind::Invalid) {}
    // A value an error text must not show (a password): "***" there instead.
    static TArg Secret(TArg value)
    {
        value.m_secret = true;
        return value;
    }

    Kind kind() const { return m_kind; }
    qint64 intValue() const { return m_int; }
    double floatValue() const { return m_float; }
    const QString& textValue() const { return m_text; }
    const TField* field() const { return m_field; }
    const TParam* param() const { return m_param; }
    bool secret() const { return m_secret; }

private:
    Kind m_kind;
    qint64 m_int = 0;
    double m_float = 0;
    QString m_text;
    const TField* m_field = nullptr;
    const TParam* m_param = nullptr;
    bool m_secret = false;
};
using TArgs = std::vector<TArg>;

// Where a connection goes; filled from the data source entry.
struct TConnectionParams
{
    QString host; // empty or "localhost" with a socket: the unix socket
    unsigned port = 0;
    QString socket;
    QString database;
    QString user;
    QString password;
    // TLS of a TCP session (the data source's SSLCA, SSLCERT, SSLKEY, SSLVERIFY,
    // FORCETLS); a unix socket ignores them.
    QString sslCa;
    QString sslCert;
    QString sslKey;
    bool sslVerify = false;
    bool forceTls = false;
    bool UsesTls() const { return forceTls || sslVerify || !sslCa.isEmpty() || !sslCert.isEmpty(); }
};

// One open connection to the server (the "database component"). Statements on
// it are serialised by its mutex, so worker threads may share it.
class TDatabase
{
public:
    TDatabase(QString databaseName, TConnectionParams params);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    // Connects with utf8 and the Polish collation; throws EDatabaseError.
    void Open();
    void Close();
    bool Connected() const { return m_mysql != nullptr; }

    const QString& DatabaseName() const { return m_name; }
    const TConnectionParams& Params() const { return m_params; }
    st_mysql* Handle() const { return m_mysql; }
    std::recursive_mutex& Mutex() { return m_mutex; }
    // The connection's thread id on the server (for KILL in tests and tools).
    unsigned long ServerThreadId() const;
    // Transaction state of the connection, read and changed under its mutex.
    bool InTransaction();

    // Database components known by name (the data module registers its own).
    static void Register(TDatabase* db);
    static void Unregister(TDatabase* db);
    static TDatabase* Find(const QString& databaseName);

private:
    friend class TDedicatedSession;
    friend class TTransactionGuard;
    QString m_name;
    TConnectionParams m_params;
    st_mysql* m_mysql = nullptr;
    std::recursive_mutex m_mutex;
    bool m_inTransaction = false;
    // Counts transactions started, so a savepoint is never used in a later one.
    quint64 m_transactionSerial = 0;
    int m_savepointDepth = 0;
};

// What a statement without result rows did, read in the same locked call as
// the statement, so no other thread's statement comes in between.
struct TExecResult
{
    qint64 RowsAffected = 0; // rows matched: the connection counts found rows
    qint64 InsertId = 0;
};

class TDedicatedSession
{
public:
    // The shared instance: wraps the registered database of that name.
    static TDedicatedSession* CreateOnDatabase(const QString& databaseName);
    // A private instance with its own connection and private folder.
    TDedicatedSession(const QString& name, const QString& databaseName = QString());
    // Only a connection of its own, as a worker thread opens in its run();
    // errors name it by label.
    static std::unique_ptr<TDedicatedSession> OpenConnection(const QString& label,
                                                             const QString& databaseName = QString());
    ~TDedicatedSession();
    TDedicatedSession(const TDedicatedSession&) = delete;
    TDedicatedSession& operator=(const TDedicatedSession&) = delete;

    QString PrivateDir;  // empty for the shared instance
    QString SessionName; // e.g. "saldotmp_00000001"; empty for the shared instance
    TDatabase* Database() const { return m_db; }
    bool IsShared() const { return m_shared; }
    // "GlobalSession" for the shared instance, else the session name.
    QString Label() const;

    void StartTransaction();
    bool InTransaction() const;
    void Rollback();
    void Commit();

    std::unique_ptr<TQuery> NewTQuery();
    std::unique_ptr<TQuery> MakeTempTQuery(const QString& sql, const TArgs& args = {});
    std::unique_ptr<TQuery> MakeTempTQueryNoParamCheck(const QString& sql);
    std::unique_ptr<TQuery> OpenQuery(const QString& sql, const TArgs& args = {});
    std::unique_ptr<TQuery> OpenLiveQuery(const QString& sql, const TArgs& args = {});
    bool IsQueryEmpty(const QString& sql, const TArgs& args = {});
    int GetQueryValueAsInteger(const QString& sql, const TArgs& args = {});
    double GetQueryValueAsFloat(const QString& sql, const TArgs& args = {});
    // Days since 1899-12-30 with the time as fraction; 0 for no row, NULL or the zero date.
    double GetQueryValueAsDateTime(const QString& sql, const TArgs& args = {});
    QString GetQueryValueAsString(const QString& sql, const TArgs& args = {});
    QStringList GetQueryValuesAsList(const QString& sql, const TArgs& args = {});
    QStringList GetQueryValuesAsList(const QString& sql, const TArgs& args, bool sorted,
                                     bool allowDuplicates);
    TExecResult ExecQuery(const QString& sql, const TArgs& args = {});
    TExecResult ExecQueryNoParamCheck(const QString& sql);
    void OpenExistingQuery(const QString& label, TQuery* query);

    // Rows touched by the last statement on this connection; a thread sharing
    // the connection takes them from ExecQuery's result instead.
    qint64 RowsAffected() const;
    qint64 LastInsertId() const;

    // Rewrites the error's message into the decorated form, once.
    void DecorateQueryError(EDatabaseError& e, const QString& methodName, const TQuery* query) const;

    // Used by TQuery: runs rendered SQL on this connection.
    struct RawResult;
    std::shared_ptr<RawResult> RunRendered(const QByteArray& sql);
    // Escapes a text for a quoted SQL literal on this connection's charset.
    QByteArray Escape(const QString& text) const;

private:
    TDedicatedSession() = default;
    template <class F> auto guarded(const QString& label, TQuery* q, F&& f);

    TDatabase* m_db = nullptr;
    std::unique_ptr<TDatabase> m_ownDb;
    bool m_shared = false;
};

// Result of one statement, copied out of the connection under its mutex.
struct TDedicatedSession::RawResult
{
    struct Column
    {
        QString name;
        QString table;   // the column's own table, for live posting
        QString orgName; // the column's name in that table
        int type = 0;    // enum_field_types
        unsigned flags = 0;
        unsigned charsetnr = 0;
        unsigned long length = 0;
        unsigned decimals = 0;
    };
    std::vector<Column> columns;
    // Rows stay in the client library's buffer; cells are read without copying.
    st_mysql_res* res = nullptr;
    std::vector<char**> rows;
    std::vector<unsigned long> lengths; // rows * columns
    qint64 affected = 0;
    qint64 insertId = 0;
    RawResult() = default;
    RawResult(const RawResult&) = delete;
    RawResult& operator=(const RawResult&) = delete;
    ~RawResult();
};

// The shared instance; created once, on the first call from any thread, over
// DefaultDatabaseName. Worker threads open their own instead.
TDedicatedSession* GlobalSession();
// Frees the shared instance (program end, tests).
void ReleaseGlobalSession();
// Name of the data module's database component ("ORLIX4SQL").
extern QString DefaultDatabaseName;
// The default session's private folder text, as set by the main window
// (the program's "orlix_priv" folder with a trailing separator).
extern QString DefaultSessionPrivateDir;
// Private folders made and not yet deleted.
QStringList SessionFolders();
void ReleaseSessionFolder(const QString& folder);
void DeleteFolderTree(const QString& folder);

// Reopens an open dataset and returns to the record with the same key values
// (fields separated by ";"); the first record when it is gone.
void RefreshQuery(TQuery* query, const QString& keyFields);
// Reopens and moves to the row whose KeyField is the connection's last insert id.
void RefreshQueryToLastInsert(TQuery* query, const QString& keyField);

// The one transaction guard: rolls back in its destructor unless commit() ran,
// and never commits there. On a session already in a transaction it takes a
// savepoint instead (a second START TRANSACTION would silently commit the
// first), so commit() only releases it and a rollback undoes this guard's
// part alone, leaving the outer transaction to its own guard.
class TTransactionGuard
{
public:
    explicit TTransactionGuard(TDedicatedSession* session);
    ~TTransactionGuard();
    TTransactionGuard(const TTransactionGuard&) = delete;
    TTransactionGuard& operator=(const TTransactionGuard&) = delete;
    void commit();
    void rollback();
    // True when this guard holds a savepoint inside someone else's transaction.
    bool Nested() const { return m_level > 0; }

private:
    QByteArray savepointName() const;

    TDedicatedSession* m_session;
    int m_level = 0;      // 0: the guard started the transaction
    quint64 m_serial = 0; // the transaction the guard belongs to
    bool m_done = false;
};
