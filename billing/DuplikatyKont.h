#pragma once
// Virtual accounts shared by several subscribers: a bank payment to such a
// number could be posted to the wrong subscriber.
#include <QStringList>

// One line per number that more than one subscriber has as first account, then
// the same for the second account: the number, "   - ", the count, " szt.".
// Empty numbers and the company's own account are not counted.
QStringList DuplicateUserAccountLines();
// Before a bank statement import: true stops the import. With duplicates the
// operator is asked whether to go on anyway.
bool CheckDuplicateUserAccounts();
