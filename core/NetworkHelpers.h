#pragma once
// Address and bandwidth helpers shared by the device datasets and editors.
#include <QString>

// The four octets of an IP text; a missing part, one without digits or one
// above 255 gives 0. Only the digits of each part count.
void SplitIpOctets(const QString& text, int& a, int& b, int& c, int& d);
// "512k" -> "524288", "10M" -> "10485760"; only 0-9, "k" and "M" are kept.
// A letter with no digits before it raises EDatabaseError (EConvertError).
QString BandwidthTextToNumber(const QString& text);
// Twelve hexadecimal digits as pairs joined by the separator (groups of four
// for "."), upper case when letters is not 0; any other text unchanged.
QString FormatMacAddress(const QString& text, const QString& separator, int letters);
// Four dot-separated numbers 0..255, the last optionally with ":port"; not "0.0.0.0".
bool IsValidIpAddress(const QString& text);
// Empty, or exactly twelve hexadecimal digits among other characters.
bool IsValidMacAddress(const QString& text);
