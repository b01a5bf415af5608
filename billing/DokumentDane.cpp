#include "billing/DokumentDane.h"

#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "billing/Salda.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDateTime>

TDokumentDane::TDokumentDane(const QString& prefix, char kind, const QString& linePrefix,
                             const QString& linesSql, const QStringList& zeroWhenEmpty)
    : m_header(std::make_unique<TQuery>()), m_lines(std::make_unique<TQuery>()),
      m_user(std::make_unique<TQuery>()), m_prefix(prefix), m_kind(kind)
{
    m_header->RequestLive = true;
    m_header->BeforePost = [prefix](TQuery& q) {
        q.FieldByName(prefix + QStringLiteral("OPERATORID"))->SetAsInteger(OperatorId);
        q.FieldByName(prefix + QStringLiteral("DATAMODYFIKACJI"))
            ->SetAsDateTime(QDateTime::currentDateTime());
    };
    m_lines->RequestLive = true;
    m_lines->SetSQL(linesSql);
    m_lines->BeforePost = [linePrefix, zeroWhenEmpty](TQuery& q) {
        for (const QString& name : zeroWhenEmpty)
            if (q.FieldByName(name)->AsString().isEmpty()) q.FieldByName(name)->SetAsInteger(0);
        q.FieldByName(linePrefix + QStringLiteral("OPERATORID"))->SetAsInteger(OperatorId);
        q.FieldByName(linePrefix + QStringLiteral("DATAMODYFIKACJI"))
            ->SetAsDateTime(QDateTime::currentDateTime());
    };
}

TDokumentDane::~TDokumentDane() = default;

TField* TDokumentDane::head(const char* name) const
{
    return m_header->FieldByName(col(name));
}

void TDokumentDane::Hide()
{
    if (m_header->Active() && !m_header->IsEmpty()) {
        if (m_header->State() != dsBrowse) m_header->Cancel();
        RecalcUserSaldoAndCache(head("INDEXUSER")->AsInteger());
    }
    m_reservation.reset();
    m_lines->Close();
    m_header->Close();
    m_user->Close();
}

TField* TDokumentDane::Field(const QString& name) const
{
    return m_header->FieldByName(name);
}

int TDokumentDane::CurrentIndex() const
{
    return m_header->Active() && !m_header->IsEmpty() ? head("INDEX")->AsInteger() : 0;
}

QDate TDokumentDane::IssueDate() const
{
    return head("DATAWYSTAWIENIA")->AsDate();
}

QDate TDokumentDane::DueDate() const
{
    return head("DATAPLATNOSCI")->AsDate();
}

int TDokumentDane::TermDays() const
{
    const QDate issue = IssueDate();
    const QDate due = DueDate();
    return issue.isValid() && due.isValid() ? int(issue.daysTo(due)) : 0;
}

QString TDokumentDane::TermText() const
{
    return QString::number(TermDays()) + QStringLiteral(" dni");
}

Amount4 TDokumentDane::Gross() const
{
    return head("SUMABRUTTO")->AsCurrency();
}

Amount4 TDokumentDane::Paid() const
{
    return head("KWOTAWPLACONA")->AsCurrency();
}

Amount4 TDokumentDane::LeftToPay() const
{
    return head("KWOTADOZAPLATY")->AsCurrency();
}

QString TDokumentDane::BuyerStreetText() const
{
    QString t = head("ADR_ULICA")->AsString() + QLatin1Char(' ') + head("ADR_NRDOMU")->AsString();
    const QString flat = head("ADR_NRLOKALU")->AsString();
    if (!flat.isEmpty()) t += QLatin1Char('/') + flat;
    return t;
}

QString TDokumentDane::BuyerAddressText() const
{
    return BuyerStreetText() + QStringLiteral("  ") + head("ADR_KOD")->AsString() + QLatin1Char(' ') +
           head("ADR_MIEJSCOWOSC")->AsString();
}

void TDokumentDane::EditLine()
{
    if (!m_lines->IsEmpty()) m_lines->Edit();
}

void TDokumentDane::CancelLine()
{
    if (m_lines->State() != dsBrowse) m_lines->Cancel();
}

void TDokumentDane::editHeader(const std::function<void(TQuery&)>& change)
{
    TQuery& h = *m_header;
    if (h.IsEmpty()) return;
    if (h.State() == dsBrowse) h.Edit();
    try {
        change(h);
        h.Post();
    } catch (...) {
        if (h.State() != dsBrowse) h.Cancel();
        throw;
    }
}

void TDokumentDane::refreshHeader()
{
    RefreshQuery(m_header.get(), col("INDEX"));
}

void TDokumentDane::setPaidInEdit(Amount4 paid)
{
    const Amount4 gross = Gross();
    const Amount4 settled = head("KWOTAROZLICZONA")->AsCurrency();
    paid = ClampPaidAmount(m_kind, paid, gross, settled);
    head("KWOTAWPLACONA")->SetAsCurrency(paid);
    head("KWOTADOZAPLATY")->SetAsCurrency(gross - paid);
    head("KWOTADOROZLICZENIA")->SetAsCurrency(gross - paid - settled);
}

void TDokumentDane::openLines()
{
    m_lines->Close();
    m_lines->BindArgs({CurrentIndex()});
    m_lines->Open();
}
