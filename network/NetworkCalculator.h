#pragma once
// The IPv4 network calculator: an address and a prefix length give the
// network's range, class, size and mask. The dictionaries window shows it and
// the free-address lists walk its range.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

struct TIpNetwork
{
    uint32_t First = 0; // network address
    uint32_t Last = 0;  // broadcast address
    int Prefix = 0;
    uint64_t Count = 0; // addresses in the range, network and broadcast included
    uint32_t Mask = 0;
    QChar Class; // 'A'..'E' by the first octet of the address
};

// Nothing for an address that is not four numbers 0..255 or a prefix that is
// not a whole number 0..32 (surrounding spaces are allowed in both).
std::optional<TIpNetwork> CalculateIpNetwork(const QString& address, const QString& prefix);

QString IpToText(uint32_t ip);
// "11111111.11111111.11111111.00000000"
QString MaskBinaryText(uint32_t mask);

// The values behind the six captions of the network information, in this
// order: "Sieć:", "Zakres adresów:", "Klasa:", "Ilość adresów:", "Maska:",
// "Maska binarna:". All empty when the address or prefix is missing or wrong.
QStringList NetworkInfoCaptions();
QStringList NetworkInfoValues(const QString& address, const QString& prefix);
