#pragma once
// The payment demand being edited in its editor: header, lines and buyer,
// with the rules the editor applies (gross-only lines, no VAT, no tax
// numbers). Each change is written at once inside the opener's transaction.
// No widgets here.
#include "billing/DokumentDane.h"
#include "core/Amount4.h"

#include <QDate>
#include <QString>
#include <functional>
#include <memory>

class TField;
class TNumberReservation;
class TQuery;

class TPzWystawDane : public TDokumentZPozycjami
{
public:
    TPzWystawDane();
    ~TPzWystawDane() override;

    // PZ_INDEX of the row inserted when a new demand was shown; 0 otherwise.
    int PzIndex = 0;
    // The zero-value notice of "Zapisz"; unset shows nothing.
    std::function<void(const QString& text)> TellOperator;

    // ---- openers
    void SelectUser(int userIndex);
    void SelectDemand(int pzIndex);
    void InsertHeader();
    void EditHeader();

    // ---- showing and hiding
    // A new row gets its number, dates, issuer and payment form and is
    // written; every opening copies the buyer's current name and address.
    void Show();

    // ---- what the operator changes
    void SetNumberText(const QString& digits);
    void NumberFieldLeft();
    // A move into another month or year takes a new number.
    void SetIssueDate(const QDate& date);
    void SetTermDays(int days);
    void SetDueDate(const QDate& date);
    void SetPaymentForm(const QString& name);
    void SetPaidAmount(Amount4 paid);

    // ---- lines
    void AppendLine() override;
    // Writes the line, recomputes it and the sums; a cash demand due on its
    // issue day is then paid in full.
    void PostLine() override;
    void DeleteLine(bool remove) override;
    // Copies the subscriber's template items valid today (an item whose end
    // date is '0000-00-00' is not valid here).
    void AddFromTemplate() override;
    void Recalc();

    // ---- "Zapisz": stamps the issuer, recomputes, writes; tells of a zero sum.
    void Save();

private:
    void rebuildNumberText();
    void dueDateChanged(const QDate& due);
    TQuery* paymentForms();

    std::unique_ptr<TQuery> m_forms;
    bool m_paidTyped = false;
};
