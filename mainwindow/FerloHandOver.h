#pragma once
// The main program's side of the company lookup: it starts Ferlo with the
// access code and the tax number's digits and reads the company back from
// the hand-over file "param.tmp" in the program folder. No widgets.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct TCompanyRecord
{
    QString Name; // "amp;amp;" taken out
    QString Town;
    QString PostalCode;
    QString Street;
    QString House;
    QString Flat;
    QString Nip;
    QString Regon;
};

// ProgramFolder() + "Ferlo" and + "param.tmp".
QString FerloProgramPath();
QString HandOverFilePath();
// The one argument: "4729" followed by the digits of the field's text.
QStringList FerloArguments(const QString& nipText);

// The file's eight lines, decoded; nothing while it is missing or shorter
// (Ferlo may still be writing it).
std::optional<TCompanyRecord> ReadHandOverFile(const QString& path);

enum class TCompanyLookup
{
    NoAnswer, // no program, or no whole file within 1.6 s: nothing is said
    NotFound, // the file came with an empty name
    Found
};

// Deletes a stale hand-over file, starts Ferlo without waiting for it, then
// looks for the file 16 times, each after wait(100) (the window stays alive
// meanwhile). A stale file that cannot be deleted ends the lookup unanswered,
// so it is never taken as the answer.
TCompanyLookup LookupCompanyByNip(const QString& nipText, TCompanyRecord* company,
                                  const std::function<void(int ms)>& wait);
