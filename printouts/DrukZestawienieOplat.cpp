#include "printouts/DrukZestawienieOplat.h"

#include "core/DbIni.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"

#include <iterator>

namespace {

// Columns of a payment row (mm from the left margin) and their widths.
struct Col
{
    const char* field;
    double x, w;
    int align;
};
const Col kCols[] = {{nullptr, 0, 10, Qt::AlignRight},
                     {nullptr, 11, 20, Qt::AlignLeft},
                     {"O_NUMERTXT", 32, 25, Qt::AlignLeft},
                     {"O_KWOTA", 58, 20, Qt::AlignRight},
                     {"O_FORMAPLATNOSCI", 80, 18, Qt::AlignLeft},
                     {"U_NRKLIENTA", 98, 10, Qt::AlignRight},
                     {"U_NazwiskoImie", 110, 35, Qt::AlignLeft},
                     {"U_NIP", 146, 18, Qt::AlignLeft},
                     {"O_UWAGI", 165, 15, Qt::AlignLeft}};

} // namespace

TFormDrukZestawienieOplat* FormDrukZestawienieOplat()
{
    static TFormDrukZestawienieOplat* form = nullptr;
    if (!form) form = new TFormDrukZestawienieOplat();
    return form;
}

TFormDrukZestawienieOplat::TFormDrukZestawienieOplat(QObject* parent) : TReportForm(parent) {}

TFormDrukZestawienieOplat::~TFormDrukZestawienieOplat() = default;

QString TFormDrukZestawienieOplat::TitleFor(const QDateTime& at)
{
    return QStringLiteral("OPLATY_") + at.toString(QStringLiteral("yyyyMMddhhmmss"));
}

std::shared_ptr<TReportDocument> TFormDrukZestawienieOplat::BuildReport()
{
    auto rows = GlobalSession()->OpenQuery(Sql, Args);
    if (!rows->IsEmpty()) SetCurrentPodmiot(rows->FieldByName(QStringLiteral("U_PODMIOT"))->AsInteger());
    const QDateTime at = PrintedAt.isValid() ? PrintedAt : QDateTime::currentDateTime();
    const QString name1 = ReadIniString(0, QStringLiteral("U_Nazwa1"), QString());
    const QString name2 =
        ReadIniString(0, QStringLiteral("U_Nazwa2"), QStringLiteral("Proszę wpisać swoją nazwę firmy"));

    TReport report;
    report.Title = TitleFor(at);
    report.MarginsMm = QMarginsF(15, 8, 15, 8);
    int page = 0;
    report.OnStartPage = [&page](int) { ++page; };
    report.PageHeader.beforePrint = [&] { report.PageHeader.height = LayoutPx(page == 1 ? 108 : 55); };
    report.PageHeader.print = [&](TBandCanvas& c) {
        const double w = c.width();
        c.text(QRectF(0, 0, w * 0.7, 4), name1, ReportFont(8, true));
        c.text(QRectF(0, 4, w * 0.7, 4), name2, ReportFont(8));
        c.text(QRectF(w * 0.7, 0, w * 0.3, 4), QStringLiteral("Strona ") + QString::number(page),
               ReportFont(7), Qt::AlignRight | Qt::AlignTop);
        c.hline(0, w, 8.5);
        if (page == 1) {
            c.text(QRectF(0, 9.3, w, 5), QStringLiteral("ZESTAWIENIE WPŁAT"), ReportFont(11, true),
                   Qt::AlignHCenter);
            c.text(QRectF(w * 0.7, 9.8, w * 0.3, 4), at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                   ReportFont(7), Qt::AlignRight);
            c.text(QRectF(0, 14.2, w, 4), RangeText, ReportFont(8), Qt::AlignHCenter);
            c.hline(0, w, 18.5);
        }
        return true;
    };
    report.PageFooter.height = 3;
    report.PageFooter.print = [](TBandCanvas& c) {
        c.hline(0, c.width(), 1);
        return true;
    };
    report.Begin();
    int row = 0;
    const QString dateField = DateField.isEmpty() ? QStringLiteral("O_DATADODANIA") : DateField;
    for (rows->First(); !rows->Eof(); rows->Next()) {
        ++row;
        QStringList cells{QString::number(row) + QLatin1Char(')'), rows->FieldByName(dateField)->AsString()};
        for (size_t i = 2; i < std::size(kCols); ++i)
            cells << rows->FieldByName(QLatin1String(kCols[i].field))->AsString();
        const bool even = row % 2 == 0;
        report.PrintBand(5, false, [&cells, even](TBandCanvas& c) {
            if (even) c.box(QRectF(0, 0, c.width(), 5), QColor(235, 235, 235));
            for (size_t i = 0; i < std::size(kCols); ++i)
                c.text(QRectF(kCols[i].x, 0.5, kCols[i].w, 4.5), cells[qsizetype(i)], ReportFont(7),
                       kCols[i].align | Qt::AlignVCenter);
            return true;
        });
    }
    report.PrintBand(8, false, [this](TBandCanvas& c) {
        c.hline(0, c.width(), 1);
        c.text(QRectF(0, 2, c.width(), 5), TotalText, ReportFont(9, true), Qt::AlignRight);
        return true;
    });
    return report.End();
}
