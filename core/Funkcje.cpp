#include "core/Funkcje.h"

QString DigitsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) out.append(c);
    return out;
}
