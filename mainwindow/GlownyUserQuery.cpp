#include "mainwindow/GlownyUserQuery.h"

#include "core/Funkcje.h"
#include "core/Query.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

// Sort fields come from the grid's columns and the stored settings; only a
// plain column name may reach the ORDER BY text.
bool IsSqlIdentifier(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(s).hasMatch();
}

QString LikePattern(const QString& word)
{
    return QStringLiteral("%") + EscapeLikeText(word) + QStringLiteral("%");
}

QString BindArg(TArgs& args, const TArg& value)
{
    args.push_back(value);
    return QStringLiteral(":p") + QString::number(args.size());
}

QString DateLike(const QString& column)
{
    return QStringLiteral("DATE_FORMAT(") + column + QStringLiteral(", '%Y-%m-%d')");
}

QString GroupSlotsClause(const QString& columnPrefix, const QList<int>& ids, bool showMode)
{
    QStringList idTexts;
    for (int id : ids)
        idTexts << QString::number(id);
    QStringList conds;
    for (int k = 1; k <= 10; ++k) {
        const QString col = columnPrefix + QString::number(k);
        if (showMode)
            conds << QStringLiteral(" (") + col + QLatin1Char('=') +
                         idTexts.join(kCrLf + QStringLiteral(" OR ") + col + QLatin1Char('=')) +
                         QStringLiteral(") ");
        else
            conds << QStringLiteral(" (") + col + QStringLiteral("<>") +
                         idTexts.join(kCrLf + QStringLiteral(" AND ") + col + QStringLiteral("<>")) +
                         QStringLiteral(") ");
    }
    const QString joiner = kCrLf + (showMode ? QStringLiteral(" OR ") : QStringLiteral(" AND "));
    return QStringLiteral(" AND( ") + QLatin1Char(' ') + conds.join(joiner) + QLatin1Char(' ') +
           QStringLiteral(" )") + kCrLf;
}

QStringList SortOrderParts(const std::array<QString, 4>& fields, int order)
{
    QStringList parts;
    if (order == 0) return parts;
    for (const QString& field : fields)
        if (!field.isEmpty() && IsSqlIdentifier(field))
            parts << field + (order == 1 ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    return parts;
}

namespace {

QString StateClause(int state, const QDate& today, TArgs& args)
{
    const QString d = today.toString(QStringLiteral("yyyy-MM-dd"));
    switch (state) {
    case 1: {
        const QString a = BindArg(args, d);
        const QString b = BindArg(args, d);
        return QStringLiteral(" AND (((U_DATAAKTYWACJI<>'0000-00-00') AND ( U_DATAAKTYWACJI <=") + a +
               QStringLiteral(" )) AND (( U_DATADEAKTYWACJI = 0 ) OR (U_DATADEAKTYWACJI >") + b +
               QStringLiteral(")))") + kCrLf + QStringLiteral(" AND (U_POCZEKALNIA <> 1)") + kCrLf;
    }
    case 2: {
        const QString a = BindArg(args, d);
        const QString b = BindArg(args, d);
        return QStringLiteral(" AND (((U_DATAAKTYWACJI<>'0000-00-00') AND ( U_DATAAKTYWACJI >") + a +
               QStringLiteral(" )) OR (U_DATAAKTYWACJI='0000-00-00') OR (( U_DATADEAKTYWACJI <=") + b +
               QStringLiteral(" ) AND ( U_DATADEAKTYWACJI <>'0000-00-00' )))") + kCrLf +
               QStringLiteral(" AND (U_POCZEKALNIA <> 1)") + kCrLf;
    }
    case 3:
        return QStringLiteral(" AND (U_POCZEKALNIA = 1)") + kCrLf;
    default:
        return QStringLiteral(" AND (U_POCZEKALNIA <> 1)") + kCrLf;
    }
}

} // namespace

const QStringList& UserSearchExpressions()
{
    static const QStringList list = [] {
        QStringList l{QStringLiteral("U_IMIE"),
                      QStringLiteral("U_NAZWISKO"),
                      QStringLiteral("vU_NazwiskoImie"),
                      QStringLiteral("vU_DownUpAll"),
                      QStringLiteral("vU_ADR_UlicaNr collate utf8_bin"),
                      QStringLiteral("vU_ADR_Adres collate utf8_bin"),
                      QStringLiteral("vU_KOR_Adres2 collate utf8_bin"),
                      QStringLiteral("vU_LOK_Adres collate utf8_bin"),
                      QStringLiteral("vU_ADR_UlicaNr"),
                      QStringLiteral("vU_ADR_UlicaNrPelny collate utf8_bin"),
                      QStringLiteral("vU_LOK_UlicaNr"),
                      QStringLiteral("vU_LOK_UlicaNrPelny collate utf8_bin"),
                      QStringLiteral("vU_KOR_UlicaNr"),
                      QStringLiteral("vU_KOR_UlicaNrPelny collate utf8_bin")};
        for (const char* c : {"U_TEL1",
                              "U_TEL2",
                              "U_EMAIL",
                              "U_NRDOWODU",
                              "U_PESEL",
                              "U_NIP",
                              "U_NRRACHUNKU1",
                              "U_NRRACHUNKU2",
                              "U_ADR_ULICA",
                              "U_ADR_MIEJSCOWOSC",
                              "U_ADR_POCZTA",
                              "U_KOR_POCZTA",
                              "U_LOK_POCZTA",
                              "U_ADR_KOD",
                              "U_LOK_NAZWA",
                              "U_LOK_ULICA",
                              "U_LOK_MIEJSCOWOSC",
                              "U_LOK_KOD",
                              "U_KOR_NAZWA",
                              "U_KOR_ULICA",
                              "U_KOR_MIEJSCOWOSC",
                              "U_KOR_KOD",
                              "U_UWAGI",
                              "U_NOTATKA",
                              "U_NRGG",
                              "U_LOGIN",
                              "U_HASLO",
                              "U_NRKLIENTA"})
            l << QLatin1String(c);
        for (const char* c : {"U_DATADEAKTYWACJI", "U_DATADODANIA", "U_DATAWYKLUCZENIAZBLOKAD",
                              "U_TERMINARZDATA", "U_DATAKONCAUMOWY"})
            l << DateLike(QLatin1String(c));
        for (const char* c : {"U_INDYWTERMINPLATNOSCIFORMA", "U_SIIS_ID", "U_SIIS_ID2", "U_NOTATKA2"})
            l << QLatin1String(c);
        return l;
    }();
    return list;
}

void UserGridTitleClick(TUserSort& sort, int columnIndex, const QString& field)
{
    sort.Column = columnIndex;
    // A composite column stores its first part: read it back as the column.
    QString first = sort.Fields[0];
    if (first == QLatin1String("U_NAZWISKO"))
        first = QStringLiteral("vU_NazwiskoImie");
    else if (first == QLatin1String("U_ADR_ULICA"))
        first = QStringLiteral("vU_ADR_UlicaNr");
    else if (first == QLatin1String("U_PASMODOWNLOADDZIEN"))
        first = QStringLiteral("vU_DownUpAll");
    if (first.compare(field, Qt::CaseInsensitive) == 0) {
        sort.Order = sort.Order == 1 ? 2 : sort.Order == 2 ? 0 : 1;
    } else {
        sort.Order = 1;
        sort.Fields[0] = field;
    }
    auto set = [&sort](std::initializer_list<const char*> fields) {
        int k = 0;
        for (const char* f : fields)
            sort.Fields[size_t(k++)] = QLatin1String(f);
    };
    if (field == QLatin1String("vU_NazwiskoImie"))
        set({"U_NAZWISKO", "U_IMIE"});
    else if (field == QLatin1String("vU_ADR_UlicaNr"))
        set({"U_ADR_ULICA", "U_ADR_NRDOMU", "U_ADR_NRLOKALU"});
    else if (field == QLatin1String("U_ADR_MIEJSCOWOSC"))
        set({"U_ADR_MIEJSCOWOSC", "U_ADR_ULICA", "U_ADR_NRDOMU", "U_ADR_NRLOKALU"});
    else if (field == QLatin1String("vU_DownUpAll"))
        set({"U_PASMODOWNLOADDZIEN", "U_PASMOUPLOADDZIEN", "U_PASMODOWNLOADNOC", "U_PASMOUPLOADNOC"});
}

QString SortSign(int order)
{
    return order == 1 ? QStringLiteral("+") : order == 2 ? QStringLiteral("-") : QString();
}

TUserQuery BuildUserQuery(const TUserFilter& f, const QDate& today)
{
    TUserQuery out;
    TArgs& args = out.Args;
    QString where = QStringLiteral(" WHERE (1=1) ");

    const QString t = f.Search.trimmed();
    if (!t.isEmpty()) {
        const QString j = f.ExcludeWords ? QStringLiteral("AND") : QStringLiteral("OR");
        const QString n = f.ExcludeWords ? QStringLiteral("NOT") : QString();
        const QStringList words = t.startsWith(QLatin1Char('"')) ? QStringList{t.mid(1)}
                                                                 : SplitToStringList(QStringLiteral(" "), t);
        where += QStringLiteral(" AND ( ");
        const QStringList& exprs = UserSearchExpressions();
        const bool inSorted = f.SortedColumnOnly && f.Sort.Order != 0 && IsSqlIdentifier(f.SortedColumnField);
        for (int i = 0; i < words.size(); ++i) {
            const QString pattern = LikePattern(words[i]);
            const QString o = i == 0 ? QStringLiteral("(") : QStringLiteral("AND (");
            if (inSorted) {
                where += QLatin1Char(' ') + o + QStringLiteral(" (") + f.SortedColumnField +
                         QLatin1Char(' ') + n + QStringLiteral(" LIKE ") + BindArg(args, pattern) +
                         QStringLiteral("))") + kCrLf;
                continue;
            }
            where += QLatin1Char(' ') + o + QStringLiteral(" (") + exprs[0] + QLatin1Char(' ') + n +
                     QStringLiteral(" LIKE ") + BindArg(args, pattern) + QStringLiteral(") ") + kCrLf;
            for (int c = 1; c < exprs.size(); ++c) {
                const bool last = c + 1 == exprs.size();
                where += QLatin1Char(' ') + j + QStringLiteral(" (") + exprs[c] + QLatin1Char(' ') + n +
                         QStringLiteral(" LIKE ") + BindArg(args, pattern) +
                         (last ? QStringLiteral("))") : QStringLiteral(")")) + kCrLf;
            }
        }
        // "tauron.show" lists the subscribers with a wholesale order instead.
        if (!words.isEmpty() && words.last() == QLatin1String("tauron.show")) {
            where = QStringLiteral(" where (length(UADD_TAURONBSA)>5 ");
            args.clear();
        }
        where += QStringLiteral(" ) ");
    }

    if (!f.GroupIds.isEmpty())
        where += GroupSlotsClause(QStringLiteral("U_GRUPA"), f.GroupIds, f.GroupShowMode);
    where += StateClause(f.State, today, args);

    if (f.Zalegle) {
        where += QStringLiteral(" AND ( U_SALDOZALEGLE > 0 ) ") + kCrLf;
        if (f.ZalegleKind == 1) where += QStringLiteral(" AND ( U_BLOKUJ > 0 ) ") + kCrLf;
        if (f.ZalegleKind == 2)
            where += QStringLiteral(" AND ( U_POWIADAMIAJ > 0 and U_BLOKUJ = 0) ") + kCrLf;
    }
    if (f.Terminarz) where += QStringLiteral(" AND ( U_TERMINARZDATA > 0 ) ") + kCrLf;
    if (f.BezAbonamentu) where += QStringLiteral(" AND ( U_KWOTAABONAMENTU = 0) ") + kCrLf;
    if (f.BezFakturowania) where += QStringLiteral(" AND ( U_AUTOMATYCZNEFAKTURY = 0 ) ") + kCrLf;
    if (f.BezTeryt) where += QStringLiteral(" AND ( U_TER_SYM_UL = '' ) ") + kCrLf;
    if (f.BezUrzadzen)
        where += QStringLiteral(" AND ( (select count(*) from Mac where M_INDEXUSER=U_INDEX) = 0 ) ") + kCrLf;
    if (f.Firma)
        where += (f.FirmaNegacja ? QStringLiteral(" AND ( U_CZYFIRMA = 0 ) ")
                                 : QStringLiteral(" AND ( U_CZYFIRMA = 1 ) ")) +
                 kCrLf;
    if (f.ZaznaczeniWKarcie) where += QStringLiteral(" AND ( U_ZAZNACZ = 1 ) ") + kCrLf;
    if (f.Zaznaczeni)
        where += (f.ZaznaczeniNegacja ? QStringLiteral(" AND ( U_ZAZNACZONY_TEMP = 0 ) ")
                                      : QStringLiteral(" AND ( U_ZAZNACZONY_TEMP = 1 ) ")) +
                 kCrLf;
    if (f.Podmiot)
        where += QStringLiteral(" AND ( U_PODMIOT = (select P_INDEX from Podmioty where P_SKROT=") +
                 BindArg(args, f.PodmiotSkrot) + QStringLiteral(" limit 1)  ) ") + kCrLf;
    if (f.Geo) {
        if (f.GeoKind == 0)
            where += QStringLiteral(" AND (U_GEOLOK_SZEROKOSC=0 or U_GEOLOK_DLUGOSC=0) ") + kCrLf;
        else if (f.GeoKind == 1)
            where += QStringLiteral(" AND (U_GEOLOK_SZEROKOSC<>0 and U_GEOLOK_DLUGOSC<>0) ") + kCrLf;
        else if (f.GeoKind == 2)
            where += QStringLiteral(" AND U_WSPGEORECZNIE=1 ") + kCrLf;
    }

    QString order;
    {
        const QStringList parts = SortOrderParts(f.Sort.Fields, f.Sort.Order);
        if (!parts.isEmpty()) {
            order = QStringLiteral(" order by ") + parts.join(QStringLiteral(", "));
            if (f.Sort.Fields[0] != QLatin1String("U_NAZWISKO"))
                order += QStringLiteral(", U_NAZWISKO ASC, U_IMIE ASC ");
        }
    }

    QString limit;
    if (f.Range) {
        bool ok1 = false, ok2 = false;
        const int first = f.RangeFirst.trimmed().toInt(&ok1);
        const int count = f.RangeCount.trimmed().toInt(&ok2);
        limit = ok1 ? QStringLiteral(" LIMIT ") + QString::number(qMax(0, first - 1))
                    : QStringLiteral(" LIMIT 1");
        limit += ok2 ? QStringLiteral(",") + QString::number(qMax(0, count)) : QStringLiteral(", 1");
    }

    out.Where = where;
    out.Order = order;
    out.Limit = limit;
    out.Sql = QStringLiteral(
                  "SELECT convert((@i := @i + 1), UNSIGNED) as RowCount, vUserdb.* FROM (select @i := 0) "
                  "Trc, vUserdb ") +
              where + order + limit;
    return out;
}

void ApplyUserQuery(TQuery& query, const TUserQuery& built)
{
    query.SetSQL(built.Sql);
    query.BindArgs(built.Args);
}

QString UserIdListText(const QStringList& ids)
{
    QStringList all = ids;
    all << QStringLiteral("0");
    return QStringLiteral(" in (") + all.join(QLatin1Char(',')) + QStringLiteral(") ");
}

QString UserWhereText(const QString& idList)
{
    return QStringLiteral(" WHERE U_INDEX") + idList;
}

QStringList DistinctKeys(const TQuery& query, const QString& keyField)
{
    QStringList out;
    const TField* f = query.FindField(keyField);
    if (!f) return out;
    const int col = f->Index();
    QSet<QString> seen;
    const int n = query.RecordCount();
    out.reserve(n);
    seen.reserve(n);
    for (int r = 0; r < n; ++r) {
        const QString v = query.CellText(r, col);
        if (v.isEmpty() || seen.contains(v)) continue;
        seen.insert(v);
        out << v;
    }
    return out;
}

// ---------------------------------------------------------------- row look

QColor ColorFromTColor(unsigned bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

bool UserInactive(const TUserRowData& row, const QDate& today)
{
    if (row.DataDeaktywacji.isValid() && today >= row.DataDeaktywacji) return true;
    if (row.DataAktywacji.isValid() && today < row.DataAktywacji) return true;
    return !row.DataAktywacji.isValid();
}

TUserRowLook UserRowLook(const TUserRowData& row, const QDate& today, const QColor& windowColor)
{
    TUserRowLook look;
    const QColor white(255, 255, 255);
    const QColor yellow = ColorFromTColor(0x66DDFF);
    if (row.Poczekalnia) {
        // The longer the wait, the more orange.
        int e = row.DataDodania.isValid() ? int(std::lround(double(row.DataDodania.daysTo(today)) + 1)) : 360;
        if (e <= 3) e = 0;
        e = std::min(e, 360);
        look.Background = BlendColors(ColorFromTColor(0x4080FF), white, e, 50);
        look.WaitingRoom = true;
        return look;
    }
    if (row.Powiadamiaj) look.Background = BlendColors(yellow, white, 1, 1);
    if (row.Blokuj) look.Background = yellow;
    if (row.Zaznacz) look.Font = QColor(255, 0, 0);
    if (UserInactive(row, today)) look.Font = ColorFromTColor(0xC0C0C0);
    if (row.TerminarzData.isValid() && today >= row.TerminarzData)
        look.Background = row.Powiadamiaj ? BlendColors(ColorFromTColor(0x008000), yellow, 1, 5)
                                          : BlendColors(ColorFromTColor(0x008000), white, 1, 2);
    Q_UNUSED(windowColor);
    return look;
}

// ---------------------------------------------------------------- ticks

void ToggleUserTick(int userIndex, bool ticked)
{
    GlobalSession()->ExecQuery(
        ticked ? QStringLiteral("update Userdb set U_ZAZNACZONY_TEMP=0 where U_INDEX=:p1")
               : QStringLiteral("update Userdb set U_ZAZNACZONY_TEMP=1 where U_INDEX=:p1"),
        {userIndex});
}

void TickUsers(const QString& mainUserWhere, bool tick)
{
    // The WHERE part is made of numbers only (the shown keys).
    const QString where = mainUserWhere.isEmpty() ? UserWhereText(UserIdListText({})) : mainUserWhere;
    GlobalSession()->ExecQuery((tick ? QStringLiteral("update Userdb set U_ZAZNACZONY_TEMP=1 ")
                                     : QStringLiteral("update Userdb set U_ZAZNACZONY_TEMP=0 ")) +
                               where);
}

void ClearAllUserTicks()
{
    GlobalSession()->ExecQuery(QStringLiteral("update Userdb set U_ZAZNACZONY_TEMP=0 where 1=1"));
}

int CountTickedUsers()
{
    return GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select count(1) from Userdb where U_ZAZNACZONY_TEMP=1"));
}
