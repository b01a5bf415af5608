#include "platform/NetworkAdapter.h"

#include <QNetworkInterface>
#include <cctype>
#include <mutex>

namespace {

const QString kNoAddress = QStringLiteral("00-00-00-00-00-00");

std::mutex g_sourceMutex;
TAdapterSource g_source;

std::vector<TAdapterInfo> systemAdapters()
{
    std::vector<TAdapterInfo> out;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        TAdapterInfo a;
        a.HardwareAddress = i.hardwareAddress();
        a.Up = i.flags().testFlag(QNetworkInterface::IsUp);
        a.Loopback =
            i.flags().testFlag(QNetworkInterface::IsLoopBack) || i.type() == QNetworkInterface::Loopback;
        out.push_back(a);
    }
    return out;
}

// Six hexadecimal pairs, whatever separator the system used; empty otherwise.
QString sixPairs(const QString& address)
{
    QString hex;
    for (QChar c : address) {
        if (c == QLatin1Char(':') || c == QLatin1Char('-') || c == QLatin1Char('.')) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1()))) return QString();
        hex += c.toUpper();
    }
    if (hex.size() != 12) return QString();
    QStringList pairs;
    for (int i = 0; i < 12; i += 2)
        pairs << hex.mid(i, 2);
    return pairs.join(QLatin1Char('-'));
}

} // namespace

QString PickAdapterMacAddress(const std::vector<TAdapterInfo>& adapters)
{
    for (const TAdapterInfo& a : adapters) {
        if (!a.Up || a.Loopback) continue;
        const QString mac = sixPairs(a.HardwareAddress);
        // Tunnels and some virtual links report zeros: no address of their own.
        if (mac.isEmpty() || mac == kNoAddress) continue;
        return mac;
    }
    return kNoAddress;
}

QString GetAdapterMacAddress(const QString& serverName)
{
    Q_UNUSED(serverName);
    try {
        TAdapterSource source;
        {
            std::lock_guard lock(g_sourceMutex);
            source = g_source;
        }
        return PickAdapterMacAddress(source ? source() : systemAdapters());
    } catch (...) {
        return kNoAddress;
    }
}

void SetAdapterSource(TAdapterSource source)
{
    std::lock_guard lock(g_sourceMutex);
    g_source = std::move(source);
}
