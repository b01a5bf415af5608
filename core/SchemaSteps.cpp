#include "core/SchemaSteps.h"

#include "core/Query.h"

namespace {

// LIKE patterns: an underscore in a name must not match any character.
QString likeExact(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    s.replace(QLatin1Char('_'), QLatin1String("\\_"));
    s.replace(QLatin1Char('%'), QLatin1String("\\%"));
    return s;
}

QString cellText(TQuery& q, const char* field)
{
    TField* f = q.FindField(QString::fromLatin1(field));
    if (!f || f->IsNull()) return QStringLiteral("null");
    return QString::fromUtf8(f->AsBytes()).toLower();
}

} // namespace

bool SchemaTableExists(const QString& table)
{
    return !GlobalSession()
                ->GetQueryValueAsString(QStringLiteral("SHOW TABLE STATUS like :p1"), {likeExact(table)})
                .isEmpty();
}

bool SchemaColumnExists(const QString& table, const QString& column)
{
    return !GlobalSession()->IsQueryEmpty(QStringLiteral("SHOW COLUMNS FROM `%1` LIKE :p1").arg(table),
                                          {likeExact(column)});
}

bool SchemaIndexOnColumn(const QString& table, const QString& column)
{
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("SHOW INDEX FROM `%1` WHERE Column_name = :p1 AND Seq_in_index = 1").arg(table),
        {column});
}

bool SchemaIndexNamed(const QString& table, const QString& name)
{
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("SHOW INDEX FROM `%1` WHERE Key_name = :p1").arg(table), {name});
}

QString SchemaColumnShape(const QString& table, const QString& column)
{
    auto q = GlobalSession()->OpenQuery(QStringLiteral("SHOW COLUMNS FROM `%1` LIKE :p1").arg(table),
                                        {likeExact(column)});
    if (q->IsEmpty()) return QString();
    return cellText(*q, "Type") + QLatin1Char('|') + cellText(*q, "Null") + QLatin1Char('|') +
           cellText(*q, "Default") + QLatin1Char('|') + cellText(*q, "Extra");
}

QStringList& SchemaStatementLog()
{
    static QStringList log;
    return log;
}

void SchemaExec(const QString& sql, const TArgs& args)
{
    SchemaStatementLog().append(sql);
    GlobalSession()->ExecQuery(sql, args);
}

void SchemaExecNoParamCheck(const QString& sql)
{
    SchemaStatementLog().append(sql);
    GlobalSession()->ExecQueryNoParamCheck(sql);
}

TSchemaStep SchemaAdd(const QString& table, const QString& column, const QString& definition, TArgs args)
{
    TSchemaStep s;
    s.when = TSchemaStep::When::ColumnMissing;
    s.table = table;
    s.object = column;
    s.clause = QStringLiteral("ADD `%1` %2").arg(column, definition);
    s.sql = QStringLiteral("ALTER TABLE `%1` ").arg(table) + s.clause;
    s.args = std::move(args);
    return s;
}

TSchemaStep SchemaModify(const QString& table, const QString& column, const QString& definition,
                         const QString& shape)
{
    TSchemaStep s;
    s.when = TSchemaStep::When::ShapeDiffers;
    s.table = table;
    s.object = column;
    s.shape = shape;
    s.sql = QStringLiteral("ALTER TABLE `%1` MODIFY `%2` %3").arg(table, column, definition);
    return s;
}

TSchemaStep SchemaChange(const QString& table, const QString& column, const QString& definition,
                         const QString& shape)
{
    TSchemaStep s = SchemaModify(table, column, definition, shape);
    s.sql = QStringLiteral("ALTER TABLE `%1` CHANGE `%2` `%2` %3").arg(table, column, definition);
    return s;
}

TSchemaStep SchemaDropColumn(const QString& table, const QString& column)
{
    return SchemaWhenPresent(table, column,
                             QStringLiteral("ALTER TABLE `%1` DROP COLUMN `%2`").arg(table, column));
}

TSchemaStep SchemaWhenPresent(const QString& table, const QString& column, const QString& sql)
{
    TSchemaStep s;
    s.when = TSchemaStep::When::ColumnPresent;
    s.table = table;
    s.object = column;
    s.sql = sql;
    return s;
}

TSchemaStep SchemaAddIndex(const QString& table, const QStringList& columns)
{
    TSchemaStep s;
    s.when = TSchemaStep::When::IndexMissing;
    s.table = table;
    s.object = columns.first();
    QStringList quoted;
    for (const QString& c : columns)
        quoted << QLatin1Char('`') + c + QLatin1Char('`');
    s.sql = QStringLiteral("ALTER TABLE `%1` ADD INDEX (%2)").arg(table, quoted.join(QStringLiteral(", ")));
    return s;
}

TSchemaStep SchemaDropIndex(const QString& table, const QString& name)
{
    TSchemaStep s;
    s.when = TSchemaStep::When::IndexPresent;
    s.table = table;
    s.object = name;
    s.sql = QStringLiteral("DROP INDEX `%1` on `%2`").arg(name, table);
    return s;
}

TSchemaStep SchemaFirstRun(const QString& sql, TArgs args)
{
    TSchemaStep s;
    s.when = TSchemaStep::When::FirstRun;
    s.sql = sql;
    s.args = std::move(args);
    return s;
}

TSchemaStep SchemaCall(std::function<void()> call)
{
    TSchemaStep s;
    s.when = TSchemaStep::When::Always;
    s.call = std::move(call);
    return s;
}

bool SchemaStepHasWork(const TSchemaStep& step)
{
    switch (step.when) {
    case TSchemaStep::When::ColumnMissing:
        return !SchemaColumnExists(step.table, step.object);
    case TSchemaStep::When::ColumnPresent:
        return SchemaColumnExists(step.table, step.object);
    case TSchemaStep::When::IndexMissing:
        return !SchemaIndexOnColumn(step.table, step.object);
    case TSchemaStep::When::IndexPresent:
        return SchemaIndexNamed(step.table, step.object);
    case TSchemaStep::When::ShapeDiffers: {
        const QString shape = SchemaColumnShape(step.table, step.object);
        return !shape.isEmpty() && shape != step.shape;
    }
    case TSchemaStep::When::FirstRun:
    case TSchemaStep::When::Always:
        return false;
    }
    return false;
}

void RunSchemaGroup(const TSchemaGroup& group)
{
    const bool firstRun = !group.guardColumn.isEmpty() && !SchemaColumnExists(group.table, group.guardColumn);
    if (!firstRun) {
        // The guard column alone does not prove the group complete: a run that
        // stopped after it left the rest undone.
        bool pending = false;
        for (const TSchemaStep& s : group.steps) {
            if (SchemaStepHasWork(s)) {
                pending = true;
                break;
            }
        }
        if (!pending) return;
    }
    // Missing columns of one table are added by one statement: on a disk that
    // syncs every DDL this is what keeps a first start short.
    QString batchTable;
    QStringList batch;
    TArgs batchArgs;
    auto flush = [&] {
        if (batch.isEmpty()) return;
        SchemaExec(QStringLiteral("ALTER TABLE `%1` ").arg(batchTable) + batch.join(QStringLiteral(", ")),
                   batchArgs);
        batch.clear();
        batchArgs.clear();
    };
    for (const TSchemaStep& s : group.steps) {
        const bool addition = s.when == TSchemaStep::When::ColumnMissing && !s.clause.isEmpty();
        if (!addition || s.table != batchTable) flush();
        bool run = false;
        switch (s.when) {
        case TSchemaStep::When::FirstRun:
            run = firstRun;
            break;
        case TSchemaStep::When::Always:
            run = true;
            break;
        default:
            run = SchemaStepHasWork(s);
            break;
        }
        if (!run) continue;
        if (addition) {
            batchTable = s.table;
            batch << s.clause;
            batchArgs.insert(batchArgs.end(), s.args.begin(), s.args.end());
        } else if (s.call) {
            s.call();
        } else {
            SchemaExec(s.sql, s.args);
        }
    }
    flush();
}
