#pragma once
// "Weryfikacja integralności plików kopii elektronicznej": checks a ".dat"
// file of the electronic copy against its ".sig" and offers the period closing.
#include "core/FormEx.h"

#include <functional>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class TFormKopiaElektronicznaWeryfikacja : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormKopiaElektronicznaWeryfikacja(QWidget* parent = nullptr);

    QLineEdit* Edit1 = nullptr;            // the ".dat" path, read-only
    QToolButton* SpeedButton6 = nullptr;   // browse
    QPushButton* SpeedButtonEx1 = nullptr; // "Weryfikuj"
    QLabel* Label1 = nullptr;              // result
    QDateEdit* DateTimePicker1 = nullptr;  // closing date
    QPushButton* BitBtn1 = nullptr;        // "Zamknij okres"
    QLabel* Label7 = nullptr;              // last closing

    // The open dialog; replaced by tests. Returns the chosen path or "".
    std::function<QString(const QString& folder)> ChooseFile;

    void Verify();
    void Browse();
    void CloseThePeriod();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    void refreshLastClosing();
};

TFormKopiaElektronicznaWeryfikacja* FormKopiaElektronicznaWeryfikacja();
