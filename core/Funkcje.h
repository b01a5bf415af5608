#pragma once
// Shared text and number helpers: lists, character filters and escapes,
// code page 1250, tax and account numbers, mobile numbers, colours. None of
// them touches the database or a window, and none keeps state.
#include "core/Amount4.h"
#include "core/DbError.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

// A text that is not the number it should be: EDatabaseError of class
// "EConvertError", as the field conversions of the dataset raise it.
EDatabaseError ConvertError(const QString& text);

// ---- lists
// Appends the pieces of Text between occurrences of Separator (case-sensitive);
// empty pieces are kept; an empty Text adds nothing, an empty Separator adds Text whole.
void SplitIntoStrings(const QString& separator, const QString& text, QStringList& strings);
QStringList SplitToStringList(const QString& separator, const QString& text);
QString JoinStringList(const QString& separator, const QStringList& list);

// ---- filters and replacements
QString RemoveDoubleQuotes(const QString& text);
QString CommasToPoints(const QString& text);
// Equal ignoring the case of the letters A to Z only.
bool SameTextNoCase(const QString& a, const QString& b);
// Every occurrence, left to right; replacements are not scanned again.
QString ReplaceAll(const QString& text, const QString& oldPattern, const QString& newPattern);
QString DecimalCommaToPoint(const QString& text);
QString DecimalPointToComma(const QString& text);
QString RemoveLineBreaks(const QString& text);
QString RemoveAngleBrackets(const QString& text);
QString RemoveSpaces(const QString& text);
// Only the digits of a text.
QString DigitsOnly(const QString& text);
// Trimmed of blanks and control characters, then without _ & ? " \ / ' < >.
QString SafeFileNameText(const QString& text);
// Trimmed, then & " < > as entities; the apostrophe stays.
QString XmlEscape(const QString& text);
QString StripPolishLetters(const QString& text);
// Polish letters stripped, punctuation to "_", anything outside ASCII dropped.
QString ToIdentifierText(const QString& text);
// A search text for LIKE: its own % _ and \ match themselves.
QString EscapeLikeText(const QString& text);

// ---- code page 1250
// UTF-8 of code page 1250 bytes; empty when a byte has no character in 1250.
QByteArray Cp1250ToUtf8(const QByteArray& text);
// Code page 1250 of UTF-8 bytes; characters 1250 cannot hold are left out.
QByteArray Utf8ToCp1250(const QByteArray& text);
// Text of a file or field in code page 1250 (bytes without a character are left out).
QString Cp1250ToString(const QByteArray& text);
// Text for a file in code page 1250 (characters 1250 cannot hold are left out).
QByteArray StringToCp1250(const QString& text);
// UTF-8 from the web or another program, reduced to what 1250 holds; "&#039;"
// becomes an apostrophe and runs of seven blanks shrink (two passes).
QString DecodeWebText(const QByteArray& utf8Text);

// ---- numbers
// 1 + N/100 with N all digits of the rate text ("23%" 1.23, "zw" 1); raises
// a conversion error (ConvertError) when the digits do not fit a 32-bit integer.
Amount4 VatRateFactor(const QString& rateText);
// The tax number's check digit; the empty text is valid.
bool IsValidNip(const QString& nip);
// The account's digits in groups of 2, 4, 4, 4, 4, 4, 4 separated by blanks.
QString FormatNrb(const QString& account);
// "+48" and the first of the two numbers that is a Polish mobile number; empty when neither.
QString PickMobilePhone(const QString& phone1, const QString& phone2);
// Weighted mix of two colours (negative weights count 0; both 0 count half each).
QColor BlendColors(const QColor& color1, const QColor& color2, double weight1, double weight2);
int CurrentDayOfMonth();
// Value scaled to the screen (DpiScale), truncated towards zero.
int ScaleByDpi(int value);
// The screen's scale against 96 dpi; the splash measures it.
extern double DpiScale;
bool IsDaylightSavingTime();
