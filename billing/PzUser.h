#pragma once
// "Polecenia zapłaty użytkownika": one subscriber's payment demands with
// new, edit, delete, settle, print, PDF and e-mail.
#include "core/FormEx.h"

#include <memory>

class QLabel;
class QPushButton;
class TUserDokumentyPanel;

class TFormPzUser : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormPzUser(QWidget* parent = nullptr);
    ~TFormPzUser() override;

    // The subscriber; 0 = the one under the main grid's cursor. Back to 0 on hide.
    int UserIndex = 0;

    std::unique_ptr<TUserDokumentyPanel> Polecenia;
    QLabel* StatusLabel = nullptr;
    QPushButton* OkBtn = nullptr;

    void Dodaj();
    void Edytuj();
    void Usun();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

TFormPzUser* FormPzUser();
void ShowPzUser(int userIndex);
