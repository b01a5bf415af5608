// The VAT register files with declaration: JPK_V7M (3), JPK_V7M (2) and
// JPK_V7K (2). They differ in namespaces, form codes, the KSeF marker and
// how names are cleaned; a quarterly file declares the whole quarter in the
// file of the quarter's last month.
#include "core/Session.h"
#include "ksef/Jpk.h"
#include "ksef/JpkCommon.h"

#include "core/Funkcje.h"

using namespace Jpk;

namespace {

struct TV7Form
{
    const char* Label;      // for the operator: "JPK_V7M(3)"
    const char* Code;       // kodSystemowy
    int Variant;            // WariantFormularza
    const char* Namespaces; // of the root element
    const char* DeclCode;   // kodSystemowy of the declaration
    const char* DeclForm;   // its form code
    int DeclVariant;        // WariantFormularzaDekl
    bool Ksef;              // KSeF marker and document type FP
    bool SafeNames;         // names cleaned of & / _ ... instead of escaped
    bool Quarterly;         // declaration only in a quarter's last month, over the quarter
    const char* FilePrefix; // file name up to the alias
    int FirstYear;          // first year the structure accepts
};

const TV7Form kV7M3 = {
    "JPK_V7M(3)",
    "JPK_V7M (3)",
    3,
    "xmlns=\"http://crd.gov.pl/wzor/2025/12/19/14090/\" "
    "xmlns:etd=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2022/09/13/eD/DefinicjeTypy/\" "
    "xmlns:kk=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2023/09/06/eD/KodyKrajow/\" "
    "xmlns:kus=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2022/01/05/eD/KodyUrzedowSkarbowych/\"",
    "VAT-7 (23)",
    "VAT-7",
    23,
    true,
    false,
    false,
    "JPK_V7M3_Orlix6KSeF_",
    2026};

const TV7Form kV7M2 = {
    "JPK_V7M(2)",
    "JPK_V7M (2)",
    2,
    "xmlns=\"http://crd.gov.pl/wzor/2021/12/27/11148/\" "
    "xmlns:etd=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2021/06/08/eD/DefinicjeTypy/\"",
    "VAT-7 (22)",
    "VAT-7",
    22,
    false,
    true,
    false,
    "JPK_V7M_Orlix6KSeF_",
    2022};

const TV7Form kV7K2 = {
    "JPK_V7K(2)",
    "JPK_V7K (2)",
    2,
    "xmlns=\"http://crd.gov.pl/wzor/2021/12/27/11149/\" "
    "xmlns:etd=\"http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2021/06/08/eD/DefinicjeTypy/\"",
    "VAT-7K (16)",
    "VAT-7K",
    16,
    false,
    true,
    true,
    "JPK_V7K_Orlix6KSeF_",
    2022};

QString el(const QString& name, const QString& value)
{
    return QLatin1Char('<') + name + QLatin1Char('>') + value + QStringLiteral("</") + name +
           QLatin1Char('>');
}

QString el(const QString& name, qint64 value)
{
    return el(name, QString::number(value));
}

// 1..4 for the last month of a quarter, else 0.
int quarterOf(const QDate& from)
{
    return from.month() % 3 == 0 ? from.month() / 3 : 0;
}

QString name(const TV7Form& form, const QString& text)
{
    const QString t = form.SafeNames ? SafeFileNameText(text) : text;
    const QString e = Esc(t);
    return e.isEmpty() ? QStringLiteral("brak") : e;
}

void writePodmiot(TOutFile& out, const TV7Form& form, const TSeller& s)
{
    out.Line(QStringLiteral("<Podmiot1 rola=\"Podatnik\">"));
    if (s.OsobaFizyczna) {
        out.Line(QStringLiteral("<OsobaFizyczna>"));
        out.Line(el(QStringLiteral("etd:NIP"), s.Nip));
        out.Line(el(QStringLiteral("etd:ImiePierwsze"), Esc(s.Imie)));
        out.Line(el(QStringLiteral("etd:Nazwisko"), Esc(s.Nazwisko)));
        out.Line(el(QStringLiteral("etd:DataUrodzenia"), s.DataUrodzenia));
        out.Line(el(QStringLiteral("Email"), Esc(s.Email)));
        out.Line(QStringLiteral("</OsobaFizyczna>"));
    } else {
        out.Line(QStringLiteral("<OsobaNiefizyczna>"));
        out.Line(el(QStringLiteral("NIP"), s.Nip));
        out.Line(el(QStringLiteral("PelnaNazwa"), name(form, s.Nazwa)));
        out.Line(el(QStringLiteral("Email"), Esc(s.Email)));
        out.Line(QStringLiteral("</OsobaNiefizyczna>"));
    }
    out.Line(QStringLiteral("</Podmiot1>"));
}

// The declaration's fields: whole złoty; a net/VAT pair goes together when
// either is non-zero; P_38 and P_51 are always there.
void writeDeclarationFields(TOutFile& out, const TDeclaration& d)
{
    auto field = [&](int i) {
        return el(QStringLiteral("P_%1").arg(kFieldNumbers[size_t(i)]), RoundZl(d.Fields[size_t(i)]));
    };
    for (int i = 0; i < 3; ++i)
        if (RoundZl(d.Fields[size_t(i)]) != 0) out.Line(field(i));
    for (int i = 3; i < kFieldCount; i += 2)
        if (RoundZl(d.Fields[size_t(i)]) != 0 || RoundZl(d.Fields[size_t(i + 1)]) != 0) {
            out.Line(field(i));
            out.Line(field(i + 1));
        }
    if (RoundZl(d.Net) != 0) out.Line(el(QStringLiteral("P_37"), RoundZl(d.Net)));
    const qint64 tax = d.Vat.raw > 0 ? RoundZl(d.Vat) : 0;
    out.Line(el(QStringLiteral("P_38"), tax));
    out.Line(el(QStringLiteral("P_51"), tax));
    if (d.Vat.raw < 0) {
        const qint64 excess = RoundZl(-d.Vat);
        out.Line(el(QStringLiteral("P_53"), excess));
        out.Line(el(QStringLiteral("P_62"), excess));
    }
}

void writeDeclaration(TOutFile& out, const TV7Form& form, const TDeclaration& d, int quarter)
{
    out.Line(QStringLiteral("<Deklaracja>"));
    out.Line(QStringLiteral("<Naglowek>"));
    out.Line(
        QStringLiteral("<KodFormularzaDekl kodSystemowy=\"%1\" kodPodatku=\"VAT\" rodzajZobowiazania=\"Z\" "
                       "wersjaSchemy=\"1-0E\">%2</KodFormularzaDekl>")
            .arg(QLatin1String(form.DeclCode), QLatin1String(form.DeclForm)));
    out.Line(el(QStringLiteral("WariantFormularzaDekl"), form.DeclVariant));
    if (quarter > 0) out.Line(el(QStringLiteral("Kwartal"), quarter));
    out.Line(QStringLiteral("</Naglowek>"));
    out.Line(QStringLiteral("<PozycjeSzczegolowe>"));
    writeDeclarationFields(out, d);
    out.Line(QStringLiteral("</PozycjeSzczegolowe>"));
    out.Line(QStringLiteral("<Pouczenia>1</Pouczenia>"));
    out.Line(QStringLiteral("</Deklaracja>"));
}

void writeRow(TOutFile& out, const TV7Form& form, const TDoc& doc, int n, unsigned gtu)
{
    QString first = QStringLiteral("<SprzedazWiersz>") + el(QStringLiteral("LpSprzedazy"), n) +
                    el(QStringLiteral("NrKontrahenta"), Esc(BuyerNip(doc.Nip))) +
                    el(QStringLiteral("NazwaKontrahenta"), name(form, doc.User)) +
                    el(QStringLiteral("DowodSprzedazy"), Esc(doc.NumerTxt)) +
                    el(QStringLiteral("DataWystawienia"), doc.Date) +
                    el(QStringLiteral("DataSprzedazy"), doc.Date);
    if (form.Ksef) {
        if (!doc.NrKsef.trimmed().isEmpty())
            first += el(QStringLiteral("NrKSeF"), Esc(doc.NrKsef));
        else if (doc.KsefStatus == QLatin1String("OFFLINE"))
            first += QStringLiteral("<OFF>1</OFF>");
        else
            first += QStringLiteral("<BFK>1</BFK>");
    }
    out.Line(first);
    // The schema's order: document type, GTU codes, then the procedures.
    if (form.Ksef && doc.Fp) out.Line(QStringLiteral("<TypDokumentu>FP</TypDokumentu>"));
    for (int k = 1; k <= 13; ++k)
        if (gtu & (1u << (k - 1)))
            out.Line(QStringLiteral("<GTU_%1>1</GTU_%1>").arg(k, 2, 10, QLatin1Char('0')));
    if (doc.Ee) out.Line(QStringLiteral("<WSTO_EE>1</WSTO_EE>"));
    if (doc.Tp) out.Line(QStringLiteral("<TP>1</TP>"));
    const bool all = doc.Kind == TKind::Correction;
    auto field = [&](int i) {
        out.Line(el(QStringLiteral("K_%1").arg(kFieldNumbers[size_t(i)]), Number(doc.Fields[size_t(i)])));
    };
    for (int i = 0; i < 3; ++i)
        if (all || !doc.Fields[size_t(i)].isZero()) field(i);
    for (int i = 3; i < kFieldCount; i += 2)
        if (all || !doc.Fields[size_t(i)].isZero() || !doc.Fields[size_t(i + 1)].isZero()) {
            field(i);
            field(i + 1);
        }
    out.Line(QStringLiteral("</SprzedazWiersz>"));
}

void writeV7(const TV7Form& form, const QString& userIdFilter, int podmiot, QString& fileName,
             const QDate& from, const QDate& to)
{
    fileName = QStringLiteral("0");
    try {
        const TPeriod period = BeginPeriod(userIdFilter, podmiot, from, to);
        const QString label = QLatin1String(form.Label);
        const TSeller seller = ReadSeller();
        CheckYearFrom(label, from, form.FirstYear);
        CheckKodUS(label, seller);
        CheckNip(label, seller);
        CheckEmail(label, seller, true);
        CheckPerson(label, seller);

        const int quarter = form.Quarterly ? quarterOf(from) : 0;
        const bool withDeclaration = !form.Quarterly || quarter > 0;

        TDocReader invoices(TKind::Invoice, period);
        TDocReader corrections(TKind::Correction, period);
        const TGtuMap gtu = ReadGtuCodes(period);
        // The register's own sums (PodatekNalezny, and the monthly declaration) in one pass.
        TDeclaration registerSums;
        TDoc doc;
        for (TDocReader* r : {&invoices, &corrections}) {
            while (r->Next(doc, true))
                registerSums.Add(doc);
            r->Rewind();
        }
        TDeclaration declaration = registerSums;
        if (form.Quarterly && quarter > 0)
            declaration = SumDeclaration(period, QDate(from.year(), quarter * 3 - 2, 1),
                                         QDate(from.year(), quarter * 3, 1).addMonths(1).addDays(-1));

        const QString suffix = CompanyShortName(podmiot);
        TOutFile out(QLatin1String(form.FilePrefix) + AliasName() +
                     (suffix.isEmpty() ? QString() : QLatin1Char('_') + suffix) + QStringLiteral(".xml"));
        out.Line(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        out.Line(QStringLiteral("<JPK ") + QLatin1String(form.Namespaces) + QLatin1Char('>'));
        out.Line(QStringLiteral("<Naglowek>"));
        out.Line(
            QStringLiteral("<KodFormularza kodSystemowy=\"%1\" wersjaSchemy=\"1-0E\">JPK_VAT</KodFormularza>")
                .arg(QLatin1String(form.Code)));
        out.Line(el(QStringLiteral("WariantFormularza"), form.Variant));
        out.Line(el(QStringLiteral("DataWytworzeniaJPK"), NowUtc()));
        out.Line(el(QStringLiteral("NazwaSystemu"),
                    Esc(QStringLiteral("Orlix6KSeF_") + ProgramVersion + QLatin1Char('_') + AliasName())));
        out.Line(QStringLiteral("<CelZlozenia poz=\"P_7\">1</CelZlozenia>"));
        out.Line(el(QStringLiteral("KodUrzedu"), seller.KodUS));
        out.Line(el(QStringLiteral("Rok"), from.year()));
        out.Line(el(QStringLiteral("Miesiac"), from.month()));
        out.Line(QStringLiteral("</Naglowek>"));
        writePodmiot(out, form, seller);
        if (withDeclaration) writeDeclaration(out, form, declaration, quarter);
        out.Line(QStringLiteral("<Ewidencja>"));
        Mark("JPK_1)");

        int n = 0;
        while (invoices.Next(doc))
            writeRow(out, form, doc, ++n, gtu.Of(doc));
        Mark("JPK_2)");
        while (corrections.Next(doc))
            writeRow(out, form, doc, ++n, gtu.Of(doc));
        Mark("JPK_3)");

        out.Line(QStringLiteral("<SprzedazCtrl>") + el(QStringLiteral("LiczbaWierszySprzedazy"), n) +
                 el(QStringLiteral("PodatekNalezny"), Number(registerSums.SumaVat)) +
                 QStringLiteral("</SprzedazCtrl>"));
        out.Line(
            QStringLiteral("<ZakupCtrl><LiczbaWierszyZakupow>0</LiczbaWierszyZakupow><PodatekNaliczony>0.00"
                           "</PodatekNaliczony></ZakupCtrl>"));
        out.Line(QStringLiteral("</Ewidencja></JPK>"));
        Mark("JPK_4)");
        Mark("JPK_5)");
        fileName = out.Commit();
        Mark("JPK_End)");
    } catch (...) {
        fileName = QStringLiteral("0");
        Mark("JPK_End)");
        throw;
    }
}

} // namespace

void WriteJpkV7M3(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo)
{
    writeV7(kV7M3, UserIdFilter, PodmiotIndex, FileName, DateFrom, DateTo);
}

void WriteJpkV7M2(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo)
{
    writeV7(kV7M2, UserIdFilter, PodmiotIndex, FileName, DateFrom, DateTo);
}

void WriteJpkV7K2(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo)
{
    writeV7(kV7K2, UserIdFilter, PodmiotIndex, FileName, DateFrom, DateTo);
}
