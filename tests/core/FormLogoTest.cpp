#include "core/FormLogo.h"

#include "core/Session.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {

TEST(FormLogoTest, NewSplashShowsVersionAndEmptyStep)
{
    TFormLogo logo;
    EXPECT_EQ(logo.windowTitle(), QStringLiteral("Logo"));
    EXPECT_TRUE(logo.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(logo.WersjaProgramu->text(), ProgramVersion);
    EXPECT_EQ(ProgramVersion, QStringLiteral("v6.14"));
    EXPECT_TRUE(logo.CzynnoscLabel->text().isEmpty());
    EXPECT_TRUE(logo.Label1->text().isEmpty());
    EXPECT_FALSE(logo.FixedLine->text().isEmpty());
    EXPECT_FALSE(logo.Image1->pixmap().isNull());
    EXPECT_TRUE(logo.AlphaBlend());
    EXPECT_EQ(logo.AlphaBlendValue(), 235);
    EXPECT_NEAR(logo.windowOpacity(), 235 / 255.0, 0.005);
}

TEST(FormLogoTest, CornersAreCutRound)
{
    TFormLogo logo;
    const QRegion mask = logo.mask();
    const int w = logo.width(), h = logo.height();
    ASSERT_FALSE(mask.isEmpty());
    for (const QPoint corner : {QPoint(1, 1), QPoint(w - 2, 1), QPoint(1, h - 2), QPoint(w - 2, h - 2)})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();
    for (const QPoint inside : {QPoint(w / 2, 1), QPoint(1, h / 2), QPoint(w / 2, h / 2), QPoint(14, 14)})
        EXPECT_TRUE(mask.contains(inside)) << inside.x() << "," << inside.y();
}

TEST(FormLogoTest, StepsAreKeptInOrderAndTheGaugeStopsAtItsMaximum)
{
    TFormLogo logo;
    logo.SetProgressMax(3);
    EXPECT_EQ(logo.GetProgressMax(), 3);
    EXPECT_EQ(logo.Progress(), 0);
    logo.SetStepText(QStringLiteral("Łączenie do bazy danych..."));
    EXPECT_EQ(logo.Progress(), 0);
    const QStringList steps{
        QStringLiteral("Uruchamianie aplikacji ... 1"), QStringLiteral("Uruchamianie aplikacji ... 2"),
        QStringLiteral("Uruchamianie aplikacji ... 3"), QStringLiteral("Uruchamianie aplikacji ... Gotowe")};
    for (const QString& s : steps)
        logo.StepProgress(s);
    EXPECT_EQ(logo.Progress(), 3);
    EXPECT_EQ(logo.CzynnoscLabel->text(), steps.last());
    EXPECT_EQ(logo.StepHistory(), QStringList{QStringLiteral("Łączenie do bazy danych...")} + steps);

    // A smaller maximum pulls the gauge back instead of emptying it.
    logo.SetProgressMax(2);
    EXPECT_EQ(logo.Progress(), 2);
}

TEST(FormLogoTest, ShowingTakesTheTimeAndTheScale)
{
    TFormLogo logo;
    DpiScale = 0;
    const QDateTime before = QDateTime::currentDateTime();
    logo.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&logo));
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_GE(SplashShownAt, before);
    EXPECT_LE(SplashShownAt, after);
    EXPECT_DOUBLE_EQ(DpiScale, logo.logicalDpiX() / 96.0);
    EXPECT_TRUE(logo.DropShadow());
    EXPECT_NEAR(logo.windowOpacity(), 235 / 255.0, 0.005);

    logo.StepProgress(QStringLiteral("Uruchamianie aplikacji ... 1"));
    EXPECT_EQ(logo.CzynnoscLabel->text(), QStringLiteral("Uruchamianie aplikacji ... 1"));
    EXPECT_EQ(logo.Progress(), 1);
}

TEST(FormLogoTest, SplashFadesOutInAboutThreeHundredMilliseconds)
{
    TFormLogo logo;
    logo.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&logo));
    QElapsedTimer clock;
    clock.start();
    logo.HideWithFade();
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_FALSE(logo.isVisible());
    EXPECT_FALSE(logo.AlphaBlend());
}

TEST(FormLogoTest, DeletingTheSplashClearsTheGlobal)
{
    FormLogo = new TFormLogo;
    delete FormLogo;
    EXPECT_EQ(FormLogo, nullptr);
}

} // namespace
