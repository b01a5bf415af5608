#pragma once
// The correction editor: the lines as they become (upper grid) and as they
// were (lower grid), the reason, the buyer-data flag, procedure flags, term
// and payment form of one corrective invoice. It works inside the transaction
// that its opener holds; the rules live in TFvKorektaDane.
#include "core/FormEx.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;
class TDateTimePicker;
class TFormFvkKorygujPozycje;
class TFvKorektaDane;

class TFormFvKorektaWystaw : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormFvKorektaWystaw(QWidget* parent = nullptr);
    ~TFormFvKorektaWystaw() override;

    TFvKorektaDane& Dane() const { return *m_dane; }
    TFormFvkKorygujPozycje* LineDialog() const { return m_lineDialog; }

    QLabel* Numer = nullptr;
    QLabel* NumerTxt = nullptr;
    QLabel* NumerKorygowanej = nullptr;
    TDateTimePicker* DataWystawienia = nullptr;
    QGroupBox* Nabywca = nullptr;
    QLabel* NabywcaNazwa = nullptr;
    QLabel* NabywcaAdres = nullptr;
    QLabel* NabywcaNip = nullptr;
    QTableView* PozycjePo = nullptr;
    QTableView* PozycjePrzed = nullptr;
    QPushButton* KorygujBtn = nullptr;
    QTableWidget* Sumy = nullptr;
    QLabel* RabatSuma = nullptr;
    QLabel* Wystawil = nullptr;
    QComboBox* PowodKorekty = nullptr;
    QCheckBox* KorektaDanychNabywcy = nullptr;
    QGroupBox* KodyGtu = nullptr;
    QCheckBox* Gtu[5] = {};
    QGroupBox* TerminForma = nullptr;
    QComboBox* FormaPlatnosci = nullptr;
    TDateTimePicker* TerminPlatnosci = nullptr;
    QLabel* IloscDni = nullptr;
    QPushButton* Dni[6] = {};
    QLineEdit* KwotaWplacona = nullptr;
    QLabel* PozostaloDoZaplaty = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;
    // Switched on by an opener before showing: "Zapisz" is pressed at the
    // first tick once the window is visible (200 ms, off by default).
    QTimer* AutoConfirm = nullptr;

    // "Koryguj", a double click or Enter on a line.
    void Koryguj();

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    QWidget* buildTop();
    QWidget* buildLines();
    QWidget* buildBottom();
    QWidget* buildPayment();
    void showHeader();
    void change(const std::function<void()>& action);

    std::unique_ptr<TFvKorektaDane> m_dane;
    TFormFvkKorygujPozycje* m_lineDialog = nullptr;
    bool m_loading = false;
};

// The one correction editor of the program, created at first use.
TFormFvKorektaWystaw* FormFvKorektaWystaw();

// Issues a correction of one invoice ("Korekta", or Korekta na "0" with
// zeroAfter) through the editor in one transaction: on "Zapisz" the
// correction is settled, the balance recomputed, the invoice points to it
// and everything is committed; on "Anuluj" nothing stays. Returns FVK_INDEX
// or 0 (refused, cancelled or not created).
int StartFvCorrection(int fvIndex, bool zeroAfter);

// Edits an existing correction ("Edycja korekty"): its settlement is
// withdrawn, the editor shown, and on "Zapisz" it is settled again and
// committed; "Anuluj" rolls everything back. True when saved.
bool EditFvCorrection(int fvkIndex);
