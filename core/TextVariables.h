#pragma once
// Text variables of templates ("<#USERNAZWA>", "<#SALDO>", ...): their
// expansion from one record of the database and the lists the picker offers
// per kind of template. No widgets: letters, SMS, e-mail, contracts and
// router scripts all call these.
#include <QString>
#include <vector>

class TDedicatedSession;

// Kind is "Mac" or "Skrypty" (Id = M_INDEX), "User" (U_INDEX) or "Umowa"
// (UM_INDEX), compared case-sensitively. Every known token of Template is
// replaced by its value; unknown tokens stay. Inserted values are scanned as
// well, up to a limit fixed from the template's length, so the expansion
// always ends. Database errors are raised to the caller.
QString ExpandTextVariables(const QString& kind, int id, const QString& templateText);
// The same operation under the name the scripts and contracts call.
QString ExpandTemplateVariables(const QString& kind, int id, const QString& templateText);

// How far the expansion scans a template: its length + 1000 for devices and
// scripts, + 10000 for the other kinds.
int TextVariableScanLimit(const QString& kind, const QString& templateText);

struct TTextVariable
{
    QString Token;
    QString Description;
};

// The tokens the picker offers for a kind ("User", "Umowa", "Mac",
// "Skrypty"), with the seven subscriber variables described by the settings
// ZmiennaTxtOpis1..7 as they are now.
std::vector<TTextVariable> TextVariableList(const QString& kind);

// Creates the session's MEMORY table Zmienne when missing, empties it and
// fills it with the list of the kind (every value bound).
void FillTextVariableTable(TDedicatedSession* session, const QString& kind);
