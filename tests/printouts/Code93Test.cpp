// Code 93: check characters, the module string and what lands on a picture.
#include "printouts/PrintCode93Image.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CheckCase
{
    const char* text;
    char c;
    char k;
};

// C and K as symbols of the code table.
const CheckCase kChecks[] = {
    {"TEST", '8', 'M'},                       // weights 1..4 for C, 2..5 and C for K
    {"", '0', '0'},                           // nothing to weigh
    {"TEST93", '+', '6'},                     // the standard's own example
    {"CODE 93", 'E', '0'},                    // a blank counts as value 38
    {"FV/1/2024", '$', 'P'},                  // the number form of the invoices
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", '0', '0'}, // past 20 (C) and 15 (K) the weights start again
};

QChar symbol(int value)
{
    return Code93Symbols[value];
}

} // namespace

TEST(Code93, CheckCharactersFollowTheWeightRules)
{
    for (const CheckCase& tc : kChecks) {
        const QString t = QString::fromLatin1(tc.text);
        const int c = Code93CheckC(t);
        EXPECT_EQ(symbol(c), QLatin1Char(tc.c)) << tc.text;
        EXPECT_EQ(symbol(Code93CheckK(t, c)), QLatin1Char(tc.k)) << tc.text;
    }
}

TEST(Code93, ModulesOfTextsAndRefusals)
{
    // Start, T, E, S, T, 8, M, stop, termination bar.
    EXPECT_EQ(Code93Modules(QStringLiteral("TEST")).toStdString(),
              (QStringLiteral("101011110") + QStringLiteral("110100110") + QStringLiteral("110010010") +
               QStringLiteral("110101100") + QStringLiteral("110100110") + QStringLiteral("100010010") +
               QStringLiteral("101001100") + QStringLiteral("101011110") + QStringLiteral("1"))
                  .toStdString());
    EXPECT_EQ(Code93Modules(QString()).size(), 9 * 4 + 1);
    // Patterns the standard fixes.
    const std::pair<int, const char*> patterns[] = {
        {0, "100010100"}, {10, "110101000"}, {42, "110101110"}, {43, "100100110"}, {-1, "101011110"}};
    for (const auto& [value, pattern] : patterns)
        EXPECT_EQ(Code93Pattern(value), QString::fromLatin1(pattern)) << value;
    EXPECT_EQ(Code93Modules(QStringLiteral("fv/1/2024")), Code93Modules(QStringLiteral("FV/1/2024")));
    EXPECT_EQ(Code93Modules(QStringLiteral("FV/1/2024")).size(), 9 * (9 + 4) + 1);
    for (const char* bad : {"FV_1", "a,b", "x\ty"})
        EXPECT_TRUE(Code93Modules(QString::fromLatin1(bad)).isEmpty()) << bad;
    EXPECT_FALSE(IsCode93Text(QStringLiteral("ŁÓDŹ")));
    EXPECT_TRUE(IsCode93Text(QString()));
    EXPECT_EQ(Code93Value(QLatin1Char('%')), 42);
    EXPECT_EQ(Code93Value(QLatin1Char('_')), 0);
}

TEST(Code93, PictureIsClearedAndDrawnOnlyWhenSwitchedOn)
{
    auto draw = [](const QString& text, bool on) {
        QImage img(400, 30, QImage::Format_RGB32);
        img.fill(Qt::red);
        QPainter p(&img);
        DrawCode93Barcode(p, 0, 0, text, 23, false, on);
        p.end();
        return img;
    };
    const QImage off = draw(QStringLiteral("TEST"), false);
    EXPECT_EQ(off.pixelColor(0, 0), QColor(Qt::red)); // not even cleared
    const QImage bad = draw(QStringLiteral("FV_1"), true);
    EXPECT_EQ(bad.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(bad.pixelColor(5, 5), QColor(Qt::white));
    const QImage ok = draw(QStringLiteral("TEST"), true);
    // One-pixel modules: the start pattern 101011110 on the first row.
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(ok.pixelColor(x, 1),
                  QColor(QStringLiteral("101011110")[x] == QLatin1Char('1') ? Qt::black : Qt::white))
            << x;
    EXPECT_EQ(ok.pixelColor(9 * 8, 1), QColor(Qt::black)); // termination bar
    EXPECT_EQ(ok.pixelColor(9 * 8 + 1, 1), QColor(Qt::white));
    EXPECT_EQ(ok.pixelColor(0, 24), QColor(Qt::white)); // 23 pixels high
}

TEST(Code93, EveryDataCharacterReadsBackWithAScanner)
{
    // A scanner checks C and K itself, so it reads the code only when the
    // patterns and the check characters are right.
    const QString texts[] = {QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
                             QStringLiteral("-. $/+%"), QStringLiteral("FV/123/2025")};
    QTemporaryDir dir;
    for (const QString& text : texts) {
        QImage img(9 * (int(text.size()) + 4) * 3 + 1 + 60, 80, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.scale(3, 1);
        DrawCode93Image(p, 10, 10, text, 60);
        p.end();
        const QString file = dir.filePath(QStringLiteral("c.png"));
        ASSERT_TRUE(img.save(file));
        QProcess z;
        z.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), file});
        z.waitForFinished(30000);
        EXPECT_EQ(QString::fromUtf8(z.readAllStandardOutput()).trimmed().toStdString(),
                  (QStringLiteral("CODE-93:") + text).toStdString());
    }
}
