#pragma once
// "Faktury użytkownika": one subscriber's invoices (above) and corrections
// (below) with the list actions, new documents, the payment call and
// interest notes. Not a pattern list: no search, filters or sort.
#include "core/FormEx.h"

#include <memory>

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolButton;
class TDateTimePicker;
class TUserDokumentyPanel;

class TFormFvUser : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormFvUser(QWidget* parent = nullptr);
    ~TFormFvUser() override;

    // The subscriber; 0 = the one under the main grid's cursor. Back to 0 on hide.
    int UserIndex = 0;

    std::unique_ptr<TUserDokumentyPanel> Faktury, Korekty;
    QLabel* StatusLabel = nullptr;
    QCheckBox* CheckBoxDuplikat = nullptr;
    TDateTimePicker* DataDuplikatu = nullptr;
    QSplitter* Splitter = nullptr;
    QPushButton* OkBtn = nullptr;

    // Invoice actions.
    void DodajFakture();
    void EdytujFakture();
    void UsunFakture();
    void RozliczFakture();
    void WyslijFakture();
    void Korekta(bool zero);
    // Correction actions (C1 to C6).
    void DodajKorekte();
    void EdytujKorekte();
    void UsunKorekte();
    void RozliczKorekte();
    void WyslijKorekte();
    void Wezwanie();
    void NotaOdsetkowa();
    void RereadAll();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void buildInvoiceButtons();
    void buildCorrectionButtons();
    QString userEmail() const;
};

TFormFvUser* FormFvUser();
// Shows one subscriber's invoices modally (0: the main grid's subscriber).
void ShowFvUser(int userIndex);
