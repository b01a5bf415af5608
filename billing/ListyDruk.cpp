#include "billing/ListyDruk.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/QrCodeFile.h"
#include "printouts/DrukFv.h"
#include "printouts/Email.h"

#include <QFile>

TListHooks& ListHooks()
{
    static TListHooks hooks;
    return hooks;
}

QString ListPrinterName(bool pdf)
{
    return ReadIniString(OperatorId, pdf ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"),
                         QString());
}

void MakeDocumentQrFiles(char kind, int key, const QString& ksefNumber, const QString& linkOffline,
                         const QString& linkCertOffline)
{
    const QString base = QString(QLatin1Char(kind)) + QString::number(key);
    if (!ksefNumber.isEmpty()) {
        MakeQrCodeFile(linkOffline.isEmpty() ? ksefNumber : linkOffline, base);
    } else if (!linkCertOffline.isEmpty()) {
        MakeQrCodeFile(linkCertOffline, base + QStringLiteral("_certoff"));
        MakeQrCodeFile(linkOffline, base + QStringLiteral("_off"));
    }
}

namespace {

// KSeF columns of one listed invoice or correction.
void DocumentQrFiles(char kind, int key)
{
    const QString p = kind == 'F' ? QStringLiteral("FV_") : QStringLiteral("FVK_");
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select %1KSEF_NRKSEF, %1KSEF_LINKOFFLINE, %1KSEF_LINKCERTOFFLINE from v%2Lista where "
                       "%1INDEX=:p1")
            .arg(p, kind == 'F' ? QStringLiteral("Fv") : QStringLiteral("Fvk")),
        {key});
    if (q->IsEmpty()) return;
    MakeDocumentQrFiles(kind, key, q->Fields(0)->AsString(), q->Fields(1)->AsString(),
                        q->Fields(2)->AsString());
}

} // namespace

void PrintListedInvoice(int fvIndex, bool pdf, bool duplicate, const QString& duplicateDate)
{
    TFormDrukFv* form = FormDrukFv();
    form->Duplikat = duplicate;
    if (!pdf) form->DuplikatDate = duplicateDate;
    struct Reset
    {
        TFormDrukFv* f;
        ~Reset() { f->Duplikat = false; }
    } reset{form};
    DocumentQrFiles('F', fvIndex);
    form->PrinterName = ListPrinterName(pdf);
    form->QFv()->SetSQL(QStringLiteral("select * from vFvLista where FV_INDEX=:p1"));
    form->QFv()->BindArgs({fvIndex});
    if (pdf)
        form->PrintDirect();
    else
        form->PrintPreview();
}

void PrintListedCorrection(int fvkIndex, bool pdf)
{
    DocumentQrFiles('K', fvkIndex);
    if (!ListHooks().printCorrection) return ShowNotAvailable(QStringLiteral("Wydruk korekty"));
    ListHooks().printCorrection(fvkIndex, ListPrinterName(pdf), pdf);
}

void PrintListedDemand(int pzIndex, bool pdf)
{
    if (!ListHooks().printDemand) return ShowNotAvailable(QStringLiteral("Wydruk polecenia zapłaty"));
    ListHooks().printDemand(pzIndex, ListPrinterName(pdf), pdf);
}

QString DocumentPdfFile(const QString& prefix, const QString& number)
{
    return ExportFolder + prefix + QString(number).replace(QLatin1Char('/'), QLatin1Char('_')) +
           QStringLiteral(".pdf");
}

void EmailListedDocument(const TEmailJob& job)
{
    if (job.address.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak adresu email w kartotece użytkownika"), mtError, mbOK);
        return;
    }
    QFile::remove(job.fileName);
    job.makePdf();
    if (!WaitForFile(job.fileName, job.firstWaitMs) && job.secondWaitMs > 0) {
        job.makePdf();
        WaitForFile(job.fileName, job.secondWaitMs);
    }
    if (!QFile::exists(job.fileName)) {
        TMD::MessageDlg(QStringLiteral("Nie udało się odnaleźć załącznika:\r\n") + job.fileName, mtError,
                        mbOK);
        return;
    }
    const QString dash = QStringLiteral("-");
    if (SendEmail(job.address, job.fileName, job.subject, dash, dash, dash, dash, dash, dash, dash, 0, dash,
                  job.userIndex) == 0)
        TMD::MessageDlg(QStringLiteral("Wiadomość została wysłana"), mtInformation, mbOK);
    else
        TMD::MessageDlg(QStringLiteral("Nie udało się wysłać wiadomości"), mtError, mbOK);
}

void RereadSharedPayments()
{
    if (Data && Data->QOplaty && Data->QOplaty->Active())
        RefreshQuery(Data->QOplaty.get(), QStringLiteral("O_INDEX"));
}
