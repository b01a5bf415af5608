// The value rules of the FA (3) writers, and a check that the schema check
// of these tests tells a valid file from an invalid one.
#include "ksef/FakturaXmlCommon.h"
#include "tests/fa3/Fa3TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Fa3;

TEST(Fa3Rules, NumbersGetAPointAndNoTrailingZeros)
{
    const struct
    {
        const char* raw;
        const char* text;
    } cases[] = {
        {"100.00", "100"},
        {"81.30", "81.3"},
        {"0.00", "0"},
        {"-0.00", "0"},
        {"-10.50", "-10.5"},
        {"15000.01", "15000.01"},
        {"2.500", "2.5"},
        {"12.000", "12"},
        {"0.005", "0.005"},
        {"", "0"},
        {"1234567890123.45", "1234567890123.45"},
        {"7", "7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText(QByteArray(c.raw)), QString::fromLatin1(c.text)) << c.raw;
}

TEST(Fa3Rules, PaymentFormCodeTakesTheFirstKeywordOfTheList)
{
    const struct
    {
        const char* form;
        const char* code;
    } cases[] = {
        {"gotówka", "1"},
        {"karta", "2"},
        {"karta kredytowa", "2"}, // "kart" comes before "kredyt"
        {"bon", "3"},
        {"czek", "4"},
        {"kredyt kupiecki", "5"},
        {"przelew 14 dni", "6"},
        {"płatność mobilna", "7"},
        {"Przelew", "1"}, // case-sensitive: no keyword, longer than one character
        {"kompensata", "1"},
        {"6", "6"}, // one character that is a code stays
        {"x", ""},  // one character that is no code: element left out
        {"", ""},   // empty: element left out
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaymentFormCode(QString::fromUtf8(c.form)), QString::fromUtf8(c.code)) << c.form;
}

TEST(Fa3Rules, RateCodesAreExactMatches)
{
    const struct
    {
        const char* rate;
        const char* code;
    } cases[] = {
        {"23%", "23"}, {"22%", "22"},  {"8%", "8"},  {"7%", "7"}, {"5%", "5"}, {"4%", "4"},
        {"3%", "3"},   {"0%", "0 KR"}, {"zw", "zw"}, {"np", ""},  {"ZW", ""},  {"23", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RateCode(QString::fromLatin1(c.rate)), QString::fromLatin1(c.code)) << c.rate;
}

TEST(Fa3Rules, PartyIdentification)
{
    const struct
    {
        const char* tax;
        TPartyId::Kind kind;
        const char* code;
        const char* number;
        const char* country;
    } cases[] = {
        {"", TPartyId::NoId, "", "", "PL"},
        {"-", TPartyId::NoId, "", "", "PL"},
        {"brak", TPartyId::NoId, "", "", "PL"},
        {"1234563218", TPartyId::Nip, "", "1234563218", "PL"},
        {"123-456-32-18", TPartyId::Nip, "", "1234563218", "PL"},
        // A Polish NIP written with its prefix is an EU number with KodUE PL.
        {"PL1234567890", TPartyId::VatUe, "PL", "1234567890", "PL"},
        {"DE 123456789", TPartyId::VatUe, "DE", "123456789", "DE"},
        {"de123456789", TPartyId::VatUe, "DE", "123456789", "DE"},
        // Letters of the number itself stay part of it.
        {"ATU12345678", TPartyId::VatUe, "AT", "U12345678", "AT"},
        {"NL123456789B01", TPartyId::VatUe, "NL", "123456789B01", "NL"},
        // Greece is EL as a VAT prefix and GR as a country.
        {"EL123456789", TPartyId::VatUe, "EL", "123456789", "GR"},
        // Outside the EU there is no KodUE: the foreign tax number.
        {"UA1234567890", TPartyId::ForeignId, "UA", "1234567890", "UA"},
        {"GB 123 4567 89", TPartyId::ForeignId, "GB", "123 4567 89", "GB"},
        // Two characters that are no country leave the digits as a NIP.
        {"- 1234563218", TPartyId::Nip, "", "1234563218", "PL"},
    };
    for (const auto& c : cases) {
        const TPartyId id = IdentifyParty(QString::fromUtf8(c.tax));
        EXPECT_EQ(id.kind, c.kind) << c.tax;
        EXPECT_EQ(id.code, QString::fromLatin1(c.code)) << c.tax;
        EXPECT_EQ(id.number, QString::fromLatin1(c.number)) << c.tax;
        EXPECT_EQ(id.country, QString::fromLatin1(c.country)) << c.tax;
    }
}

TEST(Fa3Rules, AddressLineOneJoinsFlatWithSlash)
{
    EXPECT_EQ(AddressLine1(QStringLiteral("ul. Długa"), QStringLiteral("5"), QStringLiteral("2")),
              QStringLiteral("ul. Długa 5/2"));
    EXPECT_EQ(AddressLine1(QStringLiteral("ul. Długa"), QStringLiteral("5"), QString()),
              QStringLiteral("ul. Długa 5"));
}

TEST(Fa3Rules, WriterEscapesEveryTextNode)
{
    TWriter w;
    w.Start("a");
    w.Attribute("b", QStringLiteral("\"x\" & <y>"));
    w.Leaf("c", QStringLiteral("Kowalski & Syn, sp. j. <Oddział>"));
    w.LeafIfAny("d", QStringLiteral("  "));
    w.Leaf("e", QStringLiteral("bell\x07 here"));
    const QByteArray xml = w.Finish();
    EXPECT_TRUE(xml.contains("Kowalski &amp; Syn, sp. j. &lt;Oddział&gt;")) << xml.constData();
    EXPECT_FALSE(xml.contains("<d>")) << xml.constData();
    const TXmlDoc doc(xml);
    ASSERT_TRUE(doc.Ok()) << xml.constData();
    EXPECT_EQ(doc.Eval(QStringLiteral("string(/a/@b)")), QStringLiteral("\"x\" & <y>"));
    EXPECT_EQ(doc.Eval(QStringLiteral("string(/a/c)")), QStringLiteral("Kowalski & Syn, sp. j. <Oddział>"));
    EXPECT_EQ(doc.Eval(QStringLiteral("string(/a/e)")), QStringLiteral("bell here"));
}

// Without this the schema check of the writer tests could pass everything.
TEST(Fa3Schema, OfficialSamplesPassAndABrokenOneFails)
{
    const QDir samples(QStringLiteral(ORLIX_SOURCE_DIR "/../shared/samples/fa3-mf"));
    const QStringList files = samples.entryList({QStringLiteral("*.xml")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << samples.path().toStdString();
    for (const QString& f : files)
        EXPECT_EQ(Fa3SchemaErrors(ReadFileBytes(samples.filePath(f))), QString()) << f.toStdString();

    QByteArray broken = ReadFileBytes(samples.filePath(QStringLiteral("FA_3_Przykład_1.xml")));
    broken.replace("<P_2>FV2026/02/150</P_2>", "<P_2></P_2>");
    EXPECT_NE(Fa3SchemaErrors(broken), QString());
    QByteArray comma = ReadFileBytes(samples.filePath(QStringLiteral("FA_3_Przykład_1.xml")));
    comma.replace("<P_15>2051</P_15>", "<P_15>2051,00</P_15>");
    EXPECT_NE(Fa3SchemaErrors(comma), QString());
}
