// The report component the printouts are built on: where bands land, when
// pages break, what stretches, and that texts reach the PDF intact.
#include "printouts/ReportEngine.h"

#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Top of every text item per page.
std::vector<std::vector<std::pair<QString, double>>> layout(const TReportDocument& doc)
{
    std::vector<std::vector<std::pair<QString, double>>> pages;
    for (const TReportPage& p : doc.pages) {
        pages.emplace_back();
        for (const TReportItem& it : p.items)
            if (it.kind == TReportItem::Text) pages.back().push_back({it.text, it.rect.top()});
    }
    return pages;
}

TReportBand textBand(const QString& text, double height)
{
    TReportBand b;
    b.height = height;
    b.print = [text](TBandCanvas& c) {
        c.text(QRectF(0, 0, 50, 4), text, ReportFont(8));
        return true;
    };
    return b;
}

} // namespace

TEST(ReportEngine, BandsFlowOverPagesWithHeaderAndFooter)
{
    TReport r;
    r.MarginsMm = QMarginsF(15, 10, 15, 10);
    int pageNo = 0;
    r.OnStartPage = [&](int n) { pageNo = n; };
    r.PageHeader = textBand(QStringLiteral("H"), 10);
    r.PageFooter = textBand(QStringLiteral("F"), 5);
    r.Begin();
    // 297 - 10 - 10 - 5 (footer) = 272 mm of body; the header takes 10 of it.
    for (int i = 0; i < 6; ++i)
        r.PrintBand(textBand(QStringLiteral("B%1").arg(i), 50));
    auto doc = r.End();
    ASSERT_EQ(doc->pageCount(), 2);
    const auto pages = layout(*doc);
    // Page 1: header at 10, five bands of 50 from 20 (the sixth would end at 320 > 282).
    EXPECT_EQ(pages[0].front(), (std::pair{QStringLiteral("H"), 10.0}));
    EXPECT_EQ(pages[0][1], (std::pair{QStringLiteral("B0"), 20.0}));
    EXPECT_EQ(pages[0][5], (std::pair{QStringLiteral("B4"), 220.0}));
    EXPECT_EQ(pages[0].back(), (std::pair{QStringLiteral("F"), 282.0}));
    EXPECT_EQ(pages[1][1], (std::pair{QStringLiteral("B5"), 20.0}));
    EXPECT_EQ(pages[1].back(), (std::pair{QStringLiteral("F"), 282.0}));
    EXPECT_EQ(pageNo, 2);
}

TEST(ReportEngine, NewPageBandsEmptyRunsAndStretching)
{
    {
        TReport r;
        TReportBand group = textBand(QStringLiteral("G"), 20);
        group.forceNewPage = true;
        int resets = 0;
        group.beforePrint = [&] { ++resets; };
        r.Begin();
        r.PrintBand(group); // the first page is not left blank
        r.PrintBand(textBand(QStringLiteral("D"), 5));
        r.PrintBand(group);
        auto doc = r.End();
        EXPECT_EQ(doc->pageCount(), 2);
        EXPECT_EQ(resets, 2);
    }
    {
        TReport r;
        r.Begin();
        EXPECT_EQ(r.End()->pageCount(), 1); // an empty report still prints a page
    }
    {
        TReport r;
        r.MarginsMm = QMarginsF(15, 10, 15, 10);
        r.Begin();
        const QString memo = QStringLiteral("jeden\ndwa\ntrzy\ncztery");
        double memoHeight = 0;
        TReportBand b;
        b.height = 5;
        b.stretch = true;
        b.print = [&](TBandCanvas& c) {
            memoHeight = c.memo(0, 0, 100, memo, ReportFont(8));
            return true;
        };
        r.PrintBand(b);
        r.PrintBand(textBand(QStringLiteral("next"), 5));
        const auto pages = layout(*r.End());
        EXPECT_GT(memoHeight, 4 * LineHeightMm(ReportFont(8)) - 0.01);
        EXPECT_NEAR(pages[0].back().second, 10 + memoHeight, 1e-6); // the next band starts under the memo
        // A long line wraps at the memo's width.
        TBandCanvas c(180);
        const double one = c.memo(0, 0, 40, QStringLiteral("krótki"), ReportFont(8));
        const double wrapped = c.memo(
            0, 0, 40, QString(40, QLatin1Char('x')) + QStringLiteral(" ") + QString(40, QLatin1Char('y')),
            ReportFont(8));
        EXPECT_GT(wrapped, one * 1.9);
    }
}

TEST(ReportEngine, RichTextStretchesAndTextsReachThePdf)
{
    TBandCanvas c(180);
    const double plain = c.richText(0, 0, 100, QStringLiteral("Zażółć gęślą jaźń"), ReportFont(8));
    const double big = c.richText(
        0, 0, 100, QStringLiteral("<p style=\"font-size:16pt\"><b>Zażółć</b></p><p>gęślą jaźń</p>"),
        ReportFont(8));
    EXPECT_NEAR(plain, LineHeightMm(ReportFont(8)), 0.6);
    EXPECT_GT(big, plain + LineHeightMm(ReportFont(16)) - 1);

    TReport r;
    r.Title = QStringLiteral("próba");
    r.Begin();
    r.PrintBand(10, true, [](TBandCanvas& c) {
        c.text(QRectF(0, 0, 100, 5), QStringLiteral("Łódź ŚĆŹŻ ąęółńś"), ReportFont(10, true));
        c.richText(0, 6, 100, QStringLiteral("<b>Pogrubione</b> zwykłe"), ReportFont(8));
        return true;
    });
    auto doc = r.End();
    QTemporaryDir dir;
    QPrinter printer(QPrinter::PrinterResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("p.pdf")));
    printer.setFullPage(true);
    ASSERT_TRUE(doc->print(printer));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {dir.filePath(QStringLiteral("p.pdf")), QStringLiteral("-")});
    p.waitForFinished(30000);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("Łódź ŚĆŹŻ ąęółńś"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Pogrubione zwykłe")));
}
