#include "core/Funkcje2.h"

#include "core/ActivityLog.h"
#include "core/DateTimePicker.h"
#include "core/DbError.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Session.h"
#include "mainwindow/Glowny.h"
#include "platform/DefaultPrinter.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Points the program and private folders at a temporary folder for one test.
class FolderScope
{
public:
    FolderScope()
        : m_program(ProgramFolder()), m_private(PrivateFolder), m_export(ExportFolder),
          m_archive(ArchiveFolder)
    {
        SetProgramFolder(dir.path());
        PrivateFolder = dir.path() + QStringLiteral("/orlix_priv/");
        ExportFolder = dir.path() + QStringLiteral("/");
        ArchiveFolder = dir.path() + QStringLiteral("/");
    }
    ~FolderScope()
    {
        SetProgramFolder(m_program);
        PrivateFolder = m_private;
        ExportFolder = m_export;
        ArchiveFolder = m_archive;
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;

private:
    QString m_program, m_private, m_export, m_archive;
};

// ---------------------------------------------------------------- waits

TEST(Funkcje2, WaitProcessingMessagesServesTimersAndRestoresTheCursor)
{
    bool fired = false;
    QTimer::singleShot(50, [&] { fired = true; });
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QElapsedTimer t;
    t.start();
    WaitProcessingMessages(200);
    EXPECT_GE(t.elapsed(), 200);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(fired) << "a timer due during the wait ran";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the default cursor again";
}

TEST(Funkcje2, WaitForFileOnAFileAlreadyThereStillWaitsATenth)
{
    FolderScope f;
    writeFile(f.path("ready.pdf"), "x");
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(WaitForFile(f.path("ready.pdf"), 2000));
    EXPECT_GE(t.elapsed(), 200);
    EXPECT_LT(t.elapsed(), 1500);
}

TEST(Funkcje2, WaitForFileEndsSoonAfterTheFileAppears)
{
    FolderScope f;
    const QString file = f.path("late.pdf");
    QTimer::singleShot(300, [&] { writeFile(file, "%PDF"); });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(WaitForFile(file, 5000));
    // Found after about 300 ms (the timer ran during the wait), then half a second more.
    EXPECT_GE(t.elapsed(), 800);
    EXPECT_LT(t.elapsed(), 2500);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Funkcje2, WaitForFileGivesUpAfterTheTimeout)
{
    FolderScope f;
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(WaitForFile(f.path("never.pdf"), 400));
    EXPECT_GE(t.elapsed(), 440);
}

// ---------------------------------------------------------------- files

TEST(Funkcje2, CopyFileByBlocksReplacesTheTargetExactly)
{
    FolderScope f;
    QByteArray data;
    for (int i = 0; i < 10000; ++i)
        data.append(char(i * 7));
    writeFile(f.path("src.bin"), data);
    writeFile(f.path("dst.bin"), QByteArray(20000, 'z'));
    CopyFileByBlocks(f.path("src.bin"), f.path("dst.bin"));
    EXPECT_EQ(readFile(f.path("dst.bin")), data);
    writeFile(f.path("empty.bin"), QByteArray());
    CopyFileByBlocks(f.path("empty.bin"), f.path("dst.bin"));
    EXPECT_EQ(readFile(f.path("dst.bin")), QByteArray());
}

TEST(Funkcje2, CopyFileByBlocksRaisesOnErrors)
{
    FolderScope f;
    EXPECT_THROW(CopyFileByBlocks(f.path("missing.bin"), f.path("dst.bin")), EInOutError);
    writeFile(f.path("src.bin"), "abc");
    EXPECT_THROW(CopyFileByBlocks(f.path("src.bin"), f.path("no/such/folder/dst.bin")), EInOutError);
}

TEST(Funkcje2, DeleteFilesShellTakesFilesFoldersAndMasks)
{
    FolderScope f;
    writeFile(f.path("a.txt"), "1");
    writeFile(f.path("b.txt"), "2");
    writeFile(f.path("c.xml"), "3");
    QDir(f.dir.path()).mkpath(QStringLiteral("vove/sub"));
    writeFile(f.path("vove/sub/x.txt"), "4");

    EXPECT_TRUE(DeleteFilesShell(f.path("*.txt")));
    EXPECT_FALSE(QFile::exists(f.path("a.txt")));
    EXPECT_FALSE(QFile::exists(f.path("b.txt")));
    EXPECT_TRUE(QFile::exists(f.path("c.xml")));
    EXPECT_TRUE(QFile::exists(f.path("vove/sub/x.txt"))) << "the mask does not reach into folders";

    EXPECT_TRUE(DeleteFilesShell(f.path("vove")));
    EXPECT_FALSE(QFileInfo::exists(f.path("vove")));
    EXPECT_TRUE(DeleteFilesShell(f.path("c.xml")));
    EXPECT_FALSE(QFile::exists(f.path("c.xml")));

    EXPECT_FALSE(DeleteFilesShell(f.path("*.txt"))) << "nothing matched";
    EXPECT_FALSE(DeleteFilesShell(f.path("gone.zip")));
    EXPECT_FALSE(DeleteFilesShell(QString()));
}

TEST(Funkcje2, FileMd5HexIsUpperCase)
{
    FolderScope f;
    writeFile(f.path("empty"), QByteArray());
    writeFile(f.path("abc"), "abc");
    EXPECT_EQ(FileMd5Hex(f.path("empty")), QStringLiteral("D41D8CD98F00B204E9800998ECF8427E"));
    EXPECT_EQ(FileMd5Hex(f.path("abc")), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
    EXPECT_THROW(FileMd5Hex(f.path("missing")), EInOutError);
}

TEST(Funkcje2, LoadFontSettings)
{
    FolderScope f;
    FontName = QStringLiteral("was");
    FontSize = 7;
    LoadFontSettings(QStringLiteral("czcionka.ini"));
    EXPECT_EQ(FontName, QStringLiteral("was")) << "no file: nothing changes";

    writeFile(f.path("czcionka.ini"), "Tahoma\r\n");
    LoadFontSettings(QStringLiteral("czcionka.ini"));
    EXPECT_EQ(FontName, QStringLiteral("was")) << "one line: nothing changes";

    writeFile(f.path("czcionka.ini"), "Tahoma\nabc\n");
    EXPECT_THROW(LoadFontSettings(QStringLiteral("czcionka.ini")), EDatabaseError);
    EXPECT_EQ(FontName, QStringLiteral("was"));

    writeFile(f.path("czcionka.ini"), StringToCp1250(QStringLiteral("Czcionka Łódź\r\n10\r\nreszta\r\n")));
    LoadFontSettings(QStringLiteral("czcionka.ini"));
    EXPECT_EQ(FontName, QStringLiteral("Czcionka Łódź"));
    EXPECT_EQ(FontSize, 10);
    FontName.clear();
    FontSize = 0;
}

// ---------------------------------------------------------------- printers and desktop

TEST(Funkcje2, SetDefaultPrinterKnowsOnlyExistingPrinters)
{
    EXPECT_THROW(SetDefaultPrinter(QStringLiteral("Nie ma takiej drukarki")), EOSError);
    EXPECT_THROW(SetDefaultPrinter(QString()), EOSError);
    RegisterProgramPrinter(QStringLiteral("Orlix PDF"));
    SetDefaultPrinter(QStringLiteral("Orlix PDF"));
    EXPECT_EQ(DefaultPrinterName(), QStringLiteral("Orlix PDF"));
    EXPECT_EQ(GetDefaultPrinterDevice(), QStringLiteral("Orlix PDF,,"));
}

TEST(Funkcje2, CopyTextToClipboard)
{
    CopyTextToClipboard(QStringLiteral("KSeF 1234563218-20260101-ABCDEF-01"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("KSeF 1234563218-20260101-ABCDEF-01"));
}

TEST(Funkcje2, IsDatePickerChecked)
{
    TDateTimePicker p;
    EXPECT_TRUE(IsDatePickerChecked(&p)) << "without a check box the date counts";
    p.SetShowCheckbox(true);
    p.SetChecked(false);
    EXPECT_FALSE(IsDatePickerChecked(&p));
    p.SetChecked(true);
    EXPECT_TRUE(IsDatePickerChecked(&p));
    EXPECT_FALSE(IsDatePickerChecked(nullptr));
}

TEST(Funkcje2, PopupMenuBelowOpensUnderTheButton)
{
    QWidget w;
    w.setGeometry(100, 100, 300, 200);
    auto* button = new QToolButton(&w);
    button->setGeometry(40, 30, 60, 24);
    auto* edit = new QLineEdit(&w);
    edit->setGeometry(40, 80, 60, 24);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    PopupMenuBelow(button); // no menu: nothing happens
    QMenu menu;
    menu.addAction(QStringLiteral("Wydruk"));
    SetPopupMenu(edit, &menu);
    PopupMenuBelow(edit);
    EXPECT_FALSE(menu.isVisible()) << "only buttons and labels open menus";

    SetPopupMenu(button, &menu);
    EXPECT_FALSE(menu.property("Tag").isValid());
    PopupMenuBelow(button);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.property("Tag").toInt(), 1);
    EXPECT_EQ(menu.pos(), button->mapToGlobal(QPoint(-10, button->height())));
    menu.hide();
}

TEST(Funkcje2, ShowStepInStatusCountsIntoTheMainWindowLabel)
{
    FolderScope f;
    TFormGlowny main;
    QLabel* label = main.Label1;
    TFormGlowny* was = FormGlowny;
    FormGlowny = &main;
    main.setWindowTitle(QStringLiteral("  Orlix6 KSeF  "));
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const int before = StepInStatusCount();
    ShowStepInStatus();
    ShowStepInStatus();
    EXPECT_EQ(StepInStatusCount(), before + 2);
    EXPECT_EQ(label->text(), QString::number(before + 2) + QStringLiteral(" -> Orlix6 KSeF"));
    FormGlowny = was;
}

TEST(Funkcje2, FlashMainWindowThreadStopsAtAnEvenStepWhenClosing)
{
    TFormGlowny::Closing = true;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(FlashMainWindowThread(), 2) << "the window ends unflashed";
    EXPECT_GE(t.elapsed(), 1000);
    TFormGlowny::Closing = false;
}

// ---------------------------------------------------------------- list views

class CheckedItems : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.setColumnCount(3);
        add({"Węzeł A", "10.0.0.1", "sektor 1"}, true);
        add({"Węzeł B", "10.0.0.2", "sektor 2"}, false);
        add({"Węzeł C", "10.0.0.3"}, true); // one sub-item only
    }
    void TearDown() override { InstallAssertionLog(false); }
    void add(const QStringList& texts, bool checked)
    {
        auto* item = new QTreeWidgetItem(&view, texts);
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
    QTreeWidget view;
};

TEST_F(CheckedItems, CountAndTextsByColumn)
{
    EXPECT_EQ(CountCheckedItems(&view), 2);
    QStringList list{QStringLiteral("było")};
    EXPECT_EQ(GetCheckedItemTexts(&view, &list, 1), &list);
    EXPECT_EQ(list, QStringList({"było", "Węzeł A", "Węzeł C"}));
    list.clear();
    GetCheckedItemTexts(&view, &list, 2);
    EXPECT_EQ(list, QStringList({"10.0.0.1", "10.0.0.3"}));
    list.clear();
    GetCheckedItemTexts(&view, &list, 3);
    EXPECT_EQ(list, QStringList({"sektor 1", ""})) << "an item without that sub-item gives the empty text";
}

TEST_F(CheckedItems, BadColumnIsAnAssertionRaisedOrLogged)
{
    FolderScope f;
    QStringList list;
    InstallAssertionLog(false);
    EXPECT_THROW(GetCheckedItemTexts(&view, &list, 0), EAssertionFailed);
    EXPECT_THROW(GetCheckedItemTexts(&view, nullptr, 1), EAssertionFailed);

    InstallAssertionLog(true);
    EXPECT_EQ(GetCheckedItemTexts(&view, &list, 0), &list);
    EXPECT_TRUE(list.isEmpty());
    const QString log = QString::fromUtf8(readFile(AssertionLogFile()));
    EXPECT_TRUE(AssertionLogFile().startsWith(PrivateFolder));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Funkcje2Ui.cpp: GetCheckedItemTexts: brak listy lub kolumna < 1 w linii ")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(", adres błędu: $"))) << log.toStdString();
    EXPECT_EQ(log.count(QLatin1Char('\n')), 1);
}

// ---------------------------------------------------------------- bar codes

TEST(Funkcje2, Code128PictureReadsBackWithAScanner)
{
    EXPECT_TRUE(MakeCode128Picture(QString()).isNull());
    FolderScope f;
    const QStringList texts{QStringLiteral("FV 12/2026/K"), QStringLiteral("Orlix-6.14 ~{}|"),
                            QStringLiteral("0123456789")};
    for (const QString& text : texts) {
        const QImage img = MakeCode128Picture(text);
        ASSERT_FALSE(img.isNull());
        const QString png = f.path(QStringLiteral("code.png"));
        ASSERT_TRUE(img.save(png));
        QProcess zbar;
        zbar.start(QStringLiteral("zbarimg"),
                   {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Scode128.enable"), png});
        ASSERT_TRUE(zbar.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), text);
    }
}

// ---------------------------------------------------------------- database

class Funkcje2Db : public DbTest
{
};

TEST_F(Funkcje2Db, CountTableIndexesCountsIndexColumns)
{
    S()->ExecQuery(QStringLiteral("create table TI (a int, b int, c int, key k_ab (a, b)) engine=InnoDB"));
    EXPECT_EQ(CountTableIndexes(QStringLiteral("TI")), 2);
    S()->ExecQuery(QStringLiteral("alter table TI add primary key (c)"));
    EXPECT_EQ(CountTableIndexes(QStringLiteral("TI")), 3);
    EXPECT_EQ(CountTableIndexes(DatabaseName() + QStringLiteral(".TI")), 3);
    EXPECT_EQ(CountTableIndexes(QString()), 0);
    EXPECT_THROW(CountTableIndexes(QStringLiteral("TI; drop table TI")), EDatabaseError);
    EXPECT_EQ(CountTableIndexes(QStringLiteral("TI")), 3) << "the name is only a name";
}

class EnveloTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        // The export reads only Userdb's own columns through the view.
        S()->ExecQuery(QStringLiteral("create or replace view vUserdb as select * from Userdb"));
        TMD::SetTestHook([](const TMD::Shown&) { return int(mrOk); });
        TMD::ClearRecorded();
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        MainUserWhere.clear();
        MainUserIdList.clear();
        MainUserOrderBy.clear();
        DbTest::TearDown();
    }
    int addUser(const QString& name, int koresp, int innaLok, const QString& street)
    {
        S()->ExecQuery(
            QStringLiteral(
                "insert into Userdb set U_IMIE=:p1, U_NAZWISKO=:p2, U_CZYADRESDOKORESP=:p3, "
                "U_CZYINNALOKALIZACJA=:p4, U_ADR_ULICA=:p5, U_ADR_NRDOMU='1', U_ADR_NRLOKALU='', "
                "U_ADR_MIEJSCOWOSC='Gdańsk', U_ADR_KOD='80-001', U_KOR_ULICA='Pocztowa', "
                "U_KOR_NRDOMU='9', U_KOR_NRLOKALU='3', U_KOR_MIEJSCOWOSC='Sopot', U_KOR_KOD='81-701', "
                "U_LOK_ULICA='Serwisowa', U_LOK_MIEJSCOWOSC='Gdynia'"),
            {QStringLiteral("Jan"), name, koresp, innaLok, street});
        return int(S()->LastInsertId());
    }
    QStringList lines(const QString& file)
    {
        const QString text = Cp1250ToString(readFile(file));
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
        QStringList l = text.split(QStringLiteral("\r\n"));
        l.removeLast();
        return l;
    }
    const QString header =
        QStringLiteral("Zwrot grzecznościowy,Imię,Nazwisko,Firma,Envelo ID,Telefon,E-mail,Ulica,"
                       "Numer budynku,Numer mieszkania,Miasto,Kod pocztowy,Kraj,Grupa");
};

TEST_F(EnveloTest, CorrespondenceAddressByItsOwnFlagAndQuotedFields)
{
    FolderScope f;
    const int kor = addUser(QStringLiteral("Korespondencyjny"), 1, 0, QStringLiteral("Długa"));
    const int lok = addUser(QStringLiteral("Lokalizacja"), 0, 1, QStringLiteral("Długa"));
    const int comma =
        addUser(QStringLiteral("Żółć, \"Junior\""), 0, 0, QStringLiteral("Długa, róg Krótkiej"));

    const QString file = ExportEnveloAddressBook(kor);
    EXPECT_EQ(file, ExportFolder + QStringLiteral("KsiazkaAdresowaEnvelo.csv"));
    EXPECT_EQ(
        lines(file),
        QStringList(
            {header,
             QStringLiteral(",Jan,Korespondencyjny,,%1,,,Pocztowa,9,3,Sopot,81-701,PL,Orlix").arg(kor)}));
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded().at(0).text, QStringLiteral("Dane adresowe zapisane w pliku ") + file);
    EXPECT_EQ(TMD::Recorded().at(0).kind, mtInformation);

    MainUserIdList = QStringLiteral(" in (%1,%2,%3,0) ").arg(kor).arg(lok).arg(comma);
    MainUserWhere = QStringLiteral(" WHERE U_INDEX") + MainUserIdList;
    MainUserOrderBy = QStringLiteral(" order by U_INDEX desc");
    ExportEnveloAddressBook(0);
    EXPECT_EQ(
        lines(file),
        QStringList(
            {header,
             QStringLiteral(",Jan,\"Żółć, \"\"Junior\"\"\",,%1,,,\"Długa, róg Krótkiej\",1,,Gdańsk,80-001,PL,"
                            "Orlix")
                 .arg(comma),
             // The service location says nothing about where the mail goes.
             QStringLiteral(",Jan,Lokalizacja,,%1,,,Długa,1,,Gdańsk,80-001,PL,Orlix").arg(lok),
             QStringLiteral(",Jan,Korespondencyjny,,%1,,,Pocztowa,9,3,Sopot,81-701,PL,Orlix").arg(kor)}));
    EXPECT_TRUE(readFile(file).contains(StringToCp1250(QStringLiteral("Żółć")))) << "code page 1250";
}

TEST_F(EnveloTest, EmptyMainGridWritesTheHeaderOnly)
{
    FolderScope f;
    addUser(QStringLiteral("Ktoś"), 0, 0, QStringLiteral("Długa"));
    MainUserIdList = QStringLiteral(" in (0) ");
    MainUserWhere = QStringLiteral(" WHERE U_INDEX") + MainUserIdList;
    EXPECT_EQ(lines(ExportEnveloAddressBook(0)), QStringList{header});
}

// A cell starting like a formula would run in the spreadsheet that opens the export.
TEST(Funkcje2, CsvFieldKeepsFormulasFromRunning)
{
    const struct
    {
        const char* value;
        const char* field;
    } cases[] = {{"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
                 {"+48 600 100 200", "'+48 600 100 200"},
                 {"-2+3", "'-2+3"},
                 {"@SUM(A1:A2)", "'@SUM(A1:A2)"},
                 {"=1,2", "\"'=1,2\""},
                 {"a=b", "a=b"},
                 {"", ""},
                 {" =x", " =x"}};
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(QString::fromUtf8(c.value)), QString::fromUtf8(c.field)) << c.value;
}

TEST(Funkcje2, CsvFieldQuotesOnlyWhenNeeded)
{
    EXPECT_EQ(CsvField(QStringLiteral("Gdańsk")), QStringLiteral("Gdańsk"));
    EXPECT_EQ(CsvField(QStringLiteral("a,b")), QStringLiteral("\"a,b\""));
    EXPECT_EQ(CsvField(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
    EXPECT_EQ(CsvField(QStringLiteral("two\r\nlines")), QStringLiteral("\"two\r\nlines\""));
    EXPECT_EQ(CsvField(QStringLiteral("a;b"), QLatin1Char(';')), QStringLiteral("\"a;b\""));
}

} // namespace
