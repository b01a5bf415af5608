#pragma once
// "Import i rozliczanie płatności masowych (PM)": bank statements read into
// PlatnosciMasowe, their rows matched, posted and unposted, the subscribers'
// sub-accounts kept in order. One showing is one transaction on the shared
// session: "Zapisz" commits it, any other way of closing rolls it back.
#include "core/FormEx.h"

#include <QString>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class TQuery;
class TQueryModel;

class TFormImportPlatnosciMasowych : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormImportPlatnosciMasowych(QWidget* parent = nullptr);
    ~TFormImportPlatnosciMasowych() override;

    void UpdateUnpostedCounter();
    // Reads one file under the combo's format; the completion steps included.
    bool ImportStatementFile(const QString& fileName);

    // The widgets tests drive.
    QLineEdit* EditSciezka = nullptr;
    QComboBox* ComboFormat = nullptr;
    QCheckBox* CheckNiezaksiegowane = nullptr;
    QCheckBox* CheckObcyPrefix = nullptr;
    QCheckBox* CheckNieudane = nullptr;
    QLabel* LabelMessage = nullptr;
    QLabel* LabelCounter = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LabelImports = nullptr;
    QLabel* LabelDetails = nullptr;
    QProgressBar* Gauge = nullptr;
    QPushButton *ButtonImportuj = nullptr, *ButtonImportujWszystkie = nullptr, *ButtonZaksieguj = nullptr,
                *ButtonZaksiegujWszystkie = nullptr, *ButtonOdksieguj = nullptr, *ButtonUsun = nullptr,
                *ButtonWygeneruj = nullptr, *ButtonWygenerujPuste = nullptr, *ButtonZamien = nullptr,
                *ButtonOpcje = nullptr, *ButtonOdswiez = nullptr, *ButtonWybierz = nullptr,
                *ButtonZapisz = nullptr, *ButtonAnuluj = nullptr, *ButtonUsunImport = nullptr,
                *ButtonPokazLog = nullptr;
    QMenu* PopupMenu = nullptr;
    QTableView* GridPm = nullptr;
    QTableView* GridImports = nullptr;
    std::unique_ptr<TQuery> QPm, QImports;
    // Sort of the rows grid: field and 0 none, 1 ascending, 2 descending.
    QString SortField = QStringLiteral("PM_DATABANK");
    int SortState = 2;

    // Actions, as the buttons and the menu run them.
    void ImportOne();
    void ImportAll();
    void PostCurrent();
    void PostAll();
    void UnpostCurrent();
    void DeleteCurrent();
    void MarkCurrentByHand();
    void DeleteAllUnposted();
    void UnpostByImportDate();
    void CorrectCurrentAccount();
    void UnassignCurrent();
    void AssignUnmatched();
    void SendSmsToPayer();
    void GenerateSubAccountsAction(bool onlyEmpty);
    void FormatSubAccountsAction();
    void SwapSubAccountsAction();
    void DeleteSubAccountsAction();
    void DeleteImportAction();
    void ShowLogAction();
    void SortBy(int column);
    void Refresh();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    QWidget* buildToolBar();
    QWidget* buildFileStrip();
    QWidget* buildImportPanel();
    void buildPopup();
    void onShow();
    void onHide();
    void save();
    void openRows();
    void openImports();
    void updateImportEnabled();
    void updateDetails();
    int currentPm() const;
    bool currentPosted() const;
    bool ask(const QString& question) const;

    TQueryModel* m_pmModel = nullptr;
    TQueryModel* m_importModel = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_importPanel = nullptr;
    bool m_shown = false;
};

// The import window, created at the first opening and reused.
TFormImportPlatnosciMasowych* FormImportPlatnosciMasowych();
// Shows it modally while this workstation holds the named lock of the bank
// posting; another workstation holding it gets the lock message.
void OpenImportPlatnosciMasowych();
// Runs work while this workstation holds the bank posting's lock, released
// afterwards whatever happens; another workstation holding it gets the lock
// message and work does not run (false).
bool RunUnderPmLock(const std::function<void()>& work);
// The lock's name: DatabaseUniqueId + "pmautomat".
QString PmAutomatLockName();
// The SMS window (not built yet): unset, the operator is told so.
std::function<void(int userIndex, const QString& phone)>& PmSendSmsHook();
