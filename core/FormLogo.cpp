#include "core/FormLogo.h"

#include "core/Session.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QProgressBar>
#include <QRegion>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

TFormLogo* FormLogo = nullptr;
QDateTime SplashShownAt;

namespace {

constexpr int SplashWidth = 480;
constexpr int SplashHeight = 300;
constexpr int CornerSize = 28; // the rounded corners' ellipse, as the splash always had
constexpr int SplashOpacity = 235;

QPixmap drawLogo(int width, int height)
{
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(width, height) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);

    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF r(0, 0, width, height);
    QLinearGradient bg(r.topLeft(), r.bottomRight());
    bg.setColorAt(0.0, QColor(0x1d, 0x4f, 0x8c));
    bg.setColorAt(1.0, QColor(0x2a, 0x9d, 0xc4));
    QPainterPath card;
    card.addRoundedRect(r, 12, 12);
    p.fillPath(card, bg);

    // Three arcs on the right: the link an operator sells.
    const QPointF centre(width - 58, height * 0.72);
    for (int i = 0; i < 3; ++i) {
        const qreal rad = 16 + i * 14;
        QPen pen(QColor(255, 255, 255, 200 - i * 50), 5, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawArc(QRectF(centre.x() - rad, centre.y() - rad, 2 * rad, 2 * rad), 45 * 16, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 5, 5);

    QFont big = p.font();
    big.setPixelSize(int(height * 0.42));
    big.setBold(true);
    p.setFont(big);
    const QFontMetricsF fm(big);
    const QString name = QStringLiteral("Orlix6");
    const QString ksef = QStringLiteral(" KSeF");
    const qreal baseline = height / 2.0 + fm.capHeight() / 2.0;
    p.setPen(Qt::white);
    p.drawText(QPointF(24, baseline), name);
    p.setPen(QColor(0xff, 0xd1, 0x66));
    p.drawText(QPointF(24 + fm.horizontalAdvance(name), baseline), ksef);
    p.end();
    return pm;
}

QLabel* makeLabel(QWidget* parent, const QString& name, int pointSize, const QColor& colour,
                  bool bold = false)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}

} // namespace

TFormLogo::TFormLogo(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormLogo"));
    setWindowTitle(QStringLiteral("Logo"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    buildUi();

    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(0, 0, SplashWidth, SplashHeight), CornerSize / 2.0, CornerSize / 2.0);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));

    SetAlphaBlendValue(SplashOpacity);
    SetAlphaBlend(true);

    WersjaProgramu->setText(ProgramVersion);
    FixedLine->setText(QStringLiteral("System obsługi operatora internetowego"));
    CzynnoscLabel->clear();
    Label1->clear();
}

TFormLogo::~TFormLogo()
{
    if (FormLogo == this) FormLogo = nullptr;
}

void TFormLogo::buildUi()
{
    setFixedSize(SplashWidth, SplashHeight);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("ThemedPanel1"));
    panel->setStyleSheet(QStringLiteral(
        "#ThemedPanel1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e8eff7);"
        " border: 1px solid #b4c4d6; border-radius: 14px; }"
        "QProgressBar { border: none; background: #d6e0eb; border-radius: 3px; }"
        "QProgressBar::chunk { background: #2a6fb0; border-radius: 3px; }"));
    outer->addWidget(panel);

    auto* box = new QVBoxLayout(panel);
    box->setContentsMargins(20, 20, 20, 16);
    box->setSpacing(8);

    Image1 = new QLabel(panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(drawLogo(SplashWidth - 40, 110));
    Image1->setAlignment(Qt::AlignCenter);
    box->addWidget(Image1);

    FixedLine = makeLabel(panel, QStringLiteral("FixedLine"), 11, QColor(0x33, 0x44, 0x55));
    FixedLine->setAlignment(Qt::AlignCenter);
    box->addWidget(FixedLine);
    box->addStretch(1);

    CzynnoscLabel = makeLabel(panel, QStringLiteral("CzynnoscLabel"), 10, QColor(0x1d, 0x2b, 0x3a));
    box->addWidget(CzynnoscLabel);

    Gauge1 = new QProgressBar(panel);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setTextVisible(false);
    Gauge1->setFixedHeight(8);
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    box->addWidget(Gauge1);

    auto* bottom = new QHBoxLayout;
    Label1 = makeLabel(panel, QStringLiteral("Label1"), 9, QColor(0xa0, 0x30, 0x30), true);
    WersjaProgramu = makeLabel(panel, QStringLiteral("WersjaProgramu"), 9, QColor(0x66, 0x77, 0x88));
    WersjaProgramu->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bottom->addWidget(Label1, 1);
    bottom->addWidget(WersjaProgramu);
    box->addLayout(bottom);
}

void TFormLogo::SetStepText(const QString& text)
{
    CzynnoscLabel->setText(text);
    m_history.append(text);
    // Start-up blocks the event loop between steps; paint now so the operator sees progress.
    if (isVisible()) {
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void TFormLogo::Begin(int steps)
{
    if (Label1) Label1->setVisible(true);
    if (Gauge1) Gauge1->setVisible(true);
    show();
    repaint();
    SetProgressMax(steps);
}

int TFormLogo::GetProgressMax() const
{
    return Gauge1->maximum();
}

void TFormLogo::SetProgressMax(int max)
{
    // A smaller maximum pulls the gauge back to it; QProgressBar alone would reset it.
    const int current = Progress();
    Gauge1->setRange(0, max);
    Gauge1->setValue(std::clamp(current, 0, std::max(max, 0)));
}

void TFormLogo::StepProgress(const QString& text)
{
    SetStepText(text);
    // The gauge stops at its maximum (QProgressBar ignores values out of range).
    Gauge1->setValue(std::min(Progress() + 1, Gauge1->maximum()));
    if (isVisible()) Gauge1->repaint();
}

int TFormLogo::Progress() const
{
    return std::max(Gauge1->value(), Gauge1->minimum());
}

void TFormLogo::showEvent(QShowEvent* e)
{
    SplashShownAt = QDateTime::currentDateTime();
    SetDropShadow(true);
    SetAlphaBlendValue(SplashOpacity);
    SetAlphaBlend(true);
    DpiScale = logicalDpiX() / 96.0;
    TFormEx::showEvent(e);
}
