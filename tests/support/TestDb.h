#pragma once
// Test fixtures on the throwaway server that scripts/test.sh starts.
#include "core/DedicatedSession.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

class QTemporaryDir;

// Connection to the test server (ORLIX_TEST_SOCKET, ORLIX_TEST_USER, ORLIX_TEST_PASSWORD).
TConnectionParams TestServerParams(const QString& database = QString());

// Each test gets its own new, empty database; GlobalSession() points at it.
class DbTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    TDedicatedSession* S() const { return GlobalSession(); }
    const QString& DatabaseName() const { return m_dbName; }
    // Fills the test's database with the base schema script "orlix6.sql"
    // (copied from a template database built once per script version).
    void LoadSchema();
    // The base script, the address-register tables and the upgrade: a database
    // as a first start of the program leaves it (views and columns included).
    void LoadUpgradedSchema();
    // Runs a SQL script file against the test's database.
    void RunScript(const QString& path);

private:
    QString m_dbName;
    std::unique_ptr<TDatabase> m_db;
};

// A folder for files a test leaves for inspection: build/test-output/<sub>.
QString TestOutputDir(const QString& sub);

// Programs and script imports connect through the data source entry: writes
// an entry ORLIX4SQL for the database into a new folder dir and points ODBCINI
// at it, keeping the value found in saved. False when it can't be written.
bool PointTestDataSource(const QString& database, std::unique_ptr<QTemporaryDir>& dir, QByteArray& saved);
// Puts ODBCINI back as PointTestDataSource found it.
void RestoreOdbcIni(const QByteArray& saved);

// A second connection to a test database: another workstation's session.
struct SecondConnection
{
    explicit SecondConnection(const QString& database = QString(),
                              const QString& alias = QStringLiteral("other"));
    ~SecondConnection();
    TDatabase db;
    std::unique_ptr<TDedicatedSession> session;
};

// Kills a server session from a second connection, as an administrator would.
void KillServerSession(unsigned long threadId);
