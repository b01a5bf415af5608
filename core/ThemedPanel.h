#pragma once
// The panel of the UI kit: the container of toolbars and edit areas. It paints
// a toolbar-like background chosen by ThemedImage, its bevels, and keeps its
// children inside the client area less its padding.
#include <QColor>
#include <QFrame>
#include <functional>

// Where a control sits in its parent; the auto-sizing controls change only the
// dimension their alignment leaves free.
enum TAlign
{
    alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient
};

enum TThemedPanelImage
{
    tpiRebar = 0,
    tpiStatus = 1,
    tpiStatusSeparator = 2,
    tpiToolbar = 3,
    tpiExploredBarRoot = 4,
    tpiExploredBarBackgroundNormal = 5,
    tpiExploredBarNormalGroupBackground = 6,
    tpiExploredBarSpecialGroupBackground = 7,
    tpiExploredBarSpecialGroupHead = 8,
    tpiSolid = 9,
    tpiNone = 10
};

enum TBevelCut
{
    bvNone,
    bvLowered,
    bvRaised,
    bvSpace
};

// Four distances kept clear inside the panel; every change tells the owner.
class TThemedPanelPadding
{
public:
    int Left() const { return m_values[0]; }
    int Top() const { return m_values[1]; }
    int Right() const { return m_values[2]; }
    int Bottom() const { return m_values[3]; }
    void SetLeft(int v) { SetValue(0, v); }
    void SetTop(int v) { SetValue(1, v); }
    void SetRight(int v) { SetValue(2, v); }
    void SetBottom(int v) { SetValue(3, v); }
    // Index 0 to 3 (left, top, right, bottom); any other index is ignored.
    void SetValue(int index, int value);
    int Value(int index) const { return index >= 0 && index < 4 ? m_values[index] : 0; }
    // Copies the four values and tells the owner once.
    void Assign(const TThemedPanelPadding& other);
    // Each value times M / D, rounded as MulDiv does.
    void ScaleBy(int m, int d);

    std::function<void()> OnChange;

private:
    void changed()
    {
        if (OnChange) OnChange();
    }
    int m_values[4] = {0, 0, 0, 0};
};

// MulDiv of Windows: a * b / c rounded half away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

class TThemedPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TThemedPanel(QWidget* parent = nullptr);

    TThemedPanelImage ThemedImage() const { return m_image; }
    void SetThemedImage(TThemedPanelImage image);
    bool ShowBevelInXP() const { return m_showBevel; }
    void SetShowBevelInXP(bool on);

    TThemedPanelPadding& Padding() { return m_padding; }
    const TThemedPanelPadding& Padding() const { return m_padding; }
    void SetPadding(const TThemedPanelPadding& padding) { m_padding.Assign(padding); }

    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut b);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut b);
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int w);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int w);

    // Invalid colour: the palette's window colour.
    QColor Color() const;
    void SetColor(const QColor& c);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool on);

    // Scaling of the form (M/D) also scales the padding.
    virtual void ScaleBy(int m, int d);

    // The client area the children are laid out in: less border, bevels and padding.
    QRect AlignRect() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    // Paints background and bevels into the rectangle; the grip panel reuses it.
    void paintPanel(QPainter& p, const QRect& r);
    // Extra room a descendant keeps on each side (the grip panel's strip).
    virtual QMargins extraMargins() const { return {}; }
    void updateMargins();

private:
    TThemedPanelImage m_image = tpiRebar;
    bool m_showBevel = true;
    TThemedPanelPadding m_padding;
    TBevelCut m_bevelOuter = bvNone;
    TBevelCut m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QColor m_color;
    bool m_parentColor = false;
};

// Draws a one-pixel-per-step 3-D frame: lowered has the shadow top-left.
void DrawBevel(QPainter& p, QRect& r, TBevelCut cut, int width, const QColor& shadow,
               const QColor& highlight);
