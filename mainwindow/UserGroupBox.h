#pragma once
// The common ground of the group boxes on the card's tab "Dane podstawowe":
// a grid of captions and field texts; every field text is made by the tab,
// which fills them all from the subscriber row.
#include <QGroupBox>
#include <functional>
#include <initializer_list>
#include <utility>

class QGridLayout;
class QIcon;
class QLabel;
class QToolButton;
class TDbText;

// Makes the text of a field under a parent and registers it with the tab.
using TDbTextFactory = std::function<TDbText*(const QString& field, QWidget* parent)>;

class TUserGroupBox : public QGroupBox
{
    Q_OBJECT
public:
    TUserGroupBox(const QString& title, TDbTextFactory text, QWidget* parent);

    // The pin beside the address fields, shared by the boxes that show one.
    static QIcon PinIcon();
    static QToolButton* ImageButton(const QIcon& icon, const QString& hint, QWidget* parent);

protected:
    QGridLayout* grid() const;
    TDbText* text(const QString& field, QWidget* parent = nullptr);
    QLabel* caption(const QString& text, QWidget* parent = nullptr);
    QLabel* flagLabel();
    // Caption and field pairs, perRow of them to a row from firstRow on.
    void fieldRows(std::initializer_list<std::pair<const char*, const char*>> fields, int perRow,
                   int firstRow = 0);

private:
    TDbTextFactory m_text;
};
