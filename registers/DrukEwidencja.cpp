#include "registers/DrukEwidencja.h"

#include "core/DbIni.h"

TFormDrukEwidencja::TFormDrukEwidencja(TRegisterKind kind, QString title, QObject* parent)
    : TReportForm(parent), m_kind(kind), m_title(std::move(title))
{
}

std::shared_ptr<TReportDocument> TFormDrukEwidencja::BuildReport()
{
    TRegisterRequest r;
    r.Kind = m_kind;
    r.PodmiotIndex = PodmiotIndex;
    r.DateFrom = DateFrom;
    r.DateTo = DateTo;
    r.UserIdFilter = UserIdFilter;
    r.Comment = Komentarz;
    r.DateAsMonth =
        m_kind == TRegisterKind::Invoices && ReadIniBool(0, QStringLiteral("DataJakoMiesiac"), false);
    LastData = std::make_shared<TRegisterData>(r);
    return TRegisterData::Document(LastData, m_title);
}

void TFormDrukEwidencja::AfterPreview()
{
    // The preview's document keeps the rows while it is open; nothing else holds them.
    LastData.reset();
}
