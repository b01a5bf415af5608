#include "core/ScrambleText.h"
#include "core/DbIni.h"
#include "core/Session.h"
#include "platform/CodePage.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

namespace {

// Every character code page 1250 defines (bytes 1..255), "@" and the bytes
// 254 and 255, whose codes wrap around to 0 and 1 when shifted.
QString allCp1250Characters()
{
    QString all;
    for (int b = 1; b < 256; ++b) {
        bool ok = false;
        const QByteArray utf8 = IconvConvert(Cp1250Charset, "UTF-8", QByteArray(1, char(b)), false, &ok);
        if (ok) all += QString::fromUtf8(utf8);
    }
    return all;
}

} // namespace

TEST(ScrambleText, EveryTextGrowsToFourTimesPlusFrameAndComesBack)
{
    const QString cases[] = {QStringLiteral("a"),
                             QStringLiteral("@"),
                             QStringLiteral("@2@2"),
                             QStringLiteral("ţ˙"), // bytes 254 and 255
                             QStringLiteral("zażółć gęślą jaźń ZAŻÓŁĆ €"),
                             allCp1250Characters()};
    for (const QString& text : cases) {
        const QString scrambled = ScrambleText(text);
        EXPECT_EQ(scrambled.size(), 4 * text.size() + 24) << text.toStdString();
        EXPECT_EQ(UnscrambleText(scrambled), text) << text.toStdString();
    }
    EXPECT_GT(allCp1250Characters().size(), 240);
}

TEST(ScrambleText, TwoScramblingsOfOneTextDiffer)
{
    const QString a = ScrambleText(QStringLiteral("tajne"));
    const QString b = ScrambleText(QStringLiteral("tajne"));
    EXPECT_NE(a, b);
    EXPECT_EQ(UnscrambleText(a), UnscrambleText(b));
}

TEST(ScrambleText, EmptyAndShortStoredValuesReadAsEmpty)
{
    EXPECT_EQ(ScrambleText(QString()), QString());
    // A password typed straight into the settings table: under 28 characters
    // there is nothing between the frames.
    for (int n = 0; n < 28; ++n)
        EXPECT_EQ(UnscrambleText(QString(n, QLatin1Char('x'))), QString()) << n;
    EXPECT_EQ(UnscrambleText(QString(27, QLatin1Char('x')) + QLatin1Char('z')).size(), 1);
    // Longer plain text gives meaningless text, no error.
    EXPECT_EQ(UnscrambleText(QStringLiteral("to jest zwykłe hasło wpisane ręcznie do bazy")).size(), 5);
}

TEST(ScrambleText, GoldenValueForAFixedSeed)
{
    // Worked out by hand: seed 12345, "Hasło" in code page 1250 ("ł" = 0xB3,
    // shifted to 0xB5 "µ"), framed by three random characters and "@2" + one.
    const QString golden = QStringLiteral("Z?HE(#t=x=6*gNGJlifcp2%u`H1µaC:qK&eB,m:4PliT");
    TScrambleRandom random(12345);
    EXPECT_EQ(ScrambleText(QStringLiteral("Hasło"), random), golden);
    EXPECT_EQ(UnscrambleText(golden), QStringLiteral("Hasło"));
}

class ScrambleTextDbTest : public DbTest
{
};

TEST_F(ScrambleTextDbTest, ScrambledValueSurvivesTheSettingsTable)
{
    LoadSchema();
    const int savedLevel = OperatorRightsLevel;
    OperatorRightsLevel = 1;
    // Bytes 254 and 255 scramble to the codes 0 and 1.
    const QString password = QStringLiteral("Pąs@ţ˙ \\'\"");
    WriteIniString(0, QStringLiteral("KSeF_HasloOnline"), ScrambleText(password));
    EXPECT_EQ(UnscrambleText(ReadIniString(0, QStringLiteral("KSeF_HasloOnline"), QString())), password);
    OperatorRightsLevel = savedLevel;
}
