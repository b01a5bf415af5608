#include "core/QueryModel.h"

#include "core/DbError.h"
#include "core/Query.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScopedValueRollback>
#include <QTableView>

TQueryModel::TQueryModel(TQuery* query, QObject* parent) : QAbstractTableModel(parent), m_query(query)
{
    if (query) {
        connect(query, &TQuery::DataReset, this, &TQueryModel::onDataReset);
        connect(query, &TQuery::RowChanged, this, &TQueryModel::onRowChanged);
        connect(query, &TQuery::RowInserted, this, &TQueryModel::onRowInserted);
        connect(query, &TQuery::RowRemoved, this, &TQueryModel::onRowRemoved);
        // The pointer is already cleared when this arrives, so the reset shows nothing.
        connect(query, &QObject::destroyed, this, &TQueryModel::onDataReset);
    }
    m_rowCount = m_query && m_query->Active() ? m_query->RecordCount() : 0;
    resolve();
}

void TQueryModel::SetColumns(std::vector<TQueryColumn> columns)
{
    QScopedValueRollback changing(m_changing, m_changing + 1);
    beginResetModel();
    m_columns = std::move(columns);
    resolve();
    endResetModel();
}

void TQueryModel::AddColumn(const QString& fieldName, const QString& caption, Qt::Alignment alignment)
{
    std::vector<TQueryColumn> columns = m_columns;
    columns.push_back({fieldName, caption, alignment});
    SetColumns(std::move(columns));
}

void TQueryModel::SetColumnAlignment(int column, Qt::Alignment alignment)
{
    std::vector<TQueryColumn>& shown = m_columns.empty() ? m_allFields : m_columns;
    if (column < 0 || column >= int(shown.size())) return;
    shown[size_t(column)].Alignment = alignment;
    resolve();
    if (m_rowCount > 0)
        emit dataChanged(index(0, column), index(m_rowCount - 1, column), {Qt::TextAlignmentRole});
}

int TQueryModel::FieldIndex(int column) const
{
    return column >= 0 && column < int(m_resolved.size()) ? m_resolved[size_t(column)].field : -1;
}

int TQueryModel::ColumnOfField(const QString& fieldName) const
{
    const std::vector<TQueryColumn>& shown = m_columns.empty() ? m_allFields : m_columns;
    for (size_t c = 0; c < shown.size(); ++c)
        if (shown[c].FieldName.compare(fieldName, Qt::CaseInsensitive) == 0) return int(c);
    return -1;
}

void TQueryModel::SetFormatter(Formatter formatter)
{
    m_formatter = std::move(formatter);
    if (m_rowCount > 0 && !m_resolved.empty())
        emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_resolved.size()) - 1));
}

const TQueryColumn* TQueryModel::columnAt(int column) const
{
    const std::vector<TQueryColumn>& shown = m_columns.empty() ? m_allFields : m_columns;
    return column >= 0 && column < int(shown.size()) ? &shown[size_t(column)] : nullptr;
}

// Field positions are looked up again after every reopen: the same SQL may
// come back with other columns (a changed filter, a report switching layouts).
void TQueryModel::resolve()
{
    const bool open = m_query && m_query->Active();
    if (m_columns.empty()) {
        std::vector<TQueryColumn> all;
        if (open) {
            for (int i = 0; i < m_query->FieldCount(); ++i) {
                const QString name = m_query->Fields(i)->FieldName;
                TQueryColumn c{name, name, {}};
                // An alignment the window set survives the reopen.
                for (const TQueryColumn& old : m_allFields)
                    if (old.FieldName == name) c.Alignment = old.Alignment;
                all.push_back(c);
            }
        }
        m_allFields = std::move(all);
    }
    const std::vector<TQueryColumn>& shown = m_columns.empty() ? m_allFields : m_columns;
    m_resolved.assign(shown.size(), Resolved{});
    for (size_t c = 0; c < shown.size(); ++c) {
        TField* f = open ? m_query->FindField(shown[c].FieldName) : nullptr;
        Resolved& r = m_resolved[c];
        r.field = f ? f->Index() : -1;
        Qt::Alignment a = shown[c].Alignment;
        if (!a)
            a = (f && IsNumericFieldType(f->DataType) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        r.alignment = a;
    }
}

void TQueryModel::reset()
{
    QScopedValueRollback changing(m_changing, m_changing + 1);
    {
        // The dataset has already changed: nothing of it is shown as the old state.
        QScopedValueRollback stale(m_stale, true);
        beginResetModel();
    }
    m_rowCount = m_query && m_query->Active() ? m_query->RecordCount() : 0;
    resolve();
    endResetModel();
}

void TQueryModel::onDataReset()
{
    reset();
}

void TQueryModel::onRowChanged(int row)
{
    if (row < 0 || row >= m_rowCount || m_resolved.empty()) return;
    emit dataChanged(index(row, 0), index(row, int(m_resolved.size()) - 1));
}

void TQueryModel::onRowInserted(int row)
{
    // Anything but one row more at a known place: start the views afresh.
    if (!m_query || row < 0 || row > m_rowCount || m_query->RecordCount() != m_rowCount + 1) return reset();
    QScopedValueRollback changing(m_changing, m_changing + 1);
    {
        // Until the views have heard of it, the new row stays hidden.
        QScopedValueRollback pending(m_pending, Pending{row, +1});
        beginInsertRows(QModelIndex(), row, row);
    }
    ++m_rowCount;
    endInsertRows();
}

void TQueryModel::onRowRemoved(int row)
{
    if (!m_query || row < 0 || row >= m_rowCount || m_query->RecordCount() != m_rowCount - 1) return reset();
    QScopedValueRollback changing(m_changing, m_changing + 1);
    {
        QScopedValueRollback pending(m_pending, Pending{row, -1});
        beginRemoveRows(QModelIndex(), row, row);
    }
    --m_rowCount;
    endRemoveRows();
}

int TQueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int TQueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_resolved.size());
}

// The dataset tells of an inserted or removed row after the fact, while the
// views must see the old rows until they have been told: the model's rows are
// mapped around the pending one meanwhile.
int TQueryModel::datasetRow(int row) const
{
    if (m_pending.row < 0 || row < m_pending.row) return row;
    if (m_pending.delta > 0) return row + 1;
    return row == m_pending.row ? -1 : row - 1;
}

QVariant TQueryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_query || m_stale) return QVariant();
    const int row = datasetRow(index.row());
    const int column = index.column();
    // Also checked against the dataset: between its change and the model's
    // catching up a view may still ask for a row that is gone.
    if (row < 0 || index.row() >= m_rowCount || row >= m_query->RecordCount() || column < 0 ||
        column >= int(m_resolved.size()))
        return QVariant();
    const Resolved& r = m_resolved[size_t(column)];
    const int field = r.field < m_query->FieldCount() ? r.field : -1;
    if (m_formatter) {
        QVariant v = m_formatter(*m_query, row, field, role);
        if (v.isValid()) return v;
    }
    switch (role) {
    case Qt::DisplayRole:
        return field < 0 ? QVariant() : QVariant(m_query->CellText(row, field));
    case Qt::TextAlignmentRole:
        return QVariant(int(r.alignment));
    default:
        return QVariant();
    }
}

QVariant TQueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const TQueryColumn* c = columnAt(section);
        return c ? QVariant(c->Caption) : QVariant();
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TQueryModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

TViewLink* TQueryModel::BindToView(QTableView* view)
{
    return new TViewLink(view, this);
}

// ---------------------------------------------------------------- TViewLink

TViewLink::TViewLink(QTableView* view, TQueryModel* model) : QObject(view), m_view(view), m_model(model)
{
    if (view->model() != model) view->setModel(model);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TViewLink::viewMoved);
    if (TQuery* q = model->Query()) connect(q, &TQuery::CurrentChanged, this, &TViewLink::datasetMoved);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        // A reset (new columns, a reopen) leaves the view without a current row.
        if (m_syncing) return;
        QScopedValueRollback guard(m_syncing, true);
        showDatasetRow();
    });
    QScopedValueRollback guard(m_syncing, true);
    showDatasetRow();
}

void TViewLink::viewMoved()
{
    if (m_syncing || !m_view || !m_model || m_model->Changing()) return;
    TQuery* q = m_model->Query();
    if (!q || !q->Active()) return;
    QScopedValueRollback guard(m_syncing, true);
    try {
        // A pending edit is posted first: an insert shifts the rows below it,
        // and the view's current index shifts with them.
        if (q->State() == dsEdit || q->State() == dsInsert) q->Post();
        const int row = m_view->currentIndex().row();
        if (row >= 0 && row != q->RecNo() - 1) q->SetRecNo(row + 1);
    } catch (const EAbort&) {
    } catch (const EDatabaseError& e) {
        if (OnError)
            OnError(e);
        else
            qWarning("%s", e.what());
    }
    // Also puts the view back when the dataset refused to move.
    showDatasetRow();
}

void TViewLink::datasetMoved(int)
{
    if (m_syncing) return;
    QScopedValueRollback guard(m_syncing, true);
    showDatasetRow();
}

void TViewLink::showDatasetRow()
{
    if (!m_view || !m_model) return;
    TQuery* q = m_model->Query();
    const int row = q && q->Active() ? q->RecNo() - 1 : -1;
    QItemSelectionModel* sel = m_view->selectionModel();
    const QModelIndex cur = m_view->currentIndex();
    if (row < 0 || row >= m_model->rowCount()) {
        if (cur.isValid() && sel) sel->clear();
        return;
    }
    // Left alone when already there, so a multi-row selection survives.
    if (cur.isValid() && cur.row() == row) return;
    const int column = cur.isValid() ? cur.column() : firstVisibleColumn();
    if (column < 0) return;
    m_view->setCurrentIndex(m_model->index(row, column));
}

int TViewLink::firstVisibleColumn() const
{
    const QHeaderView* header = m_view->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!header->isSectionHidden(logical)) return logical;
    }
    return m_model->columnCount() > 0 ? 0 : -1;
}
