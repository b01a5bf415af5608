#pragma once
// "Rozlicz dokument": how much of one open invoice, correction or payment
// demand is paid now, on which date and by which payment form. The dialog
// writes nothing; its caller pays the document (PayDocument) when Amount is
// above 0.
#include "core/Amount4.h"
#include "core/FormEx.h"

#include <QDate>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDateTimePicker;

// What the dialog shows of one document.
struct TSettleDocumentInfo
{
    bool found = false;
    QString caption; // "Faktura " + number text, ...
    Amount4 openAmount;
    QString paymentForm;
    QDate issueDate;
};
// The document of kind "F", "K" or "P".
TSettleDocumentInfo ReadSettleDocument(const QString& kind, int docIndex);

// The amount typed on "Zapisz": 0 after a refusal, each refusal told through
// `tell` (the three texts of the dialog, blanks included).
Amount4 CheckSettleAmount(const QString& typed, Amount4 maxSettleAmount,
                          const std::function<void(const QString&)>& tell);

class TFormRozliczDokumentKwota : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormRozliczDokumentKwota(QWidget* parent = nullptr);

    // Set by the caller.
    QString DocKind;
    int DocIndex = 0;
    // Read by the caller after OK.
    Amount4 MaxSettleAmount;
    Amount4 Amount;
    QString SettleDate;
    QString PaymentForm;

    QLabel* Naglowek = nullptr;
    QLineEdit* Kwota = nullptr;
    TDateTimePicker* DataRozliczenia = nullptr;
    QComboBox* FormaPlatnosci = nullptr;
    QPushButton* ZapiszBtn = nullptr;
    QPushButton* AnulujBtn = nullptr;

    // "Zapisz": the refusals only make the amount 0; the dialog closes with OK.
    void Zapisz();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
};

// The one dialog of the program, created at first use.
TFormRozliczDokumentKwota* FormRozliczDokumentKwota();
