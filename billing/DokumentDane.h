#pragma once
// What the editors of an invoice, a payment demand and a corrective invoice
// keep alike about the document being edited: the header, lines and buyer
// sets, and the header values and changes that differ only in the column
// prefix ("FV_", "PZ_", "FVK_"). Each change is written at once inside the
// opener's transaction. No widgets here.
#include "core/Amount4.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TField;
class TNumberReservation;
class TQuery;

class TDokumentDane
{
public:
    virtual ~TDokumentDane();
    TDokumentDane(const TDokumentDane&) = delete;
    TDokumentDane& operator=(const TDokumentDane&) = delete;

    TQuery* Header() const { return m_header.get(); }
    TQuery* Lines() const { return m_lines.get(); }
    TQuery* User() const { return m_user.get(); }

    bool IsNew = false;
    bool OkPressed = false;

    // The buyer's balance and cache, then the sets are closed; an unfinished
    // header edit is dropped.
    void Hide();

    // ---- values shown
    TField* Field(const QString& name) const;
    int CurrentIndex() const; // the header row's key
    QDate IssueDate() const;
    QDate DueDate() const;
    int TermDays() const;     // due - issue
    QString TermText() const; // "21 dni"
    Amount4 Gross() const;
    Amount4 Paid() const;
    Amount4 LeftToPay() const;
    // "street nr/flat" and that + "  " + postal code + " " + town.
    QString BuyerStreetText() const;
    QString BuyerAddressText() const;

    // ---- lines
    void EditLine();
    // Writes the line the dialog filled and recomputes what depends on it.
    virtual void PostLine() = 0;
    void CancelLine();

protected:
    // prefix of the header's columns, kind letter of the numbering and of
    // the paid-amount rule, prefix of the lines' columns, the lines' select
    // (bound to the header's key) and the line columns an empty text stores as 0.
    TDokumentDane(const QString& prefix, char kind, const QString& linePrefix, const QString& linesSql,
                  const QStringList& zeroWhenEmpty);

    QString col(const char* name) const { return m_prefix + QString::fromLatin1(name); }
    TField* head(const char* name) const;

    // One change of the header, written at once; a failure leaves the row as it was.
    void editHeader(const std::function<void(TQuery&)>& change);
    void refreshHeader();
    // The paid amount clamped into what the sums allow, and what is left.
    void setPaidInEdit(Amount4 paid);
    void openLines();

    std::unique_ptr<TQuery> m_header;
    std::unique_ptr<TQuery> m_lines;
    std::unique_ptr<TQuery> m_user;
    std::unique_ptr<TNumberReservation> m_reservation;

private:
    QString m_prefix;
    char m_kind;
};

// The invoice and the payment demand also add and remove lines; a correction
// only changes the lines it took over.
class TDokumentZPozycjami : public TDokumentDane
{
public:
    // A new line in insert state; the line dialog fills it.
    virtual void AppendLine() = 0;
    // Removes the current line when `remove` (the operator's answer), then re-reads and recomputes.
    virtual void DeleteLine(bool remove) = 0;
    // Copies the subscriber's template items valid today as lines.
    virtual void AddFromTemplate() = 0;

protected:
    using TDokumentDane::TDokumentDane;
};
