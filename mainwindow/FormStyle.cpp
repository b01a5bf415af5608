#include "mainwindow/FormStyle.h"

#include "core/DateTimePicker.h"
#include "core/FormEx.h"
#include "core/Funkcje2.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QHeaderView>
#include <QListView>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>

namespace {

const QString kDefaultFace = QStringLiteral("Default");

QString faceOf(const TFormFont& f)
{
    return f.Name == kDefaultFace ? QApplication::font().family() : f.Name;
}

void setPointSize(QWidget* w, int size)
{
    QFont f = w->font();
    f.setPointSize(size);
    w->setFont(f);
}

bool isDataBoundMemo(const QWidget* w)
{
    return (qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w)) &&
           w->property("dataField").isValid();
}

} // namespace

TFormFont EffectiveFormFont(const QString& fontName, int fontSize, const QStringList& installedFamilies)
{
    if (!fontName.isEmpty() && installedFamilies.contains(fontName, Qt::CaseInsensitive) && fontSize > 0)
        return {fontName, fontSize};
    return {kDefaultFace, 9};
}

TFormFont CurrentFormFont()
{
    return EffectiveFormFont(FontName, FontSize, QFontDatabase::families());
}

QFont GridColumnFont(const QFont& columnFont, const TFormFont& style)
{
    QFont f = columnFont;
    if (columnFont.family().compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0) {
        f.setPointSize(style.Size + (style.Size < 10 ? 1 : 0));
        return f;
    }
    f.setFamily(faceOf(style));
    f.setPointSize(style.Size);
    return f;
}

void ApplyFormStyle(QWidget* form)
{
    if (!form) return;
    const TFormFont style = CurrentFormFont();
    QFont wf = form->font();
    wf.setFamily(faceOf(style));
    form->setFont(wf);
    // Qt keeps text in Unicode, so the Central European character set needs no setting.
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (auto* grid = qobject_cast<QTableView*>(w)) {
            setPointSize(grid, style.Size);
            setPointSize(grid->horizontalHeader(), style.Size);
        } else if (qobject_cast<QTreeView*>(w) || qobject_cast<QListView*>(w) ||
                   qobject_cast<QDateTimeEdit*>(w) || qobject_cast<TDateTimePicker*>(w) ||
                   isDataBoundMemo(w)) {
            setPointSize(w, style.Size);
        }
    }
}

void InstallFormStyle()
{
    SetFormStyleHook([](QWidget* form) { ApplyFormStyle(form); });
}
