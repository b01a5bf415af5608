#include "printouts/DrukFvDane.h"

#include "billing/AutoFv.h"
#include "core/DedicatedSession.h"
#include "core/KwotaSlownie.h"
#include "core/Query.h"
#include "platform/QrCodeFile.h"
#include "printouts/ReportForm.h"

#include <QFile>
#include <cmath>

int FvPrintVariant(int subscriberVariant, int defaultVariant)
{
    return subscriberVariant == 0 ? defaultVariant : subscriberVariant;
}

QString PaymentTermText(const QDate& issue, const QDate& due)
{
    const QString dueText = due.isValid() ? due.toString(Qt::ISODate) : QString();
    if (!issue.isValid() || !due.isValid()) return dueText;
    const qint64 d = issue.daysTo(due);
    if (d < 1) return dueText;
    return QString::number(d) + QLatin1Char(' ') +
           (d == 1 ? QStringLiteral("dzień") : QStringLiteral("dni")) + QStringLiteral(" = ") + dueText;
}

std::vector<TFvVatRow> FvVatRows(const TQuery& fv, const QString& prefix, bool negativeToo)
{
    std::vector<TFvVatRow> rows;
    for (const char* g : {"A", "B", "C", "D", "G", "NP"}) {
        const QString s = QLatin1Char('_') + QLatin1String(g);
        const TField* brutto = fv.FindField(prefix + QStringLiteral("SUMABRUTTO") + s);
        if (!brutto || brutto->AsCurrency().raw == 0) continue;
        if (!negativeToo && brutto->AsCurrency().raw < 0) continue;
        TFvVatRow r;
        r.opis = fv.FieldByName(prefix + QStringLiteral("OPISVAT") + s)->AsString();
        r.netto = fv.FieldByName(prefix + QStringLiteral("SUMANETTO") + s)->AsCurrency();
        r.vat = fv.FieldByName(prefix + QStringLiteral("SUMAVAT") + s)->AsCurrency();
        r.brutto = brutto->AsCurrency();
        rows.push_back(r);
    }
    return rows;
}

int FvVatRowTopPx(int i)
{
    return 76 + 20 * i;
}

int FvVatRuleTopPx(int rowsPrinted)
{
    return rowsPrinted > 0 ? FvVatRowTopPx(rowsPrinted - 1) + 24 : 80;
}

QString FvUlicaNr(const QString& ulica, const QString& nrDomu, const QString& nrLokalu)
{
    QString s = ulica + QLatin1Char(' ') + nrDomu;
    if (!nrLokalu.isEmpty()) s += QLatin1Char('/') + nrLokalu;
    return s;
}

QString FvKodMiejscowosc(const QString& kod, const QString& miejscowosc)
{
    return kod + QLatin1Char(' ') + miejscowosc;
}

QString FvNipTxt(const QString& nip)
{
    return nip.isEmpty() ? QString() : QStringLiteral("NIP ") + nip;
}

QString PortalLoginLine(bool printAuthorisation, bool withoutPassword, int skipSubscriber,
                        const QString& login, const QString& password)
{
    if (!printAuthorisation || skipSubscriber != 0) return QString();
    QString s = QStringLiteral("vOVE - Login: ") + login;
    if (!withoutPassword) s += QStringLiteral("  Hasło: ") + password;
    return s;
}

QString FvCorrespondenceBlock(const QString& czyAdresDoKoresp, const QString& korAdres,
                              const QString& userAdres2, const QString& nip2Txt, const QString& jst,
                              const QString& rola)
{
    QString s = CorrespondenceAddress(czyAdresDoKoresp, korAdres, userAdres2);
    if (czyAdresDoKoresp == QLatin1String("1") && !nip2Txt.isEmpty())
        s += QStringLiteral("\r\n") + nip2Txt + QStringLiteral("\r\nJST:") + jst +
             QStringLiteral("   Rola:") + rola;
    return s;
}

QString FvkCorrespondenceBlock(const QString& czyAdresDoKoresp, const QString& korAdres,
                               const QString& userAdres2, const QString& nip2Txt, const QString& jst,
                               const QString& rola)
{
    const bool own = czyAdresDoKoresp == QLatin1String("1");
    QString s = own && !korAdres.trimmed().isEmpty()
                    ? korAdres
                    : userAdres2 + QStringLiteral("\r\nJST:") + jst + QStringLiteral("   Rola:") + rola;
    if (own && !nip2Txt.isEmpty()) s += QStringLiteral("\r\n") + nip2Txt;
    return s;
}

TFvTransfer FvTransferValues(bool hideBalance, Amount4 kwotaDoZaplaty, Amount4 saldo, const QString& numerTxt,
                             const QString& nrKlienta, const QString& documentWord)
{
    TFvTransfer t;
    if (hideBalance) {
        t.amount = kwotaDoZaplaty.abs();
        t.title = QStringLiteral("Zapłata za: ") + documentWord + numerTxt;
    } else {
        t.amount = saldo.abs();
        t.title = QStringLiteral("(") + nrKlienta + QStringLiteral(") Zapłata zobowiązań do kwoty salda");
    }
    t.words = QStringLiteral("słownie : ") + AmountInWords(t.amount);
    return t;
}

int FvTransferBandPx(bool hideBalance, Amount4 kwotaDoZaplaty, Amount4 saldo)
{
    if (hideBalance) return kwotaDoZaplaty.isZero() ? 0 : 440;
    return saldo.raw < 0 ? 440 : 0;
}

int FvkTransferBandPx(int subscriberVariant, bool hideBalance, Amount4 sumaBrutto, Amount4 saldo)
{
    if (subscriberVariant != 1 || saldo.raw >= 0) return 0;
    if (hideBalance && sumaBrutto.raw <= 0) return 0;
    return 529;
}

QString UnpaidDocumentsMemoText(int userIndex)
{
    return MakeUnpaidDocumentsText(userIndex);
}

void MakeFvQrCodes(int fvIndex, const QString& nrKsef, const QString& linkOffline,
                   const QString& linkCertOffline, const QString& letter)
{
    const QString base = letter + QString::number(fvIndex);
    if (!nrKsef.isEmpty()) {
        MakeQrCodeFile(linkOffline.isEmpty() ? nrKsef : linkOffline, base);
    } else if (!linkCertOffline.isEmpty()) {
        MakeQrCodeFile(linkCertOffline, base + QStringLiteral("_certoff"));
        MakeQrCodeFile(linkOffline, base + QStringLiteral("_off"));
    }
}

void MakeFvQrCodes(int fvIndex)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select FV_KSEF_NRKSEF, FV_KSEF_LINKOFFLINE, FV_KSEF_LINKCERTOFFLINE from FvKsef where "
            "FV_KSEF_IDFAKTURY=:p1 order by FV_KSEF_INDEX desc limit 1"),
        {fvIndex});
    if (q->IsEmpty()) return;
    MakeFvQrCodes(fvIndex, q->Fields(0)->AsString(), q->Fields(1)->AsString(), q->Fields(2)->AsString());
}

void MakeFvkQrCodes(int fvkIndex)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select FVK_KSEF_NRKSEF, FVK_KSEF_LINKOFFLINE, FVK_KSEF_LINKCERTOFFLINE from FvkKsef where "
            "FVK_KSEF_IDFAKTURY=:p1 order by FVK_KSEF_INDEX desc limit 1"),
        {fvkIndex});
    if (q->IsEmpty()) return;
    MakeFvQrCodes(fvkIndex, q->Fields(0)->AsString(), q->Fields(1)->AsString(), q->Fields(2)->AsString(),
                  QStringLiteral("K"));
}
