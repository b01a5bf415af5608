#include "billing/AutoFv.h"

#include "billing/FvAutomatDane.h"
#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"
#include "printouts/ReportForm.h"

#include <QDate>

QString IssueAutoFv(int userIndex, const QString& remark, Amount4 amount)
{
    TDedicatedSession* s = GlobalSession();
    TFvAutomatLock lock(s);
    if (!lock.Take())
        throw EDatabaseError(QStringLiteral(
            "Nie można wystawić faktury do wpłaty: automatyczne generowanie dokumentów trwa na innym "
            "stanowisku. Proszę spróbować ponownie później."));
    const int podmiot = PodmiotOfUser(userIndex);
    const QDate today = QDate::currentDate();
    const QString d = today.toString(Qt::ISODate);
    SetVatRateTexts(today);
    const QString place = ReadIniString(0, QStringLiteral("MiejscowoscFV"), QString());
    const QString issuer = s->GetQueryValueAsString(
        QStringLiteral("select concat_ws(:p1, OP_IMIE, OP_NAZWISKO) from Operator where OP_INDEX=:p2"),
        {QStringLiteral(" "), OperatorId});

    // The number is held until the row carries it: an editor elsewhere continues after it.
    TNumberReservation nr('F', today, podmiot, s);
    TArgs args{place, issuer, d, d, d, QStringLiteral("przelew"), 0, OperatorId, QStringLiteral("xxx")};
    for (const QString& label : VatGroupTexts())
        args.push_back(label);
    args.push_back(remark);
    args.push_back(userIndex);
    s->ExecQuery(InvoiceHeaderInsert(QStringLiteral(", FV_UWAGI"), QStringLiteral(", :p16")) +
                     QStringLiteral(" from vUserdb where U_INDEX=:p17"),
                 args);
    if (s->RowsAffected() == 0) return QStringLiteral("0");
    const int fv = s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
    const auto numberText = DocumentNumberText('F', nr.Number(), podmiot, today);
    s->ExecQuery(
        QStringLiteral("update Fv set FV_PODMIOT=:p0, FV_NUMER=:p1, FV_NUMERTXT=:p2 where FV_INDEX=:p3"),
        {podmiot, nr.Number(), numberText, fv});
    nr.Release();
    s->ExecQuery(
        QStringLiteral(
            "insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_ILOSC, FVP_JEDNMIARY, "
            "FVP_SYMBOL, FVP_STAWKAVAT_TXT, FVP_RABAT, FVP_CENABRUTTO)  select :p1, UFV_NAZWAUSLUGI, 1, "
            "UFV_JEDNMIARY, UFV_SYMBOL, UFV_STAWKAVAT_TXT, 0, :p2 from UserFvPozycje where "
            "UFV_INDEXUSER=:p3 and UFV_CZYAKTYWNA<>0 and (UFV_DATASTART<=:p4 or UFV_DATASTART "
            "='0000-00-00') and (UFV_DATAEND>=:p5 or UFV_DATAEND ='0000-00-00') order by "
            "UFV_NAZWAUSLUGI limit 1"),
        {fv, amount, userIndex, d, d});
    // Only this invoice's lines and sums: later invoices are not this writer's.
    PrzeliczFVPDokumentu(fv);
    PrzeliczPolaFv(fv, false);
    s->ExecQuery(QStringLiteral("update Fv left join Userdb on U_INDEX=FV_INDEXUSER set FV_GTU_EE=1 where "
                                "FV_INDEX=:p1 and U_CZYFIRMA=0 "),
                 {fv});
    s->ExecQuery(QStringLiteral("update Fv set FV_KWOTAWPLACONA=FV_SUMABRUTTO, FV_KWOTADOROZLICZENIA=0, "
                                "FV_KWOTADOZAPLATY=0 where FV_INDEX = :p1 "),
                 {fv});
    return s->GetQueryValueAsString(QStringLiteral("select FV_NUMERTXT from Fv where FV_INDEX=:p1"), {fv});
}

QString MakeUnpaidDocumentsText(int userIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto total =
        s->OpenQuery(QStringLiteral("select sum(FV_KWOTADOROZLICZENIA) from vListaNierozliczonychDokumentow "
                                    "where FV_INDEXUSER=:p1 and FV_KWOTADOROZLICZENIA>0"),
                     {userIndex});
    const Amount4 sum = total->IsEmpty() ? Amount4{} : total->Fields(0)->AsCurrency();
    if (sum.raw <= 0) return QString();
    const QStringList lines = s->GetQueryValuesAsList(
        QStringLiteral(
            "select concat(space(4), FV_DATAWYSTAWIENIA, space(6), FV_Typ, space(1), FV_NUMERTXT, "
            "space(22-length(FV_NUMERTXT)), space(11-length(FV_SUMABRUTTO)), FV_SUMABRUTTO, space(6), "
            "FV_DATAPLATNOSCI, space(14-length(FV_KWOTADOROZLICZENIA)), FV_KWOTADOROZLICZENIA, "
            "space(12-length(if(FV_PoTerminie>0, round(FV_PoTerminie), 0))), if(FV_PoTerminie>0, "
            "round(FV_PoTerminie), 0), :p1 ) from vListaNierozliczonychDokumentow where "
            "FV_INDEXUSER=:p2 and FV_KWOTADOROZLICZENIA>0 order by FV_PoTerminie desc"),
        {QStringLiteral(" dni"), userIndex});
    const QString header = s->GetQueryValueAsString(
        QStringLiteral(
            "select concat(space(1), :p1, space(3), :p2, space(18), :p3, space(8), :p4, space(6), :p5, "
            "space(3), :p6) "),
        {QStringLiteral("Data wystawienia"), QStringLiteral("Nr dokumentu"), QStringLiteral("Kwota"),
         QStringLiteral("Termin"), QStringLiteral("Do rozliczenia"), QStringLiteral("Po terminie")});
    const QString rule(106, QLatin1Char('-'));
    const QString crlf = QStringLiteral("\r\n");
    QString out = rule + crlf + QStringLiteral("   Lista nierozliczonych dokumentów na dzień ") +
                  QDate::currentDate().toString(Qt::ISODate) + crlf + rule + crlf + header + crlf + rule +
                  crlf;
    for (const QString& l : lines)
        out += l + crlf;
    out += rule + crlf + QStringLiteral("   RAZEM DO ROZLICZENIA: ") + FormatMoney(sum) +
           QStringLiteral(" zł") + crlf;
    return out;
}

QString MakeUnpaidDocumentsRtf(int userIndex)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = MakeUnpaidDocumentsText(userIndex);
    if (text.isEmpty()) return text;
    if (text.endsWith(crlf)) text.chop(crlf.size());
    QStringList lines = text.split(crlf);
    for (int i = 0; i + 1 < lines.size(); ++i)
        lines[i] += QStringLiteral("\\par ");
    return lines.join(crlf) + crlf;
}
