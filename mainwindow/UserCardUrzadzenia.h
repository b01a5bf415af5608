#pragma once
// The subscriber card's devices: the device grid's commands, sort and
// colours, and restoring removed devices or their earlier states from the
// tab "Historia urządzeń".
#include <QObject>
#include <functional>

class QMenu;
class TFormUser;
class TSpeedButtonEx;

class TUserCardUrzadzenia : public QObject
{
    Q_OBJECT
public:
    explicit TUserCardUrzadzenia(TFormUser* card);

    // The device editor, console, ONU pages, owner change and history windows
    // live with the network inventory; unset, their commands say they are not
    // available yet. The editor gets the device (0: a new one of the subscriber)
    // and answers true when it saved.
    static std::function<bool(int macIndex, int userIndex)> OpenDeviceEditor;

    TSpeedButtonEx* SpeedButtonEx8 = nullptr;  // "Dodaj"
    TSpeedButtonEx* SpeedButtonEx4 = nullptr;  // "Edytuj"
    TSpeedButtonEx* SpeedButtonEx7 = nullptr;  // "Usuń"
    TSpeedButtonEx* SpeedButtonEx9 = nullptr;  // "Połącz"
    TSpeedButtonEx* SpeedButtonEx47 = nullptr; // ONU (A)
    TSpeedButtonEx* SpeedButtonEx49 = nullptr; // ONU (B)
    TSpeedButtonEx* SpeedButtonEx40 = nullptr; // "Historia"
    TSpeedButtonEx* SpeedButtonEx48 = nullptr; // "Opcje dodatkowe"
    TSpeedButtonEx* SpeedButtonEx44 = nullptr; // "Przywróć" a removed device
    TSpeedButtonEx* SpeedButtonEx45 = nullptr; // "Przywróć" an earlier state
    QMenu* PopupMenuUrzadzenia = nullptr;

    // A title click on the device grid's column.
    void SortByColumn(int column);
    // Enables the ONU buttons after GponAktywujOpcje (the card's show).
    void CardShown();
    // The history tab's queries opened or re-read: the restore buttons follow their rows.
    void HistoryShown();

    void AddDevice();
    void EditDevice();
    void DeleteDevice();
    void ShowIntruxStatistics();
    // From the lower grid (removed) or the upper one (earlier state).
    void Restore(bool earlierState);

private:
    void buildDeviceButtons();
    void buildHistoryButtons();
    void styleGrid();
    int currentDevice() const;
    QString logSuffix(int userIndex) const;

    TFormUser* m_card;
};
