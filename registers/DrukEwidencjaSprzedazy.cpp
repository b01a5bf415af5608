#include "registers/DrukEwidencjaSprzedazy.h"

TFormDrukEwidencjaSprzedazy::TFormDrukEwidencjaSprzedazy(QObject* parent)
    : TFormDrukEwidencja(TRegisterKind::Invoices, QStringLiteral("Ewidencja sprzedaży"), parent)
{
}
