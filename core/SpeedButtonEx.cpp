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

namespace {

QSize textExtent(const QWidget* w, const QString& caption)
{
    if (caption.isEmpty()) return QSize(0, 0);
    QString t = caption;
    t.remove(QLatin1Char('&'));
    const QFontMetrics fm(w->font());
    return QSize(fm.horizontalAdvance(t), fm.height());
}

// Changes the size keeping Left and Top, as the rule says.
void resizeKeepingOrigin(QWidget* w, const QSize& wanted, TAlign align)
{
    const QSize s = ApplyAutoSize(w->size(), wanted, align);
    if (s != w->size()) w->setGeometry(QRect(w->pos(), s));
    w->updateGeometry();
}

} // namespace

// ---------------------------------------------------------------- TAutoSized

template <class Control> void TAutoSized<Control>::SetCaption(const QString& caption)
{
    this->setText(caption);
    LookChanged();
    Invalidate();
}

template <class Control> void TAutoSized<Control>::SetAutoSize(bool on)
{
    m_autoSize = on;
    Invalidate();
}

template <class Control> void TAutoSized<Control>::SetAlign(TAlign align)
{
    m_align = align;
    Invalidate();
}

template <class Control> void TAutoSized<Control>::Invalidate()
{
    this->update();
    if (m_autoSize) resizeKeepingOrigin(this, AutoSizeWanted(), m_align);
}

template <class Control> QSize TAutoSized<Control>::sizeHint() const
{
    const QSize base = Control::sizeHint();
    if (!m_autoSize) return base;
    return ApplyAutoSize(base, AutoSizeWanted(), m_align);
}

// ---------------------------------------------------------------- TAutoSizeButton

template <class Control> void TAutoSizeButton<Control>::SetAutoSizeInflateWidth(int v)
{
    if (m_inflateWidth == v) return;
    m_inflateWidth = v;
    this->Invalidate();
}

template <class Control> void TAutoSizeButton<Control>::SetAutoSizeInflateHeight(int v)
{
    if (m_inflateHeight == v) return;
    m_inflateHeight = v;
    this->Invalidate();
}

template <class Control> void TAutoSizeButton<Control>::SetLayout(TButtonLayout layout)
{
    m_layout = layout;
    this->LookChanged();
    this->Invalidate();
}

template <class Control> void TAutoSizeButton<Control>::SetMargin(int v)
{
    m_margin = v;
    this->Invalidate();
}

template <class Control> void TAutoSizeButton<Control>::SetSpacing(int v)
{
    m_spacing = v;
    this->Invalidate();
}

template <class Control> QSize TAutoSizeButton<Control>::GlyphSize() const
{
    if (m_glyph.isNull()) return QSize(0, 0);
    return QSize(m_glyph.width() / std::max(1, m_numGlyphs), m_glyph.height());
}

template <class Control> void TAutoSizeButton<Control>::SetGlyph(const QPixmap& glyph, int numGlyphs)
{
    m_glyph = glyph;
    m_numGlyphs = std::max(1, numGlyphs);
    const QSize g = GlyphSize();
    const QPixmap first = m_glyph.isNull() ? QPixmap() : m_glyph.copy(0, 0, g.width(), g.height());
    this->setIcon(first.isNull() ? QIcon() : QIcon(first));
    if (!first.isNull()) this->setIconSize(first.size());
    this->LookChanged();
    this->Invalidate();
}

template <class Control> QSize TAutoSizeButton<Control>::AutoSizeWanted() const
{
    TButtonMeasure m;
    m.Text = textExtent(this, this->text());
    m.Glyph = GlyphSize();
    m.Base = FrameBase();
    m.InflateWidth = m_inflateWidth;
    m.InflateHeight = m_inflateHeight;
    m.Layout = m_layout;
    m.Margin = m_margin;
    m.Spacing = m_spacing;
    return ButtonAutoSize(m);
}

template class TAutoSized<QToolButton>;
template class TAutoSized<QPushButton>;
template class TAutoSized<QCheckBox>;
template class TAutoSizeButton<QToolButton>;
template class TAutoSizeButton<QPushButton>;

// ---------------------------------------------------------------- TSpeedButtonEx

TSpeedButtonEx::TSpeedButtonEx(QWidget* parent) : TAutoSizeButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::TabFocus);
}

TSpeedButtonEx::TSpeedButtonEx(const QString& caption, QWidget* parent) : TSpeedButtonEx(parent)
{
    SetCaption(caption);
}

void TSpeedButtonEx::SetFlat(bool on)
{
    setAutoRaise(on);
    Invalidate();
}

QSize TSpeedButtonEx::FrameBase() const
{
    return autoRaise() ? QSize(8, 4) : QSize(10, 6);
}

void TSpeedButtonEx::LookChanged()
{
    if (Glyph().isNull())
        setToolButtonStyle(Qt::ToolButtonTextOnly);
    else if (text().isEmpty())
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    else
        setToolButtonStyle(Layout() == blGlyphTop || Layout() == blGlyphBottom
                               ? Qt::ToolButtonTextUnderIcon
                               : Qt::ToolButtonTextBesideIcon);
}

// ---------------------------------------------------------------- TBitBtnEx

TBitBtnEx::TBitBtnEx(QWidget* parent) : TAutoSizeButton(parent) {}

TBitBtnEx::TBitBtnEx(const QString& caption, QWidget* parent) : TBitBtnEx(parent)
{
    SetCaption(caption);
}

// ---------------------------------------------------------------- TCheckBoxEx

TCheckBoxEx::TCheckBoxEx(QWidget* parent) : TAutoSized(parent) {}

TCheckBoxEx::TCheckBoxEx(const QString& caption, QWidget* parent) : TCheckBoxEx(parent)
{
    SetCaption(caption);
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

void TCheckBoxEx::changeEvent(QEvent* e)
{
    QCheckBox::changeEvent(e);
    if (e->type() == QEvent::FontChange) Invalidate();
}
