#pragma once
// Where the invoice printout puts things: millimetres from the band's
// top-left corner inside the margins (180 mm wide), and its fonts.
#include "printouts/ReportEngine.h"

#include <QRectF>

namespace DrukFvUklad {

struct TColumn
{
    double left, right;
    int align;
    double width() const { return right - left; }
    // Numbers keep a small gap to the next column.
    QRectF rect(double y, double h) const
    {
        return (align & Qt::AlignRight) ? QRectF(left, y, right - left - 0.8, h)
                                        : QRectF(left, y, right - left, h);
    }
};

// The item table.
inline const TColumn kColLp{0, 7, Qt::AlignRight};
inline const TColumn kColNazwa{8.5, 74, Qt::AlignLeft};
inline const TColumn kColJm{75.5, 95, Qt::AlignLeft};
inline const TColumn kColIlosc{95, 105.5, Qt::AlignRight};
inline const TColumn kColCena{105.5, 124, Qt::AlignRight};
inline const TColumn kColVat{124, 140.5, Qt::AlignRight};
inline const TColumn kColRabat{140.5, 158, Qt::AlignRight};
inline const TColumn kColWartosc{158, 180.8, Qt::AlignRight};

constexpr double kHeadingLineMm = 3.0;
constexpr double kHeadingsMm = 7.2; // rule and two heading lines
constexpr double kItemLineMm = 3.5;
constexpr double kItemRowMm = 8.3;
constexpr double kCorrectionRowMm = 26.3; // the line before and after, each captioned

// Page header.
constexpr double kBarcodeX = 96.7, kBarcodeW = 67.9, kBarcodeH = 3.5;
constexpr int kBarcodePxW = 386, kBarcodePxH = 20; // the picture's own pixels (0.176 mm each)

// Invoice band.
constexpr double kInvoiceBandMm = 85.2;
constexpr double kSellerTop = 3.9, kSellerPitch = 3.75, kSellerWidth = 68;
inline const QRectF kLogoArea(72.5, 8.0, 74.1, 23.8);
inline const QRectF kPzLogoArea(106, 8.0, 74.1, 23.8);
constexpr double kDatesX = 128;
inline const QRectF kDuplicateArea(67, 0, 59, 4);
constexpr double kQrSize = 24.7;
constexpr double kQr1Top = 10.6, kQr1LabelTop = 36.3, kQr2Top = 40.9, kQr2LabelTop = 66.7;
constexpr double kBuyerTop = 48, kBuyerPitch = 3.6, kBuyerWidth = 76;
constexpr double kCorrX = 80, kCorrTop = 42.3, kCorrWidth = 70, kCorrHeight = 24.9;
constexpr double kPortalTop = 72.3;
constexpr double kReasonTop = 73; // a correction's reason instead of the portal line
constexpr double kHeadingsTop = 77.3;

// Totals band.
constexpr double kTotalsBandMm = 47.3;
constexpr double kCorrectionTotalsBandMm = 51.2;
constexpr double kPzTotalsRuleMm = 35.3; // a demand has no VAT rows above its rule
constexpr double kSumsX = 96;            // right block: label, net, VAT, gross
inline const TColumn kSumOpis{96, 117, Qt::AlignLeft};
inline const TColumn kSumNetto{117, 138.5, Qt::AlignRight};
inline const TColumn kSumVat{138.5, 159, Qt::AlignRight};
inline const TColumn kSumBrutto{159, 180.8, Qt::AlignRight};
constexpr double kLeftWidth = 93;

inline const QFont& Font(double pt, bool bold = false)
{
    // The few sizes the invoice uses, made once.
    static const QFont f[2][24] = {
#define ORLIX_F(b)                                                                                           \
    {ReportFont(0.5 * 0, b),  ReportFont(0.5 * 1, b),  ReportFont(0.5 * 2, b),  ReportFont(0.5 * 3, b),      \
     ReportFont(0.5 * 4, b),  ReportFont(0.5 * 5, b),  ReportFont(0.5 * 6, b),  ReportFont(0.5 * 7, b),      \
     ReportFont(0.5 * 8, b),  ReportFont(0.5 * 9, b),  ReportFont(0.5 * 10, b), ReportFont(0.5 * 11, b),     \
     ReportFont(0.5 * 12, b), ReportFont(0.5 * 13, b), ReportFont(0.5 * 14, b), ReportFont(0.5 * 15, b),     \
     ReportFont(0.5 * 16, b), ReportFont(0.5 * 17, b), ReportFont(0.5 * 18, b), ReportFont(0.5 * 19, b),     \
     ReportFont(0.5 * 20, b), ReportFont(0.5 * 21, b), ReportFont(0.5 * 22, b), ReportFont(0.5 * 23, b)}
        ORLIX_F(false), ORLIX_F(true)
#undef ORLIX_F
    };
    const int i = qBound(1, int(pt * 2 + 0.5), 23);
    return f[bold ? 1 : 0][i];
}
inline const QFont& FontTitle()
{
    return Font(10, true);
}
inline const QFont& FontPage()
{
    return Font(6);
}
inline const QFont& FontHeading()
{
    return Font(7);
}
inline const QFont& FontItem()
{
    return Font(8);
}
inline const QFont& FontSmallCaption()
{
    return Font(9);
}
inline const QFont& FontQrLabel()
{
    return Font(4);
}
// Size Points, or smaller in half points down to 6 pt, so the text fits Width.
inline QFont FitFont(const QString& text, double points, bool bold, double width)
{
    for (double pt = points; pt > 6; pt -= 0.5)
        if (TextWidthMm(Font(pt, bold), text) <= width) return Font(pt, bold);
    return Font(6, bold);
}

} // namespace DrukFvUklad
