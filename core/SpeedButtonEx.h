#pragma once
// Toolbar and dialog buttons and a check box that can size themselves to
// their caption and glyph.
#include "core/ThemedPanel.h"

#include <QCheckBox>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

enum TButtonLayout
{
    blGlyphLeft = 0,
    blGlyphRight = 1,
    blGlyphTop = 2,
    blGlyphBottom = 3
};

// What the auto-size rule of the buttons reads.
struct TButtonMeasure
{
    QSize Text;  // extent of the caption; empty caption 0 x 0
    QSize Glyph; // one glyph of the strip; none 0 x 0
    QSize Base;  // frame allowance: flat speed button 8 x 4, others 10 x 6
    int InflateWidth = 0;
    int InflateHeight = 0;
    TButtonLayout Layout = blGlyphLeft;
    int Margin = -1; // -1: none
    int Spacing = 4; // -1: none; counts only with both caption and glyph
};
// The wanted size of an auto-sized button.
QSize ButtonAutoSize(const TButtonMeasure& m);
// The wanted size applied under an alignment: the width changes only for
// none, left or right, the height only for none, top or bottom.
QSize ApplyAutoSize(const QSize& current, const QSize& wanted, TAlign align);

// The auto-size rule over the Qt control a class shows as: the control gives
// the wanted size, this applies it keeping Left and Top.
template <class Control> class TAutoSized : public Control
{
public:
    using Control::Control;

    void SetCaption(const QString& caption);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);

    // Re-applies the auto-size rule (the control's invalidate).
    void Invalidate();
    virtual QSize AutoSizeWanted() const = 0;
    QSize sizeHint() const override;

protected:
    // Caption, glyph or layout changed: the control may show them otherwise.
    virtual void LookChanged() {}

private:
    bool m_autoSize = false;
    TAlign m_align = alNone;
};

// The state the two buttons measure: inflation, layout and the glyph strip.
template <class Control> class TAutoSizeButton : public TAutoSized<Control>
{
public:
    using TAutoSized<Control>::TAutoSized;

    int AutoSizeInflateWidth() const { return m_inflateWidth; }
    void SetAutoSizeInflateWidth(int v);
    int AutoSizeInflateHeight() const { return m_inflateHeight; }
    void SetAutoSizeInflateHeight(int v);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return m_margin; }
    void SetMargin(int v);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int v);
    // A strip of NumGlyphs pictures side by side (normal, disabled, ...); the first is shown.
    void SetGlyph(const QPixmap& glyph, int numGlyphs = 1);
    const QPixmap& Glyph() const { return m_glyph; }
    QSize GlyphSize() const;

    QSize AutoSizeWanted() const override;

protected:
    // Frame allowance of the rule: 10 x 6 unless the button says otherwise.
    virtual QSize FrameBase() const { return QSize(10, 6); }

private:
    int m_inflateWidth = 0;
    int m_inflateHeight = 0;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    int m_numGlyphs = 1;
    QPixmap m_glyph;
};

extern template class TAutoSized<QToolButton>;
extern template class TAutoSized<QPushButton>;
extern template class TAutoSized<QCheckBox>;
extern template class TAutoSizeButton<QToolButton>;
extern template class TAutoSizeButton<QPushButton>;

class TSpeedButtonEx : public TAutoSizeButton<QToolButton>
{
    Q_OBJECT
public:
    explicit TSpeedButtonEx(QWidget* parent = nullptr);
    TSpeedButtonEx(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    bool Flat() const { return autoRaise(); }
    void SetFlat(bool on);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }

protected:
    QSize FrameBase() const override;
    void LookChanged() override;
};

class TBitBtnEx : public TAutoSizeButton<QPushButton>
{
    Q_OBJECT
public:
    explicit TBitBtnEx(QWidget* parent = nullptr);
    TBitBtnEx(const QString& caption, QWidget* parent = nullptr);
};

class TCheckBoxEx : public TAutoSized<QCheckBox>
{
    Q_OBJECT
public:
    explicit TCheckBoxEx(QWidget* parent = nullptr);
    TCheckBoxEx(const QString& caption, QWidget* parent = nullptr);

    // 6 + caption and ".." + the check glyph wide; 2 + the taller of text and glyph high.
    QSize AutoSizeWanted() const override;

protected:
    void changeEvent(QEvent* e) override;
};
