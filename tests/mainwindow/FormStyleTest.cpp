// The look every window gets: the installation's font when it is installed,
// otherwise the default face at size 9, on the controls the style touches.
#include "mainwindow/FormStyle.h"
#include "core/DateTimePicker.h"
#include "core/FormEx.h"
#include "core/Funkcje2.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

struct FontFileValues
{
    FontFileValues(const QString& name, int size)
    {
        FontName = name;
        FontSize = size;
    }
    ~FontFileValues()
    {
        FontName.clear();
        FontSize = 0;
    }
};

QString anInstalledFace()
{
    const QStringList faces = QFontDatabase::families();
    return faces.isEmpty() ? QString() : faces.first();
}

} // namespace

TEST(FormStyle, EffectiveFontFromTheFontFile)
{
    const QStringList installed = {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")};
    const struct
    {
        const char* name;
        int size;
        const char* wantName;
        int wantSize;
    } cases[] = {
        {"Tahoma", 11, "Tahoma", 11},
        {"dejavu sans", 8, "dejavu sans", 8}, // the font list ignores case
        {"Verdana", 12, "Default", 9},        // not installed
        {"", 0, "Default", 9},                // no "czcionka.ini"
    };
    for (const auto& c : cases) {
        const TFormFont f = EffectiveFormFont(QString::fromLatin1(c.name), c.size, installed);
        EXPECT_EQ(f.Name, QString::fromLatin1(c.wantName)) << c.name;
        EXPECT_EQ(f.Size, c.wantSize) << c.name;
    }
}

TEST(FormStyle, CourierColumnsKeepTheirFaceOnePointLargerBelowTen)
{
    const struct
    {
        const char* column;
        int styleSize;
        const char* wantFace;
        int wantSize;
    } cases[] = {{"Courier New", 9, "Courier New", 10},
                 {"Courier New", 10, "Courier New", 10},
                 {"Courier New", 8, "Courier New", 9},
                 {"Arial", 9, "Style", 9}};
    const TFormFont style{QStringLiteral("Style"), 0};
    for (const auto& c : cases) {
        TFormFont s = style;
        s.Size = c.styleSize;
        QFont column(QString::fromLatin1(c.column), 14);
        const QFont f = GridColumnFont(column, s);
        EXPECT_EQ(f.family(), QString::fromLatin1(c.wantFace)) << c.column << c.styleSize;
        EXPECT_EQ(f.pointSize(), c.wantSize) << c.column << c.styleSize;
    }
}

TEST(FormStyle, WithoutFontFileListedControlsGetSizeNine)
{
    const FontFileValues none(QString(), 0);
    QWidget form;
    QFont designed = form.font();
    designed.setPointSize(13);
    form.setFont(designed);
    auto* edit = new QLineEdit(&form);
    auto* tree = new QTreeWidget(&form);
    auto* grid = new QTableView(&form);
    auto* picker = new TDateTimePicker(&form);
    auto* boundMemo = new QPlainTextEdit(&form);
    boundMemo->setProperty("dataField", QStringLiteral("U_UWAGI"));
    auto* plainMemo = new QPlainTextEdit(&form);

    ApplyFormStyle(&form);

    EXPECT_EQ(form.font().family(), QApplication::font().family());
    EXPECT_EQ(form.font().pointSize(), 13); // the window keeps its designed size
    EXPECT_EQ(edit->font().pointSize(), 13);
    EXPECT_EQ(plainMemo->font().pointSize(), 13);
    for (QWidget* w :
         std::initializer_list<QWidget*>{tree, grid, grid->horizontalHeader(), picker, boundMemo})
        EXPECT_EQ(w->font().pointSize(), 9) << w->metaObject()->className();
}

TEST(FormStyle, InstalledFontFileFaceReachesEveryChild)
{
    const QString face = anInstalledFace();
    ASSERT_FALSE(face.isEmpty()) << "no font installed for the offscreen platform";
    const FontFileValues chosen(face, 11);
    QWidget form;
    auto* edit = new QLineEdit(&form);
    auto* tree = new QTreeWidget(&form);
    ApplyFormStyle(&form);
    EXPECT_EQ(edit->font().family(), face);
    EXPECT_EQ(tree->font().family(), face);
    EXPECT_EQ(tree->font().pointSize(), 11);
}

TEST(FormStyle, EveryWindowGetsItOnceWhenFirstShown)
{
    const FontFileValues none(QString(), 0);
    int calls = 0;
    SetFormStyleHook([&](QWidget* w) {
        ++calls;
        ApplyFormStyle(w);
    });
    {
        TFormEx form;
        auto* tree = new QTreeWidget(&form);
        QFont big = tree->font();
        big.setPointSize(15);
        tree->setFont(big);
        form.show();
        EXPECT_EQ(tree->font().pointSize(), 9);
        form.hide();
        form.show();
        EXPECT_EQ(calls, 1);
    }
    InstallFormStyle();
    {
        TFormEx form;
        auto* tree = new QTreeWidget(&form);
        form.show();
        EXPECT_EQ(tree->font().pointSize(), 9);
    }
    SetFormStyleHook(nullptr);
}
