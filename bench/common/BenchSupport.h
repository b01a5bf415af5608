#pragma once
// What the bench programs share.
#include "core/DedicatedSession.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <vector>

class QElapsedTimer;

// The script runner reads the data source entry: writes one for this
// connection into dir and points ODBCINI at it.
bool PointDataSourceAt(const TConnectionParams& p, QTemporaryDir& dir);

// One command-line option: a switch, or "--name value" handing the value to Set.
struct TBenchOption
{
    QString Name;
    std::function<void(const QString& value)> Set;
    bool Switch = false;
};
// False on an unknown option or a missing value (the caller prints its usage).
bool ParseBenchArgs(const QStringList& args, const std::vector<TBenchOption>& options);

// The server options all benches take: --socket, --user, --password.
struct TBenchServer
{
    QString Socket;
    std::optional<QString> User, Password;
    // Adds the options to a bench's table (--socket alone without withLogin).
    void AddOptions(std::vector<TBenchOption>& options, bool withLogin = true);
    // The socket given, else ORLIX_TEST_SOCKET; without either the data source
    // entry ORLIX4SQL (useEntry) or the private local server's socket.
    // User and password given replace the ones found.
    TConnectionParams Params(bool useEntry, bool* fromEntry = nullptr) const;
};

// Runs statements on the server outside any database (it may not exist yet).
void BenchAdminExec(const TConnectionParams& params, const QStringList& sql);
// True for the databases a bench may drop: names starting "orlix6_bench".
bool BenchMayDrop(const QString& database);
// Creates params.database when missing; drops it first with dropFirst. A
// drop of any other database than BenchMayDrop allows throws EDatabaseError.
void BenchEnsureDatabase(const TConnectionParams& params, bool dropFirst = false);
void BenchDropDatabase(const TConnectionParams& params);

// The bench's database as the program's default connection (GlobalSession()),
// with a data source entry of its own for the script runner.
class TBenchDatabase
{
public:
    explicit TBenchDatabase(const TConnectionParams& params);
    ~TBenchDatabase();
    // Writes the entry (unless told not to) and connects; false, reported,
    // when the entry can't be written.
    bool Open(bool writeEntry = true);
    void Close();
    // Drops and creates the database empty and connects again.
    void MakeEmpty();
    TDedicatedSession* Session() const { return GlobalSession(); }

private:
    TConnectionParams m_params;
    QTemporaryDir m_odbcDir;
    TDatabase m_db;
    bool m_open = false;
};

// An empty bench database gets the schema, an ISP of `subscribers` and
// `months` of billing history (printing the two times); false, reported,
// when it holds other data.
bool BenchGenerateWithHistory(TDedicatedSession* s, int subscribers, int months);

double MsSince(const QElapsedTimer& t);
// The middle of the sorted values; 0 for none.
double MedianOf(std::vector<double> v);
