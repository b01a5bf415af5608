#pragma once
// The commands of the subscriber card's service-order and contract tabs:
// their buttons, double clicks, row colours and the memos of the current row.
class TFormUser;

void BuildUserCardOrderAndContractCommands(TFormUser* card);
