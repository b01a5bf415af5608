#pragma once
// Bulk output tests: the printout fixture with its output in
// build/test-output/bulk/<test>, documents made many at a time in SQL, and
// readers of the lists and packages the run leaves.
#include "printouts/WydrukDokumentowDane.h"
#include "tests/printouts/DrukFvFixture.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class BulkTest : public DrukFvTest
{
protected:
    void SetUp() override;

    // Count invoices numbered from 1 of one subscriber, issued on Issue, each
    // with the amount to settle Amount; one statement however many.
    void AddInvoices(int user, int count, const QDate& issue,
                     const QString& amount = QStringLiteral("10.00"));
    // Criteria of company 1 over every date.
    static TBulkCriteria AllOf(int kind, int output = boNoPrint);
    // A run whose counters start from the documents the criteria find.
    TBulkRun RunOf(const TBulkSql& sql);

    static QByteArray FileBytes(const QString& path);
    // Lines of a CR LF text file (the last, empty one dropped).
    static QStringList CrLfLines(const QByteArray& data);
    static QStringList ZipEntries(const QString& path);
};
