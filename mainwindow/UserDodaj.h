#pragma once
// "Użytkownik": the modal editor of one subscriber row, in insert mode for a
// new subscriber and in edit mode through EditUser. The editor posts
// nothing itself: its caller posts after an accepted close.
#include "core/FormEx.h"
#include "mainwindow/UserDodajPola.h"

#include <QString>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class TDateTimePicker;
class TQuery;

class TFormUserDodaj : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormUserDodaj(QWidget* parent = nullptr);
    ~TFormUserDodaj() override;

    // The editor's row; the caller sets its statement, opens it and puts it
    // into insert or edit before showing the window.
    std::unique_ptr<TQuery> QUserdb;
    std::unique_ptr<TQuery> QPodmioty;

    // The tariff picker that writes the four bandwidth texts; unset, the
    // operator is told it is not available yet.
    static std::function<bool(QString texts[4])> PickTariff;

    // The control of a column of Userdb (tests and the lookup reach fields by name).
    QWidget* Control(const QString& field) const { return m_binder.Control(field); }
    QLineEdit* Edit(const QString& field) const;
    QComboBox* Combo(const QString& field) const;
    QCheckBox* Check(const QString& field) const;

    QTabWidget* PageControl1 = nullptr;
    QGroupBox* GroupDaneAdresowe = nullptr;
    QLabel* LabelNaglowek = nullptr; // "Nr:klienta" with the number and the name
    QPushButton* BitBtnZapisz = nullptr;
    QPushButton* BitBtnAnuluj = nullptr;
    QToolButton* SpeedButtonNip = nullptr;  // "Wyszukaj w KRS" of U_NIP
    QToolButton* SpeedButtonNip2 = nullptr; // "Wyszukaj w KRS" of U_NIP2
    QPushButton* ButtonGeneruj = nullptr;
    QPushButton* ButtonSprawdz = nullptr;
    QPushButton* ButtonZamien = nullptr;
    QPushButton* ButtonWklejWsp = nullptr;
    QPushButton* ButtonKopiujAdres = nullptr;
    QToolButton* ButtonPasmoPlus = nullptr;
    QToolButton* ButtonTaryfa = nullptr;
    QToolButton* ButtonGrupyPlus = nullptr;
    QToolButton* ButtonNotatka1Clear = nullptr;
    QToolButton* ButtonNotatka2Clear = nullptr;
    QToolButton* ButtonTerminarzClear = nullptr;
    QToolButton* ButtonGrupaClear[10] = {};
    QButtonGroup* RadioNaliczanie = nullptr;
    QButtonGroup* RadioWydruki = nullptr;
    TDateTimePicker* DataDodania = nullptr;
    TDateTimePicker* DataAktywacji = nullptr;
    TDateTimePicker* DataDeaktywacji = nullptr;
    TDateTimePicker* DataWykluczenia = nullptr;
    TDateTimePicker* DataTerminarza = nullptr;
    QLineEdit* PowiadamiajZKorekta = nullptr;
    QLineEdit* BlokujZKorekta = nullptr;
    QLabel* ZmiennaOpis[7] = {};

    // The bandwidth texts at show, as the change note writes them.
    QString BandwidthAtShow;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    QWidget* buildBasicTab();
    QWidget* buildExtraTab();
    QWidget* buildAddressTab();
    QGroupBox* buildAddressBox(QWidget* parent);
    QGroupBox* buildBillingBox(QWidget* parent);
    QGroupBox* buildArrearsBox(QWidget* parent);
    QGroupBox* buildInstallBox(QWidget* parent);
    QGroupBox* buildCorrespondenceBox(QWidget* parent);
    QLineEdit* text(const QString& field, QWidget* parent, int maxLength = 0);
    QComboBox* townCombo(const QString& field, QWidget* parent);
    QCheckBox* check(const QString& caption, const QString& field, QWidget* parent);
    void connectBehaviour();
    void onShow();
    void saveClick();
    void storeDates();
    void fillGroupLists();
    void fillPodmioty();
    void nipExit(const QString& field, bool duplicateCheck);
    void townExit(const QString& town, const QString& post, bool fromTown);
    void completeTowns(QComboBox* combo);
    void updatePaymentControls();
    void updateCorrections();
    void billingModeClicked(int id);
    void pasteCoordinates();
    void copyInstallAddress();
    void lookupCompany(bool subscriberNip);
    void openDefinitions(int startPage);
    int rowIndex() const;

    TFieldBinder m_binder;
    QString m_exclusionDateAtShow;
    bool m_shown = false;
};

TFormUserDodaj* FormUserDodaj();

// The editor on an existing subscriber (rights level 3): true when the
// operator saved; the row is posted, its balance recounted and the log written.
bool EditUser(int userIndex);
// The main window's new-subscriber command (rights level 4): the editor in
// insert mode, the question, the post and what follows it. True when saved.
bool AddNewUser();
