#include "billing/PzWystawDane.h"

#include "billing/FvWystawDane.h"
#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "billing/Salda.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDateTime>

namespace {

TField* F(const TQuery& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name));
}

} // namespace

TPzWystawDane::TPzWystawDane()
    : TDokumentZPozycjami(
          QStringLiteral("PZ_"), 'P', QStringLiteral("PZP_"),
          QStringLiteral("select * from PzPozycje where PZP_INDEXPZ=:PZ_INDEX order by PZP_NAZWAUSLUGI"),
          {QStringLiteral("PZP_RABAT"), QStringLiteral("PZP_ILOSC")}),
      m_forms(std::make_unique<TQuery>())
{
    m_forms->SetSQL(QStringLiteral("select * from FormyPlatnosci order by FP_NAZWA"));
}

TPzWystawDane::~TPzWystawDane() = default;

void TPzWystawDane::SelectUser(int userIndex)
{
    m_lines->Close();
    m_header->Close();
    m_header->SetSQL(QStringLiteral("select * from Pz \r\n where PZ_INDEXUSER=:p1 \r\n"));
    m_header->BindArgs({userIndex});
    m_header->Open();
    m_user->Close();
    m_user->SetSQL(QStringLiteral("select * from vUserdb \r\n where U_INDEX=:p1 \r\n"));
    m_user->BindArgs({userIndex});
    m_user->Open();
}

void TPzWystawDane::SelectDemand(int pzIndex)
{
    m_lines->Close();
    m_header->Close();
    m_header->SetSQL(QStringLiteral("select * from Pz \r\n where PZ_INDEX=:p1 \r\n"));
    m_header->BindArgs({pzIndex});
    m_header->Open();
    const int user = m_header->IsEmpty() ? 0 : F(*m_header, "PZ_INDEXUSER")->AsInteger();
    m_user->Close();
    m_user->SetSQL(QStringLiteral("select * from vUserdb \r\n where U_INDEX=:p1 \r\n"));
    m_user->BindArgs({user});
    m_user->Open();
}

void TPzWystawDane::InsertHeader()
{
    m_header->Insert();
    F(*m_header, "PZ_INDEXUSER")->SetAsInteger(F(*m_user, "U_INDEX")->AsInteger());
    F(*m_header, "PZ_PODMIOT")->SetAsInteger(F(*m_user, "U_PODMIOT")->AsInteger());
}

void TPzWystawDane::EditHeader()
{
    if (!m_header->IsEmpty()) m_header->Edit();
}

TQuery* TPzWystawDane::paymentForms()
{
    if (m_forms->Active())
        RefreshQuery(m_forms.get(), QStringLiteral("FP_INDEX"));
    else
        m_forms->Open();
    return m_forms.get();
}

void TPzWystawDane::Show()
{
    PzIndex = 0;
    IsNew = false;
    OkPressed = false;
    m_paidTyped = false;
    TQuery& h = *m_header;
    TQuery& u = *m_user;
    if (h.State() == dsInsert) {
        IsNew = true;
        const QDate today = QDate::currentDate();
        F(h, "PZ_DATAWYSTAWIENIA")->SetAsDate(today);
        F(h, "PZ_WYSTAWIL")->SetAsString(CurrentOperatorName());
        m_reservation = std::make_unique<TNumberReservation>('P', today, F(u, "U_PODMIOT")->AsInteger());
        F(h, "PZ_NUMER")->SetAsInteger(m_reservation->Number());
        // The subscriber's own form is kept as it is, listed or not.
        const bool ownTerm = F(u, "U_CZYINDYWTERMINPLATNOSCI")->AsInteger() == 1;
        F(h, "PZ_FORMAPLATNOSCI")
            ->SetAsString(
                ownTerm ? F(u, "U_INDYWTERMINPLATNOSCIFORMA")->AsString()
                        : ReadIniString(0, QStringLiteral("FormaPlatnosci"), QStringLiteral("gotówka")));
        const TField* ownDays = F(u, "U_INDYWTERMINPLATNOSCI");
        const int days = ownTerm && !ownDays->AsString().isEmpty()
                             ? ownDays->AsInteger()
                             : ReadIniInteger(0, QStringLiteral("TerminPlatnosci"), 0);
        F(h, "PZ_DATAPLATNOSCI")->SetAsDate(today.addDays(days));
        rebuildNumberText();
        h.Post();
        m_reservation.reset();
        PzIndex = F(h, "PZ_INDEX")->AsInteger();
        h.Edit();
    } else if (h.State() == dsBrowse && !h.IsEmpty()) {
        h.Edit();
    }
    rebuildNumberText();
    F(h, "PZ_MIEJSCOWOSC")->SetAsString(ReadIniString(0, QStringLiteral("MiejscowoscFV"), QString()));
    CopyBuyerColumns(u, h, QStringLiteral("PZ_"), false);
    h.Post();
    openLines();
}

void TPzWystawDane::rebuildNumberText()
{
    TQuery& h = *m_header;
    F(h, "PZ_NUMERTXT")
        ->SetAsString(DocumentNumberText('P', F(h, "PZ_NUMER")->AsString(), F(h, "PZ_PODMIOT")->AsInteger(),
                                         F(h, "PZ_DATAWYSTAWIENIA")->AsDate()));
}

void TPzWystawDane::SetNumberText(const QString& digits)
{
    editHeader([&](TQuery& h) {
        F(h, "PZ_NUMER")->SetAsInteger(digits.toInt());
        F(h, "PZ_NUMERTXT")
            ->SetAsString(DocumentNumberText('P', digits, F(h, "PZ_PODMIOT")->AsInteger(), IssueDate()));
    });
}

void TPzWystawDane::NumberFieldLeft()
{
    if (F(*m_header, "PZ_NUMER")->AsInteger() > 0) return;
    editHeader([&](TQuery& h) {
        F(h, "PZ_NUMER")->SetAsInteger(1);
        rebuildNumberText();
    });
}

void TPzWystawDane::SetIssueDate(const QDate& date)
{
    const QDate old = IssueDate();
    if (!date.isValid() || date == old) return;
    std::unique_ptr<TNumberReservation> reservation;
    editHeader([&](TQuery& h) {
        F(h, "PZ_DATAWYSTAWIENIA")->SetAsDate(date);
        if (date.month() != old.month() || date.year() != old.year()) {
            reservation = std::make_unique<TNumberReservation>('P', date, F(h, "PZ_PODMIOT")->AsInteger());
            F(h, "PZ_NUMER")->SetAsInteger(reservation->Number());
        }
        dueDateChanged(DueDate());
        rebuildNumberText();
    });
}

void TPzWystawDane::SetTermDays(int days)
{
    editHeader([&](TQuery&) { dueDateChanged(IssueDate().addDays(days)); });
}

void TPzWystawDane::SetDueDate(const QDate& date)
{
    if (!date.isValid()) return;
    editHeader([&](TQuery&) { dueDateChanged(date); });
}

void TPzWystawDane::SetPaymentForm(const QString& name)
{
    TQuery* forms = paymentForms();
    editHeader([&](TQuery& h) {
        F(h, "PZ_FORMAPLATNOSCI")->SetAsString(name);
        QDate due = DueDate();
        if (forms->Locate(QStringLiteral("FP_NAZWA"), name) && !F(*forms, "FP_ILOSCDNI")->IsNull())
            due = IssueDate().addDays(F(*forms, "FP_ILOSCDNI")->AsInteger());
        dueDateChanged(due);
    });
}

void TPzWystawDane::dueDateChanged(const QDate& due)
{
    TQuery& h = *m_header;
    const bool cash = IsCashPaymentForm(F(h, "PZ_FORMAPLATNOSCI")->AsString());
    F(h, "PZ_DATAPLATNOSCI")->SetAsDate(due);
    setPaidInEdit(IssueDate() == due && cash ? F(h, "PZ_SUMABRUTTO")->AsCurrency() : Amount4{});
    m_paidTyped = false;
}

void TPzWystawDane::SetPaidAmount(Amount4 paid)
{
    editHeader([&](TQuery&) { setPaidInEdit(paid); });
    m_paidTyped = true;
}

void TPzWystawDane::Recalc()
{
    if (m_header->State() != dsBrowse) m_header->Post();
    PrzeliczPolaPz(CurrentIndex(), IsNew && !m_paidTyped);
    RefreshQuery(m_header.get(), QStringLiteral("PZ_INDEX"));
}

void TPzWystawDane::AppendLine()
{
    TQuery& l = *m_lines;
    l.Append();
    F(l, "PZP_INDEXPZ")->SetAsInteger(CurrentIndex());
    F(l, "PZP_ILOSC")->SetAsInteger(1);
    F(l, "PZP_JEDNMIARY")->SetAsString(QStringLiteral("szt."));
    F(l, "PZP_RABAT")->SetAsInteger(0);
}

void TPzWystawDane::PostLine()
{
    TQuery& l = *m_lines;
    if (l.State() == dsBrowse) return;
    l.Post();
    const int line = F(l, "PZP_INDEX")->AsInteger();
    PrzeliczPZP(line);
    Recalc();
    // The cash rule takes the sum that includes this line.
    if (IssueDate() == DueDate() && IsCashPaymentForm(F(*m_header, "PZ_FORMAPLATNOSCI")->AsString()))
        editHeader([&](TQuery& h) { setPaidInEdit(F(h, "PZ_SUMABRUTTO")->AsCurrency()); });
    RefreshQuery(m_lines.get(), QStringLiteral("PZP_INDEX"));
    l.Locate(QStringLiteral("PZP_INDEX"), line);
}

void TPzWystawDane::DeleteLine(bool remove)
{
    if (m_lines->IsEmpty()) return;
    if (remove)
        GlobalSession()->ExecQuery(QStringLiteral("delete from PzPozycje where PZP_INDEX=:p1"),
                                   {F(*m_lines, "PZP_INDEX")->AsInteger()});
    RefreshQuery(m_lines.get(), QStringLiteral("PZP_INDEX"));
    Recalc();
}

void TPzWystawDane::AddFromTemplate()
{
    const int index = CurrentIndex();
    TDedicatedSession* s = GlobalSession();
    // The server takes "is null" as true for the empty date of a NOT NULL
    // column; an item ending on the empty date has ended for a demand.
    s->ExecQuery(
        QStringLiteral(
            "insert into PzPozycje (PZP_INDEXPZ, PZP_NAZWAUSLUGI, PZP_ILOSC, PZP_JEDNMIARY, PZP_SYMBOL, "
            "PZP_RABAT, PZP_CENABRUTTO)  select :p1, UFV_NAZWAUSLUGI, UFV_ILOSC, UFV_JEDNMIARY, "
            "UFV_SYMBOL, UFV_RABAT, UFV_CENABRUTTO from UserFvPozycje  where UFV_INDEXUSER=:p2 and "
            "UFV_CZYAKTYWNA<>0 and (UFV_DATASTART<=CURDATE() or UFV_DATASTART is null) and "
            "(UFV_DATAEND>=CURDATE() or UFV_DATAEND is null) and not (UFV_DATAEND<=>:p3)"),
        {index, F(*m_header, "PZ_INDEXUSER")->AsInteger(), QStringLiteral("0000-00-00")});
    s->ExecQuery(
        QStringLiteral("update PzPozycje set PZP_WARTOSCBRUTTO=PZP_CENABRUTTO * PZP_ILOSC * (1 - "
                       "PZP_RABAT/100), PZP_RABATKWOTA=PZP_CENABRUTTO * PZP_ILOSC * (PZP_RABAT/100) where "
                       "PZP_INDEXPZ = :p1"),
        {index});
    Recalc();
    RefreshQuery(m_lines.get(), QStringLiteral("PZP_INDEX"));
}

void TPzWystawDane::Save()
{
    OkPressed = true;
    if (m_lines->State() != dsBrowse) PostLine();
    editHeader([&](TQuery& h) { F(h, "PZ_WYSTAWIL")->SetAsString(CurrentOperatorName()); });
    Recalc();
    if (F(*m_header, "PZ_SUMABRUTTO")->AsCurrency().isZero() && TellOperator)
        TellOperator(
            QStringLiteral("Zatwierdzasz dokument z zerową wartoscią. Proszę pamiętać o jego późniejszej "
                           "edycji."));
}
