// The UI kit's own controls: auto-sizing rules, the panel's padding, the grip
// panel dragged and folded with the mouse, and the size grips.
#include "core/GripPanel.h"
#include "core/SpeedButtonEx.h"
#include "core/ThemedLabel.h"
#include "core/ThemedPanel.h"
#include "core/ThemedSeparator.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

using Img = TThemedSeparatorImage;

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void sendAtGlobal(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button,
                  Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Presses on From, moves by Delta and releases, as a drag with the left button.
// The screen positions are those of a real mouse even when the widget moves meanwhile.
void drag(QWidget* w, QPoint from, QPoint delta)
{
    const QPoint g = w->mapToGlobal(from);
    sendAtGlobal(w, QEvent::MouseButtonPress, g, Qt::LeftButton, Qt::LeftButton);
    sendAtGlobal(w, QEvent::MouseMove, g + delta / 2, Qt::NoButton, Qt::LeftButton);
    sendAtGlobal(w, QEvent::MouseMove, g + delta, Qt::NoButton, Qt::LeftButton);
    sendAtGlobal(w, QEvent::MouseButtonRelease, g + delta, Qt::LeftButton, Qt::NoButton);
}

} // namespace

TEST(ThemedSeparator, AutoSizeByImageMarginAndAlignment)
{
    const struct
    {
        Img image;
        int margin;
        TAlign align;
        QSize want;
    } cases[] = {
        {Img::tpiToolbarSeparator, 2, alNone, {8, 10}},     {Img::tpiStatusSeparator, 3, alLeft, {10, 10}},
        {Img::tpiToolbarSeparator, 2, alTop, {10, 10}}, // a top-aligned line keeps its width
        {Img::tpiToolbarVSeparator, 2, alNone, {10, 10}},   {Img::tpiProgListSeparator, 1, alBottom, {10, 8}},
        {Img::tpiPlacesListSeparator, 4, alLeft, {10, 10}}, // left-aligned keeps its height
        {Img::tpiSimpleHorizontal, 2, alTop, {6, 10}},      // whatever the alignment
        {Img::tpiSimpleVertical, 0, alLeft, {10, 2}},       {Img::tpiNone, 5, alNone, {10, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeparatorAutoSize(c.image, c.margin, c.align, QSize(10, 10)), c.want)
            << int(c.image) << " margin " << c.margin << " align " << c.align;

    TThemedSeparator s;
    s.SetAutoSize(true);
    EXPECT_EQ(s.width(), 8);
    s.SetMargin(5);
    EXPECT_EQ(s.width(), 14);
}

TEST(ButtonAutoSize, RuleForTextGlyphMarginAndSpacing)
{
    const struct
    {
        const char* name;
        QSize text, glyph, base;
        int inflateW, inflateH;
        TButtonLayout layout;
        int margin, spacing;
        QSize want;
    } cases[] = {
        {"empty non-flat", {0, 0}, {0, 0}, {10, 6}, 3, 2, blGlyphLeft, -1, 4, {13, 8}},
        {"empty flat", {0, 0}, {0, 0}, {8, 4}, 0, 0, blGlyphLeft, -1, 4, {8, 4}},
        {"text and glyph beside", {40, 13}, {16, 16}, {10, 6}, 0, 0, blGlyphLeft, -1, 4, {70, 22}},
        {"glyph right with margin", {40, 13}, {16, 16}, {10, 6}, 0, 0, blGlyphRight, 2, 4, {72, 22}},
        {"glyph above", {40, 13}, {16, 16}, {10, 6}, 0, 0, blGlyphTop, 2, 4, {50, 41}},
        {"no margin no spacing", {40, 13}, {16, 16}, {10, 6}, 0, 0, blGlyphBottom, -1, -1, {50, 35}},
        {"text only: no spacing", {40, 13}, {0, 0}, {10, 6}, 0, 0, blGlyphLeft, -1, 4, {50, 19}},
        {"glyph only: no spacing", {0, 0}, {16, 16}, {10, 6}, 0, 0, blGlyphTop, 1, 4, {26, 23}},
    };
    for (const auto& c : cases) {
        TButtonMeasure m;
        m.Text = c.text;
        m.Glyph = c.glyph;
        m.Base = c.base;
        m.InflateWidth = c.inflateW;
        m.InflateHeight = c.inflateH;
        m.Layout = c.layout;
        m.Margin = c.margin;
        m.Spacing = c.spacing;
        EXPECT_EQ(ButtonAutoSize(m), c.want) << c.name;
    }
}

TEST(SpeedButtonEx, AutoSizedEmptyButtonAndAlignedHeightOnly)
{
    TSpeedButtonEx b;
    b.resize(50, 30);
    b.SetAutoSizeInflateWidth(4);
    b.SetAutoSizeInflateHeight(3);
    b.SetAutoSize(true);
    EXPECT_EQ(b.size(), QSize(14, 9));
    b.SetFlat(true);
    EXPECT_EQ(b.size(), QSize(12, 7));

    // Top-aligned: only the height follows the rule.
    TSpeedButtonEx top;
    top.resize(50, 30);
    top.SetAlign(alTop);
    top.SetAutoSize(true);
    EXPECT_EQ(top.size(), QSize(50, 6));
    top.SetAutoSizeInflateWidth(20);
    top.SetAutoSizeInflateHeight(2);
    EXPECT_EQ(top.size(), QSize(50, 8));
    EXPECT_EQ(top.pos(), QPoint(0, 0));
}

TEST(BitBtnEx, MarginAndSpacingOfMinusOneAddNothing)
{
    TBitBtnEx b(QStringLiteral("OK"));
    QPixmap strip(32, 16);
    strip.fill(Qt::red);
    b.SetGlyph(strip, 2);
    b.SetMargin(-1);
    b.SetSpacing(-1);
    b.SetAutoSize(true);
    const QFontMetrics fm(b.font());
    EXPECT_EQ(b.size(),
              QSize(10 + fm.horizontalAdvance(QStringLiteral("OK")) + 16, 6 + std::max(16, fm.height())));
    b.SetSpacing(4);
    EXPECT_EQ(b.width(), 10 + fm.horizontalAdvance(QStringLiteral("OK")) + 16 + 4);
}

TEST(CheckBoxEx, AutoSizeMeasuresCaptionWithTwoDots)
{
    TCheckBoxEx c(QStringLiteral("Aktywny"));
    c.SetAutoSize(true);
    const QFontMetrics fm(c.font());
    const int glyph = c.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &c);
    EXPECT_EQ(c.width(), 6 + fm.horizontalAdvance(QStringLiteral("Aktywny..")) + glyph);
    const int before = c.width();
    c.SetCaption(QStringLiteral("Aktywny dłużej"));
    EXPECT_GT(c.width(), before);
}

TEST(ThemedLabel, CaptionAlwaysBecomesTheHint)
{
    TThemedLabel l;
    l.SetAutoHint(false);
    l.SetShowHint(false);
    l.SetCaption(QStringLiteral("Adres instalacji"));
    EXPECT_TRUE(l.ShowHint());
    EXPECT_EQ(l.Hint(), QStringLiteral("Adres instalacji"));

    l.SetHint(QStringLiteral("inny"));
    l.SetAutoHint(true);
    EXPECT_EQ(l.Hint(), QStringLiteral("Adres instalacji"));

    l.SetEllipsis(tleEnd);
    const QString shown = l.DisplayText(40);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    l.SetEllipsis(tleNone);
    EXPECT_EQ(l.DisplayText(40), QStringLiteral("Adres instalacji"));
    l.SetCaption(QStringLiteral("&Plik && folder"));
    EXPECT_EQ(l.DisplayText(400), QStringLiteral("Plik & folder"));

    EXPECT_STREQ(TThemedLabel::ThemeClassOf(tlsGroupBox), "GROUPBOX");
    try {
        TThemedLabel::ThemeClassOf(tlsNone);
        FAIL() << "no error for a style without theme details";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "TThemedLabel.GetThemeDetails() >> unknown ThemedLabelStyle!");
    }
}

TEST(ThemedPanel, PaddingPlacesChildrenAndScalesWithTheForm)
{
    TThemedPanel p;
    p.resize(200, 100);
    auto* layout = new QVBoxLayout(&p);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* child = new QLabel(QStringLiteral("x"), &p);
    layout->addWidget(child);
    int changes = 0;
    const auto keep = p.Padding().OnChange;
    p.Padding().OnChange = [&] {
        ++changes;
        keep();
    };
    p.Padding().SetLeft(5);
    p.Padding().SetLeft(5);     // no change, no call
    p.Padding().SetValue(4, 9); // no such side
    EXPECT_EQ(changes, 1);
    p.show();
    layout->activate();
    EXPECT_EQ(child->x(), 5);
    EXPECT_EQ(child->y(), 0);

    p.ScaleBy(2, 1);
    layout->activate();
    EXPECT_EQ(p.Padding().Left(), 10);
    EXPECT_EQ(child->x(), 10);

    // The bevels take room too.
    p.SetBevelOuter(bvRaised);
    p.SetBorderWidth(2);
    layout->activate();
    EXPECT_EQ(child->geometry().topLeft(), QPoint(13, 3));

    TThemedPanelPadding copy;
    copy.Assign(p.Padding());
    EXPECT_EQ(copy.Left(), 10);
}

TEST(ThemedPanel, MulDivRoundsHalfAwayFromZero)
{
    const struct
    {
        int a, b, c, want;
    } cases[] = {{5, 3, 2, 8},      {-5, 3, 2, -8}, {7, 96, 96, 7},
                 {10, 120, 96, 13}, {1, 1, 0, -1},  {3, 1, 2, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
}

class GripPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_parent.resize(400, 300);
        m_layout = new QVBoxLayout(&m_parent);
        m_layout->setContentsMargins(0, 0, 0, 0);
        m_layout->setSpacing(0);
        m_grip = new TGripPanel(&m_parent);
        m_grip->SetAlign(alTop);
        auto* inner = new QVBoxLayout(m_grip);
        inner->setContentsMargins(0, 0, 0, 0);
        m_inside = new QLabel(QStringLiteral("inside"), m_grip);
        m_inside->setMinimumSize(50, 30);
        inner->addWidget(m_inside);
        m_client = new QWidget(&m_parent);
        m_client->setMinimumHeight(40);
        m_client->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        m_layout->addWidget(m_grip);
        m_layout->addWidget(m_client, 1);
        m_grip->OnAfterSizing = [this](TGripPanel*, int size) { m_sizings.push_back(size); };
        m_parent.show();
        m_grip->SetSize(120);
        m_layout->activate();
        m_sizings.clear();
    }
    QPoint strip() const { return m_grip->GripRect().center(); }

    QWidget m_parent;
    QVBoxLayout* m_layout = nullptr;
    TGripPanel* m_grip = nullptr;
    QLabel* m_inside = nullptr;
    QWidget* m_client = nullptr;
    std::vector<int> m_sizings;
};

TEST_F(GripPanelTest, DragBelowMinimumFoldsAndDoubleClickReopens)
{
    ASSERT_EQ(m_grip->Size(), 120);
    EXPECT_EQ(m_grip->GripRect(), QRect(0, 113, 400, 7));
    drag(m_grip, strip(), QPoint(0, -80)); // to 40: less than 50 + 7
    EXPECT_EQ(m_grip->Size(), 7);
    EXPECT_TRUE(m_grip->Collapsed());
    EXPECT_EQ(m_sizings, std::vector<int>{7});
    EXPECT_EQ(m_grip->RestoreSize(), 120);
    // Folded, the children hold no minimum...
    EXPECT_EQ(m_inside->minimumSize(), QSize(0, 0));

    sendMouse(m_grip, QEvent::MouseButtonDblClick, strip(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(m_grip->Size(), 120);
    EXPECT_EQ(m_sizings, (std::vector<int>{7, 120}));
    // ...and get it back on opening.
    EXPECT_EQ(m_inside->minimumSize(), QSize(50, 30));

    sendMouse(m_grip, QEvent::MouseButtonDblClick, strip(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(m_grip->Size(), 7);
}

TEST_F(GripPanelTest, ReopensAtLeastAboveTheMinimum)
{
    m_grip->SetSize(60);
    m_layout->activate();
    m_grip->Collapse();
    EXPECT_EQ(m_grip->Size(), 7);
    m_grip->Expand();
    EXPECT_EQ(m_grip->Size(), 60);

    // A panel that a larger minimum folds opens at GripSize + MinSize + 1 at least.
    m_grip->SetMinSize(70); // 60 < 77: already counts as folded
    EXPECT_TRUE(m_grip->Collapsed());
    m_grip->Expand();
    EXPECT_EQ(m_grip->Size(), 78);
}

TEST_F(GripPanelTest, DragStopsAtWhatTheParentLeaves)
{
    // 300 high, the client keeps its 40: the panel may take 260.
    EXPECT_EQ(m_grip->LargestSize(), 260);
    drag(m_grip, strip(), QPoint(0, 500));
    EXPECT_EQ(m_grip->Size(), 260);
    m_layout->activate();
    EXPECT_EQ(m_client->height(), 40);
    EXPECT_EQ(m_sizings, std::vector<int>{260});
    EXPECT_EQ(m_grip->RestoreSize(), 260);

    m_grip->SetMaxSize(150);
    m_grip->SetSize(400);
    EXPECT_EQ(m_grip->Size(), 150);

    // While the parent is not on screen (the form being built) the size is taken as given.
    m_parent.hide();
    m_grip->SetSize(400);
    EXPECT_EQ(m_grip->Size(), 400);
}

TEST_F(GripPanelTest, ClickWithoutMovementChangesNothing)
{
    sendMouse(m_grip, QEvent::MouseButtonPress, strip(), Qt::LeftButton, Qt::LeftButton);
    sendMouse(m_grip, QEvent::MouseButtonRelease, strip(), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(m_sizings.empty());
    // A press outside the strip starts no drag.
    sendMouse(m_grip, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(m_grip->Sizing());
    sendMouse(m_grip, QEvent::MouseMove, QPoint(10, 90), Qt::NoButton, Qt::LeftButton);
    sendMouse(m_grip, QEvent::MouseButtonRelease, QPoint(10, 90), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(m_grip->Size(), 120);
    EXPECT_TRUE(m_sizings.empty());
}

TEST_F(GripPanelTest, BottomAlignedStripIsOnTopAndGrowsUpwards)
{
    m_layout->removeWidget(m_grip);
    m_layout->addWidget(m_grip);
    m_grip->SetAlign(alBottom);
    m_layout->activate();
    EXPECT_EQ(m_grip->GripRect(), QRect(0, 0, 400, 7));
    drag(m_grip, strip(), QPoint(0, -30));
    EXPECT_EQ(m_grip->Size(), 150);
    m_layout->activate();
    EXPECT_EQ(m_grip->geometry().bottom(), 299); // the bottom edge stays
}

TEST(SizeGrips, FrameGripMovesToItsFormAndResizesIt)
{
    QWidget form;
    form.resize(300, 200);
    auto* panel = new TThemedPanel(&form);
    panel->setGeometry(10, 10, 100, 100);
    auto* grip = new TFrameSizeGrip(panel);
    EXPECT_EQ(grip->parentWidget(), &form);
    form.show();
    EXPECT_EQ(grip->geometry(), QRect(300 - 14, 200 - 14, 14, 14));
    grip->SetOffset(3);
    EXPECT_EQ(grip->pos(), QPoint(300 - 17, 200 - 17));

    drag(grip, QPoint(10, 10), QPoint(40, 25));
    EXPECT_EQ(form.size(), QSize(340, 225));
    EXPECT_EQ(grip->pos(), QPoint(340 - 17, 225 - 17));

    form.setMinimumSize(250, 150);
    drag(grip, QPoint(10, 10), QPoint(-300, -300));
    EXPECT_EQ(form.size(), QSize(250, 150));
}

TEST(SizeGrips, PanelGripKeepsToThePanelAndItsLimits)
{
    QWidget form;
    auto* panel = new TThemedPanel(&form);
    panel->setGeometry(0, 0, 120, 80);
    panel->SetBevelOuter(bvRaised);
    panel->SetBevelInner(bvLowered);
    panel->SetBorderWidth(2);
    auto* label = new QLabel(panel);
    auto* grip = new TPanelSizeGrip(label);
    EXPECT_EQ(grip->parentWidget(), panel);
    form.show();
    EXPECT_EQ(grip->pos(), QPoint(120 - 14 - 4, 80 - 14 - 4)); // inner bevel, border, outer bevel
    grip->SetOffsetMode(omFrame);
    EXPECT_EQ(grip->pos(), QPoint(106, 66));

    panel->setMaximumSize(150, 90);
    drag(grip, QPoint(5, 5), QPoint(100, 100));
    EXPECT_EQ(panel->size(), QSize(150, 90));
}

TEST(SizeGrips, PanelGripOffsetByMode)
{
    const struct
    {
        TOffsetMode mode;
        TBevelCut inner, outer;
        int want;
    } cases[] = {{omInside, bvLowered, bvRaised, 2 + 3 + 2},
                 {omBorderAndBevel, bvLowered, bvRaised, 2 + 3},
                 {omBevel, bvLowered, bvRaised, 2},
                 {omFrame, bvLowered, bvRaised, 0},
                 {omInside, bvNone, bvNone, 3},
                 {omBevel, bvNone, bvRaised, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(PanelGripOffset(c.mode, c.inner, c.outer, 2, 3), c.want) << c.mode;
}
