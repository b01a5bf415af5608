#include "billing/ListyOkna.h"

#include "billing/FvKorektaDane.h"
#include "billing/FvKorektaWystaw.h"
#include "billing/FvWystaw.h"
#include "billing/FvWystawDane.h"
#include "billing/ListyAkcje.h"
#include "billing/PzWystaw.h"
#include "billing/PzWystawDane.h"
#include "billing/RozliczDokumentKwota.h"
#include "core/DialogPL.h"

#include <QDialog>

namespace {

bool Refused(const QString& refusal)
{
    if (refusal.isEmpty()) return false;
    TMD::MessageDlg(refusal, mtWarning, mbOK);
    return true;
}

bool RunEditor(char kind, int key, int user, const QString& caption)
{
    if (kind == 'F') {
        TFormFvWystaw* form = FormFvWystaw();
        form->Dane().SelectInvoice(key);
        form->setWindowTitle(caption);
        form->Dane().EditHeader();
        return form->exec() == QDialog::Accepted;
    }
    if (kind == 'K') {
        TFormFvKorektaWystaw* form = FormFvKorektaWystaw();
        form->Dane().SelectCorrection(key, user);
        form->setWindowTitle(caption);
        form->Dane().EditHeader();
        return form->exec() == QDialog::Accepted;
    }
    TFormPzWystaw* form = FormPzWystaw();
    form->Dane().SelectDemand(key);
    form->setWindowTitle(caption);
    form->Dane().EditHeader();
    return form->exec() == QDialog::Accepted;
}

QString EditLogText(char kind)
{
    return kind == 'F'   ? QStringLiteral("Edycja faktury ID=")
           : kind == 'K' ? QStringLiteral("Wystawienie korekty ID=")
                         : QStringLiteral("Edycja polecenia zapłaty ID=");
}

} // namespace

bool EditListedDocumentWindow(char kind, int key, int user, const QString& caption)
{
    if (key <= 0 || Refused(DocumentEditRefusal(kind, key))) return false;
    return EditListedDocument(
        kind, key, user, [&] { return RunEditor(kind, key, user, caption); }, EditLogText(kind));
}

bool DeleteListedDocumentWindow(char kind, int key, int user, const QString& question, const QString& logText)
{
    if (key <= 0 || Refused(DocumentDeleteRefusal(kind, key))) return false;
    if (TMD::MessageDlg(question, mtConfirmation, mbYes | mbNo) != mrYes) return false;
    if (DeleteListedDocument(kind, key, user, logText)) return true;
    TMD::MessageDlg(QStringLiteral("Błąd podczas próby usunięcia dokumentu"), mtError, mbOK);
    return false;
}

void SettleListedDocumentWindow(char kind, int key, const QString& logText, const QString& failLogText)
{
    TFormRozliczDokumentKwota* dialog = FormRozliczDokumentKwota();
    dialog->DocKind = QString(QLatin1Char(kind));
    dialog->DocIndex = key;
    if (dialog->exec() != QDialog::Accepted || dialog->Amount.raw <= 0) return;
    const QString amountText = SettleAmountText(dialog->Amount);
    if (SettleListedDocument(kind, key, dialog->PaymentForm, dialog->SettleDate, dialog->Amount, amountText,
                             logText, failLogText))
        TMD::MessageDlg(QStringLiteral("Dokument został rozliczony kwotą ") + amountText, mtInformation,
                        mbOK);
    else
        TMD::MessageDlg(QStringLiteral("Błąd podczas próby rozliczenia dokumentu"), mtError, mbOK);
}
