#pragma once
// Entry points of windows that come with later work: the dictionaries window
// and the device grid call them through these hooks. While a hook is unset
// the operator is told the function is not available yet.
#include "core/DialogPL.h"

#include <QString>
#include <functional>

class QWidget;

// The text-variable picker for a kind of list ("User", "Umowa", "Skrypty"):
// true and the chosen token when the operator picked one.
extern std::function<bool(const QString& kind, QString* token)> PickTextVariable;
// The device editor behind "Edytuj" of the device grid, on that INF_INDEX.
extern std::function<void(int infIndex)> EditInfraDevice;
// Saving and restoring the device grid's sort and filters with the main
// window's state; unset, the grid starts with its defaults.
extern std::function<void(QWidget* infraTab)> SaveInfraGridState;
extern std::function<void(QWidget* infraTab)> LoadInfraGridState;

// Calls the picker, or says it is not there yet; true with a token.
bool PickTextVariableOrSay(const QString& kind, QString* token);
// Calls the device editor, or says it is not there yet.
void EditInfraDeviceOrSay(int infIndex);
