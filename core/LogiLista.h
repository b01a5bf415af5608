#pragma once
// The activity log browser: search, date and "skip system rows" filters over table Log.
#include "core/DedicatedSession.h"
#include "core/FormEx.h"

#include <QDate>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class TDateTimePicker;
class TQuery;
class TQueryModel;

// The filters of the list; Date invalid = no date filter.
struct TLogListFilter
{
    bool SkipSystem = false;
    QString SearchText;
    QDate Date;
};

// The list's SQL with its bound values: the search text matches the formatted
// date, the text and the operator's names, its LIKE wildcards taken literally.
QString LogListSql(const TLogListFilter& filter, TArgs& args);

class TFormLogiLista : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormLogiLista(QWidget* parent = nullptr);
    ~TFormLogiLista() override;

    QLineEdit* Edit1 = nullptr;
    QToolButton* SpeedButtonWyczysc = nullptr;
    TDateTimePicker* DateTimePicker1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* ButtonOdswiez = nullptr;
    QTableView* DBGrid1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Szukaj1 = nullptr;
    QTimer* TimerSzukaj = nullptr;
    TQuery* QLog = nullptr;
    TQueryModel* Model = nullptr;

    // The filters as the controls hold them now.
    TLogListFilter CurrentFilter() const;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    void reread();
    void filterChanged();
};

extern TFormLogiLista* FormLogiLista;
