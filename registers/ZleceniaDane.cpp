#include "registers/ZleceniaDane.h"

#include "core/DbIni.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDateTime>

namespace {
QString dateText(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

QString ZlecenieNumberText(const QString& typedNumber, const QDate& registered, bool monthly)
{
    if (!registered.isValid()) return QString();
    QString t = typedNumber;
    if (monthly) t += QLatin1Char('/') + QString::number(registered.month());
    return t + QLatin1Char('/') + QString::number(registered.year());
}

int NextZlecenieNumber(const QDate& registered, bool monthly)
{
    const QString d = dateText(registered);
    return 1 +
           (monthly
                ? GlobalSession()->GetQueryValueAsInteger(
                      QStringLiteral("select max(ZS_NUMER) from ZleceniaSerwisowe where "
                                     "year(ZS_DATAREJESTRACJI) = year(:p1) and month(ZS_DATAREJESTRACJI) = "
                                     "month(:p2) and ZS_NUMER is not null"),
                      {d, d})
                : GlobalSession()->GetQueryValueAsInteger(
                      QStringLiteral("select max(ZS_NUMER) from ZleceniaSerwisowe where "
                                     "year(ZS_DATAREJESTRACJI) = year(:p1) and ZS_NUMER is not null"),
                      {d}));
}

bool ZlecenieNumberTaken(const QString& numberText, int exceptIndex)
{
    if (exceptIndex == 0)
        return !GlobalSession()->IsQueryEmpty(
            QStringLiteral(
                "select (1) from ZleceniaSerwisowe where ZS_NUMERTXT=:p1 and ZS_INDEX>0 and ZS_INDEX is "
                "not null"),
            {numberText});
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral(
            "select (1) from ZleceniaSerwisowe where ZS_NUMERTXT=:p1 and ZS_INDEX<>:p2 and ZS_INDEX>0"),
        {numberText, exceptIndex});
}

void FillNewZlecenie(TQuery& q, int userIndex, const QDate& today)
{
    const bool monthly = ReadIniBool(0, QStringLiteral("NumeracjaMiesieczna"), true);
    const int number = NextZlecenieNumber(today, monthly);
    q.FieldByName(ZS::DATAREJESTRACJI)->SetAsDate(today);
    q.FieldByName(ZS::KWOTAPOBRANA)->SetAsInteger(0);
    q.FieldByName(ZS::PRZYJAL)->SetAsInteger(OperatorId);
    q.FieldByName(ZS::NUMER)->SetAsInteger(number);
    q.FieldByName(ZS::NUMERTXT)->SetAsString(ZlecenieNumberText(QString::number(number), today, monthly));
    q.FieldByName(ZS::INDEXUSER)->SetAsInteger(userIndex);
}

void StampZlecenie(TQuery& q)
{
    q.FieldByName(ZS::OPERATORID)->SetAsInteger(OperatorId);
    q.FieldByName(ZS::DATAMODYFIKACJI)->SetAsDateTime(QDateTime::currentDateTime());
}

TZlecenieRefusal CheckZlecenie(const QString& numberText, const QString& scope, int takenBy, int doneBy,
                               bool endDateSet)
{
    if (numberText.trimmed().isEmpty()) return {QStringLiteral("Proszę uzupełnić numer zlecenia"), ZS::NUMER};
    if (scope.trimmed().isEmpty()) return {QStringLiteral("Proszę uzupełnić zakres zlecenia"), ZS::ZAKRES};
    if (takenBy == 0) return {QStringLiteral("Proszę wpisać przyjmującego zlecenie"), ZS::PRZYJAL};
    // A closed order names its technician; an open one need not.
    if (doneBy == 0 && endDateSet)
        return {QStringLiteral("Proszę wpisać osobę która wykonała zlecenie"), ZS::WYKONAL};
    return {};
}

QString MakeZlecenieText(int zsIndex)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select ZleceniaSerwisowe.*, vUserdb.* from ZleceniaSerwisowe left join vUserdb on "
                       "U_INDEX=ZS_INDEXUSER where ZS_INDEX=:p1"),
        {zsIndex});
    if (q->IsEmpty()) return QString();
    const auto s = [&q](const char* name) { return q->FieldByName(QString::fromLatin1(name))->AsString(); };
    QString t =
        s("ZS_NUMERTXT") + QStringLiteral(" (") + s("ZS_DATAREJESTRACJI") + QStringLiteral(")") + kCrLf;
    t += s("vU_NazwiskoImie") + kCrLf;
    t += (q->FieldByName(QStringLiteral("U_CZYINNALOKALIZACJA"))->AsInteger() == 1 ? s("vU_LOK_Adres")
                                                                                   : s("vU_ADR_Adres")) +
         kCrLf;
    t += s("U_TEL1") + QLatin1Char(' ') + s("U_TEL2") + kCrLf;
    return t + s("ZS_ZAKRES") + kCrLf;
}

QString ZlecenieSmsHeader()
{
    QString h = ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()) + kCrLf;
    const QString second =
        ReadIniString(0, QStringLiteral("U_Nazwa2"), QStringLiteral("Proszę wpisać swoją nazwę firmy"));
    if (!second.isEmpty()) h += second + kCrLf;
    return h;
}

QString ZleceniaListWhere(const TZleceniaListFilter& f, TArgs& args)
{
    args.clear();
    const auto bind = [&args](const TArg& v) {
        args.push_back(v);
        return QStringLiteral(":p%1").arg(args.size());
    };
    QString w = QStringLiteral(" WHERE (1=1) ");
    if (!f.SearchText.isEmpty()) {
        // A bound value, its LIKE wildcards taken literally.
        const QString p = QLatin1Char('%') + EscapeLikeText(f.SearchText) + QLatin1Char('%');
        w += QStringLiteral(" AND ( (ZS_NUMERTXT LIKE ") + bind(p) +
             QStringLiteral(") \r\n OR (ZS_User LIKE ") + bind(p) +
             QStringLiteral(")\r\n OR (DATE_FORMAT(ZS_DATAREJESTRACJI, '%Y-%m-%d') LIKE ") + bind(p) +
             QStringLiteral(")\r\n OR (DATE_FORMAT(ZS_DATAZAKONCZENIA, '%Y-%m-%d') LIKE ") + bind(p) +
             QStringLiteral(")\r\n OR (ZS_KWOTAPOBRANA LIKE ") + bind(p) + QStringLiteral(") )\r\n");
    }
    if (f.OnlyOpen)
        w +=
            QStringLiteral(" AND ((ZS_DATAZAKONCZENIA>CURDATE()) OR (ZS_DATAZAKONCZENIA='0000-00-00')) \r\n");
    if (f.From.isValid()) w += QStringLiteral(" AND ZS_DATAREJESTRACJI >= ") + bind(dateText(f.From));
    if (f.To.isValid()) w += QStringLiteral(" AND ZS_DATAREJESTRACJI<= ") + bind(dateText(f.To));
    return w;
}

QString ZleceniePdfFile(const QString& numberText)
{
    return ExportFolder + QStringLiteral("ZLECENIE_") +
           QString(numberText).replace(QLatin1Char('/'), QLatin1Char('_')) + QStringLiteral(".pdf");
}
