#include "mainwindow/UserRules.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Session.h"
#include "printouts/Email.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

const QString MapServiceBase = QStringLiteral("https://www.google.com");

QString UserCardSql(int userIndex)
{
    return QStringLiteral("select * from vUserdb where U_INDEX=") + QString::number(userIndex);
}

QString AutoInvoicingText(int automatyczneFaktury)
{
    switch (automatyczneFaktury) {
    case 1:
        return QStringLiteral("faktura");
    case 0:
        return QStringLiteral("brak");
    case 3:
        return QStringLiteral("polecenie zapłaty+\nfaktura z PM");
    default:
        return QStringLiteral("polecenie zapłaty");
    }
}

QString SalesPrintText(int rodzajWydrukuFv, int globalRodzajWydruku)
{
    const int kind = rodzajWydrukuFv == 0 ? globalRodzajWydruku : rodzajWydrukuFv;
    switch (kind) {
    case 0:
        return QStringLiteral("ustawienia globalne");
    case 1:
        return QStringLiteral("z drukiem przelewu");
    case 2:
        return QStringLiteral("bez nadruku");
    case 3:
        return QStringLiteral("z listą nierozliczonych");
    default:
        return QString();
    }
}

QString YesNoText(int flag)
{
    return flag == 1 ? QStringLiteral("TAK") : QStringLiteral("NIE");
}

QString AuthorizationCaption(int czyPominNadrukIbok)
{
    return czyPominNadrukIbok == 1 ? QStringLiteral("Autoryzacja (bez drukowania)")
                                   : QStringLiteral("Autoryzacja");
}

QString CompanyKindText(int czyFirma)
{
    return czyFirma == 1 ? QStringLiteral("FIRMA") : QStringLiteral("OSOBA FIZYCZNA");
}

QString AddressMapUrl(const QString& addressText)
{
    if (addressText.trimmed().isEmpty()) return QString();
    QString q = addressText;
    q.replace(QLatin1Char(' '), QLatin1Char('+'));
    return MapServiceBase + QStringLiteral("/maps?q=") + q;
}

QString CoordinatesMapUrl(const QString& latitude, const QString& longitude)
{
    const QString lat = DecimalCommaToPoint(latitude);
    const QString lon = DecimalCommaToPoint(longitude);
    return MapServiceBase + QStringLiteral("/maps/place/") + lat + QStringLiteral("N+") + lon +
           QStringLiteral("E/@") + lat + QLatin1Char(',') + lon;
}

QString UserFilesFolder(int userIndex)
{
    QString base = ReadIniString(OperatorId, QStringLiteral("KatalogNaPliki"), ArchiveFolder);
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')) && !base.endsWith(QLatin1Char('\\')))
        base += QLatin1Char('/');
    return base + QLatin1Char('U') + QString::number(userIndex) + QLatin1Char('/');
}

int CopyFilesToFolder(const QStringList& files, const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw EInOutError(QStringLiteral("Nie można utworzyć katalogu %1").arg(folder).toStdString());
    int copied = 0;
    for (const QString& source : files) {
        QCoreApplication::processEvents();
        const QString target = QDir(folder).filePath(QFileInfo(source).fileName());
        if (QFile::exists(target)) QFile::remove(target);
        if (QFile::copy(source, target)) ++copied;
    }
    return copied;
}

void ClearUserTeryt(int userIndex)
{
    GlobalSession()->ExecQuery(
        QStringLiteral("update Userdb set U_TER_JST=:p1, U_TER_SYM=:p2, U_TER_SYM_UL=:p3 where U_INDEX=:p4"),
        {nullptr, nullptr, nullptr, userIndex});
}

void DeleteEmptyUserNotes(int userIndex)
{
    GlobalSession()->ExecQuery(
        QStringLiteral("delete from UserUwagi where UU_INDEXUSER=:p1 and trim(UU_TRESC)=:p2"),
        {userIndex, QString()});
}

int CountUserNotes(int userIndex)
{
    return GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select count(*) from UserUwagi where UU_INDEXUSER=:p1"), {userIndex});
}

QString NotesTabCaption(int count)
{
    return QStringLiteral(" Notatki (%1) ").arg(count);
}

QString OrdersListCaption()
{
    const int open = GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select count(*) from ZleceniaSerwisowe where ZS_DATAZAKONCZENIA>CURDATE() or "
                       "ZS_DATAZAKONCZENIA='0000-00-00'"));
    return open < 1 ? QStringLiteral("Lista zleceń") : QStringLiteral("Lista zleceń (%1)").arg(open);
}

QString UserCardLogText(int userIndex)
{
    return QStringLiteral("Podgląd karty użytkownika nr: ") +
           GlobalSession()->GetQueryValueAsString(
               QStringLiteral("select concat(U_NRKLIENTA, :p1, left(vU_NazwiskoImie, 50), :p2) from vUserdb "
                              "where U_INDEX=:p3"),
               {QStringLiteral(" ("), QStringLiteral(") "), userIndex});
}

bool UserCardShownLong(double startDays, double endDays)
{
    return (endDays - startDays) * 86400.0 > 7.0;
}

namespace {

const QString kForm = QStringLiteral("TFormUser");
const QString kGrid = QStringLiteral("TFormUserDBGrid1");
const QString kPanel1 = QStringLiteral("TFormUserGripPanel1");
const QString kPanel3 = QStringLiteral("TFormUserGripPanel3");

} // namespace

TUserCardLayout ReadUserCardLayout(const TUserCardLayout& defaults)
{
    const TDbIni ini(HostId, OperatorId);
    TUserCardLayout l;
    l.WindowHeight = ini.ReadInteger(kForm, QStringLiteral("WysokoscOkna"), defaults.WindowHeight);
    const int order = ini.ReadInteger(kGrid, QStringLiteral("FSortowanieKolejnosc"), 1);
    l.SortOrder = order == 1 || order == 2 ? order : 0;
    l.SortColumn = ini.ReadInteger(kGrid, QStringLiteral("FSortowanieKolumna"), 0);
    l.SortField = ini.ReadString(kGrid, QStringLiteral("FSortowaniePole"), QStringLiteral("M_IP"));
    l.DevicePanelHeight = ini.ReadInteger(kPanel1, QStringLiteral("Wysokosc"), defaults.DevicePanelHeight);
    l.TemplatePanelHeight =
        ini.ReadInteger(kPanel3, QStringLiteral("Wysokosc"), defaults.TemplatePanelHeight);
    return l;
}

void WriteUserCardLayout(const TUserCardLayout& l)
{
    TTransactionGuard guard(GlobalSession());
    TDbIni ini(HostId, OperatorId);
    if (l.WindowHeight > 0) ini.WriteInteger(kForm, QStringLiteral("WysokoscOkna"), l.WindowHeight);
    ini.WriteString(kGrid, QStringLiteral("FSortowaniePole"), l.SortField);
    ini.WriteInteger(kGrid, QStringLiteral("FSortowanieKolumna"), l.SortColumn);
    ini.WriteInteger(kGrid, QStringLiteral("FSortowanieKolejnosc"), l.SortOrder);
    ini.WriteInteger(kPanel1, QStringLiteral("Wysokosc"), l.DevicePanelHeight);
    ini.WriteInteger(kPanel3, QStringLiteral("Wysokosc"), l.TemplatePanelHeight);
    guard.commit();
}

bool EmailPrintout(const TPrintoutMail& mail, const TPrintToPdf& printToPdf, const TMailSender& send)
{
    if (mail.Email.trimmed().isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak adresu email w kartotece użytkownika"), mtError, mbOK);
        return false;
    }
    const QString file = ExportFolder + mail.FileName;
    // A file left from an earlier printout must not go out as this one.
    if (QFile::exists(file) && !QFile::remove(file)) {
        TMD::MessageDlg(QStringLiteral("Nie udało się wysłać wiadomości"), mtError, mbOK);
        return false;
    }
    printToPdf(ReadIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString()));
    if (!WaitForFileDefault(file)) {
        TMD::MessageDlg(QStringLiteral("Nie udało się odnaleźć załącznika:\n") + file, mtError, mbOK);
        return false;
    }
    const QString dash = QStringLiteral("-");
    const int result = send ? send(mail.Email, file, mail.Subject, mail.UserIndex)
                            : SendEmail(mail.Email, file, mail.Subject, dash, dash, dash, dash, dash, dash,
                                        dash, 0, dash, mail.UserIndex);
    if (result == 0) {
        TMD::MessageDlg(QStringLiteral("Wiadomość została wysłana"), mtInformation, mbOK);
        return true;
    }
    TMD::MessageDlg(QStringLiteral("Nie udało się wysłać wiadomości"), mtError, mbOK);
    return false;
}

bool CardDeviceSortClick(const QString& field, int column, std::array<QString, 5>& fields, int& order,
                         int& sortColumn)
{
    if (field != QLatin1String("M_DATAPODLACZENIA") && field != QLatin1String("M_MAC") &&
        field != QLatin1String("M_IP"))
        return false;
    sortColumn = column;
    if (fields[0] == QLatin1String("M_IP1")) fields[0] = QStringLiteral("M_IP");
    if (fields[0] == field) {
        order = order == 1 ? 2 : order == 2 ? 0 : 1;
    } else {
        order = 1;
        fields[0] = field;
    }
    if (field == QLatin1String("M_IP"))
        fields = {QStringLiteral("M_IP1"), QStringLiteral("M_IP2"), QStringLiteral("M_IP3"),
                  QStringLiteral("M_IP4"), fields[4]};
    return true;
}
