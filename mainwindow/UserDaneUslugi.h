#pragma once
// The card's boxes of the subscriber's services: bandwidth, authorization,
// groups and the service flags.
#include "mainwindow/UserGroupBox.h"

// "Pasmo (bit/s)": day and night speeds.
class TUserPasmoBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserPasmoBox(TDbTextFactory text, QWidget* parent);
};

// "Autoryzacja": login and password; the title tells whether they are printed.
class TUserAutoryzacjaBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserAutoryzacjaBox(TDbTextFactory text, QWidget* parent);
};

// "Grupy": the subscriber's groups in one line.
class TUserGrupyBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserGrupyBox(TDbTextFactory text, QWidget* parent);
};

// "Usługi": one coloured flag per service and the TAURON BSA marker.
class TUserUslugiBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserUslugiBox(TDbTextFactory text, QWidget* parent);
    QLabel* PanelInt = nullptr;
    QLabel* PanelTv = nullptr;
    QLabel* PanelTel = nullptr;
    QLabel* PanelRd = nullptr;
    QToolButton* ImageTauronBsa = nullptr;
};
