#pragma once
// "FAKTURY POBRANE Z KSeF": the received invoices of the list, one band each
// (alternately white and light grey), under the company header and the period.
#include "core/DedicatedSession.h"
#include "printouts/ReportForm.h"

#include <QString>
#include <memory>

class TFormDrukListaPobraneKsef : public TReportForm
{
    Q_OBJECT
public:
    explicit TFormDrukListaPobraneKsef(QObject* parent = nullptr);
    ~TFormDrukListaPobraneKsef() override;

    QString Sql; // the list's statement (same rows, same order)
    TArgs Args;
    QString PeriodText; // "Od daty 2026-01-01 do daty 2026-03-31"

protected:
    std::shared_ptr<TReportDocument> BuildReport() override;
};

TFormDrukListaPobraneKsef* FormDrukListaPobraneKsef();
