#pragma once
// "Zmienne tekstowe": the list of text variables a template of one kind may
// use; the chosen token goes to the clipboard, from which the calling editor
// pastes it.
#include "core/FormEx.h"

#include <QString>
#include <memory>

class QLabel;
class QPushButton;
class QTableView;
class TQuery;
class TQueryModel;

class TFormZmienneTekstowe : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormZmienneTekstowe(QWidget* parent = nullptr);
    ~TFormZmienneTekstowe() override;

    // "User", "Umowa", "Mac" or "Skrypty"; every caller sets it before showing.
    QString Kind = QStringLiteral("User");

    // Shows the list for the kind; true and the token (also on the clipboard)
    // when the operator chose one.
    static bool Pick(const QString& kind, QString* token);

    QLabel* DBText1 = nullptr; // the current token above the list
    QTableView* DBGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Wstaw"
    QPushButton* BitBtn2 = nullptr; // "Anuluj"
    std::unique_ptr<TQuery> QZmienne;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    void insertClick();
    void showCurrent();

    TQueryModel* m_model = nullptr;
};

TFormZmienneTekstowe* FormZmienneTekstowe();
