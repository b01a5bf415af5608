#include "mainwindow/DefinicjeHooks.h"

#include "core/DialogPL.h"

std::function<bool(const QString&, QString*)> PickTextVariable;
std::function<void(int)> EditInfraDevice;
std::function<void(QWidget*)> SaveInfraGridState;
std::function<void(QWidget*)> LoadInfraGridState;

bool PickTextVariableOrSay(const QString& kind, QString* token)
{
    if (!PickTextVariable) {
        ShowNotAvailable(QStringLiteral("Wstaw zmienną tekstową"));
        return false;
    }
    return PickTextVariable(kind, token);
}

void EditInfraDeviceOrSay(int infIndex)
{
    if (!EditInfraDevice) {
        ShowNotAvailable(QStringLiteral("Edytuj"));
        return;
    }
    EditInfraDevice(infIndex);
}
