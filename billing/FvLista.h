#pragma once
// "Faktury - lista": the invoices of all subscribers on the list window,
// with edit, delete, settle, print, PDF, e-mail, corrections, KSeF and the
// exports of the selection.
#include "core/ListWindow.h"

class QCheckBox;
class TDateTimePicker;

class TFormFvLista : public TListWindow
{
    Q_OBJECT
public:
    explicit TFormFvLista(QWidget* parent = nullptr);

    QCheckBox* CheckBoxPoTerminie = nullptr;
    QCheckBox* CheckBoxGlowna = nullptr;
    QCheckBox* CheckBoxGotowkowe = nullptr;
    QCheckBox* CheckBoxOffline = nullptr;
    QCheckBox* CheckBoxDuplikat = nullptr;
    TDateTimePicker* DataDuplikatu = nullptr;

    // " WHERE (1=1) AND FV_INDEX in (...) " of the invoices the filter selects.
    QString IdWhere() const;

    // The actions (buttons and menus call these).
    void Edytuj();
    void Usun();
    void Rozlicz();
    void Drukuj(bool pdf);
    void WyslijEmail();
    void Korekta(bool zero);
    void PokazKarte();
    void EksportMkrp();
    // "Koryguj wszystkie na "0"": only with Ctrl held and rights level 3.
    void KorygujWszystkieNaZero(bool ctrlHeld);

protected:
    void AfterShow() override;

private:
    void filters(TListCondition& c) const;
};

// View, key, searched columns and sort keys of the invoice list.
TListConfig FvListaConfig();

// The program's one invoice list, created on first use.
TFormFvLista* FormFvLista();
