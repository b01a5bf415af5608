#pragma once
// The licence agreement of this build, opened from the about box.
#include "core/FormEx.h"

class QPlainTextEdit;
class QPushButton;

class TFormUmowaLicencyjna : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormUmowaLicencyjna(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* ZamknijBtn = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

// The agreement's wording.
QString LicenceAgreementText();
