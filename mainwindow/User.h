#pragma once
// The subscriber card "Karta użytkownika": one subscriber with everything
// attached to it, opened modally by ShowUserCard and reused for every subscriber.
#include "core/FormEx.h"
#include "mainwindow/UserZakladki.h"

#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class TField;
class TFrameSizeGrip;
class TGripPanel;
class TQuery;
class TSpeedButtonEx;
class TThemedLabel;
class TUserCardUrzadzenia;
class TUserCardWplaty;
class TUserDanePodstawowe;

// The grid column that carries the device sort mark (with CardDeviceSortFields
// and CardDeviceSortOrder of the data module).
extern int CardDeviceSortColumn;

class TFormUser : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormUser(QWidget* parent = nullptr);
    ~TFormUser() override;

    // The subscriber shown; 0 while hidden (0 at show: the main grid's current subscriber).
    int UserIndex = 0;

    // The card's own subscriber row and its per-tab queries.
    std::unique_ptr<TQuery> QUserdb, QUserUwagi, QMac_hist, QMac_hist_update, QOplaty_hist,
        QOplaty_hist_update;
    // Fields other windows read to fill the owner of a new row.
    TField* QUserdbU_INDEX() const;
    TField* QUserdbU_NRKLIENTA() const;
    TField* QUserdbU_DATAKONCAUMOWY() const;

    // Called by the main window's show and close handlers.
    void LoadLayout();
    void SaveLayout();
    // "Refresh": re-reads the card's row and every open per-subscriber dataset.
    void RefreshAll();
    // The show handler of "Dane podstawowe".
    void RefreshBasicData();
    // Releases the shared datasets and closes the card's own (hide).
    void ReleaseUserCardBindings();

    // Told the new caption of the main window's order-list button when the card hides.
    static std::function<void(const QString& caption)> OrdersListCaptionChanged;
    // The subscriber editor behind "Edytuj" (set by InstallProgramHooks);
    // unset, the button says it is not available yet.
    static std::function<bool(int userIndex)> OpenUserEditor;
    // Picks the files for "Zapisz plik w katalogu użytkownika"; tests replace it.
    std::function<QStringList()> ChooseFiles;

    QTabWidget* PageControl1 = nullptr;
    TUserDanePodstawowe* DanePodstawowe = nullptr;
    TUserCardPages Pages;
    // The commands of the money tabs and of the devices.
    TUserCardWplaty* Wplaty = nullptr;
    TUserCardUrzadzenia* Urzadzenia = nullptr;
    TCardGrid* DBGrid1 = nullptr; // the device grid
    TGripPanel* GripPanel1 = nullptr;
    TGripPanel* GripPanel3 = nullptr;
    TThemedLabel* LabelUzytkownik = nullptr;

    TSpeedButtonEx* SpeedButtonEx1 = nullptr;  // refresh
    TSpeedButtonEx* SpeedButtonEx33 = nullptr; // "Edytuj"
    TSpeedButtonEx* SpeedButtonEx34 = nullptr; // "Faktury"
    TSpeedButtonEx* SpeedButtonEx35 = nullptr; // "Polecenia zapłaty"
    TSpeedButtonEx* SpeedButtonEx5 = nullptr;  // "Wpłata"
    TSpeedButtonEx* SpeedButtonEx2 = nullptr;  // SMS to the technician
    TSpeedButtonEx* SpeedButtonEx3 = nullptr;  // print the card
    TSpeedButtonEx* SpeedButtonEx18 = nullptr; // print the card to PDF
    TSpeedButtonEx* SpeedButtonEx41 = nullptr; // "Opcje dodatkowe"
    TSpeedButtonEx* SpeedButtonEx28 = nullptr; // service order "Dodaj"
    QToolButton* NavFirst = nullptr;
    QToolButton* NavPrior = nullptr;
    QToolButton* NavNext = nullptr;
    QToolButton* NavLast = nullptr;
    QPushButton* OkBtn = nullptr;
    TFrameSizeGrip* SizeGrip = nullptr;

    QMenu* PopupMenu1 = nullptr;

    // A command whose window comes with later work: the rights check of its
    // level first (0: none), then the not-available message.
    void notAvailable(const QString& what, int level = 0);
    // The menu's items by caption.
    QAction* MenuItem(const QString& caption) const;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    void buildToolbar(QWidget* bar);
    void buildMenu();
    void onShow();
    void onHide();
    void onDataChanged();
    void onTabChanged(int index);
    void navigate(int step);
    void bindSharedDetails();
    void openLink(const QString& field);
    void clearTeryt();
    void saveFilesToFolder();
    void editUser();
    void showFolder();
    void tauronOrder();
    QString fieldText(const char* name) const;
    QString mainGridText(const char* name) const;
    // One of the subscriber's document windows (rights level 3).
    void openDocuments(const QString& what, const std::function<void(int)>& opener);

    QList<QAction*> m_menuItems;
};

extern TFormUser* FormUser;

// Shows the card of the subscriber modally; 0 does nothing. A card kept open
// longer than 7 seconds re-reads the main grid afterwards, keeping its row.
void ShowUserCard(int userIndex);

// Opens an address in the desktop's browser or handler; an empty one is
// refused with "Błąd wywołania". False when nothing could open it.
bool OpenUrl(const QString& url);
