#pragma once
// What the service line editors share: the fields of one service line, their
// typing rules and the price after the discount. The invoice and payment
// demand line dialogs add the checks on "Zapisz"; their opener puts the line
// into insert or edit state, sets the caption and posts or cancels after the
// dialog closes. A subscriber's template item dialog builds on the same fields.
#include "core/Amount4.h"
#include "core/FormEx.h"

#include <QObject>
#include <QString>

class QComboBox;
class QFont;
class QGridLayout;
class QHBoxLayout;
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

// The fields of one service line. The columns are the same in every line
// table but for their prefix ("FVP_", "PZP_", "UFV_").
struct TServiceLineFields
{
    QLineEdit* Nazwa = nullptr;
    QToolButton* ZListyBtn = nullptr;
    QLineEdit* Ilosc = nullptr;
    QComboBox* StawkaVat = nullptr; // not on payment demand lines
    QLineEdit* Rabat = nullptr;
    QLineEdit* CenaBrutto = nullptr;
    QLineEdit* JednostkaMiary = nullptr;
    QLineEdit* Symbol = nullptr;
    QComboBox* KodGtu = nullptr; // not on payment demand lines
    QLabel* CenaPoRabacie = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

protected:
    // The fields and the two buttons; the rate and GTU lists only when asked.
    void makeLineFields(QWidget* owner, int nameWidth, bool withRateAndGtu, const QFont& bold);
    // "Nazwa", "Ilość" and "Jednostka miary", "Cena brutto" and "Symbol",
    // "Rabat"; returns the row of "Rabat", whose right half is left free.
    int layOutLineFields(QWidget* owner, QGridLayout* grid) const;
    QHBoxLayout* saveCancelRow() const;
    void loadLineFields(TQuery* q, const QString& prefix);
    void storeLineFields(TQuery* q, const QString& prefix) const;
    Amount4 priceAfterDiscount() const;
    // A discount outside 0..100 is brought back into it when the field is left.
    void clampDiscount();
};

// The bold, slightly larger font of the dialogs' headings.
QFont HeadingFont(QFont base);

class TFormPozycjaDokumentu : public TFormEx, public TServiceLineFields
{
    Q_OBJECT
public:
    // The opener's line set (current row in insert or edit state) and its header set.
    TQuery* Lines = nullptr;
    TQuery* Header = nullptr;

    QLabel* Naglowek = nullptr;
    QLabel* NumerDokumentu = nullptr;

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
    void loadFields();
    void pickService();

    QString m_prefix;
    char m_pickerKind;
    bool m_okPressed = false;
};
