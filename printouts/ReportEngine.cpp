#include "printouts/ReportEngine.h"

#include "core/Funkcje.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <algorithm>
#include <cmath>

const QString ReportFontFamily = QStringLiteral("DejaVu Sans");

namespace {

constexpr double kUnitsPerMm = 100.0;

QRectF units(const QRectF& mm)
{
    return QRectF(mm.x() * kUnitsPerMm, mm.y() * kUnitsPerMm, mm.width() * kUnitsPerMm,
                  mm.height() * kUnitsPerMm);
}

int pointsToUnits(double points)
{
    return qMax(1, int(std::lround(points * 25.4 / 72.0 * kUnitsPerMm)));
}

// Rich text names its sizes in points, which the document would take at
// 96 dpi: bring them to the page unit.
void prepareRichText(QTextDocument& doc, const QString& html, const QFont& baseFont, double widthMm)
{
    doc.setDocumentMargin(0);
    doc.setDefaultFont(baseFont);
    doc.setHtml(html);
    PrepareRichDocument(doc, baseFont, widthMm);
}

} // namespace

double PrepareRichDocument(QTextDocument& doc, const QFont& baseFont, double widthMm)
{
    doc.setDocumentMargin(0);
    doc.setDefaultFont(baseFont);
    QTextCursor cur(&doc);
    // Tab stops come in screen pixels (96 per inch).
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QList<QTextOption::Tab> tabs = b.blockFormat().tabPositions();
        if (tabs.isEmpty()) continue;
        for (QTextOption::Tab& t : tabs)
            t.position *= 25.4 / 96.0 * kUnitsPerMm;
        QTextBlockFormat bf = b.blockFormat();
        bf.setTabPositions(tabs);
        cur.setPosition(b.position());
        cur.setBlockFormat(bf);
    }
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            const double pt = f.charFormat().fontPointSize();
            if (pt <= 0) continue;
            QTextCharFormat fmt;
            QFont font = f.charFormat().font();
            font.setPixelSize(pointsToUnits(pt));
            fmt.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
            cur.setPosition(f.position());
            cur.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            cur.mergeCharFormat(fmt);
        }
    }
    doc.setTextWidth(widthMm * kUnitsPerMm);
    return doc.size().height() / kUnitsPerMm;
}

double LayoutPx(int px)
{
    return ScaleByDpi(px) * kLayoutPixelMm;
}

double ScreenPx(int px)
{
    return px * kLayoutPixelMm;
}

QFont ReportFont(const QString& family, double points, bool bold, bool italic)
{
    QFont f(family);
    f.setPixelSize(pointsToUnits(points));
    f.setBold(bold);
    f.setItalic(italic);
    // Unhinted outlines measure in proportion at every size and resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

QFont ReportFont(double points, bool bold)
{
    return ReportFont(ReportFontFamily, points, bold);
}

double TextWidthMm(const QFont& font, const QString& text)
{
    return QFontMetricsF(font).horizontalAdvance(text) / kUnitsPerMm;
}

double LineHeightMm(const QFont& font)
{
    return QFontMetricsF(font).height() / kUnitsPerMm;
}

// ---------------------------------------------------------------- document

void TReportDocument::paintPage(QPainter& painter, int page, double pxPerMm, QPointF origin) const
{
    if (page < 0 || page >= pageCount()) return;
    painter.save();
    painter.translate(origin);
    painter.scale(pxPerMm / kUnitsPerMm, pxPerMm / kUnitsPerMm);
    TReportPage laidOut;
    if (pageSource) laidOut = pageSource(page);
    for (const TReportItem& it : (pageSource ? laidOut : pages[size_t(page)]).items) {
        const QRectF r = units(it.rect);
        switch (it.kind) {
        case TReportItem::Text:
            if (it.fill.isValid()) painter.fillRect(r, it.fill);
            painter.setFont(it.font);
            painter.setPen(it.color);
            painter.drawText(r, it.flags, it.text);
            break;
        case TReportItem::RichText: {
            QTextDocument doc;
            prepareRichText(doc, it.text, it.font, it.rect.width());
            painter.save();
            painter.translate(r.topLeft());
            QAbstractTextDocumentLayout::PaintContext ctx;
            ctx.palette.setColor(QPalette::Text, it.color);
            doc.documentLayout()->draw(&painter, ctx);
            painter.restore();
            break;
        }
        case TReportItem::Line: {
            QPen pen(it.color);
            pen.setWidthF(it.penMm * kUnitsPerMm);
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(r.topLeft(), r.bottomRight());
            break;
        }
        case TReportItem::Box:
            if (it.fill.isValid()) painter.fillRect(r, it.fill);
            if (it.penMm > 0) {
                QPen pen(it.color);
                pen.setWidthF(it.penMm * kUnitsPerMm);
                pen.setJoinStyle(Qt::MiterJoin);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(r);
            }
            break;
        case TReportItem::Image:
            painter.setRenderHint(QPainter::SmoothPixmapTransform, it.smooth);
            painter.drawImage(r, it.image);
            break;
        case TReportItem::Picture:
            if (it.draw && !it.pictureSize.isEmpty()) {
                painter.save();
                painter.translate(r.topLeft());
                painter.scale(r.width() / it.pictureSize.width(), r.height() / it.pictureSize.height());
                painter.setClipRect(QRect(QPoint(0, 0), it.pictureSize));
                it.draw(painter);
                painter.restore();
            }
            break;
        }
    }
    painter.restore();
}

QImage TReportDocument::renderPage(int page, double dpi) const
{
    const double pxPerMm = dpi / 25.4;
    QImage img(int(std::lround(pageSizeMm.width() * pxPerMm)),
               int(std::lround(pageSizeMm.height() * pxPerMm)), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintPage(p, page, pxPerMm);
    return img;
}

bool TReportDocument::print(QPrinter& printer, const std::function<bool(int)>& progress) const
{
    // A landscape document would otherwise be cut to the printer's portrait page.
    if (pageSizeMm.width() > pageSizeMm.height())
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(),
                                          QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const double pxPerMm = printer.resolution() / 25.4;
    const int n = qMax(1, pageCount());
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        paintPage(painter, i, pxPerMm);
        if (progress && !progress((i + 1) * 100 / n)) {
            printer.abort();
            painter.end();
            return false;
        }
    }
    return painter.end();
}

// ---------------------------------------------------------------- band canvas

void TBandCanvas::add(TReportItem&& item)
{
    m_bottom =
        std::max(m_bottom, item.kind == TReportItem::Line ? std::max(item.rect.top(), item.rect.bottom())
                                                          : item.rect.bottom());
    items.push_back(std::move(item));
}

void TBandCanvas::text(const QRectF& r, const QString& text, const QFont& font, int flags,
                       const QColor& color, const QColor& back)
{
    TReportItem it;
    it.kind = TReportItem::Text;
    it.rect = r;
    it.text = text;
    it.font = font;
    it.flags = flags;
    it.color = color;
    it.fill = back;
    add(std::move(it));
}

double TBandCanvas::label(double x, double y, const QString& t, const QFont& font, const QColor& color)
{
    const double w = TextWidthMm(font, t);
    text(QRectF(x, y, w + 0.01, LineHeightMm(font)), t, font, Qt::AlignLeft | Qt::AlignTop, color);
    return w;
}

double TBandCanvas::memo(double x, double y, double w, const QString& t, const QFont& font, int align,
                         bool wrap, double minHeight)
{
    if (t.isEmpty()) return minHeight;
    const int flags = align | Qt::AlignTop | (wrap ? Qt::TextWordWrap : 0);
    const QRectF bound =
        QFontMetricsF(font).boundingRect(QRectF(0, 0, wrap ? w * kUnitsPerMm : 1e7, 1e7), flags, t);
    const double h = std::max(minHeight, bound.height() / kUnitsPerMm);
    text(QRectF(x, y, w, h), t, font, flags);
    return h;
}

double TBandCanvas::richText(double x, double y, double w, const QString& html, const QFont& baseFont)
{
    QTextDocument doc;
    prepareRichText(doc, html, baseFont, w);
    const double h = doc.size().height() / kUnitsPerMm;
    TReportItem it;
    it.kind = TReportItem::RichText;
    it.rect = QRectF(x, y, w, h);
    it.text = html;
    it.font = baseFont;
    add(std::move(it));
    return h;
}

void TBandCanvas::line(double x1, double y1, double x2, double y2, double penMm, const QColor& color)
{
    TReportItem it;
    it.kind = TReportItem::Line;
    it.rect = QRectF(QPointF(x1, y1), QPointF(x2, y2));
    it.penMm = penMm;
    it.color = color;
    add(std::move(it));
}

void TBandCanvas::box(const QRectF& r, const QColor& fill, double penMm, const QColor& frame)
{
    TReportItem it;
    it.kind = TReportItem::Box;
    it.rect = r;
    it.fill = fill;
    it.penMm = penMm;
    it.color = frame;
    add(std::move(it));
}

void TBandCanvas::image(const QRectF& r, const QImage& img, bool stretch, bool smooth)
{
    if (img.isNull() || r.isEmpty()) return;
    QRectF target = r;
    if (!stretch) {
        const double s = std::min(r.width() / img.width(), r.height() / img.height());
        const QSizeF sz(img.width() * s, img.height() * s);
        target = QRectF(r.center() - QPointF(sz.width() / 2, sz.height() / 2), sz);
    }
    TReportItem it;
    it.kind = TReportItem::Image;
    it.rect = target;
    it.image = img;
    it.smooth = smooth;
    add(std::move(it));
}

void TBandCanvas::picture(const QRectF& r, const QSize& pixels, std::function<void(QPainter&)> draw)
{
    TReportItem it;
    it.kind = TReportItem::Picture;
    it.rect = r;
    it.pictureSize = pixels;
    it.draw = std::move(draw);
    add(std::move(it));
}

// ---------------------------------------------------------------- report

void TReport::Begin()
{
    m_doc = std::make_shared<TReportDocument>();
    m_doc->title = Title;
    m_doc->pageSizeMm = PageSizeMm;
    m_y = 0;
    m_bodyOnPage = false;
}

double TReport::bodyBottom() const
{
    return PageSizeMm.height() - MarginsMm.bottom() - PageFooter.height;
}

double TReport::SpaceLeft() const
{
    return m_doc && !m_doc->pages.empty() ? bodyBottom() - m_y : 0;
}

void TReport::place(TBandCanvas& canvas, double height)
{
    auto& items = m_doc->pages.back().items;
    for (TReportItem& it : canvas.items) {
        it.rect.translate(MarginsMm.left(), m_y);
        items.push_back(std::move(it));
    }
    m_y += height;
}

void TReport::finishPage()
{
    if (!m_doc || m_doc->pages.empty() || !PageFooter.print) return;
    if (PageFooter.beforePrint) PageFooter.beforePrint();
    TBandCanvas c(ContentWidth());
    if (!PageFooter.print(c)) return;
    m_y = PageSizeMm.height() - MarginsMm.bottom() - PageFooter.height;
    place(c, PageFooter.height);
}

void TReport::NewPage()
{
    if (!m_doc) Begin();
    if (!m_doc->pages.empty()) finishPage();
    m_doc->pages.emplace_back();
    m_y = MarginsMm.top();
    m_bodyOnPage = false;
    if (OnStartPage) OnStartPage(PageNumber());
    if ((PageNumber() > 1 || FirstPageHeader) && PageHeader.print) {
        m_inHeader = true;
        if (PageHeader.beforePrint) PageHeader.beforePrint();
        TBandCanvas c(ContentWidth());
        if (PageHeader.print(c))
            place(c, PageHeader.stretch ? std::max(PageHeader.height, c.bottom()) : PageHeader.height);
        m_inHeader = false;
    }
}

void TReport::PrintBand(const TReportBand& band)
{
    if (!m_doc) Begin();
    if (band.beforePrint) band.beforePrint();
    if (m_doc->pages.empty() || (band.forceNewPage && m_bodyOnPage)) NewPage();
    TBandCanvas c(ContentWidth());
    if (band.print && !band.print(c)) return;
    const double h = band.stretch ? std::max(band.height, c.bottom()) : band.height;
    if (m_y + h > bodyBottom() + 1e-6 && m_bodyOnPage) NewPage();
    place(c, h);
    m_bodyOnPage = true;
}

void TReport::PrintBand(double height, bool stretch, const std::function<bool(TBandCanvas&)>& print)
{
    TReportBand b;
    b.height = height;
    b.stretch = stretch;
    b.print = print;
    PrintBand(b);
}

std::shared_ptr<TReportDocument> TReport::End()
{
    if (!m_doc) Begin();
    if (m_doc->pages.empty()) NewPage();
    if (LastPageFooter) finishPage();
    auto doc = std::move(m_doc);
    m_doc.reset();
    return doc;
}
