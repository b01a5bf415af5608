#include "ksef/FakturaKorektaXml.h"

#include "core/ActivityLog.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "ksef/FakturaXmlCommon.h"

using namespace Fa3;

namespace {

enum class TKind
{
    Lines,
    Buyer
};

const char* const kLinePairs[] = {"NAZWAUSLUGI", "JEDNMIARY",  "ILOSC",
                                  "CENANETTO",   "CENABRUTTO", "STAWKAVAT_TXT"};

// A line is changed when any compared column differs from its "_PO" value.
bool lineChanged(const TQuery& q)
{
    for (const char* name : kLinePairs) {
        const QString before = QStringLiteral("FVKP_") + QLatin1String(name);
        if (q.FieldByName(before)->AsBytes() != q.FieldByName(before + QStringLiteral("_PO"))->AsBytes())
            return true;
    }
    return false;
}

void writeLine(TWriter& w, const TQuery& q, int fvkIndex, int n, bool before)
{
    const QString suffix = before ? QString() : QStringLiteral("_PO");
    auto col = [&](const char* name) {
        return q.FieldByName(QStringLiteral("FVKP_") + QLatin1String(name) + suffix);
    };
    w.Start("FaWiersz");
    w.Leaf("NrWierszaFa", QString::number(n));
    w.Leaf("UU_ID", QStringLiteral("F%1P%2").arg(fvkIndex).arg(
                        q.FieldByName(QStringLiteral("FVKP_INDEX"))->AsInteger()));
    w.LeafIfAny("P_7", col("NAZWAUSLUGI")->AsString().trimmed());
    w.LeafIfAny("P_8A", col("JEDNMIARY")->AsString());
    w.Leaf("P_8B", NumberText(col("ILOSC")));
    w.Leaf("P_9A", NumberText(col("CENANETTO")));
    w.Leaf("P_11", NumberText(col("WARTOSCNETTO")));
    const QString rate = RateCode(col("STAWKAVAT_TXT")->AsString());
    if (!rate.isEmpty()) w.Leaf("P_12", rate);
    if (before) w.Leaf("StanPrzed", QStringLiteral("1"));
    w.End();
}

void writeLines(TWriter& w, int fvkIndex)
{
    TDedicatedSession* s = GlobalSession();
    if (s->IsQueryEmpty(QStringLiteral("select 1 from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {fvkIndex}))
        return;
    auto q = s->OpenQuery(QStringLiteral("select * from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {fvkIndex});
    int n = 0;
    for (q->First(); !q->Eof(); q->Next()) {
        if (!lineChanged(*q)) continue;
        ++n;
        writeLine(w, *q, fvkIndex, n, true);
        writeLine(w, *q, fvkIndex, n, false);
    }
}

// DaneFaKorygowanej. Without the corrected invoice's row the correction's own
// copy of its number and date stands in, since both elements must have a value.
void writeCorrectedInvoice(TWriter& w, const TDocRow& fvk, const TQuery& fv)
{
    const TDocRow inv(fv, QStringLiteral("FV_"));
    QString date = fv.IsEmpty() ? QString() : inv.Date("DATAWYSTAWIENIA");
    QString number = fv.IsEmpty() ? QString() : inv.Text("NUMERTXT");
    const QString ksef = fv.IsEmpty() ? QString() : inv.Text("KSEF_NRKSEF").trimmed();
    if (date.isEmpty()) date = fvk.Date("DATAKORYGOWANEJ");
    if (number.trimmed().isEmpty()) number = fvk.Text("NUMERTXTKORYGOWANEJ");
    w.Start("DaneFaKorygowanej");
    w.Leaf("DataWystFaKorygowanej", date);
    w.Leaf("NrFaKorygowanej", number);
    if (!ksef.isEmpty()) {
        w.Leaf("NrKSeF", QStringLiteral("1"));
        w.Leaf("NrKSeFFaKorygowanej", ksef);
    } else {
        w.Leaf("NrKSeFN", QStringLiteral("1"));
    }
    w.End();
}

// Podmiot2K: the buyer as the corrected invoice shows it.
void writeFormerBuyer(TWriter& w, const TQuery& fv)
{
    const bool found = !fv.IsEmpty();
    const TDocRow inv(fv, QStringLiteral("FV_"));
    auto text = [&](const char* name) { return found ? inv.Text(name) : QString(); };
    const TPartyId id = IdentifyParty(text("NIP"));
    w.Start("Podmiot2K");
    w.Start("DaneIdentyfikacyjne");
    WritePartyId(w, id);
    w.LeafIfAny("Nazwa", (text("NAZWISKO") + QLatin1Char(' ') + text("IMIE")).trimmed());
    w.End();
    WriteAddress(w, "Adres", id.country,
                 AddressLine1(text("ADR_ULICA"), text("ADR_NRDOMU"), text("ADR_NRLOKALU")),
                 text("ADR_KOD") + QLatin1Char(' ') + text("ADR_MIEJSCOWOSC"), false);
    if (found) w.LeafIfAny("IDNabywcy", inv.Plain("U_NRKLIENTA")->AsString());
    w.End();
}

void writeTotals(TWriter& w, const TDocRow& doc)
{
    w.Leaf("P_13_1", doc.Number("SUMANETTO_A"));
    w.Leaf("P_14_1", doc.Number("SUMAVAT_A"));
    w.Leaf("P_13_2", doc.Number("SUMANETTO_B"));
    w.Leaf("P_14_2", doc.Number("SUMAVAT_B"));
    w.Leaf("P_13_3", doc.Number("SUMANETTO_D"));
    w.Leaf("P_14_3", doc.Number("SUMAVAT_D"));
    w.Leaf("P_13_6_1", doc.Number("SUMANETTO_C"));
    w.Leaf("P_13_7", doc.Number("SUMANETTO_G"));
}

QString writeCorrection(int fvkIndex, TKind kind)
{
    StopwatchStart();
    try {
        TWriter w;
        const auto q = BeginDocument(w, QStringLiteral("Fvk"), QStringLiteral("FVK_"), fvkIndex);
        if (!q) return QStringLiteral("0");
        TDedicatedSession* s = GlobalSession();
        const TDocRow doc(*q, QStringLiteral("FVK_"));
        WriteBuyer(w, doc);
        // The line correction names the correspondence recipient even without its tax number.
        const bool otherParty =
            kind == TKind::Lines ? doc.Integer("CZYADRESDOKORESP") == 1 : doc.HasOtherPartyWithNip();
        if (otherParty) WriteOtherParty(w, doc);

        w.Start("Fa");
        w.Leaf("KodWaluty", QStringLiteral("PLN"));
        w.Leaf("P_1", doc.Date("DATAWYSTAWIENIA"));
        w.Leaf("P_2", doc.Text("NUMERTXT"));
        if (kind == TKind::Lines) {
            w.Leaf("P_6", doc.Date("DATAWYSTAWIENIA"));
            writeTotals(w, doc);
        }
        const QString gross = doc.Number("SUMABRUTTO");
        w.Leaf("P_15", gross);
        WriteAnnotations(w, gross);
        w.Leaf("RodzajFaktury", QStringLiteral("KOR"));
        w.LeafIfAny("PrzyczynaKorekty", doc.Text("POWODKOREKTY"));
        w.Leaf("TypKorekty", QStringLiteral("2"));
        auto fv = s->OpenQuery(QStringLiteral("select * from vFvLista where FV_INDEX=:p1"),
                               {doc.Integer("INDEXKORYGOWANEJ")});
        writeCorrectedInvoice(w, doc, *fv);

        if (kind == TKind::Lines) {
            LogElapsedTime(QStringLiteral("KSeF_1)"));
            writeLines(w, fvkIndex);
            LogElapsedTime(QStringLiteral("KSeF_2)"));
            WritePayment(w, doc);
        } else {
            writeFormerBuyer(w, *fv);
        }
        w.End(); // Fa
        w.End(); // Faktura
        LogElapsedTime(QStringLiteral("KSeF_3)"));
        const QByteArray xml = w.Finish();
        LogElapsedTime(QStringLiteral("KSeF_4)"));
        LogElapsedTime(QStringLiteral("KSeF_5)"));
        const QString path = SaveToExportFolder(QStringLiteral("KSeF_FVK_%1.xml").arg(fvkIndex), xml);
        LogElapsedTime(QStringLiteral("KSeF_End)"));
        return path;
    } catch (...) {
        LogElapsedTimeQuietly(QStringLiteral("KSeF_End)"));
        throw;
    }
}

} // namespace

QString WriteKsefFvkXml(int fvkIndex)
{
    return writeCorrection(fvkIndex, TKind::Lines);
}

QString WriteKsefFvkBuyerXml(int fvkIndex)
{
    return writeCorrection(fvkIndex, TKind::Buyer);
}
