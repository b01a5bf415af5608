// The main window's archive commands: "Archiwizacja", "Dearchiwizacja",
// "Przez mysql", and the archive lamp in the status bar.
#include "mainwindow/Glowny.h"

#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Session.h"
#include "core/SqlScripts.h"

#include <QDateTime>
#include <QFileDialog>
#include <QLabel>

std::function<QString(const QString& title, const QString& filter)> TFormGlowny::ChooseOpenFile;

QString TFormGlowny::chooseOpenFile(const QString& title, const QString& filter)
{
    if (ChooseOpenFile) return ChooseOpenFile(title, filter);
    return QFileDialog::getOpenFileName(this, title, QString(), filter);
}

void TFormGlowny::ShowArchiveLamp(int lamp, const QString& hint)
{
    if (!Shape6) return;
    // yellow while working, silver when blinking, green when done, red on failure
    static const char* const colours[] = {"#ffff00", "#c0c0c0", "#00ff00", "#ff0000"};
    Shape6->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray; border-radius: 6px;")
                              .arg(QLatin1String(colours[qBound(0, lamp, 3)])));
    if (!hint.isEmpty()) Shape6->setToolTip(hint);
    Shape6->repaint();
}

void TFormGlowny::ArchiveCommand()
{
    if (MysqlDumpProgram().isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Nie znaleziono narzedzia: \r\nmariadb-dump"), mtError, mbOK);
        return;
    }
    if (TMD::MessageDlg(QStringLiteral("Czy chcesz wykonać archiwizację bazy MySQL\r\n Lokalizacja: ") +
                            ArchiveFolder,
                        mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    const int code = ArchiveDatabase();
    if (code == kArchiveOk)
        WriteIniString(OperatorId, QStringLiteral("OstatnieArchiwum"),
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    else if (code == kArchiveToolFailed)
        // The tool's own words say what to mend (a refused login, a full disk).
        TMD::MessageDlg(QStringLiteral("Archiwizacja nie powiodła się:\r\n") + LastArchiveToolMessage(),
                        mtError, mbOK);
}

void TFormGlowny::RestoreCommand()
{
    if (RightDenied(1)) return;
    const QString file = chooseOpenFile(QStringLiteral("Plik ze spakowanym archiwum bazy"),
                                        QStringLiteral("Pliki zip (*.zip)"));
    if (file.isEmpty()) return;
    if (TMD::MessageDlg(QStringLiteral("Czy chcesz wykonać przywrócenie stanu bazy z pliku ") + file +
                            QStringLiteral(" ?"),
                        mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    if (TMD::MessageDlg(
            QStringLiteral("Nastąpi zastąpienie obecnych tabel w bazie tabelami z archiwum. Czy na "
                           "pewno kontynuować?"),
            mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    RestoreDatabaseArchive(file);
}

void TFormGlowny::SqlScriptViaClientCommand()
{
    const QString file = chooseOpenFile(QStringLiteral("Wybierz plik SQL"),
                                        QStringLiteral("plik SQL (*.sql);;wszystkie pliki (*)"));
    if (file.isEmpty()) return;
    if (TMD::MessageDlg(QStringLiteral("Czy na pewno wykonać zapytania SQL zawarte we wskazanym pliku?"),
                        mtWarning, mbYes | mbNo) != mrYes)
        return;
    QString message;
    if (ImportSqlFile(file, nullptr, &message) == 2)
        TMD::MessageDlg(QStringLiteral("Błąd wykonania pliku SQL:\r\n") + message, mtError, mbOK);
}
