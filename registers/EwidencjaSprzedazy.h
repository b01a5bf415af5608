#pragma once
// "Ewidencja sprzedaży": prints the register of invoices and of corrections
// for a period and an issuing company and writes the JPK files for the same.
#include "core/FormEx.h"

#include <QDate>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TDateTimePicker;
class TFormDrukEwidencja;
class TFormDrukEwidencjaKorekt;
class TFormDrukEwidencjaSprzedazy;

class TFormEwidencjaSprzedazy : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormEwidencjaSprzedazy(QWidget* parent = nullptr);
    ~TFormEwidencjaSprzedazy() override;

    // The main menu's command: the window, created once, shown modally.
    static void ShowWindow();

    TDateTimePicker* DataOd() const { return m_from; }
    TDateTimePicker* DataDo() const { return m_to; }
    QComboBox* Podmioty() const { return m_podmioty; }
    QCheckBox* FiltrBox() const { return m_filter; }
    QLineEdit* KomentarzFaktur() const { return m_commentInvoices; }
    QLineEdit* KomentarzKorekt() const { return m_commentCorrections; }
    QPushButton* Button(const QString& caption) const;
    TFormDrukEwidencjaSprzedazy* DrukFaktur() const { return m_printInvoices; }
    TFormDrukEwidencjaKorekt* DrukKorekt() const { return m_printCorrections; }

    // The company of an action: P_INDEX of the code in the list, 0 when unknown.
    int SelectedPodmiot() const;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    QGroupBox* buildPeriod();
    QGroupBox* buildPrinting();
    QGroupBox* buildJpk();
    void setPreviousMonth();
    void currentMonth();
    void previousMonth();
    void fromChanged();
    void toChanged();
    void printRegister(bool invoices);
    void generateJpk(int which);
    QString userIdList();

    TDateTimePicker* m_from = nullptr;
    TDateTimePicker* m_to = nullptr;
    QComboBox* m_podmioty = nullptr;
    QCheckBox* m_filter = nullptr;
    QLineEdit* m_commentInvoices = nullptr;
    QLineEdit* m_commentCorrections = nullptr;
    TFormDrukEwidencjaSprzedazy* m_printInvoices = nullptr;
    TFormDrukEwidencjaKorekt* m_printCorrections = nullptr;
    bool m_adjusting = false;
};

extern TFormEwidencjaSprzedazy* FormEwidencjaSprzedazy;
