#pragma once
// The cash document of a payment: "DOWÓD WPŁATY (KP)" for money received,
// "DOWÓD WYPŁATY (KW)" for a payout, on the upper part of an A4 page; with
// 2xWydrukKP a second identical copy below it. Several payments in one run
// print every first copy, then every second copy.
#include "printouts/ReportForm.h"

#include <memory>

class TQuery;

class TFormDrukKP : public TReportForm
{
    Q_OBJECT
public:
    explicit TFormDrukKP(QObject* parent = nullptr);
    ~TFormDrukKP() override;

    // Rows of Oplaty (callers replace its SQL) and the payer of the current one.
    TQuery* QOplaty() const { return m_qoplaty.get(); }
    TQuery* QUserdb() const { return m_quser.get(); }

protected:
    std::shared_ptr<TReportDocument> BuildReport() override;
    void AfterPreview() override;

private:
    struct Run;
    struct Payment;
    void readPayment(Payment& p);
    void headerBand(TBandCanvas& c, const Payment& first, int page);
    void bodyBand(TBandCanvas& c, const Payment& p);

    std::unique_ptr<TQuery> m_qoplaty, m_quser;
    std::unique_ptr<Run> m_run;
};

// The application's one receipt form, created on first use.
TFormDrukKP* FormDrukKP();

// The receipt of one payment: preview on the operator's paper printer, or
// straight to his PDF printer (the file "KP_" + number + ".pdf").
void PrintKpDocument(int oplataIndex, bool pdf);
// The same on a printer the caller names.
void PrintKpDocument(int index, const QString& printerName, bool pdf);

// The payment identifier of a run: the digits of now + "ID" + O_INDEX.
QString KpPaymentIdentifier(const QString& nowDigits, int oplataIndex);
// "Kwota wpłacona", "Tytuł wpłaty", "Data wpłaty" and the title, with
// "wypłat" words for a payout (a negative amount).
struct TKpCaptions
{
    QString title, amount, titleOfPayment, date;
};
TKpCaptions KpCaptions(Amount4 amount);
