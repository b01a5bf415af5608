#pragma once
// The copy of the national register of blocked gambling domains (table
// HazardDomeny), refreshed from the register's web service when it changed,
// with the domains' addresses when the office wants them resolved.
#include "platform/DnsLookup.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

// Global settings: the register's service root ("RejestrHazardowyAdres") and
// the resolver asked for the domains' addresses ("DnsSerwerAdres", "DnsSerwerPort").
QString HazardRegisterUrl();
TDnsServer HazardResolver();

struct THazardEntry
{
    int Lp = 0;
    QString Domain;
    QString Entered; // "yyyy-mm-dd hh:mm:ss"
};
// The entries of the register document, read by element names; an entry
// without a number or a domain is left out.
std::vector<THazardEntry> ParseHazardRegister(const QByteArray& xml);
// The domain reduced to its last two labels ("www.example.com" -> "example.com").
QString HazardBaseDomain(const QString& domain);

// Refreshes the table when the register changed and the last refresh is at
// least three hours old. Database errors reach the caller.
void UpdateHazardDomains();
// The register's last change; 2017-01-01 when the service gives no date.
QDateTime GetRegisterModificationDate();
// The domain's address from the resolver of the settings; "0.0.0.0" when none.
QString ResolveHostAddress(const QString& domain);
