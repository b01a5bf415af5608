#pragma once
// The invoice line dialog: one line of the invoice editor's line set.
#include "billing/PozycjaDokumentu.h"

class TFormFvDodajPozycje : public TFormPozycjaDokumentu
{
    Q_OBJECT
public:
    explicit TFormFvDodajPozycje(QWidget* parent = nullptr);

protected:
    QString documentNumberText() const override;
};
