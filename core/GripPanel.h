#pragma once
// Parts of a window the operator resizes with the mouse: a panel with a grip
// strip on its inner edge (drag to size it, double-click to fold it to the
// strip and open it again), and size grips for the corner of a window or panel.
#include "core/ThemedPanel.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class TGripPanel : public TThemedPanel
{
    Q_OBJECT
public:
    explicit TGripPanel(QWidget* parent = nullptr);

    // The edge the panel sits at in its parent; the strip lies on the opposite side.
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);
    int GripSize() const { return m_gripSize; }
    void SetGripSize(int size);
    int MinSize() const { return m_minSize; }
    void SetMinSize(int size);
    // Largest open size allowed besides what the parent leaves; 0 = none.
    int MaxSize() const { return m_maxSize; }
    void SetMaxSize(int size) { m_maxSize = size; }

    // Height for top/bottom alignment, width for left/right, 0 otherwise.
    int Size() const;
    void SetSize(int size);
    // Aligned to an edge and smaller than the strip plus MinSize.
    bool Collapsed() const;
    // The open size a double click returns to.
    int RestoreSize() const { return m_restoreSize; }
    // What the parent leaves for the panel (see the class comment).
    int LargestSize() const;

    // Folds to the strip / opens to the restore size; both tell OnAfterSizing.
    void Collapse();
    void Expand();

    // The strip in the panel's coordinates.
    QRect GripRect() const;
    bool Sizing() const { return m_sizing; }

    // After every size change made through the strip, a fold, an opening or a MinSize change.
    std::function<void(TGripPanel* sender, int newSize)> OnAfterSizing;

protected:
    QMargins extraMargins() const override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    bool vertical() const { return m_align == alTop || m_align == alBottom; }
    bool edgeAligned() const { return m_align != alNone && m_align != alClient; }
    void holdChildrenOpen(bool collapsed);
    void afterSizing();
    void updateCursor(const QPoint& pos);

    TAlign m_align = alTop;
    int m_gripSize = 7;
    int m_minSize = 50;
    int m_maxSize = 0;
    int m_restoreSize = 0;
    bool m_sizing = false;
    QPoint m_startPos;
    int m_startSize = 0;
    int m_dragMax = 0;
    struct SavedMinimum
    {
        QPointer<QWidget> control;
        QSize minimum;
    };
    std::vector<SavedMinimum> m_saved;
};

// Distance of a panel grip from its panel's corner.
enum TOffsetMode
{
    omInside = 0,
    omBorderAndBevel = 1,
    omBevel = 2,
    omFrame = 3
};
int PanelGripOffset(TOffsetMode mode, TBevelCut bevelInner, TBevelCut bevelOuter, int bevelWidth,
                    int borderWidth);

// Common part of the two grips: placing in the corner, the triangle, the drag.
class TSizeGripBase : public QWidget
{
    Q_OBJECT
public:
    explicit TSizeGripBase(QWidget* parent);
    // Puts itself into the parent's bottom-right corner and comes to the front.
    void Place();

protected:
    virtual int cornerOffset() const = 0;
    // The control being resized; nullptr while there is none.
    virtual void resizeTarget(const QSize& newSize) = 0;
    void attach(QWidget* host);
    bool eventFilter(QObject* o, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

    bool m_dragging = false;
    QPoint m_startPos;
    QSize m_startSize;
    QPointer<QWidget> m_host;
};

// The size grip of a window: moves itself to its window, resizes the window.
class TFrameSizeGrip : public TSizeGripBase
{
    Q_OBJECT
public:
    explicit TFrameSizeGrip(QWidget* parent);
    int Offset() const { return m_offset; }
    void SetOffset(int offset);

protected:
    int cornerOffset() const override { return m_offset; }
    void resizeTarget(const QSize& newSize) override;
    bool event(QEvent* e) override;

private:
    int m_offset = 0;
};

// The size grip of a themed panel: moves itself to the panel, resizes the panel.
class TPanelSizeGrip : public TSizeGripBase
{
    Q_OBJECT
public:
    explicit TPanelSizeGrip(QWidget* parent);
    TOffsetMode OffsetMode() const { return m_mode; }
    void SetOffsetMode(TOffsetMode mode);

protected:
    int cornerOffset() const override;
    void resizeTarget(const QSize& newSize) override;
    bool event(QEvent* e) override;

private:
    TOffsetMode m_mode = omInside;
};
