#pragma once
// The invoice printout: one or more invoices of vFvLista on A4, each from a
// new page, with seller and buyer, KSeF number and QR codes, items, VAT
// summary, payment data, the subscriber's balance and, by the subscriber's
// print variant, a transfer form, the unsettled documents or the banner.
// The correction and the payment demand printouts are this layout with their
// differences, so they derive from it and name their kind.
#include "printouts/DrukFvDane.h"
#include "printouts/ReportForm.h"

#include <QString>
#include <memory>

class TQuery;

class TFormDrukFv : public TReportForm
{
    Q_OBJECT
public:
    explicit TFormDrukFv(QObject* parent = nullptr);
    ~TFormDrukFv() override;

    // Print the duplicate note "DUPLIKAT z dnia " + DuplikatDate; cleared
    // after the preview closes (callers clear it after a direct print).
    bool Duplikat = false;
    QString DuplikatDate; // today at creation

    // The master query (callers replace its SQL) and its details.
    TQuery* QFv() const { return m_qfv.get(); }
    TQuery* QFvPozycje() const { return m_qpoz.get(); }
    TQuery* QUserdb() const { return m_quser.get(); }

protected:
    // 'F' invoice, 'K' correction (Fvk, FvkPozycje), 'P' payment demand (Pz, PzPozycje).
    TFormDrukFv(char kind, QObject* parent);
    std::shared_ptr<TReportDocument> BuildReport() override;
    void AfterPreview() override;

private:
    struct Run;
    struct Invoice;
    // A column of the document or of its items, named by this kind's prefix.
    QString col(const char* name) const;
    QString itemCol(const char* name) const;
    void readRunSettings(Run& run);
    void readInvoice(Invoice& inv);
    void pageHeader(TBandCanvas& c, const Invoice& inv, int page);
    void invoiceBand(TBandCanvas& c, const Invoice& inv);
    void ksefCodes(TBandCanvas& c, const Invoice& inv);
    double itemRow(TBandCanvas& c, int row, bool discount);
    double itemValues(TBandCanvas& c, double y, const QString& rowLabel, const QString& suffix,
                      bool discount);
    void totalsBand(TBandCanvas& c, const Invoice& inv);
    void totalsSums(TBandCanvas& c, const Invoice& inv, double& ruleY);
    void transferBand(TBandCanvas& c, const Invoice& inv, double heightMm);
    void memoBand(TBandCanvas& c, const Invoice& inv, int variant, const QString& memo);
    void columnHeadings(TBandCanvas& c, double y, bool withDiscount);

    const char m_kind;
    const QString m_prefix, m_itemPrefix;
    std::unique_ptr<TQuery> m_qfv, m_qpoz, m_quser;
    std::unique_ptr<Run> m_run;
    int m_page = 0;
    int m_row = 0;
};

// The application's one invoice form, created on first use.
TFormDrukFv* FormDrukFv();
