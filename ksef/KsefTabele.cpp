#include "ksef/KsefTabele.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "ksef/KsefError.h"

QString TKsefDocKind::Doc(const char* column) const
{
    return QString::fromLatin1(DocPrefix) + QString::fromLatin1(column);
}

QString TKsefDocKind::Col(const char* column) const
{
    return QString::fromLatin1(KsefPrefix) + QString::fromLatin1(column);
}

QString TKsefDocKind::FileName(int index) const
{
    return QString::fromLatin1(FileStem) + QString::number(index) + QStringLiteral(".xml");
}

const TKsefDocKind& KsefInvoiceKind()
{
    static const TKsefDocKind k{'F', "Fv", "FV_", "FvKsef", "FV_KSEF_", "KSeF_FV_", "UPO_KSeF_F"};
    return k;
}

const TKsefDocKind& KsefCorrectionKind()
{
    static const TKsefDocKind k{'K', "Fvk", "FVK_", "FvkKsef", "FVK_KSEF_", "KSeF_FVK_", "UPO_KSeF_K"};
    return k;
}

const TKsefDocKind& KsefDocKind(char kind)
{
    if (kind == 'F') return KsefInvoiceKind();
    if (kind == 'K') return KsefCorrectionKind();
    throw EKsefError(QStringLiteral("Nieznany rodzaj dokumentu KSeF: %1").arg(QLatin1Char(kind)));
}

QDate KsefStartDay()
{
    const QDate d = QDate::fromString(KsefStartDate.trimmed(), QStringLiteral("yyyy-MM-dd"));
    if (d.isValid()) return d;
    return QDate::currentDate() >= QDate(2026, 2, 1) ? QDate(2026, 2, 1) : QDate(2025, 12, 1);
}

bool KsefIssuedBeforeStart(const QDate& issueDate)
{
    // A document without a readable date cannot be placed after the start.
    return !issueDate.isValid() || issueDate < KsefStartDay();
}

bool KsefRowCountsAsSent(const QString& ksefNumber, const QString& status)
{
    return !ksefNumber.trimmed().isEmpty() || status == KsefStatusOffline;
}

bool KsefDocumentSent(char kind, int index)
{
    const TKsefDocKind& k = KsefDocKind(kind);
    auto q =
        GlobalSession()->OpenQuery(QStringLiteral("select %1, %2 from %3 where %4=:p1")
                                       .arg(k.Col("NRKSEF"), k.Col("STATUS"), k.Table(), k.Col("IDFAKTURY")),
                                   {index});
    for (; !q->Eof(); q->Next())
        if (KsefRowCountsAsSent(q->Fields(0)->AsString(), q->Fields(1)->AsString())) return true;
    return false;
}

int KsefReadGatewaySetting()
{
    return ReadIniInteger(0, QStringLiteral("KSeF_TypBramki"), 2);
}
