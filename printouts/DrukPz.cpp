#include "printouts/DrukPz.h"

#include "core/DbIni.h"
#include "core/Query.h"
#include "core/Session.h"

TFormDrukPz::TFormDrukPz(QObject* parent) : TFormDrukFv('P', parent) {}

TFormDrukPz* FormDrukPz()
{
    static TFormDrukPz* form = new TFormDrukPz();
    return form;
}

void PrintPzDocument(int pzIndex, bool pdf)
{
    TFormDrukPz* form = FormDrukPz();
    form->PrinterName = ReadIniString(
        OperatorId, pdf ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"), QString());
    form->QPz()->SetSQL(QStringLiteral("select * from vPzLista where PZ_INDEX=") + QString::number(pzIndex));
    if (pdf)
        form->PrintDirect();
    else
        form->PrintPreview();
}
