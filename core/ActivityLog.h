#pragma once
// The activity log (table Log), the per-connection timing log (LogTemp) and
// the assertion log.
#include <QString>

// One Log row: login + " : " + text + " (" + adapter address + ")". Never raises.
void LogEvent(const QString& text);
// LogEvent only while the global setting SzczegoloweLogi is on.
void LogEventDetailed(const QString& text);
// A named value in the connection's LogTemp table; database errors reach the caller.
void LogTempInsert(const QString& name, const QString& value);
void StopwatchStart();
void LogElapsedTime(const QString& name);
