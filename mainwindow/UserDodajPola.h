#pragma once
// Ties the subscriber editor's controls to the columns of its row: fills
// them when the window shows and writes back, at the save, only what the
// operator changed (a decimal shown with a comma goes back with a point).
#include <QString>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
class TQuery;

class TFieldBinder
{
public:
    void Text(QLineEdit* edit, const QString& field);
    void Combo(QComboBox* editable, const QString& field);
    void Memo(QPlainTextEdit* memo, const QString& field);
    // Checked writes on, unchecked off.
    void Check(QCheckBox* box, const QString& field, int on = 1, int off = 0);
    // The buttons' ids are the column's values.
    void Radio(QButtonGroup* group, const QString& field);
    // The items' data are the column's values; a value without an item shows the first item.
    void Key(QComboBox* combo, const QString& field);

    void Load(const TQuery& q);
    void Store(TQuery& q) const;
    // The control of a column; nullptr when none.
    QWidget* Control(const QString& field) const;

private:
    enum class Kind
    {
        Text,
        Combo,
        Memo,
        Check,
        Radio,
        Key
    };
    struct Entry
    {
        Kind kind = Kind::Text;
        QWidget* widget = nullptr;
        QButtonGroup* group = nullptr;
        QString field;
        int on = 1;
        int off = 0;
        QString loaded;
    };
    void add(Kind kind, QWidget* widget, QButtonGroup* group, const QString& field, int on = 1, int off = 0);
    static QString value(const Entry& e);
    static void show(const Entry& e, const QString& text);
    std::vector<Entry> m_entries;
};
