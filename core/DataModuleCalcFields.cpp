// The calculated fields of the shared datasets, asked for by row.
#include "core/DataModule.h"
#include "core/Query.h"

namespace {

int fieldIndex(const TQuery& q, const QString& name)
{
    const TField* f = q.FindField(name);
    return f ? f->Index() : -1;
}

QString cellText(const TQuery& q, int row, const QString& name)
{
    const int i = fieldIndex(q, name);
    return i < 0 ? QString() : q.CellText(row, i);
}

QVariant cellValue(const TQuery& q, int row, const QString& name)
{
    const int i = fieldIndex(q, name);
    return i < 0 ? QVariant() : q.CellValue(row, i);
}

Amount4 cellAmount(const TQuery& q, int row, const QString& name)
{
    Amount4 a;
    Amount4::tryParse(cellText(q, row, name), a);
    return a;
}

// Text of a lookup dataset's result field on the row whose key matches.
QVariant lookup(TQuery* ds, const QString& keyField, const QVariant& key, const QString& resultField)
{
    if (!ds || !ds->Active() || !key.isValid()) return QVariant();
    const int k = fieldIndex(*ds, keyField);
    const int r = fieldIndex(*ds, resultField);
    if (k < 0 || r < 0) return QVariant();
    const QString wanted = key.toString();
    for (int row = 0; row < ds->RecordCount(); ++row)
        if (ds->CellText(row, k) == wanted) return ds->CellText(row, r);
    return QVariant();
}

} // namespace

QVariant ZalegloscDni(const QDate& due, Amount4 leftToSettle, const QDate& today)
{
    if (leftToSettle <= Amount4{} || !due.isValid() || today <= due) return QVariant();
    return int(due.daysTo(today));
}

QString WezelAdres(const QString& ulica, const QString& nrDomu, const QString& nrLokalu, const QString& kod,
                   const QString& miejscowosc)
{
    QString s = ulica + QLatin1Char(' ') + nrDomu;
    if (!nrLokalu.isEmpty()) s += QLatin1Char('/') + nrLokalu;
    return s + QStringLiteral("  ") + kod + QLatin1Char(' ') + miejscowosc;
}

QVariant CalcFieldValue(const TQuery& q, int row, const QString& name)
{
    if (row < 0 || row >= q.RecordCount()) return QVariant();
    const QString n = name.toUpper();
    for (const char* p : {"FV", "FVK", "PZ"}) {
        const QString prefix = QLatin1String(p);
        if (n == prefix + QStringLiteral("_ZALEGLOSCDNI")) {
            if (fieldIndex(q, prefix + QStringLiteral("_DATAPLATNOSCI")) < 0) return QVariant();
            return ZalegloscDni(cellValue(q, row, prefix + QStringLiteral("_DATAPLATNOSCI")).toDate(),
                                cellAmount(q, row, prefix + QStringLiteral("_KWOTADOROZLICZENIA")),
                                QDate::currentDate());
        }
    }
    if (n == QLatin1String("UFV_ZAROBEK")) {
        if (fieldIndex(q, "UFV_WARTOSCBRUTTO") < 0) return QVariant();
        return (cellAmount(q, row, "UFV_WARTOSCBRUTTO") - cellAmount(q, row, "UFV_KOSZTBRUTTO")).toDouble();
    }
    if (n == QLatin1String("W_ADR_ADRES")) {
        if (fieldIndex(q, "W_ADR_ULICA") < 0) return QVariant();
        return WezelAdres(cellText(q, row, "W_ADR_ULICA"), cellText(q, row, "W_ADR_NRDOMU"),
                          cellText(q, row, "W_ADR_NRLOKALU"), cellText(q, row, "W_ADR_KOD"),
                          cellText(q, row, "W_ADR_MIEJSCOWOSC"));
    }
    if (n == QLatin1String("OP_NAZWISKOIMIE")) {
        if (fieldIndex(q, "OP_NAZWISKO") < 0) return QVariant();
        return cellText(q, row, "OP_NAZWISKO") + QLatin1Char(' ') + cellText(q, row, "OP_IMIE");
    }
    if (!Data) return QVariant();
    if (n == QLatin1String("M_TYPURZADZENIA"))
        return lookup(Data->QTypUrzadzenia.get(), "TU_INDEX", cellValue(q, row, "M_INDEXTYPURZADZENIA"),
                      "TU_NAZWA");
    if (n == QLatin1String("M_TYPLACZA"))
        return lookup(Data->QTypLacza.get(), "TL_INDEX", cellValue(q, row, "M_INDEXTYPLACZA"), "TL_NAZWA");
    if (n == QLatin1String("M_RODZAJURZADZENIA"))
        return lookup(Data->QRodzajUrzadzenia.get(), "RU_INDEX", cellValue(q, row, "M_INDEXRODZAJ"),
                      "RU_NAZWA");
    if (n == QLatin1String("M_MIEJSCEPODLACZENIA"))
        return lookup(Data->QInfraLookup.get(), "INF_INDEX", cellValue(q, row, "M_INDEXMIEJSCEPODLACZENIA"),
                      "INF_NAZWA");
    return QVariant();
}

QStringList CalcFieldNames(const TQuery& q)
{
    if (!Data) return {};
    if (&q == Data->QFv.get()) return {QStringLiteral("FV_ZalegloscDni")};
    if (&q == Data->QFvk.get()) return {QStringLiteral("FVK_ZalegloscDni")};
    if (&q == Data->QPz.get()) return {QStringLiteral("PZ_ZalegloscDni")};
    if (&q == Data->QUserFvPozycje.get()) return {QStringLiteral("UFV_Zarobek")};
    if (&q == Data->QWezly.get()) return {QStringLiteral("W_ADR_Adres")};
    if (&q == Data->QOperatorLookup.get()) return {QStringLiteral("OP_NazwiskoImie")};
    if (&q == Data->QMac.get())
        return {QStringLiteral("M_TypUrzadzenia"), QStringLiteral("M_TypLacza"),
                QStringLiteral("M_RodzajUrzadzenia"), QStringLiteral("M_MiejscePodlaczenia")};
    return {};
}
