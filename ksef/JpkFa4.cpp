// JPK_FA (4): the invoices of a period with their lines, as the tax office
// requests them. Corrections are not part of it.
#include "core/Funkcje.h"
#include "core/Query.h"
#include "ksef/Jpk.h"
#include "ksef/JpkCommon.h"

#include <QDateTime>
#include <tuple>

using namespace Jpk;

namespace {

const QString kLabel = QStringLiteral("JPK_FA(4)");

QString tns(const QString& indent, const QString& name, const QString& value)
{
    return indent + QStringLiteral("<tns:") + name + QLatin1Char('>') + value + QStringLiteral("</tns:") +
           name + QLatin1Char('>');
}

QString etd(const QString& name, const QString& value)
{
    return QStringLiteral("            <etd:") + name + QLatin1Char('>') + value + QStringLiteral("</etd:") +
           name + QLatin1Char('>');
}

const QString i4 = QStringLiteral("    ");
const QString i8 = QStringLiteral("        ");
const QString i12 = QStringLiteral("            ");

// The seller's address elements the schema requires.
void checkAddress(const TSeller& s)
{
    QStringList missing;
    const std::pair<const QString*, const char*> required[] = {{&s.Wojewodztwo, "U_Wojewodztwo"},
                                                               {&s.Powiat, "U_Powiat"},
                                                               {&s.Gmina, "U_Gmina"},
                                                               {&s.NrDomu, "U_NrDomu"},
                                                               {&s.Miejscowosc, "U_Miejscowosc"},
                                                               {&s.KodPocztowy, "U_KodPocztowy"}};
    for (const auto& [value, key] : required)
        if (value->trimmed().isEmpty()) missing << QLatin1String(key);
    if (!missing.isEmpty())
        Refuse(kLabel, QStringLiteral("adres firmy jest niepełny (ustawienia: %1).")
                           .arg(missing.join(QStringLiteral(", "))));
}

QString buyerAddress(const TDoc& d)
{
    return RemoveAngleBrackets(
        d.Ulica + QLatin1Char(' ') + d.NrDomu +
        (d.NrLokalu.isEmpty() ? QStringLiteral(", ") : QLatin1Char('/') + d.NrLokalu + QStringLiteral(", ")) +
        d.Kod + QLatin1Char(' ') + d.Miejscowosc);
}

// The rate as the schema lists it ("23%" is 23); nothing for a text it does not know.
QString rate(const QString& text)
{
    static const QStringList known = {QStringLiteral("23"), QStringLiteral("22"), QStringLiteral("8"),
                                      QStringLiteral("7"),  QStringLiteral("5"),  QStringLiteral("4"),
                                      QStringLiteral("3"),  QStringLiteral("0"),  QStringLiteral("zw"),
                                      QStringLiteral("oo"), QStringLiteral("np")};
    const QString r = QString(text).remove(QLatin1Char('%')).trimmed();
    return known.contains(r) ? r : QString();
}

void writeHeader(TOutFile& out, const TPeriod& period, const TSeller& s)
{
    const QString schemaNs = QStringLiteral("http://jpk.mf.gov.pl/wzor/2022/02/17/02171/");
    out.Line(QStringLiteral("<?xml version=\"1.0\" encoding =\"utf-8\"?>"));
    out.Line(QStringLiteral(
                 "<tns:JPK xsi:schemaLocation=\"%1 "
                 "https://www.gov.pl/attachment/aaa27be2-3663-46cd-bf53-f8925f0170b3\" xmlns:tns=\"%1\" "
                 "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                 "xmlns:etd=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2018/08/24/eD/DefinicjeTypy/\" "
                 "xmlns:kck=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2013/05/23/eD/KodyCECHKRAJOW/\" "
                 "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
                 "xmlns:msxsl=\"urn:schemas-microsoft-com:xslt\" xmlns:usr=\"urn:the-xml-files:xslt\">")
                 .arg(schemaNs));
    out.Line(i4 + QStringLiteral("<tns:Naglowek>"));
    out.Line(i8 + QStringLiteral("<tns:KodFormularza kodSystemowy=\"JPK_FA (4)\" wersjaSchemy=\"1-0\">JPK_FA"
                                 "</tns:KodFormularza>"));
    out.Line(tns(i8, QStringLiteral("WariantFormularza"), QStringLiteral("4")));
    out.Line(tns(i8, QStringLiteral("CelZlozenia"), QStringLiteral("1")));
    out.Line(tns(i8, QStringLiteral("DataWytworzeniaJPK"),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))));
    out.Line(tns(i8, QStringLiteral("DataOd"), period.From.toString(QStringLiteral("yyyy-MM-dd"))));
    out.Line(tns(i8, QStringLiteral("DataDo"), period.To.toString(QStringLiteral("yyyy-MM-dd"))));
    out.Line(tns(i8, QStringLiteral("KodUrzedu"), s.KodUS));
    out.Line(i4 + QStringLiteral("</tns:Naglowek>"));
    out.Line(i4 + QStringLiteral("<tns:Podmiot1>"));
    out.Line(i8 + QStringLiteral("<tns:IdentyfikatorPodmiotu>"));
    out.Line(tns(i12, QStringLiteral("NIP"), s.Nip));
    out.Line(tns(i12, QStringLiteral("PelnaNazwa"), Esc(SafeFileNameText(s.Nazwa))));
    out.Line(i8 + QStringLiteral("</tns:IdentyfikatorPodmiotu>"));
    out.Line(i8 + QStringLiteral("<tns:AdresPodmiotu>"));
    out.Line(etd(QStringLiteral("KodKraju"), QStringLiteral("PL")));
    out.Line(etd(QStringLiteral("Wojewodztwo"), Esc(s.Wojewodztwo)));
    out.Line(etd(QStringLiteral("Powiat"), Esc(s.Powiat)));
    out.Line(etd(QStringLiteral("Gmina"), Esc(s.Gmina)));
    if (!s.Ulica.trimmed().isEmpty()) out.Line(etd(QStringLiteral("Ulica"), Esc(s.Ulica)));
    out.Line(etd(QStringLiteral("NrDomu"), Esc(s.NrDomu)));
    out.Line(etd(QStringLiteral("Miejscowosc"), Esc(s.Miejscowosc)));
    out.Line(etd(QStringLiteral("KodPocztowy"), Esc(s.KodPocztowy)));
    out.Line(i8 + QStringLiteral("</tns:AdresPodmiotu>"));
    out.Line(i4 + QStringLiteral("</tns:Podmiot1>"));
}

void writeInvoice(TOutFile& out, const TDoc& d, const TSeller& s, const QString& sellerName,
                  const QString& sellerAddress)
{
    auto opt = [&](const char* name, const QString& value) {
        if (!value.trimmed().isEmpty()) out.Line(tns(i8, QLatin1String(name), Esc(value)));
    };
    out.Line(i4 + QStringLiteral("<tns:Faktura>"));
    out.Line(tns(i8, QStringLiteral("KodWaluty"), QStringLiteral("PLN")));
    out.Line(tns(i8, QStringLiteral("P_1"), d.Date));
    out.Line(tns(i8, QStringLiteral("P_2A"), Esc(d.NumerTxt)));
    opt("P_3A", SafeFileNameText(d.User));
    opt("P_3B", buyerAddress(d));
    out.Line(tns(i8, QStringLiteral("P_3C"), Esc(sellerName)));
    out.Line(tns(i8, QStringLiteral("P_3D"), Esc(sellerAddress)));
    out.Line(tns(i8, QStringLiteral("P_4A"), QStringLiteral("PL")));
    out.Line(tns(i8, QStringLiteral("P_4B"), s.Nip));
    opt("P_5B", DigitsOnly(d.Nip));
    out.Line(tns(i8, QStringLiteral("P_6"), d.Date));
    // Net and VAT of a rate go together (the schema pairs them); fields 7..0 are A net..G.
    const auto& f = d.Fields;
    const std::tuple<const char*, int, const char*, int> pairs[] = {
        {"P_13_1", 7, "P_14_1", 8}, {"P_13_2", 5, "P_14_2", 6}, {"P_13_3", 3, "P_14_3", 4}};
    for (const auto& [net, n, vat, v] : pairs)
        if (!f[size_t(n)].isZero() || !f[size_t(v)].isZero()) {
            out.Line(tns(i8, QLatin1String(net), Number(f[size_t(n)])));
            out.Line(tns(i8, QLatin1String(vat), Number(f[size_t(v)])));
        }
    const std::pair<const char*, int> singles[] = {{"P_13_5", 1}, {"P_13_6", 2}, {"P_13_7", 0}};
    for (const auto& [name, i] : singles)
        if (!f[size_t(i)].isZero()) out.Line(tns(i8, QLatin1String(name), Number(f[size_t(i)])));
    out.Line(tns(i8, QStringLiteral("P_15"), Number(d.SumaBrutto)));
    for (const char* flag :
         {"P_16", "P_17", "P_18", "P_18A", "P_19", "P_20", "P_21", "P_22", "P_23", "P_106E_2", "P_106E_3"})
        out.Line(tns(i8, QLatin1String(flag), QStringLiteral("false")));
    out.Line(tns(i8, QStringLiteral("RodzajFaktury"), QStringLiteral("VAT")));
    out.Line(i4 + QStringLiteral("</tns:Faktura>"));
}

} // namespace

void WriteJpkFa4(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                 const QDate& DateTo)
{
    FileName = QStringLiteral("0");
    try {
        const TPeriod period = BeginPeriod(UserIdFilter, PodmiotIndex, DateFrom, DateTo);
        const TSeller seller = ReadSeller();
        CheckKodUS(kLabel, seller);
        CheckNip(kLabel, seller);
        checkAddress(seller);

        TDocReader invoices(TKind::Invoice, period);
        auto lines = GlobalSession()->OpenQuery(
            QStringLiteral(
                "select FVP_INDEX, FVP_NAZWAUSLUGI, FVP_JEDNMIARY, FVP_ILOSC, FVP_CENANETTO, "
                "FVP_CENABRUTTO, FVP_RABATKWOTA, FVP_WARTOSCNETTO, FVP_WARTOSCBRUTTO, FVP_STAWKAVAT_TXT, "
                "FV_NUMERTXT from FvPozycje join Fv on FV_INDEX=FVP_INDEXFAKTURA") +
                PeriodWhere(TKind::Invoice, period) + QStringLiteral(" order by FVP_INDEX"),
            PeriodArgs(period));
        // The schema wants at least one invoice and one line.
        if (invoices.Count() == 0)
            Refuse(kLabel, QStringLiteral("w okresie %1 - %2 nie wystawiono żadnej faktury.")
                               .arg(DateFrom.toString(QStringLiteral("yyyy-MM-dd")),
                                    DateTo.toString(QStringLiteral("yyyy-MM-dd"))));
        if (lines->IsEmpty())
            Refuse(kLabel, QStringLiteral("faktury z okresu %1 - %2 nie mają pozycji.")
                               .arg(DateFrom.toString(QStringLiteral("yyyy-MM-dd")),
                                    DateTo.toString(QStringLiteral("yyyy-MM-dd"))));

        const QString suffix = CompanyShortName(PodmiotIndex);
        TOutFile out(QStringLiteral("JPK_FA4_Orlix6KSeF_") + AliasName() +
                     (suffix.isEmpty() ? QString() : QLatin1Char('_') + suffix) + QStringLiteral(".xml"));
        writeHeader(out, period, seller);
        Mark("JPKfa_1)");

        const QString sellerName = SafeFileNameText(seller.Nazwa);
        const QString sellerAddress = seller.Ulica + QLatin1Char(' ') + seller.NrDomu + QStringLiteral(", ") +
                                      seller.KodPocztowy + QLatin1Char(' ') + seller.Poczta;
        TDoc doc;
        int count = 0;
        Amount4 gross;
        while (invoices.Next(doc)) {
            writeInvoice(out, doc, seller, sellerName, sellerAddress);
            ++count;
            gross += doc.SumaBrutto;
        }
        out.Line(i4 + QStringLiteral("<tns:FakturaCtrl>"));
        out.Line(tns(i8, QStringLiteral("LiczbaFaktur"), QString::number(count)));
        out.Line(tns(i8, QStringLiteral("WartoscFaktur"), Fixed2(gross)));
        out.Line(i4 + QStringLiteral("</tns:FakturaCtrl>"));
        Mark("JPKfa_2)");

        TField* numer = lines->FieldByName(QStringLiteral("FV_NUMERTXT"));
        TField* name = lines->FieldByName(QStringLiteral("FVP_NAZWAUSLUGI"));
        TField* unit = lines->FieldByName(QStringLiteral("FVP_JEDNMIARY"));
        TField* stawka = lines->FieldByName(QStringLiteral("FVP_STAWKAVAT_TXT"));
        TField* lineGross = lines->FieldByName(QStringLiteral("FVP_WARTOSCBRUTTO"));
        const std::pair<const char*, const char*> amounts[] = {
            {"P_8B", "FVP_ILOSC"},      {"P_9A", "FVP_CENANETTO"},    {"P_9B", "FVP_CENABRUTTO"},
            {"P_10", "FVP_RABATKWOTA"}, {"P_11", "FVP_WARTOSCNETTO"}, {"P_11A", "FVP_WARTOSCBRUTTO"}};
        std::vector<TField*> amountFields;
        for (const auto& a : amounts)
            amountFields.push_back(lines->FieldByName(QLatin1String(a.second)));
        int lineCount = 0;
        Amount4 linesGross;
        for (lines->First(); !lines->Eof(); lines->Next()) {
            out.Line(i4 + QStringLiteral("<tns:FakturaWiersz>"));
            out.Line(tns(i8, QStringLiteral("P_2B"), Esc(numer->AsString())));
            if (!name->AsString().trimmed().isEmpty())
                out.Line(tns(i8, QStringLiteral("P_7"), Esc(name->AsString())));
            if (!unit->AsString().trimmed().isEmpty())
                out.Line(tns(i8, QStringLiteral("P_8A"), Esc(unit->AsString())));
            for (size_t i = 0; i < amountFields.size(); ++i)
                out.Line(tns(i8, QLatin1String(amounts[i].first), Number(amountFields[i]->AsCurrency())));
            const QString r = rate(stawka->AsString());
            if (!r.isEmpty()) out.Line(tns(i8, QStringLiteral("P_12"), r));
            out.Line(i4 + QStringLiteral("</tns:FakturaWiersz>"));
            ++lineCount;
            linesGross += lineGross->AsCurrency();
        }
        out.Line(i4 + QStringLiteral("<tns:FakturaWierszCtrl>"));
        out.Line(tns(i8, QStringLiteral("LiczbaWierszyFaktur"), QString::number(lineCount)));
        out.Line(tns(i8, QStringLiteral("WartoscWierszyFaktur"), Fixed2(linesGross)));
        out.Line(i4 + QStringLiteral("</tns:FakturaWierszCtrl>"));
        out.Line(QStringLiteral("</tns:JPK>"));
        Mark("JPKfa_3)");
        Mark("JPKfa_4)");
        Mark("JPKfa_5)");
        FileName = out.Commit();
        Mark("JPKfa_End)");
    } catch (...) {
        FileName = QStringLiteral("0");
        Mark("JPKfa_End)");
        throw;
    }
}
