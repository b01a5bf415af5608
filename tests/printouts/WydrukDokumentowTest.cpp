// The bulk output window driven as the operator does: criteria, a run with
// e-mail over the loopback SMTP server, the forced settings of the electronic
// copy, an abort while storing, and the messages that stop a run.
#include "printouts/WydrukDokumentow.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Session.h"
#include "printouts/SmtpClient.h"
#include "tests/printouts/BulkFixture.h"
#include "tests/printouts/smtp/SmtpTestServer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

class WydrukDokumentowTest : public BulkTest
{
protected:
    void SetUp() override
    {
        BulkTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::ClearRecorded();
        TMD::SetTestHook([](const TMD::Shown&) { return int(mrOk); });
        // Stored PDFs go through the data module's dataset.
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        S()->ExecQuery(
            QStringLiteral("insert into Szablony (SZ_NAZWA, SZ_RODZAJ, SZ_TEMAT, SZ_TRESC) values "
                           "('Faktura mailem', 'E', 'Faktura za usługi', 'W załączniku faktura.')"));
        S()->ExecQuery(
            QStringLiteral("insert into Podmioty (P_INDEX, P_SKROT, P_CZYAKTYWNY) values (1, :p1, 1) on "
                           "duplicate key update P_SKROT=:p2, P_CZYAKTYWNY=1"),
            {QStringLiteral("Sieć Łódź"), QStringLiteral("Sieć Łódź")});
        m_form = new TFormWydrukDokumentow();
        m_form->show();
        QTest::qWait(10);
        // Every date: the fixture's invoices are not of this month.
        m_form->DateTimePicker1->SetChecked(false);
        m_form->DateTimePicker2->SetChecked(false);
    }
    void TearDown() override
    {
        delete m_form;
        m_data.reset();
        Data = nullptr;
        TMD::ClearTestHook();
        BulkTest::TearDown();
    }
    int MailedSubscriber(const char* email, int number)
    {
        const int u = AddSubscriber(QStringLiteral("Abonent"), QString::number(number), number);
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_EMAIL=:p1, U_CZYKORESPSERYJNA=1 where U_INDEX=:p2"),
            {email, u});
        return u;
    }
    static void Choose(QButtonGroup* group, int index) { group->button(index)->click(); }
    QStringList Shown() const
    {
        QStringList texts;
        for (const TMD::Shown& s : TMD::Recorded())
            texts << s.text;
        return texts;
    }
    TFormWydrukDokumentow* m_form = nullptr;
    std::unique_ptr<TData> m_data;
};

TEST_F(WydrukDokumentowTest, PdfPrintingThenMailSendsEachSubscriberItsOwnPdf)
{
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    WriteIniString(0, QStringLiteral("PocztaOrlixSerwer"), QStringLiteral("127.0.0.1"));
    WriteIniInteger(0, QStringLiteral("PocztaOrlixPort"), server.Port());
    WriteIniString(0, QStringLiteral("PocztaOrlixUser"), TSmtpTestServer::User);
    WriteIniString(0, QStringLiteral("PocztaOrlixHaslo"), TSmtpTestServer::Password);
    WriteIniString(0, QStringLiteral("PocztaOrlixFromAdres"), QStringLiteral("biuro@orlix.test"));
    WriteIniInteger(0, QStringLiteral("RodzajWysylaniaMaili"), 1);
    WriteIniString(0, QString::fromLatin1(MailCertificateSetting), server.CertificatePath());
    AddInvoice(MailedSubscriber("jan@orlix.test", 501), QStringLiteral("1/03/2025"),
               {{QStringLiteral("Abonament"), Amount4::fromInt(50), {}, QStringLiteral("23%"), {}}});
    AddInvoice(MailedSubscriber("ewa@orlix.test", 502), QStringLiteral("2/03/2025"),
               {{QStringLiteral("Abonament"), Amount4::fromInt(60), {}, QStringLiteral("23%"), {}}});
    // A stale PDF of the same name must be replaced, never mailed.
    QFile stale(ExportFolder + QStringLiteral("F_1_03_2025.pdf"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stary plik");
    stale.close();

    m_form->LoadTemplates();
    m_form->ComboBox1->setCurrentText(QStringLiteral("Faktura mailem"));
    Choose(m_form->RadioGroup1, boPdfPrinter);
    Choose(m_form->RadioGroup4, 1);
    EXPECT_TRUE(m_form->CheckBox1->isChecked()) << "mailing prints one PDF per document";
    EXPECT_EQ(m_form->Label1->text(), QStringLiteral("Znaleziono dokumentów : 2"));
    QTest::mouseClick(m_form->StartButton, Qt::LeftButton);

    EXPECT_EQ(Shown(), QStringList());
    const QStringList pdfs{QStringLiteral("F_1_03_2025.pdf"), QStringLiteral("F_2_03_2025.pdf")};
    for (const QString& pdf : pdfs) {
        EXPECT_TRUE(QFileInfo::exists(ExportFolder + pdf)) << pdf.toStdString();
        EXPECT_TRUE(FileBytes(ExportFolder + pdf).startsWith("%PDF")) << pdf.toStdString();
    }
    const QList<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 2);
    const QStringList to{QStringLiteral("jan@orlix.test"), QStringLiteral("ewa@orlix.test")};
    for (int i = 0; i < 2; ++i) {
        const QJsonObject& m = messages[i];
        EXPECT_EQ(m[QStringLiteral("rcpt_tos")].toArray().at(0).toString(), to[i]);
        EXPECT_TRUE(
            m[QStringLiteral("subject")].toString().endsWith(QStringLiteral("Faktura za usługi ") + pdfs[i]))
            << m[QStringLiteral("subject")].toString().toStdString();
        const QJsonArray parts = m[QStringLiteral("parts")].toArray();
        ASSERT_EQ(parts.size(), 2);
        const QJsonObject file = parts[1].toObject();
        EXPECT_EQ(file[QStringLiteral("filename")].toString(), pdfs[i]);
        EXPECT_EQ(QByteArray::fromBase64(file[QStringLiteral("data_b64")].toString().toLatin1()),
                  FileBytes(ExportFolder + pdfs[i]));
    }
    EXPECT_EQ(m_form->Label9->text(), QStringLiteral("2"));
    EXPECT_EQ(m_form->Label6->text(), QStringLiteral("2"));
    EXPECT_EQ(m_form->Label7->text(), QStringLiteral("2"));
    EXPECT_TRUE(m_form->StartButton->isEnabled());
    EXPECT_FALSE(m_form->AbortButton->isEnabled());
    m_form->grab().save(ExportFolder + QStringLiteral("okno.png"));
}

TEST_F(WydrukDokumentowTest, ElectronicCopyForcesItsSettings)
{
    Choose(m_form->RadioGroup2, bkCorrection);
    Choose(m_form->RadioGroup3, 2);
    Choose(m_form->RadioGroup4, 2);
    m_form->CheckBox3->setChecked(true);
    m_form->CheckBox1->setChecked(false);
    Choose(m_form->RadioGroup1, boElectronicCopy);
    EXPECT_EQ(m_form->RadioGroup2->checkedId(), bkInvoice);
    EXPECT_EQ(m_form->RadioGroup3->checkedId(), 0);
    EXPECT_EQ(m_form->RadioGroup4->checkedId(), 0);
    EXPECT_TRUE(m_form->CheckBox1->isChecked());
    EXPECT_FALSE(m_form->CheckBox3->isChecked());
}

TEST_F(WydrukDokumentowTest, AbortWhileStoringLeavesNoStoredPdf)
{
    for (int i = 1; i <= 3; ++i)
        AddInvoice(AddSubscriber(QStringLiteral("Abonent"), QString::number(i), 500 + i),
                   QStringLiteral("%1/03/2025").arg(i),
                   {{QStringLiteral("Abonament"), Amount4::fromInt(50), {}, QStringLiteral("23%"), {}}});
    Choose(m_form->RadioGroup1, boPdfPrinter);
    Choose(m_form->RadioGroup4, 2);
    // "Przerwij wydruk" is pressed as soon as the first PDF of the run is stored.
    TFormWydrukDokumentow* form = m_form;
    TDedicatedSession* session = S();
    QObject::connect(m_form->Gauge1, &QProgressBar::valueChanged, m_form, [form, session](int) {
        if (form->AbortButton->isEnabled() &&
            session->GetQueryValueAsInteger(QStringLiteral("select count(*) from MagazynBlob2")) > 0)
            QTest::mouseClick(form->AbortButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_form->StartButton, Qt::LeftButton);
    EXPECT_TRUE(m_form->AbortRequested);
    EXPECT_EQ(m_form->Label6->text(), QStringLiteral("3")) << "the three were printed";
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from MagazynBlob2")), 0);
    EXPECT_EQ(m_form->Label7->text(), QStringLiteral("0"));
}

TEST_F(WydrukDokumentowTest, RunStopsWithAMessageWhenNothingOrABadRangeIsChosen)
{
    struct TCase
    {
        const char* rule;
        std::function<void()> set;
        QString shown;
    };
    const TCase cases[] = {
        {"no document", [] {},
         QStringLiteral("Nie znaleziono w bazie dokumentów spełniających zadane kryteria")},
        {"a range that is no number",
         [this] {
             m_form->CheckBox4->setChecked(true);
             m_form->Edit1->setText(QStringLiteral("1,5"));
         },
         QStringLiteral("Zakres numerów dokumentów musi składać się z liczb całkowitych (wpisano \"1,5\")")},
    };
    for (const TCase& c : cases) {
        TMD::ClearRecorded();
        c.set();
        QTest::mouseClick(m_form->StartButton, Qt::LeftButton);
        EXPECT_EQ(Shown(), QStringList{c.shown}) << c.rule;
        EXPECT_EQ(m_form->Label6->text(), QStringLiteral("0")) << c.rule;
        EXPECT_TRUE(m_form->StartButton->isEnabled()) << c.rule;
    }
}
