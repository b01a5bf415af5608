// The KSeF batch window against the stand-in: a package is sent as its file
// name says and its statuses read at once, a package already in the log or a
// file that is no package sends nothing, an invoice fetched by its KSeF
// number lands in the log and opens as a page; rows of other kinds do nothing.
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/Ksef.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefWsad.h"
#include "platform/ZipArchive.h"
#include "tests/ksef/KsefOpsFixture.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>

namespace {

// Takes the pages the window asks the desktop to open.
class TPageRecorder : public QObject
{
    Q_OBJECT
public:
    TPageRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "handle"); }
    ~TPageRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> Urls;

public slots:
    void handle(const QUrl& url) { Urls.append(url); }
};

class KsefOkno : public KsefOpsTest
{
protected:
    void SetUp() override
    {
        KsefOpsTest::SetUp();
        if (HasFatalFailure()) return;
        KsefBatchWaits() = TKsefBatchWaits{0, 0};
    }
    void TearDown() override
    {
        TFormKsef::ChooseFileHook = nullptr;
        KsefBatchWaits() = TKsefBatchWaits{};
        KsefOpsTest::TearDown();
    }
    // A package of invoices of company 1 (FA(3) files of sample 1) under the name.
    QString Package(const QString& name, int count = 2)
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            const int fv = AddFv(1, QStringLiteral("FV/%1/01/2026").arg(i + 1));
            files << CopySample(Out(), QStringLiteral("FA_3_Przykład_1.xml"),
                                QStringLiteral("FV/%1/01/2026").arg(i + 1),
                                QStringLiteral("KSeF_FV_%1.xml").arg(fv));
        }
        const QString zip = Out() + name;
        TZipArchiver().CreateArchive(zip, files);
        return zip;
    }
    void Screenshot(QWidget& w, const QString& name)
    {
        const QString dir = TestOutputDir(QStringLiteral("ksef-windows"));
        QDir().mkpath(dir);
        EXPECT_TRUE(w.grab().save(QDir(dir).filePath(name)));
    }
};

TEST(KsefPackageName, KindAndCompanyComeFromTheName)
{
    struct Case
    {
        const char* name;
        bool package;
        char kind;
        int company;
    } cases[] = {{"KSeF_Fv_2026-01_01.zip", true, 'F', 1},
                 {"KSeF_Fvk_2026-01_02.zip", true, 'K', 2},
                 {"/tmp/x/KSeF_Fv_20260228_120000_12.ZIP", true, 'F', 12},
                 {"faktury.zip", false, 0, 0},
                 {"KSeF_FV_12.xml", false, 0, 0},
                 {"KSeF_Fv_2026-01_xx.zip", false, 0, 0},
                 {"KSeF_Fv_2026-01_00.zip", false, 0, 0},
                 {"ksef_fv_2026-01_01.zip", false, 0, 0}};
    for (const Case& c : cases) {
        char kind = 0;
        int company = 0;
        EXPECT_EQ(KsefPackageKind(QString::fromUtf8(c.name), kind, company), c.package) << c.name;
        if (!c.package) continue;
        EXPECT_EQ(kind, c.kind) << c.name;
        EXPECT_EQ(company, c.company) << c.name;
    }
}

TEST_F(KsefOkno, CorrectionsPackageOfCompanyTwoIsSentAndItsStatusesReadAtOnce)
{
    const QString zip = Package(QStringLiteral("KSeF_Fvk_2026-01_02.zip"));
    TFormKsef w;
    TFormKsef::ChooseFileHook = [&](const QString& folder) {
        EXPECT_EQ(QDir(folder), QDir(Out())) << "no path stored yet: the export folder";
        return zip;
    };
    w.show();
    EXPECT_TRUE(w.LabelKsef->text().startsWith(QStringLiteral("Wersja: ")))
        << w.LabelKsef->text().toStdString();
    QTest::mouseClick(w.PlikBtn, Qt::LeftButton);
    EXPECT_EQ(QDir::fromNativeSeparators(w.EditPlik->text()), zip);
    TMD::ClearRecorded();
    TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
    QTest::mouseClick(w.WyslijBtn, Qt::LeftButton);

    EXPECT_EQ(KsefState().CompanyId, 2);
    const QStringList texts = Texts();
    ASSERT_EQ(texts.size(), 3) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(texts[0], QStringLiteral("Paczka faktur wysłana poprawnie do KSeF."));
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("Czy chcesz od razu sprawdzić status")));
    EXPECT_EQ(texts[2], QStringLiteral("Ilość pobranych statusów dokumentów: 2"));
    const int sent =
        Int(QStringLiteral("select KSEF_INDEX from Ksef where KSEF_IDENTYFIKATOR='WYSYŁKA KOR' and "
                           "KSEF_PLIK='KSeF_Fvk_2026-01_02.zip'"));
    ASSERT_GT(sent, 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Ksef where KSEF_IDENTYFIKATOR='STATUS'")), 1);
    EXPECT_EQ(w.QKsef->RecordCount(), 2) << "the log is read again after the statuses";
    EXPECT_EQ(ReadIniString(OperatorId, QStringLiteral("KsefSciezka"), QString()), zip);

    // The next opening starts in the package's folder; the row left current is stored.
    ASSERT_TRUE(w.QKsef->Locate(QStringLiteral("KSEF_INDEX"), sent));
    w.hide();
    EXPECT_EQ(ReadIniInteger(OperatorId, QStringLiteral("KsefRekord"), 0), sent);
    TFormKsef::ChooseFileHook = [&](const QString& folder) {
        EXPECT_EQ(QDir(folder), QDir(Out()));
        return QString();
    };
    w.show();
    EXPECT_TRUE(w.EditPlik->text().isEmpty());
    QTest::mouseClick(w.PlikBtn, Qt::LeftButton);
    Screenshot(w, QStringLiteral("ksef.png"));
}

TEST_F(KsefOkno, NothingIsSentForAFileThatIsNoPackageOrAnAnsweredNoOrMissingRights)
{
    const QString known = Package(QStringLiteral("KSeF_Fv_2026-01_01.zip"), 1);
    S()->ExecQuery(QStringLiteral("insert into Ksef (KSEF_IDENTYFIKATOR, KSEF_PLIK, KSEF_NRREFSESJI) values "
                                  "('WYSYŁKA FV', 'KSeF_Fv_2026-01_01.zip', 'X')"));
    const QString other = Out() + QStringLiteral("faktury.zip");
    QFile::copy(known, other);
    struct Case
    {
        QString path;
        int rights;
        QString message;
    } cases[] = {
        {known, 0,
         QStringLiteral("Wybrany plik został już przesłany do KSeF.\r\nCzy chcesz go wysłać ponownie?")},
        {other, 0,
         QStringLiteral("Wybrany plik nie jest identyfikowany jako paczka zbudowana przez Razedu.\r\nProszę "
                        "wskazać prawidłowy plik z paczką faktur lub korekt.")},
        {known, 3, RightDeniedMessage(2)},
    };
    TFormKsef w;
    w.show();
    for (const Case& c : cases) {
        OperatorRightsLevel = c.rights;
        TMD::ClearRecorded();
        TMD::SetTestHook([](const TMD::Shown&) { return mrNo; });
        w.EditPlik->setText(c.path);
        QTest::mouseClick(w.WyslijBtn, Qt::LeftButton);
        EXPECT_EQ(Texts(), QStringList{c.message}) << c.path.toStdString();
    }
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Ksef")), 1);
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/sessions/batch")), 0);
}

TEST_F(KsefOkno, InvoiceFetchedByNumberIsLoggedAndShownAsAPage)
{
    const QString number = m_stub.Seed(PurchaseXml(QStringLiteral("ZAK/7")));
    S()->ExecQuery(
        QStringLiteral("insert into Ksef (KSEF_IDENTYFIKATOR, KSEF_PLIK, KSEF_NRREFSESJI, KSEF_DANE) "
                       "values ('UPO', 'KSeF_Fv_2026-01_01.zip', 'S-1', '<Potwierdzenie/>'), "
                       "('STATUS', 'KSeF_Fv_2026-01_01.zip', 'S-1', '{}')"));
    TPageRecorder pages;
    TFormKsef w;
    w.show();
    // Rows of other kinds neither show a page nor read statuses.
    for (int row = 0; row < 2; ++row) {
        w.DBGrid1->selectRow(row);
        QTest::mouseClick(w.WizualizujBtn, Qt::LeftButton);
        QTest::mouseClick(w.StatusBtn, Qt::LeftButton);
    }
    EXPECT_TRUE(pages.Urls.isEmpty());
    EXPECT_TRUE(Texts().isEmpty()) << Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/auth/challenge")), 0);

    w.EditNrKsef->setText(number);
    QTest::mouseClick(w.PobierzBtn, Qt::LeftButton);
    const int fetched = Int(
        QStringLiteral("select KSEF_INDEX from Ksef where KSEF_IDENTYFIKATOR='FV' and KSEF_NRKSEF=:p1 and "
                       "KSEF_STATUS='Pobrano: 1' and KSEF_ILOSC=1 and KSEF_PLIK=:p2 and KSEF_OPERATORID=3"),
        {number, number + QStringLiteral(".xml")});
    ASSERT_GT(fetched, 0);
    EXPECT_EQ(w.CurrentIndex(), fetched);
    EXPECT_TRUE(w.PanelDane->toPlainText().contains(QStringLiteral("<P_2>ZAK/7</P_2>")));
    EXPECT_EQ(w.PanelPlik->text(), number + QStringLiteral(".xml"));

    QTest::mouseClick(w.WizualizujBtn, Qt::LeftButton);
    ASSERT_EQ(pages.Urls.size(), 1);
    const QString page = pages.Urls.first().toLocalFile();
    EXPECT_EQ(page, PrivateFolder + number + QStringLiteral(".xml.html"));
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(f.readAll()).contains(QStringLiteral("ZAK/7")));

    // An unknown number tells KSeF's answer and logs nothing.
    TMD::ClearRecorded();
    const QString unknown = QStringLiteral("1111111111-20261210-000000000000-00");
    w.EditNrKsef->setText(unknown);
    QTest::mouseClick(w.PobierzBtn, Qt::LeftButton);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Faktura o numerze ") + unknown +
                                   QStringLiteral(" nie istnieje w KSeF")});
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Ksef where KSEF_IDENTYFIKATOR='FV'")), 1);
    w.EditNrKsef->setText(number);
    Screenshot(w, QStringLiteral("ksef_pobrana.png"));
}

} // namespace

#include "KsefOknoTest.moc"
