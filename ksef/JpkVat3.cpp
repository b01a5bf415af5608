// JPK_VAT (3): the older sales register without a declaration, one line of
// text. Documents with the FP flag count like all others.
#include "core/Funkcje.h"
#include "ksef/Jpk.h"
#include "ksef/JpkCommon.h"

using namespace Jpk;

namespace {

const QString kLabel = QStringLiteral("JPK_VAT(3)");

QString tns(const QString& name, const QString& value)
{
    return QStringLiteral("<tns:") + name + QLatin1Char('>') + value + QStringLiteral("</tns:") + name +
           QLatin1Char('>');
}

QString nonEmpty(const QString& escaped)
{
    return escaped.isEmpty() ? QStringLiteral("brak") : escaped;
}

void writeRow(TOutFile& out, const TDoc& d, int n)
{
    QString address =
        d.Ulica + QLatin1Char(' ') + d.NrDomu +
        (d.NrLokalu.isEmpty() ? QStringLiteral(" ") : QLatin1Char('/') + d.NrLokalu + QLatin1Char(' ')) +
        d.Kod + QLatin1Char(' ') + d.Miejscowosc;
    if (d.Kind == TKind::Correction) address = RemoveAngleBrackets(address);
    QString row =
        QStringLiteral("<tns:SprzedazWiersz>") + tns(QStringLiteral("LpSprzedazy"), QString::number(n)) +
        tns(QStringLiteral("NrKontrahenta"), Esc(BuyerNip(d.Nip))) +
        tns(QStringLiteral("NazwaKontrahenta"), nonEmpty(Esc(SafeFileNameText(d.User)))) +
        tns(QStringLiteral("AdresKontrahenta"), nonEmpty(Esc(address))) +
        tns(QStringLiteral("DowodSprzedazy"), Esc(d.NumerTxt)) +
        tns(QStringLiteral("DataWystawienia"), d.Date) + tns(QStringLiteral("DataSprzedazy"), d.Date);
    for (int i = 0; i < kFieldCount; ++i)
        row += tns(QStringLiteral("K_%1").arg(kFieldNumbers[size_t(i)]), Number(d.Fields[size_t(i)]));
    out.Put(row + QStringLiteral("</tns:SprzedazWiersz>"));
}

} // namespace

void WriteJpkVat3(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo)
{
    FileName = QStringLiteral("0");
    try {
        const TPeriod period = BeginPeriod(UserIdFilter, PodmiotIndex, DateFrom, DateTo);
        const TSeller seller = ReadSeller();
        CheckNip(kLabel, seller);
        CheckEmail(kLabel, seller, false);

        TDocReader invoices(TKind::Invoice, period);
        TDocReader corrections(TKind::Correction, period);
        // The underscore stays even without a company.
        TOutFile out(QStringLiteral("JPK_VAT_Orlix6KSeF_") + AliasName() + QLatin1Char('_') +
                     CompanyShortName(PodmiotIndex) + QStringLiteral(".xml"));
        out.Put(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        out.Put(QStringLiteral(
            "<tns:JPK xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
            "xmlns:tns=\"http://jpk.mf.gov.pl/wzor/2017/11/13/1113/\" "
            "xmlns:etd=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2016/01/25/eD/DefinicjeTypy/\">"));
        out.Put(QStringLiteral(
            "<tns:Naglowek><tns:KodFormularza wersjaSchemy=\"1-1\" kodSystemowy=\"JPK_VAT (3)\">"
            "JPK_VAT</tns:KodFormularza><tns:WariantFormularza>3</tns:WariantFormularza>"
            "<tns:CelZlozenia>0</tns:CelZlozenia>"));
        out.Put(tns(QStringLiteral("DataWytworzeniaJPK"), NowUtc()));
        out.Put(tns(QStringLiteral("DataOd"), DateFrom.toString(QStringLiteral("yyyy-MM-dd"))) +
                tns(QStringLiteral("DataDo"), DateTo.toString(QStringLiteral("yyyy-MM-dd"))) +
                QStringLiteral("<tns:NazwaSystemu>Orlix6KSeF</tns:NazwaSystemu></tns:Naglowek>"));
        out.Put(QStringLiteral("<tns:Podmiot1>") + tns(QStringLiteral("NIP"), seller.Nip) +
                tns(QStringLiteral("PelnaNazwa"), nonEmpty(Esc(SafeFileNameText(seller.Nazwa)))));
        if (!seller.Email.isEmpty()) out.Put(tns(QStringLiteral("Email"), Esc(seller.Email)));
        out.Put(QStringLiteral("</tns:Podmiot1>"));
        Mark("JPK_1)");

        int n = 0;
        Amount4 tax;
        TDoc doc;
        while (invoices.Next(doc)) {
            writeRow(out, doc, ++n);
            tax += doc.SumaVat;
        }
        Mark("JPK_2)");
        while (corrections.Next(doc)) {
            writeRow(out, doc, ++n);
            tax += doc.SumaVat;
        }
        Mark("JPK_3)");
        // The control section belongs to the rows; a file without rows has none.
        if (n > 0)
            out.Put(QStringLiteral("<tns:SprzedazCtrl>") +
                    tns(QStringLiteral("LiczbaWierszySprzedazy"), QString::number(n)) +
                    tns(QStringLiteral("PodatekNalezny"), Fixed2(tax)) +
                    QStringLiteral("</tns:SprzedazCtrl>"));
        out.Line(QStringLiteral("</tns:JPK>"));
        Mark("JPK_4)");
        Mark("JPK_5)");
        FileName = out.Commit();
        Mark("JPK_End)");
    } catch (...) {
        FileName = QStringLiteral("0");
        Mark("JPK_End)");
        throw;
    }
}
