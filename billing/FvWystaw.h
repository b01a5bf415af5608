#pragma once
// The invoice editor: number and dates, buyer, payment form and term, the
// amount paid on issue, notes, procedure flags and the lines of one invoice.
// It works on the rows inside the transaction that its opener holds (see
// IssueNewFv); the rules live in TFvWystawDane.
#include "core/FormEx.h"

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class TDateTimePicker;
namespace DokumentRamka {
class TLinesCommands;
}
class TFormFvDodajPozycje;
class TFvWystawDane;
class TQueryModel;

class TFormFvWystaw : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormFvWystaw(QWidget* parent = nullptr);
    ~TFormFvWystaw() override;

    // The invoice's sets and rules; openers select into them before showing.
    TFvWystawDane& Dane() const { return *m_dane; }
    int FvIndex() const;
    bool IsNew() const;
    bool OkPressed() const;

    QLineEdit* Numer = nullptr;
    QLabel* NumerTxt = nullptr;
    TDateTimePicker* DataWystawienia = nullptr;
    QGroupBox* Nabywca = nullptr;
    QLabel* NabywcaNazwa = nullptr;
    QLabel* NabywcaAdres = nullptr;
    QLabel* NabywcaNip = nullptr;
    QGroupBox* TerminForma = nullptr;
    QComboBox* FormaPlatnosci = nullptr;
    TDateTimePicker* TerminPlatnosci = nullptr;
    QLabel* IloscDni = nullptr;
    QPushButton* Dni[6] = {};
    QLineEdit* KwotaWplacona = nullptr;
    QLabel* PozostaloDoZaplaty = nullptr;
    QLineEdit* Uwagi = nullptr;
    QGroupBox* KodyGtu = nullptr;
    QCheckBox* GtuEE = nullptr;
    QCheckBox* GtuSW = nullptr;
    QCheckBox* GtuTP = nullptr;
    QCheckBox* GtuMPP = nullptr;
    QCheckBox* GtuFP = nullptr;
    QTableView* Pozycje = nullptr;
    QPushButton* DodajBtn = nullptr;
    QPushButton* EdytujBtn = nullptr;
    QPushButton* UsunBtn = nullptr;
    QPushButton* ZSzablonuBtn = nullptr;
    QTableWidget* Sumy = nullptr;
    QLabel* RabatSuma = nullptr;
    QLabel* Wystawil = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

    // The line dialog, created with the editor.
    TFormFvDodajPozycje* LineDialog() const { return m_lineDialog; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void buildUi();
    QWidget* buildTop();
    QWidget* buildPayment();
    QWidget* buildLines();
    QWidget* buildBottom();
    // The header's values into the widgets.
    void showHeader();
    void fillPaymentForms();
    void change(const std::function<void()>& action);

    std::unique_ptr<TFvWystawDane> m_dane;
    TQueryModel* m_linesModel = nullptr;
    TFormFvDodajPozycje* m_lineDialog = nullptr;
    DokumentRamka::TLinesCommands* m_lines = nullptr;
    bool m_loading = false;
};

// The one invoice editor of the program, created at first use.
TFormFvWystaw* FormFvWystaw();

// Issues one new invoice of the subscriber through the editor, in one
// transaction: the row is inserted and numbered when the editor opens; on
// "Zapisz" the invoice is settled against the subscriber's open payments, the
// balance recomputed, "Wystawienie faktury ID=" logged and everything
// committed; on "Anuluj" everything (row, lines, number) is rolled back.
// Returns the new invoice's FV_INDEX, or 0 when the operator cancelled.
int IssueNewFv(int userIndex);
