// The subscriber card on a fresh database: what it shows, how it follows the
// main grid, what it releases when hidden, its links, menu commands and layout.
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/GripPanel.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/SpeedButtonEx.h"
#include "core/ThemedLabel.h"
#include "mainwindow/User.h"
#include "mainwindow/UserDanePodstawowe.h"
#include "mainwindow/UserRules.h"
#include "tests/mainwindow/UrlRecorder.h"
#include "tests/support/TestDb.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <utility>

namespace {

using Columns = std::vector<std::pair<const char*, TArg>>;

} // namespace

class UserCardTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_dir.isValid());
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        OperatorId = 7;
        OperatorRightsLevel = 1;
        HostId = QStringLiteral("aa-bb-cc-dd-ee-ff");
        ExportFolder = m_dir.path() + QStringLiteral("/eksport/");
        ArchiveFolder = m_dir.path() + QStringLiteral("/archiwum/");
        QDir().mkpath(ExportFolder);
        CardDeviceSortFields = {};
        CardDeviceSortOrder = 0;
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        TMD::ClearRecorded();

        m_u1 = addUser({{"U_NRKLIENTA", 1001},
                        {"U_NAZWISKO", "Kowalski"},
                        {"U_IMIE", "Jan"},
                        {"U_ADR_ULICA", "Lipowa"},
                        {"U_ADR_NRDOMU", "12"},
                        {"U_ADR_KOD", "00-950"},
                        {"U_ADR_MIEJSCOWOSC", "Warszawa"},
                        {"U_NIP", "5260250274"},
                        {"U_EMAIL", "jan@example.com"},
                        {"U_TEL1", "601202303"},
                        {"U_NRGG", "123456"},
                        {"U_AUTOMATYCZNEFAKTURY", 1},
                        {"U_RODZAJWYDRUKUFV", 0},
                        {"U_SALDO", 0},
                        {"U_CZYFIRMA", 0},
                        {"U_CZYPOMINNADRUKIBOK", 1},
                        {"U_USL_INTERNET", 1},
                        {"U_USL_TV", 0},
                        {"U_GEOLOK_SZEROKOSC", "52.2297"},
                        {"U_GEOLOK_DLUGOSC", "21.0122"},
                        {"U_TER_JST", "1465011"},
                        {"U_TER_SYM", "0918123"},
                        {"U_TER_SYM_UL", "12345"},
                        {"U_ZMIENNATXT2", "wartość 2"}});
        m_u2 = addUser({{"U_NRKLIENTA", 1002},
                        {"U_NAZWISKO", "Nowak"},
                        {"U_IMIE", "Anna"},
                        {"U_ADR_MIEJSCOWOSC", "Kraków"},
                        {"U_AUTOMATYCZNEFAKTURY", 3},
                        {"U_RODZAJWYDRUKUFV", 2},
                        {"U_SALDO", "-45.50"},
                        {"U_CZYFIRMA", 1},
                        {"U_USL_INTERNET", 1},
                        {"U_USL_TV", 1}});
        m_u3 = addUser({{"U_NRKLIENTA", 1003}, {"U_NAZWISKO", "Wiśniewska"}, {"U_IMIE", "Ewa"}});
        S()->ExecQuery(QStringLiteral("insert into Mac set M_INDEXUSER=:p1, M_IP=:p2, M_MAC=:p3"),
                       {m_u2, QStringLiteral("10.0.0.2"), QStringLiteral("00:11:22:33:44:55")});

        Data->QUserdb->SetSQL(QStringLiteral("select * from vUserdb order by U_INDEX"));
        Data->QUserdb->Open();
        m_card = std::make_unique<TFormUser>();
    }
    void TearDown() override
    {
        m_card.reset();
        TFormUser::OrdersListCaptionChanged = nullptr;
        m_data.reset();
        Data = nullptr;
        OperatorId = 0;
        OperatorRightsLevel = 1;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        DbTest::TearDown();
    }

    int addUser(const Columns& columns)
    {
        QStringList sets;
        TArgs args;
        for (const auto& [name, value] : columns) {
            sets << QStringLiteral("%1=:p%2").arg(QLatin1String(name)).arg(sets.size() + 1);
            args.push_back(value);
        }
        S()->ExecQuery(QStringLiteral("insert into Userdb set ") + sets.join(QStringLiteral(", ")), args);
        return int(S()->LastInsertId());
    }
    void showCard(int userIndex)
    {
        m_card->UserIndex = userIndex;
        m_card->show();
        QApplication::processEvents();
    }
    QString shown(const char* field) const
    {
        return m_card->DanePodstawowe->Text(QLatin1String(field))->text();
    }
    QStringList messages() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    QString viewText(const char* column, int userIndex)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select %1 from vUserdb where U_INDEX=:p1").arg(QLatin1String(column)),
            {userIndex});
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TData> m_data;
    std::unique_ptr<TFormUser> m_card;
    int m_u1 = 0, m_u2 = 0, m_u3 = 0;
    int m_answer = mrOk;
};

TEST_F(UserCardTest, ShowsTheSubscribersBasicData)
{
    S()->ExecQuery(QStringLiteral("insert into UserUwagi set UU_INDEXUSER=:p1, UU_TRESC=:p2"),
                   {m_u1, QStringLiteral("Dzwonić po 16")});
    showCard(m_u1);
    EXPECT_EQ(m_card->windowTitle(), QStringLiteral("Karta użytkownika"));
    EXPECT_EQ(m_card->LabelUzytkownik->Caption(), QStringLiteral("Kowalski Jan"));
    EXPECT_EQ(shown("U_NAZWISKO"), QStringLiteral("Kowalski"));
    EXPECT_EQ(shown("U_IMIE"), QStringLiteral("Jan"));
    EXPECT_EQ(shown("U_NRKLIENTA"), QStringLiteral("1001"));
    EXPECT_EQ(shown("U_INDEX"), QString::number(m_u1));
    EXPECT_EQ(shown("U_NIP"), QStringLiteral("5260250274"));
    EXPECT_EQ(shown("U_EMAIL"), QStringLiteral("jan@example.com"));
    EXPECT_EQ(shown("vU_ADR_Adres"), viewText("vU_ADR_Adres", m_u1));
    EXPECT_TRUE(shown("vU_ADR_Adres").contains(QStringLiteral("Lipowa")));
    EXPECT_EQ(shown("U_SALDO"), QStringLiteral("0,00 zł"));

    const auto* page = m_card->DanePodstawowe;
    EXPECT_EQ(page->LabelNaliczanie->text(), QStringLiteral("faktura"));
    EXPECT_EQ(page->LabelWydruk->text(), QStringLiteral("z drukiem przelewu")); // global default 1
    EXPECT_EQ(page->LabelFirma->text(), QStringLiteral("OSOBA FIZYCZNA"));
    EXPECT_EQ(page->GroupAutoryzacja->title(), QStringLiteral("Autoryzacja (bez drukowania)"));
    EXPECT_EQ(page->LabelInnaLokalizacja->text(), QStringLiteral("NIE"));
    // A balance of exactly 0 is green.
    EXPECT_EQ(page->Text(QStringLiteral("U_SALDO"))->palette().color(QPalette::WindowText),
              QColor(Qt::darkGreen));
    EXPECT_FALSE(page->PanelInt->isHidden());
    EXPECT_TRUE(page->PanelTv->isHidden());

    const QStringList tabs = [&] {
        QStringList t;
        for (int i = 0; i < m_card->PageControl1->count(); ++i)
            t << m_card->PageControl1->tabText(i);
        return t;
    }();
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("Dane podstawowe"), QStringLiteral("Abonament i wpłaty"),
                                 QStringLiteral(" Notatki (1) "), QStringLiteral("Płatności masowe"),
                                 QStringLiteral("Zlecenia serwisowe"), QStringLiteral("Umowy, aneksy i PZO"),
                                 QStringLiteral("Historia urządzeń"), QStringLiteral("Historia wpłat")}));
    EXPECT_EQ(m_card->Pages.ZmiennaOpis[1]->text(), QStringLiteral("Opis zmiennej 2"));
    EXPECT_EQ(m_card->Pages.Zmienna[1]->text(), QStringLiteral("wartość 2"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(UserCardTest, DerivedLabelsOfACompanyInArrears)
{
    WriteIniInteger(0, QStringLiteral("RodzajWydrukuPrzelewu"), 2);
    WriteIniString(0, QStringLiteral("ZmiennaTxtOpis2"), QStringLiteral("Numer lokalu"));
    showCard(m_u2);
    const auto* page = m_card->DanePodstawowe;
    EXPECT_EQ(page->LabelNaliczanie->text(), QStringLiteral("polecenie zapłaty+\nfaktura z PM"));
    EXPECT_EQ(page->LabelWydruk->text(), QStringLiteral("bez nadruku"));
    EXPECT_EQ(page->LabelFirma->text(), QStringLiteral("FIRMA"));
    EXPECT_EQ(page->LabelFirma->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(page->Text(QStringLiteral("U_SALDO"))->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(page->GroupAutoryzacja->title(), QStringLiteral("Autoryzacja"));
    EXPECT_FALSE(page->PanelTv->isHidden());
    EXPECT_EQ(m_card->Pages.ZmiennaOpis[1]->text(), QStringLiteral("Numer lokalu"));
    // The device grid shows this subscriber's device.
    ASSERT_EQ(m_card->DBGrid1->model()->rowCount(), 1);
    EXPECT_EQ(m_card->DBGrid1->model()->index(0, 0).data().toString(), QStringLiteral("10.0.0.2"));
}

TEST_F(UserCardTest, OpenedWithoutSubscriberShowsTheMainGridRow)
{
    ASSERT_TRUE(Data->QUserdb->Locate(QStringLiteral("U_INDEX"), TArg(m_u3)));
    showCard(0);
    EXPECT_EQ(m_card->UserIndex, m_u3);
    EXPECT_EQ(shown("U_NAZWISKO"), QStringLiteral("Wiśniewska"));
}

TEST_F(UserCardTest, NavigatorMovesTheMainGridAndTheCardFollows)
{
    Data->QUserdb->First();
    showCard(m_u1);
    QTest::mouseClick(m_card->NavNext, Qt::LeftButton);
    EXPECT_EQ(m_card->UserIndex, m_u2);
    EXPECT_EQ(Data->QUserdb->FieldByName(QStringLiteral("U_INDEX"))->AsInteger(), m_u2);
    EXPECT_EQ(shown("U_NAZWISKO"), QStringLiteral("Nowak"));
    EXPECT_EQ(m_card->LabelUzytkownik->Caption(), QStringLiteral("Nowak Anna"));
    EXPECT_EQ(m_card->DBGrid1->model()->rowCount(), 1); // the shared devices followed
    QTest::mouseClick(m_card->NavLast, Qt::LeftButton);
    EXPECT_EQ(shown("U_NAZWISKO"), QStringLiteral("Wiśniewska"));
    EXPECT_EQ(m_card->DBGrid1->model()->rowCount(), 0);
    QTest::mouseClick(m_card->NavNext, Qt::LeftButton); // already on the last row
    EXPECT_EQ(m_card->UserIndex, m_u3);
    EXPECT_EQ(shown("U_NAZWISKO"), QStringLiteral("Wiśniewska"));
    QTest::mouseClick(m_card->NavFirst, Qt::LeftButton);
    EXPECT_EQ(shown("U_NAZWISKO"), QStringLiteral("Kowalski"));
    QTest::mouseClick(m_card->NavPrior, Qt::LeftButton);
    EXPECT_EQ(m_card->UserIndex, m_u1);
}

TEST_F(UserCardTest, RefreshShowsWhatChangedInTheDatabase)
{
    showCard(m_u1);
    S()->ExecQuery(QStringLiteral("update Userdb set U_IMIE=:p1, U_SALDO=:p2 where U_INDEX=:p3"),
                   {QStringLiteral("Janusz"), QStringLiteral("-1.00"), m_u1});
    EXPECT_EQ(shown("U_IMIE"), QStringLiteral("Jan"));
    QTest::mouseClick(m_card->SpeedButtonEx1, Qt::LeftButton);
    EXPECT_EQ(shown("U_IMIE"), QStringLiteral("Janusz"));
    EXPECT_EQ(m_card->DanePodstawowe->Text(QStringLiteral("U_SALDO"))->palette().color(QPalette::WindowText),
              QColor(Qt::red));
}

TEST_F(UserCardTest, HidingReleasesTheSharedDatasetsAndDropsBlankNotes)
{
    for (const char* text : {"   ", "", "Ważna notatka"})
        S()->ExecQuery(QStringLiteral("insert into UserUwagi set UU_INDEXUSER=:p1, UU_TRESC=:p2"),
                       {m_u1, QString::fromUtf8(text)});
    S()->ExecQuery(QStringLiteral("insert into UserUwagi set UU_INDEXUSER=:p1, UU_TRESC=:p2"),
                   {m_u2, QStringLiteral(" ")});
    S()->ExecQuery(
        QStringLiteral("insert into ZleceniaSerwisowe set ZS_INDEXUSER=:p1, ZS_DATAZAKONCZENIA=:p2"),
        {m_u1, QStringLiteral("0000-00-00")});
    QString caption;
    TFormUser::OrdersListCaptionChanged = [&](const QString& c) { caption = c; };

    showCard(m_u1);
    EXPECT_EQ(Data->QMac->MasterSource(), m_card->QUserdb.get());
    m_card->PageControl1->setCurrentIndex(2);
    EXPECT_TRUE(m_card->QUserUwagi->Active());
    EXPECT_EQ(m_card->Pages.GridNotatki->model()->rowCount(), 3);
    m_card->hide();

    EXPECT_EQ(caption, QStringLiteral("Lista zleceń (1)"));
    EXPECT_EQ(m_card->UserIndex, 0);
    EXPECT_FALSE(m_card->QUserdb->Active());
    EXPECT_FALSE(m_card->QUserUwagi->Active());
    for (TQuery* q : {Data->QMac.get(), Data->QOplaty.get(), Data->QUserFvPozycje.get(),
                      Data->QZlecenia.get(), Data->QUmowy.get(), Data->QPm.get()})
        EXPECT_EQ(q->MasterSource(), nullptr);
    EXPECT_EQ(m_card->DBGrid1->model()->rowCount(), 0);
    EXPECT_EQ(S()->GetQueryValuesAsList(
                  QStringLiteral("select UU_TRESC from UserUwagi where UU_INDEXUSER=:p1"), {m_u1}),
              QStringList{QStringLiteral("Ważna notatka")});
    // Another subscriber's blank note stays.
    EXPECT_EQ(S()->GetQueryValueAsInteger(
                  QStringLiteral("select count(*) from UserUwagi where UU_INDEXUSER=:p1"), {m_u2}),
              1);
}

TEST_F(UserCardTest, MapAndMessengerLinksGoToTheDesktop)
{
    TUrlRecorder web({QStringLiteral("https"), QStringLiteral("gg")});
    showCard(m_u1);
    QTest::mouseClick(m_card->DanePodstawowe->Text(QStringLiteral("vU_ADR_Adres")), Qt::LeftButton);
    QTest::mouseClick(m_card->DanePodstawowe->ImageWspolrzedne, Qt::LeftButton);
    QTest::mouseClick(m_card->DanePodstawowe->ImageGg, Qt::LeftButton);
    // The installation address is empty: nothing opens.
    QTest::mouseClick(m_card->DanePodstawowe->ImageLokalizacja, Qt::LeftButton);
    ASSERT_EQ(web.Urls.size(), 3);
    QString address = viewText("vU_ADR_Adres", m_u1);
    address.replace(QLatin1Char(' '), QLatin1Char('+'));
    EXPECT_EQ(web.Urls[0], QUrl(QStringLiteral("https://www.google.com/maps?q=") + address));
    EXPECT_EQ(web.Urls[1].toString(),
              QStringLiteral("https://www.google.com/maps/place/52.2297N+21.0122E/@52.2297,21.0122"));
    EXPECT_EQ(web.Urls[2].toString(), QStringLiteral("gg:123456"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(UserCardTest, CommandsOfLaterWindowsSayTheyAreNotAvailableAfterTheRightsCheck)
{
    showCard(m_u1);
    OperatorRightsLevel = 5;
    QTest::mouseClick(m_card->SpeedButtonEx34, Qt::LeftButton);
    EXPECT_EQ(messages(), QStringList{RightDeniedMessage(3)});
    TMD::ClearRecorded();
    OperatorRightsLevel = 1;
    const struct
    {
        QWidget* control;
        const char* what;
    } cases[] = {{m_card->SpeedButtonEx3, "Drukuj kartę użytkownika"},
                 {m_card->DanePodstawowe->Text(QStringLiteral("U_EMAIL")), "Wyślij wiadomość email"},
                 {m_card->DanePodstawowe->Text(QStringLiteral("U_TEL1")), "Wyślij SMS"}};
    for (const auto& c : cases) {
        TMD::ClearRecorded();
        QTest::mouseClick(c.control, Qt::LeftButton);
        EXPECT_EQ(messages(),
                  QStringList{QStringLiteral("Funkcja \"%1\" nie jest jeszcze dostępna w tej wersji "
                                             "programu.")
                                  .arg(QString::fromUtf8(c.what))})
            << c.what;
    }
}

TEST_F(UserCardTest, EditOpensTheSubscriberEditorAndEscapeKeepsTheRow)
{
    showCard(m_u1);
    const QString before = S()->GetQueryValueAsString(
        QStringLiteral("select concat_ws('|', U_NAZWISKO, U_DATAMODYFIKACJI) from Userdb where U_INDEX=:p1"),
        {m_u1});
    QString shown;
    QTimer::singleShot(0, [&shown] {
        QWidget* w = QApplication::activeModalWidget();
        shown = w ? w->windowTitle() : QString();
        if (w) QTest::keyClick(w, Qt::Key_Escape);
    });
    QTest::mouseClick(m_card->SpeedButtonEx33, Qt::LeftButton);
    EXPECT_EQ(shown, QStringLiteral("Edycja danych użytkownika"));
    EXPECT_TRUE(m_card->isVisible());
    EXPECT_EQ(S()->GetQueryValueAsString(
                  QStringLiteral(
                      "select concat_ws('|', U_NAZWISKO, U_DATAMODYFIKACJI) from Userdb where U_INDEX=:p1"),
                  {m_u1}),
              before);
    TMD::ClearRecorded();
    const auto editor = std::exchange(TFormUser::OpenUserEditor, nullptr);
    QTest::mouseClick(m_card->SpeedButtonEx33, Qt::LeftButton);
    TFormUser::OpenUserEditor = editor;
    EXPECT_EQ(messages(),
              QStringList{QStringLiteral(
                  "Funkcja \"Edycja użytkownika\" nie jest jeszcze dostępna w tej wersji programu.")});
}

TEST_F(UserCardTest, ClearingTerytAsksThenWritesNullsWithoutLogLine)
{
    showCard(m_u1);
    const int logs = S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log"));
    QAction* item = m_card->MenuItem(QStringLiteral("Usuń uzgodnienie TERYT użytkownika"));
    ASSERT_NE(item, nullptr);
    m_answer = mrNo;
    item->trigger();
    EXPECT_EQ(messages(),
              QStringList{QStringLiteral("Czy usunąć uzgodnienie lokalizacji wg. TERYT dla użytkownika?")});
    EXPECT_EQ(viewText("U_TER_JST", m_u1), QStringLiteral("1465011"));
    m_answer = mrYes;
    item->trigger();
    // NULL into the NOT NULL columns: the server's non-strict mode stores them empty.
    EXPECT_EQ(
        S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Userdb where U_INDEX=:p1 and "
                                                   "ifnull(U_TER_JST, '')='' and ifnull(U_TER_SYM, '')='' "
                                                   "and ifnull(U_TER_SYM_UL, '')=''"),
                                    {m_u1}),
        1);
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log")), logs);
    EXPECT_EQ(shown("U_TER_JST"), QString());
}

TEST_F(UserCardTest, TauronOrderNeedsTerytOfTheMainGridSubscriber)
{
    Data->QUserdb->Last(); // no TERYT match
    showCard(m_u1);
    m_card->MenuItem(QStringLiteral("Zamówienie BSA Tauron"))->trigger();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Brak uzgodnień TERYT dla użytkownika")});
    OperatorRightsLevel = 3;
    TMD::ClearRecorded();
    m_card->MenuItem(QStringLiteral("Zamówienie BSA Tauron"))->trigger();
    EXPECT_EQ(messages(), QStringList{RightDeniedMessage(2)});
}

TEST_F(UserCardTest, FilesAreCopiedIntoTheSubscribersFolder)
{
    const QString store = m_dir.path() + QStringLiteral("/pliki");
    WriteIniString(OperatorId, QStringLiteral("KatalogNaPliki"), store + QLatin1Char('/'));
    QStringList sources;
    for (const char* name : {"umowa.pdf", "zdjęcie.jpg"}) {
        const QString path = m_dir.path() + QLatin1Char('/') + QString::fromUtf8(name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("abc");
        sources << path;
    }
    TUrlRecorder files({QStringLiteral("file")});
    showCard(m_u1);
    const QString folder = store + QStringLiteral("/U%1/").arg(m_u1);
    EXPECT_EQ(UserFilesFolder(m_u1), folder);

    m_card->MenuItem(QStringLiteral("Pokaż katalog użytkownika"))->trigger();
    EXPECT_EQ(messages(),
              QStringList{QStringLiteral("Katalog z plikami użytkownika nie istnieje.\n") + folder});
    TMD::ClearRecorded();

    m_card->ChooseFiles = [&] { return sources; };
    m_card->MenuItem(QStringLiteral("Zapisz plik w katalogu użytkownika"))->trigger();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Skopiowanych plików: \n2")});
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("umowa.pdf")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("zdjęcie.jpg")));

    m_card->MenuItem(QStringLiteral("Pokaż katalog użytkownika"))->trigger();
    ASSERT_EQ(files.Urls.size(), 1);
    EXPECT_EQ(QDir(files.Urls[0].toLocalFile()).canonicalPath(), QDir(folder).canonicalPath());
}

TEST_F(UserCardTest, LayoutIsStoredPerWorkstationAndRestored)
{
    m_card->GripPanel1->SetSize(210);
    CardDeviceSortOrder = 2;
    CardDeviceSortColumn = 2;
    CardDeviceSortFields[0] = QStringLiteral("M_MAC");
    m_card->resize(m_card->width(), 640);
    m_card->SaveLayout();

    TFormUser other;
    other.LoadLayout();
    EXPECT_EQ(other.height(), 640);
    EXPECT_EQ(other.GripPanel1->Size(), 210);
    EXPECT_EQ(CardDeviceSortOrder, 2);
    EXPECT_EQ(CardDeviceSortFields[0], QStringLiteral("M_MAC"));
    EXPECT_EQ(other.DBGrid1->model()->headerData(2, Qt::Horizontal).toString(),
              QStringLiteral("Podłączony do-"));

    // An unknown stored order reads as none.
    TDbIni(HostId, OperatorId)
        .WriteInteger(QStringLiteral("TFormUserDBGrid1"), QStringLiteral("FSortowanieKolejnosc"), 7);
    other.LoadLayout();
    EXPECT_EQ(CardDeviceSortOrder, 0);
    EXPECT_EQ(other.DBGrid1->model()->headerData(2, Qt::Horizontal).toString(),
              QStringLiteral("Podłączony do"));
}

TEST_F(UserCardTest, ShowUserCardOfZeroDoesNothingAndAShortLookLeavesTheMainGrid)
{
    ASSERT_EQ(FormUser, nullptr);
    ShowUserCard(0);
    EXPECT_EQ(FormUser, nullptr);

    int mainResets = 0;
    // Disconnected when the test ends: the counter lives on this stack.
    const QMetaObject::Connection counting =
        QObject::connect(Data->QUserdb.get(), &TQuery::DataReset, [&] { ++mainResets; });
    const auto stopCounting = qScopeGuard([&] { QObject::disconnect(counting); });
    QString seen;
    QTimer::singleShot(0, [&] {
        seen = FormUser->DanePodstawowe->Text(QStringLiteral("U_NAZWISKO"))->text();
        QTest::keyClick(FormUser, Qt::Key_Escape);
    });
    ShowUserCard(m_u2);
    EXPECT_EQ(seen, QStringLiteral("Nowak"));
    EXPECT_FALSE(FormUser->isVisible());
    EXPECT_EQ(FormUser->UserIndex, 0);
    EXPECT_EQ(mainResets, 0);
    delete FormUser;
    EXPECT_EQ(FormUser, nullptr);
}

TEST(UserCardRules, TextsOfTheDerivedLabels)
{
    const std::pair<int, const char*> invoicing[] = {{1, "faktura"},
                                                     {0, "brak"},
                                                     {3, "polecenie zapłaty+\nfaktura z PM"},
                                                     {2, "polecenie zapłaty"},
                                                     {9, "polecenie zapłaty"}};
    for (const auto& [v, want] : invoicing)
        EXPECT_EQ(AutoInvoicingText(v), QString::fromUtf8(want)) << v;
    const struct
    {
        int own, global;
        const char* want;
    } prints[] = {{0, 2, "bez nadruku"},
                  {0, 1, "z drukiem przelewu"},
                  {3, 2, "z listą nierozliczonych"},
                  {0, 0, "ustawienia globalne"},
                  {1, 3, "z drukiem przelewu"}};
    for (const auto& c : prints)
        EXPECT_EQ(SalesPrintText(c.own, c.global), QString::fromUtf8(c.want)) << c.own << "/" << c.global;
    EXPECT_EQ(YesNoText(1), QStringLiteral("TAK"));
    EXPECT_EQ(YesNoText(2), QStringLiteral("NIE"));
    EXPECT_EQ(NotesTabCaption(4), QStringLiteral(" Notatki (4) "));
}

TEST(UserCardRules, MapAddressesAndTheSevenSecondRule)
{
    EXPECT_EQ(AddressMapUrl(QStringLiteral("  ")), QString());
    EXPECT_EQ(AddressMapUrl(QStringLiteral("ul. Lipowa 12  00-950 Warszawa")),
              QStringLiteral("https://www.google.com/maps?q=ul.+Lipowa+12++00-950+Warszawa"));
    EXPECT_EQ(CoordinatesMapUrl(QStringLiteral("50,06"), QStringLiteral("19,94")),
              QStringLiteral("https://www.google.com/maps/place/50.06N+19.94E/@50.06,19.94"));
    const struct
    {
        double seconds;
        bool longer;
    } looks[] = {{0.5, false}, {7.0, false}, {7.01, true}, {120, true}};
    for (const auto& c : looks)
        EXPECT_EQ(UserCardShownLong(45000.25, 45000.25 + c.seconds / 86400.0), c.longer) << c.seconds;
}

class PrintoutMailTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        ASSERT_TRUE(m_dir.isValid());
        ExportFolder = m_dir.path() + QLatin1Char('/');
        OperatorId = 3;
        HostId = QStringLiteral("aa-bb-cc-dd-ee-ff");
        WriteIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QStringLiteral("Orlix PDF"));
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
        m_mail = {12, QStringLiteral("anna@example.com"), QStringLiteral("NALEZNOSCI_1002.pdf"),
                  QStringLiteral("NALEZNOSCI 1002")};
    }
    void TearDown() override
    {
        OperatorId = 0;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        DbTest::TearDown();
    }
    QString file() const { return ExportFolder + m_mail.FileName; }
    QStringList messages() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    void writeFile(const QByteArray& content)
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    QTemporaryDir m_dir;
    TPrintoutMail m_mail;
};

TEST_F(PrintoutMailTest, NoAddressStopsBeforePrinting)
{
    m_mail.Email = QStringLiteral("  ");
    bool printed = false;
    EXPECT_FALSE(EmailPrintout(m_mail, [&](const QString&) { printed = true; }));
    EXPECT_FALSE(printed);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Brak adresu email w kartotece użytkownika")});
}

TEST_F(PrintoutMailTest, FreshPrintoutIsSentAsTheOneAttachment)
{
    writeFile("stary wydruk");
    QString printer;
    bool staleGone = false;
    QStringList sent;
    const auto print = [&](const QString& p) {
        printer = p;
        staleGone = !QFile::exists(file());
        writeFile("%PDF-1.4 nowy");
    };
    const auto send = [&](const QString& to, const QString& attachment, const QString& subject, int user) {
        sent << to << attachment << subject << QString::number(user);
        return 0;
    };
    EXPECT_TRUE(EmailPrintout(m_mail, print, send));
    EXPECT_EQ(printer, QStringLiteral("Orlix PDF"));
    EXPECT_TRUE(staleGone);
    EXPECT_EQ(sent, (QStringList{QStringLiteral("anna@example.com"), file(),
                                 QStringLiteral("NALEZNOSCI 1002"), QStringLiteral("12")}));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Wiadomość została wysłana")});

    TMD::ClearRecorded();
    EXPECT_FALSE(
        EmailPrintout(m_mail, print, [](const QString&, const QString&, const QString&, int) { return 1; }));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Nie udało się wysłać wiadomości")});
}

TEST_F(PrintoutMailTest, MissingFileIsReportedAndNothingSent)
{
    bool sent = false;
    EXPECT_FALSE(EmailPrintout(
        m_mail, [](const QString&) {},
        [&](const QString&, const QString&, const QString&, int) {
            sent = true;
            return 0;
        }));
    EXPECT_FALSE(sent);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Nie udało się odnaleźć załącznika:\n") + file()});
}

TEST_F(UserCardTest, CardLaysOutWithoutOverlapsAndLeavesScreenshots)
{
    S()->ExecQuery(
        QStringLiteral("update Userdb set U_CZYINNALOKALIZACJA=1, U_LOK_NAZWA=:p1, U_LOK_ULICA=:p2, "
                       "U_LOK_NRDOMU=:p3, U_LOK_KOD=:p4, U_LOK_MIEJSCOWOSC=:p5, U_UWAGI=:p6, "
                       "U_NRRACHUNKU1=:p7, U_LOGIN=:p8, U_HASLO=:p9, U_PASMODOWNLOADDZIENTXT=:p10, "
                       "U_PASMOUPLOADDZIENTXT=:p11, U_KWOTAABONAMENTU=:p12 where U_INDEX=:p13"),
        {QStringLiteral("Sklep Lipa"), QStringLiteral("Ogrodowa"), QStringLiteral("7"),
         QStringLiteral("00-951"), QStringLiteral("Warszawa"),
         QStringLiteral("Klient od 2019. Router w piwnicy."),
         QStringLiteral("12 1020 1026 0000 0102 0345 6789"), QStringLiteral("jkowalski"),
         QStringLiteral("tajne123"), QStringLiteral("100M"), QStringLiteral("20M"), QStringLiteral("59.99"),
         m_u1});
    S()->ExecQuery(QStringLiteral("insert into Mac set M_INDEXUSER=:p1, M_IP=:p2, M_MAC=:p3, M_UWAGI=:p4"),
                   {m_u1, QStringLiteral("10.0.0.17"), QStringLiteral("AA:BB:CC:00:11:22"),
                    QStringLiteral("router klienta")});
    showCard(m_u1);
    m_card->resize(990, 770);
    QApplication::processEvents();

    // No two panels of the basic data overlap and every field has room for its text.
    const QList<QGroupBox*> groups =
        m_card->DanePodstawowe->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < groups.size(); ++i)
        for (int j = i + 1; j < groups.size(); ++j)
            EXPECT_FALSE(groups[i]->geometry().intersects(groups[j]->geometry()))
                << groups[i]->title().toStdString() << " / " << groups[j]->title().toStdString();
    for (TDbText* t : m_card->DanePodstawowe->Texts()) {
        if (!t->isVisible()) continue;
        EXPECT_GE(t->width(), 40) << t->Field().toStdString();
        EXPECT_GE(t->height(), t->fontMetrics().height()) << t->Field().toStdString();
    }
    EXPECT_LE(m_card->PageControl1->tabBar()->sizeHint().width(), m_card->PageControl1->width());
    for (QLabel* caption : m_card->DanePodstawowe->findChildren<QLabel*>())
        if (caption->isVisible() && !qobject_cast<TDbText*>(caption) && !caption->text().isEmpty()) {
            EXPECT_GE(caption->width(), caption->minimumSizeHint().width()) << caption->text().toStdString();
        }
    const QRect page = m_card->DanePodstawowe->rect();
    for (QGroupBox* g : groups)
        EXPECT_TRUE(page.contains(g->geometry())) << g->title().toStdString();

    const QString dir = TestOutputDir(QStringLiteral("mainwindow"));
    EXPECT_TRUE(m_card->grab().save(dir + QStringLiteral("/karta_dane_podstawowe.png")));
    m_card->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_FALSE(m_card->GripPanel3->Collapsed());
    EXPECT_TRUE(m_card->grab().save(dir + QStringLiteral("/karta_abonament.png")));
    m_card->PageControl1->setCurrentIndex(5);
    QApplication::processEvents();
    EXPECT_TRUE(m_card->grab().save(dir + QStringLiteral("/karta_umowy.png")));
}

// A subscriber's field that holds markup is shown as typed: the card never
// renders database text as rich text (links included).
TEST_F(UserCardTest, DatabaseTextsAreShownAsPlainText)
{
    const int id = addUser({{"U_NRKLIENTA", 1004},
                            {"U_NAZWISKO", "<b>x</b>"},
                            {"U_EMAIL", "<a href=\"http://evil\">kliknij</a>"},
                            {"U_ZMIENNATXT1", "<img src=\"http://evil/x.png\">"}});
    showCard(id);
    TDbText* name = m_card->DanePodstawowe->Text(QStringLiteral("U_NAZWISKO"));
    EXPECT_EQ(name->text(), QStringLiteral("<b>x</b>"));
    // Rendered as rich text the label would be one narrow bold "x".
    EXPECT_GE(name->sizeHint().width(), name->fontMetrics().horizontalAdvance(QStringLiteral("<b>x</b>")));
    QList<QLabel*> labels;
    for (TDbText* t : m_card->findChildren<TDbText*>())
        labels << t;
    for (QLabel* l : m_card->Pages.ZmiennaOpis)
        labels << l;
    for (QLabel* l : labels)
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << l->objectName().toStdString();
}
