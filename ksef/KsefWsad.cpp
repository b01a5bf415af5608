#include "ksef/KsefWsad.h"

#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefOperacje.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefWspolne.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kNotAPackage = QStringLiteral(
    "Wybrany plik nie jest identyfikowany jako paczka zbudowana przez Razedu.\r\nProszę wskazać "
    "prawidłowy plik z paczką faktur lub korekt.");

// The company of a package: the two digits before ".zip".
bool packageCompany(const QString& fileName, int& company)
{
    const QString zip = QStringLiteral(".zip");
    if (!fileName.endsWith(zip, Qt::CaseInsensitive) || fileName.size() < zip.size() + 2) return false;
    const QString pair = fileName.mid(fileName.size() - zip.size() - 2, 2);
    if (!pair.at(0).isDigit() || !pair.at(1).isDigit()) return false;
    company = pair.toInt();
    return company > 0;
}

} // namespace

void KsefInSession(const std::function<void()>& work)
{
    QString text;
    KsefOpenSession(text);
    try {
        work();
    } catch (...) {
        QString ignored;
        try {
            KsefCloseSession(ignored);
        } catch (...) {
        }
        throw;
    }
    KsefCloseSession(text);
}

bool KsefPackageKind(const QString& fileName, char& kind, int& company)
{
    const QString name = QFileInfo(fileName).fileName();
    if (name.startsWith(QLatin1String("KSeF_Fv_")))
        kind = 'F';
    else if (name.startsWith(QLatin1String("KSeF_Fvk_")))
        kind = 'K';
    else
        return false;
    return packageCompany(name, company);
}

TKsefBatchWaits& KsefBatchWaits()
{
    static TKsefBatchWaits waits;
    return waits;
}

TKsefSendOutcome KsefSendPackageFile(const QString& path)
{
    TKsefSendOutcome out;
    if (RightDenied(2)) return out;
    if (path.trimmed().isEmpty()) return out;
    const QString name = QFileInfo(path).fileName();
    if (!GlobalSession()->IsQueryEmpty(QStringLiteral("select 1 from Ksef where KSEF_PLIK=:p1"), {name}) &&
        TMD::MessageDlg(QStringLiteral("Wybrany plik został już przesłany do KSeF.\r\nCzy chcesz go wysłać "
                                       "ponownie?"),
                        mtWarning, mbYes | mbNo) != mrYes)
        return out;
    char kind = 0;
    int company = 0;
    if (!KsefPackageKind(name, kind, company)) {
        TMD::MessageDlg(kNotAPackage, mtError, mbOK);
        return out;
    }
    QString text;
    KsefInit(1, company, text);
    QString result = QStringLiteral("0");
    KsefInSession([&] { KsefSendPackage(path, kind, result); });
    if (result == QLatin1String("0")) {
        TMD::MessageDlg(QStringLiteral("Błąd podczas wysyłki paczki faktur."), mtError, mbOK);
        return out;
    }
    out.LogIndex = GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select max(KSEF_INDEX) from Ksef where KSEF_PLIK=:p1 and KSEF_NRREFSESJI=:p2"),
        {name, result});
    TMD::MessageDlg(QStringLiteral("Paczka faktur wysłana poprawnie do KSeF."), mtInformation, mbOK);
    WaitProcessingMessages(KsefBatchWaits().AfterSendMs);
    out.CheckStatus =
        TMD::MessageDlg(
            QStringLiteral("Czy chcesz od razu sprawdzić status wysłanej paczki dokumentów?\r\n"
                           "UWAGA! W przypadku nieprzetworzenia paczki przez KSeF, należy ponowić "
                           "odczyt jej statusu za kilka minut."),
            mtInformation, mbYes | mbNo) == mrYes;
    return out;
}

bool KsefReadLogRowStatuses(int ksefIndex)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select KSEF_NRREFSESJI, KSEF_IDENTYFIKATOR, KSEF_PLIK from Ksef where KSEF_INDEX=:p1"),
        {ksefIndex});
    if (q->IsEmpty()) return false;
    const QString session = q->Fields(0)->AsString().trimmed();
    const QString identifier = q->Fields(1)->AsString();
    char kind = 0;
    if (identifier == QStringLiteral("WYSYŁKA FV") || identifier == QStringLiteral("WYSYŁKA"))
        kind = 'F';
    else if (identifier == QStringLiteral("WYSYŁKA KOR"))
        kind = 'K';
    int company = 0;
    if (session.isEmpty() || kind == 0 || !packageCompany(q->Fields(2)->AsString(), company)) return false;
    QString text;
    KsefInit(1, company, text);
    QString count = QStringLiteral("0");
    KsefInSession([&] { KsefReadSessionStatuses(session, kind, count); });
    TMD::MessageDlg(QStringLiteral("Ilość pobranych statusów dokumentów: ") + count, mtInformation, mbOK);
    return true;
}

int KsefFetchInvoiceToLog(const QString& ksefNumber)
{
    const QString number = ksefNumber.trimmed();
    if (number.isEmpty()) return 0;
    QString text;
    KsefInitMain(1, text);
    int index = 0;
    KsefInSession([&] {
        QString result;
        KsefDownloadInvoice(number, result);
        QFile f(result);
        if (result.isEmpty() || !QFileInfo(result).isFile() || !f.open(QIODevice::ReadOnly)) {
            TMD::MessageDlg(result, mtCustom, mbOK);
            return;
        }
        KsefInsertLog({{"KSEF_IDENTYFIKATOR", QStringLiteral("FV")},
                       {"KSEF_NRKSEF", number},
                       {"KSEF_DANE", DecodeWebText(f.readAll())},
                       {"KSEF_ILOSC", 1},
                       {"KSEF_STATUS", QStringLiteral("Pobrano: 1")},
                       {"KSEF_PLIK", QFileInfo(result).fileName()}});
        index = int(GlobalSession()->LastInsertId());
    });
    return index;
}

QString KsefLogRowPage(int ksefIndex)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select KSEF_IDENTYFIKATOR, KSEF_PLIK, KSEF_DANE from Ksef where KSEF_INDEX=:p1"),
        {ksefIndex});
    if (q->IsEmpty() || q->Fields(0)->AsString() != QLatin1String("FV")) return QString();
    // Only the name: the row's text never leads the file out of the private folder.
    const QString name = QFileInfo(q->Fields(1)->AsString()).fileName();
    if (name.isEmpty()) return QString();
    const QString file = PrivateFolder + name;
    KsefSaveText(file, q->Fields(2)->AsString().toUtf8());
    QString text;
    KsefInitMain(1, text);
    QString page;
    if (QFileInfo::exists(file)) KsefXmlToHtml(file, page);
    return page;
}
