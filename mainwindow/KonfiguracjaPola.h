#pragma once
// The settings dialog's fields, made from the key table: one editor per key,
// grouped on its page, filled from and read back into the loaded values.
#include "core/KonfiguracjaKlucze.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QButtonGroup;
class QGridLayout;
class QLabel;
class QWidget;

class TKonfFields : public QObject
{
    Q_OBJECT
public:
    explicit TKonfFields(QObject* parent = nullptr) : QObject(parent) {}

    // Builds the groups of one page into its two-column grid; extra groups of
    // the page's own go after them through the grid.
    void BuildPage(int page, QWidget* pageWidget, QGridLayout* grid);

    void SetValues(const TKonfValues& values);
    // The values as edited (keys the table does not show keep what was loaded).
    TKonfValues Values() const;
    // Global keys only take an operator of level 1 or lower: shown read-only
    // to everybody else, so nothing typed there is silently dropped.
    void SetGlobalsReadOnly(bool readOnly);

    QWidget* Field(const QString& key) const { return m_fields.value(key); }
    QButtonGroup* Radio(const QString& key) const { return m_radios.value(key); }
    // The label after a field ("dni", "/Miesiąc/Rok").
    QLabel* AfterLabel(const QString& key) const { return m_after.value(key); }
    QWidget* Group(int page, const QString& title) const { return m_groups.value(groupId(page, title)); }

    // Folder and printer buttons ask through these (tests replace them).
    std::function<QString()> ChooseFolder;
    std::function<QString()> ChoosePrinter;
    // Widgets the page puts after a field of its own (file buttons, icons).
    std::function<QList<QWidget*>(const TKonfKey& key, QWidget* parent)> RowExtras;

private:
    QWidget* makeEditor(const TKonfKey& k, QWidget* parent);
    static QString groupId(int page, const QString& title) { return QString::number(page) + u'|' + title; }
    static void setEditorReadOnly(QWidget* w, bool readOnly);

    QHash<QString, QWidget*> m_fields;
    QHash<QString, QButtonGroup*> m_radios;
    QHash<QString, QLabel*> m_after;
    QHash<QString, QWidget*> m_groups;
    TKonfValues m_loaded;
};
