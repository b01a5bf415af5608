#include "core/ThemedPanel.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <cstdlib>

void TThemedPanelPadding::SetValue(int index, int value)
{
    if (index < 0 || index > 3) return;
    if (m_values[index] == value) return;
    m_values[index] = value;
    changed();
}

void TThemedPanelPadding::Assign(const TThemedPanelPadding& other)
{
    for (int i = 0; i < 4; ++i)
        m_values[i] = other.m_values[i];
    changed();
}

void TThemedPanelPadding::ScaleBy(int m, int d)
{
    for (int& v : m_values)
        v = MulDiv(v, m, d);
    changed();
}

int MulDiv(int a, int b, int c)
{
    if (c == 0) return -1;
    const long long num = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (num < 0) != (c < 0);
    const long long q = (std::llabs(num) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -q : q);
}

TThemedPanel::TThemedPanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    m_padding.OnChange = [this] { updateMargins(); };
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TThemedPanel::SetThemedImage(TThemedPanelImage image)
{
    if (m_image == image) return;
    m_image = image;
    update();
}

void TThemedPanel::SetShowBevelInXP(bool on)
{
    if (m_showBevel == on) return;
    m_showBevel = on;
    update();
}

void TThemedPanel::SetBevelOuter(TBevelCut b)
{
    m_bevelOuter = b;
    updateMargins();
}

void TThemedPanel::SetBevelInner(TBevelCut b)
{
    m_bevelInner = b;
    updateMargins();
}

void TThemedPanel::SetBevelWidth(int w)
{
    m_bevelWidth = w < 1 ? 1 : w;
    updateMargins();
}

void TThemedPanel::SetBorderWidth(int w)
{
    m_borderWidth = w < 0 ? 0 : w;
    updateMargins();
}

QColor TThemedPanel::Color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Window);
}

void TThemedPanel::SetColor(const QColor& c)
{
    m_color = c;
    m_parentColor = false;
    update();
}

void TThemedPanel::SetParentColor(bool on)
{
    m_parentColor = on;
    update();
}

void TThemedPanel::ScaleBy(int m, int d)
{
    m_padding.ScaleBy(m, d);
}

void TThemedPanel::updateMargins()
{
    int frame = m_borderWidth;
    if (m_bevelOuter != bvNone) frame += m_bevelWidth;
    if (m_bevelInner != bvNone) frame += m_bevelWidth;
    const QMargins extra = extraMargins();
    setContentsMargins(frame + m_padding.Left() + extra.left(), frame + m_padding.Top() + extra.top(),
                       frame + m_padding.Right() + extra.right(),
                       frame + m_padding.Bottom() + extra.bottom());
    update();
}

QRect TThemedPanel::AlignRect() const
{
    return contentsRect();
}

void DrawBevel(QPainter& p, QRect& r, TBevelCut cut, int width, const QColor& shadow, const QColor& highlight)
{
    if (cut == bvNone) return;
    if (cut != bvSpace) {
        const QColor topLeft = cut == bvLowered ? shadow : highlight;
        const QColor bottomRight = cut == bvLowered ? highlight : shadow;
        for (int i = 0; i < width; ++i) {
            const QRect f = r.adjusted(i, i, -i, -i);
            p.setPen(topLeft);
            p.drawLine(f.topLeft(), f.topRight());
            p.drawLine(f.topLeft(), f.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(f.bottomLeft(), f.bottomRight());
            p.drawLine(f.topRight(), f.bottomRight());
        }
    }
    r.adjust(width, width, -width, -width);
}

void TThemedPanel::paintPanel(QPainter& p, const QRect& rect)
{
    const QColor base = Color();
    const QPalette& pal = palette();
    QColor parentColor = parentWidget() ? parentWidget()->palette().color(QPalette::Window) : QColor();
    switch (m_image) {
    case tpiSolid:
        p.fillRect(rect, base);
        break;
    case tpiNone:
        // Transparent unless the panel has a colour of its own that differs from the parent's.
        if (!parentWidget() || (!m_parentColor && m_color.isValid() && parentColor != m_color))
            p.fillRect(rect, base);
        break;
    case tpiRebar:
    case tpiToolbar: {
        QLinearGradient g(rect.topLeft(), rect.bottomLeft());
        g.setColorAt(0, base.lighter(m_image == tpiRebar ? 106 : 104));
        g.setColorAt(1, base.darker(m_image == tpiRebar ? 104 : 102));
        p.fillRect(rect, g);
        break;
    }
    case tpiStatus:
    case tpiStatusSeparator:
        p.fillRect(rect, base);
        p.setPen(pal.color(QPalette::Mid));
        if (m_image == tpiStatus)
            p.drawLine(rect.topLeft(), rect.topRight());
        else
            p.drawRect(rect.adjusted(0, 0, -1, -1));
        break;
    case tpiExploredBarRoot:
    case tpiExploredBarBackgroundNormal:
    case tpiExploredBarNormalGroupBackground:
    case tpiExploredBarSpecialGroupBackground:
    case tpiExploredBarSpecialGroupHead: {
        const QColor accent = pal.color(QPalette::Highlight);
        const int mix = m_image == tpiExploredBarSpecialGroupHead ? 60 : 12;
        const QColor tint((accent.red() * mix + base.red() * (100 - mix)) / 100,
                          (accent.green() * mix + base.green() * (100 - mix)) / 100,
                          (accent.blue() * mix + base.blue() * (100 - mix)) / 100);
        QLinearGradient g(rect.topLeft(), rect.bottomLeft());
        g.setColorAt(0, tint.lighter(105));
        g.setColorAt(1, tint);
        p.fillRect(rect, g);
        break;
    }
    }
    if (m_showBevel) {
        QRect r = rect;
        const QColor shadow = pal.color(QPalette::Mid);
        const QColor light = pal.color(QPalette::Light);
        DrawBevel(p, r, m_bevelOuter, m_bevelWidth, shadow, light);
        r.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
        DrawBevel(p, r, m_bevelInner, m_bevelWidth, shadow, light);
    }
}

void TThemedPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintPanel(p, rect());
}
