#pragma once
// The values the invoice printout computes from an invoice row and its
// subscriber: no widgets, no painting, so tests call them directly.
#include "core/Amount4.h"

#include <QDate>
#include <QString>
#include <vector>

class TQuery;

// The print variant of a subscriber: its own (U_RODZAJWYDRUKUFV) or, for 0,
// the run's default (RodzajWydrukuPrzelewu). 1 transfer form, 2 banner,
// 3 unsettled documents and banner, other values neither.
int FvPrintVariant(int subscriberVariant, int defaultVariant);

// "2025-01-15" alone when the term is under one day, else "14 dni = 2025-01-15"
// ("1 dzień = ..." for one day).
QString PaymentTermText(const QDate& issue, const QDate& due);

// One row of the VAT summary (a rate with a gross amount above 0).
struct TFvVatRow
{
    QString opis;
    Amount4 netto, vat, brutto;
};
// The rates A, B, C, D, G, NP of the current row of an invoice query, in that
// order, those with a gross amount above 0 (a correction: any but 0, since
// its amounts go negative).
std::vector<TFvVatRow> FvVatRows(const TQuery& fv, const QString& prefix = QStringLiteral("FV_"),
                                 bool negativeToo = false);
// Top of VAT row i (0-based) and of the rule under the table, in screen
// pixels from the totals band's top (used without the DPI factor).
int FvVatRowTopPx(int i);
int FvVatRuleTopPx(int rowsPrinted);

// The calculated columns of an invoice row.
QString FvUlicaNr(const QString& ulica, const QString& nrDomu, const QString& nrLokalu);
QString FvKodMiejscowosc(const QString& kod, const QString& miejscowosc);
QString FvNipTxt(const QString& nip);

// "vOVE - Login: " + login (+ "  Hasło: " + password); empty when the portal
// line is off or the subscriber is left out of it.
QString PortalLoginLine(bool printAuthorisation, bool withoutPassword, int skipSubscriber,
                        const QString& login, const QString& password);

// The "Adres do korespondencji/Odbiorca" block of an invoice.
QString FvCorrespondenceBlock(const QString& czyAdresDoKoresp, const QString& korAdres,
                              const QString& userAdres2, const QString& nip2Txt, const QString& jst,
                              const QString& rola);

// The correspondence block of a correction: its own correspondence address
// when it has one, else the buyer's address with the JST and role line; the
// second NIP under either.
QString FvkCorrespondenceBlock(const QString& czyAdresDoKoresp, const QString& korAdres,
                               const QString& userAdres2, const QString& nip2Txt, const QString& jst,
                               const QString& rola);

// What the transfer form of an invoice carries.
struct TFvTransfer
{
    Amount4 amount; // always non-negative
    QString words;  // "słownie : " + amount in words
    QString title;
};
// DocumentWord names the document in the title ("FAKTURA nr ", "KOREKTA nr ",
// "PZ nr ").
TFvTransfer FvTransferValues(bool hideBalance, Amount4 kwotaDoZaplaty, Amount4 saldo, const QString& numerTxt,
                             const QString& nrKlienta,
                             const QString& documentWord = QStringLiteral("FAKTURA nr "));
// Height of the transfer-form band in layout pixels under variant 1: 440 when
// there is something to pay, else 0.
int FvTransferBandPx(bool hideBalance, Amount4 kwotaDoZaplaty, Amount4 saldo);
// The same for a correction, 529 or 0: only a subscriber of variant 1 itself
// (no default) who owes money, and with the balance hidden only a
// correction that raises the amount due.
int FvkTransferBandPx(int subscriberVariant, bool hideBalance, Amount4 sumaBrutto, Amount4 saldo);

// The subscriber's unsettled documents as a fixed-column block, empty when
// nothing is due.
QString UnpaidDocumentsMemoText(int userIndex);

// The KSeF QR bitmaps of an invoice in the private folder: "F" + index from
// the offline link or the KSeF number when there is a KSeF number, else the
// "_certoff" and "_off" pair when there is a certificate link. A correction's
// bitmaps begin with "K".
void MakeFvQrCodes(int fvIndex, const QString& nrKsef, const QString& linkOffline,
                   const QString& linkCertOffline, const QString& letter = QStringLiteral("F"));
// The same for an invoice read from FvKsef.
void MakeFvQrCodes(int fvIndex);
// The same for a correction read from FvkKsef.
void MakeFvkQrCodes(int fvkIndex);
