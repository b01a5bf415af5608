#include "registers/DrukEwidencjaKorekt.h"

TFormDrukEwidencjaKorekt::TFormDrukEwidencjaKorekt(QObject* parent)
    : TFormDrukEwidencja(TRegisterKind::Corrections, QStringLiteral("Ewidencja korekt"), parent)
{
}
