// The invoice printout's bands under the items: totals, the transfer form
// and the memo with the banner.
#include "core/KwotaSlownie.h"
#include "platform/Code128.h"
#include "printouts/DrukFvStan.h"
#include "printouts/DrukFvUklad.h"
#include "printouts/PrintCode93Image.h"

#include <QDate>
#include <QPainter>

using namespace DrukFvUklad;

void TFormDrukFv::totalsSums(TBandCanvas& c, const Invoice& inv, double& ruleY)
{
    const double w = c.width();
    const QFont& fh = FontHeading();
    const QFont& fb = Font(8.5, true);
    const double hy = 0.8, ry = 5.3;
    if (m_kind == 'P') {
        // Gross only: no VAT rows, the rule keeps its place.
        c.text(kSumBrutto.rect(hy, 3), QStringLiteral("Wart.brutto"), fh, Qt::AlignRight | Qt::AlignTop);
        c.hline(kSumsX, w, 4.4, 0.3);
        c.text(kSumOpis.rect(ry, 4), QStringLiteral("Razem PLN"), fb, Qt::AlignLeft | Qt::AlignTop);
        c.text(kSumBrutto.rect(ry, 4), FormatMoney(inv.brutto), fb, Qt::AlignRight | Qt::AlignTop);
        ruleY = kPzTotalsRuleMm;
        c.hline(kSumsX, w, ruleY, 0.3);
        return;
    }
    c.text(kSumNetto.rect(hy, 3), QStringLiteral("Wart.netto"), fh, Qt::AlignRight | Qt::AlignTop);
    c.text(kSumVat.rect(hy, 3), QStringLiteral("Kw.VAT"), fh, Qt::AlignRight | Qt::AlignTop);
    c.text(kSumBrutto.rect(hy, 3), QStringLiteral("Wart.brutto"), fh, Qt::AlignRight | Qt::AlignTop);
    c.hline(kSumsX, w, 4.4, 0.3);
    c.text(kSumOpis.rect(ry, 4), QStringLiteral("Razem PLN"), fb, Qt::AlignLeft | Qt::AlignTop);
    c.text(kSumNetto.rect(ry, 4), FormatMoney(inv.netto), fb, Qt::AlignRight | Qt::AlignTop);
    c.text(kSumVat.rect(ry, 4), FormatMoney(inv.vat), fb, Qt::AlignRight | Qt::AlignTop);
    c.text(kSumBrutto.rect(ry, 4), FormatMoney(inv.brutto), fb, Qt::AlignRight | Qt::AlignTop);
    c.text(kSumOpis.rect(ScreenPx(FvVatRowTopPx(0)) - 3.2, 3), QStringLiteral("w tym:"), fh,
           Qt::AlignLeft | Qt::AlignTop);
    const QFont& fv = Font(8);
    int i = 0;
    for (const TFvVatRow& r : inv.vatRows) {
        const double y = ScreenPx(FvVatRowTopPx(i++));
        c.text(kSumOpis.rect(y, 3.5), r.opis, fv, Qt::AlignLeft | Qt::AlignTop);
        c.text(kSumNetto.rect(y, 3.5), FormatMoney(r.netto), fv, Qt::AlignRight | Qt::AlignTop);
        c.text(kSumVat.rect(y, 3.5), FormatMoney(r.vat), fv, Qt::AlignRight | Qt::AlignTop);
        c.text(kSumBrutto.rect(y, 3.5), FormatMoney(r.brutto), fv, Qt::AlignRight | Qt::AlignTop);
    }
    ruleY = ScreenPx(FvVatRuleTopPx(int(inv.vatRows.size())));
    c.hline(kSumsX, w, ruleY, 0.3);
}

void TFormDrukFv::totalsBand(TBandCanvas& c, const Invoice& inv)
{
    const double w = c.width();
    // Right: the sums and the VAT rows.
    double ruleY = 0;
    totalsSums(c, inv, ruleY);

    // Right, under the table: the balance lines.
    if (!inv.hideBalance) {
        const TBalanceLines b = MakeBalanceLines(inv.saldo, inv.saldoZalegle, QDate::currentDate());
        const double by = std::max(ruleY + 1.5, 37.6);
        const QRectF r1(w - 110, by, 110, 3.4);
        c.text(r1, b.first, Font(7.5), Qt::AlignRight | Qt::AlignTop);
        if (!b.second.isEmpty()) {
            const double bw = TextWidthMm(Font(7.5, true), b.second) + 1.6;
            c.text(QRectF(w - bw, by + 3.7, bw, 3.4), b.second, Font(7.5, true), Qt::AlignCenter, Qt::black,
                   QColor(192, 192, 192));
        }
    }

    // Left: exemption note, value, words and the payment lines.
    double y = 0.5;
    if (m_run->zwolnienie && m_kind != 'P') {
        c.text(QRectF(0, y, kLeftWidth, 3.6),
               QStringLiteral("Podatnik zwolniony z VAT na podstawie art. 113 ust. 1 ustawy o VAT"), Font(7),
               Qt::AlignCenter, Qt::black, QColor(220, 220, 220));
    }
    y = 4.9;
    const QFont& fl = Font(8);
    const QFont& flb = Font(8, true);
    const double vx = m_kind == 'K' ? 42 : 37; // room for "Pozostało do rozliczenia:"
    c.label(0, y, m_kind == 'K' ? QStringLiteral("Wartość korekty:") : QStringLiteral("Wartość sprzedaży:"),
            fl);
    c.label(vx, y, FormatMoney(inv.brutto) + QStringLiteral(" zł"), flb);
    y += 3.9;
    y += c.memo(0, y, kLeftWidth, QStringLiteral("Słownie : ") + AmountInWords(inv.brutto), Font(7)) + 1.2;
    auto line = [&](const QString& label, const QString& value, bool bold) {
        c.label(0, y, label, bold ? flb : fl);
        c.label(vx, y, value, bold ? flb : fl);
        y += 3.6;
    };
    if (!inv.rabat.isZero()) line(QStringLiteral("Kwota rabatu:"), FormatGeneral(inv.rabat), false);
    line(QStringLiteral("Kwota wpłacona:"), FormatGeneral(inv.wplacona), false);
    line(QStringLiteral("Rozliczono saldem:"), FormatGeneral(inv.rozliczona), false);
    c.label(0, y, QStringLiteral("Termin płatności:"), fl);
    c.label(vx, y, PaymentTermText(inv.issue, inv.due), flb);
    y += 3.6;
    line(QStringLiteral("Forma płatności:"), inv.forma, false);
    line(m_kind == 'K' ? QStringLiteral("Pozostało do rozliczenia:")
                       : QStringLiteral("Pozostało do zapłaty:"),
         FormatGeneral(inv.doRozliczenia), true);

    c.label(0, kTotalsBandMm - 3.4, QStringLiteral("Wystawił: ") + inv.wystawil, Font(7));
}

void TFormDrukFv::transferBand(TBandCanvas& c, const Invoice& inv, double heightMm)
{
    // With the balance hidden the form asks for the document itself: a
    // correction for its gross total, a demand or an invoice for what is left to pay.
    const TFvTransfer t = FvTransferValues(inv.hideBalance, m_kind == 'K' ? inv.brutto : inv.doZaplaty,
                                           inv.saldo, inv.numer, inv.nrKlienta,
                                           m_kind == 'K'   ? QStringLiteral("KOREKTA nr ")
                                           : m_kind == 'P' ? QStringLiteral("PZ nr ")
                                                           : QStringLiteral("FAKTURA nr "));
    const QString amount = FormatMoney(t.amount);
    const QFont& cap = Font(5.5);
    const QFont& val = Font(8);
    const QFont& valb = Font(8.5, true);
    const QColor frame(200, 40, 40);
    const QColor field(255, 240, 240);

    // The cut line across the page.
    for (double x = 0; x < c.width(); x += 2.0)
        c.hline(x, x + 1.0, 1.2, 0.15);
    const double top = 3.0;
    const double h = heightMm - 5.1;

    // A captioned field: caption above, value inside the box.
    auto fieldBox = [&](double x, double y, double w, double bh, const QString& caption, const QString& value,
                        const QFont& f, int align = Qt::AlignLeft) {
        c.text(QRectF(x, y, w, 2.3), caption, cap, Qt::AlignLeft | Qt::AlignTop);
        c.box(QRectF(x, y + 2.3, w, bh), field, 0.2, frame);
        if (!value.isEmpty())
            c.text(QRectF(x + 0.8, y + 2.3, w - 1.6, bh), value, f,
                   align | Qt::AlignVCenter | Qt::TextWordWrap);
    };

    // Stub (51 mm).
    const double sx = 0, sw = 51;
    c.box(QRectF(sx, top, sw, h), QColor(), 0.3, frame);
    double y = top + 1.0;
    fieldBox(sx + 1.5, y, sw - 3, 4.2, QStringLiteral("Nr rachunku odbiorcy"), inv.account, Font(6));
    y += 7.3;
    fieldBox(sx + 1.5, y, sw - 3, 13, QStringLiteral("Odbiorca"), m_run->stubRecipient, Font(6));
    y += 16.1;
    fieldBox(sx + 1.5, y, sw - 3, 4.2, QStringLiteral("Kwota"), amount + QStringLiteral(" PLN"), valb,
             Qt::AlignRight);
    y += 7.3;
    fieldBox(sx + 1.5, y, sw - 3, 8.2, QStringLiteral("Zleceniodawca"),
             inv.payer1 + QLatin1Char('\n') + inv.payer2, Font(6));
    y += 11.3;
    fieldBox(sx + 1.5, y, sw - 3, 8.2, QStringLiteral("Tytuł"), t.title, Font(6));
    y += 11.3;
    c.text(QRectF(sx + 1.5, y, 24, 2.3), QStringLiteral("Stempel"), cap, Qt::AlignLeft | Qt::AlignTop);
    c.text(QRectF(sx + 27, y, 22.5, 2.3), QStringLiteral("Opłata"), cap, Qt::AlignLeft | Qt::AlignTop);
    c.box(QRectF(sx + 1.5, y + 2.3, 24, top + h - y - 3.3), field, 0.2, frame);
    c.box(QRectF(sx + 27, y + 2.3, 22.5, top + h - y - 3.3), field, 0.2, frame);

    // Main part (125 mm).
    const double mx = c.width() - 125, mw = 125;
    c.box(QRectF(mx, top, mw, h), QColor(), 0.3, frame);
    const double fx = mx + 2, fw = mw - 4;
    y = top + 1.0;
    fieldBox(fx, y, fw, 4.2, QStringLiteral("Nazwa odbiorcy"), m_run->recipientName, val);
    y += 6.9;
    fieldBox(fx, y, fw, 4.2, QStringLiteral("Nazwa odbiorcy cd."), m_run->recipientAddress, val);
    y += 6.9;
    fieldBox(fx, y, fw, 4.2, QStringLiteral("Nr rachunku odbiorcy"), inv.account, valb);
    y += 6.9;
    // W / P boxes, currency and amount.
    c.box(QRectF(fx, y + 2.3, 4.2, 4.2), field, 0.2, frame);
    c.text(QRectF(fx, y + 2.3, 4.2, 4.2), QStringLiteral("W"), val, Qt::AlignCenter);
    c.box(QRectF(fx + 5, y + 2.3, 4.2, 4.2), field, 0.2, frame);
    c.text(QRectF(fx + 5, y + 2.3, 4.2, 4.2), QStringLiteral("P"), val, Qt::AlignCenter);
    fieldBox(fx + 12, y, 14, 4.2, QStringLiteral("Waluta"), QStringLiteral("PLN"), valb, Qt::AlignCenter);
    fieldBox(fx + 29, y, fw - 29, 4.2, QStringLiteral("Kwota"), amount, valb, Qt::AlignRight);
    y += 6.9;
    fieldBox(fx, y, fw, 4.2, QStringLiteral("Nr rachunku zleceniodawcy (przelew) / kwota słownie (wpłata)"),
             t.words, FitFont(t.words, 7.5, false, fw - 2));
    y += 6.9;
    fieldBox(fx, y, fw, 4.2, QStringLiteral("Nazwa zleceniodawcy"), inv.payer1, val);
    y += 6.9;
    fieldBox(fx, y, fw, 4.2, QStringLiteral("Nazwa zleceniodawcy cd."), inv.payer2, val);
    y += 6.9;
    fieldBox(fx, y, fw, 4.2, QStringLiteral("Tytułem"), t.title, val);
    y += 7.2;
    // The account above the bottom box: Code 128, on a correction Code 93.
    const QString digits = QString(inv.account).remove(QLatin1Char(' '));
    if (m_kind == 'K') {
        const double cw = std::min(fw, kBarcodeW * 1.3);
        c.picture(QRectF(fx + (fw - cw) / 2, y, cw, 6.5), QSize(kBarcodePxW, 37),
                  [digits](QPainter& p) { DrawCode93Barcode(p, 0, 0, digits, 35, false, true); });
    } else {
        const QImage code = RenderCode128B(digits, 1, 20);
        if (!code.isNull()) {
            const double cw = std::min(fw, code.width() * 0.25);
            c.image(QRectF(fx + (fw - cw) / 2, y, cw, 6.5), code, true, false);
        }
    }
    y += 7.3;
    const double bh = top + h - y - 1.0;
    c.box(QRectF(fx, y, 62, bh), field, 0.2, frame);
    c.text(QRectF(fx + 1, y + bh - 2.6, 60, 2.4), QStringLiteral("Pieczęć , data i podpis(y) zleceniodawcy"),
           cap, Qt::AlignLeft | Qt::AlignBottom);
    c.box(QRectF(fx + 64, y, 45, bh), field, 0.2, frame);
    c.text(QRectF(fx + 65, y + bh - 2.6, 43, 2.4), QStringLiteral("Opłatę pokrywa zleceniodawca"), cap,
           Qt::AlignLeft | Qt::AlignBottom);
    c.text(QRectF(fx + 111, y, fw - 111, bh), QStringLiteral("06"), Font(9, true), Qt::AlignCenter);
}

void TFormDrukFv::memoBand(TBandCanvas& c, const Invoice&, int variant, const QString& memo)
{
    const QSizeF banner(180.3, 9.9);
    if (variant == 3) {
        double h = 0;
        if (!memo.isEmpty()) {
            QString text = memo;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            while (text.endsWith(QLatin1Char('\n')))
                text.chop(1);
            h = c.memo(0, 0.5, c.width(), text, ReportFont(QStringLiteral("DejaVu Sans Mono"), 7.5),
                       Qt::AlignLeft, false);
        }
        const double top = std::max(LayoutPx(57), h + 1.5 + LayoutPx(56)) - LayoutPx(56);
        c.image(QRectF((c.width() - banner.width()) / 2, top, banner.width(), banner.height()),
                m_run->banner);
        c.extendTo(top + LayoutPx(56));
    } else {
        c.image(QRectF((c.width() - banner.width()) / 2, 0.5, banner.width(), banner.height()),
                m_run->banner);
    }
}
