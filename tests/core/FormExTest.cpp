#include "core/FormEx.h"

#include "core/DbError.h"
#include "core/DialogPL.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

// Collects what the windows report instead of showing it.
class FormExTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetWindowErrorReporter([this](const QString& m) { reports.append(m); });
    }
    void TearDown() override
    {
        SetWindowErrorReporter(nullptr);
        TMD::ClearTestHook();
        TMD::ClearRecorded();
    }
    QStringList reports;
};

// ---------------------------------------------------------------------------
// Idle dispatcher

TEST_F(FormExTest, SecondRegistrationReplacesTheHandler)
{
    QWidget w;
    int first = 0, second = 0;
    RegisterIdleHandler(&w, [&] { ++first; });
    RegisterIdleHandler(&w, [&] { ++second; });
    RunIdleHandlers();
    RunIdleHandlers();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 2);
    UnregisterIdleHandler(&w);
    RunIdleHandlers();
    EXPECT_EQ(second, 2);
}

TEST_F(FormExTest, DestroyedWidgetLosesItsRegistration)
{
    int calls = 0;
    auto* w = new QWidget;
    RegisterIdleHandler(w, [&] { ++calls; });
    RunIdleHandlers();
    ASSERT_EQ(calls, 1);
    delete w;
    RunIdleHandlers();
    EXPECT_EQ(calls, 1);
}

TEST_F(FormExTest, FailingRoutineIsReportedOncePerPassAndTheNextStillRuns)
{
    QWidget a, b, c;
    int afterCalls = 0;
    RegisterIdleHandler(&a, [] { throw EDatabaseError(QStringLiteral("Tabela Userdb jest zablokowana")); });
    RegisterIdleHandler(&b, [] { throw std::runtime_error("brak pliku"); });
    RegisterIdleHandler(&c, [&] { ++afterCalls; });
    RunIdleHandlers();
    EXPECT_EQ(reports,
              QStringList({QStringLiteral("Tabela Userdb jest zablokowana"), QStringLiteral("brak pliku")}));
    RunIdleHandlers();
    EXPECT_EQ(reports.size(), 4);
    EXPECT_EQ(afterCalls, 2);
}

TEST_F(FormExTest, SilentAbortInRoutineIsNotReported)
{
    QWidget a, b;
    int calls = 0;
    RegisterIdleHandler(&a, [] { throw EAbort(); });
    RegisterIdleHandler(&b, [&] { ++calls; });
    RunIdleHandlers();
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(calls, 1);
}

TEST_F(FormExTest, RoutineDeletingAnotherWindowDuringThePassSkipsIt)
{
    QWidget first;
    auto* victim = new QWidget;
    int victimCalls = 0;
    RegisterIdleHandler(&first, [&] {
        delete victim;
        victim = nullptr;
    });
    RegisterIdleHandler(victim, [&] { ++victimCalls; });
    RunIdleHandlers();
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(victimCalls, 0);
}

class CountingForm : public TFormEx
{
public:
    int idleCalls = 0;
    void IdleUpdate() override { ++idleCalls; }
};

TEST_F(FormExTest, WindowRunsItsIdleUpdateFromTheDispatcherTimer)
{
    auto* form = new CountingForm;
    RunIdleHandlers();
    EXPECT_EQ(form->idleCalls, 1);
    // Nobody calls the pass here: the dispatcher's own timer does.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->idleCalls >= 3; }, 3000));
    delete form;
    RunIdleHandlers(); // the deleted window is no longer called
}

// ---------------------------------------------------------------------------
// Blending and fade

TEST_F(FormExTest, NewWindowDefaults)
{
    TFormEx form;
    EXPECT_EQ(form.BlendingShowTime, 500u);
    EXPECT_EQ(form.BlendingHideTime, 300u);
    EXPECT_EQ(form.AlphaBlendValue(), 255);
    EXPECT_FALSE(form.AlphaBlend());
    EXPECT_FALSE(form.DropShadow());
    EXPECT_FALSE(form.ShowShadow);
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 1.0);
}

TEST_F(FormExTest, OpacityFollowsAlphaBlendOnlyWhileOn)
{
    TFormEx form;
    form.SetAlphaBlendValue(128);
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 1.0);
    form.SetAlphaBlend(true);
    EXPECT_NEAR(form.windowOpacity(), 128 / 255.0, 0.01);
    form.SetAlphaBlendValue(300); // a byte: kept within 0..255
    EXPECT_EQ(form.AlphaBlendValue(), 255);
    form.SetAlphaBlend(false);
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 1.0);
}

TEST_F(FormExTest, HideWithFadeFadesOutOverHideTimeAndEndsHidden)
{
    TFormEx form;
    form.resize(200, 120);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QList<double> samples;
    QTimer sampler;
    sampler.setInterval(15);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (form.isVisible()) samples.append(form.windowOpacity());
    });
    sampler.start();

    QElapsedTimer clock;
    clock.start();
    form.HideWithFade();
    const qint64 took = clock.elapsed();
    sampler.stop();

    EXPECT_GE(took, 300);
    EXPECT_LT(took, 1500);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.AlphaBlend());
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 1.0);
    // The window went from opaque towards transparent on the way. A busy
    // machine can starve the sampler of the fade's last steps, so the bound
    // asks for more than half the way, not the very end.
    ASSERT_GE(samples.size(), 5);
    for (int i = 1; i < samples.size(); ++i)
        EXPECT_LE(samples[i], samples[i - 1] + 1e-9) << "sample " << i;
    EXPECT_LT(samples.last(), 0.5);
}

class FadeLimitCase : public FormExTest, public ::testing::WithParamInterface<unsigned>
{
};

TEST_P(FadeLimitCase, HidesAtOnce)
{
    TFormEx form;
    form.BlendingHideTime = GetParam();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QElapsedTimer clock;
    clock.start();
    form.HideWithFade();
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.AlphaBlend());
}

INSTANTIATE_TEST_SUITE_P(ZeroOrAMinuteOrMore, FadeLimitCase, ::testing::Values(0u, 60000u, 4000000000u));

TEST_F(FormExTest, PlainHideNeverFades)
{
    TFormEx form;
    form.SetAlphaBlendValue(200);
    form.SetAlphaBlend(true);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QElapsedTimer clock;
    clock.start();
    form.hide();
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.AlphaBlendValue(), 200);
    EXPECT_NEAR(form.windowOpacity(), 200 / 255.0, 0.01);
}

// ---------------------------------------------------------------------------
// Errors of the window's own handlers

class FailingForm : public TFormEx
{
public:
    std::function<void()> onKey;
    std::function<void()> onSave;
    QPushButton* save = nullptr;

    FailingForm()
    {
        auto* layout = new QVBoxLayout(this);
        save = new QPushButton(QStringLiteral("Zapisz"), this);
        layout->addWidget(save);
        connect(save, &QPushButton::clicked, this, [this] { RunGuarded([&] { onSave(); }); });
    }

protected:
    void keyPressEvent(QKeyEvent*) override { onKey(); }
};

struct ThrowCase
{
    const char* rule;
    std::function<void()> raise;
    QStringList expected;
};

const ThrowCase throwCases[] = {
    {"DatabaseErrorShowsItsMessage",
     [] {
         throw EDatabaseError(QStringLiteral("Błąd zapisu faktury FV 12/2024"),
                              QStringLiteral("EDBEngineError"));
     },
     {QStringLiteral("Błąd zapisu faktury FV 12/2024")}},
    {"StdExceptionShowsWhat",
     [] { throw std::runtime_error("Nie można otworzyć pliku"); },
     {QStringLiteral("Nie można otworzyć pliku")}},
    {"UnknownExceptionStillReported", [] { throw 42; }, {QStringLiteral("Wystąpił nieznany błąd.")}},
    {"SilentAbortStaysSilent", [] { throw EAbort(); }, {}},
};

void PrintTo(const ThrowCase& c, std::ostream* os)
{
    *os << c.rule;
}

class HandlerThrowCase : public FormExTest, public ::testing::WithParamInterface<ThrowCase>
{
};

TEST_P(HandlerThrowCase, KeyHandlerErrorIsReportedAndWindowGoesOn)
{
    FailingForm form;
    form.onKey = GetParam().raise;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(&form, Qt::Key_F2);
    EXPECT_EQ(reports, GetParam().expected);
    EXPECT_TRUE(form.isVisible());
    // The window keeps working: the next failure is reported again.
    QTest::keyClick(&form, Qt::Key_F2);
    EXPECT_EQ(reports.size(), 2 * GetParam().expected.size());
}

TEST_P(HandlerThrowCase, ButtonHandlerErrorIsReportedOnce)
{
    FailingForm form;
    form.onSave = GetParam().raise;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.save, Qt::LeftButton);
    EXPECT_EQ(reports, GetParam().expected);
    EXPECT_TRUE(form.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Kinds, HandlerThrowCase, ::testing::ValuesIn(throwCases),
                         [](const auto& info) { return std::string(info.param.rule); });

TEST_F(FormExTest, DefaultReporterShowsTheErrorBox)
{
    SetWindowErrorReporter(nullptr);
    TMD::SetTestHook([](const TMD::Shown&) { return 0; });
    FailingForm form;
    form.onKey = [] { throw EDatabaseError(QStringLiteral("Duplicate entry '5' for key 'PRIMARY'")); };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(&form, Qt::Key_Return);
    ASSERT_EQ(TMD::Recorded().size(), 1);
    const TMD::Shown& shown = TMD::Recorded().first();
    EXPECT_EQ(shown.text, QStringLiteral("Duplicate entry '5' for key 'PRIMARY'"));
    EXPECT_EQ(shown.caption, QStringLiteral("Błąd"));
    EXPECT_EQ(shown.kind, mtError);
    EXPECT_EQ(shown.buttons, TMsgDlgButtons(mbOK));
}

} // namespace
