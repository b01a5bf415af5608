#pragma once
// The payment demand printout: the invoice's layout for a gross-only
// document, without VAT, tax numbers and KSeF codes. Several demands in one
// run make the collective print "P_zbiorczy" + the digits of now.
#include "printouts/DrukFv.h"

class TFormDrukPz : public TFormDrukFv
{
    Q_OBJECT
public:
    explicit TFormDrukPz(QObject* parent = nullptr);

    // Rows of vPzLista (callers replace its SQL) and their details.
    TQuery* QPz() const { return QFv(); }
    TQuery* QPzPozycje() const { return QFvPozycje(); }
};

// The application's one demand form, created on first use.
TFormDrukPz* FormDrukPz();

// Print (preview on the operator's paper printer) or PDF (straight to his PDF
// printer) of one demand.
void PrintPzDocument(int pzIndex, bool pdf);
// The same on a printer the caller names.
void PrintPzDocument(int index, const QString& printerName, bool pdf);
