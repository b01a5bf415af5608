// The settings dialog and its key table: every key loaded and saved, the
// pages by rights level, one transaction from show to close, the file
// buttons and the column lists.
#include "mainwindow/Konfiguracja.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/KonfiguracjaKlucze.h"
#include "core/MagazynBlob.h"
#include "core/ScrambleText.h"
#include "core/Session.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/KonfiguracjaPola.h"
#include "tests/support/DeskSession.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

namespace {

const QString kHost = QStringLiteral("00-1A-2B-3C-4D-5E");

// A value of the key's type that differs from its default.
QVariant otherValue(const TKonfKey& k, int salt)
{
    if (k.Special == TKonfSpecial::IntCheck) return k.Default.toInt() == 1 ? 0 : 1;
    switch (k.Type) {
    case TKonfType::Bool:
        return !k.Default.toBool();
    case TKonfType::Int:
        return k.Default.toInt() + 1 + salt % 3;
    case TKonfType::String:
        break;
    }
    return k.Key + QStringLiteral(" zażółć ") + QString::number(salt);
}

} // namespace

class KonfiguracjaTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_TRUE(m_dir.isValid());
        PrepareDesk(m_dir.path());
        m_session.emplace(AdminSignedIn(), DeskFolders(m_dir.path()));
        m_savedHost = HostId;
        HostId = kHost;
        Data = new TData();
    }
    void TearDown() override
    {
        delete m_form;
        m_form = nullptr;
        delete m_glowny;
        m_glowny = nullptr;
        FormGlowny = nullptr;
        TFormGlowny::AskForCompanyName = nullptr;
        TFormKonfiguracja::SmsGatewayBalance = nullptr;
        TFormKonfiguracja::ChooseFile = nullptr;
        delete Data;
        Data = nullptr;
        HostId = m_savedHost;
        LeaveDesk();
        m_session.reset();
        DbTest::TearDown();
    }

    TFormKonfiguracja& form()
    {
        if (!m_form) m_form = new TFormKonfiguracja();
        return *m_form;
    }
    // Shows the dialog as the main window does (modeless here, so the test can
    // drive it; the transaction is the same).
    TFormKonfiguracja& shown(int startPage = 0)
    {
        form().StartPage = startPage;
        form().show();
        QTest::qWait(10);
        return form();
    }
    template <class T> T* field(const char* key)
    {
        return qobject_cast<T*>(form().Fields->Field(QString::fromLatin1(key)));
    }
    void save()
    {
        QTest::mouseClick(form().OkBtn, Qt::LeftButton);
        QTest::qWait(10);
    }
    void cancel()
    {
        QTest::mouseClick(form().BitBtn1, Qt::LeftButton);
        QTest::qWait(10);
    }
    QString writeJpeg(const QString& name, Qt::GlobalColor colour)
    {
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        image.save(path, "PNG"); // read by content, whatever the name says
        return path;
    }
    QByteArray storedBlob(const QString& name)
    {
        return S()
            ->GetQueryValueAsString(
                QStringLiteral("select md5(MB_PLIK) from MagazynBlob where MB_PRIV=0 and MB_NAZWA=:p1"),
                {name})
            .toLatin1();
    }

    QTemporaryDir m_dir;
    std::optional<TScopedSession> m_session;
    QString m_savedHost;
    TFormKonfiguracja* m_form = nullptr;
    TFormGlowny* m_glowny = nullptr;
};

// One walk over the whole table: every key reads its stored value, and every
// key "Zapisz" writes lands in its own scope with its own type.
TEST_F(KonfiguracjaTest, EveryKeyGoesThroughLoadAndSave)
{
    int salt = 0;
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        const QVariant v = otherValue(k, ++salt);
        const int scope = KonfScopeId(k.Scope);
        if (k.Special == TKonfSpecial::Scrambled)
            WriteIniString(scope, k.Key, ScrambleText(v.toString()));
        else if (k.Special == TKonfSpecial::ResetSiatek)
            WriteIniString(scope, k.Key, HostId);
        else if (k.Type == TKonfType::Bool)
            WriteIniBool(scope, k.Key, v.toBool());
        else if (k.Type == TKonfType::Int)
            WriteIniInteger(scope, k.Key, v.toInt());
        else
            WriteIniString(scope, k.Key, v.toString());
    }
    const TKonfValues loaded = LoadKonfiguracja();
    EXPECT_EQ(loaded.size(), int(KonfiguracjaKeys().size()));
    salt = 0;
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        const QVariant expected =
            k.Special == TKonfSpecial::ResetSiatek ? QVariant(true) : otherValue(k, ++salt);
        if (k.Special == TKonfSpecial::ResetSiatek) ++salt;
        EXPECT_EQ(loaded.value(k.Key).toString(), expected.toString()) << k.Key.toStdString();
    }

    // Saving writes each key back; the ones the buttons own are left alone.
    TKonfValues edited = loaded;
    for (const TKonfKey& k : KonfiguracjaKeys())
        if (k.Type == TKonfType::String && k.Special != TKonfSpecial::ResetSiatek)
            edited[k.Key] = QStringLiteral("nowe ") + k.Key;
    SaveKonfiguracja(edited);
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        if (k.Type != TKonfType::String || k.Special == TKonfSpecial::ResetSiatek) continue;
        const QString stored = ReadIniString(KonfScopeId(k.Scope), k.Key, QString());
        if (k.Special == TKonfSpecial::NotSaved)
            EXPECT_NE(stored, QStringLiteral("nowe ") + k.Key) << k.Key.toStdString();
        else if (k.Special == TKonfSpecial::Scrambled) {
            EXPECT_EQ(stored.size(), 4 * (QStringLiteral("nowe ") + k.Key).size() + 24);
            EXPECT_EQ(UnscrambleText(stored), QStringLiteral("nowe ") + k.Key);
        } else
            EXPECT_EQ(stored, QStringLiteral("nowe ") + k.Key) << k.Key.toStdString();
    }
    // A workstation key lands under this workstation and operator, a global one under "app".
    EXPECT_FALSE(S()->IsQueryEmpty(QStringLiteral("select 1 from INI where I_FILENAME=:p1 and I_OPERATOR=:p2 "
                                                  "and I_IDENT='KatalogArch' and I_VALUE='nowe KatalogArch'"),
                                   {HostId, OperatorId}));
    EXPECT_FALSE(S()->IsQueryEmpty(QStringLiteral("select 1 from INI where I_FILENAME='app' and I_OPERATOR=0 "
                                                  "and I_IDENT='U_NIP' and I_VALUE='nowe U_NIP'")));
}

TEST_F(KonfiguracjaTest, ResetSiatekIsNeverClearedByTheDialog)
{
    WriteIniString(OperatorId, QStringLiteral("ResetSiatek"), QStringLiteral("inny-host"));
    TKonfValues v = LoadKonfiguracja();
    EXPECT_FALSE(v.value(QStringLiteral("ResetSiatek")).toBool());
    SaveKonfiguracja(v);
    EXPECT_EQ(ReadIniString(OperatorId, QStringLiteral("ResetSiatek"), QString()),
              QStringLiteral("inny-host"));
    v[QStringLiteral("ResetSiatek")] = true;
    SaveKonfiguracja(v);
    EXPECT_EQ(ReadIniString(OperatorId, QStringLiteral("ResetSiatek"), QString()), HostId);
}

TEST_F(KonfiguracjaTest, FreshDatabaseShowsTheDefaults)
{
    TFormKonfiguracja& f = shown();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Konfiguracja v6.14"));
    EXPECT_EQ(field<QLineEdit>("FormaPlatnosci")->text(), QStringLiteral("przelew"));
    EXPECT_EQ(field<QSpinBox>("TerminPlatnosci")->value(), 14);
    EXPECT_EQ(field<QSpinBox>("Powiadomienia")->value(), 7);
    EXPECT_EQ(field<QSpinBox>("Blokady")->value(), 14);
    EXPECT_TRUE(field<QCheckBox>("NumeracjaMiesieczna")->isChecked());
    EXPECT_EQ(field<QLineEdit>("U_Nazwa1")->text(), QString());
    EXPECT_EQ(field<QLineEdit>("U_Nazwa2")->text(), QStringLiteral("Proszę wpisać swoją nazwę firmy"));
    EXPECT_EQ(f.Label144->text(), QStringLiteral("ID Stanowiska: ") + kHost);
    EXPECT_TRUE(f.Label152->text().startsWith(QStringLiteral("Podłączony do bazy jako ")));
    // No seller name yet: the dialog opens on "Dane firmy" whatever the start page.
    EXPECT_EQ(f.PageControl1->currentIndex(), kPageDaneFirmy);
    // The number masks' labels follow "Numeracja miesięczna" before anything is saved.
    EXPECT_EQ(f.Fields->AfterLabel(QStringLiteral("MaskaFvKoniec"))->text(), QStringLiteral("/Miesiąc/Rok"));
    field<QCheckBox>("NumeracjaMiesieczna")->click();
    for (const char* key : {"MaskaFvKoniec", "MaskaFvkKoniec", "MaskaUmowaKoniec"})
        EXPECT_EQ(f.Fields->AfterLabel(QString::fromLatin1(key))->text(), QStringLiteral("/Rok")) << key;
    cancel();
    EXPECT_TRUE(ReadIniBool(0, QStringLiteral("NumeracjaMiesieczna"), true));
}

TEST_F(KonfiguracjaTest, TransferPrintVariantIsStoredAsItemPlusOne)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    WriteIniInteger(0, QStringLiteral("RodzajWydrukuPrzelewu"), 3);
    shown();
    QButtonGroup* g = form().Fields->Radio(QStringLiteral("RodzajWydrukuPrzelewu"));
    ASSERT_NE(g->checkedButton(), nullptr);
    EXPECT_EQ(g->checkedButton()->text(), QStringLiteral("z lista nierozlliczonych"));
    save();
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("RodzajWydrukuPrzelewu"), 0), 3);
    shown();
    g->button(0)->click();
    save();
    EXPECT_EQ(ReadIniInteger(0, QStringLiteral("RodzajWydrukuPrzelewu"), 0), 1);
}

TEST_F(KonfiguracjaTest, PagesFollowTheRightsLevelAndGlobalsAreReadOnlyAboveOne)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    const QStringList restricted{QStringLiteral("Dokumenty"), QStringLiteral("Intrux"),
                                 QStringLiteral("SMS"),       QStringLiteral("Dane firmy"),
                                 QStringLiteral("MikroTik"),  QStringLiteral("vOVE")};
    struct Case
    {
        int level;
        QStringList visible;
    } cases[] = {
        {1, restricted},
        {2,
         {QStringLiteral("Intrux"), QStringLiteral("SMS"), QStringLiteral("MikroTik"),
          QStringLiteral("vOVE")}},
        {3, {}},
    };
    for (const Case& c : cases) {
        OperatorRightsLevel = c.level;
        TFormKonfiguracja& f = shown();
        QStringList visible;
        for (int i = 0; i < f.PageControl1->count(); ++i)
            if (restricted.contains(f.PageControl1->tabText(i)) && f.PageControl1->isTabVisible(i))
                visible << f.PageControl1->tabText(i);
        EXPECT_EQ(visible, c.visible) << "level " << c.level;
        for (const char* always :
             {"Ustawienia", "Programy zewnętrzne", "Poczta", "Grafika", "Inne", "KSeF"}) {
            int i = 0;
            while (i < f.PageControl1->count() && f.PageControl1->tabText(i) != QString::fromUtf8(always))
                ++i;
            EXPECT_TRUE(f.PageControl1->isTabVisible(i)) << always;
        }
        // A global field would be dropped by the store above level 1: it is shown read-only.
        EXPECT_EQ(field<QLineEdit>("SMSPodpis")->isReadOnly(), c.level > 1) << c.level;
        EXPECT_EQ(field<QCheckBox>("WeryfikujMACiIP")->isEnabled(), c.level == 1) << c.level;
        EXPECT_FALSE(field<QLineEdit>("KatalogArch")->isReadOnly()) << c.level;
        cancel();
    }
}

TEST_F(KonfiguracjaTest, LevelTwoSavesWorkstationKeysOnly)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    OperatorRightsLevel = 2;
    shown();
    field<QLineEdit>("SMSPodpis")->setText(QStringLiteral("ignorowany"));
    field<QLineEdit>("KatalogArch")->setText(m_dir.path() + QStringLiteral("/arch2"));
    save();
    EXPECT_EQ(ReadIniString(0, QStringLiteral("SMSPodpis"), QString()), QString());
    EXPECT_EQ(ReadIniString(OperatorId, QStringLiteral("KatalogArch"), QString()),
              m_dir.path() + QStringLiteral("/arch2"));
}

TEST_F(KonfiguracjaTest, CancelUndoesANewLogoAndSaveKeepsIt)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    // Stored as the dialog stores it: from a file named "mojelogo.jpg".
    ASSERT_TRUE(
        StoreFileBlob(0, QStringLiteral("mojelogo.jpg"), writeJpeg(QStringLiteral("mojelogo.jpg"), Qt::red)));
    const QByteArray old = storedBlob(QStringLiteral("mojelogo.jpg"));
    ASSERT_FALSE(old.isEmpty());

    TFormKonfiguracja& f = shown(kPageGrafika);
    EXPECT_FALSE(f.Image1->pixmap().isNull());
    f.StorePicture(QStringLiteral("mojelogo.jpg"), writeJpeg(QStringLiteral("nowe.jpg"), Qt::blue));
    EXPECT_NE(storedBlob(QStringLiteral("mojelogo.jpg")), old);
    EXPECT_FALSE(f.Image1->pixmap().isNull());
    cancel();
    EXPECT_EQ(storedBlob(QStringLiteral("mojelogo.jpg")), old);

    shown(kPageGrafika);
    form().StorePicture(QStringLiteral("mojelogo.jpg"), writeJpeg(QStringLiteral("nowe.jpg"), Qt::blue));
    const QByteArray fresh = storedBlob(QStringLiteral("mojelogo.jpg"));
    save();
    EXPECT_EQ(storedBlob(QStringLiteral("mojelogo.jpg")), fresh);
    EXPECT_NE(fresh, old);
}

TEST_F(KonfiguracjaTest, KsefCertificateChosenThenRemoved)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    const QString crt = m_dir.path() + QStringLiteral("/firma.crt");
    {
        QFile file(crt);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
    }
    auto stored = [this] {
        return !S()->IsQueryEmpty(
            QStringLiteral("select 1 from MagazynBlob where MB_PRIV=0 and MB_NAZWA='CrtOnline.crt'"));
    };
    TFormKonfiguracja& f = shown(kPageKsef);
    EXPECT_TRUE(f.KsefIcon[0]->isHidden());
    f.StoreKsefFile(0, crt);
    EXPECT_TRUE(stored());
    EXPECT_FALSE(f.KsefIcon[0]->isHidden());
    EXPECT_EQ(field<QLabel>("KSeF_CrtOnline.crt_Nazwa")->text(), QStringLiteral("firma.crt"));
    save();
    EXPECT_TRUE(stored());
    EXPECT_EQ(ReadIniString(0, QStringLiteral("KSeF_CrtOnline.crt_Nazwa"), QString()),
              QStringLiteral("firma.crt"));

    // Removed and cancelled: as it was before the dialog opened.
    shown(kPageKsef);
    form().RemoveKsefFile(0);
    EXPECT_FALSE(stored());
    cancel();
    EXPECT_TRUE(stored());
    // Removed and saved: gone, its name empty.
    shown(kPageKsef);
    form().RemoveKsefFile(0);
    save();
    EXPECT_FALSE(stored());
    EXPECT_EQ(ReadIniString(0, QStringLiteral("KSeF_CrtOnline.crt_Nazwa"), QStringLiteral("x")), QString());
}

TEST_F(KonfiguracjaTest, KsefPasswordIsStoredScrambled)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    shown(kPageKsef);
    EXPECT_EQ(field<QLineEdit>("KSeF_HasloOnline")->echoMode(), QLineEdit::Password);
    field<QLineEdit>("KSeF_HasloOnline")->setText(QStringLiteral("Tajne@hasło"));
    save();
    const QString stored = ReadIniString(0, QStringLiteral("KSeF_HasloOnline"), QString());
    EXPECT_EQ(stored.size(), 4 * 11 + 24);
    EXPECT_EQ(UnscrambleText(stored), QStringLiteral("Tajne@hasło"));
    shown(kPageKsef);
    EXPECT_EQ(field<QLineEdit>("KSeF_HasloOnline")->text(), QStringLiteral("Tajne@hasło"));
    cancel();
}

TEST_F(KonfiguracjaTest, FailingSaveKeepsNothing)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    // The server refuses one key late in the table.
    S()->ExecQueryNoParamCheck(QStringLiteral(
        "CREATE TRIGGER IniRefuse BEFORE INSERT ON INI FOR EACH ROW BEGIN IF NEW.I_IDENT = 'XMailer' THEN "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF; END"));
    TFormKonfiguracja& f = shown();
    field<QLineEdit>("FormaPlatnosci")->setText(QStringLiteral("gotówka"));
    field<QLineEdit>("XMailer")->setText(QStringLiteral("inny"));
    f.LVKolumnyGrid1->clear();
    save();
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].text, QStringLiteral("Zapis konfiguracji nie powiódł się"));
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(ReadIniString(0, QStringLiteral("FormaPlatnosci"), QStringLiteral("brak")),
              QStringLiteral("brak"));
    EXPECT_TRUE(S()->IsQueryEmpty(QStringLiteral("select 1 from INI where I_IDENT='KolumnyGrid1'")));
    EXPECT_FALSE(S()->InTransaction());
}

TEST_F(KonfiguracjaTest, SmsBalanceAndTestEmail)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    TFormKonfiguracja& f = shown(kPageSms);
    EXPECT_EQ(f.Label164->text(), QStringLiteral("Błąd połączenia z bramką SMS"));
    cancel();
    TFormKonfiguracja::SmsGatewayBalance = [] { return QStringLiteral("150"); };
    shown(kPageSms);
    EXPECT_EQ(f.Label164->text(), QStringLiteral("Można wysłać 150 wiadomości SMS"));

    // The test message goes with the values as typed: here to a port nobody listens on.
    f.PageControl1->setCurrentIndex(kPagePoczta);
    EXPECT_FALSE(f.TestBtn->isEnabled());
    f.Fields->Radio(QStringLiteral("RodzajWysylaniaMaili"))->button(1)->click();
    EXPECT_TRUE(f.TestBtn->isEnabled());
    field<QLineEdit>("PocztaOrlixSerwer")->setText(QStringLiteral("127.0.0.1"));
    field<QSpinBox>("PocztaOrlixPort")->setValue(9);
    field<QLineEdit>("PocztaOrlixFromAdres")->setText(QStringLiteral("biuro@example.com"));
    f.TestBtn->click();
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].text, QStringLiteral("Nie udało się wysłać wiadomości"));
    EXPECT_TRUE(f.TestBtn->isEnabled());
    cancel();
}

// The subscriber grid's column list: an unchecked column hides at once and
// "0" is stored at its place.
TEST_F(KonfiguracjaTest, UncheckedColumnHidesAtOnce)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    m_glowny = new TFormGlowny();
    FormGlowny = m_glowny;
    m_glowny->show();
    QTest::qWait(20);
    QTableView* grid = m_glowny->DBGrid1;
    ASSERT_NE(grid->model(), nullptr);
    TFormKonfiguracja& f = shown();
    ASSERT_EQ(f.LVKolumnyGrid1->count(), grid->horizontalHeader()->count());
    int column = -1;
    for (int i = 0; i < f.LVKolumnyGrid1->count(); ++i)
        if (f.LVKolumnyGrid1->item(i)->checkState() == Qt::Checked && i > 0) {
            column = i;
            break;
        }
    ASSERT_GT(column, 0);
    EXPECT_FALSE(grid->isColumnHidden(column));
    f.LVKolumnyGrid1->item(column)->setCheckState(Qt::Unchecked);
    save();
    EXPECT_TRUE(grid->isColumnHidden(column));
    const QString mask = ReadIniString(OperatorId, QStringLiteral("KolumnyGrid1"), QString());
    ASSERT_EQ(mask.size(), f.LVKolumnyGrid1->count());
    EXPECT_EQ(mask.at(column), QLatin1Char('0'));
}

// At the main window's show: "ab" + "cd" is no name yet, "abc" + "de" is one.
TEST_F(KonfiguracjaTest, MainWindowAsksForTheCompanyNameAtTheShow)
{
    TFormGlowny::AskForCompanyName = [] {
        if (CompanyNameMissing()) ShowKonfiguracja(kPageDaneFirmy);
    };
    struct Case
    {
        const char* nazwa1;
        const char* nazwa2;
        bool opens;
    } cases[] = {{"ab", "cd", true}, {"abc", "de", false}};
    for (const Case& c : cases) {
        WriteIniString(0, QStringLiteral("U_Nazwa1"), QString::fromLatin1(c.nazwa1));
        WriteIniString(0, QStringLiteral("U_Nazwa2"), QString::fromLatin1(c.nazwa2));
        QString opened;
        int page = -1;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<TFormKonfiguracja*>(QApplication::activeModalWidget())) {
                opened = QString::fromLatin1(d->metaObject()->className());
                page = d->PageControl1->currentIndex();
                d->BitBtn1->click();
            }
        });
        poll.start(20);
        auto* glowny = new TFormGlowny();
        FormGlowny = glowny;
        glowny->show();
        QTest::qWait(60);
        poll.stop();
        EXPECT_EQ(!opened.isEmpty(), c.opens) << c.nazwa1 << c.nazwa2;
        if (c.opens) {
            EXPECT_EQ(page, kPageDaneFirmy);
        }
        delete glowny;
        FormGlowny = nullptr;
    }
}

TEST_F(KonfiguracjaTest, Screenshot)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Firma"));
    TFormKonfiguracja& f = shown();
    const QString dir = TestOutputDir(QStringLiteral("konfiguracja"));
    for (int page = 0; page < f.PageControl1->count(); ++page) {
        f.PageControl1->setCurrentIndex(page);
        QTest::qWait(5);
        EXPECT_TRUE(f.grab().save(dir + QStringLiteral("/strona%1.png").arg(page, 2, 10, QLatin1Char('0'))));
    }
    cancel();
}
