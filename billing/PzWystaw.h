#pragma once
// The payment demand editor: number and dates, buyer (no tax number),
// payment form and term, the amount paid on issue and the gross-only lines of
// one payment demand. It works inside the transaction its opener holds (see
// IssueNewPz); the rules live in TPzWystawDane.
#include "core/FormEx.h"

#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TDateTimePicker;
namespace DokumentRamka {
class TLinesCommands;
}
class TFormPzDodajPozycje;
class TPzWystawDane;

class TFormPzWystaw : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormPzWystaw(QWidget* parent = nullptr);
    ~TFormPzWystaw() override;

    TPzWystawDane& Dane() const { return *m_dane; }
    int PzIndex() const;
    bool IsNew() const;
    TFormPzDodajPozycje* LineDialog() const { return m_lineDialog; }

    QLineEdit* Numer = nullptr;
    QLabel* NumerTxt = nullptr;
    TDateTimePicker* DataWystawienia = nullptr;
    QGroupBox* Nabywca = nullptr;
    QLabel* NabywcaNazwa = nullptr;
    QLabel* NabywcaAdres = nullptr;
    QGroupBox* TerminForma = nullptr;
    QComboBox* FormaPlatnosci = nullptr;
    TDateTimePicker* TerminPlatnosci = nullptr;
    QLabel* IloscDni = nullptr;
    QPushButton* Dni[6] = {};
    QLineEdit* KwotaWplacona = nullptr;
    QLabel* PozostaloDoZaplaty = nullptr;
    QTableView* Pozycje = nullptr;
    QPushButton* DodajBtn = nullptr;
    QPushButton* EdytujBtn = nullptr;
    QPushButton* UsunBtn = nullptr;
    QPushButton* ZSzablonuBtn = nullptr;
    QLabel* SumaBrutto = nullptr;
    QLabel* RabatSuma = nullptr;
    QLabel* Wystawil = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void buildUi();
    QWidget* buildTop();
    QWidget* buildPayment();
    QWidget* buildLines();
    QWidget* buildBottom();
    void showHeader();
    void change(const std::function<void()>& action);

    std::unique_ptr<TPzWystawDane> m_dane;
    TFormPzDodajPozycje* m_lineDialog = nullptr;
    DokumentRamka::TLinesCommands* m_lines = nullptr;
    bool m_loading = false;
};

// The one payment demand editor of the program, created at first use.
TFormPzWystaw* FormPzWystaw();

// Issues one new payment demand of the subscriber in one transaction, as
// IssueNewFv does for an invoice: on "Zapisz" settled, balance recomputed,
// "Wystawienie polecenia zapłaty ID=" logged and committed; on "Anuluj"
// nothing stays (row, lines, number). Returns PZ_INDEX or 0.
int IssueNewPz(int userIndex);
