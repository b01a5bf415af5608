#pragma once
// Address and bandwidth helpers shared by the device datasets and editors.
#include <QString>

// The four octets of an IP text; a missing part, one without digits or one
// above 255 gives 0. Only the digits of each part count.
void SplitIpOctets(const QString& text, int& a, int& b, int& c, int& d);
// "512k" -> "524288", "10M" -> "10485760"; only 0-9, "k" and "M" are kept and
// the product is a signed 32-bit number (2048M wraps negative). A suffix
// without digits before it raises ConvertError.
QString BandwidthTextToNumber(const QString& text);
// The digits of the text as "10M", "512k" or plain below 1024 (truncating);
// "" for "", ConvertError when there is no digit or more than 32 bits hold.
QString BandwidthNumberToText(const QString& text);
// Twelve hexadecimal digits as pairs joined by the separator (groups of four
// for "."), upper case when letters is not 0; any other text unchanged.
QString FormatMacAddress(const QString& text, const QString& separator, int letters);
// Four dot-separated numbers 0..255, the last optionally followed by ":" and
// anything (the port is not examined); not "0.0.0.0", at least 7 characters.
bool IsValidIpAddress(const QString& text);
// Empty, or exactly twelve hexadecimal digits among other characters.
bool IsValidMacAddress(const QString& text);
