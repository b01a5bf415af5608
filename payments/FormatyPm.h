#pragma once
// What every bank statement layout shares: the reading state of one file,
// the line splitters, the date, amount and account conversions, and the list
// of layouts the import window offers. A layout body walks the file's lines
// and hands each accepted transfer to AddRow; any conversion that fails
// throws, which ends the read as a failed import.
#include "core/Amount4.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <vector>

class TDedicatedSession;

// A value of the statement that does not convert (date, amount, missing line).
class EPmReadError : public std::runtime_error
{
public:
    explicit EPmReadError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

// One transfer as a layout read it, before it is written.
struct TPmRow
{
    QString date; // "yyyy-mm-dd" or empty
    Amount4 amount;
    QString payer;
    QString account;
    QString title;
};

class TPmReadContext
{
public:
    TPmReadContext(TDedicatedSession* session, QList<QByteArray> lines);
    ~TPmReadContext();
    TPmReadContext(const TPmReadContext&) = delete;
    TPmReadContext& operator=(const TPmReadContext&) = delete;

    // The normalised file, one entry per line, bytes as in the file (code page 1250).
    const QList<QByteArray>& Lines() const { return m_lines; }
    // Line i as text (code page 1250); empty past the end.
    QString Line(qsizetype i) const;
    QStringList Log;
    int Read = 0;
    int Imported = 0;
    QString BankNumber = QStringLiteral("00000000"); // U_Sub_NrBanku
    QString ClientId = QStringLiteral("0000");       // U_Sub_NrKlienta
    bool OnlyFailedImportsShown = false;             // the import list's check box
    bool Silent = false;                             // a failure shows no message box
    QString Today;                                   // "yyyy-mm-dd"

    // Checks the row's date and amount, cuts the texts to their columns and
    // queues the row; rows are written in batches. Throws EPmReadError on a
    // date that is not a real day.
    void AddRow(const TPmRow& row);
    // Writes the queued rows (also at the end of the read).
    void Flush();
    // PM_INDEX range of the rows this read wrote; 0, 0 when none.
    int FirstIndex() const { return m_firstIndex; }
    int LastIndex() const { return m_lastIndex; }

private:
    TDedicatedSession* m_session;
    QList<QByteArray> m_lines;
    std::vector<TPmRow> m_pending;
    int m_firstIndex = 0;
    int m_lastIndex = 0;
};

// ---- splitting a line into fields F1..F49
enum class TPmSplitter
{
    QuotedBlank,   // a delimiter inside quotes becomes a blank, quotes dropped
    QuotedDropped, // a delimiter inside quotes is removed, quotes dropped
    Plain          // quotes are ordinary characters
};
// The fields of a line: delimiters + 1 of them, at most 49 (further pieces
// overwrite the 49th). changedLine gets the line after the quote pass.
QStringList SplitPmLine(const QString& line, QChar delimiter, TPmSplitter splitter,
                        QString* changedLine = nullptr);
// Field n (1-based); empty when the line has fewer.
QString PmField(const QStringList& fields, int n);

// ---- conversions
// yyyymmdd and ddmmyyyy to "yyyy-mm-dd" (characters taken as they stand).
QString PmDateYmd(const QString& text);
QString PmDateDmy(const QString& text);
// Amount in grosz: digits only, as a 32-bit integer, / 100. Throws past 2^31-1.
Amount4 PmGroszDigits(const QString& text);
// Amount in grosz: the field converted as a 32-bit integer as it stands, / 100.
Amount4 PmGroszPlain(const QString& text);
// Amount in grosz: the separator removed (all but the last three characters
// followed by the last two), then as a 32-bit integer / 100.
Amount4 PmGroszSeparator(const QString& text);
// Amount in grosz: the field as a number with a decimal comma, / 100.
Amount4 PmGroszNumber(const QString& text);
// Amount in złoty: every "." becomes ","; throws when it is not a number.
Amount4 PmZloty(const QString& text);
// Amount digits (grosz) of a statement record's window: from the first "N"
// to an "N" after at least four characters; from the first "C" to the end;
// from each "C" to an "S" after at least four characters.
QString PmAmountNtoN(const QString& text);
QString PmAmountCtoEnd(const QString& text);
QString PmAmountCtoS(const QString& text);
// Characters 1-2, 3-6, ... 23-26 joined by single blanks; nothing checked.
QString PmGrouped(const QString& text);
// The grouped number when more than 25 characters, else "NIEPEŁNY NR RACHUNKU!".
QString PmChecked(const QString& text);
// CompleteNrb of bank number 1-4, 5-8, client id and the 12 characters of X.
QString PmRebuilt(const TPmReadContext& ctx, const QString& x);

// The separator line of the delimited layouts' log (56 "=").
QString PmLogSeparator();
// The log block of a counted record: the line, each field, the separator.
void PmLogRecord(TPmReadContext& ctx, const QString& line, const QStringList& fields);

// ---- the layouts
struct TPmFormat
{
    QString name;
    std::function<void(TPmReadContext&)> body;
};
// Every layout, in the order the format combo shows them.
const std::vector<TPmFormat>& PmFormats();
QStringList PmFormatNames();
const TPmFormat* FindPmFormat(const QString& name);

// Registration of one family's layouts (called once when the list is built).
void RegisterPlainFormats(std::vector<TPmFormat>& out);
void RegisterQuotedFormats(std::vector<TPmFormat>& out);
void RegisterStatementFormats(std::vector<TPmFormat>& out);
