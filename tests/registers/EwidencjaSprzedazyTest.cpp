// The sales register: its folio sums, its PDF read back, the date variables
// of its comment, and the window driven as an operator would.
#include "registers/EwidencjaSprzedazy.h"
#include "billing/DateVariables.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Session.h"
#include "platform/PdfPrinter.h"
#include "printouts/PodgladRaportu.h"
#include "printouts/ReportEngine.h"
#include "registers/DrukEwidencjaSprzedazy.h"
#include "registers/EwidencjaDane.h"
#include "tests/registers/RegistersFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

Amount4 M(const char* t)
{
    Amount4 a;
    Amount4::tryParse(QString::fromLatin1(t), a);
    return a;
}

// Blanks of every kind collapsed, so texts match however pdftotext spaced them.
QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput())
        .replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

class EwidencjaSprzedazy : public RegistersTest
{
protected:
    void SetUp() override
    {
        RegistersTest::SetUp();
        TMD::SetTestHook([](const TMD::Shown&) { return 0; });
        TMD::ClearRecorded();
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TFormPodgladRaportu*>(w)) w->close();
        delete m_window;
        TMD::ClearTestHook();
        MainUserIdList.clear();
        RegistersTest::TearDown();
    }
    // 41 invoices of March 2025, the first and the last on the period's end days.
    void Add41Invoices()
    {
        for (int i = 1; i <= 41; ++i) {
            TDocSpec d;
            d.Date = i == 1    ? QStringLiteral("2025-03-01")
                     : i == 41 ? QStringLiteral("2025-03-31")
                               : QStringLiteral("2025-03-15");
            d.Number = QStringLiteral("FV/%1/03/2025").arg(i, 2, 10, QLatin1Char('0'));
            d.Sums = {"0", "0", "0", "0", "0", "0", "0", "100", "23"};
            if (i == 41) d.Sums = {"0", "0", "0", "0", "0", "10", "0.8", "1000", "230"};
            AddDoc(d);
        }
    }
    TFormEwidencjaSprzedazy* Window()
    {
        m_window = new TFormEwidencjaSprzedazy();
        m_window->show();
        m_window->DataOd()->SetDate(QDate(2025, 3, 1));
        m_window->DataDo()->SetDate(QDate(2025, 3, 31));
        return m_window;
    }
    void Click(const char* caption)
    {
        QPushButton* b = m_window->Button(QString::fromUtf8(caption));
        ASSERT_NE(b, nullptr) << caption;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QStringList Texts() const
    {
        QStringList t;
        for (const TMD::Shown& s : TMD::Recorded())
            t << s.text;
        return t;
    }
    TFormEwidencjaSprzedazy* m_window = nullptr;
};

TEST_F(EwidencjaSprzedazy, FolioSumsCarryToTheSecondPage)
{
    Add41Invoices();
    TRegisterRequest r;
    r.DateFrom = QDate(2025, 3, 1);
    r.DateTo = QDate(2025, 3, 31);
    TRegisterData data(r);
    ASSERT_EQ(data.RowCount(), 41);
    ASSERT_EQ(data.PageCount(), 2);
    const TFolio first = data.Folio(0), second = data.Folio(1);
    // Columns: net, 23% net, 23% VAT, 8% net, 8% VAT, ..., gross, VAT.
    EXPECT_EQ(first.Page[0], M("4000"));
    EXPECT_EQ(first.Carried[0], M("0"));
    EXPECT_EQ(first.Total[11], M("920"));
    EXPECT_EQ(second.Page[1], M("1000"));
    EXPECT_EQ(second.Page[3], M("10"));
    EXPECT_EQ(second.Page[4], M("0.8"));
    EXPECT_EQ(second.Carried[2], M("920"));
    EXPECT_EQ(second.Total[10], M("6160.8"));
    EXPECT_EQ(second.Total[11], M("1150.8"));
}

TEST_F(EwidencjaSprzedazy, PdfReadsBackWithHeaderRowsAndFooters)
{
    Add41Invoices();
    TFormDrukEwidencjaSprzedazy form;
    form.DateFrom = QDate(2025, 3, 1);
    form.DateTo = QDate(2025, 3, 31);
    form.PodmiotIndex = 1;
    form.Komentarz = ExpandDateVariables(QStringLiteral("Faktury za internet (<#m> <#Y>)"), form.DateFrom);
    form.PrinterName = ProgramPdfPrinterName;
    form.PrintDirect();
    ASSERT_FALSE(form.LastPdfFile.isEmpty());
    const QString kept = OutDir() + QStringLiteral("/Ewidencja_sprzedazy_41.pdf");
    QFile::remove(kept);
    ASSERT_TRUE(QFile::rename(form.LastPdfFile, kept));
    const QString text = pdfText(kept);
    for (const char* expected :
         {"EWIDENCJA (REJESTR) SPRZEDAŻY", "Faktury za internet (marzec 2025)", "(2025-03-01 - 2025-03-31)",
          "Strona 1", "Strona 2", "Sieć & Spółka", "NIP 526-104-08-28", "FV/01/03/2025", "2025-03-01",
          "FV/41/03/2025", "2025-03-31", "SUMA FOLIO", "PRZENIESIENIE Z FOLIO", "RAZEM", "1 150,00 zł",
          "4 920,00 zł", "6 160,80 zł", "Kowalski Jan", "Długa 5/3 00-001 Warszawa"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_FALSE(text.contains(QStringLiteral("+ FILTR")));
}

// The texts a page is laid out with.
QStringList pageTexts(const TReportDocument& doc, int page)
{
    QStringList t;
    for (const TReportItem& it : doc.pageSource(page).items)
        if (it.kind == TReportItem::Text) t << it.text;
    return t;
}

TEST_F(EwidencjaSprzedazy, PagesShowMonthsFilterAndCorrectionHeadings)
{
    TDocSpec inv;
    inv.Date = QStringLiteral("2025-03-15");
    const int user = AddUser();
    inv.User = user;
    AddDoc(inv);
    TDocSpec cor = inv;
    cor.Kind = 'K';
    cor.Sums = {"0", "0", "0", "0", "0", "0", "0", "-10", "-2.3"};
    AddDoc(cor);
    WriteIniBool(0, QStringLiteral("DataJakoMiesiac"), true);

    struct
    {
        TRegisterKind Kind;
        QString Filter;
        QStringList Present, Absent;
    } const cases[] = {
        {TRegisterKind::Invoices,
         QString(),
         {QStringLiteral("mar 2025"), QStringLiteral("2025-03-15"), QStringLiteral("Data sprzedaży"),
          QStringLiteral("Wartość sprzedaży netto"), QStringLiteral("(2025-03-01 - 2025-03-31)")},
         {QStringLiteral("(2025-03-01 - 2025-03-31) + FILTR")}},
        {TRegisterKind::Invoices,
         QStringLiteral(" in (%1) ").arg(user),
         {QStringLiteral("(2025-03-01 - 2025-03-31) + FILTR")},
         {}},
        {TRegisterKind::Corrections,
         QString(),
         {QStringLiteral("EWIDENCJA (REJESTR) KOREKT"), QStringLiteral("Data wystawienia"),
          QStringLiteral("Wartość korekty netto"), QStringLiteral("Wartość korekty brutto"),
          QStringLiteral("-12,30 zł")},
         {QStringLiteral("mar 2025")}},
    };
    for (const auto& c : cases) {
        TRegisterRequest r;
        r.Kind = c.Kind;
        r.DateFrom = QDate(2025, 3, 1);
        r.DateTo = QDate(2025, 3, 31);
        r.UserIdFilter = c.Filter;
        r.DateAsMonth = true;
        auto data = std::make_shared<TRegisterData>(r);
        ASSERT_EQ(data->RowCount(), 1);
        const QStringList texts = pageTexts(*TRegisterData::Document(data, QStringLiteral("t")), 0);
        for (const QString& p : c.Present)
            EXPECT_TRUE(texts.contains(p)) << p.toStdString();
        for (const QString& a : c.Absent)
            EXPECT_FALSE(texts.contains(a)) << a.toStdString();
    }
}

TEST(EwidencjaSprzedazyKomentarz, DateVariablesExpand)
{
    struct
    {
        const char* Text;
        QDate Date;
        const char* Expected;
    } const rows[] = {
        {"Faktury za internet (<#m> <#Y>)", QDate(2025, 3, 15), "Faktury za internet (marzec 2025)"},
        {"<#D>.<#M>.<#Y>", QDate(2025, 3, 5), "5.03.2025"},
        {"<#m>/<#m>", QDate(2024, 10, 1), "październik/październik"},
        {"<#y> <#d>", QDate(2025, 1, 2), "<#y> <#d>"},
        {"<#Y>", QDate(), "<#Y>"}};
    for (const auto& r : rows)
        EXPECT_EQ(ExpandDateVariables(QString::fromUtf8(r.Text), r.Date), QString::fromUtf8(r.Expected))
            << r.Text;
}

TEST_F(EwidencjaSprzedazy, NoRowsInformsWithoutPrinting)
{
    Window();
    Click("Drukuj ewidencję faktur");
    Click("Drukuj ewidencję korekt");
    EXPECT_EQ(Texts(), QStringList({QStringLiteral("Brak doumentów dla wskazanych warunków"),
                                    QStringLiteral("Brak dokumentów dla wskazanych warunków")}));
}

TEST_F(EwidencjaSprzedazy, PrintExpandsAndStoresTheCommentAndWarnsOfTheFilter)
{
    Add41Invoices();
    const int other = AddUser();
    TDocSpec d;
    d.Date = QStringLiteral("2025-03-20");
    d.User = other;
    AddDoc(d);
    MainUserIdList = QStringLiteral(" in (%1,0) ").arg(other);
    Window();
    m_window->KomentarzFaktur()->setText(QStringLiteral("Za <#m> <#Y>"));
    m_window->FiltrBox()->setChecked(true);
    Click("Drukuj ewidencję faktur");
    ASSERT_NE(m_window->DrukFaktur(), nullptr);
    EXPECT_EQ(m_window->DrukFaktur()->Komentarz, QStringLiteral("Za marzec 2025"));
    ASSERT_NE(m_window->DrukFaktur()->LastData, nullptr);
    EXPECT_EQ(m_window->DrukFaktur()->LastData->RowCount(), 1);
    EXPECT_EQ(Texts(),
              QStringList({QStringLiteral("Przejęto filtrowanie dokumentów dla użytkowników aktualnie "
                                          "widocznych w tabeli głównej. Zapisane dane mogą być niepełne.")}));
    EXPECT_EQ(ReadIniString(0, QStringLiteral("EwidencjaKomentarz"), QString()),
              QStringLiteral("Za <#m> <#Y>"));
    QImage shot = m_window->grab().toImage();
    shot.save(OutDir() + QStringLiteral("/EwidencjaSprzedazy.png"));
}

TEST_F(EwidencjaSprzedazy, StartAfterEndMovesTheEnd)
{
    Window();
    m_window->DataOd()->SetDate(QDate(2025, 4, 10));
    EXPECT_EQ(m_window->DataDo()->Date(), QDate(2025, 4, 10));
    m_window->DataDo()->SetDate(QDate(2025, 4, 1));
    EXPECT_EQ(m_window->DataOd()->Date(), QDate(2025, 4, 1));
}

TEST_F(EwidencjaSprzedazy, JpkButtonsReportRefusalFailureAndSuccess)
{
    AddDoc(TDocSpec());
    Window();
    m_window->DataOd()->SetDate(QDate(2026, 3, 1));
    m_window->DataDo()->SetDate(QDate(2026, 3, 31));

    WriteIniString(0, QStringLiteral("U_KodUS"), QStringLiteral("0000"));
    Click("Generuj plik JPK_V7M(3)");
    ASSERT_EQ(Texts().size(), 2);
    EXPECT_TRUE(Texts()[0].contains(QStringLiteral("członka grupy VAT")));
    EXPECT_TRUE(Texts()[1].contains(QStringLiteral("U_KodUS"))) << Texts()[1].toStdString();
    EXPECT_EQ(TMD::Recorded()[1].kind, mtError);
    EXPECT_TRUE(QDir(ExportDir()).entryList(QDir::Files).isEmpty());

    SetValidSeller();
    ExportFolder = ExportDir() + QStringLiteral("/missing/");
    TMD::ClearRecorded();
    Click("Generuj plik JPK_VAT(3)");
    EXPECT_EQ(Texts(), QStringList({QStringLiteral("Błąd podczas generowania pliku JPK")}));
    EXPECT_TRUE(QDir(ExportDir()).entryList(QDir::Files).isEmpty());

    ExportFolder = ExportDir() + QLatin1Char('/');
    TMD::ClearRecorded();
    Click("Generuj plik JPK_VAT(3)");
    ASSERT_EQ(Texts().size(), 1);
    EXPECT_TRUE(
        Texts()[0].startsWith(QStringLiteral("Plik JPK_VAT został zapisany jako:   \r\n") + ExportDir()));

    TMD::ClearRecorded();
    Click("Generuj plik JPK_V7K(3)");
    EXPECT_TRUE(Texts().isEmpty());
}

} // namespace
