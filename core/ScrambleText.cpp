#include "core/ScrambleText.h"

QString ScrambleText(const QString& text)
{
    return text;
}

QString UnscrambleText(const QString& text)
{
    return text;
}
