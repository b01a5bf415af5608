#pragma once
// The contract document printout: heading with the number's Code 93, the
// parties and dates, the two bodies frozen from the template (RTF read by the
// platform's reader, so they print as the template editor shows them) and the
// signature boxes, in five layout variants. Also the routes that print,
// mail and hand over a document.
#include "printouts/ReportForm.h"

#include <QString>
#include <memory>

class QTextDocument;
class TQuery;

class TFormDrukUmowa : public TReportForm
{
    Q_OBJECT
public:
    explicit TFormDrukUmowa(QObject* parent = nullptr);
    ~TFormDrukUmowa() override;

    // 0..4, from the setting WariantWydrukuUmowy.
    int PrintVariant = 0;
    // The document with its template (callers replace the SQL) and its subscriber.
    TQuery* QUmowy() const { return m_qumowy.get(); }
    TQuery* QUserdb() const { return m_quser.get(); }
    // Reads the two bodies of the current document: RTF through the reader
    // (the first cut to 80000 characters), any other text as it is.
    void LoadContractTexts();
    QTextDocument* Body(int i) const { return i == 0 ? m_body1.get() : m_body2.get(); }

protected:
    std::shared_ptr<TReportDocument> BuildReport() override;

private:
    struct Doc;
    void pageHeader(TBandCanvas& c, const Doc& d, int page);
    void documentBand(TBandCanvas& c, const Doc& d);
    void signatureBand(TBandCanvas& c, const Doc& d);
    std::unique_ptr<TQuery> m_qumowy, m_quser;
    std::shared_ptr<QTextDocument> m_body1, m_body2;
};

TFormDrukUmowa* FormDrukUmowa();

// Mode 1: paper (preview on DrukarkaPapier, 2 copies); mode 2: PDF (straight to DrukarkaPDF).
void PrintUmowa(int umIndex, int mode);
// A stored printout of an earlier installation cannot be reproduced: says so and prints nothing.
void PrintStoredUmowa(int umIndex, int mode);
// The route by the stored printout: PrintStoredUmowa when there is one, else PrintUmowa.
void PrintUmowaDocument(int umIndex, int mode);
// "Drukuj PDF": the PDF printer must be set first.
void PrintUmowaPdfCommand(int umIndex);
// Channel "email" or "vove": the PDF of the document, then the mail or the portal store.
void SendUmowaDocument(int umIndex, const QString& channel);
void SendUmowaByEmail(int umIndex);
void SendUmowaToVove(int umIndex);

extern const QString NoPdfPrinterMessage; // "Proszę wskazać w konfiguracji drukarkę PDFów ..."
