// Every layout reads damaged copies of its statement: cut at random points,
// bytes flipped, a huge field, UTF-16, empty. No crash and no hang; a read
// keeps exactly the rows it counted, a failed one none, and says so in Polish.
#include "core/DialogPL.h"
#include "payments/FormatyPm.h"
#include "tests/payments/PmFixture.h"

#include <QFile>
#include <random>

namespace {

struct Fixture
{
    const char* format;
    const char* file;
};

// One statement per layout of the format combo.
const Fixture kFixtures[] = {
    {"Alior Bank", "alior_bank.txt"},
    {"Alior Bank (2)", "alior_bank_2.txt"},
    {"Alior Bank (3)", "alior_bank_3.txt"},
    {"Alior Bank (4)", "alior_bank_4.txt"},
    {"Alior Bank (5)", "alior_bank_5.txt"},
    {"Bank Pekao", "bank_pekao.txt"},
    {"Bank Pocztowy", "bank_pocztowy.txt"},
    {"Bank Pocztowy (2)", "bank_pocztowy_2.txt"},
    {"BGŻ", "bgz.txt"},
    {"BGŻ (2)", "bgz_2.txt"},
    {"BGŻ (3)", "bgz_3.txt"},
    {"BPH", "bph.txt"},
    {"BPS", "bps.txt"},
    {"BRE Bank", "bre_bank.txt"},
    {"BS", "bs.txt"},
    {"BS (10)", "bs_10.txt"},
    {"BS (11)", "bs_11.txt"},
    {"BS (12)", "bs_12.txt"},
    {"BS (13)", "bs_13.txt"},
    {"BS (14)", "bs_14.txt"},
    {"BS (15)", "bs_15.txt"},
    {"BS (2)", "bs_2.txt"},
    {"BS (3)", "bs_3.txt"},
    {"BS (4)", "bs_4.txt"},
    {"BS (5)", "bs_5.txt"},
    {"BS (6)", "bs_6.txt"},
    {"BS (7)", "bs_7.txt"},
    {"BS (8)", "bs_8.txt"},
    {"BS (9)", "bs_9.txt"},
    {"BZWBK", "bzwbk.txt"},
    {"BZWBK (2)", "bzwbk_2.txt"},
    {"BZWBK (3)", "bzwbk_3.txt"},
    {"BZWBK (4)", "bzwbk_4.txt"},
    {"BZWBK (5)", "bzwbk_5.txt"},
    {"BZWBK (6)", "bzwbk_6.txt"},
    {"Deutsche Bank", "deutsche_bank.txt"},
    {"Fortis Bank", "fortis_bank.txt"},
    {"Getin Bank", "getin_bank.txt"},
    {"ING", "ing.txt"},
    {"ING (2)", "ing_2.txt"},
    {"ING (3)", "ing_3.txt"},
    {"ING (4)", "ing_4.txt"},
    {"Kredyt Bank", "kredyt_bank.txt"},
    {"Kredyt Bank (2)", "kredyt_bank_2.txt"},
    {"mBank", "mbank.txt"},
    {"Millenium (csv)", "millenium_csv.txt"},
    {"Millenium (S3)", "millenium_s3.txt"},
    {"Millenium (S4)", "millenium_s4.txt"},
    {"PBS Bank", "pbs_bank.txt"},
    {"PKO Bank Polski", "pko_bank_polski.txt"},
    {"Raiffeisen", "raiffeisen.txt"},
    {"RAW", "raw.txt"},
};

// Random cuts and flips of the statement, then the fixed hard cases.
std::vector<QByteArray> damagedCopies(const QByteArray& original, std::mt19937& rng)
{
    std::vector<QByteArray> out;
    auto pos = [&rng](qsizetype size) {
        return qsizetype(std::uniform_int_distribution<qsizetype>(0, std::max<qsizetype>(0, size - 1))(rng));
    };
    for (int i = 0; i < 8; ++i)
        out.push_back(original.left(pos(original.size() + 1)));
    for (int i = 0; i < 8; ++i) {
        QByteArray b = original;
        const int flips = 1 + int(rng() % 4);
        for (int k = 0; k < flips && !b.isEmpty(); ++k)
            b[pos(b.size())] = char(rng() & 0xff);
        out.push_back(b);
    }
    for (int i = 0; i < 4; ++i) {
        QByteArray b = original.left(pos(original.size() + 1));
        if (!b.isEmpty()) b[pos(b.size())] = char(rng() & 0xff);
        out.push_back(b);
    }
    QByteArray huge = original;
    huge.insert(pos(huge.size()), QByteArray(200000, '7'));
    out.push_back(huge);
    const QString text = QString::fromLatin1(original);
    out.push_back(QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    out.push_back(QByteArray());
    out.push_back(original.left(original.size() / 2).replace("\r\n", "\n"));
    return out;
}

} // namespace

TEST_F(PmTest, EveryLayoutSurvivesDamagedStatements)
{
    QStringList names;
    for (const Fixture& f : kFixtures)
        names.append(QString::fromUtf8(f.format));
    ASSERT_EQ(names, PmFormatNames()) << "every layout of the combo has its statement";

    std::mt19937 rng(20240531);
    QStringList summary;
    int inputNo = 0;
    for (const Fixture& f : kFixtures) {
        QFile src(QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/bank/") + QLatin1String(f.file));
        ASSERT_TRUE(src.open(QIODevice::ReadOnly)) << f.file;
        const QByteArray original = src.readAll();
        int inputs = 0, failed = 0, partial = 0;
        for (const QByteArray& bytes : damagedCopies(original, rng)) {
            const int before = Int(QStringLiteral("select count(*) from PlatnosciMasowe"));
            TMD::ClearRecorded();
            const TPmImportResult r = Import(WriteFile(QStringLiteral("d%1.txt").arg(++inputNo), bytes),
                                             QString::fromUtf8(f.format));
            if (r.duplicate) continue;
            ++inputs;
            const int rows = Int(QStringLiteral("select count(*) from PlatnosciMasowe")) - before;
            if (!r.ok) {
                ++failed;
                // "BS (4)" fails without the message.
                const bool message =
                    Shown().contains(QStringLiteral("   Odczyt pliku importu nie powiodl sie.   "));
                EXPECT_EQ(message, QByteArray(f.format) != "BS (4)") << f.format;
            }
            if (rows != (r.ok ? r.imported : 0)) ++partial;
        }
        summary.append(QStringLiteral("%1: inputs %2, failed %3, partial %4")
                           .arg(QString::fromUtf8(f.format))
                           .arg(inputs)
                           .arg(failed)
                           .arg(partial));
        EXPECT_EQ(partial, 0) << f.format;
    }
    QFile out(TestOutputDir(QStringLiteral("bank")) + QStringLiteral("/fuzz-summary.txt"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write((summary.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}
