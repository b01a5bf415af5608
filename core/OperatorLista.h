#pragma once
// The operator list: add, edit and delete operators on Data->QOperator.
#include "core/FormEx.h"

class QPushButton;
class QTableView;
class TFormOperatorDodaj;
class TQuery;
class TQueryModel;

class TFormOperatorLista : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormOperatorLista(QWidget* parent = nullptr);

    QTableView* DBGrid3 = nullptr;
    QPushButton* DodajBtn = nullptr;
    QPushButton* EdytujBtn = nullptr;
    QPushButton* UsunBtn = nullptr;
    QPushButton* RefreshBtn = nullptr;

    // Created on first use.
    TFormOperatorDodaj* FormOperatorDodaj = nullptr;
    TFormOperatorDodaj* Editor();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    TQuery* dataset() const;
    // Shows the editor on the row being inserted or edited; OK posts, anything else cancels.
    void runEditor();
    void dodajClick();
    void edytujClick();
    void usunClick();

    TQueryModel* m_model = nullptr;
};

// The grid's colours of one operator row: text for 'N' and 'U', background for 'A'.
struct TOperatorRowColours
{
    unsigned Text = 0;       // 0xRRGGBB; 0 = the grid's own
    unsigned Background = 0; // 0xRRGGBB; 0 = the grid's own
};
TOperatorRowColours OperatorRowColours(const QString& active, int rightsLevel);
