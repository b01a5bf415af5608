#include "core/ActivityLog.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje2.h"
#include "core/Session.h"
#include "platform/LastInput.h"
#include "platform/NetworkAdapter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <limits>

const QString LogTempCreateSql = QStringLiteral(
    "CREATE TEMPORARY TABLE IF NOT EXISTS `LogTemp`(`LT_INDEX` INT NOT NULL AUTO_INCREMENT ,`LT_NAZWA` "
    "VARCHAR(200) NOT NULL ,`LT_WARTOSC` VARCHAR(200) NOT NULL,`LT_DATAMODYFIKACJI` TIMESTAMP NULL default "
    "CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP, PRIMARY KEY (LT_INDEX)) ENGINE = MEMORY COLLATE "
    "utf8_polish_ci");

namespace {

// The stopwatches are touched by worker threads too: kept as milliseconds
// since the epoch so a read never sees half a write. None = not started.
constexpr qint64 kNotStarted = std::numeric_limits<qint64>::min();
std::atomic<qint64> g_stopwatch{kNotStarted};
std::atomic<qint64> g_idleStopwatch{kNotStarted};
std::atomic<bool> g_assertionLog{false};

qint64 toMs(const QDateTime& t)
{
    return t.isValid() ? t.toMSecsSinceEpoch() : kNotStarted;
}

QDateTime fromMs(qint64 ms)
{
    return ms == kNotStarted ? QDateTime() : QDateTime::fromMSecsSinceEpoch(ms);
}

// A start never set counts from the zero date-time (1899-12-30), so the
// interval is absurd and the callers' bounds catch it.
qint64 msSince(qint64 start)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (start == kNotStarted) start = QDateTime(QDate(1899, 12, 30), QTime(0, 0)).toMSecsSinceEpoch();
    return now - start;
}

// n hundredths (or tenths) as "i,ff": the rounding is done by the caller in whole numbers.
QString fixed(qint64 scaled, int decimals)
{
    qint64 div = decimals == 2 ? 100 : 10;
    return QString::number(scaled / div) + QLatin1Char(',') +
           QStringLiteral("%1").arg(scaled % div, decimals, 10, QLatin1Char('0'));
}

} // namespace

void LogEvent(const QString& text)
{
    try {
        GlobalSession()->ExecQuery(
            QStringLiteral("insert into Log set LOG_OPERATOR=:p1, LOG_OPERATORUPRAWNIENIA=:p2, LOG_DATA=:p3, "
                           "LOG_OPIS=:p4"),
            {OperatorId, OperatorRightsLevel,
             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
             OperatorLogin + QStringLiteral(" : ") + text + QStringLiteral(" (") +
                 GetAdapterMacAddress(QString()) + QStringLiteral(")")});
    } catch (...) {
        // Logging never disturbs the caller.
    }
}

void LogEventDetailed(const QString& text)
{
    bool on = false;
    try {
        on = ReadIniBool(0, QStringLiteral("SzczegoloweLogi"), false);
    } catch (...) {
        return;
    }
    if (on) LogEvent(text);
}

void LogTempInsert(const QString& name, const QString& value)
{
    TDedicatedSession* s = GlobalSession();
    s->ExecQuery(LogTempCreateSql);
    s->ExecQuery(QStringLiteral("insert into LogTemp (LT_NAZWA, LT_WARTOSC) values (:p1, :p2)"),
                 {name, value});
}

// ---------------------------------------------------------------- stopwatch

void StopwatchStart()
{
    g_stopwatch.store(QDateTime::currentMSecsSinceEpoch());
}

void StartStopwatch()
{
    StopwatchStart();
}

QDateTime StopwatchStartTime()
{
    return fromMs(g_stopwatch.load());
}

void SetStopwatchStartTime(const QDateTime& start)
{
    g_stopwatch.store(toMs(start));
}

QString ElapsedTimeText(qint64 ms)
{
    if (ms > 120000) return fixed((ms + 300) / 600, 2) + QStringLiteral(" m");
    if (ms > 3000) return fixed((ms + 5) / 10, 2) + QStringLiteral(" s");
    return QString::number(ms) + QStringLiteral(" ms");
}

void LogElapsedTime(const QString& name)
{
    LogTempInsert(name, ElapsedTimeText(msSince(g_stopwatch.load())));
}

// ---------------------------------------------------------------- idle time

void StartIdleStopwatch()
{
    g_idleStopwatch.store(QDateTime::currentMSecsSinceEpoch());
}

QDateTime IdleStopwatchStart()
{
    return fromMs(g_idleStopwatch.load());
}

void SetIdleStopwatchStart(const QDateTime& start)
{
    g_idleStopwatch.store(toMs(start));
}

QString IdleTimeText(qint64 ms)
{
    if (ms > 3600000) return fixed((ms + 180000) / 360000, 1) + QStringLiteral(" h");
    if (ms > 120000) return fixed((ms + 3000) / 6000, 1) + QStringLiteral(" m");
    if (ms > 3000) return fixed((ms + 50) / 100, 1) + QStringLiteral(" s");
    return QString::number(ms) + QStringLiteral(" ms");
}

int LogIdleTime()
{
    const qint64 ms = msSince(g_idleStopwatch.load());
    if (ms <= 0 || ms > 36000000000LL) return 0;
    LogTempInsert(QStringLiteral("Nieaktywnosc"), IdleTimeText(ms));
    return int(ms / 1000);
}

int GetIdleSeconds()
{
    return int(MsSinceLastInput() / 1000);
}

void DumpQuerySql(TQuery*) {}

// ---------------------------------------------------------------- assertions

void InstallAssertionLog(bool on)
{
    g_assertionLog.store(on);
}

bool AssertionLogInstalled()
{
    return g_assertionLog.load();
}

QString AssertionLogFile()
{
    QString folder = PrivateFolder;
    if (folder.isEmpty()) folder = ProgramFolder() + QStringLiteral("orlix_priv/");
    return QDir(folder).filePath(QStringLiteral("QV_error.log"));
}

void LogAssertionError(const QString& message, const QString& fileName, int lineNumber, quintptr errorAddress)
{
    const QString line =
        QStringLiteral("%1 %2: %3 w linii %4, adres błędu: $%5\n")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), fileName,
                 message, QString::number(lineNumber),
                 QString::number(qulonglong(errorAddress), 16).toUpper());
    const QString path = AssertionLogFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(line.toUtf8()) < 0)
        throw EInOutError(
            QStringLiteral("Błąd zapisu pliku %1: %2").arg(path, f.errorString()).toStdString());
}

void AssertionFailed(const QString& message, const char* fileName, int lineNumber, quintptr errorAddress)
{
    const QString file = QString::fromLocal8Bit(fileName);
    if (!g_assertionLog.load())
        throw EAssertionFailed(
            QStringLiteral("%1 (%2, linia %3)").arg(message, file).arg(lineNumber).toStdString());
    LogAssertionError(message, file, lineNumber, errorAddress);
}
