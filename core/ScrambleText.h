#pragma once
// Passwords kept in the settings (the KSeF key passwords): stored scrambled so
// they are not readable at a glance in the settings table. No key: anybody
// with this code can read them back. The scrambling works on the code page
// 1250 bytes of the text, as earlier installations stored them.
#include <QString>
#include <cstdint>

// The random filler: Random(n) gives 0..n-1 from a 32-bit linear
// congruential sequence (seed * 134775813 + 1), so a seed fixes the output.
class TScrambleRandom
{
public:
    explicit TScrambleRandom(uint32_t seed) : m_seed(seed) {}
    int Random(int range);

private:
    uint32_t m_seed;
};

// Three random characters, the text, "@2", one random character; each of
// those characters becomes three random characters (codes 33..122) and the
// character's code + 2. Empty text: empty result. Characters outside code
// page 1250 become "?".
QString ScrambleText(const QString& text);
QString ScrambleText(const QString& text, TScrambleRandom& random);
// Drops the 12 characters of each frame and takes every fourth character
// minus 2. Shorter than 28 characters (a password typed straight into the
// settings table): empty text, no error.
QString UnscrambleText(const QString& text);
