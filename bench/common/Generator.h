#pragma once
// A synthetic ISP for benchmarks and tests: subscribers with Polish names and
// addresses, their groups, tariffs, recurring invoice items and devices, the
// nodes and infrastructure the devices hang on. Everything follows from the
// seed, so two runs with the same options write the same rows.
#include "core/DedicatedSession.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// Deterministic on every platform (the standard distributions are not).
class TBenchRandom
{
public:
    explicit TBenchRandom(std::uint64_t seed) : m_state(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    std::uint64_t next();
    int below(int n) { return n <= 0 ? 0 : int(next() % std::uint64_t(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); } // inclusive
    bool chance(int percent) { return below(100) < percent; }
    template <class T> const T& pick(const std::vector<T>& v) { return v[size_t(below(int(v.size())))]; }
    QString digits(int count);

private:
    std::uint64_t m_state;
};

// Collects rows of one table and writes them as multi-row INSERTs with bound values.
class TBulkInsert
{
public:
    TBulkInsert(TDedicatedSession* session, const QString& table, const QStringList& columns,
                int rowsPerStatement = 250);
    ~TBulkInsert() noexcept(false);
    void add(TArgs row);
    void flush();
    qint64 rows() const { return m_total; }

private:
    TDedicatedSession* m_session;
    QString m_head;
    QString m_rowText;
    int m_columns;
    int m_perStatement;
    int m_pending = 0;
    TArgs m_args;
    qint64 m_total = 0;
};

struct TGeneratorOptions
{
    int subscribers = 1000;
    // Infrastructure devices (core routers included); 0: as many as the
    // subscribers need (about one access device per 60 subscriber devices).
    int infrastructure = 0;
    std::uint64_t seed = 20240501;
    // Day the data are generated for (activation dates and the like lie before it).
    QString today = QStringLiteral("2025-06-30");
};

struct TGeneratorResult
{
    qint64 subscribers = 0, groups = 0, tariffs = 0, services = 0, nodes = 0, infrastructure = 0, routers = 0,
           devices = 0, invoiceItems = 0, contracts = 0;
    double seconds = 0;
};

// True when the database holds none of the base tables (a first start would create them).
bool BenchDatabaseEmpty(TDedicatedSession* session);
// Does what the program's first start does on an empty database: the base
// script, the upgrade, the history triggers and their flag. Needs the data
// source entry (ODBCINI) to point at the database for the script runner.
void BenchCreateSchema(const QString& programFolder);
// Fills the database (schema in place, no subscribers yet) in one transaction.
TGeneratorResult GenerateIsp(TDedicatedSession* session, const TGeneratorOptions& options);
