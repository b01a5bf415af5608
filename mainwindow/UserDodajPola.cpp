#include "mainwindow/UserDodajPola.h"

#include "core/Funkcje.h"
#include "core/Query.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

void TFieldBinder::add(Kind kind, QWidget* widget, QButtonGroup* group, const QString& field, int on, int off)
{
    Entry e;
    e.kind = kind;
    e.widget = widget;
    e.group = group;
    e.field = field;
    e.on = on;
    e.off = off;
    m_entries.push_back(e);
}

void TFieldBinder::Text(QLineEdit* edit, const QString& field)
{
    add(Kind::Text, edit, nullptr, field);
}

void TFieldBinder::Combo(QComboBox* editable, const QString& field)
{
    add(Kind::Combo, editable, nullptr, field);
}

void TFieldBinder::Memo(QPlainTextEdit* memo, const QString& field)
{
    add(Kind::Memo, memo, nullptr, field);
}

void TFieldBinder::Check(QCheckBox* box, const QString& field, int on, int off)
{
    add(Kind::Check, box, nullptr, field, on, off);
}

void TFieldBinder::Radio(QButtonGroup* group, const QString& field)
{
    add(Kind::Radio, nullptr, group, field);
}

void TFieldBinder::Key(QComboBox* combo, const QString& field)
{
    add(Kind::Key, combo, nullptr, field);
}

QString TFieldBinder::value(const Entry& e)
{
    switch (e.kind) {
    case Kind::Text:
        return static_cast<QLineEdit*>(e.widget)->text();
    case Kind::Combo:
        return static_cast<QComboBox*>(e.widget)->currentText();
    case Kind::Memo:
        return static_cast<QPlainTextEdit*>(e.widget)->toPlainText();
    case Kind::Check:
        return QString::number(static_cast<QCheckBox*>(e.widget)->isChecked() ? e.on : e.off);
    case Kind::Radio:
        return QString::number(e.group->checkedId());
    case Kind::Key:
        return static_cast<QComboBox*>(e.widget)->currentData().toString();
    }
    return QString();
}

void TFieldBinder::show(const Entry& e, const QString& text)
{
    switch (e.kind) {
    case Kind::Text:
        static_cast<QLineEdit*>(e.widget)->setText(text);
        break;
    case Kind::Combo:
        static_cast<QComboBox*>(e.widget)->setEditText(text);
        break;
    case Kind::Memo:
        static_cast<QPlainTextEdit*>(e.widget)->setPlainText(text);
        break;
    case Kind::Check:
        static_cast<QCheckBox*>(e.widget)->setChecked(text.toInt() == e.on);
        break;
    case Kind::Radio: {
        QAbstractButton* b = e.group->button(text.toInt());
        if (b) {
            b->setChecked(true);
        } else if (QAbstractButton* checked = e.group->checkedButton()) {
            // A value without a button leaves the group empty.
            const bool exclusive = e.group->exclusive();
            e.group->setExclusive(false);
            checked->setChecked(false);
            e.group->setExclusive(exclusive);
        }
        break;
    }
    case Kind::Key: {
        auto* c = static_cast<QComboBox*>(e.widget);
        const int at = c->findData(text);
        c->setCurrentIndex(at >= 0 ? at : 0);
        break;
    }
    }
}

void TFieldBinder::Load(const TQuery& q)
{
    for (Entry& e : m_entries) {
        show(e, q.FieldByName(e.field)->AsString());
        e.loaded = value(e);
    }
}

void TFieldBinder::Store(TQuery& q) const
{
    for (const Entry& e : m_entries) {
        const QString v = value(e);
        if (v == e.loaded) continue;
        TField* f = q.FieldByName(e.field);
        if (IsNumericFieldType(f->DataType))
            f->SetAsString(v.trimmed().isEmpty() && e.kind == Kind::Key ? QStringLiteral("0")
                                                                        : DecimalCommaToPoint(v));
        else
            f->SetAsString(v);
    }
}

QWidget* TFieldBinder::Control(const QString& field) const
{
    for (const Entry& e : m_entries)
        if (e.field == field) return e.widget;
    return nullptr;
}
