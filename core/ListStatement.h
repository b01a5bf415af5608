#pragma once
// The statement behind every list window of documents and payments: the
// search over the list's columns, the list's own filters, the title-click
// sort cycle and the totals line. Widget-free, so the rules are tested
// without a window; the search text and every date are bound values.
#include "core/Amount4.h"
#include "core/DedicatedSession.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class TQuery;

// The WHERE part of a list's statement with its bound values. Pieces write
// "?" where a value goes; the placeholders are numbered in text order.
class TListCondition
{
public:
    TListCondition();
    void Add(const QString& piece, const TArgs& args = {});
    // " AND <field> >= ?" / "<= ?" for a checked date bound.
    void AddDateFrom(const QString& field, const QDate& date);
    void AddDateTo(const QString& field, const QDate& date);
    // " AND (<field> in (...)) " of the main grid's subscribers; the list is
    // the program's own, but only digits and commas are let through.
    void AddMainUsers(const QString& field, const QString& mainUserIdList);
    const QString& Text() const { return m_text; }
    const TArgs& Args() const { return m_args; }

private:
    QString m_text;
    TArgs m_args;
};

// A statement ready for a dataset.
struct TListSql
{
    QString Sql;
    TArgs Args;
};

struct TListConfig
{
    QString View;     // "vFvLista"
    QString KeyField; // "FV_INDEX"
    // Searched with LIKE '%text%' (column names or expressions).
    QStringList SearchColumns;
    QString TieBreak;                  // last ORDER BY key, no direction
    QString NumberField;               // the number column ("FV_NUMERTXT")
    std::array<QString, 3> NumberKeys; // it sorts by year, month, sequence
};

class TListStatement
{
public:
    explicit TListStatement(TListConfig config);
    const TListConfig& Config() const { return m_config; }

    QString SearchText;
    std::array<QString, 5> SortKeys;
    int SortDirection = 0; // 0 none, 1 ascending, 2 descending
    // The list's filters, asked on every build.
    std::function<void(TListCondition&)> Filters;

    TListCondition Condition() const;
    QString OrderClause() const;
    // "select * from <view> " + condition + order.
    TListSql Build() const;
    // The sort cycle of a click on the title of the column showing field.
    void TitleClick(const QString& field);
    // The field whose column shows the sort (slot 1, the number column for its keys).
    QString SortedField() const;

private:
    TListConfig m_config;
};

// "1 234,56 zł": two decimals, a decimal comma, thousands grouped with a blank.
QString FormatListAmount(Amount4 value);
// The sum of a money column over the rows a dataset holds (no statement).
Amount4 SumListColumn(const TQuery& query, const QString& field);
// " WHERE (1=1) AND <key> in (k1,...,0) " of the rows a dataset holds.
QString ListIdWhere(const TQuery& query, const QString& keyField);
// The totals line of the document lists.
QString DocumentTotalsText(int count, Amount4 open, Amount4 gross);
