#pragma once
// Output 7 of the bulk run: the FA (3) files of the chosen invoices or
// corrections that KSeF has no number for yet, packed flat into one ZIP that
// the KSeF window's batch send recognises by its name alone.
#include "printouts/WydrukDokumentowDane.h"

#include <QDateTime>
#include <QString>

// "KSeF_Fv_" or "KSeF_Fvk_" + yyyymmdd + "_" + hhnnss + "_" + company in two
// digits + ".zip" in folder; when that file exists (two runs in one second),
// "_2", "_3"... goes before the company digits, so nothing is overwritten and
// the name still ends in the company. A company index above 99 cannot be
// told by two digits: EBulkCriteriaError.
QString KsefPackagePath(const QString& folder, int kind, int company, const QDateTime& now);

// The step itself. Payment demands give nothing (empty result). Every document
// issued from KsefStartDate on without a KSeF number longer than 15 characters
// is written by the FA (3) writer (DoneCount), every written file packed
// (SentCount); a file that cannot be written is counted in FailedFiles and
// named in Problems. Returns the package path; empty when there is none (an
// abort, or a ZIP error, which is logged). Database errors reach the caller.
QString BuildKsefPackage(TDedicatedSession* session, const TBulkSql& sql, int company, TBulkRun& run);

// A ZIP with no entries (libzip writes no file for it): the end record alone.
void WriteEmptyZip(const QString& path);
