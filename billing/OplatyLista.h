#pragma once
// "Opłaty - lista": the payments received from all subscribers on the list
// window: edit, delete, the cash receipt, the summary printout and the
// MT940 export of the listed payments.
#include "core/ListWindow.h"

#include <QDateTime>

class QCheckBox;
class QComboBox;
class QPushButton;

class TFormOplatyLista : public TListWindow
{
    Q_OBJECT
public:
    explicit TFormOplatyLista(QWidget* parent = nullptr);

    QCheckBox* CheckBoxGotowkowe = nullptr;
    QCheckBox* CheckBoxOperator = nullptr; // unlabelled: the operator drop-down applies
    QComboBox* ComboOperator = nullptr;
    QCheckBox* CheckBoxDataWplaty = nullptr; // "Według daty wpłaty"
    QCheckBox* CheckBoxGlowna = nullptr;
    QPushButton* DzisiejszeBtn = nullptr;

    void Edytuj();
    void Usun();
    void DrukujKP(bool pdf);
    // "Drukuj listę" / its PDF button: the payments summary.
    void DrukujListe(bool pdf);
    // Fills the summary form from the list (totals, range, date column, statement).
    void FillPaymentsSummary();
    // Writes the MT940 file of the listed payments; returns its path.
    QString ExportPaymentsMt940(const QDateTime& now = QDateTime::currentDateTime());

protected:
    void AfterShow() override;

private:
    void filters(TListCondition& c) const;
};

TListConfig OplatyListaConfig();
TFormOplatyLista* FormOplatyLista();
