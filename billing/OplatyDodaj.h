#pragma once
// "Dodawanie nowej wpłaty" / "Edycja wpłaty": one payment of a subscriber,
// and the operations of the desk around it (add, edit, delete, re-settle),
// each in one transaction of the shared session that "Anuluj" rolls back.
#include "billing/OplatyDane.h"
#include "core/FormEx.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class TDateTimePicker;
class TQuery;
class TQueryModel;

class TFormOplatyDodaj : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormOplatyDodaj(QWidget* parent = nullptr);
    ~TFormOplatyDodaj() override;

    // Subscriber of a new payment (0: the main window's current one); cleared on hide.
    int UserIndex = 0;
    int NewIndex = 0;
    bool IsNew = false;
    // The form and date of the last new payment saved in this program run.
    QString LastPaymentForm;
    QDate LastPaymentDate;
    bool OkPressed = false;

    // The payment shown: set by the operations before the dialog shows.
    TOplataDane Dane;

    QLabel* Uzytkownik = nullptr;
    QTabWidget* Strony = nullptr;
    QLineEdit* Kwota = nullptr;
    TDateTimePicker* DataWplaty = nullptr;
    QComboBox* FormaPlatnosci = nullptr;
    QPlainTextEdit* Uwagi = nullptr;
    QLineEdit* Numer = nullptr;
    QLabel* NumerTxt = nullptr;
    QLabel* Saldo = nullptr;
    QLabel* SaldoZalegle = nullptr;
    QLabel* Pochodzenie = nullptr;
    QTableView* GridHistoria = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

    // Shows the payment of Dane (a new one is inserted first when IsNew).
    int ShowPayment(bool newPayment);
    // "Zapisz": the close check; a refusal leaves the dialog open.
    void Zapisz();

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    void fill();
    void numberChanged();
    void dateChanged();
    void showHistory();
    std::unique_ptr<TQuery> m_hist;
    TQueryModel* m_histModel = nullptr;
    bool m_filling = false;
};

TFormOplatyDodaj* FormOplatyDodaj();

// Rights level 3. A new payment of the subscriber settled at once, its
// receipt printed when AutomatycznyWydrukKP is on.
void AddOplata(int userIndex);
// Rights level 3. A failed settlement rolls the whole edit back.
bool EditOplata(int oplataIndex);
// Rights level 2, after the question.
void DeleteOplata(int oplataIndex);
