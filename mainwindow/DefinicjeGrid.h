#pragma once
// One dictionary of the dictionaries window: a grid editing a shared dataset
// in place, with its navigator. The window binds it while it is shown.
#include "core/QueryModel.h"

#include <QStringList>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <map>

class QToolButton;
class TQuery;

// The dataset model made editable: a cell edit puts the row in edit state and
// sets the field; the navigator or Enter posts it.
class TDictionaryModel : public TQueryModel
{
    Q_OBJECT
public:
    using TQueryModel::TQueryModel;
    QStringList ReadOnlyFields;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Tells the views the current row changed (its edit buffer).
    void CurrentRowChanged();
};

enum class TNavButton
{
    First,
    Prior,
    Next,
    Last,
    Insert,
    Delete,
    Edit,
    Post,
    Cancel,
    Refresh
};

// The grid view, telling whether a cell editor is open.
class TDictionaryView : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
};

class TDictionaryGrid : public QWidget
{
    Q_OBJECT
public:
    TDictionaryGrid(const QString& name, const QString& title, std::vector<TQueryColumn> columns,
                    QWidget* parent = nullptr);

    // Pick lists of columns (free text allowed).
    std::map<QString, QStringList> PickLists;
    QStringList ReadOnlyFields;
    QString KeyField; // kept by "Odśwież" and the re-read on showing
    TQueryModel::Formatter Formatter;
    // Runs before the navigator's action; false stops it (the deletion guards).
    std::function<bool(TNavButton)> BeforeAction;
    // After any navigator click.
    std::function<void()> AfterAction;

    // Binds to the dataset (nullptr unbinds).
    void Bind(TQuery* query);
    TQuery* Query() const { return m_query; }
    void Click(TNavButton button);
    QToolButton* Button(TNavButton button) const;
    // The hint of each navigator button.
    static QString Hint(TNavButton button);

    TDictionaryView* Grid = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void act(TNavButton button);
    void updateButtons();
    TQuery* m_query = nullptr;
    TDictionaryModel* m_model = nullptr;
    TViewLink* m_link = nullptr;
    std::vector<TQueryColumn> m_columns;
    std::map<TNavButton, QToolButton*> m_buttons;
};
