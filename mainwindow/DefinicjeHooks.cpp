#include "mainwindow/DefinicjeHooks.h"

#include "core/DialogPL.h"

std::function<bool(const QString&, QString*)> PickTextVariable;
std::function<void(int)> EditInfraDevice;
std::function<void(QWidget*)> SaveInfraGridState;
std::function<void(QWidget*)> LoadInfraGridState;

void ShowNotAvailable(const QString& caption)
{
    TMD::MessageDlg(
        QStringLiteral("Funkcja \"%1\" nie jest jeszcze dostępna w tej wersji programu.").arg(caption),
        mtInformation, mbOK);
}

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
