#pragma once
// The report component of the printouts: bands placed on A4 pages in
// millimetres and kept as a list of drawing items per page, so that one run
// draws on paper, into a PDF and into the preview at any zoom alike.
//
// Inside a page the unit is 1/100 mm and fonts get their size in those units
// (pixel size), so text measures the same on every device and is drawn
// through the painter's scale.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class QTextDocument;

// One layout pixel on paper: a screen pixel at 96 dpi and 150 % zoom.
constexpr double kLayoutPixelMm = 0.176;
// Band heights given in layout pixels: through ScaleByDpi, as millimetres.
double LayoutPx(int px);
// Positions the forms use as they are, without the DPI factor.
double ScreenPx(int px);

// A font of the printouts: Family in Points (bold, italic), sized for the page unit.
QFont ReportFont(const QString& family, double points, bool bold = false, bool italic = false);
// The family every printout uses (Polish letters in every style).
extern const QString ReportFontFamily; // "DejaVu Sans"
QFont ReportFont(double points, bool bold = false);

// Brings a rich document (sizes in points, tab stops in screen pixels) to the
// page unit, laid out WidthMm wide; returns its height in mm.
double PrepareRichDocument(QTextDocument& doc, const QFont& baseFont, double widthMm);

// Width and height in mm of a text in a report font (one line / the lines it has).
double TextWidthMm(const QFont& font, const QString& text);
double LineHeightMm(const QFont& font);

struct TReportItem
{
    enum Kind
    {
        Text,
        RichText,
        Line,
        Box,
        Image,
        Picture
    };
    Kind kind = Text;
    QRectF rect; // mm on the page; a line runs from topLeft to bottomRight
    QString text;
    QFont font;
    int flags = 0; // Qt alignment and Qt::TextWordWrap
    QColor color = Qt::black;
    QColor fill; // background of texts, inside of boxes; invalid = none
    double penMm = 0;
    QImage image;
    bool smooth = true;
    QSize pictureSize; // Picture: its own canvas in pixels, stretched over rect
    std::function<void(QPainter&)> draw;
};

struct TReportPage
{
    std::vector<TReportItem> items;
};

// The finished report: what the preview shows and what goes to a printer.
class TReportDocument
{
public:
    QString title;
    QSizeF pageSizeMm{210, 297};
    std::vector<TReportPage> pages;
    // A long report lays its pages out when they are drawn instead: the count
    // is known up front and no page's items are kept.
    std::function<TReportPage(int page)> pageSource;
    int sourcePageCount = 0;

    int pageCount() const { return pageSource ? sourcePageCount : int(pages.size()); }
    // Page (0-based) with its top-left corner at origin, pxPerMm device pixels per millimetre.
    void paintPage(QPainter& painter, int page, double pxPerMm, QPointF origin = {}) const;
    // White page image at dpi.
    QImage renderPage(int page, double dpi) const;
    // Every page onto the printer; Progress (percent) after each page, false cancels.
    // False when the printer could not start or the job was cancelled.
    bool print(QPrinter& printer, const std::function<bool(int)>& progress = {}) const;
};

// The items of one band, in mm from the band's top-left corner.
class TBandCanvas
{
public:
    explicit TBandCanvas(double width) : m_width(width) {}
    double width() const { return m_width; }

    void text(const QRectF& r, const QString& text, const QFont& font,
              int flags = Qt::AlignLeft | Qt::AlignTop, const QColor& color = Qt::black,
              const QColor& back = QColor());
    // A label that takes the width of its text from (x, y); returns that width.
    double label(double x, double y, const QString& text, const QFont& font, const QColor& color = Qt::black);
    // A stretching memo: its lines (wrapped at width when Wrap) from (x, y);
    // returns the height they take, at least MinHeight.
    double memo(double x, double y, double w, const QString& text, const QFont& font,
                int align = Qt::AlignLeft, bool wrap = true, double minHeight = 0);
    // A stretching rich-text field (HTML or Qt rich text); returns its height.
    double richText(double x, double y, double w, const QString& html, const QFont& baseFont);
    void line(double x1, double y1, double x2, double y2, double penMm = 0.2,
              const QColor& color = Qt::black);
    void hline(double x1, double x2, double y, double penMm = 0.2) { line(x1, y, x2, y, penMm); }
    void box(const QRectF& r, const QColor& fill, double penMm = 0, const QColor& frame = Qt::black);
    // A picture scaled into r keeping its aspect and centred (Stretch: filling r).
    void image(const QRectF& r, const QImage& img, bool stretch = false, bool smooth = true);
    // A picture with a canvas of its own (Pixels), drawn by Draw and stretched over r.
    void picture(const QRectF& r, const QSize& pixels, std::function<void(QPainter&)> draw);

    // The lowest point anything was placed at.
    double bottom() const { return m_bottom; }
    // Lets a stretching band end at Y at least (space under its last line).
    void extendTo(double y) { m_bottom = std::max(m_bottom, y); }
    std::vector<TReportItem> items;

private:
    void add(TReportItem&& item);
    double m_width;
    double m_bottom = 0;
};

struct TReportBand
{
    double height = 0;    // mm
    bool stretch = false; // grows to what was drawn
    bool forceNewPage = false;
    // Before the band's place is chosen (counters, heights, the page break).
    std::function<void()> beforePrint;
    // Draws the band; false leaves it out.
    std::function<bool(TBandCanvas&)> print;
};

class TReport
{
public:
    QString Title;
    QSizeF PageSizeMm{210, 297};
    QMarginsF MarginsMm{15, 10, 15, 10}; // left, top, right, bottom
    bool FirstPageHeader = true;
    bool LastPageFooter = true;
    TReportBand PageHeader;
    TReportBand PageFooter; // at the bottom of each page; its height is reserved
    // At the start of each page, before its header (Number: page of the run, 1-based).
    std::function<void(int number)> OnStartPage;

    double ContentWidth() const { return PageSizeMm.width() - MarginsMm.left() - MarginsMm.right(); }
    int PageNumber() const { return int(m_doc ? m_doc->pages.size() : 0); }
    // What is left of the current page above the footer (mm).
    double SpaceLeft() const;

    void Begin();
    // Places the band below the last one, starting a new page when it does
    // not fit (or it asks for one).
    void PrintBand(const TReportBand& band);
    void PrintBand(double height, bool stretch, const std::function<bool(TBandCanvas&)>& print);
    void NewPage();
    // Ends the last page; an empty run still gives one page.
    std::shared_ptr<TReportDocument> End();

private:
    void finishPage();
    double bodyBottom() const;
    void place(TBandCanvas& canvas, double height);

    std::shared_ptr<TReportDocument> m_doc;
    double m_y = 0;
    bool m_bodyOnPage = false;
    bool m_inHeader = false;
};
