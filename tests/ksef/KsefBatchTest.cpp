// Batch sessions and the invoices others issued to us: query, export, download.
#include "ksef/KsefBackend.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHtml.h"
#include "ksef/KsefStream.h"
#include "tests/ksef/KsefTestSupport.h"

#include <QDate>
#include <QFile>
#include <QMap>
#include <QSet>

#include <zip.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

EKsefError failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EKsefError& e) {
        return e;
    }
    ADD_FAILURE() << "the call succeeded where it must fail";
    return EKsefError(QString());
}

// Stored, not compressed: near-identical invoices would otherwise shrink to one part.
void makeZip(const QString& path, const QMap<QString, QByteArray>& files)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(z, nullptr);
    for (auto it = files.begin(); it != files.end(); ++it) {
        zip_source_t* src =
            zip_source_buffer(z, it.value().constData(), static_cast<zip_uint64_t>(it.value().size()), 0);
        const zip_int64_t idx = zip_file_add(z, it.key().toUtf8().constData(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(idx, 0);
        zip_set_file_compression(z, static_cast<zip_uint64_t>(idx), ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(z), 0);
}

QMap<QString, QByteArray> unzip(const QString& path)
{
    QMap<QString, QByteArray> out;
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!z) return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
        QByteArray data(static_cast<qsizetype>(st.size), '\0');
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        out.insert(QString::fromUtf8(st.name), data);
    }
    zip_discard(z);
    return out;
}

// One of sample 1 turned into a purchase: issued by 1111111111 to us, today.
QByteArray purchase(const QString& number)
{
    return PurchaseXml(number);
}

TKsefInvoiceQueryFilters lastMonth(int subjectType)
{
    TKsefInvoiceQueryFilters f;
    f.SubjectType = subjectType;
    f.DateRange.DateType = kdtIssue;
    f.DateRange.From = QDateTime::currentDateTime().addDays(-30);
    f.DateRange.To = QDateTime::currentDateTime().addSecs(60);
    f.DateRange.RestrictToPermanentStorageHwmDate = true;
    return f;
}

} // namespace

TEST_F(KsefStubTest, BatchPackageIsUploadedInEncryptedPartsAndItsInvoicesListedPageByPage)
{
    QMap<QString, QByteArray> files;
    for (int i = 1; i <= 12; ++i)
        files.insert(QStringLiteral("KSeF_FV_%1.xml").arg(100 + i),
                     readFile(CopySample(m_tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"),
                                         QStringLiteral("FV/B/%1").arg(i))));
    const QString zipPath = Tmp(QStringLiteral("KSeF_Fv_2026-12_01.zip"));
    makeZip(zipPath, files);

    auto client = NewClient();
    Login(*client);
    TKsefBackend backend;
    const TKsefBatch batch = client->PrepareBatch(zipPath, zipPath + QStringLiteral(".out"), 10000);
    ASSERT_GE(batch.Parts.size(), 3);
    EXPECT_EQ(batch.Files.size(), 12);
    const TKsefBatchOpening opening = client->OpenBatchSession(batch);
    ASSERT_EQ(opening.PartUploadRequests.size(), batch.Parts.size());
    EXPECT_TRUE(opening.ReferenceNumber.contains(QStringLiteral("-SB-")));
    EXPECT_FALSE(opening.RawResponse.isEmpty());
    for (int i = 0; i < batch.Parts.size(); ++i) {
        auto stream = backend.OpenFileStream(batch.Parts.at(i).FileName, ksmRead);
        client->UploadBatchPart(opening.PartUploadRequests.at(i), *stream);
    }
    client->CloseBatchSession();

    const TKsefSessionStatus status = client->SessionStatus(opening.ReferenceNumber);
    EXPECT_EQ(status.Status.Code, 200) << status.Status.Description.toStdString();
    EXPECT_EQ(status.SuccessfulInvoiceCount, 12);
    QSet<QString> seen;
    QString token;
    int pages = 0;
    do {
        const TKsefSessionInvoices page = client->SessionInvoices(opening.ReferenceNumber, token, 10);
        ++pages;
        for (const TKsefInvoiceStatus& s : page.Invoices) {
            EXPECT_EQ(s.Status.Code, 200) << s.InvoiceFileName.toStdString();
            EXPECT_TRUE(KsefNumberValid(s.KsefNumber));
            seen.insert(s.InvoiceFileName);
        }
        token = page.ContinuationToken;
    } while (!token.isEmpty() && pages < 5);
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(seen, QSet<QString>(files.keyBegin(), files.keyEnd()));
}

TEST_F(KsefStubTest, BatchWithAPartLeftOutIsRefusedAtClosing)
{
    QMap<QString, QByteArray> files;
    for (int i = 1; i <= 4; ++i)
        files.insert(QStringLiteral("KSeF_FV_%1.xml").arg(i),
                     readFile(CopySample(m_tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"),
                                         QStringLiteral("FV/C/%1").arg(i))));
    const QString zipPath = Tmp(QStringLiteral("KSeF_Fv_2026-12_01.zip"));
    makeZip(zipPath, files);
    auto client = NewClient();
    Login(*client);
    const TKsefBatch batch = client->PrepareBatch(zipPath, zipPath + QStringLiteral(".out"), 8000);
    ASSERT_GE(batch.Parts.size(), 2);
    const TKsefBatchOpening opening = client->OpenBatchSession(batch);
    TKsefFileStream first(batch.Parts.first().FileName, ksmRead);
    client->UploadBatchPart(opening.PartUploadRequests.first(), first);
    const EKsefError e = failureOf([&] { client->CloseBatchSession(); });
    EXPECT_EQ(e.ServiceCode(), 21205) << e.Message().toStdString();
    // A part sent to the address of another part is refused by the storage.
    TKsefFileStream second(batch.Parts.at(1).FileName, ksmRead);
    EXPECT_EQ(
        failureOf([&] { client->UploadBatchPart(opening.PartUploadRequests.first(), second); }).HttpStatus(),
        400);
}

TEST(KsefBatch, FileThatIsNotAZipIsNotPrepared)
{
    QTemporaryDir tmp;
    const QString path = CopySample(tmp.path(), QStringLiteral("FA_3_Przykład_1.xml"));
    TKsefClient client;
    const EKsefError e = failureOf([&] { client.PrepareBatch(path, path + QStringLiteral(".out")); });
    EXPECT_TRUE(e.Message().contains(QStringLiteral("nie jest poprawnym archiwum ZIP")))
        << e.Message().toStdString();
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".out")));
}

TEST_F(KsefStubTest, ReceivedInvoicesAreQueriedDownloadedAndShown)
{
    const QString first = m_stub.Seed(purchase(QStringLiteral("ZAK/1")));
    const QString second = m_stub.Seed(purchase(QStringLiteral("ZAK/2")));
    auto client = NewClient();
    Login(*client);

    const TKsefInvoiceQueryResult bought = client->QueryInvoices(lastMonth(kstBuyer), 0, 250, 1);
    ASSERT_EQ(bought.Invoices.size(), 2);
    const TKsefInvoiceMetadata& m = bought.Invoices.first();
    EXPECT_EQ(m.KsefNumber, first);
    EXPECT_EQ(m.InvoiceNumber, QStringLiteral("ZAK/1"));
    EXPECT_EQ(m.SellerNip, QStringLiteral("1111111111"));
    EXPECT_EQ(m.Text(QStringLiteral("seller.name")), QStringLiteral("ABC AGD sp. z o. o."));
    EXPECT_EQ(m.SellerName, m.Text(QStringLiteral("seller.name")));
    EXPECT_EQ(m.IssueDate, QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(m.NetAmount, QStringLiteral("1667.61"));
    EXPECT_EQ(m.VatAmount, QStringLiteral("383.38"));
    EXPECT_EQ(m.GrossAmount, QStringLiteral("2051"));
    EXPECT_EQ(m.Currency, QStringLiteral("PLN"));
    EXPECT_FALSE(bought.RawResponse.isEmpty());
    EXPECT_EQ(client->QueryInvoices(lastMonth(kstSeller), 0, 250, 1).Invoices.size(), 0);

    TKsefBackend backend;
    const QString file = Tmp(first + QStringLiteral(".xml"));
    auto stream = backend.OpenFileStream(file, ksmCreate);
    client->DownloadInvoice(first, *stream, client->CurrentTokens().AccessToken.Token);
    EXPECT_EQ(readFile(file), purchase(QStringLiteral("ZAK/1")));
    auto doc = backend.LoadXmlDocument(QStringLiteral("TlgMSXMLReader"), file);
    auto page = backend.OpenFileStream(file + QStringLiteral(".html"), ksmCreate);
    backend.CreateXslTransformation(QStringLiteral("TlgMSXMLXSLTransformation"))->Transform(*doc, *page);
    const QString html = QString::fromUtf8(readFile(file + QStringLiteral(".html")));
    EXPECT_TRUE(html.contains(first)) << "the page names the KSeF number of the file";
    EXPECT_TRUE(html.contains(QStringLiteral("ZAK/1")));

    const QString unknown = QStringLiteral("1111111111-20261210-000000000000-00");
    TKsefFileStream none(Tmp(unknown + QStringLiteral(".xml")), ksmCreate);
    EXPECT_EQ(failureOf([&] { client->DownloadInvoice(unknown, none); }).ServiceCode(), 21164);
    EXPECT_EQ(readFile(Tmp(unknown + QStringLiteral(".xml"))), QByteArray());
    Q_UNUSED(second);
}

TEST_F(KsefStubTest, ExportOfReceivedInvoicesArrivesAsOneDecryptedPackage)
{
    const QString first = m_stub.Seed(purchase(QStringLiteral("ZAK/1")));
    const QString second = m_stub.Seed(purchase(QStringLiteral("ZAK/2")));
    m_stub.Config(QJsonObject{{"exportPendingPolls", 1}, {"exportPartSize", 2000}});
    auto client = NewClient();
    Login(*client);
    const QString ref = client->StartInvoiceExport(lastMonth(kstBuyer));
    EXPECT_TRUE(ref.contains(QStringLiteral("-EH-")));
    TKsefExportStatus status = client->InvoiceExportStatus(ref);
    EXPECT_EQ(status.Status.Code, 100);
    TKsefBackend backend;
    auto early = backend.OpenFileStream(Tmp(QStringLiteral("early.zip")), ksmCreate);
    EXPECT_FALSE(failureOf([&] { client->DownloadExportPart(status, *early); }).Message().isEmpty());
    status = client->InvoiceExportStatus(ref);
    ASSERT_EQ(status.Status.Code, 200);
    EXPECT_EQ(status.Package.InvoiceCount, 2);
    ASSERT_GE(status.Package.Parts.size(), 2);

    const QString zipPath = Tmp(QStringLiteral("_Paczka2.zip"));
    auto stream = backend.OpenFileStream(zipPath, ksmCreate);
    client->DownloadExportPart(status, *stream);
    const QMap<QString, QByteArray> files = unzip(zipPath);
    QStringList expected{QStringLiteral("_metadata.json"), first + QStringLiteral(".xml"),
                         second + QStringLiteral(".xml")};
    expected.sort();
    EXPECT_EQ(files.keys(), expected);
    EXPECT_EQ(files.value(first + QStringLiteral(".xml")), purchase(QStringLiteral("ZAK/1")));

    // An export this client did not order has no key here.
    TKsefClient other;
    TKsefFileStream foreign(Tmp(QStringLiteral("foreign.zip")), ksmCreate);
    EXPECT_TRUE(failureOf([&] { other.DownloadExportPart(status, foreign); })
                    .Message()
                    .contains(QStringLiteral("nie został zlecony")));
}
