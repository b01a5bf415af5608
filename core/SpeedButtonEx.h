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

// Common state of the two buttons.
class TButtonAutoSizer
{
public:
    bool AutoSize = false;
    int AutoSizeInflateWidth = 0;
    int AutoSizeInflateHeight = 0;
    TAlign Align = alNone;
    TButtonLayout Layout = blGlyphLeft;
    int Margin = -1;
    int Spacing = 4;
    int NumGlyphs = 1;
    QPixmap Glyph;
    QSize GlyphSize() const;
};

class TSpeedButtonEx : public QToolButton
{
    Q_OBJECT
public:
    explicit TSpeedButtonEx(QWidget* parent = nullptr);
    TSpeedButtonEx(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool Flat() const { return autoRaise(); }
    void SetFlat(bool on);
    bool AutoSize() const { return m_size.AutoSize; }
    void SetAutoSize(bool on);
    int AutoSizeInflateWidth() const { return m_size.AutoSizeInflateWidth; }
    void SetAutoSizeInflateWidth(int v);
    int AutoSizeInflateHeight() const { return m_size.AutoSizeInflateHeight; }
    void SetAutoSizeInflateHeight(int v);
    TAlign Align() const { return m_size.Align; }
    void SetAlign(TAlign align);
    TButtonLayout Layout() const { return m_size.Layout; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return m_size.Margin; }
    void SetMargin(int v);
    int Spacing() const { return m_size.Spacing; }
    void SetSpacing(int v);
    // A strip of NumGlyphs pictures side by side (normal, disabled, ...); the first is shown.
    void SetGlyph(const QPixmap& glyph, int numGlyphs = 1);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }

    // Re-applies the auto-size rule (the control's invalidate).
    void Invalidate();
    QSize AutoSizeWanted() const;
    QSize sizeHint() const override;

private:
    TButtonAutoSizer m_size;
};

class TBitBtnEx : public QPushButton
{
    Q_OBJECT
public:
    explicit TBitBtnEx(QWidget* parent = nullptr);
    TBitBtnEx(const QString& caption, QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    bool AutoSize() const { return m_size.AutoSize; }
    void SetAutoSize(bool on);
    void SetAutoSizeInflateWidth(int v);
    void SetAutoSizeInflateHeight(int v);
    void SetAlign(TAlign align);
    void SetLayout(TButtonLayout layout);
    void SetMargin(int v);
    void SetSpacing(int v);
    void SetGlyph(const QPixmap& glyph, int numGlyphs = 1);

    void Invalidate();
    QSize AutoSizeWanted() const;
    QSize sizeHint() const override;

private:
    TButtonAutoSizer m_size;
};

class TCheckBoxEx : public QCheckBox
{
    Q_OBJECT
public:
    explicit TCheckBoxEx(QWidget* parent = nullptr);
    TCheckBoxEx(const QString& caption, QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);

    void Invalidate();
    // 6 + caption and ".." + the check glyph wide; 2 + the taller of text and glyph high.
    QSize AutoSizeWanted() const;
    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* e) override;

private:
    bool m_autoSize = false;
    TAlign m_align = alNone;
};
