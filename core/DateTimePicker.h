#pragma once
// A date field with an optional check box in front: unticked, the date does
// not count (filters of list windows).
#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

class TDateTimePicker : public QWidget
{
    Q_OBJECT
public:
    explicit TDateTimePicker(QWidget* parent = nullptr);

    bool ShowCheckbox() const { return m_showCheckbox; }
    void SetShowCheckbox(bool on);
    bool Checked() const;
    void SetChecked(bool on);
    QDate Date() const;
    void SetDate(const QDate& date);

    QCheckBox* CheckBox() const { return m_check; }
    QDateEdit* DateEdit() const { return m_edit; }

signals:
    // The date or the check box changed.
    void Changed();

private:
    QCheckBox* m_check;
    QDateEdit* m_edit;
    bool m_showCheckbox = false;
};
