#pragma once
// The KSeF menu of one invoice or correction in the lists: send, check,
// session status, offline registration and UPO.
#include <QString>
#include <functional>

class QMenu;
class QTableView;
class TFormEx;

struct TKsefMenuTarget
{
    char kind = 'F'; // 'F' invoice, 'K' correction
    std::function<int()> key;
    std::function<int()> company;
    std::function<QString()> sessionRef;
    std::function<void()> reread;
    int sendWaitMs = 500; // between sending and the status check
};

QMenu* BuildKsefDocumentMenu(TFormEx* parent, TKsefMenuTarget target);

// Opens the KSeF client of company 1 when a list shows, so the first KSeF
// action is quick; every action opens it again itself, so a failure here
// (no certificates, no connection) only means that head start is lost.
void OpenKsefClientAhead();

// The target of a grid's current row, its columns read through field ("FV_" or "FVK_" ones).
TKsefMenuTarget KsefRowTarget(char kind, std::function<QString(const QString& field)> field,
                              std::function<void()> reread, int sendWaitMs = 500);
// The grid's context menu "Kopiuj numer KSeF" with the current row's number.
void AddKsefNumberCopyMenu(QTableView* grid, std::function<QString()> number);
