#include "core/ThemedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <stdexcept>

TThemedLabel::TThemedLabel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

TThemedLabel::TThemedLabel(const QString& caption, QWidget* parent) : TThemedLabel(parent)
{
    SetCaption(caption);
}

void TThemedLabel::SetCaption(const QString& caption)
{
    m_caption = caption;
    m_showHint = true;
    setToolTip(caption);
    updateGeometry();
    update();
}

void TThemedLabel::SetThemedLabelStyle(TThemedLabelStyle style)
{
    m_style = style;
    update();
}

void TThemedLabel::SetEllipsis(TTLEllipsis ellipsis)
{
    m_ellipsis = ellipsis;
    update();
}

void TThemedLabel::SetAutoHint(bool on)
{
    m_autoHint = on;
    if (on) setToolTip(m_caption);
}

void TThemedLabel::SetShowAccelChar(bool on)
{
    m_showAccel = on;
    update();
}

void TThemedLabel::SetAlignment(Qt::Alignment a)
{
    m_alignment = a;
    update();
}

void TThemedLabel::SetWordWrap(bool on)
{
    m_wordWrap = on;
    updateGeometry();
    update();
}

const char* TThemedLabel::ThemeClassOf(TThemedLabelStyle style)
{
    if (style == tlsGroupBox) return "GROUPBOX";
    throw std::logic_error("TThemedLabel.GetThemeDetails() >> unknown ThemedLabelStyle!");
}

QString TThemedLabel::measuredText() const
{
    // An empty text, or a lone "&" that would vanish as an accelerator, still takes a line.
    if (m_caption.isEmpty() || (m_showAccel && m_caption == QLatin1String("&")))
        return m_caption + QLatin1Char(' ');
    return m_caption;
}

QString TThemedLabel::DisplayText(int width) const
{
    QString text = m_caption;
    if (m_showAccel) {
        // "&&" is a literal ampersand, a single "&" marks the accelerator.
        text.replace(QLatin1String("&&"), QString(QChar(0x1)));
        text.remove(QLatin1Char('&'));
        text.replace(QChar(0x1), QLatin1Char('&'));
    }
    const QFontMetrics fm(font());
    switch (m_ellipsis) {
    case tlePath:
        return fm.elidedText(text, Qt::ElideMiddle, width);
    case tleEnd:
    case tleWord:
        return fm.elidedText(text, Qt::ElideRight, width);
    case tleNone:
        break;
    }
    return text;
}

QSize TThemedLabel::sizeHint() const
{
    const QFontMetrics fm(font());
    const QString t = measuredText();
    if (m_wordWrap) return fm.boundingRect(QRect(0, 0, 300, 10000), Qt::TextWordWrap, t).size();
    return QSize(fm.horizontalAdvance(t), fm.height());
}

QSize TThemedLabel::minimumSizeHint() const
{
    const QFontMetrics fm(font());
    if (m_ellipsis != tleNone) return QSize(fm.horizontalAdvance(QStringLiteral("...")), fm.height());
    return sizeHint();
}

void TThemedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QString text = DisplayText(width());
    int flags = int(m_alignment);
    if (m_wordWrap && m_ellipsis == tleNone) flags |= Qt::TextWordWrap;
    const QPalette& pal = palette();
    if (!isEnabled()) {
        // Embossed: highlight one pixel right and down, then the shadow in place.
        p.setPen(pal.color(QPalette::Light));
        p.drawText(rect().translated(1, 1), flags, text);
        p.setPen(pal.color(QPalette::Mid));
        p.drawText(rect(), flags, text);
        return;
    }
    if (m_style == tlsGroupBox) {
        // The group box caption colour of the desktop theme.
        p.setPen(pal.color(QPalette::Highlight).darker(130));
    } else {
        p.setPen(pal.color(QPalette::WindowText));
    }
    p.drawText(rect(), flags, text);
}

bool TThemedLabel::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && !m_showHint) return true;
    return QWidget::event(e);
}
