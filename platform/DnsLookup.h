#pragma once
// A-record lookups against one chosen resolver (c-ares), so the office can
// name the resolver its routers use instead of the workstation's own.
#include <QString>
#include <QStringList>

struct TDnsServer
{
    QString Host; // IPv4 address of the resolver
    int Port = 53;
};

// The address of the last A record of the answer; empty when there is none,
// the resolver does not answer within timeoutMs on any of tries attempts
// (each attempt waits longer than the one before), or the name is refused.
QString LookupARecord(const QString& name, const TDnsServer& server, int timeoutMs, int tries);
// The same for many names at once, answers in the order of the names; a few
// dozen questions travel together, so a slow name does not hold up the rest.
QStringList LookupARecords(const QStringList& names, const TDnsServer& server, int timeoutMs, int tries);
