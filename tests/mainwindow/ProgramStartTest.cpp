// Two runs of the program's start on one database, logged in as an operator
// does: what the first run leaves on close is what the second shows.
#include "mainwindow/ProgramStart.h"

#include "core/DialogPL.h"
#include "core/FormLogo.h"
#include "core/GripPanel.h"
#include "core/Logowanie.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/User.h"
#include "platform/NetworkAdapter.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

class ProgramStartTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path());
        ASSERT_TRUE(PointTestDataSource(DatabaseName(), m_odbcDir, m_savedOdbc));
        SetAdapterSource([] {
            return std::vector<TAdapterInfo>{{QStringLiteral("00:1a:2b:3c:4d:5e"), true, false}};
        });
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        SetAdapterSource({});
        SetProgramFolder(QString());
        RestoreOdbcIni(m_savedOdbc);
        LoginSucceeded = false;
        DbTest::TearDown();
    }

    // One program run: logs in as "admin", closes whatever other window asks
    // (the default password's change), runs `work` on the shown main window,
    // then closes it. Returns the program's exit code.
    int run(const std::function<void()>& work)
    {
        bool done = false;
        QElapsedTimer shown;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* login = qobject_cast<TFormLogowanie*>(modal)) {
                login->LoginOperatora->setText(QStringLiteral("admin"));
                login->Haslo->setText(QStringLiteral("mewra"));
                login->ZalogujBtn->click();
                return;
            }
            if (modal) {
                modal->close();
                return;
            }
            if (done || !FormGlowny || !FormGlowny->isVisible()) return;
            if (!shown.isValid()) shown.start();
            if (shown.elapsed() < 400) return; // the start timers run first
            done = true;
            work();
            FormGlowny->close();
            QApplication::quit();
        });
        driver.start(20);
        const int rc = RunMainProgram();
        driver.stop();
        EXPECT_TRUE(done) << "the main window never came up";
        return rc;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_odbcDir;
    QByteArray m_savedOdbc;
};

TEST_F(ProgramStartTest, LayoutSurvivesARestart)
{
    bool firstStartDefault = false;
    EXPECT_EQ(run([&] {
                  QHeaderView* h = FormGlowny->DBGrid1->horizontalHeader();
                  // First start: the default set of columns ("P" and "B" hidden, the number shown).
                  firstStartDefault = !h->isSectionHidden(0) && h->isSectionHidden(10) &&
                                      h->isSectionHidden(11) && !h->isSectionHidden(12) &&
                                      h->isSectionHidden(24);
                  h->setSectionHidden(2, true);   // "Ulica"
                  h->setSectionHidden(10, false); // "P"
                  FormUser->GripPanel1->SetSize(170);
                  FormUser->GripPanel3->SetSize(150);
                  FormUser->resize(FormUser->width(), 620);
              }),
              0);
    EXPECT_TRUE(firstStartDefault);

    bool columns = false;
    int devicePanel = 0, templatePanel = 0, cardHeight = 0;
    EXPECT_EQ(run([&] {
                  QHeaderView* h = FormGlowny->DBGrid1->horizontalHeader();
                  columns = h->isSectionHidden(2) && !h->isSectionHidden(10) && h->isSectionHidden(11) &&
                            !h->isSectionHidden(0);
                  devicePanel = FormUser->GripPanel1->Size();
                  templatePanel = FormUser->GripPanel3->Size();
                  cardHeight = FormUser->height();
              }),
              0);
    EXPECT_TRUE(columns);
    EXPECT_EQ(devicePanel, 170);
    EXPECT_EQ(templatePanel, 150);
    EXPECT_EQ(cardHeight, 620);
    // The program closed its connection on exit: the stored mask is read from another.
    SecondConnection other(DatabaseName());
    EXPECT_EQ(other.session
                  ->GetQueryValueAsString(QStringLiteral(
                      "select I_VALUE from INI where I_SECTION='Var' and I_IDENT='KolumnyGrid1'"))
                  .left(12),
              QStringLiteral("110111111110"));
}
