#include "core/ScrambleText.h"

#include "platform/CodePage.h"

#include <QHash>
#include <QRandomGenerator>
#include <array>
#include <mutex>

namespace {

// Code page 1250 byte <-> character. The five bytes the code page leaves
// undefined map to the control character of the same number, as Windows did,
// so every byte survives the trip through the (utf8) settings table.
struct TCp1250Table
{
    std::array<QChar, 256> toChar{};
    QHash<char16_t, uint8_t> toByte;

    TCp1250Table()
    {
        for (int b = 0; b < 256; ++b) {
            bool ok = false;
            const QByteArray utf8 = IconvConvert(Cp1250Charset, "UTF-8", QByteArray(1, char(b)), false, &ok);
            const QString s = ok ? QString::fromUtf8(utf8) : QString();
            toChar[size_t(b)] = s.size() == 1 ? s.at(0) : QChar(char16_t(b));
            toByte.insert(toChar[size_t(b)].unicode(), uint8_t(b));
        }
    }
};

const TCp1250Table& table()
{
    static const TCp1250Table t;
    return t;
}

QByteArray toBytes(const QString& text)
{
    const TCp1250Table& t = table();
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(char(t.toByte.value(c.unicode(), uint8_t('?'))));
    return out;
}

QString toText(const QByteArray& bytes)
{
    const TCp1250Table& t = table();
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.append(t.toChar[uint8_t(b)]);
    return out;
}

char randomChar(TScrambleRandom& random)
{
    return char(33 + random.Random(90));
}

} // namespace

int TScrambleRandom::Random(int range)
{
    m_seed = m_seed * 134775813u + 1u;
    return int((uint64_t(m_seed) * uint64_t(uint32_t(range))) >> 32);
}

QString ScrambleText(const QString& text)
{
    // One process-wide sequence, seeded once at random.
    static std::mutex mutex;
    static TScrambleRandom random(QRandomGenerator::system()->generate());
    std::lock_guard lock(mutex);
    return ScrambleText(text, random);
}

QString ScrambleText(const QString& text, TScrambleRandom& random)
{
    if (text.isEmpty()) return QString();
    QByteArray framed;
    for (int i = 0; i < 3; ++i)
        framed.append(randomChar(random));
    framed.append(toBytes(text));
    framed.append("@2");
    framed.append(randomChar(random));
    QByteArray out;
    out.reserve(framed.size() * 4);
    for (char c : framed) {
        for (int i = 0; i < 3; ++i)
            out.append(randomChar(random));
        out.append(char(uint8_t(uint8_t(c) + 2)));
    }
    return toText(out);
}

QString UnscrambleText(const QString& text)
{
    const QByteArray bytes = toBytes(text);
    if (bytes.size() < 28) return QString();
    const QByteArray inner = bytes.mid(12, bytes.size() - 24);
    QByteArray out;
    for (qsizetype i = 3; i < inner.size(); i += 4)
        out.append(char(uint8_t(uint8_t(inner.at(i)) - 2)));
    return toText(out);
}
