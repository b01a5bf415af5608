#include "printouts/DrukListaPobraneKsef.h"

#include "core/DbIni.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QColor>

TFormDrukListaPobraneKsef* FormDrukListaPobraneKsef()
{
    static TFormDrukListaPobraneKsef* form = nullptr;
    if (!form) form = new TFormDrukListaPobraneKsef();
    return form;
}

TFormDrukListaPobraneKsef::TFormDrukListaPobraneKsef(QObject* parent) : TReportForm(parent) {}

TFormDrukListaPobraneKsef::~TFormDrukListaPobraneKsef() = default;

std::shared_ptr<TReportDocument> TFormDrukListaPobraneKsef::BuildReport()
{
    auto rows = GlobalSession()->OpenQuery(Sql, Args);
    const QString name1 = ReadIniString(0, QStringLiteral("U_Nazwa1"), QString());
    const QString name2 =
        ReadIniString(0, QStringLiteral("U_Nazwa2"), QStringLiteral("Proszę wpisać swoją nazwę firmy"));

    TReport report;
    report.Title = QStringLiteral("KSEF_POBRANE_") + ReportTitleNow();
    report.MarginsMm = QMarginsF(12, 8, 12, 8);
    int page = 0;
    report.OnStartPage = [&page](int) { ++page; };
    report.PageHeader.beforePrint = [&] { report.PageHeader.height = LayoutPx(page == 1 ? 120 : 55); };
    report.PageHeader.print = [&](TBandCanvas& c) {
        const double w = c.width();
        c.text(QRectF(0, 0, w * 0.7, 4), name1, ReportFont(8, true));
        c.text(QRectF(0, 4, w * 0.7, 4), name2, ReportFont(8));
        c.text(QRectF(w * 0.7, 0, w * 0.3, 4), QStringLiteral("Strona ") + QString::number(page),
               ReportFont(7), Qt::AlignRight | Qt::AlignTop);
        c.hline(0, w, 8.5);
        if (page == 1) {
            c.text(QRectF(0, 9.5, w, 6), QStringLiteral("FAKTURY POBRANE Z KSeF"), ReportFont(11, true),
                   Qt::AlignHCenter);
            c.text(QRectF(0, 15.5, w, 4), PeriodText, ReportFont(8), Qt::AlignHCenter);
            c.hline(0, w, 20.5);
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
    auto field = [&rows](const char* name) { return rows->FieldByName(QLatin1String(name))->AsString(); };
    for (rows->First(); !rows->Eof(); rows->Next()) {
        ++row;
        const QString lines[] = {QString::number(row) + QLatin1Char(')'),
                                 field("FV_DATAWYSTAWIENIA"),
                                 field("FV_NUMERTXT"),
                                 field("FV_User"),
                                 field("FV_NIP"),
                                 field("FV_NRKSEF"),
                                 field("FV_SUMANETTO"),
                                 field("FV_SUMABRUTTO"),
                                 field("FV_UWAGI"),
                                 rows->FieldByName(QStringLiteral("FV_KSEF_KOSZTOWA"))->AsInteger() == 1
                                     ? QStringLiteral("Koszt: TAK")
                                     : QStringLiteral("Koszt: NIE"),
                                 QStringLiteral("ID: ") + field("FV_INDEX")};
        const bool even = row % 2 == 0;
        report.PrintBand(10, false, [&lines, even](TBandCanvas& c) {
            const double w = c.width();
            if (even) c.box(QRectF(0, 0, w, 10), QColor(0xEB, 0xEB, 0xEB));
            const QFont f = ReportFont(7);
            const QFont b = ReportFont(7, true);
            // First line: number, date, supplier's number, supplier, NIP; second: KSeF number, amounts, note.
            c.text(QRectF(0, 0.5, 8, 4), lines[0], f, Qt::AlignRight);
            c.text(QRectF(10, 0.5, 20, 4), lines[1], f);
            c.text(QRectF(31, 0.5, 40, 4), lines[2], b);
            c.text(QRectF(72, 0.5, w - 72 - 52, 4), lines[3], f);
            c.text(QRectF(w - 50, 0.5, 30, 4), lines[4], f);
            c.text(QRectF(w - 20, 0.5, 20, 4), lines[10], f, Qt::AlignRight);
            c.text(QRectF(10, 5, 61, 4), lines[5], f);
            c.text(QRectF(72, 5, 22, 4), lines[6], f, Qt::AlignRight);
            c.text(QRectF(96, 5, 22, 4), lines[7], b, Qt::AlignRight);
            c.text(QRectF(121, 5, w - 121 - 22, 4), lines[8], f);
            c.text(QRectF(w - 20, 5, 20, 4), lines[9], f, Qt::AlignRight);
            return true;
        });
    }
    return report.End();
}
