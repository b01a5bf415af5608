#pragma once
// The signed-in operator changes the own password, phone and e-mail.
#include "core/FormEx.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TQuery;

class TFormOperatorZmienHaslo : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormOperatorZmienHaslo(QWidget* parent = nullptr);

    QLabel* Login = nullptr;
    QLineEdit* Edit3 = nullptr; // "Stare hasło"
    QLineEdit* Edit1 = nullptr; // "Nowe hasło"
    QLineEdit* Edit2 = nullptr; // "Nowe hasło (powtórzenie)"
    QLineEdit* OpTelefon = nullptr;
    QLineEdit* OpEmail = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    TQuery* dataset() const;
    void zapiszClick();
    // Phone and e-mail into the row when they changed; true when it is being edited.
    bool storeContact();

    bool m_found = false;
};
