#pragma once
// "Korekta pozycji": one line of a correction, as it was (read only) and as
// it becomes. The editor puts the line into edit state, shows the dialog and
// posts or cancels afterwards.
#include "core/FormEx.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TQuery;

class TFormFvkKorygujPozycje : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormFvkKorygujPozycje(QWidget* parent = nullptr);

    // The editor's line set (current row in edit state) and its header set.
    TQuery* Lines = nullptr;
    TQuery* Header = nullptr;

    // The fields of one side of the line.
    struct TSide
    {
        QLineEdit* Nazwa = nullptr;
        QLineEdit* Ilosc = nullptr;
        QComboBox* StawkaVat = nullptr;
        QLineEdit* JednostkaMiary = nullptr;
        QLineEdit* Symbol = nullptr;
        QLineEdit* CenaBrutto = nullptr;
        QLineEdit* Rabat = nullptr;
        QLabel* CenaPoRabacie = nullptr;
    };
    TSide Przed; // "Przed korektą", read only
    TSide Po;    // "Po korekcie"
    QLabel* NumerDokumentu = nullptr;
    QToolButton* ZListyBtn = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

    // "Zapisz": the after-values into the row, then the checks; closes with OK when they pass.
    void Zapisz();

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    QWidget* buildSide(TSide& side, const QString& title, bool readOnly);
    void loadSide(TSide& side, const QString& suffix);
    void storeAfter();
    void pickService();

    bool m_okPressed = false;
};
