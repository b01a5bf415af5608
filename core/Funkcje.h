#pragma once
// Shared text and number helpers.
#include <QString>

// Only the digits of a text.
QString DigitsOnly(const QString& text);
