#pragma once
// What the stand-ins need from the program's settings. The program fills it
// at start-up (InstallProgramHooks); unset, a value reads as empty.
#include <QString>
#include <functional>

struct TPlatformContext
{
    std::function<QString()> privateFolder;     // "orlix_priv" in the program folder
    std::function<QString()> exportFolder;      // where exports and PDF printouts go
    std::function<QString()> pdfPrinterSetting; // the operator's DrukarkaPDF

    QString PrivateFolder() const { return privateFolder ? privateFolder() : QString(); }
    QString ExportFolder() const { return exportFolder ? exportFolder() : QString(); }
    QString PdfPrinterSetting() const { return pdfPrinterSetting ? pdfPrinterSetting() : QString(); }
};

TPlatformContext& PlatformContext();
