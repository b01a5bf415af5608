#pragma once
// Helpers the units of the KSeF operations share (not for callers outside ksef/).
#include "core/DedicatedSession.h"

#include <QDate>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class TKsefBackend;
class TKsefClient;
struct TKsefDocKind;

// The client opened by KsefInit; raises EKsefError when none is in place.
TKsefClient& KsefOpenClient();
TKsefBackend& KsefFactory();

// Asks until Done() says so: a pause from Pauses before each further question
// (the last pause doubling) while the budget lasts. Returns whether it was done.
bool KsefPoll(const std::vector<int>& pauses, int budgetMs, const std::function<bool()>& done);

// Every X-System-Warning KSeF sent goes to the activity log; the operator sees
// each text once. Each operation holds one guard, so warnings of failed calls
// are reported too.
void KsefReportWarnings();
struct TKsefWarningGuard
{
    TKsefWarningGuard() = default;
    TKsefWarningGuard(const TKsefWarningGuard&) = delete;
    TKsefWarningGuard& operator=(const TKsefWarningGuard&) = delete;
    ~TKsefWarningGuard();
};

// The document's issue date and company (FV_DATAWYSTAWIENIA, FV_PODMIOT).
QDate KsefDocIssueDate(const TKsefDocKind& kind, int index);
int KsefDocCompany(const TKsefDocKind& kind, int index);
// ExportFolder + "KSeF_FV_" + index + ".xml".
QString KsefExportFile(const TKsefDocKind& kind, int index);
// Writes a fresh FA(3) file of the document; "0" when the writer found no document.
QString KsefWriteDocXml(const TKsefDocKind& kind, int index);
bool KsefRowExists(const TKsefDocKind& kind, int index);
// Writes Text as UTF-8 (a temporary file renamed into place).
void KsefSaveText(const QString& path, const QByteArray& text);

// Runs Work inside an authenticated session of the open client; the session
// is ended also when the work failed.
void KsefInSession(const std::function<void()>& work);

// One row of the exchange log Ksef: the given columns plus the operator and
// the gateway type in force.
void KsefInsertLog(const std::vector<std::pair<const char*, TArg>>& columns);
