#include "billing/FvWystawDane.h"

#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "billing/Salda.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QDateTime>

namespace {

const char* const kGroupLabelColumns[VatGroupCount] = {"FV_OPISVAT_A", "FV_OPISVAT_B", "FV_OPISVAT_C",
                                                       "FV_OPISVAT_D", "FV_OPISVAT_G", "FV_OPISVAT_NP"};

TField* F(TQuery& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name));
}

} // namespace

QString CurrentOperatorName()
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select concat_ws(:p1, OP_IMIE, OP_NAZWISKO) from Operator where OP_INDEX=:p2"),
        {QStringLiteral(" "), OperatorId});
}

QList<QPair<QString, QString>> BuyerCopyColumns(bool withTaxAndCorrespondence)
{
    static const char* const always[][2] = {
        {"ADR_ULICA", "vU_ADR_UlicaPelny"}, {"ADR_MIEJSCOWOSC", "U_ADR_POCZTA"}, {"ADR_KOD", "U_ADR_KOD"},
        {"ADR_NRDOMU", "U_ADR_NRDOMU"},     {"ADR_NRLOKALU", "U_ADR_NRLOKALU"},  {"IMIE", "U_IMIE"},
        {"NAZWISKO", "U_NAZWISKO"},
    };
    static const char* const full[][2] = {
        {"NIP", "U_NIP"},
        {"NIP2", "U_NIP2"},
        {"KOR_ULICA", "vU_KOR_UlicaPelny"},
        {"KOR_MIEJSCOWOSC", "U_KOR_POCZTA"},
        {"KOR_KOD", "U_KOR_KOD"},
        {"KOR_NRDOMU", "U_KOR_NRDOMU"},
        {"KOR_NRLOKALU", "U_KOR_NRLOKALU"},
        {"KOR_NAZWA", "U_KOR_NAZWA"},
        {"CZYADRESDOKORESP", "U_CZYADRESDOKORESP"},
        {"KOR_POCZTA", "U_KOR_POCZTA"},
        {"KOR_JST", "U_KOR_JST"},
        {"KOR_ROLA", "U_KOR_ROLA"},
        {"KOR_IDWEW", "U_KOR_IDWEW"},
    };
    QList<QPair<QString, QString>> out;
    for (const auto& c : always)
        out.append({QString::fromLatin1(c[0]), QString::fromLatin1(c[1])});
    if (withTaxAndCorrespondence)
        for (const auto& c : full)
            out.append({QString::fromLatin1(c[0]), QString::fromLatin1(c[1])});
    return out;
}

void CopyBuyerColumns(const TQuery& user, TQuery& header, const QString& prefix,
                      bool withTaxAndCorrespondence)
{
    for (const auto& [to, from] : BuyerCopyColumns(withTaxAndCorrespondence))
        header.FieldByName(prefix + to)->SetAsString(user.FieldByName(from)->AsString());
}

TFvWystawDane::TFvWystawDane()
    : TDokumentZPozycjami(
          QStringLiteral("FV_"), 'F', QStringLiteral("FVP_"),
          QStringLiteral("select * from FvPozycje where FVP_INDEXFAKTURA=:FV_INDEX order by FVP_NAZWAUSLUGI"),
          {QStringLiteral("FVP_RABAT"), QStringLiteral("FVP_ILOSC")})
{
}

TFvWystawDane::~TFvWystawDane() = default;

// ---- openers

void TFvWystawDane::SelectUser(int userIndex)
{
    m_lines->Close();
    m_header->Close();
    m_header->SetSQL(QStringLiteral("select * from Fv \r\n where FV_INDEXUSER=:p1 \r\n"));
    m_header->BindArgs({userIndex});
    m_header->Open();
    m_user->Close();
    m_user->SetSQL(QStringLiteral("select * from vUserdb \r\n where U_INDEX=:p1 \r\n"));
    m_user->BindArgs({userIndex});
    m_user->Open();
}

void TFvWystawDane::SelectInvoice(int fvIndex)
{
    m_lines->Close();
    m_header->Close();
    m_header->SetSQL(QStringLiteral("select * from Fv \r\n where FV_INDEX=:p1 \r\n"));
    m_header->BindArgs({fvIndex});
    m_header->Open();
    const int user = m_header->IsEmpty() ? 0 : F(*m_header, "FV_INDEXUSER")->AsInteger();
    m_user->Close();
    m_user->SetSQL(QStringLiteral("select * from vUserdb \r\n where U_INDEX=:p1 \r\n"));
    m_user->BindArgs({user});
    m_user->Open();
}

void TFvWystawDane::InsertHeader()
{
    m_header->Insert();
    F(*m_header, "FV_INDEXUSER")->SetAsInteger(F(*m_user, "U_INDEX")->AsInteger());
    F(*m_header, "FV_PODMIOT")->SetAsInteger(F(*m_user, "U_PODMIOT")->AsInteger());
}

void TFvWystawDane::EditHeader()
{
    m_header->Edit();
}

// ---- showing

TQuery* TFvWystawDane::paymentForms()
{
    TQuery* q = Data ? Data->QFormyPlatnosci.get() : nullptr;
    if (!q) {
        if (!m_ownForms) {
            m_ownForms = std::make_unique<TQuery>();
            m_ownForms->SetSQL(QStringLiteral("select * from FormyPlatnosci order by FP_NAZWA"));
        }
        q = m_ownForms.get();
    }
    if (q->Active())
        RefreshQuery(q, QStringLiteral("FP_INDEX"));
    else
        q->Open();
    return q;
}

int TFvWystawDane::userPodmiot() const
{
    return F(*m_user, "U_PODMIOT")->AsInteger();
}

void TFvWystawDane::Show()
{
    TQuery* forms = paymentForms();
    FvIndex = 0;
    IsNew = false;
    OkPressed = false;
    m_paidTyped = false;
    SetVatRateTexts(QDate::currentDate());
    TQuery& h = *m_header;
    TQuery& u = *m_user;
    if (h.State() == dsInsert) {
        IsNew = true;
        const QDate today = QDate::currentDate();
        for (int g = 0; g < VatGroupCount; ++g)
            F(h, kGroupLabelColumns[g])->SetAsString(VatRateTexts().value(g));
        F(h, "FV_OPISVAT")->SetAsString(VatTotalLabel());
        F(h, "FV_GTU_EE")->SetAsInteger(0);
        F(h, "FV_DATAWYSTAWIENIA")->SetAsDate(today);
        F(h, "FV_WYSTAWIL")->SetAsString(CurrentOperatorName());
        // The number stays reserved until the row that carries it is written.
        m_reservation = std::make_unique<TNumberReservation>('F', today, userPodmiot());
        F(h, "FV_NUMER")->SetAsInteger(m_reservation->Number());

        const bool ownTerm = F(u, "U_CZYINDYWTERMINPLATNOSCI")->AsInteger() == 1;
        const QString form =
            ownTerm ? F(u, "U_INDYWTERMINPLATNOSCIFORMA")->AsString()
                    : ReadIniString(0, QStringLiteral("FormaPlatnosci"), QStringLiteral("gotówka"));
        forms->Locate(QStringLiteral("FP_NAZWA"), form);
        if (!forms->IsEmpty()) F(h, "FV_FORMAPLATNOSCI")->SetAsString(F(*forms, "FP_NAZWA")->AsString());
        const TField* ownDays = F(u, "U_INDYWTERMINPLATNOSCI");
        const int days = ownTerm && !ownDays->AsString().isEmpty()
                             ? ownDays->AsInteger()
                             : ReadIniInteger(0, QStringLiteral("TerminPlatnosci"), 0);
        F(h, "FV_DATAPLATNOSCI")->SetAsDate(today.addDays(days));
        rebuildNumberText();
        h.Post();
        m_reservation.reset();
        FvIndex = F(h, "FV_INDEX")->AsInteger();
        if (Data && Data->QFv && Data->QFv->Active()) {
            RefreshQuery(Data->QFv.get(), QStringLiteral("FV_INDEX"));
            Data->QFv->Locate(QStringLiteral("FV_INDEX"), FvIndex);
        }
        h.Edit();
    } else if (h.State() == dsBrowse && !h.IsEmpty()) {
        h.Edit();
    }

    // Every opening: the buyer's current data.
    rebuildNumberText();
    F(h, "FV_MIEJSCOWOSC")->SetAsString(ReadIniString(0, QStringLiteral("MiejscowoscFV"), QString()));
    CopyBuyerColumns(u, h, QStringLiteral("FV_"), true);
    h.Post();
    openLines();
}

// ---- changes of the header

void TFvWystawDane::rebuildNumberText()
{
    TQuery& h = *m_header;
    const QString text =
        DocumentNumberText('F', F(h, "FV_NUMER")->AsString(), F(h, "FV_PODMIOT")->AsInteger(),
                           F(h, "FV_DATAWYSTAWIENIA")->AsDate());
    F(h, "FV_NUMERTXT")->SetAsString(text);
    m_numberTaken = NumberTextInUse('F', text, F(h, "FV_INDEX")->AsInteger());
}

void TFvWystawDane::SetNumberText(const QString& digits)
{
    editHeader([&](TQuery& h) {
        F(h, "FV_NUMER")->SetAsInteger(digits.toInt());
        // The text takes the field as typed (an empty field leaves the number out).
        const QString text = DocumentNumberText('F', digits, F(h, "FV_PODMIOT")->AsInteger(),
                                                F(h, "FV_DATAWYSTAWIENIA")->AsDate());
        F(h, "FV_NUMERTXT")->SetAsString(text);
        m_numberTaken = NumberTextInUse('F', text, F(h, "FV_INDEX")->AsInteger());
    });
}

void TFvWystawDane::NumberFieldLeft()
{
    if (F(*m_header, "FV_NUMER")->AsInteger() > 0) return;
    editHeader([&](TQuery& h) {
        F(h, "FV_NUMER")->SetAsInteger(1);
        rebuildNumberText();
    });
}

void TFvWystawDane::SetIssueDate(const QDate& date)
{
    const QDate old = IssueDate();
    if (!date.isValid() || date == old) return;
    std::unique_ptr<TNumberReservation> reservation;
    editHeader([&](TQuery& h) {
        F(h, "FV_DATAWYSTAWIENIA")->SetAsDate(date);
        if (date.month() != old.month() || date.year() != old.year()) {
            reservation = std::make_unique<TNumberReservation>('F', date, userPodmiot());
            F(h, "FV_NUMER")->SetAsInteger(reservation->Number());
        }
        dueDateChanged(DueDate());
        rebuildNumberText();
    });
}

void TFvWystawDane::SetTermDays(int days)
{
    editHeader([&](TQuery&) { dueDateChanged(IssueDate().addDays(days)); });
}

void TFvWystawDane::SetDueDate(const QDate& date)
{
    if (!date.isValid()) return;
    editHeader([&](TQuery&) { dueDateChanged(date); });
}

void TFvWystawDane::SetPaymentForm(const QString& name)
{
    TQuery* forms = paymentForms();
    editHeader([&](TQuery& h) {
        F(h, "FV_FORMAPLATNOSCI")->SetAsString(name);
        QDate due = DueDate();
        if (forms->Locate(QStringLiteral("FP_NAZWA"), name) && !F(*forms, "FP_ILOSCDNI")->IsNull())
            due = IssueDate().addDays(F(*forms, "FP_ILOSCDNI")->AsInteger());
        dueDateChanged(due);
    });
}

// The due-date rule, inside an edit of the header.
void TFvWystawDane::dueDateChanged(const QDate& due)
{
    TQuery& h = *m_header;
    const bool cash = IsCashPaymentForm(F(h, "FV_FORMAPLATNOSCI")->AsString());
    const Amount4 paid = IssueDate() != due ? Amount4{} : (cash ? Gross() : Amount4{});
    F(h, "FV_DATAPLATNOSCI")->SetAsDate(due);
    setPaidInEdit(paid);
    m_paidTyped = false;
}

void TFvWystawDane::SetPaidAmount(Amount4 paid)
{
    editHeader([&](TQuery&) { setPaidInEdit(paid); });
    m_paidTyped = true;
}

void TFvWystawDane::SetNotes(const QString& notes)
{
    editHeader([&](TQuery& h) { F(h, "FV_UWAGI")->SetAsString(notes.left(255)); });
}

void TFvWystawDane::SetProcedureFlag(const QString& column, bool on)
{
    static const QStringList flags{QStringLiteral("FV_GTU_EE"), QStringLiteral("FV_GTU_SW"),
                                   QStringLiteral("FV_GTU_TP"), QStringLiteral("FV_GTU_MPP"),
                                   QStringLiteral("FV_GTU_FP")};
    if (!flags.contains(column)) return;
    editHeader([&](TQuery& h) { h.FieldByName(column)->SetAsInteger(on ? 1 : 0); });
}

void TFvWystawDane::Recalc()
{
    const int index = CurrentIndex();
    // A paid amount the operator typed is his, not the new-invoice rule's.
    PrzeliczPolaFv(index, IsNew && !m_paidTyped);
    refreshHeader();
    // Sums that fell below a paid amount set earlier take it down with them.
    const Amount4 gross = Gross();
    const Amount4 settled = F(*m_header, "FV_KWOTAROZLICZONA")->AsCurrency();
    if (ClampPaidAmount('F', Paid(), gross, settled) != Paid())
        editHeader([&](TQuery&) { setPaidInEdit(Paid()); });
}

// ---- lines

void TFvWystawDane::AppendLine()
{
    TQuery& l = *m_lines;
    l.Append();
    F(l, "FVP_INDEXFAKTURA")->SetAsInteger(CurrentIndex());
    F(l, "FVP_ILOSC")->SetAsInteger(1);
    F(l, "FVP_JEDNMIARY")->SetAsString(QStringLiteral("szt."));
    F(l, "FVP_RABAT")->SetAsInteger(0);
    F(l, "FVP_STAWKAVAT_TXT")->SetAsString(VatRateTexts().value(0));
    F(l, "FVP_GTU")->SetAsInteger(0);
}

void TFvWystawDane::PostLine()
{
    TQuery& l = *m_lines;
    if (l.State() == dsBrowse) return;
    l.Post();
    const int line = F(l, "FVP_INDEX")->AsInteger();
    PrzeliczFVP(line);
    Recalc();
    if (IssueDate() == DueDate() && IsCashPaymentForm(F(*m_header, "FV_FORMAPLATNOSCI")->AsString()))
        editHeader([&](TQuery&) { setPaidInEdit(Gross()); });
    RefreshQuery(m_lines.get(), QStringLiteral("FVP_INDEX"));
    l.Locate(QStringLiteral("FVP_INDEX"), line);
}

void TFvWystawDane::DeleteLine(bool remove)
{
    if (m_lines->IsEmpty()) return;
    if (remove)
        GlobalSession()->ExecQuery(QStringLiteral("delete from FvPozycje where FVP_INDEX=:p1"),
                                   {F(*m_lines, "FVP_INDEX")->AsInteger()});
    RefreshQuery(m_lines.get(), QStringLiteral("FVP_INDEX"));
    Recalc();
}

void TFvWystawDane::AddFromTemplate()
{
    const int index = CurrentIndex();
    GlobalSession()->ExecQuery(
        QStringLiteral(
            "insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_ILOSC, FVP_JEDNMIARY, FVP_SYMBOL, "
            "FVP_STAWKAVAT_TXT, FVP_RABAT, FVP_CENABRUTTO)  select :p1, UFV_NAZWAUSLUGI, UFV_ILOSC, "
            "UFV_JEDNMIARY, UFV_SYMBOL, UFV_STAWKAVAT_TXT, UFV_RABAT, UFV_CENABRUTTO from UserFvPozycje  "
            "where "
            "UFV_INDEXUSER=:p2 and UFV_CZYAKTYWNA<>0 and (UFV_DATASTART<=CURDATE() or UFV_DATASTART is null "
            "or "
            "UFV_DATASTART=:p3) and (UFV_DATAEND>=CURDATE() or UFV_DATAEND is null or UFV_DATAEND=:p4)"),
        {index, F(*m_header, "FV_INDEXUSER")->AsInteger(), QStringLiteral("0000-00-00"),
         QStringLiteral("0000-00-00")});
    PrzeliczFVPDokumentu(index);
    Recalc();
    RefreshQuery(m_lines.get(), QStringLiteral("FVP_INDEX"));
}

// ---- saving

bool TFvWystawDane::ask(const QString& question) const
{
    return AskOperator && AskOperator(question);
}

void TFvWystawDane::tell(const QString& text, bool error) const
{
    if (TellOperator) TellOperator(text, error);
}

bool TFvWystawDane::Save()
{
    OkPressed = true;
    if (m_lines->State() != dsBrowse) PostLine();
    editHeader([&](TQuery& h) { F(h, "FV_WYSTAWIL")->SetAsString(CurrentOperatorName()); });
    Recalc();

    if (IsNew) {
        // The checks look at the invoice's own company, whichever company is current.
        const int podmiot = F(*m_header, "FV_PODMIOT")->AsInteger();
        const int own = F(*m_header, "FV_NUMER")->AsInteger();
        const int gap = FindTodayNumberGap('F', podmiot);
        if (gap != 0 && gap != own + 1 && IssueDate() == QDate::currentDate() &&
            ask(QStringLiteral("Obecnie w numeracji dzisiejszych faktur jest luka. Czy zmienić "
                               "numer faktury na %1 aby ją wypełnić?")
                    .arg(gap)))
            editHeader([&](TQuery& h) {
                F(h, "FV_NUMER")->SetAsInteger(gap);
                rebuildNumberText();
            });
        if (DuplicateNumberCount('F', F(*m_header, "FV_NUMERTXT")->AsString(), podmiot) > 0 &&
            ask(QStringLiteral("Obecnie w numeracji faktur są zdublowane numery dokumentów. Czy "
                               "zmienić numer faktury na najbliższy wolny?"))) {
            TNumberReservation next('F', IssueDate(), userPodmiot());
            editHeader([&](TQuery& h) {
                F(h, "FV_NUMER")->SetAsInteger(next.Number());
                rebuildNumberText();
            });
        }
    }

    const Amount4 gross = Gross();
    if (gross.isZero())
        tell(QStringLiteral("Zatwierdzasz dokument z zerową wartoscią. Proszę pamiętać o jego "
                            "późniejszej edycji."),
             false);
    if (OkPressed && gross < Amount4{}) {
        tell(QStringLiteral("Suma wartości pozycji faktury nie może być mniejsza od zera"), true);
        OkPressed = false;
        return false;
    }
    return true;
}
