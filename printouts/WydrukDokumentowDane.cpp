#include "printouts/WydrukDokumentowDane.h"

namespace {

const TBulkKind kKinds[] = {
    {"Fv", "FV_", "F_", "FV", "vFvLista", "FvKsef"},
    {"Pz", "PZ_", "P_", "PZ", "vPzLista", nullptr},
    {"Fvk", "FVK_", "K_", "FVK", "vFvkLista", "FvkKsef"},
};

// A range end: digits only (the edits let a comma through, which is no number).
qint64 RangeNumber(const QString& text)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok || text.trimmed().startsWith(QLatin1Char('+')) || text.trimmed().startsWith(QLatin1Char('-')))
        throw EBulkCriteriaError(
            QStringLiteral("Zakres numerów dokumentów musi składać się z liczb całkowitych (wpisano \"%1\")")
                .arg(text));
    return n;
}

} // namespace

QString TBulkKind::Col(const char* column) const
{
    return QLatin1String(Prefix) + QLatin1String(column);
}

QString TBulkKind::DocumentHead() const
{
    QString head = QStringLiteral("select %1.*, Userdb.*").arg(QLatin1String(Table));
    if (KsefTable) head += QStringLiteral(", %1.*").arg(QLatin1String(KsefTable));
    head += QStringLiteral(" from %1 left join Userdb on U_INDEX=%2 ")
                .arg(QLatin1String(Table), Col("INDEXUSER"));
    if (KsefTable)
        head += QStringLiteral("left join %1 on %2KSEF_IDFAKTURY=%2INDEX ")
                    .arg(QLatin1String(KsefTable), QLatin1String(Prefix));
    return head;
}

QString TBulkKind::CountHead() const
{
    return QStringLiteral("select count(*) from %1 left join Userdb on U_INDEX=%2 ")
        .arg(QLatin1String(Table), Col("INDEXUSER"));
}

QString TBulkKind::PdfNameHead() const
{
    return QStringLiteral("select %1 from %2 left join Userdb on Userdb.U_INDEX=%3 ")
        .arg(Col("NumerPdf"), QLatin1String(ListView), Col("INDEXUSER"));
}

QString TBulkKind::Order() const
{
    return QStringLiteral(" order by %1, %2 ").arg(Col("DATAWYSTAWIENIA"), Col("NUMER"));
}

const TBulkKind& BulkKind(int kind)
{
    return kKinds[kind >= bkInvoice && kind <= bkCorrection ? kind : bkInvoice];
}

QString BulkPdfFileName(int kind, const QString& numberText)
{
    return QLatin1String(BulkKind(kind).PdfStem) +
           QString(numberText).replace(QLatin1Char('/'), QLatin1Char('_')) + QStringLiteral(".pdf");
}

TBulkSql BuildBulkSql(const TBulkCriteria& c)
{
    const TBulkKind& k = BulkKind(c.Kind);
    TBulkSql s;
    s.Kind = c.Kind;
    s.Head = k.DocumentHead();
    s.CountHead = k.CountHead();
    s.PdfHead = k.PdfNameHead();
    s.Order = k.Order();
    QString& f = s.Filter;
    f = QStringLiteral(" where (1=1) ");
    static const char* const marks[] = {
        "",
        " and (length(Userdb.U_EMAIL)>0 and Userdb.U_CZYKORESPSERYJNA=1) ",
        " and (length(Userdb.U_EMAIL)=0 or Userdb.U_CZYKORESPSERYJNA<>1) ",
        " and Userdb.U_CZYKORESPSERYJNA=1 ",
        " and Userdb.U_CZYKORESPSERYJNA<>1 ",
    };
    if (c.Mark > 0 && c.Mark < 5) f += QLatin1String(marks[c.Mark]);
    const QString date = k.Col("DATAWYSTAWIENIA");
    if (c.FromOn) {
        f += QStringLiteral(" and %1>=:p%2 ").arg(date).arg(s.Args.size() + 1);
        s.Args.push_back(c.From.toString(QStringLiteral("yyyy-MM-dd")));
    }
    if (c.ToOn) {
        f += QStringLiteral(" and %1<=:p%2 ").arg(date).arg(s.Args.size() + 1);
        s.Args.push_back(c.To.toString(QStringLiteral("yyyy-MM-dd")));
    }
    if (c.NumbersOn && !c.NumberFrom.isEmpty() && !c.NumberTo.isEmpty()) {
        const qint64 from = RangeNumber(c.NumberFrom);
        const qint64 to = RangeNumber(c.NumberTo);
        f += QStringLiteral(" and %1>=:p%2 and %1<=:p%3 ")
                 .arg(k.Col("NUMER"))
                 .arg(s.Args.size() + 1)
                 .arg(s.Args.size() + 2);
        s.Args.push_back(static_cast<long long>(from));
        s.Args.push_back(static_cast<long long>(to));
    }
    f += QStringLiteral(" and %1=:p%2 ").arg(k.Col("PODMIOT")).arg(s.Args.size() + 1);
    s.Args.push_back(c.Company);
    // The id list is the main grid's own text of integer keys.
    if (c.MainGridOnly) f += QStringLiteral(" and Userdb.U_INDEX ") + c.MainUserIds;
    if (c.CompanyMarked)
        f += c.CompanyMarkNegated ? QStringLiteral(" and Userdb.U_CZYFIRMA<>1 ")
                                  : QStringLiteral(" and Userdb.U_CZYFIRMA=1 ");
    return s;
}

int CountBulkDocuments(TDedicatedSession* session, const TBulkSql& sql)
{
    return session->GetQueryValueAsInteger(sql.CountHead + sql.Filter, sql.Args);
}

int BulkCompanyIndex(TDedicatedSession* session, const QString& shortName)
{
    return session->GetQueryValueAsInteger(QStringLiteral("select P_INDEX from Podmioty where P_SKROT=:p1"),
                                           {shortName});
}
