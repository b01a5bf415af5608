#pragma once
// The FA (3) e-invoice file of an invoice, the document KSeF takes.
#include <QString>

// Writes ExportFolder + "KSeF_FV_" + index + ".xml" for invoice fvIndex
// (overwriting an older one) and returns its path; "0" when there is no such
// invoice. Makes the invoice's company current and leaves it so. Database and
// file errors reach the caller.
QString WriteKsefFvXml(int fvIndex);
inline void WriteKsefFvXml(int fvIndex, QString& fileName)
{
    fileName = QStringLiteral("0");
    fileName = WriteKsefFvXml(fvIndex);
}
