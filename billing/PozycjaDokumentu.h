#pragma once
// What the invoice and payment demand line dialogs share: the fields of one
// document line, their typing rules, the price after the discount and the
// checks on "Zapisz". The opener puts the line into insert or edit state,
// sets the caption and posts or cancels after the dialog closes.
#include "core/FormEx.h"

#include <QObject>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TQuery;

// Typing rules of the dialogs' fields, installed as an event filter.
class TFieldKeyFilter : public QObject
{
    Q_OBJECT
public:
    enum class Mode
    {
        EnterMovesOn, // any text; Enter moves to the next field
        Digits,       // "0"-"9" and backspace; others dropped with a sound
        Unsigned,     // "0"-"9", "," and backspace; others dropped with a sound
        Signed,       // the same and "-"
        NoTyping,     // a list: no typing, Enter moves on, arrows choose
        NoKeys        // a list that takes no key at all
    };
    TFieldKeyFilter(QWidget* field, Mode mode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Mode m_mode;
    bool m_passing = false;
};

class TFormPozycjaDokumentu : public TFormEx
{
    Q_OBJECT
public:
    // The opener's line set (current row in insert or edit state) and its header set.
    TQuery* Lines = nullptr;
    TQuery* Header = nullptr;

    QLabel* Naglowek = nullptr;
    QLabel* NumerDokumentu = nullptr;
    QLineEdit* Nazwa = nullptr;
    QToolButton* ZListyBtn = nullptr;
    QLineEdit* Ilosc = nullptr;
    QComboBox* StawkaVat = nullptr; // invoice lines only
    QLineEdit* Rabat = nullptr;
    QLineEdit* CenaBrutto = nullptr;
    QLineEdit* JednostkaMiary = nullptr;
    QLineEdit* Symbol = nullptr;
    QComboBox* KodGtu = nullptr; // invoice lines only
    QLabel* CenaPoRabacie = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

    // "Zapisz": the fields into the row, then the checks; closes with OK when they pass.
    void Zapisz();

protected:
    // prefix "FVP_" or "PZP_"; kind of the service picker 'F' or 'P'.
    TFormPozycjaDokumentu(const QString& prefix, char pickerKind, bool withRateAndGtu, QWidget* parent);
    void showEvent(QShowEvent* e) override;
    void done(int r) override;
    // The number shown after "Pozycja faktury".
    virtual QString documentNumberText() const = 0;

private:
    void buildUi(bool withRateAndGtu);
    QString field(const char* name) const;
    void loadFields();
    void storeFields();
    void updatePriceAfterDiscount();
    void pickService();

    QString m_prefix;
    char m_pickerKind;
    bool m_okPressed = false;
};
