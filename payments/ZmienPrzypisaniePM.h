#pragma once
// "Zmień przypisanie wpłaty PM": the account a bank row was paid to, corrected
// by hand; only a valid grouped number is taken.
#include "core/FormEx.h"

class QLineEdit;
class QPushButton;

class TFormZmienPrzypisaniePM : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormZmienPrzypisaniePM(QWidget* parent = nullptr);
    QLineEdit* Edit = nullptr;
    QPushButton* ButtonZapisz = nullptr;
    QPushButton* ButtonAnuluj = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void save();
};
