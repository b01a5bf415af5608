#include "core/DedicatedSession.h"

#include "core/Query.h"
#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <algorithm>
#include <atomic>
#include <mysql.h>
#include <mysqld_error.h>
#include <optional>

QString DefaultDatabaseName = QStringLiteral("ORLIX4SQL");
QString DefaultSessionPrivateDir;

namespace {

QMutex g_registryMutex;
QHash<QString, TDatabase*>& registry()
{
    // Never destroyed: connections held by other static objects unregister
    // themselves at program end, after a static map would be gone.
    static auto* r = new QHash<QString, TDatabase*>;
    return *r;
}

std::mutex g_globalSessionMutex;
std::atomic<TDedicatedSession*> g_globalSession{nullptr};
QMutex g_foldersMutex;
QStringList g_sessionFolders;

EDatabaseError engineError(st_mysql* m)
{
    const unsigned code = mysql_errno(m);
    QString text = QString::fromUtf8(mysql_error(m));
    if (text.isEmpty()) text = QStringLiteral("Unknown database error");
    return EDatabaseError(text, QStringLiteral("EDBEngineError"), {int(code)});
}

} // namespace

// ---------------------------------------------------------------- TArg

TArg::TArg(const QVariant& v)
{
    if (v.isNull() || !v.isValid()) {
        m_kind = Kind::Null;
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        m_kind = Kind::Boolean;
        m_int = v.toBool() ? 1 : 0;
        break;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        m_kind = Kind::Integer;
        m_int = v.toInt();
        break;
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        m_kind = Kind::Int64;
        m_int = v.toLongLong();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        m_kind = Kind::Float;
        m_float = v.toDouble();
        break;
    case QMetaType::QDate:
        m_kind = Kind::Text;
        m_text = v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        break;
    case QMetaType::QDateTime:
        m_kind = Kind::Text;
        m_text = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        break;
    default:
        m_kind = Kind::Text;
        m_text = v.toString();
        break;
    }
}

// ---------------------------------------------------------------- TDatabase

TDatabase::TDatabase(QString databaseName, TConnectionParams params)
    : m_name(std::move(databaseName)), m_params(std::move(params))
{
}

TDatabase::~TDatabase()
{
    Unregister(this);
    Close();
}

void TDatabase::Open()
{
    std::lock_guard lock(m_mutex);
    if (m_mysql) return;
    MYSQL* m = mysql_init(nullptr);
    if (!m) throw EDatabaseError(QStringLiteral("Out of memory"), QStringLiteral("EDBEngineError"));
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb3");
    unsigned timeout = 10;
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    // No automatic reconnect: a new connection would silently lose the
    // session's settings, temporary tables and open transaction.
    my_bool reconnect = 0;
    mysql_options(m, MYSQL_OPT_RECONNECT, &reconnect);
    const QByteArray host = m_params.host.toUtf8();
    const QByteArray user = m_params.user.toUtf8();
    const QByteArray pass = m_params.password.toUtf8();
    const QByteArray db = m_params.database.toUtf8();
    const QByteArray sock = m_params.socket.toUtf8();
    const bool useSocket = !m_params.socket.isEmpty();
    const QByteArray sslCa = m_params.sslCa.toUtf8();
    const QByteArray sslCert = m_params.sslCert.toUtf8();
    const QByteArray sslKey = m_params.sslKey.toUtf8();
    // A TCP session the data source gives TLS keys is encrypted, and with
    // SSLVERIFY only to a server whose certificate the CA file vouches for.
    // A unix socket ("localhost" too) never leaves the machine: left as it is.
    const bool tcp = !useSocket && !host.isEmpty() && host != "localhost";
    if (tcp && m_params.UsesTls()) {
        my_bool on = 1;
        mysql_optionsv(m, MYSQL_OPT_SSL_ENFORCE, &on);
        if (!sslCa.isEmpty()) mysql_optionsv(m, MYSQL_OPT_SSL_CA, sslCa.constData());
        if (!sslCert.isEmpty()) mysql_optionsv(m, MYSQL_OPT_SSL_CERT, sslCert.constData());
        if (!sslKey.isEmpty()) mysql_optionsv(m, MYSQL_OPT_SSL_KEY, sslKey.constData());
        my_bool verify = m_params.sslVerify ? 1 : 0;
        mysql_optionsv(m, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
    }
    if (!mysql_real_connect(m, useSocket ? "localhost" : (host.isEmpty() ? "localhost" : host.constData()),
                            user.constData(), pass.constData(), db.isEmpty() ? nullptr : db.constData(),
                            m_params.port, useSocket ? sock.constData() : nullptr, CLIENT_FOUND_ROWS)) {
        EDatabaseError e = engineError(m);
        mysql_close(m);
        throw e;
    }
    // The schema relies on the empty SQL mode (zero values for omitted columns)
    // and on the Polish collation for every text the session sends.
    for (const char* stmt : {"SET NAMES utf8mb3 COLLATE utf8mb3_polish_ci", "SET sql_mode = ''"}) {
        if (mysql_query(m, stmt) != 0) {
            EDatabaseError e = engineError(m);
            mysql_close(m);
            throw e;
        }
    }
    m_mysql = m;
}

void TDatabase::Close()
{
    std::lock_guard lock(m_mutex);
    if (m_mysql) {
        mysql_close(m_mysql);
        m_mysql = nullptr;
    }
    m_inTransaction = false;
    m_savepointDepth = 0;
}

bool TDatabase::InTransaction()
{
    std::lock_guard lock(m_mutex);
    return m_inTransaction;
}

unsigned long TDatabase::ServerThreadId() const
{
    return m_mysql ? mysql_thread_id(m_mysql) : 0;
}

void TDatabase::Register(TDatabase* db)
{
    QMutexLocker l(&g_registryMutex);
    registry().insert(db->DatabaseName().toUpper(), db);
}

void TDatabase::Unregister(TDatabase* db)
{
    QMutexLocker l(&g_registryMutex);
    auto& r = registry();
    for (auto it = r.begin(); it != r.end();) {
        if (it.value() == db)
            it = r.erase(it);
        else
            ++it;
    }
}

TDatabase* TDatabase::Find(const QString& databaseName)
{
    QMutexLocker l(&g_registryMutex);
    return registry().value(databaseName.toUpper(), nullptr);
}

namespace {

// A copy of the registered database's parameters, taken under the registry's
// lock: another thread may unregister and free that database meanwhile.
std::optional<TConnectionParams> registeredParams(const QString& databaseName)
{
    QMutexLocker l(&g_registryMutex);
    const TDatabase* db = registry().value(databaseName.toUpper(), nullptr);
    if (!db) return std::nullopt;
    return db->Params();
}

} // namespace

// ---------------------------------------------------------------- RawResult

TDedicatedSession::RawResult::~RawResult()
{
    if (res) mysql_free_result(res);
}

// ---------------------------------------------------------------- TDedicatedSession

TDedicatedSession* TDedicatedSession::CreateOnDatabase(const QString& databaseName)
{
    TDatabase* db = TDatabase::Find(databaseName);
    Q_ASSERT_X(db, "TDedicatedSession::CreateOnDatabase", "no database component of that name");
    if (!db)
        throw EDatabaseError(QStringLiteral("Database component \"%1\" is not registered").arg(databaseName));
    auto* s = new TDedicatedSession();
    s->m_db = db;
    s->m_shared = true;
    return s;
}

TDedicatedSession::TDedicatedSession(const QString& name, const QString& databaseName)
{
    const QString dbName = databaseName.isEmpty() ? DefaultDatabaseName : databaseName;
    const std::optional<TConnectionParams> shared = registeredParams(dbName);
    if (!shared)
        throw EDatabaseError(QStringLiteral("TDedicatedSession.Initialize: \r\nSesja: %1\r\n%2\r\n%3")
                                 .arg(name, DefaultSessionPrivateDir,
                                      QStringLiteral("Database \"%1\" is not registered").arg(dbName)));

    // Choose the private folder: P_Name, then P_Name_00000002 and up while taken.
    const QString p = DefaultSessionPrivateDir;
    int counter = 1;
    QString candidate;
    {
        QMutexLocker l(&g_foldersMutex);
        if (name != QLatin1String("DedicatedSession"))
            candidate = QStringLiteral("%1_%2").arg(p, name);
        else
            candidate = QStringLiteral("%1_%2_%3").arg(p, name).arg(counter, 8, 10, QLatin1Char('0'));
        while (QFileInfo::exists(candidate) || g_sessionFolders.contains(candidate)) {
            ++counter;
            candidate = QStringLiteral("%1_%2_%3").arg(p, name).arg(counter, 8, 10, QLatin1Char('0'));
        }
        g_sessionFolders.append(candidate);
        MakePrivateFolder(candidate);
    }
    PrivateDir = candidate;
    SessionName = QStringLiteral("%1_%2").arg(name).arg(counter, 8, 10, QLatin1Char('0'));

    m_ownDb = std::make_unique<TDatabase>(dbName, *shared);
    m_db = m_ownDb.get();
    try {
        m_db->Open();
    } catch (...) {
        ReleaseSessionFolder(PrivateDir);
        throw;
    }
}

std::unique_ptr<TDedicatedSession> TDedicatedSession::OpenConnection(const QString& label,
                                                                     const QString& databaseName)
{
    const QString dbName = databaseName.isEmpty() ? DefaultDatabaseName : databaseName;
    const std::optional<TConnectionParams> shared = registeredParams(dbName);
    if (!shared)
        throw EDatabaseError(QStringLiteral("Database component \"%1\" is not registered").arg(dbName));
    std::unique_ptr<TDedicatedSession> s(new TDedicatedSession());
    s->SessionName = label;
    s->m_ownDb = std::make_unique<TDatabase>(dbName, *shared);
    s->m_db = s->m_ownDb.get();
    s->m_db->Open();
    return s;
}

TDedicatedSession::~TDedicatedSession()
{
    if (m_ownDb) m_ownDb->Close();
    ReleaseSessionFolder(PrivateDir);
}

QString TDedicatedSession::Label() const
{
    return m_shared ? QStringLiteral("GlobalSession") : SessionName;
}

void TDedicatedSession::StartTransaction()
{
    std::lock_guard lock(m_db->Mutex());
    RunRendered("START TRANSACTION");
    m_db->m_inTransaction = true;
    m_db->m_savepointDepth = 0;
    ++m_db->m_transactionSerial;
}

bool TDedicatedSession::InTransaction() const
{
    return m_db->InTransaction();
}

void TDedicatedSession::Rollback()
{
    std::lock_guard lock(m_db->Mutex());
    m_db->m_inTransaction = false;
    m_db->m_savepointDepth = 0;
    RunRendered("ROLLBACK");
}

void TDedicatedSession::Commit()
{
    std::lock_guard lock(m_db->Mutex());
    RunRendered("COMMIT");
    m_db->m_inTransaction = false;
    m_db->m_savepointDepth = 0;
}

std::shared_ptr<TDedicatedSession::RawResult> TDedicatedSession::RunRendered(const QByteArray& sql)
{
    std::lock_guard lock(m_db->Mutex());
    MYSQL* m = m_db->Handle();
    if (!m)
        throw EDatabaseError(QStringLiteral("Lost connection to server during query"),
                             QStringLiteral("EDBEngineError"), {2006});
    if (mysql_real_query(m, sql.constData(), (unsigned long)sql.size()) != 0) throw engineError(m);
    auto r = std::make_shared<RawResult>();
    MYSQL_RES* res = mysql_store_result(m);
    if (res) {
        r->res = res;
        const unsigned n = mysql_num_fields(res);
        MYSQL_FIELD* f = mysql_fetch_fields(res);
        r->columns.resize(n);
        for (unsigned i = 0; i < n; ++i) {
            auto& c = r->columns[i];
            c.name = QString::fromUtf8(f[i].name, int(f[i].name_length));
            c.table = QString::fromUtf8(f[i].org_table, int(f[i].org_table_length));
            c.orgName = QString::fromUtf8(f[i].org_name, int(f[i].org_name_length));
            c.type = f[i].type;
            c.flags = f[i].flags;
            c.charsetnr = f[i].charsetnr;
            c.length = f[i].length;
            c.decimals = f[i].decimals;
        }
        const my_ulonglong rows = mysql_num_rows(res);
        r->rows.reserve(size_t(rows));
        r->lengths.reserve(size_t(rows) * n);
        while (MYSQL_ROW row = mysql_fetch_row(res)) {
            r->rows.push_back(row);
            const unsigned long* len = mysql_fetch_lengths(res);
            r->lengths.insert(r->lengths.end(), len, len + n);
        }
    } else if (mysql_field_count(m) != 0) {
        throw engineError(m);
    } else {
        r->affected = qint64(mysql_affected_rows(m));
        r->insertId = qint64(mysql_insert_id(m));
    }
    // Procedures may send further results; they are not ours to read.
    while (mysql_more_results(m)) {
        if (mysql_next_result(m) > 0) throw engineError(m);
        if (MYSQL_RES* extra = mysql_store_result(m)) mysql_free_result(extra);
    }
    return r;
}

QByteArray TDedicatedSession::Escape(const QString& text) const
{
    const QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 1, Qt::Uninitialized);
    unsigned long n;
    if (m_db->Handle()) {
        n = mysql_real_escape_string(m_db->Handle(), out.data(), in.constData(), (unsigned long)in.size());
    } else {
        n = mysql_escape_string(out.data(), in.constData(), (unsigned long)in.size());
    }
    out.truncate(qsizetype(n));
    return out;
}

qint64 TDedicatedSession::RowsAffected() const
{
    std::lock_guard lock(m_db->Mutex());
    return m_db->Handle() ? qint64(mysql_affected_rows(m_db->Handle())) : 0;
}

qint64 TDedicatedSession::LastInsertId() const
{
    std::lock_guard lock(m_db->Mutex());
    return m_db->Handle() ? qint64(mysql_insert_id(m_db->Handle())) : 0;
}

void TDedicatedSession::DecorateQueryError(EDatabaseError& e, const QString& methodName,
                                           const TQuery* query) const
{
    if (e.Decorated()) return;
    QString sqlText;
    QString params;
    if (query) {
        for (const QString& line : query->SQLLines())
            sqlText += line + QStringLiteral("\r\n");
        for (const TParam& p : query->Params()) {
            params += QStringLiteral("\r\n%1 [%2] = \"%3\"")
                          .arg(p.Name, QString::fromLatin1(FieldTypeName(p.DataType)),
                               p.Secret ? QStringLiteral("***") : p.DisplayValue());
        }
        if (!params.isEmpty()) params = QStringLiteral("\r\n    SQL Params: \r\n") + params;
    }
    e.SetMessage(
        QStringLiteral("Error in \"%1.%2\":\r\n    Error type: %3\r\n    Error message:\r\n\r\n%4\r\n\r\n"
                       "    TQuery.SQL:\r\n\r\n%5%6\r\n")
            .arg(Label(), methodName, e.ClassName(), e.Message(), sqlText, params));
    e.SetDecorated(true);
}

template <class F> auto TDedicatedSession::guarded(const QString& label, TQuery* q, F&& f)
{
    try {
        return f();
    } catch (EDatabaseError& e) {
        DecorateQueryError(e, label, q);
        throw;
    }
}

std::unique_ptr<TQuery> TDedicatedSession::NewTQuery()
{
    return std::make_unique<TQuery>(this);
}

std::unique_ptr<TQuery> TDedicatedSession::MakeTempTQuery(const QString& sql, const TArgs& args)
{
    auto q = NewTQuery();
    q->SetSQL(sql);
    q->BindArgs(args);
    return q;
}

std::unique_ptr<TQuery> TDedicatedSession::MakeTempTQueryNoParamCheck(const QString& sql)
{
    auto q = NewTQuery();
    q->SetParamCheck(false);
    q->SetSQL(sql);
    return q;
}

std::unique_ptr<TQuery> TDedicatedSession::OpenQuery(const QString& sql, const TArgs& args)
{
    auto q = MakeTempTQuery(sql, args);
    guarded(QStringLiteral("OpenQuery"), q.get(), [&] { q->Open(); });
    return q;
}

std::unique_ptr<TQuery> TDedicatedSession::OpenLiveQuery(const QString& sql, const TArgs& args)
{
    auto q = MakeTempTQuery(sql, args);
    q->RequestLive = true;
    guarded(QStringLiteral("OpenLiveQuery"), q.get(), [&] { q->Open(); });
    return q;
}

bool TDedicatedSession::IsQueryEmpty(const QString& sql, const TArgs& args)
{
    return OpenQuery(sql, args)->IsEmpty();
}

int TDedicatedSession::GetQueryValueAsInteger(const QString& sql, const TArgs& args)
{
    auto q = OpenQuery(sql, args);
    return guarded(QStringLiteral("GetQueryValueAsInteger"), q.get(),
                   [&] { return q->IsEmpty() ? 0 : q->Fields(0)->AsInteger(); });
}

double TDedicatedSession::GetQueryValueAsFloat(const QString& sql, const TArgs& args)
{
    auto q = OpenQuery(sql, args);
    return guarded(QStringLiteral("GetQueryValueAsFloat"), q.get(),
                   [&] { return q->IsEmpty() ? 0.0 : q->Fields(0)->AsFloat(); });
}

double TDedicatedSession::GetQueryValueAsDateTime(const QString& sql, const TArgs& args)
{
    auto q = OpenQuery(sql, args);
    return guarded(QStringLiteral("GetQueryValueAsDateTime"), q.get(),
                   [&] { return q->IsEmpty() ? 0.0 : q->Fields(0)->AsDateTime(); });
}

QString TDedicatedSession::GetQueryValueAsString(const QString& sql, const TArgs& args)
{
    auto q = OpenQuery(sql, args);
    return guarded(QStringLiteral("GetQueryValueAsString"), q.get(),
                   [&] { return q->IsEmpty() ? QString() : q->Fields(0)->AsString(); });
}

QStringList TDedicatedSession::GetQueryValuesAsList(const QString& sql, const TArgs& args)
{
    auto q = MakeTempTQuery(sql, args);
    return guarded(QStringLiteral("GetQueryValuesAsList"), q.get(), [&] {
        q->Open();
        QStringList out;
        out.reserve(q->RecordCount());
        for (int r = 0; r < q->RecordCount(); ++r)
            out.append(q->CellText(r, 0));
        return out;
    });
}

QStringList TDedicatedSession::GetQueryValuesAsList(const QString& sql, const TArgs& args, bool sorted,
                                                    bool allowDuplicates)
{
    QStringList out = GetQueryValuesAsList(sql, args);
    if (sorted) {
        // The sorted list compares without regard to letter case, as the old list did.
        std::stable_sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        if (!allowDuplicates) {
            out.erase(std::unique(out.begin(), out.end(),
                                  [](const QString& a, const QString& b) {
                                      return QString::compare(a, b, Qt::CaseInsensitive) == 0;
                                  }),
                      out.end());
        }
    }
    return out;
}

TExecResult TDedicatedSession::ExecQuery(const QString& sql, const TArgs& args)
{
    auto q = MakeTempTQuery(sql, args);
    return guarded(QStringLiteral("ExecQuery"), q.get(), [&] { return q->ExecSQL(); });
}

TExecResult TDedicatedSession::ExecQueryNoParamCheck(const QString& sql)
{
    auto q = MakeTempTQueryNoParamCheck(sql);
    return guarded(QStringLiteral("ExecQuery"), q.get(), [&] { return q->ExecSQL(); });
}

void TDedicatedSession::OpenExistingQuery(const QString& label, TQuery* query)
{
    if (!query) return;
    guarded(label, query, [&] { query->Open(); });
}

// ---------------------------------------------------------------- unit functions

TDedicatedSession* GlobalSession()
{
    if (TDedicatedSession* s = g_globalSession.load(std::memory_order_acquire)) return s;
    std::lock_guard lock(g_globalSessionMutex);
    TDedicatedSession* s = g_globalSession.load(std::memory_order_relaxed);
    if (!s) {
        s = TDedicatedSession::CreateOnDatabase(DefaultDatabaseName);
        g_globalSession.store(s, std::memory_order_release);
    }
    return s;
}

void ReleaseGlobalSession()
{
    std::lock_guard lock(g_globalSessionMutex);
    delete g_globalSession.exchange(nullptr);
}

QStringList SessionFolders()
{
    QMutexLocker l(&g_foldersMutex);
    return g_sessionFolders;
}

void DeleteFolderTree(const QString& folder)
{
    if (folder.isEmpty()) return;
    QDir(folder).removeRecursively();
}

void ReleaseSessionFolder(const QString& folder)
{
    if (folder.isEmpty()) return;
    DeleteFolderTree(folder);
    QMutexLocker l(&g_foldersMutex);
    g_sessionFolders.removeAll(folder);
}

void RefreshQuery(TQuery* query, const QString& keyFields)
{
    if (!query || !query->Active()) return;
    const QStringList keys = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    TArgs values;
    for (const QString& k : keys)
        values.push_back(TArg(query->FieldByName(k.trimmed())->AsString()));
    query->DisableControls();
    struct Resume
    {
        TQuery* q;
        ~Resume() { q->EnableControls(); }
    } resume{query};
    query->Close();
    GlobalSession()->OpenExistingQuery(QStringLiteral("RefreshQuery()"), query);
    if (!keys.isEmpty() && !query->Locate(keyFields, values)) query->First();
}

void RefreshQueryToLastInsert(TQuery* query, const QString& keyField)
{
    if (!query || !query->Active()) return;
    const int id = GlobalSession()->GetQueryValueAsInteger(QStringLiteral("SELECT last_insert_ID()"));
    query->DisableControls();
    struct Resume
    {
        TQuery* q;
        ~Resume() { q->EnableControls(); }
    } resume{query};
    query->Close();
    query->Open();
    query->Locate(keyField, TArg(id));
}

// ---------------------------------------------------------------- TTransactionGuard

TTransactionGuard::TTransactionGuard(TDedicatedSession* session) : m_session(session)
{
    TDatabase* db = session->Database();
    std::lock_guard lock(db->Mutex());
    if (!db->m_inTransaction) {
        session->StartTransaction();
    } else {
        m_level = db->m_savepointDepth + 1;
        session->RunRendered("SAVEPOINT " + savepointName());
        db->m_savepointDepth = m_level;
    }
    m_serial = db->m_transactionSerial;
}

TTransactionGuard::~TTransactionGuard()
{
    if (m_done) return;
    try {
        rollback();
    } catch (...) {
    }
}

QByteArray TTransactionGuard::savepointName() const
{
    return "orlix_sp" + QByteArray::number(m_level);
}

void TTransactionGuard::commit()
{
    if (m_done) return;
    TDatabase* db = m_session->Database();
    std::lock_guard lock(db->Mutex());
    m_done = true;
    if (m_level == 0) {
        m_session->Commit();
        return;
    }
    // The outer transaction ended under this guard: what it wrote is gone.
    if (!db->m_inTransaction || db->m_transactionSerial != m_serial)
        throw EDatabaseError(
            QStringLiteral("SAVEPOINT %1 does not exist").arg(QLatin1String(savepointName())),
            QStringLiteral("EDBEngineError"), {1305});
    db->m_savepointDepth = m_level - 1;
    m_session->RunRendered("RELEASE SAVEPOINT " + savepointName());
}

void TTransactionGuard::rollback()
{
    if (m_done) return;
    TDatabase* db = m_session->Database();
    std::lock_guard lock(db->Mutex());
    m_done = true;
    if (m_level == 0) {
        if (db->m_inTransaction && db->m_transactionSerial == m_serial) m_session->Rollback();
        return;
    }
    if (!db->m_inTransaction || db->m_transactionSerial != m_serial) return;
    db->m_savepointDepth = m_level - 1;
    m_session->RunRendered("ROLLBACK TO SAVEPOINT " + savepointName());
    m_session->RunRendered("RELEASE SAVEPOINT " + savepointName());
}
