#include "billing/FvDodajPozycje.h"

#include "core/Query.h"

TFormFvDodajPozycje::TFormFvDodajPozycje(QWidget* parent)
    : TFormPozycjaDokumentu(QStringLiteral("FVP_"), 'F', true, parent)
{
    setObjectName(QStringLiteral("FormFvDodajPozycje"));
}

QString TFormFvDodajPozycje::documentNumberText() const
{
    if (!Header || !Header->Active()) return QString();
    return Header->FieldByName(QStringLiteral("FV_NUMERTXT"))->AsString();
}
