#pragma once
// The money side of the subscriber card: the commands of "Abonament i wpłaty"
// (payments, receipts, re-settling, the invoice template) and of "Płatności
// masowe" (posting, unposting and deleting imported bank payments), and the
// colours of their grids.
#include <QObject>

class QLabel;
class QMenu;
class TFormUser;
class TSpeedButtonEx;

class TUserCardWplaty : public QObject
{
    Q_OBJECT
public:
    explicit TUserCardWplaty(TFormUser* card);

    // "Abonament i wpłaty"
    TSpeedButtonEx* SpeedButtonEx14 = nullptr; // "Dodaj"
    TSpeedButtonEx* SpeedButtonEx11 = nullptr; // "Edytuj"
    TSpeedButtonEx* SpeedButtonEx13 = nullptr; // "Usuń"
    TSpeedButtonEx* SpeedButtonEx30 = nullptr; // "Drukuj"
    TSpeedButtonEx* SpeedButtonEx22 = nullptr; // "Drukuj PDF"
    TSpeedButtonEx* SpeedButtonEx23 = nullptr; // "Wyślij wpłatę (KP) na email"
    TSpeedButtonEx* SpeedButtonEx31 = nullptr; // payment list, paper
    TSpeedButtonEx* SpeedButtonEx32 = nullptr; // payment list, PDF
    TSpeedButtonEx* SpeedButtonEx36 = nullptr; // payment list, e-mail
    TSpeedButtonEx* SpeedButtonEx37 = nullptr; // "Książeczka opłat"
    TSpeedButtonEx* SpeedButtonEx46 = nullptr; // "Ponowne ksiegowanie wpłaty"
    TSpeedButtonEx* SpeedButtonEx20 = nullptr; // template "Dodaj"
    TSpeedButtonEx* SpeedButtonEx17 = nullptr; // template "Edytuj"
    TSpeedButtonEx* SpeedButtonEx19 = nullptr; // template "Usuń"
    QLabel* LabelWplaty = nullptr;             // "Wpłaty (KP)": the sum as hint
    QMenu* PopupMenuKsiegowanie = nullptr;
    QMenu* PopupMenuListaWplat = nullptr;

    // "Płatności masowe"
    TSpeedButtonEx* SpeedButtonEx38 = nullptr; // "Zaksieguj"
    TSpeedButtonEx* SpeedButtonEx42 = nullptr; // "Zaksięguj wszytkie"
    TSpeedButtonEx* SpeedButtonEx43 = nullptr; // "Odksięguj"
    TSpeedButtonEx* SpeedButtonEx39 = nullptr; // "Usuń"

    // The tab "Abonament i wpłaty" shown: the sum label's hint.
    void PaymentsTabShown();
    // The current template item recomputed from its gross price and stored.
    void RecalcTemplateItem();

    // Commands (public for the menus and the tests).
    void AddPayment();
    void EditPayment();
    void DeletePayment();
    void PrintReceipt(bool pdf);
    void EmailReceipt();
    void ResettleCurrent();
    void ResettleAll();
    void AddTemplateItem();
    void EditTemplateItem();
    void DeleteTemplateItem();
    void PostPm();
    void PostAllPm();
    void UnpostPm();
    void DeletePm();

private:
    void buildPayments();
    void buildBulkPayments();
    void styleGrids();
    void editTemplateItem(bool add);
    int currentPayment() const;
    int currentPm() const;
    QString customerNumber() const;
    void refreshPayments();
    void refreshPm();

    TFormUser* m_card;
    int m_listMode = 1;
};
