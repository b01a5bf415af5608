#pragma once
// The workstation's network adapter address: the host id's last resort and
// the tag of every activity log line.
#include <QString>
#include <functional>
#include <vector>

// What the address lookup needs to know of one interface.
struct TAdapterInfo
{
    QString HardwareAddress; // as the system spells it, e.g. "00:1a:2b:3c:4d:5e"
    bool Up = false;
    bool Loopback = false;
};

// The address of the first interface that is up, not the loopback and has a
// six-byte hardware address, as "00-1A-2B-3C-4D-5E"; "00-00-00-00-00-00"
// when there is none. Never throws. The server name is accepted for the
// callers' sake: only the local computer's adapters can be read here.
QString GetAdapterMacAddress(const QString& serverName);

// The choice GetAdapterMacAddress makes, over a given list of interfaces.
QString PickAdapterMacAddress(const std::vector<TAdapterInfo>& adapters);

// Tests replace the system's interface list; an empty function restores it.
using TAdapterSource = std::function<std::vector<TAdapterInfo>()>;
void SetAdapterSource(TAdapterSource source);
