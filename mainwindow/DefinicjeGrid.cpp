#include "mainwindow/DefinicjeGrid.h"

#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/FormEx.h"
#include "core/Query.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

// ---------------------------------------------------------------- model

QVariant TDictionaryModel::data(const QModelIndex& index, int role) const
{
    const TQuery* q = Query();
    if (q && index.isValid() && (role == Qt::DisplayRole || role == Qt::EditRole) &&
        (q->State() == dsEdit || q->State() == dsInsert) && index.row() == q->RecNo() - 1) {
        const int field = FieldIndex(index.column());
        if (field >= 0) return q->Fields(field)->AsString();
    }
    if (role == Qt::EditRole) return TQueryModel::data(index, Qt::DisplayRole);
    return TQueryModel::data(index, role);
}

bool TDictionaryModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TQuery* q = Query();
    const int field = FieldIndex(index.column());
    if (!q || role != Qt::EditRole || field < 0) return false;
    if (index.row() != q->RecNo() - 1) q->SetRecNo(index.row() + 1);
    const QString text = value.toString();
    if (q->Fields(field)->AsString() == text) return false;
    if (q->State() == dsBrowse) q->Edit();
    q->Fields(field)->SetAsString(text);
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

Qt::ItemFlags TDictionaryModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = TQueryModel::flags(index);
    if (index.isValid() && index.column() < int(Columns().size()) &&
        !ReadOnlyFields.contains(Columns()[size_t(index.column())].FieldName))
        f |= Qt::ItemIsEditable;
    return f;
}

void TDictionaryModel::CurrentRowChanged()
{
    const TQuery* q = Query();
    if (!q || q->RecNo() < 1 || columnCount() == 0) return;
    emit dataChanged(index(q->RecNo() - 1, 0), index(q->RecNo() - 1, columnCount() - 1));
}

// ---------------------------------------------------------------- pick lists

namespace {

class TPickListDelegate : public QStyledItemDelegate
{
public:
    TPickListDelegate(TDictionaryGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        auto* model = static_cast<const TQueryModel*>(index.model());
        const QString field = model->Columns()[size_t(index.column())].FieldName;
        const auto it = m_grid->PickLists.find(field);
        if (it == m_grid->PickLists.end()) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->addItems(it->second);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentText(index.data(Qt::EditRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            model->setData(index, box->currentText());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    TDictionaryGrid* m_grid;
};

} // namespace

// ---------------------------------------------------------------- grid

QString TDictionaryGrid::Hint(TNavButton button)
{
    switch (button) {
    case TNavButton::First:
        return QStringLiteral("Pierwszy rekord");
    case TNavButton::Prior:
        return QStringLiteral("Poprzedni rekord");
    case TNavButton::Next:
        return QStringLiteral("Następny rekord");
    case TNavButton::Last:
        return QStringLiteral("Oststni rekord");
    case TNavButton::Insert:
        return QStringLiteral("Dodaj");
    case TNavButton::Delete:
        return QStringLiteral("Usuń");
    case TNavButton::Edit:
        return QStringLiteral("Edytuj");
    case TNavButton::Post:
        return QStringLiteral("Zapisz");
    case TNavButton::Cancel:
        return QStringLiteral("Anuluj");
    case TNavButton::Refresh:
        return QStringLiteral("Odśwież");
    }
    return QString();
}

TDictionaryGrid::TDictionaryGrid(const QString& name, const QString& title, std::vector<TQueryColumn> columns,
                                 QWidget* parent)
    : QWidget(parent), m_columns(std::move(columns))
{
    setObjectName(name);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    auto* head = new QHBoxLayout;
    auto* caption = new QLabel(title, this);
    QFont f = caption->font();
    f.setBold(true);
    caption->setFont(f);
    head->addWidget(caption, 1);
    // Glyphs for the navigator: arrows, plus, minus, pencil-like, tick, cross, refresh.
    const std::pair<TNavButton, const char*> buttons[] = {
        {TNavButton::First, "|◀"}, {TNavButton::Prior, "◀"},  {TNavButton::Next, "▶"},
        {TNavButton::Last, "▶|"},  {TNavButton::Insert, "+"}, {TNavButton::Delete, "−"},
        {TNavButton::Edit, "▲"},   {TNavButton::Post, "✔"},   {TNavButton::Cancel, "✘"},
        {TNavButton::Refresh, "↻"}};
    for (const auto& [b, glyph] : buttons) {
        auto* tb = new QToolButton(this);
        tb->setText(QString::fromUtf8(glyph));
        tb->setToolTip(Hint(b));
        tb->setAutoRaise(true);
        tb->setFixedSize(22, 20);
        const TNavButton which = b;
        connect(tb, &QToolButton::clicked, this, [this, which] { Click(which); });
        head->addWidget(tb);
        m_buttons[b] = tb;
    }
    l->addLayout(head);
    Grid = new TDictionaryView(this);
    Grid->setObjectName(name + QStringLiteral("Grid"));
    Grid->verticalHeader()->setDefaultSectionSize(20);
    Grid->verticalHeader()->setFixedWidth(14);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setItemDelegate(new TPickListDelegate(this));
    Grid->installEventFilter(this);
    l->addWidget(Grid, 1);
    updateButtons();
}

QToolButton* TDictionaryGrid::Button(TNavButton button) const
{
    return m_buttons.at(button);
}

void TDictionaryGrid::Bind(TQuery* query)
{
    delete m_link;
    m_link = nullptr;
    Grid->setModel(nullptr);
    delete m_model;
    m_model = nullptr;
    m_query = query;
    if (query) {
        m_model = new TDictionaryModel(query, this);
        m_model->SetColumns(m_columns);
        m_model->ReadOnlyFields = ReadOnlyFields;
        if (Formatter) m_model->SetFormatter(Formatter);
        m_link = m_model->BindToView(Grid);
        connect(query, &TQuery::CurrentChanged, m_model, [this] { updateButtons(); });
    }
    updateButtons();
}

void TDictionaryGrid::Click(TNavButton button)
{
    if (auto* form = qobject_cast<TFormEx*>(window()))
        form->RunGuarded([this, button] { act(button); });
    else
        act(button);
}

void TDictionaryGrid::act(TNavButton button)
{
    TQuery* q = m_query;
    if (!q || !q->Active()) return;
    if (BeforeAction && !BeforeAction(button)) return;
    const bool editing = q->State() == dsEdit || q->State() == dsInsert;
    switch (button) {
    case TNavButton::First:
        q->First();
        break;
    case TNavButton::Prior:
        q->Prior();
        break;
    case TNavButton::Next:
        q->Next();
        break;
    case TNavButton::Last:
        q->Last();
        break;
    case TNavButton::Insert: {
        // The new row is written at once, so it shows in the grid; a row left
        // without a name is removed when the window closes.
        q->Insert();
        if (q->State() == dsInsert) q->Post();
        const int col = 0;
        if (q->RecNo() > 0) {
            const QModelIndex idx = m_model->index(q->RecNo() - 1, col);
            Grid->setCurrentIndex(idx);
            Grid->setFocus();
            Grid->edit(idx);
        }
        break;
    }
    case TNavButton::Delete:
        if (q->IsEmpty()) break;
        if (TMD::MessageDlg(QStringLiteral("Usunąć rekord?"), mtConfirmation, mbOK | mbCancel) == mrOk)
            q->Delete();
        break;
    case TNavButton::Edit:
        if (!editing && !q->IsEmpty()) {
            const QModelIndex cur = Grid->currentIndex();
            const QModelIndex idx = m_model->index(q->RecNo() - 1, cur.isValid() ? cur.column() : 0);
            Grid->setCurrentIndex(idx);
            q->Edit();
            if (m_model->flags(idx) & Qt::ItemIsEditable) Grid->edit(idx);
        }
        break;
    case TNavButton::Post:
        if (editing) q->Post();
        break;
    case TNavButton::Cancel:
        if (editing) {
            q->Cancel();
            m_model->CurrentRowChanged();
        }
        break;
    case TNavButton::Refresh: {
        if (editing) q->Post();
        RefreshQuery(q, KeyField);
        break;
    }
    }
    updateButtons();
    if (AfterAction) AfterAction();
}

void TDictionaryGrid::updateButtons()
{
    const bool active = m_query && m_query->Active();
    const bool editing = active && (m_query->State() == dsEdit || m_query->State() == dsInsert);
    const bool rows = active && !m_query->IsEmpty();
    for (auto& [b, tb] : m_buttons) {
        bool on = active;
        if (b == TNavButton::Post || b == TNavButton::Cancel)
            on = editing;
        else if (b == TNavButton::Edit || b == TNavButton::Delete)
            on = rows && !editing;
        tb->setEnabled(on);
    }
}

bool TDictionaryGrid::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Grid && e->type() == QEvent::KeyPress && m_query) {
        // The Enter that closes a cell editor passes on to the grid too; it
        // only ends the cell edit.
        auto* ke = static_cast<QKeyEvent*>(e);
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && !Grid->Editing()) {
            const bool editing = m_query->State() == dsEdit || m_query->State() == dsInsert;
            Click(editing ? TNavButton::Post : TNavButton::Edit);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
