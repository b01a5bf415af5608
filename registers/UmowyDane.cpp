#include "registers/UmowyDane.h"

#include "core/DbIni.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/TextVariables.h"

#include <QDateTime>

const QString UmowaBilansOtwarciaMessage =
    QStringLiteral("Umowa przeniesiona bilansem otwarcia. Nie możesz jej drukować ani edytować");

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString dateText(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}
} // namespace

TUmowaNumbering ReadUmowaNumbering()
{
    TUmowaNumbering n;
    n.maskStart = ReadIniString(0, QStringLiteral("MaskaUmowaPoczatek"), QString());
    n.maskEnd = ReadIniString(0, QStringLiteral("MaskaUmowaKoniec"), QString());
    n.companyInNumber = ReadIniBool(0, QStringLiteral("SkrotFirmyWNumeracji"), false);
    n.monthly = ReadIniBool(0, QStringLiteral("NumeracjaMiesieczna"), true);
    return n;
}

QString UmowaNumberText(const TUmowaNumbering& n, const QString& typedNumber, int podmiot,
                        const QDate& concluded)
{
    QString t = n.maskStart + typedNumber + n.maskEnd;
    if (podmiot > 1 || (n.companyInNumber && podmiot == 1))
        t += QLatin1Char('/') +
             GlobalSession()->GetQueryValueAsString(
                 QStringLiteral("select P_SKROT from Podmioty where P_INDEX=:p1"), {podmiot});
    if (n.monthly) t += QLatin1Char('/') + QString::number(concluded.month());
    return t + QLatin1Char('/') + QString::number(concluded.year());
}

int NextUmowaNumber(const QDate& concluded, int podmiot, bool monthly)
{
    const QString d = dateText(concluded);
    const int max =
        monthly ? GlobalSession()->GetQueryValueAsInteger(
                      QStringLiteral(
                          "select max(UM_NUMER) from Umowy where year(UM_DATAZAWARCIA) = year(:p1) and "
                          "month(UM_DATAZAWARCIA) = month(:p2) and UM_NUMER is not null and UM_INDEX>0 "
                          "and UM_PODMIOT=:p3"),
                      {d, d, podmiot})
                : GlobalSession()->GetQueryValueAsInteger(
                      QStringLiteral(
                          "select max(UM_NUMER) from Umowy where year(UM_DATAZAWARCIA) = year(:p1) and "
                          "UM_NUMER is not null and UM_INDEX>0 and UM_PODMIOT=:p2"),
                      {d, podmiot});
    return max + 1;
}

bool UmowaNumberTaken(const QString& numberText, int podmiot, int exceptIndex)
{
    if (exceptIndex == 0)
        return !GlobalSession()->IsQueryEmpty(
            QStringLiteral(
                "select (1) from Umowy where UM_NUMERTXT=:p1 and UM_INDEX>0 and UM_INDEX is not null "
                "and UM_INDEX>0 and UM_PODMIOT=:p2"),
            {numberText, podmiot});
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("select (1) from Umowy where UM_NUMERTXT=:p1 and UM_INDEX<>:p2 and UM_INDEX>0 and "
                       "UM_PODMIOT=:p3"),
        {numberText, exceptIndex, podmiot});
}

QString UmowaProtocolNumberText(int kind, const QString& customerNumber, const QDate& day)
{
    return (kind == ukInformacja ? QStringLiteral("INF_") : QStringLiteral("PZO_")) + customerNumber +
           QLatin1Char('_') + day.toString(QStringLiteral("yyyyMMdd"));
}

QDate UmowaPeriodEnd(const QDate& start, int months)
{
    const double d = GlobalSession()->GetQueryValueAsDateTime(
        QStringLiteral("select DATE_ADD(DATE_ADD(:p1, INTERVAL -1 DAY), INTERVAL :p2 MONTH)"),
        {dateText(start), months});
    return d > 0 ? DoubleToDateTime(d).date() : QDate();
}

void FillNewUmowa(TQuery& q, int userIndex, const QDate& today)
{
    TDedicatedSession* s = GlobalSession();
    q.FieldByName(UM::INDEXUSER)->SetAsInteger(userIndex);
    const int podmiot = s->GetQueryValueAsInteger(
        QStringLiteral("select U_PODMIOT from Userdb where U_INDEX=:p1"), {userIndex});
    q.FieldByName(UM::PODMIOT)->SetAsInteger(podmiot);
    q.FieldByName(UM::DATASTART)->SetAsDate(today);
    q.FieldByName(UM::DATAZAWARCIA)->SetAsDate(today);
    const int months = ReadIniInteger(0, QStringLiteral("UmowaOkres"), 24);
    if (months > 0) q.FieldByName(UM::DATAKONIEC)->SetAsDate(UmowaPeriodEnd(today, months));
    for (const QString& f : {UM::CZYPODPISANA, UM::CZYWYDRUKOWANA, UM::CZYNIEAKTYWNA, UM::CZYANEKS})
        q.FieldByName(f)->SetAsInteger(0);
    q.FieldByName(UM::TYTUL)->SetAsString(ReadIniString(
        0, QStringLiteral("UmowaTytul"), QStringLiteral("O świadczenie usług dostępu do internetu")));
    q.FieldByName(UM::NUMER)->SetAsInteger(
        NextUmowaNumber(today, podmiot, ReadIniBool(0, QStringLiteral("NumeracjaMiesieczna"), true)));
}

void StampUmowa(TQuery& q)
{
    q.FieldByName(UM::OPERATORID)->SetAsInteger(OperatorId);
    q.FieldByName(UM::DATAMODYFIKACJI)->SetAsDateTime(QDateTime::currentDateTime());
}

void ApplyProtocolNumbering(TQuery& q, const QDate& today)
{
    const int kind = q.FieldByName(UM::CZYANEKS)->AsInteger();
    if (kind != ukPzo && kind != ukInformacja) return;
    const QString customer = GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select U_NRKLIENTA from Userdb where U_INDEX=:p1"),
        {q.FieldByName(UM::INDEXUSER)->AsInteger()});
    q.FieldByName(UM::NUMER)->SetAsInteger(0);
    q.FieldByName(UM::NUMERTXT)->SetAsString(UmowaProtocolNumberText(kind, customer, today));
    q.FieldByName(UM::DATASTART)->SetAsDate(QDate());
    q.FieldByName(UM::DATAKONIEC)->SetAsDate(QDate());
}

void UpdateUmowaText(int umIndex, const TUmowaExpander& expand)
{
    TDedicatedSession* s = GlobalSession();
    auto doc = s->OpenQuery(
        QStringLiteral("select UM_INDEXSZABLON, UM_INDEXUSER from Umowy where UM_INDEX=:p1"), {umIndex});
    if (doc->IsEmpty()) return;
    const int templ = doc->FieldByName(UM::INDEXSZABLON)->AsInteger();
    const int user = doc->FieldByName(UM::INDEXUSER)->AsInteger();
    if (templ <= 0) return;
    auto t =
        s->OpenQuery(QStringLiteral("select SZ_TRESC, SZ_TRESC2 from Szablony where SZ_INDEX=:p1"), {templ});
    const QString body1 = t->IsEmpty() ? QString() : t->FieldByName(QStringLiteral("SZ_TRESC"))->AsString();
    const QString body2 = t->IsEmpty() ? QString() : t->FieldByName(QStringLiteral("SZ_TRESC2"))->AsString();
    const auto run = [&](const QString& text) {
        return expand ? expand(umIndex, text)
                      : ExpandTemplateVariables(QStringLiteral("Umowa"), umIndex, text);
    };
    const QString text1 = run(body1);
    const QString text2 = run(body2);
    const bool toCorrespondence =
        s->GetQueryValueAsInteger(QStringLiteral("select U_CZYADRESDOKORESP from vUserdb where U_INDEX=:p1"),
                                  {user}) == 1;
    const QString address = s->GetQueryValueAsString(
        QStringLiteral("select vU_ADR_Adres2 from vUserdb where U_INDEX=:p1"), {user});
    const QString addressee =
        toCorrespondence ? s->GetQueryValueAsString(
                               QStringLiteral("select vU_KOR_Adres from vUserdb where U_INDEX=:p1"), {user})
                         : address;
    const TExecResult r = s->ExecQuery(
        QStringLiteral(
            "update Umowy set UM_DATAMODYFIKACJI=now(), UM_TRESC=:p1, UM_TRESC2=:p2, UM_KLIENTTXT=:p3, "
            "UM_ODBIORCATXT=:p4 where UM_INDEX=:p5"),
        {text1, text2, address, addressee, umIndex});
    if (r.RowsAffected == 0) throw EDatabaseError(ERowChangedMessage);
}

void DeleteStoredUmowaPrintout(const QString& umIndexText)
{
    GlobalSession()->ExecQuery(QStringLiteral("delete from MagazynBlob where MB_NAZWA=:p1"),
                               {QStringLiteral("UmowaID") + umIndexText});
}

bool HasStoredUmowaPrintout(int umIndex)
{
    return !GlobalSession()->IsQueryEmpty(QStringLiteral("select 1 from MagazynBlob where MB_NAZWA=:p1"),
                                          {QStringLiteral("UmowaID") + QString::number(umIndex)});
}

QString UmowaDocumentName(int kind, const QString& numberText)
{
    static const char* const prefixes[] = {"Umowa_", "Aneks_", "Pzo_", "Info_"};
    const char* prefix = kind >= 0 && kind <= 3 ? prefixes[kind] : prefixes[0];
    return QString::fromLatin1(prefix) + QString(numberText).replace(QLatin1Char('/'), QLatin1Char('_'));
}

QString UmowaPortalKind(int kind)
{
    static const char* const kinds[] = {"UM_UMOWA", "UM_ANEKS", "UM_PZO", "UM_INFO"};
    return QString::fromLatin1(kind >= 0 && kind <= 3 ? kinds[kind] : kinds[0]);
}

QString UmowyListWhere(const TUmowyListFilter& f, TArgs& args)
{
    args.clear();
    QString w = QStringLiteral(" WHERE (1=1) AND (UM_INDEX>0) ");
    const auto bind = [&args](const TArg& v) {
        args.push_back(v);
        return QStringLiteral(":p%1").arg(args.size());
    };
    if (!f.SearchText.isEmpty()) {
        // The text is a bound value; its % and _ are matched as they are.
        const QString p = QLatin1Char('%') + EscapeLikeText(f.SearchText) + QLatin1Char('%');
        w += QStringLiteral(" AND ( (UM_NUMERTXT LIKE ") + bind(p) +
             QStringLiteral(") \r\n OR (UM_User LIKE ") + bind(p) +
             QStringLiteral(")\r\n OR (DATE_FORMAT(UM_DATAZAWARCIA, '%Y-%m-%d') LIKE ") + bind(p) +
             QStringLiteral(")\r\n OR (DATE_FORMAT(UM_DATAMODYFIKACJI, '%Y-%m-%d') LIKE ") + bind(p) +
             QStringLiteral(")\r\n OR (DATE_FORMAT(UM_DATASTART, '%Y-%m-%d') LIKE ") + bind(p) +
             QStringLiteral(")\r\n OR (DATE_FORMAT(UM_DATAKONIEC, '%Y-%m-%d') LIKE ") + bind(p) +
             QStringLiteral(") )\r\n");
    }
    if (f.OnlyUnsigned) w += QStringLiteral(" AND (UM_CZYPODPISANA=0) \r\n");
    if (f.From.isValid()) w += QStringLiteral(" AND UM_DATAZAWARCIA>=") + bind(dateText(f.From));
    if (f.To.isValid()) w += QStringLiteral(" AND UM_DATAZAWARCIA<=") + bind(dateText(f.To));
    // The id list is the program's own numbers, never typed text.
    if (!f.MainUserIdList.isEmpty())
        w += QStringLiteral(" AND (UM_INDEXUSER ") + f.MainUserIdList + QStringLiteral(") \r\n");
    if (f.EndingWithinDays >= 0)
        w += QStringLiteral(" AND UM_DATAKONIEC>=") + bind(dateText(f.Today)) +
             QStringLiteral(" AND UM_DATAKONIEC<=") + bind(dateText(f.Today.addDays(f.EndingWithinDays)));
    return w + kCrLf;
}

void TListSort::Click(int column, const QString& field, const QStringList& numberKeys)
{
    if (column == Column)
        Direction = (Direction + 1) % 3;
    else {
        Column = column;
        Direction = 1;
    }
    if (numberKeys.isEmpty())
        Slots[0] = field;
    else
        for (int i = 0; i < 3 && i < numberKeys.size(); ++i)
            Slots[i] = numberKeys[i];
}

QString TListSort::OrderBy(const QString& tail) const
{
    if (Direction == 0) return QString();
    const QString dir = Direction == 1 ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
    QStringList keys;
    for (const QString& k : Slots)
        if (!k.isEmpty()) keys << k + dir;
    if (keys.isEmpty()) return QString();
    return QStringLiteral(" order by ") + keys.join(QStringLiteral(", ")) + tail;
}
