#pragma once
// The main window's "Infrastruktura" tab: the device grid DBGrid2 over the
// shared QInfra with its search box, group and node lists and filters. The
// SQL comes from BuildInfraQuery; the tab only reads its controls.
#include "mainwindow/GlownyInfraQuery.h"

#include <QWidget>
#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class QTreeWidget;
class TQuery;
class TUserGridModel;
class TViewLink;

class TGlownyInfraTab : public QWidget
{
    Q_OBJECT
public:
    explicit TGlownyInfraTab(QWidget* parent = nullptr);
    ~TGlownyInfraTab() override;

    TInfraSort InfraSort;
    TInfraFilter CurrentInfraFilter() const;
    // QInfra's BeforeOpen: the statement from the controls.
    void BuildInfraQuery(TQuery& query);
    // Re-reads the grid keeping the current device.
    void RefreshInfra();
    void WczytajSortowanieInfra();
    void WczytajSortowanieWezly();
    void TitleClick(int column);
    // Binds the grid to QInfra and opens it (the main window's show).
    void AttachGrid();
    // Fills the group and node lists and opens the grid.
    void Start();

    QTableView* DBGrid2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* CheckBox9 = nullptr;         // "Wyklucz frazę"
    QToolButton* SpeedButtonEx14 = nullptr; // clear search
    QPushButton* SpeedButtonEx11 = nullptr; // "Edytuj"
    QTreeWidget* GrupyInfraListView = nullptr;
    QTreeWidget* WezlyListView = nullptr;
    QButtonGroup* RadioGroup2 = nullptr;
    QCheckBox *CheckBox3 = nullptr, *CheckBox4 = nullptr, *CheckBox11 = nullptr, *CheckBox15 = nullptr,
              *CheckBox17 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QTimer* TimerSzukajInfra = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* PokazStatusOlt = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* buildFilterPanel();
    QTreeWidget* buildList(const QString& name, const QString& caption);
    void connectControls();
    void guarded(const std::function<void()>& handler);
    void edit2Change();
    void listClick(QTreeWidget* list);
    void listColumnClick(QTreeWidget* list);
    void setChecks(QTreeWidget* list, int mode); // 0 all, 1 none, 2 invert
    void colourList(QTreeWidget* list);
    void fillList(QTreeWidget* list, const QString& sql, const TArgs& args = {});
    bool gridKeyPress(QKeyEvent* e);
    void editDevice();

    TUserGridModel* m_model = nullptr;
    TViewLink* m_link = nullptr;
    bool m_restoring = false;
};
