#pragma once
// The rules of the bulk document run without its window: the SQL of the
// chosen criteria, the document kinds and the counters every output step
// shares (the KSeF package, the envelo packages, the electronic copy).
#include "core/DedicatedSession.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

// Outputs of "Drukarka / System".
enum TBulkOutput
{
    boDefaultPrinter = 0,
    boPaperPrinter = 1,
    boPdfPrinter = 2,
    boNoPrint = 3,
    boElectronicCopy = 4,
    boNeofaktura = 5,
    boNeolist = 6,
    boKsef = 7
};

// Kinds of "Rodzaj dokumentu".
enum TBulkKindId
{
    bkInvoice = 0,
    bkDemand = 1,
    bkCorrection = 2
};

struct TBulkKind
{
    const char* Table;     // "Fv"
    const char* Prefix;    // "FV_"
    const char* PdfStem;   // "F_"
    const char* BlobKind;  // "FV": document kind of the stored PDF
    const char* ListView;  // "vFvLista"
    const char* KsefTable; // "FvKsef"; nullptr for payment demands

    QString Col(const char* column) const;
    QString DocumentHead() const;
    QString CountHead() const;
    QString PdfNameHead() const;
    QString Order() const;
};
const TBulkKind& BulkKind(int kind);

// "F_" + the number with "/" as "_" + ".pdf": the name the printout gives its PDF.
QString BulkPdfFileName(int kind, const QString& numberText);

struct TBulkCriteria
{
    int Output = boDefaultPrinter;
    int Kind = bkInvoice;
    int Mark = 0; // "Według oznaczenia klientów"
    bool FromOn = false;
    QDate From;
    bool ToOn = false;
    QDate To;
    bool NumbersOn = false;
    QString NumberFrom;
    QString NumberTo;
    int Company = 0;
    bool MainGridOnly = false;
    QString MainUserIds; // MainUserIdList: " in (...) " built by the main grid from its keys
    bool CompanyMarked = false;
    bool CompanyMarkNegated = false;
};

// The operator's criteria cannot make a query (a number range that is no number).
class EBulkCriteriaError : public std::runtime_error
{
public:
    explicit EBulkCriteriaError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

struct TBulkSql
{
    int Kind = bkInvoice;
    QString Head, CountHead, PdfHead, Filter, Order;
    TArgs Args; // the filter's values, in the order they appear in it
    QString FullQuery() const { return Head + Filter + Order; }
};

// The number range is bound, never spliced; a range end that is not a whole
// number raises EBulkCriteriaError with the message for the operator.
TBulkSql BuildBulkSql(const TBulkCriteria& criteria);
int CountBulkDocuments(TDedicatedSession* session, const TBulkSql& sql);
// P_INDEX of the company short name; 0 when none has it.
int BulkCompanyIndex(TDedicatedSession* session, const QString& shortName);

// Counters and the window's gauge, abort flag and message pump as the steps see them.
struct TBulkRun
{
    int FoundCount = 0;
    int DoneCount = 0;
    int SentCount = 0;
    int SkippedFiles = 0; // PDFs that never appeared
    int FailedFiles = 0;  // files that could not be written
    QStringList Problems; // one line per skipped or failed document

    std::function<void(int)> GaugeStart;
    std::function<void()> GaugeStep;
    std::function<bool()> AbortRequested;
    std::function<void()> ProcessMessages;

    void StartGauge(int max) const
    {
        if (GaugeStart) GaugeStart(max);
    }
    void StepGauge() const
    {
        if (GaugeStep) GaugeStep();
    }
    bool Aborted() const { return AbortRequested && AbortRequested(); }
    // Every tenth document the window gets to paint and see "Przerwij wydruk".
    void Breathe(int counter) const
    {
        if (ProcessMessages && counter % 10 == 0) ProcessMessages();
    }
    void Fail(const QString& line)
    {
        ++FailedFiles;
        Problems << line;
    }
    void Skip(const QString& line)
    {
        ++SkippedFiles;
        Problems << line;
    }
};
