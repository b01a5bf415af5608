#pragma once
// The register of corrective invoices (A4 landscape, 40 rows a page).
#include "registers/DrukEwidencja.h"

class TFormDrukEwidencjaKorekt : public TFormDrukEwidencja
{
    Q_OBJECT
public:
    explicit TFormDrukEwidencjaKorekt(QObject* parent = nullptr);
};
