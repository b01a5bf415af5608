#pragma once
// Text in code page 1250, the encoding of the system's own files and of the
// formats it shares with other programs. Qt 6 has no codec for it, so the
// conversions go through glibc's iconv.
#include <QByteArray>

// Converts Text from one iconv encoding to another. Strict (dropUnmappable
// false): a character the target cannot hold or an invalid input sequence
// fails the whole conversion (ok false, empty result). Lenient: such
// characters are left out and the rest is converted.
QByteArray IconvConvert(const char* from, const char* to, const QByteArray& text, bool dropUnmappable,
                        bool* ok = nullptr);

// The iconv name of code page 1250.
inline constexpr const char* Cp1250Charset = "WINDOWS-1250";
