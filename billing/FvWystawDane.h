#pragma once
// The invoice being edited in the invoice editor: its header row, its lines
// and its buyer, with every rule the editor applies to them. Each change is
// written at once inside the transaction that the editor's opener holds; the
// opener commits on "Zapisz" and rolls back on "Anuluj". No widgets here: the
// window only shows these values and forwards what the operator does.
#include "billing/DokumentDane.h"
#include "core/Amount4.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <memory>

class TField;
class TNumberReservation;
class TQuery;

class TFvWystawDane : public TDokumentZPozycjami
{
public:
    TFvWystawDane();
    ~TFvWystawDane() override;

    // FV_INDEX of the row inserted when a new invoice was shown; 0 otherwise.
    int FvIndex = 0;

    // How Save asks the operator a yes/no question (the number gap, a
    // duplicate number) and tells him a warning or an error. The editor
    // passes the message box; unset, every question is answered "Nie" and
    // nothing is shown.
    std::function<bool(const QString& question)> AskOperator;
    std::function<void(const QString& text, bool error)> TellOperator;

    // ---- what the openers do before showing the editor
    // The subscriber's invoices into the header set, the subscriber into the buyer set.
    void SelectUser(int userIndex);
    // One invoice into the header set and its subscriber into the buyer set.
    void SelectInvoice(int fvIndex);
    // A new header row of the buyer (FV_INDEXUSER, FV_PODMIOT).
    void InsertHeader();
    void EditHeader();

    // ---- showing and hiding
    // A new header row gets its labels, date, issuer, number, payment form and
    // due date and is written; every opening copies the buyer's current data.
    void Show();

    // ---- values shown
    // True when another invoice already carries this number text (shown in red).
    bool NumberTextTaken() const { return m_numberTaken; }

    // ---- what the operator changes
    // The number field's text (digits only); an empty text counts as 0.
    void SetNumberText(const QString& digits);
    // Leaving the number field: 0 or less becomes 1.
    void NumberFieldLeft();
    // A move into another month or year takes a new number.
    void SetIssueDate(const QDate& date);
    // The term buttons: due date = issue date + days.
    void SetTermDays(int days);
    void SetDueDate(const QDate& date);
    // The payment form list closed on a form: its day count sets the due date.
    void SetPaymentForm(const QString& name);
    // "Kwota wpłacona" typed: clamped into what the gross sum allows.
    void SetPaidAmount(Amount4 paid);
    void SetNotes(const QString& notes);
    // One of FV_GTU_EE, FV_GTU_SW, FV_GTU_TP, FV_GTU_MPP, FV_GTU_FP.
    void SetProcedureFlag(const QString& column, bool on);

    // ---- lines
    // A new line of this invoice in insert state (quantity 1, "szt.", no
    // discount, the rate of group A); the line dialog fills it.
    void AppendLine() override;
    // Writes the line (empty quantity or discount as 0), recomputes it and the
    // sums; a cash invoice due on its issue day is then paid in full.
    void PostLine() override;
    // Removes the current line when `remove` (the operator's answer), then re-reads and recomputes.
    void DeleteLine(bool remove) override;
    // Copies the subscriber's template items valid today as lines.
    void AddFromTemplate() override;
    // The document sums (PrzeliczPolaFv), the header re-read.
    void Recalc();

    // ---- "Zapisz"
    // Stamps the issuer, recomputes and writes; asks the gap and duplicate
    // questions of a new invoice; warns about a zero sum. False (the window
    // stays open) when the gross sum is negative.
    bool Save();

private:
    bool ask(const QString& question) const;
    void tell(const QString& text, bool error) const;
    void rebuildNumberText();
    void dueDateChanged(const QDate& due);
    TQuery* paymentForms();
    int userPodmiot() const;

    std::unique_ptr<TQuery> m_ownForms; // without a data module (tools, tests)
    bool m_numberTaken = false;
    // The operator typed the paid amount on a new invoice: later sums keep it.
    bool m_paidTyped = false;
};

// The signed-in operator's first and last name.
QString CurrentOperatorName();

// What a document copies of its buyer from vUserdb: pairs of the document's
// column without its prefix ("ADR_ULICA") and the subscriber's column. The
// name and main address always; tax numbers and the correspondence block
// only where the document carries them (not on a payment demand).
QList<QPair<QString, QString>> BuyerCopyColumns(bool withTaxAndCorrespondence);
// Copies them from the subscriber's current row into the header row in edit state.
void CopyBuyerColumns(const TQuery& user, TQuery& header, const QString& prefix,
                      bool withTaxAndCorrespondence);
