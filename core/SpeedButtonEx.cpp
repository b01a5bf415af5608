#include "core/SpeedButtonEx.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStyle>
#include <algorithm>

QSize ButtonAutoSize(const TButtonMeasure& m)
{
    int w = m.Base.width() + m.InflateWidth;
    int h = m.Base.height() + m.InflateHeight;
    const bool both = !m.Text.isEmpty() && !m.Glyph.isEmpty();
    const int margin = m.Margin != -1 ? m.Margin : 0;
    const int spacing = m.Spacing != -1 && both ? m.Spacing : 0;
    if (m.Layout == blGlyphTop || m.Layout == blGlyphBottom) {
        w += std::max(m.Text.width(), m.Glyph.width());
        h += m.Text.height() + m.Glyph.height() + margin + spacing;
    } else {
        w += m.Text.width() + m.Glyph.width() + margin + spacing;
        h += std::max(m.Text.height(), m.Glyph.height());
    }
    return QSize(w, h);
}

QSize ApplyAutoSize(const QSize& current, const QSize& wanted, TAlign align)
{
    QSize s = current;
    if (align == alNone || align == alLeft || align == alRight) s.setWidth(wanted.width());
    if (align == alNone || align == alTop || align == alBottom) s.setHeight(wanted.height());
    return s;
}

QSize TButtonAutoSizer::GlyphSize() const
{
    if (Glyph.isNull()) return QSize(0, 0);
    return QSize(Glyph.width() / std::max(1, NumGlyphs), Glyph.height());
}

namespace {

QSize textExtent(const QWidget* w, const QString& caption)
{
    if (caption.isEmpty()) return QSize(0, 0);
    QString t = caption;
    t.remove(QLatin1Char('&'));
    const QFontMetrics fm(w->font());
    return QSize(fm.horizontalAdvance(t), fm.height());
}

QPixmap firstGlyph(const TButtonAutoSizer& s)
{
    if (s.Glyph.isNull()) return QPixmap();
    const QSize g = s.GlyphSize();
    return s.Glyph.copy(0, 0, g.width(), g.height());
}

Qt::ToolButtonStyle toolStyle(const TButtonAutoSizer& s, bool hasText)
{
    if (s.Glyph.isNull()) return Qt::ToolButtonTextOnly;
    if (!hasText) return Qt::ToolButtonIconOnly;
    return s.Layout == blGlyphTop || s.Layout == blGlyphBottom ? Qt::ToolButtonTextUnderIcon
                                                               : Qt::ToolButtonTextBesideIcon;
}

// Changes the size keeping Left and Top, as the rule says.
void resizeKeepingOrigin(QWidget* w, const QSize& wanted, TAlign align)
{
    const QSize s = ApplyAutoSize(w->size(), wanted, align);
    if (s != w->size()) w->setGeometry(QRect(w->pos(), s));
    w->updateGeometry();
}

} // namespace

// ---------------------------------------------------------------- TSpeedButtonEx

TSpeedButtonEx::TSpeedButtonEx(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::TabFocus);
}

TSpeedButtonEx::TSpeedButtonEx(const QString& caption, QWidget* parent) : TSpeedButtonEx(parent)
{
    SetCaption(caption);
}

void TSpeedButtonEx::SetCaption(const QString& caption)
{
    setText(caption);
    setToolButtonStyle(toolStyle(m_size, !caption.isEmpty()));
    Invalidate();
}

void TSpeedButtonEx::SetFlat(bool on)
{
    setAutoRaise(on);
    Invalidate();
}

void TSpeedButtonEx::SetAutoSize(bool on)
{
    m_size.AutoSize = on;
    Invalidate();
}

void TSpeedButtonEx::SetAutoSizeInflateWidth(int v)
{
    if (m_size.AutoSizeInflateWidth == v) return;
    m_size.AutoSizeInflateWidth = v;
    Invalidate();
}

void TSpeedButtonEx::SetAutoSizeInflateHeight(int v)
{
    if (m_size.AutoSizeInflateHeight == v) return;
    m_size.AutoSizeInflateHeight = v;
    Invalidate();
}

void TSpeedButtonEx::SetAlign(TAlign align)
{
    m_size.Align = align;
    Invalidate();
}

void TSpeedButtonEx::SetLayout(TButtonLayout layout)
{
    m_size.Layout = layout;
    setToolButtonStyle(toolStyle(m_size, !text().isEmpty()));
    Invalidate();
}

void TSpeedButtonEx::SetMargin(int v)
{
    m_size.Margin = v;
    Invalidate();
}

void TSpeedButtonEx::SetSpacing(int v)
{
    m_size.Spacing = v;
    Invalidate();
}

void TSpeedButtonEx::SetGlyph(const QPixmap& glyph, int numGlyphs)
{
    m_size.Glyph = glyph;
    m_size.NumGlyphs = std::max(1, numGlyphs);
    const QPixmap first = firstGlyph(m_size);
    setIcon(first.isNull() ? QIcon() : QIcon(first));
    if (!first.isNull()) setIconSize(first.size());
    setToolButtonStyle(toolStyle(m_size, !text().isEmpty()));
    Invalidate();
}

QSize TSpeedButtonEx::AutoSizeWanted() const
{
    TButtonMeasure m;
    m.Text = textExtent(this, text());
    m.Glyph = m_size.GlyphSize();
    m.Base = autoRaise() ? QSize(8, 4) : QSize(10, 6);
    m.InflateWidth = m_size.AutoSizeInflateWidth;
    m.InflateHeight = m_size.AutoSizeInflateHeight;
    m.Layout = m_size.Layout;
    m.Margin = m_size.Margin;
    m.Spacing = m_size.Spacing;
    return ButtonAutoSize(m);
}

void TSpeedButtonEx::Invalidate()
{
    update();
    if (m_size.AutoSize) resizeKeepingOrigin(this, AutoSizeWanted(), m_size.Align);
}

QSize TSpeedButtonEx::sizeHint() const
{
    const QSize base = QToolButton::sizeHint();
    if (!m_size.AutoSize) return base;
    return ApplyAutoSize(base, AutoSizeWanted(), m_size.Align);
}

// ---------------------------------------------------------------- TBitBtnEx

TBitBtnEx::TBitBtnEx(QWidget* parent) : QPushButton(parent) {}

TBitBtnEx::TBitBtnEx(const QString& caption, QWidget* parent) : TBitBtnEx(parent)
{
    SetCaption(caption);
}

void TBitBtnEx::SetCaption(const QString& caption)
{
    setText(caption);
    Invalidate();
}

void TBitBtnEx::SetAutoSize(bool on)
{
    m_size.AutoSize = on;
    Invalidate();
}

void TBitBtnEx::SetAutoSizeInflateWidth(int v)
{
    m_size.AutoSizeInflateWidth = v;
    Invalidate();
}

void TBitBtnEx::SetAutoSizeInflateHeight(int v)
{
    m_size.AutoSizeInflateHeight = v;
    Invalidate();
}

void TBitBtnEx::SetAlign(TAlign align)
{
    m_size.Align = align;
    Invalidate();
}

void TBitBtnEx::SetLayout(TButtonLayout layout)
{
    m_size.Layout = layout;
    Invalidate();
}

void TBitBtnEx::SetMargin(int v)
{
    m_size.Margin = v;
    Invalidate();
}

void TBitBtnEx::SetSpacing(int v)
{
    m_size.Spacing = v;
    Invalidate();
}

void TBitBtnEx::SetGlyph(const QPixmap& glyph, int numGlyphs)
{
    m_size.Glyph = glyph;
    m_size.NumGlyphs = std::max(1, numGlyphs);
    const QPixmap first = firstGlyph(m_size);
    setIcon(first.isNull() ? QIcon() : QIcon(first));
    if (!first.isNull()) setIconSize(first.size());
    Invalidate();
}

QSize TBitBtnEx::AutoSizeWanted() const
{
    TButtonMeasure m;
    m.Text = textExtent(this, text());
    m.Glyph = m_size.GlyphSize();
    m.Base = QSize(10, 6);
    m.InflateWidth = m_size.AutoSizeInflateWidth;
    m.InflateHeight = m_size.AutoSizeInflateHeight;
    m.Layout = m_size.Layout;
    m.Margin = m_size.Margin;
    m.Spacing = m_size.Spacing;
    return ButtonAutoSize(m);
}

void TBitBtnEx::Invalidate()
{
    update();
    if (m_size.AutoSize) resizeKeepingOrigin(this, AutoSizeWanted(), m_size.Align);
}

QSize TBitBtnEx::sizeHint() const
{
    const QSize base = QPushButton::sizeHint();
    if (!m_size.AutoSize) return base;
    return ApplyAutoSize(base, AutoSizeWanted(), m_size.Align);
}

// ---------------------------------------------------------------- TCheckBoxEx

TCheckBoxEx::TCheckBoxEx(QWidget* parent) : QCheckBox(parent) {}

TCheckBoxEx::TCheckBoxEx(const QString& caption, QWidget* parent) : TCheckBoxEx(parent)
{
    SetCaption(caption);
}

void TCheckBoxEx::SetCaption(const QString& caption)
{
    setText(caption);
    Invalidate();
}

void TCheckBoxEx::SetAutoSize(bool on)
{
    m_autoSize = on;
    Invalidate();
}

void TCheckBoxEx::SetAlign(TAlign align)
{
    m_align = align;
    Invalidate();
}

QSize TCheckBoxEx::AutoSizeWanted() const
{
    QString t = text() + QStringLiteral("..");
    t.remove(QLatin1Char('&'));
    const QFontMetrics fm(font());
    const int glyphW = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    const int glyphH = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    return QSize(6 + fm.horizontalAdvance(t) + glyphW, 2 + std::max(fm.height(), glyphH));
}

void TCheckBoxEx::Invalidate()
{
    update();
    if (m_autoSize) resizeKeepingOrigin(this, AutoSizeWanted(), m_align);
}

QSize TCheckBoxEx::sizeHint() const
{
    const QSize base = QCheckBox::sizeHint();
    if (!m_autoSize) return base;
    return ApplyAutoSize(base, AutoSizeWanted(), m_align);
}

void TCheckBoxEx::changeEvent(QEvent* e)
{
    QCheckBox::changeEvent(e);
    if (e->type() == QEvent::FontChange) Invalidate();
}
