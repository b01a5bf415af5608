#include "mainwindow/KonfiguracjaPola.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A row of an editor with buttons beside it (folders, printers).
QWidget* withButtons(QWidget* editor, std::initializer_list<QToolButton*> buttons, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* l = new QHBoxLayout(row);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(editor, 1);
    for (QToolButton* b : buttons)
        l->addWidget(b);
    return row;
}

QToolButton* smallButton(const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setText(text);
    return b;
}

} // namespace

QWidget* TKonfFields::makeEditor(const TKonfKey& k, QWidget* parent)
{
    QWidget* editor = nullptr;
    switch (k.Control) {
    case TKonfControl::Check:
        editor = new QCheckBox(k.Caption, parent);
        break;
    case TKonfControl::Spin: {
        auto* spin = new QSpinBox(parent);
        spin->setRange(k.Min, k.Max);
        editor = spin;
        break;
    }
    case TKonfControl::Edit:
    case TKonfControl::Password:
    case TKonfControl::Folder: {
        auto* edit = new QLineEdit(parent);
        if (k.Control == TKonfControl::Password) edit->setEchoMode(QLineEdit::Password);
        if (k.MaxLength > 0) edit->setMaxLength(k.MaxLength);
        if (!k.Mask.isEmpty())
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(k.Mask), edit));
        editor = edit;
        break;
    }
    case TKonfControl::Memo: {
        auto* memo = new QPlainTextEdit(parent);
        memo->setFixedHeight(64);
        editor = memo;
        break;
    }
    case TKonfControl::Combo: {
        auto* combo = new QComboBox(parent);
        combo->addItems(k.Items);
        editor = combo;
        break;
    }
    case TKonfControl::Radio: {
        auto* box = new QGroupBox(k.Caption, parent);
        auto* l = new QHBoxLayout(box);
        auto* group = new QButtonGroup(box);
        for (int i = 0; i < k.Items.size(); ++i) {
            auto* b = new QRadioButton(k.Items[i], box);
            group->addButton(b, i);
            l->addWidget(b);
        }
        l->addStretch();
        m_radios.insert(k.Key, group);
        editor = box;
        break;
    }
    case TKonfControl::Printer:
    case TKonfControl::FileName: {
        auto* label = new QLabel(parent);
        label->setFrameShape(QFrame::StyledPanel);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(120);
        editor = label;
        break;
    }
    case TKonfControl::Hidden:
        return nullptr;
    }
    editor->setObjectName(k.Key);
    m_fields.insert(k.Key, editor);
    return editor;
}

void TKonfFields::BuildPage(int page, QWidget* pageWidget, QGridLayout* grid)
{
    QHash<QString, QFormLayout*> forms;
    int nextSlot = grid->count();
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        if (k.Page != page) continue;
        QWidget* editor = makeEditor(k, pageWidget);
        if (!editor) continue;
        QFormLayout*& form = forms[k.Group];
        if (!form) {
            QWidget* box = nullptr;
            if (k.Group.isEmpty())
                box = new QWidget(pageWidget);
            else
                box = new QGroupBox(k.Group, pageWidget);
            form = new QFormLayout(box);
            form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
            m_groups.insert(groupId(page, k.Group), box);
            grid->addWidget(box, nextSlot / 2, nextSlot % 2, Qt::AlignTop);
            ++nextSlot;
        }
        QWidget* field = editor;
        if (k.Control == TKonfControl::Folder) {
            auto* edit = static_cast<QLineEdit*>(editor);
            QToolButton* pick = smallButton(QStringLiteral("..."), pageWidget);
            QToolButton* clear = smallButton(QStringLiteral("X"), pageWidget);
            connect(pick, &QToolButton::clicked, edit, [this, edit] {
                const QString folder = ChooseFolder ? ChooseFolder() : QString();
                if (!folder.isEmpty()) edit->setText(folder);
            });
            connect(clear, &QToolButton::clicked, edit, &QLineEdit::clear);
            field = withButtons(edit, {pick, clear}, pageWidget);
        } else if (k.Control == TKonfControl::Printer) {
            auto* label = static_cast<QLabel*>(editor);
            QToolButton* pick = smallButton(QStringLiteral("..."), pageWidget);
            QToolButton* clear = smallButton(QStringLiteral("X"), pageWidget);
            connect(pick, &QToolButton::clicked, label, [this, label] {
                const QString printer = ChoosePrinter ? ChoosePrinter() : QString();
                if (!printer.isEmpty()) label->setText(printer);
            });
            connect(clear, &QToolButton::clicked, label, &QLabel::clear);
            field = withButtons(label, {pick, clear}, pageWidget);
        } else if (!k.After.isEmpty() || k.Special == TKonfSpecial::SuffixMonthYear) {
            auto* after = new QLabel(k.After, pageWidget);
            m_after.insert(k.Key, after);
            auto* row = new QWidget(pageWidget);
            auto* l = new QHBoxLayout(row);
            l->setContentsMargins(0, 0, 0, 0);
            l->addWidget(editor, 1);
            l->addWidget(after);
            field = row;
        }
        if (const QList<QWidget*> extras = RowExtras ? RowExtras(k, pageWidget) : QList<QWidget*>();
            !extras.isEmpty()) {
            auto* row = new QWidget(pageWidget);
            auto* l = new QHBoxLayout(row);
            l->setContentsMargins(0, 0, 0, 0);
            l->addWidget(field, 1);
            for (QWidget* w : extras)
                l->addWidget(w);
            field = row;
        }
        if (k.Control == TKonfControl::Check || k.Control == TKonfControl::Radio)
            form->addRow(field);
        else
            form->addRow(k.Caption, field);
    }
}

void TKonfFields::SetValues(const TKonfValues& values)
{
    m_loaded = values;
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        QWidget* w = m_fields.value(k.Key);
        if (!w) continue;
        const QVariant v = values.value(k.Key, k.Default);
        if (auto* check = qobject_cast<QCheckBox*>(w))
            check->setChecked(k.Special == TKonfSpecial::IntCheck ? v.toInt() == 1 : v.toBool());
        else if (auto* spin = qobject_cast<QSpinBox*>(w))
            spin->setValue(v.toInt());
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->setText(v.toString());
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
            memo->setPlainText(v.toString());
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentIndex(qMax(0, combo->findText(v.toString())));
        else if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(v.toString());
        else if (QButtonGroup* group = m_radios.value(k.Key)) {
            const int index = k.Special == TKonfSpecial::RadioPlusOne ? v.toInt() - 1 : v.toInt();
            if (QAbstractButton* b = group->button(index))
                b->setChecked(true);
            else if (QAbstractButton* first = group->button(0))
                first->setChecked(true);
        }
    }
}

TKonfValues TKonfFields::Values() const
{
    TKonfValues values = m_loaded;
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        QWidget* w = m_fields.value(k.Key);
        if (!w) continue;
        if (auto* check = qobject_cast<QCheckBox*>(w))
            values[k.Key] = k.Special == TKonfSpecial::IntCheck ? QVariant(check->isChecked() ? 1 : 0)
                                                                : QVariant(check->isChecked());
        else if (auto* spin = qobject_cast<QSpinBox*>(w))
            values[k.Key] = spin->value();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            values[k.Key] = edit->text();
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
            values[k.Key] = memo->toPlainText();
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            values[k.Key] = combo->currentText();
        else if (auto* label = qobject_cast<QLabel*>(w))
            values[k.Key] = label->text();
        else if (QButtonGroup* group = m_radios.value(k.Key)) {
            const int index = qMax(0, group->checkedId());
            values[k.Key] = k.Special == TKonfSpecial::RadioPlusOne ? index + 1 : index;
        }
    }
    return values;
}

void TKonfFields::setEditorReadOnly(QWidget* w, bool readOnly)
{
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setReadOnly(readOnly);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        memo->setReadOnly(readOnly);
    else if (auto* spin = qobject_cast<QSpinBox*>(w))
        spin->setReadOnly(readOnly);
    else
        w->setEnabled(!readOnly);
}

void TKonfFields::SetGlobalsReadOnly(bool readOnly)
{
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        if (k.Scope != TKonfScope::Global) continue;
        if (QWidget* w = m_fields.value(k.Key)) setEditorReadOnly(w, readOnly);
    }
}
