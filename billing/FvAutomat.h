#pragma once
// "Automatyczne generowanie dokumentów": collects the inputs of the monthly
// automatic invoicing run and starts it; the run lives in TFvAutomatDane.
#include "core/FormEx.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TDateTimePicker;
struct TFvAutomatInput;

class TFormFvAutomat : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormFvAutomat(QWidget* parent = nullptr);

    TDateTimePicker* DateTimePicker1 = nullptr; // issue date
    TDateTimePicker* DateTimePicker2 = nullptr; // payment date
    QLabel* Label4 = nullptr;                   // days between them
    QComboBox* ComboBox1 = nullptr;             // payment form
    QComboBox* ComboBox2 = nullptr;             // issuing company
    QComboBox* ComboBox3 = nullptr;             // service group
    QCheckBox* CheckBox2 = nullptr;             // add a suffix to service names
    QGroupBox* RadioGroup1 = nullptr;           // the suffix kind
    QRadioButton* RadioButtons[3] = {};
    QLineEdit* Edit1 = nullptr;     // free suffix text
    QCheckBox* CheckBox1 = nullptr; // WSTO_EE
    QProgressBar* Gauge1 = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    int RadioGroup1Index() const;
    void SetRadioGroup1Index(int index);
    // The run's inputs as the controls hold them (the main grid's selection included).
    TFvAutomatInput Inputs() const;
    // "Wykonaj": the run, then the window closes whatever it did.
    void OkBtnClick();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    QWidget* buildDates();
    QWidget* buildSuffix();
    void formShow();
    void issueDateChanged();
    void dueDateChanged();
    void updateDays();
    void updateSuffixControls();
    bool m_syncing = false;
};

// The window, created on first use and kept.
TFormFvAutomat* FormFvAutomat();
