#pragma once
// "Dodaj usługę z listy": picks one service of the catalogue and copies it
// into the row the calling dialog is filling.
#include "core/FormEx.h"

#include <QString>
#include <functional>

class QGroupBox;
class QPushButton;
class QTableView;
class TQuery;
class TQueryModel;

class TFormDodajUslugeZListy : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormDodajUslugeZListy(QWidget* parent = nullptr);

    // "F" invoice line, "P" payment demand line, "S" template item, "K" correction line.
    QString TargetKind;
    // The row being filled (in insert or edit state) and, for "S", its subscriber.
    TQuery* Target = nullptr;
    int TargetUserIndex = 0;

    // Shows the dictionaries window on the service catalogue ("+"); the main
    // window installs it.
    static std::function<void()> ShowServiceCatalogue;

    QGroupBox* Uslugi = nullptr;
    QTableView* DBGrid1 = nullptr;
    QPushButton* DodajBtn = nullptr;
    QPushButton* OkBtn = nullptr;

    // "OK" / a double click: copies the current service and closes; nothing on
    // an empty catalogue.
    void Choose();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    void addClick();
    TQuery* services() const;

    TQueryModel* m_model = nullptr;
};

// The one picker of the program, created at first use.
TFormDodajUslugeZListy* FormDodajUslugeZListy();
