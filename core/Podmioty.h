#pragma once
// The current issuing company. The seller data that printing, numbering and
// e-invoicing read are global settings; another company is made current for
// this connection by shadowing table INI with a temporary copy holding that
// company's data. Company 1 is the real settings themselves.
#include <QString>
#include <vector>

class QComboBox;

// P_INDEX of the company the settings of this connection show; 0 before any.
extern int CurrentPodmiotId;

// One column of Podmioty and the global setting (section "Var") it mirrors.
struct TPodmiotSetting
{
    const char* Column;
    const char* Key;
    const char* Default;
    bool Integer; // read and written as an integer
};
const std::vector<TPodmiotSetting>& PodmiotSettings();

// Makes company Id current for this connection; false when it already is
// (nothing done). Errors reach the caller; a failed switch leaves
// CurrentPodmiotId as it was.
bool SetCurrentPodmiot(int id);

// Refills the drop-down with the short names of the active companies and
// keeps the selected position when the list is still long enough (a window
// helper: core/PodmiotyCombo.cpp, in the library of core's windows).
void FillPodmiotyCombo(QComboBox* combo);
