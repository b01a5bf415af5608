#include "core/DialogPL.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

class MessageDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { TMD::ClearRecorded(); }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
    }
};

struct HookCase
{
    const char* rule;
    unsigned char kind;
    TMsgDlgButtons buttons;
    int hookAnswer;
    const char* caption;
    TMD::Style style;
    int expected;
};

const HookCase hookCases[] = {
    {"WarningOkShowsOstrzezenieAndReturnsOk", mtWarning, mbOK, 0, "Ostrzeżenie", TMD::Style::Ok, mrOk},
    {"QuestionYesAnswersSix", mtConfirmation, mbYes | mbNo, mrYes, "Potwierdź", TMD::Style::YesNo, mrYes},
    {"QuestionNoAnswersSeven", mtConfirmation, mbYes | mbNo, mrNo, "Potwierdź", TMD::Style::YesNo, mrNo},
    {"QuestionDefaultIsYes", mtConfirmation, mbYes | mbNo, 0, "Potwierdź", TMD::Style::YesNo, mrYes},
    {"ErrorWithYesAloneIsSingleOk", mtError, mbYes, 0, "Błąd", TMD::Style::Ok, mrOk},
    {"InformationCaption", mtInformation, mbOK, 0, "Informacja", TMD::Style::Ok, mrOk},
    {"KindFourIsPlainMessage", mtCustom, mbOK, 0, "Wiadomość", TMD::Style::Ok, mrOk},
    {"AnyKindAboveThreeIsPlainMessage", 200, mbOK, 0, "Wiadomość", TMD::Style::Ok, mrOk},
    {"YesNoCancelCancelAnswersTwo", mtConfirmation, mbYes | mbNo | mbCancel, mrCancel, "Potwierdź",
     TMD::Style::YesNoCancel, mrCancel},
    {"YesNoCancelDefaultIsYes", mtConfirmation, mbYes | mbNo | mbCancel, 0, "Potwierdź",
     TMD::Style::YesNoCancel, mrYes},
    {"OkCancelDefaultIsOk", mtWarning, mbOK | mbCancel, 0, "Ostrzeżenie", TMD::Style::OkCancel, mrOk},
    {"RetryCancelDefaultIsRetry", mtError, mbRetry | mbCancel, 0, "Błąd", TMD::Style::RetryCancel, mrRetry},
    {"AbortRetryIgnoreDefaultIsAbort", mtError, mbAbort | mbRetry | mbIgnore, 0, "Błąd",
     TMD::Style::AbortRetryIgnore, mrAbort},
    {"AbortRetryIgnoreIgnoreAnswersFive", mtError, mbAbort | mbRetry | mbIgnore, mrIgnore, "Błąd",
     TMD::Style::AbortRetryIgnore, mrIgnore},
    {"OkCancelWinsOverYesNo", mtConfirmation, mbOK | mbCancel | mbYes | mbNo, 0, "Potwierdź",
     TMD::Style::OkCancel, mrOk},
    {"RetryCancelWinsOverYesNoCancel", mtConfirmation, mbRetry | mbCancel | mbYes | mbNo, 0, "Potwierdź",
     TMD::Style::RetryCancel, mrRetry},
    {"YesNoWinsOverAbortRetryIgnore", mtConfirmation, mbYes | mbNo | mbAbort | mbRetry | mbIgnore, 0,
     "Potwierdź", TMD::Style::YesNo, mrYes},
    {"AllAloneIsSingleOk", mtWarning, mbAll, 0, "Ostrzeżenie", TMD::Style::Ok, mrOk},
    {"EmptySetIsSingleOk", mtWarning, 0, 0, "Ostrzeżenie", TMD::Style::Ok, mrOk},
    {"AbortRetryWithoutIgnoreIsSingleOk", mtError, mbAbort | mbRetry, 0, "Błąd", TMD::Style::Ok, mrOk},
};

void PrintTo(const HookCase& c, std::ostream* os)
{
    *os << c.rule;
}

class MessageDlgHookCase : public MessageDlgTest, public ::testing::WithParamInterface<HookCase>
{
};

TEST_P(MessageDlgHookCase, CaptionStyleAndAnswer)
{
    const HookCase& c = GetParam();
    QList<TMD::Shown> seen;
    TMD::SetTestHook([&](const TMD::Shown& s) {
        seen.append(s);
        return c.hookAnswer;
    });
    const QString text = QStringLiteral("Treść komunikatu\r\ndruga linia");
    EXPECT_EQ(TMD::MessageDlg(text, c.kind, c.buttons, 0), c.expected);
    EXPECT_EQ(TMD::CaptionFor(c.kind), QString::fromUtf8(c.caption));
    EXPECT_EQ(TMD::StyleFor(c.buttons), c.style);

    ASSERT_EQ(TMD::Recorded().size(), 1);
    const TMD::Shown& r = TMD::Recorded().first();
    EXPECT_EQ(r.text, text);
    EXPECT_EQ(r.caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.buttons, c.buttons);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen.first().caption, r.caption);
}

INSTANTIATE_TEST_SUITE_P(Rules, MessageDlgHookCase, ::testing::ValuesIn(hookCases),
                         [](const auto& info) { return std::string(info.param.rule); });

TEST_F(MessageDlgTest, HookRecordsEveryCallInOrderAndClearingStopsIt)
{
    TMD::SetTestHook([](const TMD::Shown&) { return 0; });
    TMD::MessageDlg(QStringLiteral("pierwszy"), mtInformation, mbOK);
    TMD::MessageDlg(QStringLiteral("drugi"), mtConfirmation, mbYes | mbNo);
    ASSERT_EQ(TMD::Recorded().size(), 2);
    EXPECT_EQ(TMD::Recorded()[0].text, QStringLiteral("pierwszy"));
    EXPECT_EQ(TMD::Recorded()[1].text, QStringLiteral("drugi"));
    TMD::ClearRecorded();
    EXPECT_TRUE(TMD::Recorded().isEmpty());
}

TEST_F(MessageDlgTest, LogFileGetsCaptionAndTextOfEveryMessage)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("msgbox.log"));
    qputenv("ORLIX_MSGBOX_LOG", log.toLocal8Bit());
    TMD::SetTestHook([](const TMD::Shown&) { return 0; });
    TMD::MessageDlg(QStringLiteral("Nie można zapisać pliku.\r\nSprawdź uprawnienia."), mtError, mbOK);
    TMD::MessageDlg(QStringLiteral("Czy usunąć?"), mtConfirmation, mbYes | mbNo);
    qunsetenv("ORLIX_MSGBOX_LOG");

    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(content.contains(QStringLiteral("Błąd")));
    EXPECT_TRUE(content.contains(QStringLiteral("Nie można zapisać pliku.\nSprawdź uprawnienia.")));
    EXPECT_TRUE(content.contains(QStringLiteral("Potwierdź")));
    EXPECT_TRUE(content.contains(QStringLiteral("Czy usunąć?")));
    EXPECT_FALSE(content.contains(QLatin1Char('\r')));
}

// What the real box looked like when it came up.
struct BoxSeen
{
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    Qt::WindowModality modality = Qt::NonModal;
    bool onTop = false;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
};

// Waits for the next real box, notes how it looks and presses the button captioned `press`
// (or dismisses the box when there is no such button, so a failing test cannot hang).
void answerNextBox(const QString& press, BoxSeen& seen)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, press, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (waited->elapsed() > 10000) { // no box came: stop before `seen` goes away
                timer->stop();
                timer->deleteLater();
                delete waited;
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        delete waited;
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.modality = box->windowModality();
        seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        seen.format = box->textFormat();
        seen.parent = box->parentWidget();
        if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
        QAbstractButton* target = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons.append(b->text());
            if (b->text() == press) target = b;
        }
        seen.buttons.sort();
        if (target)
            target->click();
        else
            box->done(-1);
    });
    timer->start();
}

struct BoxCase
{
    const char* rule;
    unsigned char kind;
    TMsgDlgButtons buttons;
    const char* press;
    QMessageBox::Icon icon;
    QStringList labels; // sorted
    const char* defaultLabel;
    int expected;
};

const BoxCase boxCases[] = {
    {"WarningOk", mtWarning, mbOK, "OK", QMessageBox::Warning, {"OK"}, "OK", mrOk},
    {"QuestionYes", mtConfirmation, mbYes | mbNo, "Tak", QMessageBox::Question, {"Nie", "Tak"}, "Tak", mrYes},
    {"QuestionNo", mtConfirmation, mbYes | mbNo, "Nie", QMessageBox::Question, {"Nie", "Tak"}, "Tak", mrNo},
    {"ErrorYesAloneIsOk", mtError, mbYes, "OK", QMessageBox::Critical, {"OK"}, "OK", mrOk},
    {"InformationOk", mtInformation, mbOK, "OK", QMessageBox::Information, {"OK"}, "OK", mrOk},
    {"PlainMessageHasNoIcon", mtCustom, mbOK, "OK", QMessageBox::NoIcon, {"OK"}, "OK", mrOk},
    {"YesNoCancelCancel",
     mtConfirmation,
     mbYes | mbNo | mbCancel,
     "Anuluj",
     QMessageBox::Question,
     {"Anuluj", "Nie", "Tak"},
     "Tak",
     mrCancel},
    {"OkCancelCancel",
     mtWarning,
     mbOK | mbCancel,
     "Anuluj",
     QMessageBox::Warning,
     {"Anuluj", "OK"},
     "OK",
     mrCancel},
    {"RetryCancelRetry",
     mtError,
     mbRetry | mbCancel,
     "Ponów",
     QMessageBox::Critical,
     {"Anuluj", "Ponów"},
     "Ponów",
     mrRetry},
    {"AbortRetryIgnoreIgnore",
     mtError,
     mbAbort | mbRetry | mbIgnore,
     "Ignoruj",
     QMessageBox::Critical,
     {"Ignoruj", "Ponów", "Przerwij"},
     "Przerwij",
     mrIgnore},
    {"AbortRetryIgnoreAbort",
     mtError,
     mbAbort | mbRetry | mbIgnore,
     "Przerwij",
     QMessageBox::Critical,
     {"Ignoruj", "Ponów", "Przerwij"},
     "Przerwij",
     mrAbort},
    {"QuestionClosedWithoutButtonIsNo",
     mtConfirmation,
     mbYes | mbNo,
     "",
     QMessageBox::Question,
     {"Nie", "Tak"},
     "Tak",
     mrNo},
};

void PrintTo(const BoxCase& c, std::ostream* os)
{
    *os << c.rule;
}

class MessageDlgBoxCase : public MessageDlgTest, public ::testing::WithParamInterface<BoxCase>
{
};

TEST_P(MessageDlgBoxCase, RealBoxLooksRightAndAnswers)
{
    const BoxCase& c = GetParam();
    BoxSeen seen;
    answerNextBox(QString::fromUtf8(c.press), seen);
    const int result =
        TMD::MessageDlg(QStringLiteral("Pierwsza linia\r\nDruga <b>linia</b>"), c.kind, c.buttons);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(seen.title, TMD::CaptionFor(c.kind));
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, c.labels);
    EXPECT_EQ(seen.defaultButton, QString::fromUtf8(c.defaultLabel));
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
    EXPECT_TRUE(seen.onTop);
    EXPECT_EQ(seen.text, QStringLiteral("Pierwsza linia\nDruga <b>linia</b>"));
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_TRUE(TMD::Recorded().isEmpty()); // only the hook records
}

INSTANTIATE_TEST_SUITE_P(Rules, MessageDlgBoxCase, ::testing::ValuesIn(boxCases),
                         [](const auto& info) { return std::string(info.param.rule); });

TEST_F(MessageDlgTest, BoxIsOwnedByTheActiveWindowAndRemembersIt)
{
    QWidget splash;
    splash.setWindowTitle(QStringLiteral("Logo"));
    splash.resize(200, 100);
    splash.show();
    splash.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&splash));

    BoxSeen first;
    answerNextBox(QStringLiteral("OK"), first);
    TMD::MessageDlg(QStringLiteral("Brak połączenia"), mtError, mbOK);
    ASSERT_TRUE(first.shown);
    EXPECT_EQ(first.parent, &splash);

    // With no active window the owner of the previous box is used again.
    splash.hide();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }, 1000));
    BoxSeen second;
    answerNextBox(QStringLiteral("OK"), second);
    TMD::MessageDlg(QStringLiteral("Drugi komunikat"), mtWarning, mbOK);
    ASSERT_TRUE(second.shown);
    EXPECT_EQ(second.parent, &splash);
}

} // namespace

namespace {

// Shows a decorated database error with 200 parameter lines, answers it with
// OK and ends the process: 0 when the box, its OK button and the message fit
// the screen and the details scroll, 1 otherwise (the reason on stderr).
[[noreturn]] void showLongErrorAndExit()
{
    QString msg = QStringLiteral("Error in \"Główna.RefreshQuery\":\r\n    Error type: EDBEngineError\r\n"
                                 "    Error message:\r\n\r\nLost connection to server during query\r\n\r\n"
                                 "    TQuery.SQL:\r\n\r\nselect * from Userdb where U_INDEX in (:p1)\r\n\r\n"
                                 "    SQL Params: \r\n");
    for (int i = 1; i <= 200; ++i)
        msg += QStringLiteral("\r\n:p%1 [ftString] = \"wartość %1\"").arg(i);

    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    QRect boxRect, okRect;
    QString head;
    int detailRange = -1;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (waited.elapsed() > 10000) poll.stop();
            return;
        }
        poll.stop();
        boxRect = box->frameGeometry();
        QAbstractButton* ok = box->buttons().value(0);
        if (ok) okRect = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        head = box->text();
        if (auto* detail = box->findChild<QPlainTextEdit*>(QStringLiteral("DetailText")))
            detailRange = detail->verticalScrollBar()->maximum();
        if (ok)
            ok->click();
        else
            box->done(-1);
    });
    poll.start(10);
    const int answer = TMD::MessageDlg(msg, mtError, mbOK);
    const struct
    {
        bool ok;
        const char* what;
    } checks[] = {{avail.size() == QSize(800, 600), "the screen is not 800x600"},
                  {answer == mrOk, "OK was not the answer"},
                  {avail.contains(boxRect), "the box runs off the screen"},
                  {avail.contains(okRect), "the OK button is off the screen"},
                  {head.contains(QStringLiteral("Lost connection to server during query")), "no message"},
                  {!head.contains(QStringLiteral(":p200")), "the details are in the message"},
                  {detailRange > 0, "the details do not scroll"}};
    bool all = true;
    for (const auto& c : checks)
        if (!c.ok) {
            std::fprintf(stderr, "%s\n", c.what);
            all = false;
        }
    std::fprintf(stderr, "%s\n", all ? "the box fits" : "the box does not fit");
    std::fflush(stderr);
    std::_Exit(all ? 0 : 1);
}

} // namespace

// A decorated database error with a long statement and many parameters keeps
// its message readable and the OK button on an 800x600 screen: the details
// scroll. The child process gets such a screen from the offscreen platform.
TEST_F(MessageDlgTest, LongDetailFitsTheScreenAndKeepsOkReachable)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile f(config);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"screens": [{"name": "S", "x": 0, "y": 0, "width": 800, "height": 600,
                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    f.close();
    const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toUtf8());
    EXPECT_EXIT(showLongErrorAndExit(), ::testing::ExitedWithCode(0), "the box fits");
    qputenv("QT_QPA_PLATFORM", saved);
}
