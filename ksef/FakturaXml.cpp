#include "ksef/FakturaXml.h"

#include "core/ActivityLog.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "ksef/FakturaXmlCommon.h"

using namespace Fa3;

namespace {

void writeLines(TWriter& w, int fvIndex)
{
    TDedicatedSession* s = GlobalSession();
    if (s->IsQueryEmpty(QStringLiteral("select 1 from FvPozycje where FVP_INDEXFAKTURA=:p1"), {fvIndex}))
        return;
    auto q = s->OpenQuery(QStringLiteral("select * from FvPozycje where FVP_INDEXFAKTURA=:p1"), {fvIndex});
    const TDocRow line(*q, QStringLiteral("FVP_"));
    int n = 0;
    for (q->First(); !q->Eof(); q->Next()) {
        w.Start("FaWiersz");
        w.Leaf("NrWierszaFa", QString::number(++n));
        w.Leaf("UU_ID", QStringLiteral("F%1P%2").arg(fvIndex).arg(line.Integer("INDEX")));
        w.LeafIfAny("P_7", line.Text("NAZWAUSLUGI").trimmed());
        w.LeafIfAny("P_8A", line.Text("JEDNMIARY"));
        w.Leaf("P_8B", line.Number("ILOSC"));
        w.Leaf("P_9A", line.Number("CENANETTO"));
        w.Leaf("P_11", line.Number("WARTOSCNETTO"));
        w.Leaf("P_11A", line.Number("WARTOSCBRUTTO"));
        const QString rate = RateCode(line.Text("STAWKAVAT_TXT"));
        if (!rate.isEmpty()) w.Leaf("P_12", rate);
        w.End();
    }
}

// A per-rate pair (net, VAT) written when the group's net sum is not 0.
void writeGroup(TWriter& w, const TDocRow& doc, const char* netElement, const char* vatElement,
                const char* group)
{
    const QString net = doc.Number((QByteArray("SUMANETTO_") + group).constData());
    if (IsZeroNumber(net)) return;
    w.Leaf(netElement, net);
    if (vatElement) w.Leaf(vatElement, doc.Number((QByteArray("SUMAVAT_") + group).constData()));
}

} // namespace

QString WriteKsefFvXml(int fvIndex)
{
    StopwatchStart();
    try {
        TWriter w;
        const auto q = BeginDocument(w, QStringLiteral("Fv"), QStringLiteral("FV_"), fvIndex);
        if (!q) return QStringLiteral("0");
        const TDocRow doc(*q, QStringLiteral("FV_"));
        WriteBuyer(w, doc);
        if (doc.HasOtherPartyWithNip()) WriteOtherParty(w, doc);

        w.Start("Fa");
        w.Leaf("KodWaluty", QStringLiteral("PLN"));
        w.Leaf("P_1", doc.Date("DATAWYSTAWIENIA"));
        // The number exactly as printed, and as a correction cites it.
        w.Leaf("P_2", doc.Text("NUMERTXT"));
        w.Leaf("P_6", doc.Date("DATAWYSTAWIENIA"));
        writeGroup(w, doc, "P_13_1", "P_14_1", "A");
        writeGroup(w, doc, "P_13_2", "P_14_2", "B");
        writeGroup(w, doc, "P_13_3", "P_14_3", "D");
        writeGroup(w, doc, "P_13_6_1", nullptr, "C");
        writeGroup(w, doc, "P_13_7", nullptr, "G");
        const QString gross = doc.Number("SUMABRUTTO");
        w.Leaf("P_15", gross);
        WriteAnnotations(w, gross);
        w.Leaf("RodzajFaktury", QStringLiteral("VAT"));
        if (doc.Integer("GTU_FP") == 1) w.Leaf("FP", QStringLiteral("1"));
        LogElapsedTime(QStringLiteral("KSeF_1)"));

        writeLines(w, fvIndex);
        LogElapsedTime(QStringLiteral("KSeF_2)"));

        WritePayment(w, doc);
        w.End(); // Fa
        w.End(); // Faktura
        LogElapsedTime(QStringLiteral("KSeF_3)"));
        const QByteArray xml = w.Finish();
        LogElapsedTime(QStringLiteral("KSeF_4)"));
        LogElapsedTime(QStringLiteral("KSeF_5)"));
        const QString path = SaveToExportFolder(QStringLiteral("KSeF_FV_%1.xml").arg(fvIndex), xml);
        LogElapsedTime(QStringLiteral("KSeF_End)"));
        return path;
    } catch (...) {
        LogElapsedTimeQuietly(QStringLiteral("KSeF_End)"));
        throw;
    }
}
