#pragma once
// Corrective invoices: creating one from an invoice as a whole, and the
// correction being edited in the correction editor (its header, its lines
// before and after, its buyer) with every rule the editor applies. Each
// change is written at once inside the transaction that the editor's opener
// holds. No widgets here.
#include "billing/DokumentDane.h"
#include "billing/Pozycje.h"
#include "core/Amount4.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TField;
class TQuery;

// Reasons offered by the editor, sorted.
const QStringList& CorrectionReasonTexts();
// Rates offered for a line after the correction: the labels of every VAT
// group, "np" included, so a line at "np" keeps its rate.
QStringList CorrectionRateTexts();

// Creates the correction of an invoice with a copy of each of its lines
// (after = before, or after = 0 when zeroAfter) inside the caller's
// transaction; returns its FVK_INDEX. On a database error nothing of it
// stays written and 0 comes back.
int CreateCorrectionFromFv(int fvIndex, bool zeroAfter);

// What the operator typed into the correction line dialog, after the
// correction: the first refused condition's message, or empty.
QString CheckCorrectionLineInput(const TLineInput& after);

class TFvKorektaDane : public TDokumentDane
{
public:
    TFvKorektaDane();
    ~TFvKorektaDane() override;

    // IsNew is set by the editor from its caption ("Wystawianie nowej korekty").
    // The gap and duplicate questions of a new correction; unset answers "Nie".
    std::function<bool(const QString& question)> AskOperator;

    // ---- what the openers do before showing the editor
    // The correction into the header set, its subscriber into the buyer set.
    void SelectCorrection(int fvkIndex, int userIndex);
    void EditHeader();

    // ---- showing and hiding
    // Today's VAT labels, the number text (replaces the placeholder of a new
    // correction), the issuer, the lines and the sums.
    void Show();

    // ---- what the operator changes
    void SetIssueDate(const QDate& date); // the number stays
    void SetTermDays(int days);
    void SetDueDate(const QDate& date);
    // Due date from the form's day count; paid = the gross sum when due on
    // the issue day, else 0 (whatever the form), then clamped.
    void SetPaymentForm(const QString& name);
    void SetPaidAmount(Amount4 paid);
    void SetReason(const QString& reason);
    // Ticked: the reason becomes "Korekta danych nabywcy"; unticked keeps it.
    void SetBuyerDataOnly(bool on);
    // One of FVK_GTU_EE, FVK_GTU_SW, FVK_GTU_TP, FVK_GTU_MPP, FVK_GTU_FP.
    void SetProcedureFlag(const QString& column, bool on);

    // ---- lines
    // Writes the line (empty quantity or discount as 0), recomputes its
    // after-values and the sums, keeps the row current.
    void PostLine() override;
    // The after-values of the current line and the correction's sums.
    void Recalc();

    // ---- "Zapisz"
    // Recomputes and writes; the gap and duplicate questions of a new
    // correction; a new correction or one of the buyer's data takes the
    // buyer's current data.
    void Save();

private:
    void rebuildNumberText();
    void renumber(int number);
    void copyBuyer();

    std::unique_ptr<TQuery> m_forms;
};
