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

void PrintFvkDocument(int index, bool pdf)
{
    PrintFvkDocument(index,
                     ReadIniString(OperatorId,
                                   pdf ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"),
                                   QString()),
                     pdf);
}

void PrintFvkDocument(int index, const QString& printerName, bool pdf)
{
    MakeFvkQrCodes(index);
    auto* form = FormDrukFvKorekta();
    form->PrinterName = printerName;
    form->QFvk()->SetSQL(QStringLiteral("select * from vFvkLista where FVK_INDEX=") + QString::number(index));
    if (pdf)
        form->PrintDirect();
    else
        form->PrintPreview();
}
