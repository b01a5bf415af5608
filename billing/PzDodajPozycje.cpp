#include "billing/PzDodajPozycje.h"

#include "core/Query.h"

TFormPzDodajPozycje::TFormPzDodajPozycje(QWidget* parent)
    : TFormPozycjaDokumentu(QStringLiteral("PZP_"), 'P', false, parent)
{
    setObjectName(QStringLiteral("FormPzDodajPozycje"));
}

QString TFormPzDodajPozycje::documentNumberText() const
{
    if (!Header || !Header->Active()) return QString();
    return Header->FieldByName(QStringLiteral("PZ_NUMER"))->AsString();
}
