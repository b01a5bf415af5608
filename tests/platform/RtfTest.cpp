// The RTF reader and writer against golden files of what a rich-edit control
// writes and what we write.
#include "platform/Rtf.h"

#include "tests/support/RtfSupport.h"
#include "tests/support/TestDb.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// The format of the character at Pos of the plain text.
QTextCharFormat FormatAt(const QTextDocument& doc, int pos)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(pos + 1);
    return c.charFormat();
}

int Find(const QTextDocument& doc, const char* text)
{
    return int(doc.toPlainText().indexOf(QString::fromUtf8(text)));
}

} // namespace

TEST(RtfRead, RichEditSampleGivesTextAndLook)
{
    QTextDocument doc;
    ReadRtf(ReadRtfData(QStringLiteral("richedit_pl.rtf")), &doc);
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8(ReadRtfData(QStringLiteral("richedit_pl.txt"))));

    ASSERT_EQ(doc.blockCount(), 4);
    EXPECT_EQ(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(doc.findBlockByNumber(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(doc.findBlockByNumber(3).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignJustify);

    const QTextCharFormat title = FormatAt(doc, Find(doc, "Umowa"));
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_EQ(title.fontPointSize(), 14.0);
    EXPECT_EQ(title.fontFamilies().toStringList(), QStringList{QStringLiteral("Calibri")});

    const QTextCharFormat body = FormatAt(doc, Find(doc, "Zawarta"));
    EXPECT_EQ(body.fontWeight(), QFont::Normal);
    EXPECT_EQ(body.fontPointSize(), 10.0);
    EXPECT_EQ(body.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_TRUE(FormatAt(doc, Find(doc, "<#IMIE>")).fontItalic());
    EXPECT_FALSE(FormatAt(doc, Find(doc, " a Operatorem")).fontItalic());
    EXPECT_TRUE(FormatAt(doc, Find(doc, "Operatorem")).fontUnderline());
    EXPECT_FALSE(FormatAt(doc, Find(doc, ".\nKwota")).fontUnderline());
    EXPECT_EQ(FormatAt(doc, Find(doc, "Kwota")).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(FormatAt(doc, Find(doc, "№")).foreground().color(), QColor(0, 0, 128));
}

TEST(RtfRead, DestinationsAndBrokenInputAreSafe)
{
    struct Case
    {
        const char* name;
        QByteArray rtf;
        const char* text;
    } cases[] = {
        {"unknown starred destination", R"({\rtf1{\*\foo {nested} text}Widoczny\par})", "Widoczny"},
        {"field keeps its result only", R"({\rtf1 A{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}B\par})",
         "AlinkB"},
        {"uc2 skips two fallback bytes", R"({\rtf1\uc2 \u321\'4c\'4codz\par})", "Łodz"},
        {"cut end keeps what was read", R"({\rtf1\b Pogrubiony te)", "Pogrubiony te"},
        {"unbalanced closing braces", R"({\rtf1 a\par}}} b)", "a\n b"},
        {"code page of the font charset", R"({\rtf1\ansicpg1252{\fonttbl{\f0\fcharset238 X;}}\f0 \'b9\par})",
         "ą"},
        {"binary data skipped", "{\\rtf1 x\\bin3 {}\\y\\par}", "xy"},
        {"line break and non-breaking space", R"({\rtf1 a\line b\~c\par})", "a\u2028b\u00a0c"},
        {"empty input", "", ""},
    };
    for (const Case& c : cases) {
        QTextDocument doc;
        ReadRtf(c.rtf, &doc);
        EXPECT_EQ(doc.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')),
                  QString::fromUtf8(c.text))
            << c.name;
    }
}

TEST(RtfWrite, GoldenOutputAndRoundTrip)
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    QTextCursor c(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(14);
    c.insertText(QStringLiteral("Wezwanie do zapłaty"), bold);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right, QTextCharFormat());
    QTextCharFormat red;
    red.setForeground(QColor(200, 0, 0));
    red.setFontFamilies({QStringLiteral("Times New Roman")});
    red.setFontItalic(true);
    c.insertText(QStringLiteral("Kwota:\t12,50 zł {€} \\ №"), red);
    QTextCharFormat under;
    under.setFontUnderline(true);
    c.insertText(QStringLiteral(" ŻÓŁĆ"), under);
    c.insertBlock(QTextBlockFormat(), QTextCharFormat());

    const QByteArray written = WriteRtf(&doc);
    QFile out(TestOutputDir(QStringLiteral("rtf")) + QStringLiteral("/written.rtf"));
    if (out.open(QIODevice::WriteOnly)) out.write(written);
    EXPECT_EQ(written, ReadRtfData(QStringLiteral("written.rtf")));
    for (char ch : written)
        ASSERT_LT(uchar(ch), 0x80) << "the writer emits 7-bit text only";

    QTextDocument back;
    ReadRtf(written, &back);
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
    EXPECT_EQ(DescribeRichDocument(back).mid(0, 2),
              (QStringList{QStringLiteral("P4"), QStringLiteral("Wezwanie do zapłaty|b--|Arial|14|")}));
    EXPECT_EQ(DescribeRichDocument(back).at(3),
              QStringLiteral("Kwota:\t12,50 zł {€} \\ №|-i-|Times New Roman|10|#c80000"));
    EXPECT_EQ(DescribeRichDocument(back).at(4), QStringLiteral(" ŻÓŁĆ|--u|Arial|10|"));
    // Written again, the text is the same byte for byte.
    back.setDefaultFont(doc.defaultFont());
    EXPECT_EQ(WriteRtf(&back), written);
}

TEST(RtfRead, RichEditSampleSurvivesOurWriter)
{
    QTextDocument first;
    ReadRtf(ReadRtfData(QStringLiteral("richedit_pl.rtf")), &first);
    QTextDocument second;
    ReadRtf(WriteRtf(&first), &second);
    EXPECT_EQ(DescribeRichDocument(second), DescribeRichDocument(first));
}

TEST(RtfDetect, LooksLikeRtf)
{
    EXPECT_TRUE(LooksLikeRtf(QByteArray("  {\\rtf1\\ansi}")));
    EXPECT_TRUE(LooksLikeRtf(QStringLiteral("{\\rtf1}")));
    EXPECT_FALSE(LooksLikeRtf(QStringLiteral("Witaj {\\rtf1}")));
    EXPECT_FALSE(LooksLikeRtf(QByteArray()));
}
