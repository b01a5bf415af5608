#pragma once
// The timing log of this connection (table LogTemp), newest first.
#include "core/FormEx.h"

class QLabel;
class QPushButton;
class QTableView;
class TQuery;
class TQueryModel;

class TFormLogTemp : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormLogTemp(QWidget* parent = nullptr);
    ~TFormLogTemp() override;

    QLabel* Label1 = nullptr;
    QPushButton* ButtonOdswiez = nullptr;
    QPushButton* ButtonTest = nullptr;
    QTableView* DBGrid1 = nullptr;
    TQuery* QLogTemp = nullptr;
    TQueryModel* Model = nullptr;

    // The archiver test: packs ArchiveFolder + "test.txt" into the archive
    // folder while the window stays alive. True when the archive was written.
    bool RunArchiverTest();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
};

extern TFormLogTemp* FormLogTemp;
