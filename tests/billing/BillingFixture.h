#pragma once
// Billing tests: each test gets its own database with the upgraded schema,
// an operator signed in and helpers that write subscribers, documents and
// payments the way the writers of the program leave them.
#include "core/Amount4.h"
#include "tests/support/TestDb.h"

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

// "123.45" as an amount.
Amount4 A(const char* text);

class BillingTest : public DbTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A subscriber of company podmiot; returns U_INDEX.
    int AddUser(int podmiot = 1, int customerNumber = 0);
    // A company row (index 1 is the primary company).
    void AddPodmiot(int index, const QString& shortName);
    // A document header of kind 'F', 'K' or 'P' with its amount chain set for
    // gross (nothing paid on issue, nothing settled yet); returns its key.
    int AddDoc(char kind, int user, Amount4 gross, const QDate& due, const QString& number = QString(),
               const QDate& issue = QDate(2025, 1, 1), int podmiot = 1);
    // A payment with its open amount equal to its amount; returns O_INDEX.
    int AddOplata(int user, Amount4 amount, const QDate& paid, Amount4 open);
    int AddOplata(int user, Amount4 amount, const QDate& paid)
    {
        return AddOplata(user, amount, paid, amount);
    }

    Amount4 Money(const QString& sql, const TArgs& args = {}) const;
    int Int(const QString& sql, const TArgs& args = {}) const;
    QString Text(const QString& sql, const TArgs& args = {}) const;
    Amount4 DocOpen(char kind, int index) const;
    Amount4 OplataOpen(int index) const;
    void SetGlobal(const QString& key, const QString& value);

private:
    std::unique_ptr<QTemporaryDir> m_odbcDir;
    QByteArray m_savedOdbcIni;
};
