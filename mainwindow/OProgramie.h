#pragma once
// The about box of the help menu: version, the maker's notice and web
// address, what the program works with, and the licence agreement.
#include "core/FormEx.h"

class QLabel;
class QPushButton;

// The maker's texts supplied with this build.
extern const QString MakerNotice;
extern const QString MakerWebAddress;

class TFormOProgramie : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormOProgramie(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr; // version
    QLabel* Label2 = nullptr; // maker's notice
    QLabel* Label3 = nullptr; // web address, opens on a click
    QPushButton* LicencjaBtn = nullptr;
    QPushButton* ZamknijBtn = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
};

// Opens the about box modally (created once).
void ShowOProgramie();
