#pragma once
// "Polecenia zapłaty - lista": the payment demands of all subscribers on the
// list window: edit, delete, settle, print, PDF and e-mail.
#include "core/ListWindow.h"

class QCheckBox;

class TFormPzLista : public TListWindow
{
    Q_OBJECT
public:
    explicit TFormPzLista(QWidget* parent = nullptr);

    QCheckBox* CheckBoxPoTerminie = nullptr;
    QCheckBox* CheckBoxGlowna = nullptr;
    QCheckBox* CheckBoxGotowkowe = nullptr;

    void Edytuj();
    void Usun();
    void Rozlicz();
    void Drukuj(bool pdf);
    void WyslijEmail();

private:
    void filters(TListCondition& c) const;
};

TListConfig PzListaConfig();
TFormPzLista* FormPzLista();

// The demand actions the list and the per-subscriber window share.
void EditDemandFromList(int pzIndex, int user);
// The e-mail of one demand: file P_<number>.pdf through the PDF printer.
void EmailDemand(int pzIndex, const QString& number, const QString& address, int user, int firstWaitMs,
                 int secondWaitMs);
void SettleDemand(int pzIndex, int user);
