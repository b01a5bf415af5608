#pragma once
// Register and JPK tests: each test gets its own upgraded database, the
// seller's settings a tax office accepts, an export folder under
// build/test-output and helpers that write invoices and corrections with
// their group sums, lines and KSeF state.
#include "core/Amount4.h"
#include "tests/support/TestDb.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <array>
#include <memory>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// One document as the billing writers leave it.
struct TDocSpec
{
    char Kind = 'F'; // 'F' invoice, 'K' correction
    QString Date = QStringLiteral("2026-03-10");
    QString Number; // FV_NUMERTXT; made up when empty
    QString Nip = QStringLiteral("PL 526-000-12-46");
    QString Nazwisko = QStringLiteral("Kowalski"), Imie = QStringLiteral("Jan");
    QString Ulica = QStringLiteral("Długa"), NrDomu = QStringLiteral("5"), NrLokalu = QStringLiteral("3"),
            Kod = QStringLiteral("00-001"), Miejscowosc = QStringLiteral("Warszawa");
    // G, NP, C, D net, D VAT, B net, B VAT, A net, A VAT
    std::array<const char*, 9> Sums = {"0", "0", "0", "0", "0", "0", "0", "100", "23"};
    int Fp = 0, Ee = 0, Tp = 0;
    int Podmiot = 1;
    int User = 0;
    QString NrKsef, KsefStatus;
    std::vector<int> Gtu; // one line per code; one plain line when empty
};

class RegistersTest : public DbTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Seller settings of company 1 that pass every check.
    void SetValidSeller();
    void AddPodmiot(int index, const QString& shortName);
    int AddUser();
    int AddDoc(const TDocSpec& spec);

    // build/test-output/jpk: where the files of the cases are kept.
    QString OutDir() const { return m_outDir; }
    // The test's own, empty export folder below it (tests run side by side).
    QString ExportDir() const { return m_exportDir; }

private:
    std::unique_ptr<QTemporaryDir> m_odbcDir;
    QByteArray m_savedOdbcIni;
    QString m_outDir;
    QString m_exportDir;
    int m_counter = 0;
};

// A file's bytes; empty when it can't be read.
QByteArray ReadFile(const QString& path);
// The schema files of the JPK structures (offline copies).
QString JpkSchema(const QString& kind); // "V7M3", "V7M2", "V7K2", "FA4", "VAT3"
