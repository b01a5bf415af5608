#pragma once
// Schema tests: each test gets its own database; helpers run the program's
// first start on it and describe the result through information_schema.
#include "tests/support/TestDb.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

class SchemaTest : public DbTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // What the start-up sequence does on an empty database: the base script
    // (through the command-line client when realScript, else from the
    // fixture's template), the upgrade and the history triggers.
    void FirstStart(bool realScript = false);
    // Loads a script and runs the upgrade on it.
    void UpgradeFrom(const QString& script);

    // One line per column: table, column, type, nullable, default, extra
    // (no position: columns added by an upgrade come last).
    QStringList Columns(const QString& schema = QString()) const;
    // Name, engine and collation of every base table.
    QStringList Tables(const QString& schema = QString()) const;
    QStringList Indexes(const QString& schema = QString()) const;
    QStringList Views(const QString& schema = QString()) const;
    QStringList ViewDefinitions() const;
    QStringList Triggers() const;

    QString Value(const QString& sql, const TArgs& args = {}) const;
    int Count(const QString& sql, const TArgs& args = {}) const;

private:
    QString schemaOrCurrent(const QString& schema) const;
    std::unique_ptr<QTemporaryDir> m_odbcDir;
    QByteArray m_savedOdbcIni;
};

// The tables of the catalogue (73) and the views of the upgrade (22), in order.
extern const QStringList kCatalogueTables;
extern const QStringList kUpgradeViews;
