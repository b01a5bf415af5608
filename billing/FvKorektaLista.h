#pragma once
// "Korekty - lista": the corrective invoices of all subscribers on the list
// window: edit, delete, settle, print, PDF, e-mail, KSeF, the re-settle run
// over the selection and the buyer-data XML.
#include "core/ListWindow.h"

class QCheckBox;
class QLabel;
class QToolButton;

class TFormFvKorektaLista : public TListWindow
{
    Q_OBJECT
public:
    explicit TFormFvKorektaLista(QWidget* parent = nullptr);

    QCheckBox* CheckBoxPoTerminie = nullptr;
    QCheckBox* CheckBoxOffline = nullptr;
    QLabel* LabelKorekty = nullptr; // title: a click writes the buyer-data XML
    QToolButton* Navigator[4] = {}; // first, prior, next, last

    void Edytuj();
    void Usun();
    void Rozlicz();
    // Double click on the totals line: every listed correction settled again, one transaction each.
    void RozliczPonownieWszystkie();

protected:
    void AfterShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filters(TListCondition& c) const;
};

TListConfig FvKorektaListaConfig();
TFormFvKorektaLista* FormFvKorektaLista();

// The correction actions the list and the subscriber's window share.
void SettleCorrection(int fvkIndex, int user);
void EmailCorrection(int fvkIndex, const QString& number, const QString& address, int user);
