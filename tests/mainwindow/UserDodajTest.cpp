// The subscriber editor: defaults of a new subscriber, the checks at
// "Zapisz" with their messages and focus, the tax number on exit, bandwidth
// warnings and the change note, dates, the coordinate paste and the tabs as
// the operator sees them.
#include "mainwindow/UserDodaj.h"
#include "billing/SaldoBazy.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/UserDodajRules.h"
#include "tests/support/DeskSession.h"
#include "tests/support/RowInsert.h"
#include "tests/support/TestDb.h"
#include "tests/support/WindowKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <optional>

// ---------------------------------------------------------------- rules without the window

TEST(UserDodajRules, NipOnExit)
{
    const std::pair<const char*, const char*> cases[] = {
        {"pl 526-000-12-46", "PL5260001246"}, // a country prefix keeps only the digits after it
        {"526-000-12-46", "526-000-12-46"},   // digits first: the dashes stay
        {"de 12 34", "DE1234"},
        {"p1234", "P1234"}, // a digit among the first two: no prefix
        {"", ""},
    };
    for (const auto& [typed, kept] : cases)
        EXPECT_EQ(NipOnExit(QString::fromUtf8(typed)), QString::fromUtf8(kept)) << typed;
    EXPECT_FALSE(NipDigitsWrong(QStringLiteral("PL5260001246")));
    EXPECT_FALSE(NipDigitsWrong(QStringLiteral("")));
    EXPECT_TRUE(NipDigitsWrong(QStringLiteral("526-000-12-4")));
}

TEST(UserDodajRules, ClipboardCoordinatesOfThirtyToFortyFiveCharacters)
{
    QString lat, lon;
    const QString thirty = QStringLiteral("52.2297000000, 21.012200000000"); // 30 characters
    ASSERT_EQ(thirty.size(), 30);
    ASSERT_TRUE(ParseClipboardCoordinates(thirty, &lat, &lon));
    // The character before the comma is dropped, as the office's maps write it.
    EXPECT_EQ(lat, QStringLiteral("52,229700000"));
    EXPECT_EQ(lon, QStringLiteral("21,012200000000"));
    EXPECT_FALSE(ParseClipboardCoordinates(thirty.left(29), &lat, &lon));
    EXPECT_FALSE(ParseClipboardCoordinates(thirty + QString(16, QLatin1Char('0')), &lat, &lon));
    EXPECT_FALSE(ParseClipboardCoordinates(QString(35, QLatin1Char('1')), &lat, &lon)) << "no comma";
}

// ---------------------------------------------------------------- the window

class UserDodajEditor : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_dir.isValid());
        PrepareDesk(m_dir.path());
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        m_session.emplace(AdminSignedIn());
        S()->ExecQuery(
            QStringLiteral("insert into Grupy (GR_INDEX, GR_NAZWA) values (1, 'Bloki'), (2, 'Domy')"));
        S()->ExecQuery(
            QStringLiteral("insert into FormyPlatnosci (FP_NAZWA, FP_ILOSCDNI) values ('przelew', 14), "
                           "('gotówka', 0)"));
    }
    void TearDown() override
    {
        EXPECT_TRUE(TSaldoBazy::WaitAll(20000));
        LeaveDesk();
        m_session.reset();
        DbTest::TearDown();
    }
    TFormUserDodaj* f() { return FormUserDodaj(); }
    QLineEdit* edit(const char* field) { return f()->Edit(QString::fromLatin1(field)); }
    QStringList messages() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    int addUser(const TRowValues& values) { return InsertRow(S(), "Userdb", values); }
    QString column(const char* name, int id)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select %1 from Userdb where U_INDEX=:p1").arg(QLatin1String(name)), {id});
    }
    // Runs the steps inside the editor's modal loop; the steps close it.
    template <class Open> bool inEditor(Open open, std::function<void()> steps)
    {
        QTimer::singleShot(0, f(), [this, steps] {
            EXPECT_TRUE(f()->isVisible());
            steps();
            // Whatever the steps left open is cancelled, so the test never hangs.
            if (f()->isVisible()) QTimer::singleShot(0, f(), [this] { f()->reject(); });
        });
        return open();
    }
    void save() { QTest::mouseClick(f()->BitBtnZapisz, Qt::LeftButton); }
    // Enter ends the edit as leaving the field does.
    static void leave(QLineEdit* e) { QTest::keyClick(e, Qt::Key_Return); }

    QTemporaryDir m_dir;
    std::optional<TScopedSession> m_session;
    int m_answer = mrYes;
};

TEST_F(UserDodajEditor, FirstSubscriberOfAnEmptyTableGetsNumberOneAndDefaults)
{
    QString number;
    const bool saved =
        inEditor([] { return AddNewUser(); },
                 [&] {
                     EXPECT_EQ(f()->windowTitle(), QStringLiteral("Dodawanie nowego użytkownika"));
                     number = edit("U_NRKLIENTA")->text();
                     EXPECT_TRUE(f()->DataAktywacji->Checked());
                     EXPECT_FALSE(f()->DataDeaktywacji->Checked());
                     EXPECT_FALSE(edit("U_INDYWTERMINPLATNOSCI")->isEnabled()) << "no own payment terms yet";
                     EXPECT_EQ(f()->Combo(QStringLiteral("U_INDYWTERMINPLATNOSCIFORMA"))->currentText(),
                               QStringLiteral("przelew"));
                     RetypeField(edit("U_NAZWISKO"), QStringLiteral("Nowak"));
                     save();
                 });
    EXPECT_TRUE(saved);
    EXPECT_EQ(number, QStringLiteral("1"));
    EXPECT_EQ(messages(),
              QStringList{QStringLiteral(
                  "Dane zostaną zapisane w bazie. Czy potwierdzasz zapisanie nowego użytkownika?")});
    auto row = S()->OpenQuery(QStringLiteral("select * from Userdb"));
    ASSERT_EQ(row->RecordCount(), 1);
    EXPECT_EQ(row->FieldByName(QStringLiteral("U_NRKLIENTA"))->AsInteger(), 1);
    EXPECT_EQ(row->FieldByName(QStringLiteral("U_LOGIN"))->AsString(), QStringLiteral("vove00001"));
    EXPECT_EQ(row->FieldByName(QStringLiteral("U_DATAAKTYWACJI"))->AsDate(), QDate::currentDate());
    EXPECT_EQ(row->FieldByName(QStringLiteral("U_DATADEAKTYWACJI"))->AsString(), QString());
    EXPECT_EQ(row->FieldByName(QStringLiteral("U_KOR_ROLA"))->AsInteger(), 8);
    EXPECT_EQ(row->FieldByName(QStringLiteral("U_USL_INTERNET"))->AsInteger(), 1);
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from UserUwagi")), 0)
        << "a new subscriber has no bandwidth note";
}

TEST_F(UserDodajEditor, NumberSavedMeanwhileElsewhereIsRefusedAndTheEditorStaysOpen)
{
    addUser({{"U_NRKLIENTA", 7}, {"U_NAZWISKO", "Pierwszy"}});
    bool stillOpen = false;
    QWidget* focused = nullptr;
    const bool saved = inEditor([] { return AddNewUser(); },
                                [&] {
                                    EXPECT_EQ(edit("U_NRKLIENTA")->text(), QStringLiteral("8"));
                                    RetypeField(edit("U_NAZWISKO"), QStringLiteral("Drugi"));
                                    SecondConnection other(DatabaseName());
                                    other.session->ExecQuery(QStringLiteral(
                                        "insert into Userdb (U_NRKLIENTA, U_NAZWISKO) values (8, 'Obcy')"));
                                    f()->PageControl1->setCurrentIndex(2);
                                    save();
                                    stillOpen = f()->isVisible();
                                    focused = f()->focusWidget();
                                    RetypeField(edit("U_NRKLIENTA"), QStringLiteral("9"));
                                    save();
                                });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, edit("U_NRKLIENTA"));
    EXPECT_TRUE(saved);
    EXPECT_EQ(messages().first(), QStringLiteral("Klient o tym numerze jest już w bazie"));
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select U_NAZWISKO from Userdb where U_NRKLIENTA=9")),
              QStringLiteral("Drugi"));
}

TEST_F(UserDodajEditor, RefusalsInOrderWithTheirFocus)
{
    const int id = addUser({{"U_NRKLIENTA", 5}, {"U_NAZWISKO", "Nowak"}});
    struct TCase
    {
        const char* Field;
        const char* Typed;
        const char* Message;
        const char* Focus;
    };
    const TCase cases[] = {
        {"U_NRKLIENTA", "", "Proszę wpisać numer klienta", "U_NRKLIENTA"},
        {"U_NAZWISKO", "  ", "Proszę wpisać nazwisko/nazwę klienta", "U_NAZWISKO"},
        {"U_NIP", "1234567890", "Numer NIP wydaje się być nieprawidłowy. Czy chcesz go edytować?", "U_NIP"},
    };
    for (const TCase& c : cases) {
        TMD::ClearRecorded();
        QWidget* focused = nullptr;
        const bool saved = inEditor([id] { return EditUser(id); },
                                    [&] {
                                        RetypeField(edit(c.Field), QString::fromUtf8(c.Typed));
                                        save();
                                        focused = f()->focusWidget();
                                    });
        EXPECT_FALSE(saved) << c.Field;
        ASSERT_FALSE(messages().isEmpty()) << c.Field;
        EXPECT_EQ(messages().first(), QString::fromUtf8(c.Message));
        EXPECT_EQ(focused, edit(c.Focus)) << c.Field;
    }
    EXPECT_EQ(column("U_NAZWISKO", id), QStringLiteral("Nowak"));
}

TEST_F(UserDodajEditor, NipWithDashesMatchesTheStoredDigitsAndIsOnlyAWarning)
{
    addUser({{"U_NRKLIENTA", 1}, {"U_NAZWISKO", "Firma"}, {"U_NIP", "5260001246"}});
    const int id = addUser({{"U_NRKLIENTA", 2}, {"U_NAZWISKO", "Druga"}});
    QString colour;
    const bool saved = inEditor([id] { return EditUser(id); },
                                [&] {
                                    RetypeField(edit("U_NIP"), QStringLiteral("526-000-12-46"));
                                    leave(edit("U_NIP"));
                                    colour = edit("U_NIP")->styleSheet();
                                    save();
                                });
    EXPECT_TRUE(saved);
    EXPECT_TRUE(colour.contains(QStringLiteral("red")));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Klient o tym numerze NIP jest już w bazie")});
    EXPECT_EQ(column("U_NIP", id), QStringLiteral("526-000-12-46"));
}

TEST_F(UserDodajEditor, CountryPrefixedNipIsCompactedOnExit)
{
    const int id = addUser({{"U_NRKLIENTA", 2}, {"U_NAZWISKO", "Druga"}});
    QString shown;
    const bool saved = inEditor([id] { return EditUser(id); },
                                [&] {
                                    RetypeField(edit("U_NIP2"), QStringLiteral("pl 526-000-12-46"));
                                    leave(edit("U_NIP2"));
                                    shown = edit("U_NIP2")->text();
                                    save();
                                });
    EXPECT_TRUE(saved);
    EXPECT_EQ(shown, QStringLiteral("PL5260001246"));
    EXPECT_EQ(column("U_NIP2", id), QStringLiteral("PL5260001246"));
}

TEST_F(UserDodajEditor, LowBandwidthWarnsAndItsChangeLeavesOneNote)
{
    const int id = addUser({{"U_NRKLIENTA", 3},
                            {"U_NAZWISKO", "Kowal"},
                            {"U_PASMODOWNLOADDZIENTXT", "10M"},
                            {"U_PASMODOWNLOADNOCTXT", "20M"}});
    const QString warning = QStringLiteral(
        "Przynajmniej jedna z wartości pasma przydzielonego dla użytkownika jest bardzo niska");
    const std::pair<const char*, bool> cases[] = {
        {"100k", true}, {"125M", false}, {"", false}, {"128000", false}, {"127999", true}};
    int notes = 0;
    for (const auto& [typed, warns] : cases) {
        TMD::ClearRecorded();
        const bool saved =
            inEditor([id] { return EditUser(id); },
                     [&] {
                         RetypeField(edit("U_PASMODOWNLOADNOCTXT"), QString::fromLatin1(typed));
                         save();
                     });
        EXPECT_TRUE(saved) << typed;
        EXPECT_EQ(messages().contains(warning), warns) << typed;
        ++notes;
    }
    EXPECT_EQ(column("U_PASMODOWNLOADNOC", id), QStringLiteral("127999"));
    EXPECT_EQ(column("U_PASMODOWNLOADDZIEN", id), QStringLiteral("10485760"));
    auto uwagi =
        S()->OpenQuery(QStringLiteral("select UU_TRESC, UU_INDEXUSER from UserUwagi order by UU_INDEX"));
    ASSERT_EQ(uwagi->RecordCount(), notes) << "one note per saved change";
    EXPECT_TRUE(
        uwagi->FieldByName(QStringLiteral("UU_TRESC"))
            ->AsString()
            .startsWith(QStringLiteral("Zmiana pasma z: 10M /  (20M / ) na: 10M /  (100k / )  godz.:")));
    // Saving again without a change writes no further note.
    inEditor([id] { return EditUser(id); }, [&] { save(); });
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from UserUwagi")), notes);
}

TEST_F(UserDodajEditor, BandwidthAndNumberFieldsTakeOnlyTheirKeys)
{
    const int id = addUser({{"U_NRKLIENTA", 3}, {"U_NAZWISKO", "Kowal"}});
    inEditor([id] { return EditUser(id); },
             [&] {
                 QLineEdit* band = edit("U_PASMOUPLOADDZIENTXT");
                 band->clear();
                 band->setFocus();
                 QTest::keyClicks(band, QStringLiteral("12xkM-5"));
                 EXPECT_EQ(band->text(), QStringLiteral("12kM5"));
                 QLineEdit* nr = edit("U_NRKLIENTA");
                 nr->clear();
                 QTest::keyClicks(nr, QStringLiteral("4a2"));
                 EXPECT_EQ(nr->text(), QStringLiteral("42"));
             });
}

TEST_F(UserDodajEditor, DatesUntickedAreEmptyAndTheExclusionStartFollows)
{
    const int id = addUser({{"U_NRKLIENTA", 3},
                            {"U_NAZWISKO", "Kowal"},
                            {"U_DATADEAKTYWACJI", "2024-05-01"},
                            {"U_DATAWYKLUCZENIAZBLOKAD", "2024-06-01"},
                            {"U_ODKIEDYWYKLUCZONYZBLOKAD", "2024-04-01"}});
    inEditor([id] { return EditUser(id); },
             [&] {
                 EXPECT_TRUE(f()->DataDeaktywacji->Checked());
                 EXPECT_FALSE(f()->DataAktywacji->Checked());
                 f()->DataDeaktywacji->SetChecked(false);
                 f()->DataWykluczenia->SetDate(QDate(2024, 7, 1));
                 save();
             });
    EXPECT_EQ(column("U_DATADEAKTYWACJI", id), QString());
    EXPECT_EQ(column("U_DATAWYKLUCZENIAZBLOKAD", id), QStringLiteral("2024-07-01"));
    EXPECT_EQ(column("U_ODKIEDYWYKLUCZONYZBLOKAD", id), QDate::currentDate().toString(Qt::ISODate));
    S()->ExecQuery(QStringLiteral("update Userdb set U_ODKIEDYWYKLUCZONYZBLOKAD='2024-04-01'"));
    inEditor([id] { return EditUser(id); },
             [&] {
                 f()->DataWykluczenia->SetChecked(false);
                 save();
             });
    EXPECT_EQ(column("U_DATAWYKLUCZENIAZBLOKAD", id), QString());
    EXPECT_EQ(column("U_ODKIEDYWYKLUCZONYZBLOKAD", id), QString());
}

TEST_F(UserDodajEditor, CoordinatePasteIgnoresATwentyNineCharacterClipboard)
{
    const int id = addUser({{"U_NRKLIENTA", 3}, {"U_NAZWISKO", "Kowal"}});
    inEditor([id] { return EditUser(id); },
             [&] {
                 QApplication::clipboard()->setText(QStringLiteral("52.2297000000, 21.01220000000")); // 29
                 QTest::mouseClick(f()->ButtonWklejWsp, Qt::LeftButton);
                 EXPECT_EQ(edit("U_GEOLOK_SZEROKOSC")->text(), QStringLiteral("0"));
                 EXPECT_FALSE(f()->Check(QStringLiteral("U_WSPGEORECZNIE"))->isChecked());
                 QApplication::clipboard()->setText(QStringLiteral("52.2297000000, 21.012200000000"));
                 QTest::mouseClick(f()->ButtonWklejWsp, Qt::LeftButton);
                 EXPECT_TRUE(f()->Check(QStringLiteral("U_WSPGEORECZNIE"))->isChecked());
                 save();
             });
    EXPECT_EQ(column("U_GEOLOK_SZEROKOSC", id), QStringLiteral("52,2297"));
    EXPECT_EQ(column("U_GEOLOK_DLUGOSC", id), QStringLiteral("21,0122"));
    EXPECT_EQ(column("U_WSPGEORECZNIE", id), QStringLiteral("1"));
}

TEST_F(UserDodajEditor, EscapeLeavesTheRowAsItWas)
{
    const int id = addUser({{"U_NRKLIENTA", 3}, {"U_NAZWISKO", "Kowal"}, {"U_GRUPA2", 2}});
    const QString before = column("concat_ws('|', U_NAZWISKO, U_GRUPA2, U_DATAMODYFIKACJI)", id);
    const bool saved =
        inEditor([id] { return EditUser(id); },
                 [&] {
                     EXPECT_EQ(f()->windowTitle(), QStringLiteral("Edycja danych użytkownika"));
                     EXPECT_EQ(f()->GroupDaneAdresowe->title(), QStringLiteral("Parametry (ID:%1)").arg(id));
                     EXPECT_EQ(f()->Combo(QStringLiteral("U_GRUPA2"))->currentText(), QStringLiteral("Domy"));
                     RetypeField(edit("U_NAZWISKO"), QStringLiteral("Zmieniony"));
                     QTest::keyClick(edit("U_NAZWISKO"), Qt::Key_Escape);
                 });
    EXPECT_FALSE(saved);
    EXPECT_EQ(column("concat_ws('|', U_NAZWISKO, U_GRUPA2, U_DATAMODYFIKACJI)", id), before);
    EXPECT_FALSE(f()->QUserdb->Active());
}

TEST_F(UserDodajEditor, GroupClearAndAccountSwapAreSaved)
{
    const int id = addUser({{"U_NRKLIENTA", 3},
                            {"U_NAZWISKO", "Kowal"},
                            {"U_GRUPA1", 1},
                            {"U_NRRACHUNKU1", "11"},
                            {"U_NRRACHUNKU2", "22"}});
    inEditor([id] { return EditUser(id); },
             [&] {
                 QTest::mouseClick(f()->ButtonGrupaClear[0], Qt::LeftButton);
                 QTest::mouseClick(f()->ButtonZamien, Qt::LeftButton);
                 save();
             });
    EXPECT_EQ(column("U_GRUPA1", id), QStringLiteral("0"));
    EXPECT_EQ(column("concat(U_NRRACHUNKU1, '/', U_NRRACHUNKU2)", id), QStringLiteral("22/11"));
}

TEST_F(UserDodajEditor, RightsBelowThreeRefuseTheEdit)
{
    const int id = addUser({{"U_NRKLIENTA", 3}, {"U_NAZWISKO", "Kowal"}});
    OperatorRightsLevel = 4;
    EXPECT_FALSE(EditUser(id));
    EXPECT_FALSE(EditUser(0));
    EXPECT_FALSE(f()->isVisible());
}

TEST_F(UserDodajEditor, TabsAsTheOperatorSeesThem)
{
    const int id = addUser({{"U_NRKLIENTA", 3}, {"U_NAZWISKO", "Kowalski-Wiśniewski"}, {"U_IMIE", "Jan"}});
    const QString dir = TestOutputDir(QStringLiteral("mainwindow"));
    inEditor([id] { return EditUser(id); },
             [&] {
                 for (int i = 0; i < f()->PageControl1->count(); ++i) {
                     f()->PageControl1->setCurrentIndex(i);
                     QApplication::processEvents();
                     QWidget* page = f()->PageControl1->currentWidget();
                     // Every control fits its page: nothing is cut off at the edges.
                     for (QGroupBox* w : page->findChildren<QGroupBox*>()) {
                         if (!w->isVisible()) continue;
                         const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
                         EXPECT_TRUE(page->rect().contains(r))
                             << "tab " << i << " box " << qPrintable(w->title());
                         EXPECT_GE(w->height(), w->minimumSizeHint().height()) << qPrintable(w->title());
                         EXPECT_GE(w->width(), w->minimumSizeHint().width()) << qPrintable(w->title());
                     }
                     EXPECT_TRUE(f()->grab().save(dir + QStringLiteral("/UserDodaj-tab%1.png").arg(i + 1)));
                 }
             });
}
