#pragma once
// The one list window of documents and payments: search box with its
// debounce, the list's filters and date bounds with the "<>" period menu, a
// read-only grid over the list's dataset with the title-click sort, row
// colours, the totals line and a row of action buttons. A list only
// configures it (columns, filters, totals, colours, actions); the window
// keeps search, filters, sort and the last row between openings.
#include "core/FormEx.h"
#include "core/ListStatement.h"

#include <QColor>
#include <QVariant>
#include <functional>
#include <memory>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class TDateTimePicker;
class TListModel;
class TQuery;

class TListWindow : public TFormEx
{
    Q_OBJECT
public:
    TListWindow(const QString& caption, TListConfig config, QWidget* parent = nullptr);
    ~TListWindow() override;

    TListStatement& Statement() { return m_statement; }
    const TListStatement& Statement() const { return m_statement; }
    TQuery* Query() const { return m_query.get(); }
    // The statement of the last read (exports and summaries use the same rows).
    const TListSql& CurrentStatement() const { return m_current; }
    // The current statement opened as a separate dataset.
    std::unique_ptr<TQuery> OpenCurrentStatement() const;

    // ---- configuration (by the list, once)
    void AddColumn(const QString& field, const QString& caption);
    QCheckBox* AddFilterCheck(const QString& caption);
    QPushButton* AddButton(const QString& caption, const std::function<void()>& action);
    QToolButton* AddToolButton(const QString& text, const QString& hint, const std::function<void()>& action);
    // A tool button that opens its menu below itself.
    QToolButton* AddMenuButton(const QString& text, const QString& hint, QMenu* menu);
    // What Enter and a double click on the grid do.
    std::function<void()> OnEdit;
    // The totals line from the rows read; empty leaves the label empty.
    std::function<QString(const TQuery&)> TotalsText;
    // Row colours; an invalid colour keeps the standard drawing.
    std::function<QColor(const TQuery&, int row)> RowTextColor;
    std::function<QColor(const TQuery&, int row)> RowBackground;
    // A cell's own data for a role (ticks, icons); invalid keeps the standard one.
    std::function<QVariant(const TQuery&, int row, int fieldIndex, int role)> CellData;
    // Both date bounds of the list and whether the to-date starts checked.
    void SetDefaultDates(bool toDateChecked);
    // The two clicks on the first column the lists start with (issue date descending).
    void SortByFirstColumnDescending();

    // ---- state and reading
    int LastIndex = 0;
    // Re-reads keeping the row (opens when closed).
    void Reread();
    bool HasRow() const;
    int CurrentKey() const;
    QString FieldText(const QString& field) const;
    int FieldInt(const QString& field) const;
    // The title click of a grid column (the sort cycle).
    void TitleClick(int column);
    // The search timer's handler: the search text applies and the list is re-read.
    void TimerSzukajTimer();
    // The period menu items 0..2 ("Aktualny miesiąc", ...).
    void SetPeriod(int item);
    // Runs an action of the window; nothing when it needs a row and there is none.
    void RunOnRow(const std::function<void()>& action);

    // Widgets by the system's names (tests drive them).
    QLineEdit* Edit1 = nullptr;      // search
    QToolButton* ClearBtn = nullptr; // empties the search
    TDateTimePicker* DateFrom = nullptr;
    TDateTimePicker* DateTo = nullptr;
    QLabel* LabelOkres = nullptr; // "<>"
    QMenu* PeriodMenu = nullptr;
    QTableView* DBGrid1 = nullptr;
    QLabel* LabelSuma = nullptr; // totals line
    QPushButton* ZamknijBtn = nullptr;
    QTimer* TimerSzukaj = nullptr;
    QHBoxLayout* FilterLayout = nullptr;
    QHBoxLayout* ButtonLayout = nullptr;
    QToolButton* RefreshBtn = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // After the list opened on show (KSeF client, operator list...).
    virtual void AfterShow() {}

private:
    void buildUi();
    void beforeOpen(TQuery& q);
    void afterOpen(TQuery& q);
    void updateTitles();
    void zamknij();

    TListStatement m_statement;
    std::unique_ptr<TQuery> m_query;
    TListModel* m_model = nullptr;
    TListSql m_current;
    QString m_caption;
};
