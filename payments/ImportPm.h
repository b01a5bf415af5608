#pragma once
// Reading one bank statement file into PlatnosciMasowe: the copy and its
// normalisation, the register of files read (PmMD5), the layout's body, and
// the steps that follow (matching rows to subscribers by sub-account, the
// foreign-prefix removal, the stored log). Runs inside the caller's
// transaction; a failed read leaves none of its rows, only its register row.
#include "core/Amount4.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

struct TPmImportRequest
{
    QString path;   // the file as the operator chose it
    QString format; // a name of PmFormatNames()
    bool removeForeignPrefix = false;
    bool onlyFailedImportsShown = false;
    // The window's message label (the counts of the read).
    std::function<void(const QString&)> showMessage;
};

struct TPmImportResult
{
    bool ok = false;        // the layout ran without an error
    bool duplicate = false; // the normalised copy was registered under this format
    int read = 0;
    int imported = 0;   // rows left in PlatnosciMasowe
    int registerId = 0; // PMMD5_INDEX of the register row
};

// The largest file the import takes (bytes).
constexpr qint64 kPmMaxFileSize = 512000;

// Lines of a file: CR LF, a lone CR or a lone LF end a line; a NUL ends the text.
QList<QByteArray> NormalisePmLines(const QByteArray& content);
// The lines written back, each ended by CR LF.
QByteArray JoinPmLines(const QList<QByteArray>& lines);

TPmImportResult ImportStatementFile(const TPmImportRequest& request);

// The warning "Importuj" gives before reading a file (no format, too big,
// registered under the format); empty when the file may be read.
QString PmImportRefusal(const QString& path, const QString& format);

// Ties every unmatched row to the subscriber whose main or additional
// sub-account equals its account text: an active one first, then the newest.
void MatchPmRowsToUsers();

// Unposted rows and their sum ('0000-00-00' posting date).
struct TPmUnposted
{
    int count = 0;
    Amount4 sum;
};
TPmUnposted CountUnpostedPm();
// "Niezaksiegowanych: 2  (150,00 zł)".
QString UnpostedCounterText(const TPmUnposted& u);
// The register's test: the file (MD5) already read under the format.
bool PmFileRegistered(const QString& md5, const QString& format);
bool PmFileRegisteredAnyFormat(const QString& md5);
