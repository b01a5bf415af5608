#pragma once
// "KSeF Pobrane": the purchase invoices received from KSeF on the list window,
// for one company: fetching them, their export packages, the official page of
// one, the operator's flags and note, deletion and the printed list.
#include "core/ListWindow.h"

#include <QDateTime>
#include <functional>

class QComboBox;
class QLabel;
class QMenu;

class TFormKsefPobrane : public TListWindow
{
    Q_OBJECT
public:
    explicit TFormKsefPobrane(QWidget* parent = nullptr);

    QComboBox* ComboPodmiot = nullptr;
    QCheckBox* CheckArchiwalne = nullptr;
    QLabel* LabelKsef = nullptr;
    QPushButton* PobierzBtn = nullptr;
    QPushButton* PaczkaBtn = nullptr;
    QPushButton* DrukujListeBtn = nullptr;
    QMenu* PopupMenu1 = nullptr;

    // The moment of a fetch (tests set it); now when unset.
    static std::function<QDateTime()> Now;

    int CompanyId() const;
    void Pobierz();
    void PaczkaXml();
    void Drukuj();
    void Edytuj();
    void Usun();
    void DrukujListe();
    // "Od daty ... do daty ..." of the printed list.
    QString PeriodText() const;

protected:
    void showEvent(QShowEvent* e) override;
    void AfterShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filters(TListCondition& c) const;
    void buildPopup();
    QPushButton* addPlainButton(const QString& caption, const std::function<void()>& action);
};

TListConfig KsefPobraneConfig();
TFormKsefPobrane* FormKsefPobrane();
