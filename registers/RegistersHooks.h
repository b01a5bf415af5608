#pragma once
// Windows of later work that the contract and order lists call: the e-mail
// composer's bulk mode, SMS sending and its window, the order printouts.
// While a hook is unset the operator is told the function is not available yet.
#include "core/DedicatedSession.h"

#include <QString>
#include <functional>

// The bulk mode of the e-mail composer: the recipients are the rows of ListSql
// (U_INDEX, U_EMAIL), counted by CountSql, both bound with Args.
struct TBulkMailRequest
{
    QString CountSql;
    QString ListSql;
    TArgs Args;
    QString Description;
};
extern std::function<void(const TBulkMailRequest&)> OpenBulkMailComposer;

// Sends one SMS (its own failures are its own business).
extern std::function<void(const QString& phone, const QString& text, int userIndex)> SendSmsHook;

// The SMS window: recipient kind "S" (technician), subscriber, phone and the text to append.
struct TSmsWindowRequest
{
    QString RecipientKind;
    int UserIndex = 0;
    QString Phone1;
    QString Text;
};
extern std::function<void(const TSmsWindowRequest&)> OpenSmsWindow;

// The order printout on the subscriber card's report: preview on the printer,
// or straight to it (the PDF printer writes ExportFolder + title + ".pdf").
extern std::function<void(int zsIndex, const QString& printerName, bool direct)> PrintZlecenieCard;
// The orders summary of the list's current statement.
extern std::function<void(const QString& sql, const TArgs& args, const QString& printerName,
                          const QString& caption)>
    PrintZleceniaSummary;

// Each calls its hook or says the function is not available yet.
void OpenBulkMailComposerOrSay(const TBulkMailRequest& request);
void SendSmsOrSay(const QString& phone, const QString& text, int userIndex);
void OpenSmsWindowOrSay(const TSmsWindowRequest& request);
// False when the printout is not available (nothing printed).
bool PrintZlecenieCardOrSay(int zsIndex, const QString& printerName, bool direct);
void PrintZleceniaSummaryOrSay(const QString& sql, const TArgs& args, const QString& printerName,
                               const QString& caption);
