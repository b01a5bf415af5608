#include "billing/KasaVendra.h"

#include "billing/OplatyDane.h"
#include "billing/Pozycje.h"
#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Query.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

QString database()
{
    return VendraDatabaseIdentifier(
        ReadIniString(0, QStringLiteral("DodajDoVendraSqlBaza"), QStringLiteral("VENDRA4SQL")));
}

} // namespace

TGrossLineAmounts GrossLineAmounts(Amount4 grossPrice, Amount4 quantity, Amount4 discount, Amount4 factor)
{
    const long double f = factor.raw == 0 ? 1.0L : factor.toLongDouble();
    const long double price = grossPrice.toLongDouble();
    const long double qty = quantity.toLongDouble();
    const long double disc = discount.toLongDouble();
    TGrossLineAmounts a;
    a.NetPrice = Amount4::fromLongDouble(price / f);
    a.GrossValue = Amount4::fromLongDouble(price * qty * (100.0L - disc) / 100.0L);
    a.NetValue = Amount4::fromLongDouble(a.GrossValue.toLongDouble() / f);
    a.VatAmount = a.GrossValue - a.NetValue;
    a.DiscountAmount = Amount4::fromLongDouble(price * qty * disc / 100.0L);
    return a;
}

QString VendraDatabaseIdentifier(const QString& name)
{
    return QLatin1Char('`') + QString(name).replace(QLatin1Char('`'), QStringLiteral("``")) +
           QLatin1Char('`');
}

void RecalcVendraFvPozycja(int lineIndex)
{
    TDedicatedSession* s = GlobalSession();
    const QString d = database();
    auto q = s->OpenQuery(
        QStringLiteral("select * from ") + d + QStringLiteral(".FvPozycje where FVP_INDEX=:p1"), {lineIndex});
    if (q->IsEmpty()) return;
    const Amount4 price = q->FieldByName(QStringLiteral("FVP_CENABRUTTO"))->AsCurrency();
    const Amount4 factor = VatRateFactor(q->FieldByName(QStringLiteral("FVP_STAWKAVAT_TXT"))->AsString());
    const TGrossLineAmounts a =
        GrossLineAmounts(price, q->FieldByName(QStringLiteral("FVP_ILOSC"))->AsCurrency(),
                         q->FieldByName(QStringLiteral("FVP_RABAT"))->AsCurrency(), factor);
    s->ExecQuery(
        QStringLiteral("update ") + d +
            QStringLiteral(".FvPozycje set FVP_CENABRUTTO=:p1, FVP_STAWKAVAT=:p2, FVP_CENANETTO=:p3, "
                           "FVP_WARTOSCBRUTTO=:p4, FVP_WARTOSCNETTO=:p5, FVP_KWOTAVAT=:p6, "
                           "FVP_RABATKWOTA=:p7 where FVP_INDEX=:p8"),
        {price.toSqlText(), factor.toSqlText(), a.NetPrice.toSqlText(), a.GrossValue.toSqlText(),
         a.NetValue.toSqlText(), a.VatAmount.toSqlText(), a.DiscountAmount.toSqlText(), lineIndex});
}

int AddVendraTillLine(const QString& name, const QString& address, Amount4 amount)
{
    TDedicatedSession* s = GlobalSession();
    const TExecResult r = s->ExecQuery(
        QStringLiteral("insert into ") + database() +
            QStringLiteral(
                ".FvPozycje (FVP_TYP, FVP_INDEXFAKTURA, FVP_NAZWA, FVP_CENABRUTTO, FVP_STAWKAVAT_TXT, "
                "FVP_ILOSC, FVP_OPERATORID, FVP_SYMBOL, FVP_DATADODANIA) values (:p1, :p2, :p3, :p4, "
                ":p5, :p6, :p7, :p8, NOW() )"),
        {QStringLiteral("*"), -1,
         QStringLiteral("Orlisx4SQL (automat): ") + name + QStringLiteral("  ") + address, amount.toSqlText(),
         QStringLiteral("23%"), 1, 9998, QStringLiteral("QV")});
    const int id = int(r.InsertId);
    // The sales program watches the table: give it a moment before the line is completed.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10)
        QCoreApplication::processEvents();
    RecalcVendraFvPozycja(id);
    LogEvent(QStringLiteral("Dodanie pozycji (auto) KD do Vendra4SQL ID=%1").arg(id));
    return id;
}

void OfferVendraTillLine(int userIndex, Amount4 amount)
{
    if (amount <= Amount4{} || !ReadIniBool(0, QStringLiteral("DodajDoVendraSql"), false)) return;
    const QString name = ReadOplataUser(userIndex).name;
    if (TMD::MessageDlg(
            QStringLiteral("Czy dodać wpis do kasy detalicznej programu Vendra4SQL:\r\n\r\nUzytkownik: ") +
                name + QStringLiteral("  KWOTA= ") + MoneyText(amount) + QStringLiteral(" ?   "),
            mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    try {
        const QString address = GlobalSession()->GetQueryValueAsString(
            QStringLiteral("select vU_ADR_Adres from vUserdb where U_INDEX=:p1"), {userIndex});
        AddVendraTillLine(name, address, amount);
    } catch (...) {
        TMD::MessageDlg(QStringLiteral("Błąd podczas dodawania wpisu do kasy detalicznej Vendray4SQL. Proszę "
                                       "dodać wpłatę ręcznie."),
                        mtError, mbOK);
    }
}
