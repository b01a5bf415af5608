#pragma once
// "ZESTAWIENIE WPŁAT": the payments of the payments list on A4, one row each,
// with the company header, the date range and the list's total.
#include "core/DedicatedSession.h"
#include "printouts/ReportForm.h"

#include <QDateTime>
#include <QString>
#include <memory>

class TQuery;

class TFormDrukZestawienieOplat : public TReportForm
{
    Q_OBJECT
public:
    explicit TFormDrukZestawienieOplat(QObject* parent = nullptr);
    ~TFormDrukZestawienieOplat() override;

    // Set by FillPaymentsSummary.
    QString TotalText; // "RAZEM:   " + the list's totals line
    QString RangeText; // " OD 2025-03-01  DO 2025-03-31"
    QString DateField; // "O_DATAWPLATY" or "O_DATADODANIA"
    QString Sql;       // the list's statement (same rows, same order)
    TArgs Args;
    // The moment of the print (title and header); now when invalid.
    QDateTime PrintedAt;

    // "OPLATY_" + the digits of the date and time.
    static QString TitleFor(const QDateTime& at);

protected:
    std::shared_ptr<TReportDocument> BuildReport() override;
};

TFormDrukZestawienieOplat* FormDrukZestawienieOplat();
