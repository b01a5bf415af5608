#pragma once
// The card's boxes of the subscriber's money: terms and dates, bank
// accounts, remarks, balances and the blocking offsets.
#include "mainwindow/UserGroupBox.h"

class QPlainTextEdit;

// "Rozliczenia": payment form and term, dates, company, invoicing flags.
class TUserRozliczeniaBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserRozliczeniaBox(TDbTextFactory text, QWidget* parent);
    QLabel* LabelIndywidForma = nullptr;
    QLabel* LabelFirma = nullptr;
    QLabel* LabelNaliczanie = nullptr;
    QLabel* LabelWydruk = nullptr;
};

// "Bank - numery rachunków bankowych klienta (subkonta)".
class TUserBankBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserBankBox(TDbTextFactory text, QWidget* parent);
};

// "Uwagi": the remarks, read-only.
class TUserUwagiBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserUwagiBox(TDbTextFactory text, QWidget* parent);
    QPlainTextEdit* MemoUwagi = nullptr;
};

// "Zaległości i blokady": balances and the blocking offsets.
class TUserZaleglosciBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserZaleglosciBox(TDbTextFactory text, QWidget* parent);
};
