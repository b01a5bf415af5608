#include "mainwindow/GlownyInfraQuery.h"

#include "core/Funkcje.h"
#include "core/NetworkHelpers.h"
#include "mainwindow/GlownyUserQuery.h"

QString MainInfraWhere;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The clause of one node column holding (show) or not holding (exclude) the ids.
QString NodeClause(const QList<int>& ids, bool showMode)
{
    QStringList idTexts;
    for (int id : ids)
        idTexts << QString::number(id);
    const QString col = QStringLiteral("INF_INDEXWEZLA");
    const QString cond =
        showMode
            ? QStringLiteral(" (") + col + QLatin1Char('=') +
                  idTexts.join(QStringLiteral(" OR ") + col + QLatin1Char('=')) + QStringLiteral(") ")
            : QStringLiteral(" (") + col + QStringLiteral("<>") +
                  idTexts.join(QStringLiteral(" AND ") + col + QStringLiteral("<>")) + QStringLiteral(") ");
    return QStringLiteral(" AND(  ") + cond + QStringLiteral("  )") + kCrLf;
}

} // namespace

QStringList InfraSearchExpressions()
{
    return {QStringLiteral("INF_FUNKCJA"),
            QStringLiteral("PI_STATUS"),
            QStringLiteral("INF_MAC"),
            QStringLiteral("INF_MAC2"),
            QStringLiteral("INF_MAC"),
            QStringLiteral("INF_MAC2"),
            QStringLiteral("INF_IP"),
            QStringLiteral("INF_LOGIN"),
            QStringLiteral("INF_PUBIP"),
            QStringLiteral("INF_TERMINARZOPIS"),
            QStringLiteral("INF_UWAGI"),
            DateLike(QStringLiteral("INF_DATADODANIADOBAZY")),
            DateLike(QStringLiteral("INF_TERMINARZDATA")),
            QStringLiteral("INF_NAZWA")};
}

QStringList InfraStatuses()
{
    return {QStringLiteral("Down"), QStringLiteral("Up"), QStringLiteral("U?"), QStringLiteral("Skip"),
            QStringLiteral("Err")};
}

void InfraGridTitleClick(TInfraSort& sort, int columnIndex, const QString& field)
{
    sort.Column = columnIndex;
    QString first = sort.Fields[0];
    if (first == QLatin1String("INF_IP1")) first = QStringLiteral("INF_IP");
    if (first.compare(field, Qt::CaseInsensitive) == 0) {
        sort.Order = sort.Order == 1 ? 2 : sort.Order == 2 ? 0 : 1;
    } else {
        sort.Order = 1;
    }
    if (field == QLatin1String("INF_IP"))
        sort.Fields = {QStringLiteral("INF_IP1"), QStringLiteral("INF_IP2"), QStringLiteral("INF_IP3"),
                       QStringLiteral("INF_IP4")};
    else
        sort.Fields = {field, QString(), QString(), QString()};
}

TInfraQuery BuildInfraQuery(const TInfraFilter& f)
{
    TInfraQuery out;
    TArgs& args = out.Args;
    QString where = QStringLiteral(" WHERE (1=1) ");

    if (!f.Search.isEmpty()) {
        const QString j = f.ExcludePhrase ? QStringLiteral("AND") : QStringLiteral("OR");
        const QString n = f.ExcludePhrase ? QStringLiteral("NOT") : QString();
        const QString phrase = LikePattern(f.Search);
        // A MAC typed without separators also finds devices stored with them.
        const QString mac = LikePattern(FormatMacAddress(f.Search, f.SeparatorMAC, f.LiteryMAC));
        const QStringList exprs = InfraSearchExpressions();
        for (int i = 0; i < exprs.size(); ++i) {
            const QString pattern = BindArg(args, i == 4 || i == 5 ? mac : phrase);
            // NOT LIKE on NULL (no ping row, a zero date) is not true: count
            // an empty value as "does not contain" so such devices stay.
            const QString expr =
                f.ExcludePhrase ? QStringLiteral("coalesce(") + exprs[i] + QStringLiteral(", '')") : exprs[i];
            if (i == 0) {
                where += QStringLiteral(" AND ( (") + expr + QLatin1Char(' ') + n + QStringLiteral(" LIKE ") +
                         pattern + QStringLiteral(") ") + kCrLf;
                continue;
            }
            where += QLatin1Char(' ') + j + QStringLiteral(" (") + expr + QLatin1Char(' ') + n +
                     QStringLiteral(" LIKE ") + pattern +
                     (i + 1 == exprs.size() ? QStringLiteral(") )") : QStringLiteral(")")) + kCrLf;
        }
    }

    if (!f.GroupIds.isEmpty())
        where += GroupSlotsClause(QStringLiteral("INF_GRUPA"), f.GroupIds, f.GroupShowMode);
    if (!f.NodeIds.isEmpty()) where += NodeClause(f.NodeIds, f.NodeShowMode);

    if (f.State == 1) where += QStringLiteral(" AND ( INF_CZYZAWIESZONE = 0 ) ") + kCrLf;
    if (f.State == 2) where += QStringLiteral(" AND ( INF_CZYZAWIESZONE = 1 ) ") + kCrLf;
    if (f.BezIpLubMac) where += QStringLiteral(" AND ( (INF_IP = '') OR (INF_MAC = '') ) ") + kCrLf;
    if (f.Terminarz) where += QStringLiteral(" AND ( INF_TERMINARZDATA > 0 ) ") + kCrLf;
    if (f.ZeStatusem)
        where +=
            QStringLiteral(" AND ( PI_STATUS = ") + BindArg(args, f.Status) + QStringLiteral(") ") + kCrLf;
    if (f.Monitoring) where += QStringLiteral(" AND ( INF_DODAJDOMONITORINGU = 1 ) ") + kCrLf;
    if (f.Zapasowe) where += QStringLiteral(" AND ( INF_ZAPASOWE = 1 ) ") + kCrLf;

    const QStringList parts = SortOrderParts(f.Sort.Fields, f.Sort.Order);
    out.Order = parts.isEmpty() ? QString() : QStringLiteral(" order by ") + parts.join(QStringLiteral(", "));
    out.Where = where;
    out.Sql =
        QStringLiteral("select vInfrastruktura.*, PingInfra.* from vInfrastruktura left join PingInfra on "
                       "PI_INDEXINFRA=INF_INDEX ") +
        kCrLf + where + out.Order;
    return out;
}

QString InfraWhereText(const QStringList& ids)
{
    return QStringLiteral(" WHERE (1=1) AND INF_INDEX") + UserIdListText(ids);
}

TInfraRowLook InfraRowLook(const TInfraRowData& row)
{
    TInfraRowLook look;
    if (row.Zapasowe) look.Font = ColorFromTColor(1358406);
    if (row.Zaznaczone) look.Font = QColor(255, 0, 0);
    if (row.Zawieszone) look.Font = ColorFromTColor(0xC0C0C0);
    if (row.Status == QLatin1String("Err"))
        look.Background = BlendColors(ColorFromTColor(0x0080FF), Qt::white, 1, 2);
    return look;
}

TInfraMonitorIcon InfraMonitorIcon(const TInfraRowData& row)
{
    if (!row.Monitoring || row.Zawieszone) return TInfraMonitorIcon::None;
    return row.MonitoringSms ? TInfraMonitorIcon::MonitoringSms : TInfraMonitorIcon::Monitoring;
}

QString InfraStatusPicture(const TInfraRowData& row)
{
    if (row.Pasywne) return QStringLiteral("Skip");
    for (const QString& s :
         {QStringLiteral("Down"), QStringLiteral("Up"), QStringLiteral("Skip"), QStringLiteral("Err")})
        if (row.Status == s) return s;
    return QString();
}
