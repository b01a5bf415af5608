#pragma once
// The settings dialog: company data, numbering and printing, mail and SMS,
// portal, monitoring and router defaults, external tools, pictures and the
// KSeF certificates. Everything it changes from show to close is one
// transaction of the shared session: "Zapisz" commits, any other close rolls
// back, files stored or removed by its buttons included.
#include "core/FormEx.h"

#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableView;
class TKonfFields;
class TKonfRouterPage;
class TTransactionGuard;

class TFormKonfiguracja : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormKonfiguracja(QWidget* parent = nullptr);
    ~TFormKonfiguracja() override;

    // The page shown first; back to 0 after every close.
    int StartPage = 0;

    // The SMS gateway's balance (GetSmsGatewayBalance); an empty text or an
    // error reads "Błąd połączenia z bramką SMS", as does an unset hook.
    static std::function<QString()> SmsGatewayBalance;
    // The file dialog: the filter in, the chosen path out (empty: cancelled).
    static std::function<QString(const QString& filter)> ChooseFile;

    QTabWidget* PageControl1 = nullptr;
    QPushButton* OkBtn = nullptr;   // "Zapisz"
    QPushButton* BitBtn1 = nullptr; // "Anuluj"
    QListWidget* LVKolumnyGrid1 = nullptr;
    QListWidget* LVKolumnyGrid2 = nullptr;
    QLabel* Label144 = nullptr; // "ID Stanowiska: "
    QLabel* Label152 = nullptr; // the connection line
    QLabel* Label164 = nullptr; // SMS balance
    QLabel* Image1 = nullptr;   // logo
    QLabel* Image6 = nullptr;   // banner
    QLineEdit* WinboxPath = nullptr;
    QLineEdit* PuttyPath = nullptr;
    QLineEdit* DowolnyPlikPath = nullptr;
    QPushButton* TestBtn = nullptr; // test e-mail
    TKonfFields* Fields = nullptr;
    TKonfRouterPage* IntruxPage = nullptr;
    TKonfRouterPage* MikrotikPage = nullptr;
    // Presence icons of CrtOnline.crt, KeyOnline.key, CrtOffline.crt, KeyOffline.key.
    QLabel* KsefIcon[4] = {};

    // What the file buttons do once a file was chosen (or removed).
    void StoreProgramFile(const QString& storedName, const QString& path);
    void RemoveProgramFile(const QString& storedName);
    void StoreUserFile(const QString& path);
    void RemoveUserFile();
    void StorePicture(const QString& storedName, const QString& path);
    void RemovePicture(const QString& storedName);
    void StoreKsefFile(int which, const QString& path);
    void RemoveKsefFile(int which);
    void SendTestEmail();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    QWidget* buildPage(int page);
    QWidget* buildColumnLists(QWidget* parent);
    QWidget* buildPictures(QWidget* parent);
    QList<QWidget*> rowExtras(const QString& key, QWidget* parent);
    void formShow();
    void okClick();
    void fillColumnList(QListWidget* list, QTableView* grid, bool subscriberGrid);
    void showPicture(const QString& storedName);
    void refreshKsefIcons();
    void numeracjaChanged();
    void pocztaModeChanged();
    void smsPageShown();
    QString chooseFile(const QString& filter) const;

    std::unique_ptr<TTransactionGuard> m_transaction;
};

// The dialog, created once.
TFormKonfiguracja* FormKonfiguracja();
// Opens it on a page; true when "Zapisz" saved.
bool ShowKonfiguracja(int startPage);
// Whether the seller has no name yet (U_Nazwa1 and U_Nazwa2 together under 5
// characters): the main window then opens the dialog on "Dane firmy".
bool CompanyNameMissing();

// The four KSeF files in the file store, with the settings naming them.
inline constexpr const char* KsefStoredFiles[4] = {"CrtOnline.crt", "KeyOnline.key", "CrtOffline.crt",
                                                   "KeyOffline.key"};
