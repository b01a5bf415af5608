#pragma once
// The main window: the operator's desk with the subscriber grid and its
// filters, the menus and button columns, the status bar; what it does when
// it is created, shown and closed, and the flags background threads read.
#include "core/FormEx.h"
#include "core/ProgramExit.h"
#include "mainwindow/GlownyUserQuery.h"

#include <QList>
#include <QString>
#include <atomic>
#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;
class QTreeWidget;
class QWidget;
class TGripPanel;
class TQuery;
class TUserGridDelegate;
class TUserGridModel;
class TViewLink;

class TFormGlowny : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormGlowny(QWidget* parent = nullptr);
    ~TFormGlowny() override;

    // Read and written by the user-interface thread and worker threads.
    static inline std::atomic<bool>& Closing = ProgramClosing; // the program-wide flag
    static std::atomic<bool> PingRunning;
    static std::atomic<bool> VoveRunning;
    static std::atomic<bool> IntruxRunning;

    // Replaces the subscriber card for "Przeglądaj" when set (tests).
    static std::function<void(int)> OpenUserCard;
    // The automatic invoicing window behind "Generowanie faktur", set by its
    // unit; while unset the command says it is not available yet.
    static std::function<void()> OpenInvoicingRun;
    // Opens the settings dialog on "Dane firmy" at the show when the seller
    // has no name yet (set at start-up; unset: the show opens nothing).
    static std::function<void()> AskForCompanyName;
    // The open-file dialog of the archive and script commands (tests answer it).
    static std::function<QString(const QString& title, const QString& filter)> ChooseOpenFile;
    // The subscriber editor: a new subscriber, and the given one (true when
    // saved); set by InstallProgramHooks, unset they say not available yet.
    static std::function<bool()> OpenNewUser;
    static std::function<bool(int userIndex)> OpenUserEditor;
    // "Płatności masowe": the bank import window under its lock.
    static std::function<void()> OpenBulkPayments;
    // The document lists and one subscriber's documents (0: the subscriber
    // under the cursor), set by their units; unset, not available yet.
    struct TListOpeners
    {
        std::function<void()> fvLista, fvKorektaLista, pzLista, oplatyLista;
        std::function<void(int userIndex)> fvUser, pzUser;
    };
    static TListOpeners ListOpeners;
    // "Pokaz faktury" / "Pokaż PZ": the current subscriber's documents (rights level 3).
    void ShowUserInvoices();
    void ShowUserDemands();
    // The bulk output window behind "Wydruk faktur" and the electronic copy
    // check behind "Kopia elektroniczna (EJ)", set the same way.
    static std::function<void()> OpenBulkOutput;
    static std::function<void()> OpenElectronicCopyCheck;
    // "KSeF" (the batch window) and "KSeF - Pobrane" (the received invoices).
    static std::function<void()> OpenKsef;
    static std::function<void()> OpenKsefReceived;

    // ---- the subscriber grid
    // Rebuilds QUserdb's statement from the filter controls (its BeforeOpen).
    void BuildUserQuery(TQuery& query);
    TUserFilter CurrentUserFilter() const;
    TUserSort UserSort;
    // Refills the group list and the company list, restoring the checks.
    void WczytajSortowanieUser();
    // Re-reads the subscriber grid keeping the current row.
    void RefreshUsers();
    // Applies a click on the grid title of a column (sort cycle).
    void TitleClick(int column);
    // The current row's U_INDEX; 0 when there is none.
    int CurrentUserIndex() const;
    // "Pokaż użytkowników" item (0..3).
    int RadioGroup1Index() const;
    void SetRadioGroup1Index(int index);

    void UpdateStatusBar();
    // The archive lamp (TArchiveLamp as int) with its hint.
    void ShowArchiveLamp(int lamp, const QString& hint);
    void UpdateButtonCounters();
    // Puts the operator's display and folder settings into effect (after the settings are saved).
    void ApplyWorkstationSettings();
    // Shows and hides the subscriber and device grids' columns by the masks
    // of "KolumnyGrid1" and "KolumnyGrid2" (the settings dialog's save).
    void SetColumnMasks(const QString& mask1, const QString& mask2);

    // Deletes Folder/*.Extension; an empty extension: files without one.
    static void DeleteFilesByExtension(const QString& folder, const QString& extension);

    // Widgets the other windows and the tests reach by the system's names.
    QMenuBar* MainMenu1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabUzytkownicy = nullptr;
    QWidget* TabInfrastruktura = nullptr;
    QTableView* DBGrid1 = nullptr;
    QWidget* GripPanel2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QToolButton* SpeedButtonEx1 = nullptr;  // refresh
    QToolButton* SpeedButtonEx2 = nullptr;  // clear search
    QToolButton* SpeedButtonEx50 = nullptr; // wholesale orders
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox5 = nullptr, *CheckBox6 = nullptr,
              *CheckBox7 = nullptr, *CheckBox8 = nullptr, *CheckBox10 = nullptr, *CheckBox12 = nullptr,
              *CheckBox14 = nullptr, *CheckBox16 = nullptr, *CheckBox18 = nullptr, *CheckBox19 = nullptr,
              *CheckBox20 = nullptr, *CheckBox21 = nullptr, *CheckBox22 = nullptr, *CheckBox23 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox3 = nullptr, *ComboBox4 = nullptr;
    QSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QTreeWidget* GrupyUserListView = nullptr;
    QLabel* Label1 = nullptr; // diagnostics, hidden
    QLabel* Label3 = nullptr; // portal state
    QLabel* Label4 = nullptr; // ticked subscribers
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanels[7] = {};
    QLabel* Shape6 = nullptr;               // the archive lamp
    QPushButton* SpeedButtonEx8 = nullptr;  // "Przeglądaj"
    QPushButton* SpeedButtonEx21 = nullptr; // "Wystaw fakturę"
    QPushButton* SpeedButtonEx9 = nullptr;  // "Poczekalnia"
    QPushButton* SpeedButtonEx29 = nullptr; // "Lista zleceń"
    QPushButton* SpeedButtonEx20 = nullptr; // "Generowanie faktur"
    QPushButton* SpeedButtonPm = nullptr;   // "Płatności masowe"
    QPushButton* SpeedButtonEx23 = nullptr; // "Wystaw PZ"
    QPushButton* SpeedButtonListaFaktur = nullptr;
    QPushButton* SpeedButtonListaPz = nullptr;
    QPushButton* SpeedButtonListaWplat = nullptr;
    QWidget* ThemedPanel20 = nullptr; // double click: the timing log
    QTimer *TimerBudujOkna = nullptr, *TimerOtworzTabele = nullptr, *TimerPoStarcie = nullptr,
           *TimerRefresh = nullptr, *TimerRefresh2 = nullptr, *TimerCron = nullptr,
           *TimerAktualizacja = nullptr, *TimerSzukajUser = nullptr;

    // Reloads the device tab's group list after a device group changed (set by that tab).
    std::function<void()> InfraGroupsReload;

    // The action of a menu item by its path of captions ("&Plik/Zakończ"); tests use it.
    QAction* MenuAction(const QString& path) const;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void reject() override;

private:
    void buildUi();
    void buildMenus();
    QWidget* buildSidePanel();
    QWidget* buildUserTab();
    QWidget* buildFilterPanel();
    void buildStatusBar();
    void connectUserTab();

    void formCreate();
    // Opens a document list after the rights check, then re-reads the grid.
    void openList(const QString& caption, int level, const std::function<void()>& opener);
    void connectOtherWindows();
    void formShow();
    void formClose();
    void loadState();
    void applyFolders();
    void saveState();
    void attachGrid();
    void detachGrid();

    // Handlers of the subscriber tab.
    void edit1Change();
    void applyFilters(); // GrupyUserListViewClick
    void groupListColumnClick();
    void setGroupChecks(int mode); // 0 all, 1 none, 2 invert
    void colourGroupList();
    void gridKeyPress(QKeyEvent* e, bool& handled);
    void gridCtrlClick(int row);
    void tickVisible(int mode); // 0 tick shown, 1 untick shown, 2 untick all
    void updateTickCount();
    void spinEdit1DblClick();
    void spinEdit2DblClick();
    void applySortLook();
    void openUserCard();
    void addUser();
    void editUser();
    void issueInvoice(bool fromMenu);
    // A new payment demand of the current subscriber.
    void issueDemand();
    void addPayment();
    void timerPoStarcie();
    void timerRefresh2();

    // The window's own commands.
    QWidget* buildThemedPanel20(QWidget* parent);
    void ThemedPanel20DblClick();
    void SpeedButtonEx20Click();
    void PlatnosciMasoweClick();
    void SpeedButtonEx23Click();
    void Uaktualnij();
    // "Konfiguracja" (menu and button): the settings dialog on its first page.
    void OpenSettings();
    // "Archiwizacja", "Dearchiwizacja" and "Przez mysql".
    void ArchiveCommand();
    void RestoreCommand();
    void SqlScriptViaClientCommand();
    QString chooseOpenFile(const QString& title, const QString& filter);

    // A command whose window comes with later work.
    void notAvailable(const QString& caption);
    QAction* addCommand(QMenu* menu, const QString& caption, std::function<void()> handler = {});
    QPushButton* sideButton(const QString& caption, std::function<void()> handler = {});

    TUserGridModel* m_userModel = nullptr;
    TViewLink* m_userLink = nullptr;
    bool m_groupCheckChanged = false;
    TUserGridDelegate* m_userDelegate = nullptr;
    QButtonGroup* m_radioGroup1 = nullptr;
    QSplitter* m_userSplitter = nullptr;
    QByteArray m_headerState;
    QList<TGripPanel*> gripPanels() const;
    QString m_columnMask1; // "KolumnyGrid1": '1' per shown subscriber column
    bool m_closed = false;
    bool m_connectedOthers = false;
    bool m_loadLayout = false; // the stored column layout fits the grid
    bool m_restoring = false;  // controls are being set from the stored state
};

extern TFormGlowny* FormGlowny;

// The main window's ApplyWorkstationSettings, when the window exists: what the
// settings dialog runs after saving.
void ApplyWorkstationSettings();

// A grid's column visibility as stored in "KolumnyGrid1"/"KolumnyGrid2": one
// character per column, '1' shown, '0' hidden; a missing character hides.
QString ColumnMask(const QTableView* grid);
void ApplyColumnMask(QTableView* grid, const QString& mask);
