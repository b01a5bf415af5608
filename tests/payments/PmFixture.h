#pragma once
// Bank import tests: a database as the program's first start leaves it, an
// operator signed in, the message box answered by the test, and helpers that
// write subscribers, documents and statement files.
#include "core/Amount4.h"
#include "payments/ImportPm.h"
#include "tests/support/TestDb.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const Amount4& a, std::ostream* os)
{
    *os << a.toSqlText().toStdString();
}

Amount4 Zl(const char* text);

class PmTest : public DbTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A subscriber (active unless told otherwise) with its two sub-accounts; returns U_INDEX.
    int AddUser(int customer, const QString& account1, const QString& account2 = QString(),
                bool active = true, int podmiot = 1);
    // An invoice of the subscriber, nothing paid; returns FV_INDEX.
    int AddInvoice(int user, Amount4 gross, const QDate& due);
    // A file of the test's folder with these bytes; returns its path.
    QString WriteFile(const QString& name, const QByteArray& bytes);
    // Reads a file under a layout, the removal of foreign prefixes as told.
    TPmImportResult Import(const QString& path, const QString& format = QStringLiteral("RAW"),
                           bool removeForeign = false);

    int Int(const QString& sql, const TArgs& args = {}) const;
    QString Text(const QString& sql, const TArgs& args = {}) const;
    Amount4 Money(const QString& sql, const TArgs& args = {}) const;
    // Texts the message box showed since the test began.
    QStringList Shown() const;

    std::unique_ptr<QTemporaryDir> m_dir;

private:
    std::unique_ptr<QTemporaryDir> m_odbcDir;
    QByteArray m_savedOdbcIni;
};

// A RAW statement line: date|account|grosz|payer|title, CR LF ended, code page 1250.
QByteArray RawLine(const QString& date, const QString& account, const QString& grosz, const QString& payer,
                   const QString& title);
// The grouped sub-account of a customer in bank 10501025, client id 0000, prefix 0000.
QString SubAccount(int customer);
