#pragma once
// What one run of the invoice printout keeps: the settings read once and the
// texts of the invoice being printed (shared by the units of the form).
#include "printouts/DrukFv.h"

#include <QDate>
#include <QImage>
#include <vector>

struct TFormDrukFv::Run
{
    bool hideBalance = false;
    int defaultVariant = 1;
    bool zwolnienie = false;
    bool dataJakoMiesiac = false;
    bool barcodes = true;
    bool vovePrint = false;
    bool voveNoPassword = false;
    TSellerHeader seller;
    QString bankSub, bank, konto;
    QString recipientName, recipientAddress, stubRecipient;
    QImage logo, banner;
};

struct TFormDrukFv::Invoice
{
    int index = 0, user = 0;
    QString numer, buyer, ulicaNr, kodMiejscowosc, nipTxt, saleDate, issueDate;
    QDate issue, due;
    QString forma, wystawil, uwagi;
    Amount4 netto, vat, brutto, rabat, wplacona, rozliczona, doRozliczenia, doZaplaty;
    std::vector<TFvVatRow> vatRows;
    QString ksefNr, linkOffline, linkCertOffline;
    QString nrKlienta, portalLine, correspondence, payer1, payer2;
    Amount4 saldo, saldoZalegle;
    int variant = 1;
    bool hideBalance = false;
    QString account, bankName;
    // A correction's reference line and reason.
    QString reference, reason;
    int transferPx = 0;
};
