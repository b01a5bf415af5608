#include "core/DateTimePicker.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

TDateTimePicker::TDateTimePicker(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_check = new QCheckBox(this);
    m_check->setChecked(true);
    m_check->setVisible(false);
    m_edit = new QDateEdit(QDate::currentDate(), this);
    m_edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_edit->setCalendarPopup(true);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        m_edit->setEnabled(on || !m_showCheckbox);
        emit Changed();
    });
    connect(m_edit, &QDateEdit::dateChanged, this, [this] { emit Changed(); });
}

void TDateTimePicker::SetShowCheckbox(bool on)
{
    m_showCheckbox = on;
    m_check->setVisible(on);
    m_edit->setEnabled(!on || m_check->isChecked());
}

bool TDateTimePicker::Checked() const
{
    return !m_showCheckbox || m_check->isChecked();
}

void TDateTimePicker::SetChecked(bool on)
{
    m_check->setChecked(on);
}

QDate TDateTimePicker::Date() const
{
    return m_edit->date();
}

void TDateTimePicker::SetDate(const QDate& date)
{
    m_edit->setDate(date);
}
