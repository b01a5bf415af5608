#pragma once
// A label that shortens its text with an ellipsis and shows the whole text as
// its hint; in group-box style it is drawn like a group box's caption.
#include <QWidget>

enum TThemedLabelStyle
{
    tlsGroupBox = 0,
    tlsNone = 1
};
enum TTLEllipsis
{
    tlePath = 0,
    tleEnd = 1,
    tleWord = 2,
    tleNone = 3
};

class TThemedLabel : public QWidget
{
    Q_OBJECT
public:
    explicit TThemedLabel(QWidget* parent = nullptr);
    explicit TThemedLabel(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    // Every text change turns the hint on and makes it the text, whatever AutoHint says.
    void SetCaption(const QString& caption);
    TThemedLabelStyle ThemedLabelStyle() const { return m_style; }
    void SetThemedLabelStyle(TThemedLabelStyle style);
    TTLEllipsis Ellipsis() const { return m_ellipsis; }
    void SetEllipsis(TTLEllipsis ellipsis);
    bool AutoHint() const { return m_autoHint; }
    void SetAutoHint(bool on);
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool on) { m_showHint = on; }
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }
    bool ShowAccelChar() const { return m_showAccel; }
    void SetShowAccelChar(bool on);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment a);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool on);

    // The text as drawn in Width pixels with the label's ellipsis rule.
    QString DisplayText(int width) const;
    // The theme part of a style: "GROUPBOX" for the group box; any other
    // style is a programming error and raises.
    static const char* ThemeClassOf(TThemedLabelStyle style);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;

private:
    QString measuredText() const;
    QString m_caption;
    TThemedLabelStyle m_style = tlsNone;
    TTLEllipsis m_ellipsis = tleNone;
    bool m_autoHint = true;
    bool m_showHint = false;
    bool m_showAccel = true;
    bool m_wordWrap = false;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};
