#include "core/Funkcje.h"

#include "core/FormLogo.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QString>
#include <QStringList>

namespace {

struct TextCase
{
    const char* rule;
    QString (*fn)(const QString&);
    QString in;
    QString out;
};

std::ostream& operator<<(std::ostream& os, const TextCase& c)
{
    return os << c.rule;
}

class TextFilters : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(TextFilters, GiveTheExactText)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(c.fn(c.in), c.out) << c.rule;
}

INSTANTIATE_TEST_SUITE_P(
    Funkcje, TextFilters,
    ::testing::Values(
        TextCase{"quotes go", RemoveDoubleQuotes, QStringLiteral("a\"b\"\"c"), QStringLiteral("abc")},
        TextCase{"commas become points", CommasToPoints, QStringLiteral("1,5,0"), QStringLiteral("1.5.0")},
        TextCase{"decimal comma to point", DecimalCommaToPoint, QStringLiteral("12,50"),
                 QStringLiteral("12.50")},
        TextCase{"decimal point to comma", DecimalPointToComma, QStringLiteral("12.50"),
                 QStringLiteral("12,50")},
        TextCase{"line breaks go", RemoveLineBreaks, QStringLiteral("a\r\nb\nc\r"), QStringLiteral("abc")},
        TextCase{"angle brackets go", RemoveAngleBrackets, QStringLiteral("<b>x</b>"),
                 QStringLiteral("bx/b")},
        TextCase{"blanks go, tabs stay", RemoveSpaces, QStringLiteral(" 12 34\t5 "),
                 QStringLiteral("1234\t5")},
        TextCase{"digits only", DigitsOnly, QStringLiteral("PL 123-456-32-18"), QStringLiteral("1234563218")},
        TextCase{"file name: trimmed of controls, unsafe characters dropped", SafeFileNameText,
                 QStringLiteral("\t Faktura_1/2026 \"A&B\"? <x>'\\ \r\n"),
                 QStringLiteral("Faktura12026 AB x")},
        TextCase{"xml: trimmed, four entities, apostrophe stays", XmlEscape,
                 QStringLiteral("  Kowalski & \"Syn\" <sp. j.> 'x'  "),
                 QStringLiteral("Kowalski &amp; &quot;Syn&quot; &lt;sp. j.&gt; 'x'")},
        TextCase{"xml: an entity is escaped again", XmlEscape, QStringLiteral("&amp;"),
                 QStringLiteral("&amp;amp;")},
        TextCase{"polish letters stripped, others stay", StripPolishLetters,
                 QStringLiteral("Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ äß"),
                 QStringLiteral("Zazolc gesla jazn ACELNOSZZ äß")},
        TextCase{"identifier from a town name", ToIdentifierText, QStringLiteral("Łódź Główna-1"),
                 QStringLiteral("Lodz_Glowna_1")},
        TextCase{"identifier: all 14 punctuation marks, non-ascii dropped", ToIdentifierText,
                 QStringLiteral(". )(,;'\"/&+-=:x€é!"), QStringLiteral("______________x!")},
        TextCase{"like: wildcards and the escape taken literally", EscapeLikeText, QStringLiteral("50%_a\\b"),
                 QStringLiteral("50\\%\\_a\\\\b")}));

// ---------------------------------------------------------------- lists

struct SplitCase
{
    const char* rule;
    QString sep;
    QString text;
    QStringList pieces;
};

TEST(Funkcje, SplitIntoStringsKeepsEmptyPiecesAndAppends)
{
    const SplitCase cases[] = {
        {"empty pieces kept", QStringLiteral(","), QStringLiteral("a,,b"), {"a", "", "b"}},
        {"trailing separator gives a last empty piece", QStringLiteral(","), QStringLiteral("a,"), {"a", ""}},
        {"two-character separator", QStringLiteral("; "), QStringLiteral("a; b"), {"a", "b"}},
        {"case-sensitive separator", QStringLiteral("X"), QStringLiteral("axbXc"), {"axb", "c"}},
        {"empty text adds nothing", QStringLiteral(","), QString(), {}},
        {"empty separator adds the text whole", QString(), QStringLiteral("a,b"), {"a,b"}},
        {"no separator in the text", QStringLiteral(","), QStringLiteral("abc"), {"abc"}},
    };
    for (const SplitCase& c : cases) {
        QStringList list{QStringLiteral("was")};
        SplitIntoStrings(c.sep, c.text, list);
        EXPECT_EQ(list, QStringList{QStringLiteral("was")} + c.pieces) << c.rule;
        EXPECT_EQ(SplitToStringList(c.sep, c.text), c.pieces) << c.rule;
    }
}

TEST(Funkcje, JoinStringList)
{
    EXPECT_EQ(JoinStringList(QStringLiteral("; "), {"a", "", "b"}), QStringLiteral("a; ; b"));
    EXPECT_EQ(JoinStringList(QStringLiteral(","), {}), QString());
}

TEST(Funkcje, SameTextNoCaseFoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(SameTextNoCase(QStringLiteral("Userdb"), QStringLiteral("USERDB")));
    EXPECT_FALSE(SameTextNoCase(QStringLiteral("łódź"), QStringLiteral("ŁÓDŹ")));
    EXPECT_TRUE(SameTextNoCase(QStringLiteral("aŁb"), QStringLiteral("AŁB")));
    EXPECT_FALSE(SameTextNoCase(QStringLiteral("ab"), QStringLiteral("abc")));
}

TEST(Funkcje, ReplaceAllDoesNotRescanItsReplacements)
{
    EXPECT_EQ(ReplaceAll(QStringLiteral("aaa"), QStringLiteral("a"), QStringLiteral("aa")),
              QStringLiteral("aaaaaa"));
    EXPECT_EQ(ReplaceAll(QStringLiteral("xAx"), QStringLiteral("a"), QStringLiteral("b")),
              QStringLiteral("xAx"));
    EXPECT_EQ(ReplaceAll(QStringLiteral("abab"), QStringLiteral("ab"), QString()), QString());
}

// ---------------------------------------------------------------- code page 1250

TEST(Funkcje, Cp1250RoundTripOfThePolishLetters)
{
    const QString polish = QStringLiteral("Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ");
    const QByteArray cp = StringToCp1250(polish);
    EXPECT_EQ(cp.size(), polish.size()) << "one byte per letter";
    EXPECT_EQ(uchar(cp.at(2)), 0xBF) << "ż";
    EXPECT_EQ(uchar(cp.at(3)), 0xF3) << "ó";
    EXPECT_EQ(uchar(cp.at(4)), 0xB3) << "ł";
    EXPECT_EQ(Cp1250ToUtf8(cp), polish.toUtf8());
    EXPECT_EQ(Cp1250ToString(cp), polish);
}

TEST(Funkcje, Cp1250ToUtf8FailsOnAByteWithoutCharacterAndHasNoLengthBound)
{
    // 0x98 is undefined in code page 1250.
    EXPECT_EQ(Cp1250ToUtf8(QByteArray("ab\x98", 3)), QByteArray());
    // Whole files pass: an empty result would write an empty file.
    const QByteArray big(20000, '\xB9'); // ą
    EXPECT_EQ(Cp1250ToUtf8(big).size(), 40000);
}

TEST(Funkcje, Utf8ToCp1250DropsWhatTheCodePageCannotHold)
{
    EXPECT_EQ(Cp1250ToString(Utf8ToCp1250(QStringLiteral("Łuk→€漢z").toUtf8())), QStringLiteral("Łuk€z"));
    EXPECT_EQ(Utf8ToCp1250(QByteArray("a\xFF"
                                      "b")),
              QByteArray("ab"))
        << "broken UTF-8 is dropped too";
}

TEST(Funkcje, DecodeWebText)
{
    const struct
    {
        const char* rule;
        QByteArray in;
        QString out;
    } cases[] = {
        {"apostrophe entity", QStringLiteral("O&#039;Neil").toUtf8(), QStringLiteral("O'Neil")},
        {"other entities stay", QByteArray("A &amp; B"), QStringLiteral("A &amp; B")},
        {"seven blanks become one", QByteArray("a       b"), QStringLiteral("a b")},
        {"two passes: 49 blanks become 7 then 1", QByteArray("a") + QByteArray(49, ' ') + "b",
         QStringLiteral("a b")},
        {"three passes would be needed: 343 blanks end as 7", QByteArray("a") + QByteArray(343, ' ') + "b",
         QStringLiteral("a       b")},
        {"six blanks stay", QByteArray("a      b"), QStringLiteral("a      b")},
        {"Polish kept, the rest dropped", QStringLiteral("Spółka 漢 z o.o.").toUtf8(),
         QStringLiteral("Spółka  z o.o.")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeWebText(c.in), c.out) << c.rule;
}

// ---------------------------------------------------------------- numbers

TEST(Funkcje, VatRateFactor)
{
    const struct
    {
        QString rate;
        qint64 raw;
    } cases[] = {
        {QStringLiteral("23%"), 12300}, {QStringLiteral("8"), 10800},  {QStringLiteral("zw"), 10000},
        {QStringLiteral("5 %"), 10500}, {QStringLiteral("0%"), 10000}, {QString(), 10000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VatRateFactor(c.rate).raw, c.raw) << c.rate.toStdString();
    EXPECT_EQ(VatRateFactor(QStringLiteral("2147483647")).raw, 10000 + 2147483647LL * 100);
    try {
        VatRateFactor(QStringLiteral("2147483648"));
        ADD_FAILURE() << "no conversion error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.ClassName(), QStringLiteral("EConvertError"));
    }
    EXPECT_THROW(VatRateFactor(QStringLiteral("99999999999999999999%")), EDatabaseError);
}

TEST(Funkcje, IsValidNip)
{
    const struct
    {
        const char* rule;
        QString nip;
        bool valid;
    } cases[] = {
        {"empty is valid", QString(), true},
        {"a valid number", QStringLiteral("1234563218"), true},
        {"written with dashes", QStringLiteral("123-456-32-18"), true},
        {"with blanks and a country prefix", QStringLiteral("PL 123 456 32 18"), true},
        {"wrong check digit", QStringLiteral("1234563217"), false},
        {"nine digits", QStringLiteral("123456321"), false},
        {"eleven digits", QStringLiteral("12345632180"), false},
        // Weights 6 5 7 2 3 4 5 6 7: all ones sum to 45, remainder 1.
        {"all ones", QStringLiteral("1111111111"), true},
        {"remainder 3", QStringLiteral("0000000023"), true},
        {"remainder 5 against a check digit 0", QStringLiteral("0000001000"), false},
        // 3 x 7 = 21, remainder 10: no check digit can match it.
        {"remainder 10 is never valid", QStringLiteral("0030000000"), false},
        {"letters only", QStringLiteral("abc"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidNip(c.nip), c.valid) << c.rule;
}

TEST(Funkcje, IsValidNipRefusesRemainderTenWhateverTheLastDigit)
{
    for (int last = 0; last <= 9; ++last)
        EXPECT_FALSE(IsValidNip(QStringLiteral("003000000") + QString::number(last))) << last;
}

TEST(Funkcje, FormatNrb)
{
    EXPECT_EQ(FormatNrb(QStringLiteral("PL61 1090-1014 0000 0712 1981 2874")),
              QStringLiteral("61 1090 1014 0000 0712 1981 2874"));
    EXPECT_EQ(FormatNrb(QStringLiteral("61109010140000071219812874")).size(), 32);
    EXPECT_EQ(FormatNrb(QStringLiteral("6110901014000007121981287499")),
              QStringLiteral("61 1090 1014 0000 0712 1981 2874"))
        << "digits after the 26th are dropped";
    EXPECT_EQ(FormatNrb(QStringLiteral("6110901")), QStringLiteral("61 1090 1    "));
    EXPECT_EQ(FormatNrb(QString()), QStringLiteral("      ")) << "the six blanks stay";
}

TEST(Funkcje, PickMobilePhone)
{
    const struct
    {
        const char* rule;
        QString a, b, out;
    } cases[] = {
        {"country prefix with zeros", QStringLiteral("0048 600 000 000"), QString(),
         QStringLiteral("+48600000000")},
        {"landline first, mobile second", QStringLiteral("22 000 00 00"), QStringLiteral("600000000"),
         QStringLiteral("+48600000000")},
        {"two landlines", QStringLiteral("22 000 00 00"), QStringLiteral("(58) 123-45-67"), QString()},
        {"first mobile wins", QStringLiteral("501 234 567"), QStringLiteral("602 345 678"),
         QStringLiteral("+48501234567")},
        {"+48 prefix", QStringLiteral("+48 501-234-567"), QString(), QStringLiteral("+48501234567")},
        {"both short", QStringLiteral("12345678"), QStringLiteral("1234"), QString()},
        {"one short one good", QStringLiteral("112"), QStringLiteral("790111222"),
         QStringLiteral("+48790111222")},
        {"ten digits do not qualify", QStringLiteral("5012345678"), QString(), QString()},
        {"11 digits not starting 48", QStringLiteral("49501234567"), QString(), QString()},
        {"leading zero removed", QStringLiteral("0501234567"), QString(), QStringLiteral("+48501234567")},
        {"area code 48 is a landline", QStringLiteral("48 123 45 67"), QString(), QString()},
        {"area code 89 is a landline", QStringLiteral("89 123 45 67"), QStringLiteral("88 123 45 67"),
         QStringLiteral("+48881234567")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PickMobilePhone(c.a, c.b), c.out) << c.rule;
}

TEST(Funkcje, BlendColors)
{
    const struct
    {
        const char* rule;
        QColor a, b;
        double wa, wb;
        QColor out;
    } cases[] = {
        {"white and black halves round to even", Qt::white, Qt::black, 1, 1, QColor(128, 128, 128)},
        {"negative and zero weights count half each", Qt::white, Qt::black, -1, 0, QColor(128, 128, 128)},
        {"weights are normalised", QColor(200, 0, 100), QColor(0, 100, 0), 3, 1, QColor(150, 25, 75)},
        {"one weight only", QColor(10, 20, 30), QColor(200, 200, 200), 0, 5, QColor(200, 200, 200)},
        // 1*0.5 + 2*0.5 = 1.5 -> 2 (even); 3*0.5 + 4*0.5 = 3.5 -> 4; 0.5 -> 0.
        {"halves to the even integer", QColor(1, 3, 0), QColor(2, 4, 1), 1, 1, QColor(2, 4, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlendColors(c.a, c.b, c.wa, c.wb), c.out) << c.rule;
}

TEST(Funkcje, ScaleByDpiTruncatesTowardsZero)
{
    const double was = DpiScale;
    DpiScale = 1.5;
    EXPECT_EQ(ScaleByDpi(7), 10);
    EXPECT_EQ(ScaleByDpi(-7), -10);
    DpiScale = 1.25;
    EXPECT_EQ(ScaleByDpi(100), 125);
    DpiScale = was;
}

} // namespace
