#pragma once
// "KSeF Pobrane - Edycja": the operator's flags and note of one received invoice.
#include "core/FormEx.h"

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TQuery;

class TFormKsefPobraneEdycja : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormKsefPobraneEdycja(QWidget* parent = nullptr);
    ~TFormKsefPobraneEdycja() override;

    // FV_INDEX of the row edited (set by the list before showing).
    int Index = 0;

    QLabel* LabelNumer = nullptr;
    QLineEdit* EditUwagi = nullptr;
    QCheckBox* CheckKosztowa = nullptr;
    QCheckBox* CheckZaplacona = nullptr;
    QCheckBox* CheckZaksiegowana = nullptr;
    QCheckBox* CheckZaznaczona = nullptr;
    QCheckBox* CheckArchiwalna = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;
    TQuery* Query() const { return m_query.get(); }

    void Zapisz();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    std::unique_ptr<TQuery> m_query;
};

TFormKsefPobraneEdycja* FormKsefPobraneEdycja();
