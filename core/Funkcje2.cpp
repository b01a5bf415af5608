#include "core/Funkcje2.h"

#include "core/ActivityLog.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/ProgramHooks.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/Code128.h"
#include "platform/ShellDelete.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

QString FontName;
int FontSize = 0;
QString MainUserWhere;
QString MainUserIdList;
QString MainUserOrderBy;

namespace {

// The screen cursor of the original: one override on top of the window's own.
void setWaitCursor()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
}

void setDefaultCursor()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void processMessages()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace

// ---------------------------------------------------------------- waits

void WaitProcessingMessages(int ms)
{
    QElapsedTimer clock;
    clock.start();
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0)));
        return;
    }
    // An event loop instead of a spinning one: timers and clicks are served
    // the same, without burning a processor for the whole wait.
    while (clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(ms - clock.elapsed()));
        loop.exec();
    }
    setDefaultCursor();
}

bool WaitForFile(const QString& fileName, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    setWaitCursor();
    while (!QFileInfo::exists(fileName) && clock.elapsed() < timeoutMs) {
        setWaitCursor();
        processMessages();
        QThread::msleep(100);
    }
    WaitProcessingMessages(qRound(timeoutMs / 10.0));
    setDefaultCursor();
    return QFileInfo::exists(fileName);
}

bool WaitForFileDefault(const QString& fileName)
{
    return WaitForFile(fileName, 7000);
}

// ---------------------------------------------------------------- files

void CopyFileByBlocks(const QString& source, const QString& target)
{
    if (QFileInfo::exists(target) && !QFile::remove(target))
        throw EInOutError(QStringLiteral("Nie można usunąć pliku \"%1\"").arg(target).toStdString());
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Nie można otworzyć pliku \"%1\": %2")
                              .arg(source, in.errorString())
                              .toStdString());
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EInOutError(QStringLiteral("Nie można utworzyć pliku \"%1\": %2")
                              .arg(target, out.errorString())
                              .toStdString());
    char block[4096];
    while (true) {
        const qint64 n = in.read(block, sizeof block);
        if (n < 0)
            throw EInOutError(
                QStringLiteral("Błąd odczytu pliku \"%1\": %2").arg(source, in.errorString()).toStdString());
        if (n == 0) break;
        if (out.write(block, n) != n)
            throw EInOutError(
                QStringLiteral("Błąd zapisu pliku \"%1\": %2").arg(target, out.errorString()).toStdString());
    }
    if (!out.flush())
        throw EInOutError(
            QStringLiteral("Błąd zapisu pliku \"%1\": %2").arg(target, out.errorString()).toStdString());
}

bool DeleteFilesShell(const QString& path)
{
    return ShellDeletePath(path);
}

QString FileMd5Hex(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Nie można otworzyć pliku \"%1\": %2")
                              .arg(fileName, f.errorString())
                              .toStdString());
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&f))
        throw EInOutError(
            QStringLiteral("Błąd odczytu pliku \"%1\": %2").arg(fileName, f.errorString()).toStdString());
    return QString::fromLatin1(hash.result().toHex().toUpper());
}

void LoadFontSettings(const QString& fileName)
{
    QFile f(ProgramFolder() + fileName);
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return;
    QStringList lines = Cp1250ToString(f.readAll()).split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    // A final line break does not make a line of its own.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    if (lines.size() < 2) return;
    bool ok = false;
    const int size = lines.at(1).trimmed().toInt(&ok);
    if (!ok) throw ConvertError(lines.at(1));
    FontName = lines.at(0);
    FontSize = size;
}

// ---------------------------------------------------------------- desktop

void CopyTextToClipboard(const QString& text)
{
    if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
}

bool IsCtrlPressed()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

namespace {
std::atomic<int> g_stepCount{0};
}

void ShowStepInStatus()
{
    const int n = ++g_stepCount;
    if (ProgramHooks().showStepInStatus) ProgramHooks().showStepInStatus(n);
}

int StepInStatusCount()
{
    return g_stepCount.load();
}

// ---------------------------------------------------------------- database

int CountTableIndexes(const QString& table)
{
    if (table.isEmpty()) return 0;
    // A name, not a value: quoted as an identifier (a schema prefix stays a prefix).
    QStringList parts = table.split(QLatin1Char('.'));
    for (QString& p : parts)
        p = QLatin1Char('`') + p.replace(QLatin1Char('`'), QStringLiteral("``")) + QLatin1Char('`');
    auto q = GlobalSession()->OpenQuery(QStringLiteral("SHOW INDEXES FROM ") + parts.join(QLatin1Char('.')));
    return q->RecordCount();
}

// ---------------------------------------------------------------- printouts

QImage MakeCode128Picture(const QString& text)
{
    if (text.isEmpty()) return QImage();
    return RenderCode128B(text);
}

// ---------------------------------------------------------------- address book

QString CsvField(const QString& text, QChar separator)
{
    // A spreadsheet runs a cell that starts like a formula: the quote makes it text.
    static const QString formulaStarts = QStringLiteral("=+-@");
    const QString value =
        !text.isEmpty() && formulaStarts.contains(text.at(0)) ? QLatin1Char('\'') + text : text;
    if (!value.contains(separator) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    QString v = value;
    return QLatin1Char('"') + v.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString ExportEnveloAddressBook(int userId)
{
    // The correspondence address counts when the subscriber has one
    // (U_CZYADRESDOKORESP); the service location flag says nothing about mail.
    QString sql =
        QStringLiteral("select U_IMIE, U_NAZWISKO, U_INDEX, "
                       "if(U_CZYADRESDOKORESP=0, U_ADR_ULICA, U_KOR_ULICA) as E_ULICA, "
                       "if(U_CZYADRESDOKORESP=0, U_ADR_NRDOMU, U_KOR_NRDOMU) as E_NRDOMU, "
                       "if(U_CZYADRESDOKORESP=0, U_ADR_NRLOKALU, U_KOR_NRLOKALU) as E_NRLOKALU, "
                       "if(U_CZYADRESDOKORESP=0, U_ADR_MIEJSCOWOSC, U_KOR_MIEJSCOWOSC) as E_MIEJSCOWOSC, "
                       "if(U_CZYADRESDOKORESP=0, U_ADR_KOD, U_KOR_KOD) as E_KOD from vUserdb ");
    TArgs args;
    if (userId != 0) {
        sql += QStringLiteral("where U_INDEX=:p1");
        args.push_back(userId);
    } else {
        sql += MainUserWhere + QLatin1Char(' ') + MainUserOrderBy;
    }
    auto q = GlobalSession()->OpenQuery(sql, args);

    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("Zwrot grzecznościowy,Imię,Nazwisko,Firma,Envelo ID,Telefon,E-mail,Ulica,"
                                  "Numer budynku,Numer mieszkania,Miasto,Kod pocztowy,Kraj,Grupa") +
                   crlf;
    for (q->First(); !q->Eof(); q->Next()) {
        auto f = [&](const char* name) { return CsvField(q->FieldByName(QLatin1String(name))->AsString()); };
        const QStringList fields{QString(),
                                 f("U_IMIE"),
                                 f("U_NAZWISKO"),
                                 QString(),
                                 f("U_INDEX"),
                                 QString(),
                                 QString(),
                                 f("E_ULICA"),
                                 f("E_NRDOMU"),
                                 f("E_NRLOKALU"),
                                 f("E_MIEJSCOWOSC"),
                                 f("E_KOD"),
                                 QStringLiteral("PL"),
                                 QStringLiteral("Orlix")};
        text += fields.join(QLatin1Char(',')) + crlf;
    }

    const QString fileName = ExportFolder + QStringLiteral("KsiazkaAdresowaEnvelo.csv");
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EInOutError(QStringLiteral("Nie można utworzyć pliku \"%1\": %2")
                              .arg(fileName, file.errorString())
                              .toStdString());
    const QByteArray bytes = StringToCp1250(text);
    if (file.write(bytes) != bytes.size())
        throw EInOutError(
            QStringLiteral("Błąd zapisu pliku \"%1\": %2").arg(fileName, file.errorString()).toStdString());
    file.close();
    TMD::MessageDlg(QStringLiteral("Dane adresowe zapisane w pliku ") + fileName, mtInformation, mbOK);
    return fileName;
}
