#pragma once
// Packages for the envelo hybrid-mail service: the consignment list of each
// part of up to 1000 documents (Neofaktura or Neolist) with the documents'
// PDFs, and the letters package of the letters window.
#include "printouts/WydrukDokumentowDane.h"

#include <QString>
#include <QStringList>

// The service's address written into the Neofaktura rows and shown by the window.
inline const QString EnveloWebAddress = QStringLiteral("https://www.envelo.pl");
constexpr int EnveloPartSize = 1000;

// "envelo_neofaktura_Fv", "envelo_neolist_Fvk" ...
QString EnveloBaseName(int kind, bool neofaktura);
// "faktury.csv", "poleceniazaplaty.csv", "korekty.csv".
QString EnveloListName(int kind);
// Parts of found documents: rounded up, so exact thousands give no empty part.
int EnveloPartCount(int found);

// Outputs 5 (neofaktura) and 6: every part's list (kind-named file and
// "envelo.csv", UTF-8, CR LF) and its package base + "NN.zip" with
// "envelo.csv" and the PDFs that exist (each one SentCount). Old parts of the
// base name are deleted first. A PDF that is missing is counted in
// SkippedFiles. A ZIP error of a part is logged and the next part follows.
// Returns the packages written. Database errors reach the caller.
QStringList BuildEnveloPackages(TDedicatedSession* session, const TBulkSql& sql, bool neofaktura,
                                TBulkRun& run);

// The letters window's package over its session table Temp (T_INDEX,
// T_INDEXUSER, T_PDF): "envelo_pismo.csv" (code page 1250), "envelo.xlsx" and
// "envelo_pismo.zip" with the spreadsheet and the letter PDFs that exist.
// Returns the package path; raises EZipError or EInOutError on failure.
// ("envelo.xls" is not written: no library of ours writes that format.)
QString BuildEnveloLettersPackage(TDedicatedSession* session);
