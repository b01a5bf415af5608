// The dictionaries and templates window: nameless rows, the group deletion
// guards, network information, pages, the template editor and its RTF, the
// second RTF body; driven as an operator does.
#include "mainwindow/Definicje.h"

#include "core/DataModule.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/DefinicjeGrid.h"
#include "mainwindow/DefinicjeHooks.h"
#include "mainwindow/DefinicjeRules.h"
#include "mainwindow/Glowny.h"
#include "platform/NetworkAdapter.h"
#include "platform/Rtf.h"
#include "tests/support/DeskSession.h"
#include "tests/support/RtfSupport.h"
#include "tests/support/TestDb.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

class DefinicjeRules : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
    }
};

TEST_F(DefinicjeRules, GroupInUseInAnyOfTheTenSlots)
{
    for (int slot = 1; slot <= 10; ++slot) {
        S()->ExecQuery(QStringLiteral("delete from Userdb"));
        S()->ExecQuery(QStringLiteral("delete from Infrastruktura"));
        S()->ExecQuery(
            QStringLiteral("insert into Userdb (U_NAZWISKO, U_GRUPA%1) values ('X', 7)").arg(slot));
        S()->ExecQuery(
            QStringLiteral("insert into Infrastruktura (INF_NAZWA, INF_GRUPA%1) values ('X', 8)").arg(slot));
        EXPECT_TRUE(UserGroupInUse(7)) << slot;
        EXPECT_FALSE(UserGroupInUse(8)) << slot;
        EXPECT_TRUE(InfraGroupInUse(8)) << slot;
        EXPECT_FALSE(InfraGroupInUse(7)) << slot;
    }
}

TEST_F(DefinicjeRules, SecondRtfOverTheLimitIsRefusedWhole)
{
    S()->ExecQuery(
        QStringLiteral("insert into Szablony (SZ_INDEX, SZ_NAZWA, SZ_RODZAJ, SZ_TRESC2) values (1, 'Umowa', "
                       "'U', '{\\\\rtf1 stary}')"));
    auto stored = [this] {
        return S()->GetQueryValueAsString(QStringLiteral("select SZ_TRESC2 from Szablony where SZ_INDEX=1"));
    };
    const QByteArray body = "{\\rtf1 " + QByteArray(kAdditionalRtfLimit - 8, 'x') + "}";
    ASSERT_EQ(body.size(), kAdditionalRtfLimit);
    EXPECT_FALSE(StoreAdditionalRtf(1, body + " "));
    EXPECT_EQ(stored(), QStringLiteral("{\\rtf1 stary}")) << "nothing stored, the old body kept";
    EXPECT_TRUE(StoreAdditionalRtf(1, body));
    EXPECT_EQ(stored(), QString::fromLatin1(body)) << "whole, closing brace included";
    RemoveAdditionalRtf(1);
    EXPECT_EQ(stored(), QString());
    EXPECT_TRUE(AdditionalRtfTooLongMessage().contains(QStringLiteral("70000")));
}

TEST(DefinicjeKinds, OrderLettersAndEditors)
{
    QString letters, rich, subject;
    for (const TTemplateKind& k : TemplateKinds()) {
        letters += k.Letter;
        rich += k.Rich ? QLatin1Char('R') : QLatin1Char('-');
        subject += k.SubjectLabel.isEmpty() ? QLatin1Char('-') : k.SubjectLabel.at(0);
    }
    EXPECT_EQ(letters, QStringLiteral("SEUWPMN"));
    EXPECT_EQ(rich, QStringLiteral("--RRR--"));
    EXPECT_EQ(subject, QStringLiteral("-TTTT--"));
    EXPECT_EQ(TemplateKinds()[1].SubjectLabel, QStringLiteral("Temat:"));
    EXPECT_EQ(TemplateKindIndex(QStringLiteral("P")), 4);
    EXPECT_EQ(TemplateKindIndex(QStringLiteral("?")), 0);
    EXPECT_EQ(NamelessRowDeletions().size(), 14);
}

// ---------------------------------------------------------------- the window

class DefinicjeWindow : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        TMD::ClearRecorded();
        m_session.emplace(AdminSignedIn());
        Data = new TData();
        S()->ExecQuery(
            QStringLiteral("insert into Grupy (GR_INDEX, GR_NAZWA) values (1, 'Bloki'), (2, 'Domy')"));
        S()->ExecQuery(QStringLiteral(
            "insert into GrupyInf (GRI_INDEX, GRI_NAZWA) values (1, 'Maszty'), (2, 'Klatki')"));
        S()->ExecQuery(QStringLiteral("insert into Userdb (U_NAZWISKO, U_GRUPA7) values ('Kowalski', 1)"));
        S()->ExecQuery(
            QStringLiteral("insert into Infrastruktura (INF_NAZWA, INF_GRUPA10) values ('AP', 2)"));
        S()->ExecQuery(
            QStringLiteral("insert into ListaSieci (SIEC_INDEX, SIEC_NAZWA, SIEC_IP, SIEC_MASKA, "
                           "SIEC_CZYAKTYWNA) values (1, 'LAN', '192.168.1.0', '24', 1), (2, 'Zapas', "
                           "'10.0.0.0', '', 0)"));
        S()->ExecQuery(
            QStringLiteral("insert into Taryfy (TAR_NAZWA, TAR_PASMODOWNLOADDZIENTXT) values ('Dom 10', "
                           "'10M')"));
        S()->ExecQuery(
            QStringLiteral("insert into Szablony (SZ_INDEX, SZ_NAZWA, SZ_RODZAJ, SZ_TRESC) values (1, "
                           "'Przypomnienie', 'S', 'Dzień dobry <#IMIE>')"));
    }
    void TearDown() override
    {
        delete m_form;
        TFormDefinicje::ChooseFile = nullptr;
        delete Data;
        Data = nullptr;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        m_session.reset();
        DbTest::TearDown();
    }
    TFormDefinicje& open(int page)
    {
        if (!m_form) m_form = new TFormDefinicje();
        m_form->StartPage = page;
        m_form->show();
        m_form->activateWindow();
        (void)QTest::qWaitForWindowActive(m_form, 500);
        QTest::qWait(10);
        return *m_form;
    }
    void close()
    {
        m_form->hide();
        QTest::qWait(10);
    }
    int count(const QString& sql) { return S()->GetQueryValueAsInteger(sql); }
    QStringList recorded()
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    int m_answer = mrOk;
    std::optional<TScopedSession> m_session;
    TFormDefinicje* m_form = nullptr;
};

TEST_F(DefinicjeWindow, UnboundWhileHiddenAndEveryGridBoundWhenShown)
{
    m_form = new TFormDefinicje();
    TFormDefinicje& f = *m_form;
    EXPECT_FALSE(Data->QTaryfy->Active()) << "nothing is read while the window is hidden";
    open(0);
    ASSERT_EQ(f.Grids().size(), 14u);
    for (TDictionaryGrid* g : f.Grids()) {
        ASSERT_TRUE(g->Grid->model()) << g->objectName().toStdString();
        EXPECT_TRUE(g->Query()->Active());
        EXPECT_EQ(g->Button(TNavButton::Post)->toolTip(), QStringLiteral("Zapisz"));
    }
    EXPECT_EQ(f.GridUslugi->PickLists.at(QStringLiteral("USL_STAWKAVAT_TXT")),
              (QStringList{"23%", "8%", "0%", "5%", "zw", "np"}));
    EXPECT_EQ(f.GridTaryfy->PickLists.at(QStringLiteral("TAR_PASMOUPLOADNOCTXT")).first(),
              QStringLiteral("512k"));
    close();
    for (TDictionaryGrid* g : f.Grids())
        EXPECT_FALSE(g->Grid->model());
}

TEST_F(DefinicjeWindow, NamelessTariffGoneAfterClosingNamedOneKept)
{
    TFormDefinicje& f = open(1);
    f.GridTaryfy->Button(TNavButton::Insert)->click();
    EXPECT_EQ(count(QStringLiteral("select count(*) from Taryfy where TAR_NAZWA=''")), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // leaves the name editor empty
    close();
    EXPECT_EQ(count(QStringLiteral("select count(*) from Taryfy where Trim(TAR_NAZWA)=''")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from Taryfy")), 1);

    open(1);
    f.GridTaryfy->Button(TNavButton::Insert)->click();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Firma 50"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // ends the cell edit
    QApplication::processEvents();
    QTest::keyClick(f.GridTaryfy->Grid, Qt::Key_Return); // "Zapisz"
    EXPECT_EQ(Data->QTaryfy->State(), dsBrowse);
    EXPECT_EQ(count(QStringLiteral("select count(*) from Taryfy where TAR_NAZWA='Firma 50'")), 1);
    close();
    EXPECT_EQ(count(QStringLiteral("select count(*) from Taryfy")), 2);
}

TEST_F(DefinicjeWindow, EnterEditsThenSaves)
{
    TFormDefinicje& f = open(0);
    ASSERT_TRUE(Data->QGrupy->Locate(QStringLiteral("GR_NAZWA"), TArg(QStringLiteral("Domy"))));
    f.GridGrupy->Grid->setFocus();
    QTest::keyClick(f.GridGrupy->Grid, Qt::Key_Return);
    EXPECT_EQ(Data->QGrupy->State(), dsEdit);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, f.GridGrupy->Grid);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("Domy jednorodzinne"));
    QTest::keyClick(editor, Qt::Key_Return); // ends the cell edit only
    QApplication::processEvents();
    EXPECT_EQ(Data->QGrupy->State(), dsEdit);
    QTest::keyClick(f.GridGrupy->Grid, Qt::Key_Return);
    EXPECT_EQ(recorded(), QStringList());
    EXPECT_EQ(Data->QGrupy->State(), dsBrowse);
    EXPECT_EQ(count(QStringLiteral("select count(*) from Grupy where GR_NAZWA='Domy jednorodzinne'")), 1);
}

TEST_F(DefinicjeWindow, GroupInUseIsNotDeletedUnusedOneIsAfterConfirmation)
{
    TFormDefinicje& f = open(0);
    struct Case
    {
        TDictionaryGrid* grid;
        TQuery* q;
        const char *nameField, *used, *unused, *table, *message;
    } cases[] = {{f.GridGrupy, Data->QGrupy.get(), "GR_NAZWA", "Bloki", "Domy", "Grupy", kUserGroupInUse},
                 {f.GridGrupyInf, Data->QGrupyInf.get(), "GRI_NAZWA", "Klatki", "Maszty", "GrupyInf",
                  kInfraGroupInUse}};
    for (const Case& c : cases) {
        TMD::ClearRecorded();
        ASSERT_TRUE(c.q->Locate(QLatin1String(c.nameField), TArg(QString::fromUtf8(c.used))));
        c.grid->Button(TNavButton::Delete)->click();
        EXPECT_EQ(recorded(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(count(QStringLiteral("select count(*) from %1").arg(QLatin1String(c.table))), 2);

        TMD::ClearRecorded();
        m_answer = mrCancel;
        ASSERT_TRUE(c.q->Locate(QLatin1String(c.nameField), TArg(QString::fromUtf8(c.unused))));
        c.grid->Button(TNavButton::Delete)->click();
        EXPECT_EQ(recorded(), QStringList{QStringLiteral("Usunąć rekord?")});
        EXPECT_EQ(count(QStringLiteral("select count(*) from %1").arg(QLatin1String(c.table))), 2);
        m_answer = mrOk;
        c.grid->Button(TNavButton::Delete)->click();
        EXPECT_EQ(count(QStringLiteral("select count(*) from %1").arg(QLatin1String(c.table))), 1);
    }
}

TEST_F(DefinicjeWindow, NetworkInformationLabels)
{
    TFormDefinicje& f = open(1);
    auto labels = [&f] {
        QStringList out;
        for (QLabel* l : f.NetworkLabels)
            out << l->text();
        return out;
    };
    EXPECT_EQ(labels(), QStringList(6, QString())) << "cleared on opening";
    // A click on the first network's row.
    QTableView* grid = f.GridListaSieci->Grid;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, 1)).center());
    EXPECT_EQ(labels(), (QStringList{"192.168.1.0/24", "192.168.1.0 - 192.168.1.255", "C", "256",
                                     "255.255.255.0", "11111111.11111111.11111111.00000000"}));
    EXPECT_TRUE(f.CheckSiecAktywna->isChecked());
    ASSERT_TRUE(Data->QListaSieci->Locate(QStringLiteral("SIEC_NAZWA"), TArg(QStringLiteral("Zapas"))));
    EXPECT_EQ(labels(), QStringList(6, QString())) << "no prefix length";
    EXPECT_FALSE(f.CheckSiecAktywna->isChecked());
}

TEST_F(DefinicjeWindow, StartPageThenBackToTheFirst)
{
    TFormDefinicje& f = open(3);
    EXPECT_EQ(f.PageControl1->currentIndex(), 3);
    close();
    EXPECT_EQ(f.StartPage, 0);
    f.show();
    QTest::qWait(10);
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);
}

TEST_F(DefinicjeWindow, KindSToUShowsTheRichEditorWithTheSameText)
{
    TFormDefinicje& f = open(3);
    EXPECT_TRUE(f.Memo->isVisible());
    EXPECT_FALSE(f.RichEdit->isVisible());
    EXPECT_FALSE(f.SubjectPanel->isVisible());
    EXPECT_EQ(f.Memo->toPlainText(), QStringLiteral("Dzień dobry <#IMIE>"));

    f.RodzajSzablonu->button(1)->click(); // E
    EXPECT_TRUE(f.SubjectPanel->isVisible());
    EXPECT_EQ(f.SubjectLabel->text(), QStringLiteral("Temat:"));
    EXPECT_TRUE(f.SubjectEdit->toolTip().startsWith(QStringLiteral("Zmienne: <#Y> - rok;")));

    f.RodzajSzablonu->button(2)->click(); // U
    EXPECT_FALSE(f.Memo->isVisible());
    EXPECT_TRUE(f.RichEdit->isVisible());
    EXPECT_EQ(f.SubjectLabel->text(), QStringLiteral("Tytuł:"));
    EXPECT_TRUE(f.SubjectEdit->toolTip().isEmpty());
    EXPECT_EQ(f.RichEdit->toPlainText(), QStringLiteral("Dzień dobry <#IMIE>"));
    close(); // saves the open edit
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select SZ_RODZAJ from Szablony where SZ_INDEX=1")),
              QStringLiteral("U"));
}

TEST_F(DefinicjeWindow, RtfTemplateKeepsItsFormattingAfterReopening)
{
    S()->ExecQuery(QStringLiteral("update Szablony set SZ_RODZAJ='U' where SZ_INDEX=1"));
    TFormDefinicje& f = open(3);
    TFormDefinicje::ChooseFile = [](const QString& caption, const QString& filter) {
        EXPECT_EQ(caption, QStringLiteral("Wybierz plik RTF"));
        EXPECT_TRUE(filter.contains(QStringLiteral("*.rtf")));
        return RtfDataPath(QStringLiteral("richedit_pl.rtf"));
    };
    f.RichMenu->actions().at(1)->trigger(); // "Wczytaj plik RTF"
    EXPECT_EQ(Data->QSzablony->State(), dsBrowse) << "the row is posted";
    EXPECT_TRUE(LooksLikeRtf(
        S()->GetQueryValueAsString(QStringLiteral("select SZ_TRESC from Szablony where SZ_INDEX=1"))));
    close();

    open(3);
    QTextDocument golden;
    ReadRtf(ReadRtfData(QStringLiteral("richedit_pl.rtf")), &golden);
    EXPECT_EQ(DescribeRichDocument(*f.RichEdit->document()), DescribeRichDocument(golden));
}

TEST_F(DefinicjeWindow, SecondRtfFileOverTheLimitIsRefused)
{
    TFormDefinicje& f = open(3);
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("duzy.rtf"));
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1 " + QByteArray(kAdditionalRtfLimit, 'x') + "}");
    file.close();
    TFormDefinicje::ChooseFile = [&big](const QString&, const QString&) { return big; };
    f.RichMenu->actions().at(2)->trigger();
    EXPECT_EQ(recorded(), QStringList{AdditionalRtfTooLongMessage()});
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select SZ_TRESC2 from Szablony where SZ_INDEX=1")),
              QString());

    TMD::ClearRecorded();
    TFormDefinicje::ChooseFile = [](const QString&, const QString&) {
        return RtfDataPath(QStringLiteral("richedit_pl.rtf"));
    };
    f.RichMenu->actions().at(2)->trigger();
    EXPECT_EQ(recorded(), QStringList{QStringLiteral("Plik został dodany do szablonu.")});
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select SZ_TRESC2 from Szablony where SZ_INDEX=1")),
              QString::fromLatin1(ReadRtfData(QStringLiteral("richedit_pl.rtf"))));
    TMD::ClearRecorded();
    f.RichMenu->actions().at(3)->trigger();
    EXPECT_EQ(recorded(), QStringList{QStringLiteral("Dodatkowy plik szablonu został usunięty")});
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select SZ_TRESC2 from Szablony where SZ_INDEX=1")),
              QString());

    TMD::ClearRecorded();
    {
        // Without the picker the operator is told so; with it the token lands at the caret.
        const auto picker = std::exchange(PickTextVariable, nullptr);
        f.MemoMenu->actions().at(0)->trigger();
        PickTextVariable = picker;
    }
    EXPECT_EQ(recorded(),
              QStringList{QStringLiteral(
                  "Funkcja \"Wstaw zmienną tekstową\" nie jest jeszcze dostępna w tej wersji programu.")});
    ASSERT_TRUE(PickTextVariable) << "the program wires the picker";
    const auto picker = std::exchange(PickTextVariable, [](const QString&, QString* token) {
        *token = QStringLiteral("<#SALDO>");
        return true;
    });
    f.Memo->setPlainText(QStringLiteral("Saldo: "));
    f.Memo->moveCursor(QTextCursor::End);
    f.MemoMenu->actions().at(0)->trigger();
    PickTextVariable = picker;
    EXPECT_EQ(f.Memo->toPlainText(), QStringLiteral("Saldo: <#SALDO>"));
}

TEST_F(DefinicjeWindow, Screenshots)
{
    for (int i = 1; i <= 12; ++i)
        S()->ExecQuery(
            QStringLiteral("insert into Uslugi (USL_NAZWAUSLUGI, USL_SYMBOL, USL_JEDNMIARY, "
                           "USL_STAWKAVAT_TXT, USL_CENABRUTTO, USL_CZYJEDNORAZOWA) values (:p1, :p2, "
                           "'szt.', '23%', :p3, :p4)"),
            {QStringLiteral("Usługa %1").arg(i), QStringLiteral("U%1").arg(i), 10.0 * i, int(i % 4 == 0)});
    for (const char* t : {"TypUrzadzenia:TU", "RodzajUrzadzenia:RU", "TypLacza:TL", "Wan:WAN",
                          "Profil:PROFIL", "Interface:INTERFACE", "Autoryzacja:AUT"}) {
        const QStringList p = QString::fromLatin1(t).split(QLatin1Char(':'));
        S()->ExecQuery(
            QStringLiteral("insert into %1 (%2_NAZWA) values ('Pierwszy'), ('Drugi')").arg(p[0], p[1]));
    }
    S()->ExecQuery(
        QStringLiteral("insert into FormyPlatnosci (FP_NAZWA, FP_ILOSCDNI) values ('Przelew', 14)"));
    S()->ExecQuery(
        QStringLiteral("insert into Szablony (SZ_NAZWA, SZ_RODZAJ) values ('Umowa', 'U'), ('Mail', 'E'), "
                       "('Skrypt', 'M'), ('Pismo', 'P'), ('Router', 'N')"));
    TFormDefinicje& f = open(0);
    const QString dir = TestOutputDir(QStringLiteral("definicje"));
    ASSERT_TRUE(Data->QListaSieci->Locate(QStringLiteral("SIEC_NAZWA"), TArg(QStringLiteral("LAN"))));
    ASSERT_TRUE(Data->QSzablony->Locate(QStringLiteral("SZ_NAZWA"), TArg(QStringLiteral("Umowa"))));
    for (int page = 0; page < 4; ++page) {
        f.PageControl1->setCurrentIndex(page);
        QTest::qWait(30);
        EXPECT_TRUE(f.grab().save(dir + QStringLiteral("/strona%1.png").arg(page)));
    }
}

TEST_F(DefinicjeWindow, OpenedFromTheMenuAndTheSideButton)
{
    QTemporaryDir folder;
    SetProgramFolder(folder.path());
    SetAdapterSource([] {
        return std::vector<TAdapterInfo>{{QStringLiteral("00:1a:2b:3c:4d:5e"), true, false}};
    });
    auto* glowny = new TFormGlowny();
    FormGlowny = glowny;
    glowny->show();
    QTest::qWait(20);
    TFormDefinicje* shown = nullptr;
    auto arm = [&shown] {
        shown = nullptr;
        QTimer::singleShot(50, [&shown] {
            shown = qobject_cast<TFormDefinicje*>(QApplication::activeModalWidget());
            if (shown) shown->accept();
        });
    };
    QAction* a = glowny->MenuAction(QStringLiteral("&Opcje/Definicje i szablony"));
    ASSERT_TRUE(a);
    arm();
    a->trigger();
    EXPECT_TRUE(shown);
    QPushButton* side = nullptr;
    for (QPushButton* b : glowny->findChildren<QPushButton*>())
        if (b->text() == QLatin1String("Definicje i szablony")) side = b;
    ASSERT_TRUE(side);
    arm();
    side->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(recorded().isEmpty());
    delete glowny;
    FormGlowny = nullptr;
    SetAdapterSource({});
    SetProgramFolder(QString());
}
