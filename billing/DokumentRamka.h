#pragma once
// The frame the document editors share (invoice, correction, payment demand):
// the payment group box with its term buttons, the lines grid, the VAT sums
// grid and the Zapisz/Anuluj row. Each editor connects the widgets to its
// own rules.
#include "core/Amount4.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QVBoxLayout;
class QWidget;
class TDateTimePicker;
class TDokumentDane;
class TDokumentZPozycjami;
class TFormEx;
class TFormPozycjaDokumentu;
class TField;
class TQuery;
class TQueryModel;

namespace DokumentRamka {

inline constexpr int kTermDays[6] = {0, 7, 10, 14, 21, 30};

QFont BoldFont(QFont f, double scale = 1.0);
// Money in a grid cell: the columns say what they hold, so no " zł".
QString MoneyCell(Amount4 a);

// "Termin i forma płatnosci": payment form list, due date with the term
// label, and the "0 dni" ... "30 dni" buttons, each calling onTerm with its
// days; beside it the editors lay out the paid amount and what is left.
struct TPaymentBox
{
    QGroupBox* box = nullptr;
    QComboBox* forms = nullptr;
    TDateTimePicker* due = nullptr;
    QLabel* days = nullptr;
    QPushButton* dni[6] = {};
    QLineEdit* paid = nullptr; // "Kwota wpłacona"
    QLabel* left = nullptr;    // "Pozostało do zapłaty"
};
TPaymentBox BuildPaymentBox(QWidget* parent, const std::function<void(int days)>& onTerm);
// FP_NAZWA of every payment form, sorted.
QStringList PaymentFormNames();

// A lines grid over `lines`; columns are (field, caption) pairs; quantity,
// discount and money columns are recognised by their names' endings.
QTableView* BuildLinesGrid(QWidget* parent, TQuery* lines, const QList<QPair<QString, QString>>& columns,
                           TQueryModel** model);

// The VAT sums grid under its one-line caption (the words stand over the
// right edges of the net, VAT and gross columns).
QWidget* BuildVatSumsBox(QWidget* parent, QTableWidget** grid);
// Labels and sums of the six groups and the total: columns prefix + "OPISVAT",
// "SUMANETTO", "SUMAVAT", "SUMABRUTTO" (+ "_A" ...).
void ShowVatSums(QTableWidget* grid, const std::function<TField*(const QString&)>& field,
                 const QString& prefix);

// Shows the line dialog on the line `dane` has put into insert or edit state:
// OK posts it (a post that fails cancels it and the error goes on), any other
// close cancels it. showHeader runs after either, so the sums are current.
void RunLineDialog(QDialog* dialog, TDokumentDane& dane, const std::function<void()>& showHeader);

// "Dodaj", "Edytuj", "Usuń" and "Dodaj z szablonu" beside the lines grid of
// the invoice and demand editors; a double click or Enter on the grid adds
// the first line or edits the current one. A child of the form.
class TLinesCommands : public QObject
{
public:
    TLinesCommands(TFormEx* form, QTableView* grid, TFormPozycjaDokumentu* dialog, TDokumentZPozycjami& dane,
                   QString deleteQuestion, std::function<void()> showHeader);

    QPushButton* DodajBtn = nullptr;
    QPushButton* EdytujBtn = nullptr;
    QPushButton* UsunBtn = nullptr;
    QPushButton* ZSzablonuBtn = nullptr;
    // The buttons' column, for the form's layout.
    QVBoxLayout* Buttons = nullptr;

    void Add();
    void Edit();
    void Remove();
    void FromTemplate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runDialog(const QString& caption);
    void addOrEdit();

    TFormEx* m_form;
    QTableView* m_grid;
    TFormPozycjaDokumentu* m_dialog;
    TDokumentZPozycjami& m_dane;
    QString m_deleteQuestion;
    std::function<void()> m_showHeader;
};

// "Zapisz" and "Anuluj", right-aligned.
QWidget* BuildSaveCancelRow(QWidget* parent, QPushButton** save, QPushButton** cancel);

} // namespace DokumentRamka
