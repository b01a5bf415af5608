#pragma once
// The corrective invoice printout: the invoice's layout with each line as it
// was and as it is after the correction, the reference to the corrected
// invoice and the reason.
#include "printouts/DrukFv.h"

class TFormDrukFvKorekta : public TFormDrukFv
{
    Q_OBJECT
public:
    explicit TFormDrukFvKorekta(QObject* parent = nullptr);

    // Rows of vFvkLista (callers replace its SQL) and their details.
    TQuery* QFvk() const { return QFv(); }
    TQuery* QFvkPozycje() const { return QFvPozycje(); }
};

// The application's one correction form, created on first use.
TFormDrukFvKorekta* FormDrukFvKorekta();

// Print (preview on the operator's paper printer) or PDF (straight to his PDF
// printer) of one correction, with its KSeF QR bitmaps made first.
void PrintFvkDocument(int fvkIndex, bool pdf);
// The same on a printer the caller names.
void PrintFvkDocument(int index, const QString& printerName, bool pdf);
