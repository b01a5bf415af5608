#include "billing/DateVariables.h"

QString ExpandDateVariables(const QString& text, const QDate& date)
{
    if (!date.isValid()) return text;
    static const char* const months[12] = {"styczeń",  "luty",        "marzec",   "kwiecień",
                                           "maj",      "czerwiec",    "lipiec",   "sierpień",
                                           "wrzesień", "październik", "listopad", "grudzień"};
    QString t = text;
    t.replace(QLatin1String("<#Y>"), QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')));
    t.replace(QLatin1String("<#M>"), QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0')));
    t.replace(QLatin1String("<#m>"), QString::fromUtf8(months[date.month() - 1]));
    t.replace(QLatin1String("<#D>"), QString::number(date.day()));
    return t;
}
