#include "billing/FvKorektaDane.h"

#include "billing/FvWystawDane.h"
#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "billing/Salda.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QDateTime>

namespace {

TField* F(const TQuery& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name));
}

const QString kBuyerDataReason = QStringLiteral("Korekta danych nabywcy");

} // namespace

const QStringList& CorrectionReasonTexts()
{
    static const QStringList reasons{kBuyerDataReason,
                                     QStringLiteral("Niewykonanie usługi"),
                                     QStringLiteral("Omyłkowo naliczone należności"),
                                     QStringLiteral("Pomyłka w nazwie towaru"),
                                     QStringLiteral("Pomyłka w wartości sprzedaży"),
                                     QStringLiteral("Zmiana rabatu"),
                                     QStringLiteral("Zwrot towaru")};
    return reasons;
}

QStringList CorrectionRateTexts()
{
    return VatRateTexts();
}

QString CheckCorrectionLineInput(const TLineInput& after)
{
    // Zero quantity and zero price pass: that is how a line is corrected away.
    if (after.name.trimmed().isEmpty()) return QStringLiteral("Proszę uzupełnić pole z nazwą pozycji");
    if (ParseAmountText(after.quantity) < Amount4{})
        return QStringLiteral("Ilość nie może mieć wartości ujemnej");
    if (ParseAmountText(after.price) < Amount4{})
        return QStringLiteral("Cena nie może mieć wartości ujemnej");
    const Amount4 discount = ParseAmountText(after.discount);
    if (discount < Amount4{} || discount >= Amount4::fromInt(100))
        return QStringLiteral("Nieprawidłowa wartość rabatu");
    return QString();
}

int CreateCorrectionFromFv(int fvIndex, bool zeroAfter)
{
    TDedicatedSession* s = GlobalSession();
    try {
        // A savepoint: a failed step leaves nothing half-written in the caller's transaction.
        TTransactionGuard guard(s);
        const QDate today = QDate::currentDate();
        const int podmiot = PodmiotOfFv(fvIndex);
        TNumberReservation number('K', today, podmiot);
        SetVatRateTexts(today);
        TArgs labels;
        for (int g = 0; g < VatGroupCount; ++g)
            labels.push_back(VatRateTexts().value(g));
        labels.push_back(VatTotalLabel());
        TArgs args{ReadIniString(0, QStringLiteral("MiejscowoscFV"), QString()), CurrentOperatorName(),
                   OperatorId};
        args.insert(args.begin(), labels.begin(), labels.end());
        args.push_back(fvIndex);
        const TExecResult inserted = s->ExecQuery(
            QStringLiteral(
                "insert into Fvk (FVK_INDEXUSER, FVK_IMIE, FVK_NAZWISKO, FVK_ADR_ULICA, FVK_ADR_MIEJSCOWOSC, "
                "FVK_ADR_KOD, FVK_ADR_NRDOMU, FVK_ADR_NRLOKALU, FVK_NIP, FVK_NIP2, FVK_PODMIOT, "
                "FVK_INDEXKORYGOWANEJ, FVK_NUMERTXTKORYGOWANEJ, FVK_DATAKORYGOWANEJ, FVK_OPISVAT_A, "
                "FVK_OPISVAT_B, FVK_OPISVAT_C, FVK_OPISVAT_D, FVK_OPISVAT_G, FVK_OPISVAT_NP, FVK_OPISVAT, "
                "FVK_DATAWYSTAWIENIA, FVK_MIEJSCOWOSC, FVK_WYSTAWIL, FVK_OPERATORID, FVK_KWOTAWPLACONA, "
                "FVK_KWOTAROZLICZONA, FVK_NUMERTXT) select FV_INDEXUSER, FV_IMIE, FV_NAZWISKO, FV_ADR_ULICA, "
                "FV_ADR_MIEJSCOWOSC, FV_ADR_KOD, FV_ADR_NRDOMU, FV_ADR_NRLOKALU, FV_NIP, FV_NIP2, "
                "FV_PODMIOT, "
                "FV_INDEX, FV_NUMERTXT, FV_DATAWYSTAWIENIA, :p1, :p2, :p3, :p4, :p5, :p6, :p7, CURDATE(), "
                ":p8, "
                ":p9, :p10, 0, 0, 'kkk' from Fv where FV_INDEX=:p11"),
            args);
        const int k = int(inserted.InsertId);
        if (inserted.RowsAffected != 1 || k <= 0) return 0;
        s->ExecQuery(
            QStringLiteral(
                "update Fvk left join Userdb on U_INDEX=FVK_INDEXUSER set FVK_DATAPLATNOSCI=if("
                "U_CZYINDYWTERMINPLATNOSCI=1, date_add(FVK_DATAWYSTAWIENIA, interval U_INDYWTERMINPLATNOSCI "
                "day), date_add(FVK_DATAWYSTAWIENIA, interval :p1 day)), FVK_FORMAPLATNOSCI=if("
                "U_CZYINDYWTERMINPLATNOSCI=1, U_INDYWTERMINPLATNOSCIFORMA, :p2), FVK_NUMER=:p3, "
                "FVK_POWODKOREKTY=:p4 where FVK_INDEX=:p5"),
            {ReadIniInteger(0, QStringLiteral("TerminPlatnosci"), 0),
             ReadIniString(0, QStringLiteral("FormaPlatnosci"), QStringLiteral("gotówka")), number.Number(),
             zeroAfter ? QStringLiteral("Omyłkowo naliczone należności")
                       : QStringLiteral("Pomyłka w wartości sprzedaży"),
             k});
        s->ExecQuery(
            QStringLiteral(
                "update Fvk left join Fv on FV_INDEX=FVK_INDEXKORYGOWANEJ set FVK_KOR_NAZWA=FV_KOR_NAZWA, "
                "FVK_CZYADRESDOKORESP=FV_CZYADRESDOKORESP, FVK_DATAMODYFIKACJI=Now(), "
                "FVK_KOR_POCZTA=FV_KOR_POCZTA, FVK_KOR_NRLOKALU=FV_KOR_NRLOKALU, FVK_KOR_ULICA=FV_KOR_ULICA, "
                "FVK_KOR_MIEJSCOWOSC=FV_KOR_MIEJSCOWOSC, FVK_KOR_KOD=FV_KOR_KOD, "
                "FVK_KOR_NRDOMU=FV_KOR_NRDOMU where FVK_INDEX=:p1"),
            {k});
        // The number text stays the placeholder until the editor shows the correction.
        s->ExecQuery(
            QStringLiteral(
                "insert into FvkPozycje (FVKP_INDEXFAKTURA, FVKP_INDEXPOZYCJIKORYGOWANEJ, FVKP_NAZWAUSLUGI, "
                "FVKP_ILOSC, FVKP_JEDNMIARY, FVKP_SYMBOL, FVKP_CENANETTO, FVKP_CENABRUTTO, "
                "FVKP_WARTOSCNETTO, FVKP_WARTOSCBRUTTO, FVKP_KWOTAVAT, FVKP_STAWKAVAT, FVKP_RABAT, "
                "FVKP_RABATKWOTA, FVKP_STAWKAVAT_TXT, FVKP_NAZWAUSLUGI_PO, FVKP_ILOSC_PO, FVKP_JEDNMIARY_PO, "
                "FVKP_SYMBOL_PO, FVKP_CENANETTO_PO, FVKP_CENABRUTTO_PO, FVKP_WARTOSCNETTO_PO, "
                "FVKP_WARTOSCBRUTTO_PO, FVKP_KWOTAVAT_PO, FVKP_STAWKAVAT_PO, FVKP_RABAT_PO, "
                "FVKP_RABATKWOTA_PO, FVKP_STAWKAVAT_TXT_PO, FVKP_OPERATORID, FVKP_DATAMODYFIKACJI) select "
                ":p1, "
                "FVP_INDEX, FVP_NAZWAUSLUGI, FVP_ILOSC, FVP_JEDNMIARY, FVP_SYMBOL, FVP_CENANETTO, "
                "FVP_CENABRUTTO, FVP_WARTOSCNETTO, FVP_WARTOSCBRUTTO, FVP_KWOTAVAT, FVP_STAWKAVAT, "
                "FVP_RABAT, "
                "FVP_RABATKWOTA, FVP_STAWKAVAT_TXT, FVP_NAZWAUSLUGI, if(:p2, 0, FVP_ILOSC), FVP_JEDNMIARY, "
                "FVP_SYMBOL, FVP_CENANETTO, FVP_CENABRUTTO, if(:p3, 0, FVP_WARTOSCNETTO), if(:p4, 0, "
                "FVP_WARTOSCBRUTTO), if(:p5, 0, FVP_KWOTAVAT), FVP_STAWKAVAT, FVP_RABAT, if(:p6, 0, "
                "FVP_RABATKWOTA), FVP_STAWKAVAT_TXT, :p7, Now() from FvPozycje where FVP_INDEXFAKTURA=:p8 "
                "order by FVP_INDEX"),
            {k, zeroAfter ? 1 : 0, zeroAfter ? 1 : 0, zeroAfter ? 1 : 0, zeroAfter ? 1 : 0, zeroAfter ? 1 : 0,
             OperatorId, fvIndex});
        guard.commit();
        return k;
    } catch (const EDatabaseError&) {
        return 0;
    }
}

// ---- the correction being edited

TFvKorektaDane::TFvKorektaDane()
    : TDokumentDane(
          QStringLiteral("FVK_"), 'K', QStringLiteral("FVKP_"),
          QStringLiteral("select * from FvkPozycje where FVKP_INDEXFAKTURA=:FVK_INDEX order by FVKP_INDEX"),
          {QStringLiteral("FVKP_RABAT"), QStringLiteral("FVKP_ILOSC"), QStringLiteral("FVKP_RABAT_PO"),
           QStringLiteral("FVKP_ILOSC_PO")}),
      m_forms(std::make_unique<TQuery>())
{
    m_forms->SetSQL(QStringLiteral("select * from FormyPlatnosci order by FP_NAZWA"));
}

TFvKorektaDane::~TFvKorektaDane() = default;

void TFvKorektaDane::SelectCorrection(int fvkIndex, int userIndex)
{
    m_lines->Close();
    m_header->Close();
    m_header->SetSQL(QStringLiteral("select * from Fvk \r\n where FVK_INDEX=:p1 \r\n"));
    m_header->BindArgs({fvkIndex});
    m_header->Open();
    m_user->Close();
    m_user->SetSQL(QStringLiteral("select * from vUserdb \r\n where U_INDEX=:p1 \r\n"));
    m_user->BindArgs({userIndex});
    m_user->Open();
}

void TFvKorektaDane::EditHeader()
{
    if (!m_header->IsEmpty()) m_header->Edit();
}

void TFvKorektaDane::Show()
{
    OkPressed = false;
    if (m_forms->Active())
        RefreshQuery(m_forms.get(), QStringLiteral("FP_INDEX"));
    else
        m_forms->Open();
    SetVatRateTexts(QDate::currentDate());
    editHeader([&](TQuery& h) {
        rebuildNumberText();
        F(h, "FVK_WYSTAWIL")->SetAsString(CurrentOperatorName());
    });
    openLines();
    Recalc();
}

// ---- header changes

void TFvKorektaDane::rebuildNumberText()
{
    TQuery& h = *m_header;
    F(h, "FVK_NUMERTXT")
        ->SetAsString(DocumentNumberText('K', F(h, "FVK_NUMER")->AsInteger(),
                                         F(h, "FVK_PODMIOT")->AsInteger(),
                                         F(h, "FVK_DATAWYSTAWIENIA")->AsDate()));
}

void TFvKorektaDane::SetIssueDate(const QDate& date)
{
    if (!date.isValid() || date == IssueDate()) return;
    editHeader([&](TQuery& h) {
        F(h, "FVK_DATAWYSTAWIENIA")->SetAsDate(date);
        rebuildNumberText();
    });
}

void TFvKorektaDane::SetTermDays(int days)
{
    SetDueDate(IssueDate().addDays(days));
}

void TFvKorektaDane::SetDueDate(const QDate& date)
{
    if (!date.isValid()) return;
    editHeader([&](TQuery& h) { F(h, "FVK_DATAPLATNOSCI")->SetAsDate(date); });
}

void TFvKorektaDane::SetPaymentForm(const QString& name)
{
    if (m_forms->Active())
        RefreshQuery(m_forms.get(), QStringLiteral("FP_INDEX"));
    else
        m_forms->Open();
    editHeader([&](TQuery& h) {
        F(h, "FVK_FORMAPLATNOSCI")->SetAsString(name);
        QDate due = DueDate();
        if (m_forms->Locate(QStringLiteral("FP_NAZWA"), name) && !F(*m_forms, "FP_ILOSCDNI")->IsNull())
            due = IssueDate().addDays(F(*m_forms, "FP_ILOSCDNI")->AsInteger());
        F(h, "FVK_DATAPLATNOSCI")->SetAsDate(due);
        setPaidInEdit(IssueDate() != due ? Amount4{} : F(h, "FVK_SUMABRUTTO")->AsCurrency());
    });
}

void TFvKorektaDane::SetPaidAmount(Amount4 paid)
{
    editHeader([&](TQuery&) { setPaidInEdit(paid); });
}

void TFvKorektaDane::SetReason(const QString& reason)
{
    editHeader([&](TQuery& h) { F(h, "FVK_POWODKOREKTY")->SetAsString(reason); });
}

void TFvKorektaDane::SetBuyerDataOnly(bool on)
{
    editHeader([&](TQuery& h) {
        F(h, "FVK_CZYKORDANYCHNABYWCY")->SetAsInteger(on ? 1 : 0);
        if (on) F(h, "FVK_POWODKOREKTY")->SetAsString(kBuyerDataReason);
    });
}

void TFvKorektaDane::SetProcedureFlag(const QString& column, bool on)
{
    static const QStringList flags{QStringLiteral("FVK_GTU_EE"), QStringLiteral("FVK_GTU_SW"),
                                   QStringLiteral("FVK_GTU_TP"), QStringLiteral("FVK_GTU_MPP"),
                                   QStringLiteral("FVK_GTU_FP")};
    if (!flags.contains(column)) return;
    editHeader([&](TQuery& h) { h.FieldByName(column)->SetAsInteger(on ? 1 : 0); });
}

// ---- lines

void TFvKorektaDane::PostLine()
{
    TQuery& l = *m_lines;
    if (l.State() == dsBrowse) return;
    l.Post();
    const int line = F(l, "FVKP_INDEX")->AsInteger();
    RefreshQuery(m_lines.get(), QStringLiteral("FVKP_INDEX"));
    l.Locate(QStringLiteral("FVKP_INDEX"), line);
    Recalc();
}

void TFvKorektaDane::Recalc()
{
    if (m_lines->Active() && !m_lines->IsEmpty()) {
        const int line = F(*m_lines, "FVKP_INDEX")->AsInteger();
        PrzeliczFVKP(line);
        RefreshQuery(m_lines.get(), QStringLiteral("FVKP_INDEX"));
        m_lines->Locate(QStringLiteral("FVKP_INDEX"), line);
    }
    // Pending header edits go first, the sums are written beside them.
    if (m_header->State() != dsBrowse) m_header->Post();
    PrzeliczPolaFvk(CurrentIndex());
    refreshHeader();
}

// ---- saving

void TFvKorektaDane::renumber(int number)
{
    editHeader([&](TQuery& h) {
        F(h, "FVK_NUMER")->SetAsInteger(number);
        rebuildNumberText();
    });
}

void TFvKorektaDane::copyBuyer()
{
    // The whole buyer block as the invoice editor copies it, so the main
    // address never mixes old and new parts.
    RefreshQuery(m_user.get(), QStringLiteral("U_INDEX"));
    if (m_user->IsEmpty()) return;
    editHeader([&](TQuery& h) { CopyBuyerColumns(*m_user, h, QStringLiteral("FVK_"), true); });
}

void TFvKorektaDane::Save()
{
    OkPressed = true;
    if (m_lines->State() != dsBrowse) PostLine();
    Recalc();
    if (IsNew) {
        const int podmiot = F(*m_header, "FVK_PODMIOT")->AsInteger();
        const int own = F(*m_header, "FVK_NUMER")->AsInteger();
        const int gap = FindTodayNumberGap('K', podmiot);
        if (gap != 0 && gap != own + 1 && IssueDate() == QDate::currentDate() && AskOperator &&
            AskOperator(QStringLiteral("Obecnie w numeracji dzisiejszych korekt jest luka. Czy zmienić numer "
                                       "korekty na %1 aby ją wypełnić?")
                            .arg(gap)))
            renumber(gap);
        if (DuplicateNumberCount('K', F(*m_header, "FVK_NUMERTXT")->AsString(), podmiot) > 0 && AskOperator &&
            AskOperator(
                QStringLiteral("Obecnie w numeracji korekt są zdublowane numery dokumentów. Czy zmienić "
                               "numer korekty na najbliższy wolny?"))) {
            TNumberReservation next('K', IssueDate(), podmiot);
            renumber(next.Number());
        }
    }
    if (IsNew || F(*m_header, "FVK_CZYKORDANYCHNABYWCY")->AsInteger() == 1) copyBuyer();
}
