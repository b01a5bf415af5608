#include "printouts/DrukFvKorekta.h"

#include "core/DbIni.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/DrukFvDane.h"

TFormDrukFvKorekta::TFormDrukFvKorekta(QObject* parent) : TFormDrukFv('K', parent) {}

TFormDrukFvKorekta* FormDrukFvKorekta()
{
    static TFormDrukFvKorekta* form = new TFormDrukFvKorekta();
    return form;
}

void PrintFvkDocument(int fvkIndex, bool pdf)
{
    MakeFvkQrCodes(fvkIndex);
    TFormDrukFvKorekta* form = FormDrukFvKorekta();
    form->PrinterName = ReadIniString(
        OperatorId, pdf ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"), QString());
    form->QFvk()->SetSQL(QStringLiteral("select * from vFvkLista where FVK_INDEX=") +
                         QString::number(fvkIndex));
    if (pdf)
        form->PrintDirect();
    else
        form->PrintPreview();
}
