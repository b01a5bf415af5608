#pragma once
// The RouterOS configuration of one MikroTik router, built from the
// subscriber and infrastructure devices assigned to it: ARP, DHCP leases,
// PPPoE accounts, simple queues, arrears address lists, public addresses and
// the gambling-domain list, one command line per object, each tagged
// "orlix4sql_" + id so later sends can remove exactly what the system made.
#include <QString>
#include <QStringList>

class TQuery;

// The ten section lists of one build, in the order the script is assembled from.
struct TMikrotikSections
{
    QStringList Queue, Arp, Dhcp, Lists, Hazard, Nat, Pppoe, Address, QueuesDay, QueuesNight;
};

// What a build reads of a router (a row of MTRouter).
struct TMikrotikRouter
{
    int Index = 0;
    QString Name, Ip, Port, Login, Password;
    bool Infra = false, Blocks = false, PubIp = false;
    int CorrUp = 100, CorrDown = 100, CorrNight = 100;
    QString BlockUp, BlockDown, LinkUp, LinkDown, QueueType, PubMask;
    bool SendArp = false, SendDhcp = false, SendQueues = false, SendPppoe = false, MacToPppoe = false,
         SendHazard = false;
    QString ScriptAdd;
};
TMikrotikRouter MikrotikRouterFromRow(const TQuery& row);

// A value for a RouterOS command line: as it is when it holds nothing
// RouterOS reads specially, otherwise in double quotes with \ " $ ? and
// control characters escaped, so a blank, ";", "[" or "comment=" in a login
// or password can neither break the line nor start another command.
QString RouterOsValue(const QString& value);

// The section lists of the router; Full adds the removal headers. Reads the
// settings MikroTikPrzebudowa_4_23 and NieOgraniczajPasmaMT, refreshes or
// empties the gambling-domain register. Database errors reach the caller.
TMikrotikSections BuildMikrotikSections(const TMikrotikRouter& router, bool full);

// Builds and sends the configuration of the router in the current row of
// the shared router dataset: nothing while a transaction is open or without
// the router's address, login or password.
void SendMikrotikConfig(bool full);

// The menu commands "MikroTik - wyślij konfigurację" (full = false) and
// "MikroTik - wyślij pełną konfigurację": rights, question, every active
// router, and the rebuild setting moved on after a full pass.
void MikrotikSendCommand(bool full);
