#pragma once
// The template item dialog: one recurring item of a subscriber. The subscriber
// card selects the subscriber and the item into the dialog's own sets, inserts
// or edits the item, shows the dialog, and posts (OK) or cancels afterwards.
#include "billing/PozycjaDokumentu.h"
#include "core/FormEx.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TDateTimePicker;
class TQuery;

class TFormUserFvDodajPozycje : public TFormEx, public TServiceLineFields
{
    Q_OBJECT
public:
    explicit TFormUserFvDodajPozycje(QWidget* parent = nullptr);
    ~TFormUserFvDodajPozycje() override;

    // The subscriber ("SELECT vUserdb.* FROM vUserdb where U_INDEX=...") and
    // the item ("select * from UserFvPozycje where UFV_INDEX=..."); the item
    // set is live and fills a new row with the item defaults.
    TQuery* QUser() const { return m_user.get(); }
    TQuery* QItem() const { return m_item.get(); }

    QLabel* Uzytkownik = nullptr;
    TDateTimePicker* AktywnaOd = nullptr;
    TDateTimePicker* AktywnaDo = nullptr;
    QCheckBox* Zawieszona = nullptr;
    QCheckBox* Jednorazowa = nullptr;
    QLineEdit* Opis = nullptr;
    QComboBox* GrupaUslug = nullptr;
    QLineEdit* KosztBrutto = nullptr;
    QLabel* CenaPoKosztach = nullptr;

    void Zapisz();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    void loadFields();
    void storeFields();
    void updatePrices();
    void pickService();
    int userIndex() const;

    std::unique_ptr<TQuery> m_user;
    std::unique_ptr<TQuery> m_item;
};
