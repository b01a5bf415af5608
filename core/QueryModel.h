#pragma once
// The table model every grid uses: a view over a TQuery's buffered rows. Cells
// are read from the dataset on demand, so a grid over a large result costs only
// what is on the screen.
#include "core/Query.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QTableView;
class TQuery;
class TViewLink;
class EDatabaseError;

struct TQueryColumn
{
    QString FieldName;
    QString Caption;
    // Empty: numbers to the right, everything else to the left.
    Qt::Alignment Alignment = {};
};

class TQueryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Colours, currency suffixes, icons: called before the model's own answer
    // for every role; an invalid QVariant leaves the role to the model.
    // fieldIndex is -1 for a column whose field the dataset does not have.
    using Formatter = std::function<QVariant(const TQuery& query, int row, int fieldIndex, int role)>;

    // The dataset is not owned; when it goes first the model shows nothing.
    explicit TQueryModel(TQuery* query, QObject* parent = nullptr);

    TQuery* Query() const { return m_query; }

    // The grid's columns; an empty list (the default) shows every field of the
    // dataset under its own name.
    void SetColumns(std::vector<TQueryColumn> columns);
    void AddColumn(const QString& fieldName, const QString& caption, Qt::Alignment alignment = {});
    const std::vector<TQueryColumn>& Columns() const { return m_columns; }
    void SetColumnAlignment(int column, Qt::Alignment alignment);
    // The dataset's field shown in a column; -1 when it has no such field.
    int FieldIndex(int column) const;
    // The column showing a field; -1 when none does.
    int ColumnOfField(const QString& fieldName) const;

    void SetFormatter(Formatter formatter);

    // True while rows come and go or the model resets: what a view does then
    // (the selection following its rows) is the model's doing, not the user's.
    bool Changing() const { return m_changing > 0; }

    // Shows the model in the view and keeps the view's current row and the
    // dataset's cursor in step both ways. The link lives as long as the view.
    TViewLink* BindToView(QTableView* view);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Resolved
    {
        int field = -1;
        Qt::Alignment alignment;
    };
    void onDataReset();
    void onRowChanged(int row);
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void resolve();
    void reset();
    const TQueryColumn* columnAt(int column) const;
    int datasetRow(int row) const;

    QPointer<TQuery> m_query;
    std::vector<TQueryColumn> m_columns;   // as the window chose them
    std::vector<TQueryColumn> m_allFields; // the dataset's own when none were chosen
    std::vector<Resolved> m_resolved;      // per shown column, for the open dataset
    // The row count the views know; the dataset tells of a change after
    // making it, so the model keeps its own count for begin/end pairs.
    int m_rowCount = 0;
    int m_changing = 0;
    struct Pending
    {
        int row = -1;
        int delta = 0;
    };
    Pending m_pending;
    bool m_stale = false;
    Formatter m_formatter;
};

// Keeps a view's current row and a dataset's cursor together without either
// side echoing the other.
class TViewLink : public QObject
{
    Q_OBJECT
public:
    TViewLink(QTableView* view, TQueryModel* model);

    // A move refused by the dataset (a pending edit that would not post) lands
    // here; the view goes back to the dataset's row. Without a handler the
    // error is only logged.
    std::function<void(const EDatabaseError&)> OnError;

private:
    void viewMoved();
    void datasetMoved(int row);
    void showDatasetRow();
    int firstVisibleColumn() const;

    QPointer<QTableView> m_view;
    QPointer<TQueryModel> m_model;
    bool m_syncing = false;
};
