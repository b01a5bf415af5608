#pragma once
// Printout tests: a database with the upgraded schema, a company with its
// seller settings, invoices written as the billing functions leave them, the
// PDF printer pointed at the test's output folder, and the tools that read
// the PDFs back (pdftotext, pdftoppm, zbarimg).
#include "core/Amount4.h"
#include "tests/support/TestDb.h"

#include <QDate>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// "12.34" as an amount (test texts are always valid).
inline Amount4 M(const char* t)
{
    Amount4 a;
    Amount4::tryParse(QString::fromLatin1(t), a);
    return a;
}

// Blanks of every kind collapsed, so texts match however pdftotext spaced them.
inline QString flat(QString s)
{
    return s.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

struct TTestItem
{
    QString name;
    Amount4 grossPrice;
    Amount4 quantity;
    QString rate; // "23%", "8%", "zw" ...
    Amount4 discount;
};

class TFormDrukFv;

class DrukFvTest : public DbTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A subscriber with an address; returns U_INDEX.
    int AddSubscriber(const QString& surname, const QString& name, int customerNumber,
                      const QString& nip = {});
    // An invoice with its items and sums; returns FV_INDEX.
    int AddInvoice(int user, const QString& number, const std::vector<TTestItem>& items,
                   const QDate& issue = QDate(2025, 3, 1), int termDays = 14);
    void SetGlobal(const QString& key, const QString& value);
    // The correction of an invoice as the correction editor leaves it: every
    // line zeroed after, or left as it was (then changed by the test);
    // returns FVK_INDEX.
    int AddCorrection(int fv, bool zeroAfter, const QString& number);
    // The after-values of a correction's lines and its sums, after a test changed them.
    void RecalcCorrection(int fvk);
    // A payment demand with its items and sums; returns PZ_INDEX.
    int AddDemand(int user, const QString& number, const std::vector<TTestItem>& items,
                  const QDate& issue = QDate(2025, 3, 1), int termDays = 14);

    // Prints the documents of the SQL to the PDF printer on Form (the
    // invoice form when none); returns the file written.
    QString PrintPdf(const QString& sql, TFormDrukFv* form = nullptr);
    static QString PdfText(const QString& pdf);
    // Every code zbarimg finds on the PDF's pages rendered at Dpi ("CODE-93:..." lines).
    static QStringList PdfCodes(const QString& pdf, int dpi = 600);
    static int PdfPages(const QString& pdf);
    // A PNG of the first page, for looking at.
    static QString RenderPng(const QString& pdf, int dpi = 110);

    QString m_outDir;
    std::unique_ptr<QTemporaryDir> m_priv;

private:
    std::unique_ptr<QTemporaryDir> m_odbcDir;
    QByteArray m_savedOdbcIni;
};
