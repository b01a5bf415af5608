// Live editing: the edit buffer and its writing back by the table's key.
#include "core/Query.h"
#include "core/QueryInternal.h"

#include <algorithm>

using namespace QueryDetail;

// ---------------------------------------------------------------- editing

const QString ERowChangedMessage = QStringLiteral(
    "Rekord został zmieniony lub usunięty przez inne stanowisko. Odśwież dane i spróbuj ponownie.");

namespace {

EDatabaseError rowChangedError()
{
    return EDatabaseError(ERowChangedMessage);
}

} // namespace

void TQuery::requireEditing(const char* op) const
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw EDatabaseError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(QLatin1String(op)));
}

void TQuery::resolveUpdateTarget()
{
    if (!m_table.isEmpty()) return;
    m_table = UpdateTableName;
    if (m_table.isEmpty()) {
        for (const auto& c : m_columns) {
            if (!c.table.isEmpty()) {
                m_table = c.table;
                break;
            }
        }
    }
    if (m_table.isEmpty()) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    m_keys = KeyFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (m_keys.isEmpty()) {
        for (const auto& f : m_fields)
            if (f->IsKey && f->Origin == m_table) m_keys << f->FieldName;
    }
    if (m_keys.isEmpty())
        throw EDatabaseError(QStringLiteral("Table %1 has no key to write back by").arg(m_table));
}

TQuery::Row TQuery::ownedCopy(const Row& r) const
{
    Row out;
    out.owned = std::make_shared<std::vector<QByteArray>>();
    out.owned->reserve(m_columns.size());
    for (int c = 0; c < int(m_columns.size()); ++c) {
        const QByteArray v = r.owned || r.cells ? r.at(c) : QByteArray();
        // Detach from the client library's buffer.
        out.owned->push_back(v.isNull() ? QByteArray() : QByteArray(v.constData(), v.size()));
    }
    return out;
}

void TQuery::SetCurrentCell(int col, const QByteArray& raw)
{
    requireEditing("SetFieldData");
    if (col < 0 || size_t(col) >= m_editBuf.size()) return;
    m_editBuf[size_t(col)] = raw;
    m_changed[size_t(col)] = true;
    m_modified = true;
}

void TQuery::Edit()
{
    requireBrowse("Edit");
    if (m_state != dsBrowse) return;
    if (!RequestLive) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (m_rows.empty()) return Insert();
    if (BeforeEdit) BeforeEdit(*this);
    resolveUpdateTarget();
    const Row copy = ownedCopy(m_rows[size_t(m_cur)]);
    m_editBuf = *copy.owned;
    m_changed.assign(m_columns.size(), false);
    m_modified = false;
    m_state = dsEdit;
    if (AfterEdit) AfterEdit(*this);
}

void TQuery::Insert()
{
    requireBrowse("Insert");
    if (m_state != dsBrowse) Post();
    if (!RequestLive) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (BeforeInsert) BeforeInsert(*this);
    resolveUpdateTarget();
    m_editBuf.assign(m_columns.size(), QByteArray());
    m_changed.assign(m_columns.size(), false);
    m_modified = false;
    m_insertAt = m_cur < 0 ? 0 : m_cur;
    m_state = dsInsert;
    if (OnNewRecord) OnNewRecord(*this);
    if (AfterInsert) AfterInsert(*this);
}

void TQuery::Append()
{
    Insert();
    m_insertAt = int(m_rows.size());
}

void TQuery::Cancel()
{
    if (m_state != dsEdit && m_state != dsInsert) return;
    if (BeforeCancel) BeforeCancel(*this);
    m_state = dsBrowse;
    m_editBuf.clear();
    m_modified = false;
    if (AfterCancel) AfterCancel(*this);
}

void TQuery::Post()
{
    requireEditing("Post");
    if (BeforePost) BeforePost(*this);
    TDedicatedSession* s = Session();
    const QString table = QStringLiteral("`%1`").arg(m_table);
    QStringList sets;
    TArgs args;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!m_changed[c] || m_columns[c].table != m_table) continue;
        const QString col = m_columns[c].orgName.isEmpty() ? m_columns[c].name : m_columns[c].orgName;
        sets << QStringLiteral("`%1`=:p%2").arg(col).arg(sets.size() + 1);
        const QByteArray& v = m_editBuf[c];
        if (isBinaryType(m_fields[c]->DataType))
            args.push_back(TArg(*m_fields[c]));
        else
            args.push_back(v.isNull() ? TArg() : TArg(QString::fromUtf8(v)));
        if (SecretColumns.contains(col, Qt::CaseInsensitive)) args.back() = TArg::Secret(args.back());
    }
    auto keyCol = [&](const QString& k) { return FieldByName(k)->Index(); };
    if (m_state == dsEdit) {
        if (!sets.isEmpty()) {
            QStringList where;
            const Row& orig = m_rows[size_t(m_cur)];
            for (const QString& k : m_keys) {
                const int c = keyCol(k);
                const QString col = m_columns[size_t(c)].orgName.isEmpty() ? k : m_columns[size_t(c)].orgName;
                where << QStringLiteral("`%1`=:k").arg(col);
                const QByteArray v = orig.at(c);
                args.push_back(v.isNull() ? TArg() : TArg(QString::fromUtf8(v)));
            }
            const TExecResult done = s->ExecQuery(
                QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                    .arg(table, sets.join(QStringLiteral(", ")), where.join(QStringLiteral(" AND "))),
                args);
            if (done.RowsAffected == 0) throw rowChangedError();
        }
        Row r;
        r.owned = std::make_shared<std::vector<QByteArray>>(m_editBuf);
        m_rows[size_t(m_cur)] = r;
        m_state = dsBrowse;
        m_editBuf.clear();
        m_modified = false;
        emit RowChanged(m_cur);
    } else {
        const TExecResult done =
            sets.isEmpty()
                ? s->ExecQuery(QStringLiteral("INSERT INTO %1 () VALUES ()").arg(table))
                : s->ExecQuery(
                      QStringLiteral("INSERT INTO %1 SET %2").arg(table, sets.join(QStringLiteral(", "))),
                      args);
        const qint64 id = done.InsertId;
        Row r;
        r.owned = std::make_shared<std::vector<QByteArray>>(m_editBuf);
        for (const QString& k : m_keys) {
            TField* f = FieldByName(k);
            if (f->AutoIncrement && id > 0 && !m_changed[size_t(f->Index())])
                (*r.owned)[size_t(f->Index())] = QByteArray::number(id);
        }
        // Defaults the server filled in are read back for the table's own columns.
        refetchRow(r);
        const int at = std::clamp(m_insertAt, 0, int(m_rows.size()));
        m_rows.insert(m_rows.begin() + at, r);
        m_state = dsBrowse;
        m_editBuf.clear();
        m_modified = false;
        m_cur = at;
        m_eof = m_bof = false;
        emit RowInserted(at);
        notifyCurrent();
    }
    if (AfterPost) AfterPost(*this);
}

void TQuery::refetchRow(Row& row)
{
    QStringList cols;
    std::vector<int> idx;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].table != m_table || m_columns[c].orgName.isEmpty()) continue;
        cols << QStringLiteral("`%1`").arg(m_columns[c].orgName);
        idx.push_back(int(c));
    }
    if (cols.isEmpty()) return;
    QStringList where;
    TArgs args;
    for (const QString& k : m_keys) {
        const int c = FieldByName(k)->Index();
        const QByteArray v = (*row.owned)[size_t(c)];
        if (v.isNull()) return;
        where << QStringLiteral("`%1`=:k").arg(
            m_columns[size_t(c)].orgName.isEmpty() ? k : m_columns[size_t(c)].orgName);
        args.push_back(TArg(QString::fromUtf8(v)));
    }
    auto q = Session()->OpenQuery(
        QStringLiteral("SELECT %1 FROM `%2` WHERE %3")
            .arg(cols.join(QStringLiteral(", ")), m_table, where.join(QStringLiteral(" AND "))),
        args);
    if (q->IsEmpty()) return;
    for (size_t i = 0; i < idx.size(); ++i) {
        const QByteArray v = q->Cell(0, int(i));
        (*row.owned)[size_t(idx[i])] = v.isNull() ? QByteArray() : QByteArray(v.constData(), v.size());
    }
}

void TQuery::Delete()
{
    requireBrowse("Delete");
    if (m_state == dsInsert) return Cancel();
    if (m_state == dsEdit) Cancel();
    if (m_rows.empty()) return;
    if (!RequestLive) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    resolveUpdateTarget();
    if (BeforeDelete) BeforeDelete(*this);
    QStringList where;
    TArgs args;
    for (const QString& k : m_keys) {
        const int c = FieldByName(k)->Index();
        where << QStringLiteral("`%1`=:k").arg(
            m_columns[size_t(c)].orgName.isEmpty() ? k : m_columns[size_t(c)].orgName);
        const QByteArray v = m_rows[size_t(m_cur)].at(c);
        args.push_back(v.isNull() ? TArg() : TArg(QString::fromUtf8(v)));
    }
    const TExecResult done = Session()->ExecQuery(
        QStringLiteral("DELETE FROM `%1` WHERE %2").arg(m_table, where.join(QStringLiteral(" AND "))), args);
    if (done.RowsAffected == 0) throw rowChangedError();
    const int removed = m_cur;
    m_rows.erase(m_rows.begin() + removed);
    emit RowRemoved(removed);
    if (m_rows.empty()) {
        m_cur = -1;
        m_eof = m_bof = true;
    } else {
        m_cur = std::min(removed, int(m_rows.size()) - 1);
    }
    notifyCurrent();
    if (AfterDelete) AfterDelete(*this);
}
