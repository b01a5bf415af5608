#include "core/ThemedSeparator.h"

#include <QPainter>

QSize SeparatorAutoSize(TThemedSeparatorImage image, int margin, TAlign align, const QSize& current)
{
    QSize s = current;
    const bool widthFree = align == alNone || align == alLeft || align == alRight;
    const bool heightFree = align == alNone || align == alTop || align == alBottom;
    switch (image) {
    case TThemedSeparatorImage::tpiStatusSeparator:
    case TThemedSeparatorImage::tpiToolbarSeparator:
        if (widthFree) s.setWidth(2 * margin + 4);
        break;
    case TThemedSeparatorImage::tpiToolbarVSeparator:
    case TThemedSeparatorImage::tpiProgListSeparator:
    case TThemedSeparatorImage::tpiPlacesListSeparator:
        if (heightFree) s.setHeight(2 * margin + 6);
        break;
    case TThemedSeparatorImage::tpiSimpleHorizontal:
        s.setWidth(2 * margin + 2);
        break;
    case TThemedSeparatorImage::tpiSimpleVertical:
        s.setHeight(2 * margin + 2);
        break;
    case TThemedSeparatorImage::tpiNone:
        break;
    }
    return s;
}

TThemedSeparator::TThemedSeparator(QWidget* parent) : QWidget(parent)
{
    setGeometry(10, 10, 10, 10);
}

bool TThemedSeparator::IsVerticalLine() const
{
    return m_image == TThemedSeparatorImage::tpiStatusSeparator ||
           m_image == TThemedSeparatorImage::tpiToolbarSeparator ||
           m_image == TThemedSeparatorImage::tpiSimpleHorizontal;
}

void TThemedSeparator::SetThemedImage(TThemedSeparatorImage image)
{
    m_image = image;
    Invalidate();
}

void TThemedSeparator::SetMargin(int margin)
{
    m_margin = margin;
    Invalidate();
}

void TThemedSeparator::SetOversize(int oversize)
{
    m_oversize = oversize;
    update();
}

void TThemedSeparator::SetAutoSize(bool on)
{
    m_autoSize = on;
    Invalidate();
}

void TThemedSeparator::SetAlign(TAlign align)
{
    m_align = align;
    Invalidate();
}

void TThemedSeparator::Invalidate()
{
    update();
    if (!m_autoSize) return;
    const QSize want = SeparatorAutoSize(m_image, m_margin, m_align, size());
    if (want != size()) resize(want);
    // In a layout the free dimension is fixed, the other one follows the layout.
    if (IsVerticalLine()) {
        setFixedWidth(want.width());
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    } else if (m_image != TThemedSeparatorImage::tpiNone) {
        setFixedHeight(want.height());
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    updateGeometry();
}

QSize TThemedSeparator::sizeHint() const
{
    return SeparatorAutoSize(m_image, m_margin, alNone, QSize(10, 10));
}

void TThemedSeparator::paintEvent(QPaintEvent*)
{
    if (m_image == TThemedSeparatorImage::tpiNone) return;
    QPainter p(this);
    const QColor shadow = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    if (IsVerticalLine()) {
        // An etched line two pixels wide, longer by Oversize above and twice below.
        const int x = width() / 2 - 1;
        const int top = -m_oversize + m_margin;
        const int bottom = height() - 1 + 2 * m_oversize - m_margin;
        p.setPen(shadow);
        p.drawLine(x, top, x, bottom);
        p.setPen(light);
        p.drawLine(x + 1, top, x + 1, bottom);
    } else {
        const int y = height() / 2 - 1;
        const int left = -m_oversize + m_margin;
        const int right = width() - 1 + 2 * m_oversize - m_margin;
        p.setPen(shadow);
        p.drawLine(left, y, right, y);
        p.setPen(light);
        p.drawLine(left, y + 1, right, y + 1);
    }
}
