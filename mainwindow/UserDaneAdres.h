#pragma once
// The card's boxes of who and where the subscriber is: name and address,
// contact data, the installation and correspondence addresses, coordinates.
#include "mainwindow/UserGroupBox.h"

class TThemedPanel;

// "Nazwa": names, address, client number, TERYT.
class TUserNazwaBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserNazwaBox(TDbTextFactory text, QWidget* parent);
    QToolButton* ImageAdres = nullptr;
    TThemedPanel* PanelTeryt = nullptr;
};

// "Dane teleadresowe": identity numbers, GG, telephones, e-mail.
class TUserTeleadresBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserTeleadresBox(TDbTextFactory text, QWidget* parent);
    QToolButton* ImageGg = nullptr;
};

// "Dane dodatkowe": installation and correspondence addresses.
class TUserDodatkoweBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserDodatkoweBox(TDbTextFactory text, QWidget* parent);
    QLabel* LabelInnaLokalizacja = nullptr;
    QLabel* LabelAdresKoresp = nullptr;
    QToolButton* ImageLokalizacja = nullptr;
    QToolButton* ImageKoresp = nullptr;
};

// "Geolokalizacja": latitude and longitude.
class TUserGeolokalizacjaBox : public TUserGroupBox
{
    Q_OBJECT
public:
    TUserGeolokalizacjaBox(TDbTextFactory text, QWidget* parent);
    QToolButton* ImageWspolrzedne = nullptr;
};
