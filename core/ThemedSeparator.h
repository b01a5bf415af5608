#pragma once
// A thin line between toolbar items or between stacked areas.
#include "core/ThemedPanel.h"

#include <QWidget>

// Scoped: the panel's images share some of these names with other values.
enum class TThemedSeparatorImage
{
    tpiStatusSeparator = 0,   // between items side by side
    tpiToolbarSeparator = 1,  // between items side by side
    tpiToolbarVSeparator = 2, // between stacked items
    tpiProgListSeparator = 3,
    tpiPlacesListSeparator = 4,
    tpiSimpleHorizontal = 5, // a vertical line between items side by side
    tpiSimpleVertical = 6,   // a horizontal line between stacked items
    tpiNone = 7
};

// Size the separator takes when AutoSize is on: the changed dimension only; the
// other one keeps its value from Current.
QSize SeparatorAutoSize(TThemedSeparatorImage image, int margin, TAlign align, const QSize& current);

class TThemedSeparator : public QWidget
{
    Q_OBJECT
public:
    explicit TThemedSeparator(QWidget* parent = nullptr);

    TThemedSeparatorImage ThemedImage() const { return m_image; }
    void SetThemedImage(TThemedSeparatorImage image);
    int Margin() const { return m_margin; }
    void SetMargin(int margin);
    int Oversize() const { return m_oversize; }
    void SetOversize(int oversize);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);

    // Re-applies the auto-size rule (the control's invalidate).
    void Invalidate();
    // Side-by-side kinds draw a vertical line.
    bool IsVerticalLine() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TThemedSeparatorImage m_image = TThemedSeparatorImage::tpiToolbarSeparator;
    int m_margin = 2;
    int m_oversize = 0;
    bool m_autoSize = false;
    TAlign m_align = alNone;
};
