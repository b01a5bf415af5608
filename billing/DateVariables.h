#pragma once
// Date tokens in texts the operator writes (register comments, mail subjects).
#include <QDate>
#include <QString>

// "<#Y>" the year (four digits), "<#M>" the month as two digits, "<#m>" the
// Polish month name ("styczeń".."grudzień"), "<#D>" the day without a leading
// zero, replaced case-sensitively in that order; an invalid date leaves the
// text unchanged.
QString ExpandDateVariables(const QString& text, const QDate& date);
