#pragma once
// The look every window of the program shares: the font the installation
// chose in "czcionka.ini" (FontName, FontSize) or the default font at size 9.
#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

struct TFormFont
{
    QString Name; // "Default": the desktop's default face
    int Size = 9;
};

// The font windows use: the chosen one when a face of that name is installed,
// otherwise "Default" at size 9.
TFormFont EffectiveFormFont(const QString& fontName, int fontSize, const QStringList& installedFamilies);
// The same for the process values FontName and FontSize and this desktop's faces.
TFormFont CurrentFormFont();
// A grid column's font under the style: a "Courier New" column keeps its face
// and is one point larger below size 10; any other column takes the style's face and size.
QFont GridColumnFont(const QFont& columnFont, const TFormFont& style);

// Sets the window's face (its size stays as built) and the style's size on its
// list and tree views, grids, date pickers and data-bound memos (widgets with
// the property "dataField").
void ApplyFormStyle(QWidget* form);
// Makes every window get ApplyFormStyle when it is first shown.
void InstallFormStyle();
