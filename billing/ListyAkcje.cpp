#include "billing/ListyAkcje.h"

#include "billing/FvKorektaDane.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/ListStatement.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefTabele.h"

namespace {

struct TDocTables
{
    QString Table, Prefix, Lines, LineKey;
};

TDocTables Tables(char kind)
{
    switch (kind) {
    case 'F':
        return {QStringLiteral("Fv"), QStringLiteral("FV_"), QStringLiteral("FvPozycje"),
                QStringLiteral("FVP_INDEXFAKTURA")};
    case 'K':
        return {QStringLiteral("Fvk"), QStringLiteral("FVK_"), QStringLiteral("FvkPozycje"),
                QStringLiteral("FVKP_INDEXFAKTURA")};
    default:
        return {QStringLiteral("Pz"), QStringLiteral("PZ_"), QStringLiteral("PzPozycje"),
                QStringLiteral("PZP_INDEXPZ")};
    }
}

QString Kind(char kind)
{
    return QString(QLatin1Char(kind));
}

bool InvoiceCorrected(int fvIndex)
{
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("select (1) from Fvk where FVK_INDEXKORYGOWANEJ=:p1"), {fvIndex});
}

void RecalcAndSettleUser(int user)
{
    RecalcUserSaldoAndCache(user);
    SettleUserOplaty(user);
    RecalcUserSaldoAndCache(user);
}

// Subscriber number and amount of a payment, as its log lines name them.
struct TPaymentInfo
{
    int user = 0;
    QString customer, amount, bankRow;
};

TPaymentInfo ReadPayment(int oIndex)
{
    TPaymentInfo p;
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select O_INDEXUSER, U_NRKLIENTA, O_KWOTA, O_INDEX_PM from vOplatyLista where O_INDEX=:p1"),
        {oIndex});
    if (q->IsEmpty()) return p;
    p.user = q->Fields(0)->AsInteger();
    p.customer = q->Fields(1)->AsString();
    p.amount = q->Fields(2)->AsString();
    p.bankRow = q->Fields(3)->AsString();
    return p;
}

QString PaymentLogTail(int oIndex, const TPaymentInfo& p, const QString& amount)
{
    return QString::number(oIndex) + QStringLiteral(" dla użytkownika nr ") + p.customer +
           QStringLiteral(" na kwotę ") + amount;
}

} // namespace

QString DocumentEditRefusal(char kind, int key)
{
    if (kind != 'P' && KsefDocumentSent(kind, key))
        return QStringLiteral("Nie można edytować faktury po wysłaniu jej do KSeF");
    if (kind == 'F' && InvoiceCorrected(key))
        return QStringLiteral("Nie można edytować faktury, gdyż wybrany dokument był korygowany");
    return QString();
}

QString DocumentDeleteRefusal(char kind, int key)
{
    if (kind != 'P' && KsefDocumentSent(kind, key))
        return QStringLiteral("Nie można usunąć faktury po wysłaniu jej do KSeF");
    if (kind == 'F' && InvoiceCorrected(key))
        return QStringLiteral("Nie można usunąć faktury, gdyż wybrany dokument był korygowany");
    return QString();
}

bool EditListedDocument(char kind, int key, int user, const TEditorRun& editor, const QString& logText)
{
    TTransactionGuard transaction(GlobalSession());
    UnsettleDocument(Kind(kind), key);
    RecalcUserSaldoAndCache(user);
    if (!editor()) return false; // the guard takes the withdrawal back
    SettleDocument(Kind(kind), key);
    RecalcAndSettleUser(user);
    LogEvent(logText + QString::number(key));
    transaction.commit();
    return true;
}

bool DeleteListedDocument(char kind, int key, int user, const QString& logText)
{
    TDedicatedSession* s = GlobalSession();
    const TDocTables t = Tables(kind);
    TTransactionGuard transaction(s);
    const int corrected =
        kind == 'K' ? s->GetQueryValueAsInteger(
                          QStringLiteral("select FVK_INDEXKORYGOWANEJ from Fvk where FVK_INDEX=:p1"), {key})
                    : 0;
    if (!UnsettleDocument(Kind(kind), key)) {
        transaction.rollback();
        return false;
    }
    LogEvent(logText + QString::number(key));
    s->ExecQuery(QStringLiteral("delete from %1 where %2=:p1").arg(t.Lines, t.LineKey), {key});
    s->ExecQuery(QStringLiteral("delete from %1 where %2INDEX=:p1").arg(t.Table, t.Prefix), {key});
    if (kind == 'K' && corrected > 0) {
        // The invoice points to a correction still there, or to none.
        const int left = s->GetQueryValueAsInteger(
            QStringLiteral("select FVK_INDEX from Fvk where FVK_INDEXKORYGOWANEJ=:p1"), {corrected});
        s->ExecQuery(QStringLiteral("update Fv set FV_INDEXKOREKTA=:p1 where FV_INDEX=:p2"),
                     {left, corrected});
    }
    RecalcAndSettleUser(user);
    transaction.commit();
    return true;
}

bool SettleListedDocument(char kind, int key, const QString& paymentForm, const QString& settleDate,
                          Amount4 amount, const QString& amountText, const QString& logText,
                          const QString& failLogText)
{
    bool paid = false;
    {
        TTransactionGuard transaction(GlobalSession());
        paid = PayDocument(Kind(kind), key, paymentForm, settleDate, amount);
        if (paid) {
            // A payment demand's line names no amount, as the office's log always had it.
            LogEvent(logText + QString::number(key) +
                     (kind == 'P' ? QString() : QStringLiteral(" kwotą ") + amountText));
            transaction.commit();
        }
    }
    // Written after the rollback, so the failure stays in the log.
    if (!paid) LogEvent(failLogText + QString::number(key));
    return paid;
}

int ZeroCorrectInvoices(const std::vector<int>& fvIndexes, const std::function<bool(int, int)>& runCorrection)
{
    TDedicatedSession* s = GlobalSession();
    TTransactionGuard transaction(s);
    int done = 0;
    for (const int fv : fvIndexes) {
        if (InvoiceCorrected(fv)) continue;
        const int n = CreateCorrectionFromFv(fv, true);
        if (n == 0) continue;
        const int user =
            s->GetQueryValueAsInteger(QStringLiteral("select FV_INDEXUSER from Fv where FV_INDEX=:p1"), {fv});
        if (!runCorrection(n, user)) continue;
        RecalcUserSaldo(user);
        SettleDocument(QStringLiteral("K"), n);
        RecalcUserSaldo(user);
        s->ExecQuery(QStringLiteral("update Fv set FV_INDEXKOREKTA=:p1 where FV_INDEX=:p2"), {n, fv});
        LogEvent(QStringLiteral("Wystawienie korekty (Auto) ID=") + QString::number(n));
        ++done;
    }
    transaction.commit();
    return done;
}

int ResettleCorrections(const std::vector<int>& fvkIndexes)
{
    TDedicatedSession* s = GlobalSession();
    int done = 0;
    for (const int k : fvkIndexes) {
        const int user = s->GetQueryValueAsInteger(
            QStringLiteral("select FVK_INDEXUSER from Fvk where FVK_INDEX=:p1"), {k});
        TTransactionGuard transaction(s);
        UnsettleDocument(QStringLiteral("K"), k);
        RecalcUserSaldoAndCache(user);
        SettleDocument(QStringLiteral("K"), k);
        RecalcAndSettleUser(user);
        transaction.commit();
        ++done;
    }
    return done;
}

bool EditListedPayment(int oIndex, const TEditorRun& dialog)
{
    TDedicatedSession* s = GlobalSession();
    const TPaymentInfo before = ReadPayment(oIndex);
    bool saved = false;
    {
        TTransactionGuard transaction(s);
        saved = dialog();
        if (saved) {
            // What the payment already settled; its open amount follows the edited amount.
            auto q = s->OpenQuery(
                QStringLiteral(
                    "select sum(OR_KWOTAROZLICZONA) from OplatyRozliczenia where OR_INDEXOPLATY=:p1"),
                {oIndex});
            const Amount4 settled = q->IsEmpty() ? Amount4{} : q->Fields(0)->AsCurrency();
            s->ExecQuery(
                QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=O_KWOTA-:p1 where O_INDEX=:p2"),
                {settled, oIndex});
            const TPaymentInfo after = ReadPayment(oIndex);
            LogEvent(QStringLiteral("Edycja wpłaty ID=") + PaymentLogTail(oIndex, after, after.amount));
            SettleOplata(oIndex, after.user);
            RecalcUserSaldoAndCache(after.user);
            transaction.commit();
        }
    }
    if (!saved)
        LogEvent(QStringLiteral("Anulowana edycja wpłaty ID=") +
                 PaymentLogTail(oIndex, before, before.amount));
    return saved;
}

bool DeleteListedPayment(int oIndex)
{
    TDedicatedSession* s = GlobalSession();
    const TPaymentInfo p = ReadPayment(oIndex);
    bool deleted = false;
    {
        TTransactionGuard transaction(s);
        s->ExecQuery(
            QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA = O_KWOTADOROZLICZENIA - O_KWOTA where "
                           "O_INDEX=:p1"),
            {oIndex});
        // With the open amount at minus the settled part every link goes back.
        if (SettleOplata(oIndex, p.user)) {
            if (p.bankRow != QStringLiteral("0"))
                LogEvent(
                    QStringLiteral("Odksięgowanie rozliczenia powiązanej pozycji płatności masowych ID=") +
                    p.bankRow + QStringLiteral(" dla użytkownika nr ") + p.customer);
            s->ExecQuery(
                QStringLiteral("update PlatnosciMasowe set PM_INDEXOPLATA=null, PM_DATAKSIEGOWANIA=null "
                               "where PM_INDEXOPLATA=:p1"),
                {oIndex});
            LogEvent(QStringLiteral("Usunięcie wpłaty ID=") + PaymentLogTail(oIndex, p, p.amount));
            s->ExecQuery(QStringLiteral("delete from Oplaty where O_INDEX=:p1"), {oIndex});
            s->ExecQuery(QStringLiteral("delete from OplatyRozliczenia where OR_INDEXOPLATY=:p1"), {oIndex});
            transaction.commit();
            deleted = true;
        }
    }
    if (!deleted)
        LogEvent(QStringLiteral("Nieudana próba usunięcia wpłaty ID=") + PaymentLogTail(oIndex, p, p.amount));
    RecalcUserSaldoAndCache(p.user);
    return deleted;
}

QString SettleAmountText(Amount4 amount)
{
    return FormatListAmount(amount);
}
