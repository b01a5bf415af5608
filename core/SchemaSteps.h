#pragma once
// Guarded statements of the schema upgrade. Every statement carries the
// condition under which it still has work to do (a column missing, a column or
// index still present, a column not yet of its final type), so an upgrade that
// stopped half-way completes at the next start and a repeated run changes
// nothing. MariaDB commits every DDL statement on its own, so nothing short of
// this makes an interrupted upgrade resumable.
#include "core/DedicatedSession.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

bool SchemaTableExists(const QString& table);
bool SchemaColumnExists(const QString& table, const QString& column);
// True when an index of the table starts with the column.
bool SchemaIndexOnColumn(const QString& table, const QString& column);
bool SchemaIndexNamed(const QString& table, const QString& name);
// "type|null|default|extra" as SHOW COLUMNS gives them; empty when the column is missing.
QString SchemaColumnShape(const QString& table, const QString& column);

struct TSchemaStep
{
    enum class When
    {
        ColumnMissing, // ADD: the column does not exist yet
        ColumnPresent, // DROP, or a copy out of an old column before it is dropped
        IndexMissing,  // no index starts with the column
        IndexPresent,  // the named index exists
        ShapeDiffers,  // MODIFY/CHANGE: the column exists and is not yet of the wanted shape
        FirstRun,      // data fixes that belong to the group's first run (guard column was missing)
        Always,        // runs whenever the group runs
    };
    When when = When::Always;
    QString table;
    QString object; // column or index name
    QString shape;  // ShapeDiffers: the wanted "type|null|default|extra"
    QString sql;
    QString clause; // ADD: "ADD `column` definition", for one ALTER TABLE over several columns
    TArgs args;
    std::function<void()> call; // instead of sql
};

// A column group: runs while its guard column is missing or any of its
// statements still has work to do. A group without a guard column is a list
// of statements that each run while they have work to do.
struct TSchemaGroup
{
    int number = 0;
    QString table;
    QString guardColumn;
    std::vector<TSchemaStep> steps;
};

// Builders for the group lists.
TSchemaStep SchemaAdd(const QString& table, const QString& column, const QString& definition,
                      TArgs args = {});
TSchemaStep SchemaModify(const QString& table, const QString& column, const QString& definition,
                         const QString& shape);
// "ALTER TABLE t CHANGE c c <definition>".
TSchemaStep SchemaChange(const QString& table, const QString& column, const QString& definition,
                         const QString& shape);
TSchemaStep SchemaDropColumn(const QString& table, const QString& column);
TSchemaStep SchemaWhenPresent(const QString& table, const QString& column, const QString& sql);
TSchemaStep SchemaAddIndex(const QString& table, const QStringList& columns);
TSchemaStep SchemaDropIndex(const QString& table, const QString& name);
TSchemaStep SchemaFirstRun(const QString& sql, TArgs args = {});
TSchemaStep SchemaCall(std::function<void()> call);

bool SchemaStepHasWork(const TSchemaStep& step);
void RunSchemaGroup(const TSchemaGroup& group);

// The statements run since the last upgrade began (for tests and diagnostics).
QStringList& SchemaStatementLog();
// Runs one statement on the shared session and records it in the log.
void SchemaExec(const QString& sql, const TArgs& args = {});
void SchemaExecNoParamCheck(const QString& sql);

// The column groups of the upgrade, in their order.
const std::vector<TSchemaGroup>& SchemaColumnGroups();
