#pragma once
// What the contract and order lists share: the search box with its timer,
// the date range with tick boxes, the grid that searches as the operator
// types, title-click sorting over five key slots and the re-reading that
// keeps the current row.
#include "core/FormEx.h"
#include "core/QueryModel.h"
#include "registers/UmowyDane.h"

#include <functional>
#include <memory>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TCardGrid;
class TDateTimePicker;
class TQuery;

class TFormRejestrLista : public TFormEx
{
    Q_OBJECT
public:
    // The row re-selected when the window opens (0: none).
    int LastIndex = 0;

    QLineEdit* EditSzukaj = nullptr;
    QToolButton* ButtonWyczysc = nullptr;
    TDateTimePicker* DataOd = nullptr;
    TDateTimePicker* DataDo = nullptr;
    QLabel* LabelIlosc = nullptr;
    TCardGrid* Grid = nullptr;
    QTimer* TimerSzukaj = nullptr;
    std::unique_ptr<TQuery> Query;

    // The key of the current row; 0 on an empty list.
    int CurrentKey() const;
    // Re-reads the list keeping the current row.
    void Reread();
    // The button of a caption (tests press them).
    QPushButton* Button(const QString& caption) const;

protected:
    TFormRejestrLista(const QString& caption, const QString& keyField, std::vector<TQueryColumn> columns,
                      QWidget* parent);
    // The statement of the list and of its count label, with the values bound.
    virtual QString ListSql(TArgs& args) = 0;
    virtual QString CountSql(TArgs& args) = 0;
    virtual QString CountCaption() const = 0;
    // Enter and double click in the grid.
    virtual void EditCurrent() = 0;
    // The fields a title click sorts by (column's field; the number column's three keys).
    virtual QStringList NumberSortKeys() const = 0;
    virtual int NumberColumn() const = 0;

    QHBoxLayout* FilterBar = nullptr;
    QHBoxLayout* FilterBar2 = nullptr; // the list's own filters
    QHBoxLayout* ButtonBar = nullptr;
    TListSort Sort;
    QString m_keyField;

    // A button that runs the handler guarded and then re-reads the list when Reread is set.
    QPushButton* AddButton(const QString& caption, std::function<void()> handler, bool reread = true);
    void FilterChanged();
    void ApplySortMark();

    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void headerClicked(int column);
    std::vector<TQueryColumn> m_columns;
};
