#pragma once
// What the two register printouts share: the public fields the register
// window sets before printing and the report built from TRegisterData.
#include "printouts/ReportForm.h"
#include "registers/EwidencjaDane.h"

#include <QDate>
#include <QString>
#include <memory>

class TFormDrukEwidencja : public TReportForm
{
    Q_OBJECT
public:
    int PodmiotIndex = 0;
    QDate DateFrom, DateTo;
    QString UserIdFilter;
    // The report's comment label, set by the window (already expanded).
    QString Komentarz;

    // The data of the last report (its folio sums).
    std::shared_ptr<TRegisterData> LastData;

protected:
    TFormDrukEwidencja(TRegisterKind kind, QString title, QObject* parent);
    std::shared_ptr<TReportDocument> BuildReport() override;
    void AfterPreview() override;

private:
    TRegisterKind m_kind;
    QString m_title;
};
