#include "core/Query.h"
#include "core/QueryInternal.h"

#include <mysql.h>

using namespace QueryDetail;

// ---------------------------------------------------------------- TQuery

TQuery::TQuery(TDedicatedSession* session, QObject* parent) : QObject(parent), m_session(session) {}

TQuery::~TQuery() = default;

TDedicatedSession* TQuery::Session() const
{
    return m_session ? m_session : GlobalSession();
}

void TQuery::SetSQL(const QString& sql)
{
    if (Active()) Close();
    m_sql = sql.split(QLatin1Char('\n'));
    for (QString& l : m_sql)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    parseParams();
}

void TQuery::AddSQL(const QString& line)
{
    if (Active()) Close();
    m_sql.append(line);
    parseParams();
}

void TQuery::SetParamCheck(bool on)
{
    m_paramCheck = on;
    parseParams();
}

void TQuery::fillFromMaster()
{
    if (!m_master || !m_master->Active()) return;
    for (TParam& p : m_params) {
        if (TField* f = m_master->FindField(p.Name)) p.Assign(TArg(*f));
    }
}

void TQuery::Open()
{
    if (Active()) return;
    if (BeforeOpen) BeforeOpen(*this);
    fillFromMaster();
    auto result = Session()->RunRendered(renderSql());
    m_result = result;
    m_columns = result->columns;
    m_fields.clear();
    m_rows.clear();
    const int ncol = int(m_columns.size());
    for (int i = 0; i < ncol; ++i) {
        auto f = std::make_unique<TField>(this, i, m_columns[size_t(i)].name, mapType(m_columns[size_t(i)]));
        f->Origin = m_columns[size_t(i)].table;
        f->OriginName = m_columns[size_t(i)].orgName;
        f->IsKey = m_columns[size_t(i)].flags & PRI_KEY_FLAG;
        f->AutoIncrement = m_columns[size_t(i)].flags & AUTO_INCREMENT_FLAG;
        f->Size = int(m_columns[size_t(i)].length);
        m_fields.push_back(std::move(f));
    }
    m_rows.resize(result->rows.size());
    for (size_t r = 0; r < result->rows.size(); ++r) {
        m_rows[r].cells = result->rows[r];
        m_rows[r].lengths = result->lengths.data() + r * size_t(ncol);
    }
    m_state = dsBrowse;
    m_table.clear();
    m_keys.clear();
    m_cur = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    emit DataReset();
    notifyCurrent();
    if (AfterOpen) AfterOpen(*this);
}

TExecResult TQuery::ExecSQL()
{
    if (Active()) Close();
    fillFromMaster();
    const auto r = Session()->RunRendered(renderSql());
    return {r->affected, r->insertId};
}

void TQuery::Close()
{
    if (!Active()) return;
    if (BeforeClose) BeforeClose(*this);
    m_state = dsInactive;
    m_rows.clear();
    m_fields.clear();
    m_columns.clear();
    m_result.reset();
    m_editBuf.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    emit DataReset();
    if (AfterClose) AfterClose(*this);
}

void TQuery::requireBrowse(const char* op) const
{
    if (m_state == dsInactive)
        throw EDatabaseError(
            QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(QLatin1String(op)));
}

void TQuery::notifyCurrent()
{
    if (m_disableCount > 0) {
        m_movedWhileDisabled = true;
        return;
    }
    emit CurrentChanged(m_cur);
}

void TQuery::moveTo(int row)
{
    if (m_state == dsEdit || m_state == dsInsert) Post();
    const int old = m_cur;
    m_cur = row;
    if (old != m_cur) {
        notifyCurrent();
        if (AfterScroll && m_disableCount == 0) AfterScroll(*this);
    }
}

void TQuery::First()
{
    requireBrowse("First");
    moveTo(m_rows.empty() ? -1 : 0);
    m_bof = true;
    m_eof = m_rows.empty();
}

void TQuery::Last()
{
    requireBrowse("Last");
    moveTo(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.empty();
}

void TQuery::Next()
{
    requireBrowse("Next");
    if (m_rows.empty() || m_cur >= int(m_rows.size()) - 1) {
        if (m_state != dsBrowse) Post();
        m_eof = true;
        return;
    }
    moveTo(m_cur + 1);
    m_bof = false;
    m_eof = false;
}

void TQuery::Prior()
{
    requireBrowse("Prior");
    if (m_cur <= 0) {
        if (m_state != dsBrowse) Post();
        m_bof = true;
        return;
    }
    moveTo(m_cur - 1);
    m_bof = false;
    m_eof = false;
}

void TQuery::SetRecNo(int recNo)
{
    requireBrowse("RecNo");
    if (m_rows.empty()) return;
    moveTo(std::clamp(recNo, 1, int(m_rows.size())) - 1);
    m_bof = m_eof = false;
}

TField* TQuery::FindField(const QString& name) const
{
    for (const auto& f : m_fields)
        if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

TField* TQuery::FieldByName(const QString& name) const
{
    if (TField* f = FindField(name)) return f;
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
}

QStringList TQuery::FieldNames() const
{
    QStringList out;
    for (const auto& f : m_fields)
        out << f->FieldName;
    return out;
}

QByteArray TQuery::Cell(int row, int col) const
{
    if (row < 0 || row >= int(m_rows.size()) || col < 0 || col >= int(m_columns.size())) return QByteArray();
    return m_rows[size_t(row)].at(col);
}

QByteArray TQuery::CurrentCell(int col) const
{
    if ((m_state == dsEdit || m_state == dsInsert) && size_t(col) < m_editBuf.size())
        return m_editBuf[size_t(col)];
    return Cell(m_cur, col);
}

bool TQuery::CellIsNull(int row, int col) const
{
    return Cell(row, col).isNull();
}

QString TQuery::CellText(int row, int col) const
{
    // Reuses the field's conversion on another row without moving the cursor.
    if (row == m_cur || col < 0 || col >= FieldCount())
        return col < FieldCount() && row == m_cur ? m_fields[size_t(col)]->AsString() : QString();
    auto* self = const_cast<TQuery*>(this);
    const int saved = self->m_cur;
    const TDataSetState st = self->m_state;
    self->m_cur = row;
    self->m_state = dsBrowse;
    QString s = m_fields[size_t(col)]->AsString();
    self->m_cur = saved;
    self->m_state = st;
    return s;
}

QVariant TQuery::CellValue(int row, int col) const
{
    if (col < 0 || col >= FieldCount()) return QVariant();
    auto* self = const_cast<TQuery*>(this);
    const int saved = self->m_cur;
    const TDataSetState st = self->m_state;
    if (row != saved) {
        self->m_cur = row;
        self->m_state = dsBrowse;
    }
    QVariant v = m_fields[size_t(col)]->Value();
    self->m_cur = saved;
    self->m_state = st;
    return v;
}

bool TQuery::Locate(const QString& keyFields, const TArgs& values, TLocateOptions options)
{
    requireBrowse("Locate");
    const QStringList names = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    std::vector<int> cols;
    for (const QString& n : names)
        cols.push_back(FieldByName(n.trimmed())->Index());
    std::vector<std::optional<QString>> wanted;
    for (size_t i = 0; i < cols.size(); ++i) {
        if (i >= values.size() || values[i].kind() == TArg::Kind::Null) {
            wanted.emplace_back(std::nullopt);
            continue;
        }
        TParam p;
        p.Assign(values[i]);
        QString t = p.Text;
        if (p.DataType == ftFloat || p.DataType == ftCurrency) t = p.DisplayValue();
        wanted.emplace_back(t);
    }
    const Qt::CaseSensitivity cs = options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int r = 0; r < int(m_rows.size()); ++r) {
        bool match = true;
        for (size_t i = 0; i < cols.size() && match; ++i) {
            if (!wanted[i]) {
                match = CellIsNull(r, cols[i]);
                continue;
            }
            const QString have = CellText(r, cols[i]);
            match = options.partialKey ? have.startsWith(*wanted[i], cs) : have.compare(*wanted[i], cs) == 0;
        }
        if (match) {
            moveTo(r);
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

void TQuery::DisableControls()
{
    ++m_disableCount;
}

void TQuery::EnableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0 && m_movedWhileDisabled) {
        m_movedWhileDisabled = false;
        emit CurrentChanged(m_cur);
    }
}

// ---------------------------------------------------------------- master-detail

void TQuery::SetMasterSource(TQuery* master)
{
    for (auto& c : m_masterConn)
        QObject::disconnect(c);
    m_master = master;
    if (!master) return;
    m_masterConn[0] = connect(master, &TQuery::CurrentChanged, this, [this](int) { onMasterChanged(); });
    m_masterConn[1] = connect(master, &TQuery::DataReset, this, [this] { onMasterChanged(); });
}

void TQuery::onMasterChanged()
{
    if (!Active() || m_state != dsBrowse) return;
    Close();
    Open();
}
