#pragma once
// The import window's tools: the subscribers' virtual sub-accounts in bulk
// (over the subscribers the main grid shows, MainUserWhere), the matching of
// single bank rows, and the register of imported files.
#include <QString>
#include <functional>

// Called every 10 subscribers with the count done and the total.
using TPmToolProgress = std::function<void(int done, int total)>;

// Writes each shown subscriber's virtual sub-account as its main account
// (only those without one when onlyEmpty); only valid numbers are written.
// Returns the count written.
int GenerateSubAccounts(bool onlyEmpty, const TPmToolProgress& progress = {});
// Rewrites both accounts of the shown subscribers in the grouped form; returns the writes.
int FormatSubAccounts(const TPmToolProgress& progress = {});
// Swaps main and additional sub-account of the shown subscribers; returns their count.
int SwapSubAccounts();
// Empties both sub-accounts of the shown subscribers; returns their count.
int DeleteSubAccounts();

// Sets a row's account and matches every unmatched row again (newest subscriber first).
void CorrectPmAccount(int pmIndex, const QString& account);
// Unties an unposted row from its subscriber; false for a posted row.
bool UnassignPmRow(int pmIndex);
// Deletes a register row, so that its file can be read again.
void DeletePmImport(int registerIndex);
