#pragma once
// Add/edit dialog of one operator: works on the current row of the dataset
// the list hands it (inserted or being edited); the list posts or cancels.
#include "core/FormEx.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TQuery;

class TFormOperatorDodaj : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormOperatorDodaj(QWidget* parent = nullptr);

    // The dataset whose current row is edited; Data->QOperator when not set.
    TQuery* Operators = nullptr;

    QLineEdit* OpLogin = nullptr;
    QCheckBox* OpAktywny = nullptr;
    QLineEdit* OpNazwisko = nullptr;
    QLineEdit* OpImie = nullptr;
    QLineEdit* OpTelefon = nullptr;
    QLineEdit* OpOpis = nullptr;
    QLineEdit* OpEmail = nullptr;
    QComboBox* OpPoziom = nullptr;
    QCheckBox* OpStatystyki = nullptr;
    QLabel* DomyslneHaslo = nullptr;
    QPushButton* ResetBtn = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    TQuery* dataset() const;
    // Widgets into the row's fields; only what the operator could change.
    void storeFields();
    void resetClick();
    void zapiszClick();

    QString m_activeAtShow;
    int m_levelIndexAtShow = -1;
    bool m_statsAtShow = false;
};
