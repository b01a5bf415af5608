#pragma once
// The payment demand line dialog: the invoice line's fields without rate and GTU.
#include "billing/PozycjaDokumentu.h"

class TFormPzDodajPozycje : public TFormPozycjaDokumentu
{
    Q_OBJECT
public:
    explicit TFormPzDodajPozycje(QWidget* parent = nullptr);

protected:
    QString documentNumberText() const override;
};
