#pragma once
// The VAT sales register of invoices (A4 landscape, 40 rows a page).
#include "registers/DrukEwidencja.h"

class TFormDrukEwidencjaSprzedazy : public TFormDrukEwidencja
{
    Q_OBJECT
public:
    explicit TFormDrukEwidencjaSprzedazy(QObject* parent = nullptr);
};
