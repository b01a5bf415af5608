#include "core/GripPanel.h"

#include <QBitmap>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <climits>

// ---------------------------------------------------------------- TGripPanel

TGripPanel::TGripPanel(QWidget* parent) : TThemedPanel(parent)
{
    SetThemedImage(tpiNone);
    setMouseTracking(true);
    updateMargins();
    m_restoreSize = Size();
}

void TGripPanel::SetAlign(TAlign align)
{
    m_align = align;
    m_restoreSize = Size();
    updateMargins();
    if (vertical())
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    else if (edgeAligned())
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void TGripPanel::SetGripSize(int size)
{
    m_gripSize = std::max(0, size);
    updateMargins();
}

void TGripPanel::SetMinSize(int size)
{
    m_minSize = std::max(0, size);
    if (!Collapsed()) SetSize(std::max(Size(), m_minSize + m_gripSize));
    afterSizing();
}

int TGripPanel::Size() const
{
    if (vertical()) return height();
    if (m_align == alLeft || m_align == alRight) return width();
    return 0;
}

bool TGripPanel::Collapsed() const
{
    return edgeAligned() && Size() < m_gripSize + m_minSize;
}

QMargins TGripPanel::extraMargins() const
{
    switch (m_align) {
    case alTop:
        return QMargins(0, 0, 0, m_gripSize);
    case alBottom:
        return QMargins(0, m_gripSize, 0, 0);
    case alLeft:
        return QMargins(0, 0, m_gripSize, 0);
    case alRight:
        return QMargins(m_gripSize, 0, 0, 0);
    default:
        return {};
    }
}

QRect TGripPanel::GripRect() const
{
    const int g = m_gripSize;
    switch (m_align) {
    case alTop:
        return QRect(0, height() - g, width(), g);
    case alBottom:
        return QRect(0, 0, width(), g);
    case alLeft:
        return QRect(width() - g, 0, g, height());
    case alRight:
        return QRect(0, 0, g, height());
    default:
        return {};
    }
}

int TGripPanel::LargestSize() const
{
    QWidget* parent = parentWidget();
    if (!parent || !edgeAligned()) return Size();
    const bool v = vertical();
    const QRect client = parent->contentsRect();
    int avail = v ? client.height() : client.width();
    if (QLayout* layout = parent->layout()) {
        const QMargins m = layout->contentsMargins();
        avail -= v ? m.top() + m.bottom() : m.left() + m.right();
        int shown = 0;
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem* item = layout->itemAt(i);
            QWidget* w = item->widget();
            if (w && w->isHidden()) continue;
            ++shown;
            if (w == this) continue;
            if (!w) {
                const QSize mn = item->minimumSize();
                avail -= v ? mn.height() : mn.width();
                continue;
            }
            // Neighbours of fixed size keep their size, stretching ones give way down to their minimum.
            bool fixed = (v ? w->sizePolicy().verticalPolicy() : w->sizePolicy().horizontalPolicy()) ==
                         QSizePolicy::Fixed;
            if (auto* g = qobject_cast<const TGripPanel*>(w); g && g->edgeAligned() && g->vertical() == v)
                fixed = true;
            if (fixed) {
                avail -= v ? w->height() : w->width();
            } else {
                const QSize hint = w->minimumSizeHint().expandedTo(QSize(0, 0));
                const QSize mn = w->minimumSize();
                avail -= v ? std::max(mn.height(), hint.height()) : std::max(mn.width(), hint.width());
            }
        }
        const int spacing = layout->spacing() > 0 ? layout->spacing() : 0;
        avail -= spacing * std::max(0, shown - 1);
    }
    if (m_maxSize > 0) avail = std::min(avail, m_maxSize);
    return avail;
}

void TGripPanel::holdChildrenOpen(bool collapsed)
{
    if (collapsed) {
        // Children must not hold a folded panel open; their minimums come back on opening.
        if (!m_saved.empty()) return;
        for (QWidget* w : findChildren<QWidget*>()) {
            m_saved.push_back({w, w->minimumSize()});
            w->setMinimumSize(0, 0);
        }
    } else {
        for (const SavedMinimum& s : m_saved)
            if (s.control) s.control->setMinimumSize(s.minimum);
        m_saved.clear();
    }
}

void TGripPanel::SetSize(int size)
{
    // Before the parent is on screen its size means nothing yet (the form is still being built).
    if (parentWidget() && parentWidget()->isVisible()) {
        const int largest = LargestSize();
        if (size > largest && largest >= m_gripSize) size = largest;
    }
    if (size < m_minSize + m_gripSize) size = m_gripSize;
    if (size == 0) return;
    holdChildrenOpen(size < m_minSize + m_gripSize);
    if (size == Size()) return;
    const QRect g = geometry();
    setUpdatesEnabled(false);
    switch (m_align) {
    case alTop:
        setFixedHeight(size);
        break;
    case alBottom:
        setFixedHeight(size);
        move(g.x(), g.bottom() + 1 - size); // the bottom edge stays
        break;
    case alLeft:
        setFixedWidth(size);
        break;
    case alRight:
        setFixedWidth(size);
        move(g.right() + 1 - size, g.y()); // the right edge stays
        break;
    default:
        break;
    }
    setUpdatesEnabled(true);
    if (parentWidget()) parentWidget()->update();
}

void TGripPanel::afterSizing()
{
    if (OnAfterSizing) OnAfterSizing(this, Size());
}

void TGripPanel::Collapse()
{
    if (Collapsed()) return;
    m_restoreSize = Size();
    SetSize(m_gripSize);
    afterSizing();
}

void TGripPanel::Expand()
{
    if (!Collapsed()) return;
    m_restoreSize = std::max(m_restoreSize, m_gripSize + m_minSize + 1);
    SetSize(m_restoreSize);
    afterSizing();
}

void TGripPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintPanel(p, rect());
    const QRect strip = GripRect();
    if (strip.isEmpty()) return;
    // The classic grip: a 3 x 3 dot tile every 4 pixels.
    const QColor face = Color();
    QPixmap tile(4, 4);
    tile.fill(face);
    {
        QPainter t(&tile);
        const QColor shadow = palette().color(QPalette::Mid);
        const QColor light = palette().color(QPalette::Light);
        const struct
        {
            int x, y;
            const QColor* c;
        } dots[] = {{0, 0, &shadow}, {1, 0, &shadow}, {0, 1, &shadow}, {0, 2, &face}, {1, 1, &face},
                    {2, 0, &face},   {1, 2, &light},  {2, 2, &light},  {2, 1, &light}};
        for (const auto& d : dots) {
            t.setPen(*d.c);
            t.drawPoint(d.x, d.y);
        }
    }
    p.fillRect(strip, face);
    p.drawTiledPixmap(strip, tile);
}

void TGripPanel::updateCursor(const QPoint& pos)
{
    if (GripRect().contains(pos))
        setCursor(vertical() ? Qt::SplitVCursor : Qt::SplitHCursor);
    else
        unsetCursor();
}

void TGripPanel::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && GripRect().contains(e->position().toPoint())) {
        m_sizing = true;
        m_startPos = e->globalPosition().toPoint();
        m_startSize = Size();
        m_dragMax = LargestSize();
        e->accept();
        return;
    }
    TThemedPanel::mousePressEvent(e);
}

void TGripPanel::mouseMoveEvent(QMouseEvent* e)
{
    if (m_sizing && (e->buttons() & Qt::LeftButton)) {
        const QPoint d = e->globalPosition().toPoint() - m_startPos;
        int delta = 0;
        switch (m_align) {
        case alTop:
            delta = d.y();
            break;
        case alBottom:
            delta = -d.y();
            break;
        case alLeft:
            delta = d.x();
            break;
        case alRight:
            delta = -d.x();
            break;
        default:
            break;
        }
        SetSize(std::min(m_dragMax, m_startSize + delta));
        e->accept();
        return;
    }
    updateCursor(e->position().toPoint());
    TThemedPanel::mouseMoveEvent(e);
}

void TGripPanel::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_sizing && e->button() == Qt::LeftButton) {
        m_sizing = false;
        const bool changed = Size() != m_startSize;
        if (changed) m_restoreSize = Collapsed() ? m_startSize : Size();
        if (changed) afterSizing();
        e->accept();
        return;
    }
    TThemedPanel::mouseReleaseEvent(e);
}

void TGripPanel::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && GripRect().contains(e->position().toPoint())) {
        m_sizing = false;
        if (Collapsed())
            Expand();
        else
            Collapse();
        e->accept();
        return;
    }
    TThemedPanel::mouseDoubleClickEvent(e);
}

void TGripPanel::leaveEvent(QEvent* e)
{
    if (!m_sizing) unsetCursor();
    TThemedPanel::leaveEvent(e);
}

// ---------------------------------------------------------------- size grips

int PanelGripOffset(TOffsetMode mode, TBevelCut bevelInner, TBevelCut bevelOuter, int bevelWidth,
                    int borderWidth)
{
    if (mode == omFrame) return 0;
    int d = 0;
    if (bevelInner != bvNone) d += bevelWidth;
    if (mode == omInside || mode == omBorderAndBevel) d += borderWidth;
    if (mode == omInside && bevelOuter != bvNone) d += bevelWidth;
    return d;
}

TSizeGripBase::TSizeGripBase(QWidget* parent) : QWidget(parent)
{
    setFixedSize(14, 14);
    setCursor(Qt::SizeFDiagCursor);
    setFocusPolicy(Qt::NoFocus);
    // The grip is a triangle: bottom-right, bottom-left, top-right.
    setMask(QRegion(QPolygon({QPoint(14, 14), QPoint(0, 14), QPoint(14, 0)})));
}

void TSizeGripBase::attach(QWidget* host)
{
    if (!host) return;
    if (m_host && m_host != host) m_host->removeEventFilter(this);
    if (parentWidget() != host) {
        setParent(host);
        show();
    }
    if (m_host != host) {
        m_host = host;
        host->installEventFilter(this);
    }
    Place();
}

void TSizeGripBase::Place()
{
    QWidget* p = parentWidget();
    if (!p) return;
    const int d = cornerOffset();
    move(p->width() - width() - d, p->height() - height() - d);
    raise();
}

bool TSizeGripBase::eventFilter(QObject* o, QEvent* e)
{
    if (o == m_host && (e->type() == QEvent::Resize || e->type() == QEvent::LayoutRequest)) Place();
    if (o == m_host && e->type() == QEvent::ChildAdded) raise();
    return QWidget::eventFilter(o, e);
}

void TSizeGripBase::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionSizeGrip opt;
    opt.initFrom(this);
    opt.corner = Qt::BottomRightCorner;
    style()->drawControl(QStyle::CE_SizeGrip, &opt, &p, this);
}

void TSizeGripBase::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !parentWidget()) return QWidget::mousePressEvent(e);
    m_dragging = true;
    m_startPos = e->globalPosition().toPoint();
    m_startSize = parentWidget()->size();
    e->accept();
}

void TSizeGripBase::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_dragging || !(e->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(e);
    const QPoint d = e->globalPosition().toPoint() - m_startPos;
    resizeTarget(m_startSize + QSize(d.x(), d.y()));
    e->accept();
}

void TSizeGripBase::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) m_dragging = false;
    QWidget::mouseReleaseEvent(e);
}

namespace {

QWidget* formOf(QWidget* w)
{
    return w ? w->window() : nullptr;
}

QWidget* panelOf(QWidget* w)
{
    for (QWidget* p = w; p; p = p->parentWidget())
        if (qobject_cast<TThemedPanel*>(p)) return p;
    return nullptr;
}

} // namespace

TFrameSizeGrip::TFrameSizeGrip(QWidget* parent) : TSizeGripBase(parent)
{
    attach(formOf(parent));
}

void TFrameSizeGrip::SetOffset(int offset)
{
    m_offset = offset;
    Place();
}

void TFrameSizeGrip::resizeTarget(const QSize& newSize)
{
    // resize() keeps the window within its minimum and maximum sizes.
    if (parentWidget()) parentWidget()->resize(newSize);
    Place();
}

bool TFrameSizeGrip::event(QEvent* e)
{
    if (e->type() == QEvent::ParentChange && parentWidget() && parentWidget() != formOf(parentWidget()))
        attach(formOf(parentWidget()));
    return TSizeGripBase::event(e);
}

TPanelSizeGrip::TPanelSizeGrip(QWidget* parent) : TSizeGripBase(parent)
{
    attach(panelOf(parent));
}

void TPanelSizeGrip::SetOffsetMode(TOffsetMode mode)
{
    m_mode = mode;
    Place();
}

int TPanelSizeGrip::cornerOffset() const
{
    auto* panel = qobject_cast<const TThemedPanel*>(parentWidget());
    if (!panel) return 0;
    return PanelGripOffset(m_mode, panel->BevelInner(), panel->BevelOuter(), panel->BevelWidth(),
                           panel->BorderWidth());
}

void TPanelSizeGrip::resizeTarget(const QSize& wanted)
{
    QWidget* p = parentWidget();
    if (!p) return;
    QSize s = wanted;
    // Only the panel's non-zero limits bound the new size.
    const QSize mn = p->minimumSize();
    const QSize mx = p->maximumSize();
    if (mn.width() > 0) s.setWidth(std::max(s.width(), mn.width()));
    if (mn.height() > 0) s.setHeight(std::max(s.height(), mn.height()));
    if (mx.width() < QWIDGETSIZE_MAX) s.setWidth(std::min(s.width(), mx.width()));
    if (mx.height() < QWIDGETSIZE_MAX) s.setHeight(std::min(s.height(), mx.height()));
    if (s == p->size()) return;
    p->resize(s);
    Place();
    if (QWidget* pp = p->parentWidget()) pp->update();
}

bool TPanelSizeGrip::event(QEvent* e)
{
    if (e->type() == QEvent::ParentChange && parentWidget() && !qobject_cast<TThemedPanel*>(parentWidget()))
        attach(panelOf(parentWidget()));
    return TSizeGripBase::event(e);
}
