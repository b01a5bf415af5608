#pragma once
// One subscriber's documents of one kind in a grid with its title label
// (whose hint carries the kind's total) and its row of buttons: the block
// the subscriber's invoice, correction and payment demand windows are made of.
#include <QColor>
#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;
class QWidget;
class TFormEx;
class TQuery;
class TQueryModel;

class TUserDokumentyPanel
{
public:
    TUserDokumentyPanel(TFormEx* form, QWidget* parent, const QString& title,
                        const std::vector<std::pair<const char*, const char*>>& columns);
    ~TUserDokumentyPanel();

    QWidget* Widget = nullptr;
    QLabel* Title = nullptr;
    QHBoxLayout* Buttons = nullptr;
    QTableView* Grid = nullptr;
    std::unique_ptr<TQuery> Query;
    TQueryModel* Model = nullptr;
    QString KeyField;
    // The title's hint: the kind's total for the subscriber ("Suma wystawionych FV: ").
    QString TotalPrefix, TotalSql;
    // Red text / background of a row; invalid keeps the standard drawing.
    std::function<QColor(const TQuery&, int row)> RowTextColor, RowBackground;
    // Double click: on an empty grid "Dodaj", else "Edytuj".
    std::function<void()> OnAdd, OnEdit;

    QPushButton* AddButton(const QString& caption, const std::function<void()>& action, bool needsRow = true);
    QToolButton* AddToolButton(const QString& text, const QString& hint, const std::function<void()>& action);
    // A tool button opening its menu below itself.
    QToolButton* AddMenuButton(const QString& text, const QString& hint, QMenu* menu);
    // Opens the statement for the subscriber and sets the title's hint.
    void Open(const QString& sql, int userIndex);
    void Close();
    void Reread();
    void RereadToLastInsert();
    bool HasRow() const;
    int Key() const;
    QString Text(const QString& field) const;
    int Int(const QString& field) const;
    QString TotalText() const;

private:
    TFormEx* m_form;
    int m_user = 0;
};

// "0007 Kowalski Jan": the customer number padded to four and the name.
QString UserStatusText(int userIndex);
// "#0.00 zł  " of a total (two blanks at the end).
QString UserTotalText(const QString& prefix, const QString& sql, int userIndex);
