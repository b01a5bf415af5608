#include "network/NetworkCalculator.h"

namespace {

std::optional<uint32_t> ParseIpv4(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4) return std::nullopt;
    uint32_t ip = 0;
    for (const QString& p : parts) {
        if (p.isEmpty() || p.size() > 3) return std::nullopt;
        for (QChar c : p)
            if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
        const int v = p.toInt();
        if (v > 255) return std::nullopt;
        ip = (ip << 8) | uint32_t(v);
    }
    return ip;
}

QChar ClassOf(uint32_t ip)
{
    const uint32_t first = ip >> 24;
    if (first < 128) return QLatin1Char('A');
    if (first < 192) return QLatin1Char('B');
    if (first < 224) return QLatin1Char('C');
    if (first < 240) return QLatin1Char('D');
    return QLatin1Char('E');
}

} // namespace

std::optional<TIpNetwork> CalculateIpNetwork(const QString& address, const QString& prefix)
{
    const auto ip = ParseIpv4(address);
    if (!ip) return std::nullopt;
    const QString p = prefix.trimmed();
    if (p.isEmpty() || p.size() > 2) return std::nullopt;
    for (QChar c : p)
        if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
    const int len = p.toInt();
    if (len > 32) return std::nullopt;

    TIpNetwork n;
    n.Prefix = len;
    n.Mask = len == 0 ? 0u : ~uint32_t(0) << (32 - len);
    n.First = *ip & n.Mask;
    n.Last = n.First | ~n.Mask;
    n.Count = uint64_t(1) << (32 - len);
    n.Class = ClassOf(*ip);
    return n;
}

QString IpToText(uint32_t ip)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ip >> 24)
        .arg((ip >> 16) & 0xFF)
        .arg((ip >> 8) & 0xFF)
        .arg(ip & 0xFF);
}

QString MaskBinaryText(uint32_t mask)
{
    QStringList octets;
    for (int shift = 24; shift >= 0; shift -= 8)
        octets << QStringLiteral("%1").arg((mask >> shift) & 0xFF, 8, 2, QLatin1Char('0'));
    return octets.join(QLatin1Char('.'));
}

QStringList NetworkInfoCaptions()
{
    return {QStringLiteral("Sieć:"),  QStringLiteral("Zakres adresów:"),
            QStringLiteral("Klasa:"), QStringLiteral("Ilość adresów:"),
            QStringLiteral("Maska:"), QStringLiteral("Maska binarna:")};
}

QStringList NetworkInfoValues(const QString& address, const QString& prefix)
{
    const auto n = CalculateIpNetwork(address, prefix);
    if (!n) return QStringList(6, QString());
    return {IpToText(n->First) + QLatin1Char('/') + QString::number(n->Prefix),
            IpToText(n->First) + QStringLiteral(" - ") + IpToText(n->Last),
            QString(n->Class),
            QString::number(n->Count),
            IpToText(n->Mask),
            MaskBinaryText(n->Mask)};
}
