#pragma once
// The scripts the installer runs after Drovik: the database server's
// settings, the system's database and the ODBC data source.
#include <QString>

struct TDrovikScript
{
    QString FileName;
    QString Text; // LF line ends
};

// The text of one script for the program folder F (no trailing separator).
TDrovikScript PostInstall1Script(const QString& folder);
TDrovikScript PostInstall2Script(const QString& folder);
TDrovikScript OdbcScript();

// A path as one word for sh, whatever it holds (blanks, quotes, '$').
QString ShellQuote(const QString& path);

// Writes the script anew into folder, executable. Empty on success, else the
// operator's message (Polish).
QString WriteDrovikScript(const QString& folder, const TDrovikScript& script);
