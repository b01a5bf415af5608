#pragma once
// Purchase invoices received from KSeF: the fetch period, the query of both
// subject types page by page into FvKsefPobrane (only numbers not stored yet),
// the export packages of their XML files, and the list's statement pieces.
// No widgets; needs an opened and authenticated client (KsefInit, KsefOpenSession).
#include "ksef/KsefResults.h"

#include <QDateTime>
#include <QString>

class TListCondition;

struct TKsefPeriod
{
    QDateTime From;
    QDateTime To;
};
// From the later of 30 days back and the KSeF start day, to now.
TKsefPeriod KsefFetchPeriod(const QDateTime& now);

TKsefInvoiceQueryFilters KsefQueryFilters(int subjectType, const QDateTime& from, const QDateTime& to);

// "yyyy-mm-dd" of KSeF's date text: ISO ("2026-02-01T10:00:00") or day first
// ("1.02.2026 10:00:00", "01.02.2026 10:00:00").
QString KsefReceivedDate(const QString& text);

// Pauses (ms) between the subject types and between the export polls.
struct TKsefReceivedWaits
{
    int BetweenTypesMs = 1000;
    int ExportPollMs = 1000;
};
TKsefReceivedWaits& KsefReceivedWaits();

// Inserts the invoices of both subject types not stored yet, in one
// transaction (nothing of a failed fetch stays); the number inserted.
int KsefQueryReceivedInvoices(const QDateTime& from, const QDateTime& to);
// Saves "_Paczka<type>.zip" into the export folder for each subject type whose
// export is ready within five polls; the number of package parts saved.
int KsefDownloadReceivedPackages(const QDateTime& from, const QDateTime& to);
// "Pobranych paczek: n" with the period, and the folder when something came.
QString KsefPackagesMessage(int parts, const TKsefPeriod& period);

// "Pobierz" and "Paczka xml" for the company (P_INDEX) at the moment Now:
// false when the company has no certificate (nothing is shown then).
bool KsefFetchReceived(int companyId, const QDateTime& now);
bool KsefFetchReceivedPackages(int companyId, const QDateTime& now);

// "Drukuj": the official page of the invoice fetched by its KSeF number (the
// client opened for company 1); empty when KSeF has no such invoice.
QString KsefInvoicePage(const QString& ksefNumber);

// The company of the list: P_INDEX of the short name, 0 when none.
int KsefCompanyByShortName(const QString& shortName);
