#pragma once
// The activity log (table Log), the per-connection timing log (LogTemp), the
// idle stopwatch and the assertion log.
#include <QDateTime>
#include <QString>
#include <stdexcept>

class TQuery;

// One Log row: login + " : " + text + " (" + adapter address + ")". Never raises.
void LogEvent(const QString& text);
// LogEvent only while the global setting SzczegoloweLogi is on.
void LogEventDetailed(const QString& text);
// A named value in the connection's LogTemp table; database errors reach the caller.
void LogTempInsert(const QString& name, const QString& value);
// The statement that makes the connection's LogTemp table when it is missing.
extern const QString LogTempCreateSql;

// The stopwatch of LogElapsedTime: both start it now (the main window's
// creation starts it too). It is one process-wide value: a nested use
// overwrites the outer start.
void StopwatchStart();
void StartStopwatch();
QDateTime StopwatchStartTime();
void SetStopwatchStartTime(const QDateTime& start);
// Writes the milliseconds since the stopwatch start as LogTemp row Name; the
// stopwatch runs on, so later calls give running totals.
void LogElapsedTime(const QString& name);
// "2999 ms", above 3 s "3,50 s", above 2 minutes "2,50 m".
QString ElapsedTimeText(qint64 ms);

// The inactivity stopwatch, started when the program loses the focus.
void StartIdleStopwatch();
QDateTime IdleStopwatchStart(); // null before the first start
void SetIdleStopwatchStart(const QDateTime& start);
// Whole seconds since the idle stopwatch start, logged as LogTemp row
// "Nieaktywnosc"; 0 (and nothing logged) when not above 0 or above ten thousand hours.
int LogIdleTime();
// "#0 ms", above 3 s "#0.0 s", above 2 minutes "#0.0 m", above an hour "#0.0 h".
QString IdleTimeText(qint64 ms);
// Whole seconds since the last keyboard or mouse input of the program.
int GetIdleSeconds();

// Kept for the main window's refresh button in the service session; does nothing.
void DumpQuerySql(TQuery* query);

// ---- assertions
// A failed internal assertion before the assertion log is installed.
class EAssertionFailed : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

// From now on a failed assertion only appends a line to the assertion log and
// execution goes on (the main window installs it at its creation).
void InstallAssertionLog(bool on = true); // false: raise again (tests)
bool AssertionLogInstalled();
// The file the assertion lines go to: the private folder's "QV_error.log".
QString AssertionLogFile();
// Appends "<date time> <file>: <message> w linii <line>, adres błędu: $<hex address>".
// A file error raises an input/output error.
void LogAssertionError(const QString& message, const QString& fileName, int lineNumber,
                       quintptr errorAddress);
// What ORLIX_ASSERT calls when its condition is false.
void AssertionFailed(const QString& message, const char* fileName, int lineNumber, quintptr errorAddress);

#define ORLIX_ASSERT(cond, message)                                                                          \
    ((cond) ? void(0)                                                                                        \
            : AssertionFailed(QStringLiteral(message), __FILE__, __LINE__,                                   \
                              quintptr(__builtin_return_address(0))))
