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

void PrintPzDocument(int index, bool pdf)
{
    PrintPzDocument(index,
                    ReadIniString(OperatorId,
                                  pdf ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"),
                                  QString()),
                    pdf);
}

void PrintPzDocument(int index, const QString& printerName, bool pdf)
{
    auto* form = FormDrukPz();
    form->PrinterName = printerName;
    form->QPz()->SetSQL(QStringLiteral("select * from vPzLista where PZ_INDEX=") + QString::number(index));
    if (pdf)
        form->PrintDirect();
    else
        form->PrintPreview();
}
