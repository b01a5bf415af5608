// The electronic copy: the dump's blocks, the signature line that binds it to
// the key, and the check that finds a changed file.
#include "printouts/KopiaElektroniczna.h"
#include "core/DbIni.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"
#include "tests/printouts/BulkFixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

class KopiaElektronicznaTest : public BulkTest
{
protected:
    // Writes the copy of every invoice of company 1.
    QString WriteCopy()
    {
        TKopiaElektroniczna ej;
        ej.PrepareSeller();
        const TBulkSql sql = BuildBulkSql(AllOf(bkInvoice, boElectronicCopy));
        auto q = S()->OpenQuery(sql.FullQuery(), sql.Args);
        for (; !q->Eof(); q->Next())
            ej.AddInvoice(S(), *q);
        return ej.Save(QDateTime(QDate(2026, 3, 5), QTime(9, 7, 3)));
    }
    static QString Md5Sum(const QString& path)
    {
        QProcess p;
        p.start(QStringLiteral("md5sum"), {path});
        p.waitForFinished();
        return QString::fromLatin1(p.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0);
    }
};

TEST_F(KopiaElektronicznaTest, DumpIsCodePage1250BlocksAndSignatureBindsItToTheKey)
{
    SetGlobal(QStringLiteral("U_NrLokalu"), QStringLiteral("  "));
    const int user = AddSubscriber(QStringLiteral("Żak"), QStringLiteral("Łucja"), 501);
    AddInvoice(user, QStringLiteral("1/03/2025"),
               {{QStringLiteral("Abonament"),
                 Amount4::fromInt(123),
                 Amount4::fromInt(1),
                 QStringLiteral("23%"),
                 {}}});
    const QString dat = WriteCopy();
    EXPECT_EQ(dat, ExportFolder + QStringLiteral("EJ/EJ_20260305090703.dat"));

    const QByteArray bytes = FileBytes(dat);
    const QStringList lines = QString::fromUtf8(Cp1250ToUtf8(bytes)).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 20);
    const QStringList head = lines.mid(0, 16);
    EXPECT_EQ(head,
              (QStringList{QStringLiteral("---------------- Numer: 1/03/2025"), QStringLiteral("2025-03-01"),
                           QStringLiteral("Sprzedawca"), QStringLiteral("Światłowodowa Sieć Łódź"),
                           QStringLiteral("Sp. z o.o."), QStringLiteral("ul. Żeromskiego 15"),
                           QStringLiteral("90-001 Łódź"), QStringLiteral("NIP 7251234567"),
                           QStringLiteral("Nabywca"), QStringLiteral("Żak"), QStringLiteral("Łucja"),
                           QStringLiteral("Piotrkowska 112/7"), QStringLiteral("90-006 Łódź"),
                           QStringLiteral("NIP "), QStringLiteral("Pozycje -----"),
                           QStringLiteral("| Abonament | szt. | 1 | 100 | 23% | 0 | 123 | 123 |")}))
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Kwota do zapłaty: 123 zł")));
    EXPECT_EQ(lines.value(lines.size() - 3), QString(38, QLatin1Char('-')));
    EXPECT_FALSE(bytes.contains("\xC5\x81")) << "UTF-8 instead of code page 1250";

    const QByteArray sig = FileBytes(ExportFolder + QStringLiteral("EJ/EJ_20260305090703.sig"));
    const QString h = Md5Sum(dat).toUpper();
    ASSERT_EQ(h.size(), 32);
    const QByteArray key("\x5A\x3B\x7E\x22\x0F\x61\x2E\x14\x47\x09", 10);
    const QByteArray u =
        QCryptographicHash::hash(key + h.toLatin1(), QCryptographicHash::Md5).toHex().toUpper();
    EXPECT_EQ(sig, h.toLatin1() + u + "\r\n");
    EXPECT_EQ(TKopiaElektroniczna::Verify(dat), TKopiaElektroniczna::vrValid);
}

TEST_F(KopiaElektronicznaTest, VerificationFindsChangesExactly)
{
    const int user = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 501);
    AddInvoice(user, QStringLiteral("1/03/2025"),
               {{QStringLiteral("Abonament"), Amount4::fromInt(50), {}, QStringLiteral("23%"), {}}});
    struct TCase
    {
        const char* rule;
        std::function<void(const QString& dat, const QString& sig)> spoil;
        TKopiaElektroniczna::TVerifyResult expected;
        const char* text;
    };
    auto rewrite = [](const QString& path, const std::function<void(QByteArray&)>& change) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray b = f.readAll();
        change(b);
        f.resize(0);
        f.seek(0);
        f.write(b);
    };
    const TCase cases[] = {
        {"untouched", [](const QString&, const QString&) {}, TKopiaElektroniczna::vrValid,
         "Weryfikacja pliku dat poprawna"},
        {"one changed byte of the dump",
         [&](const QString& dat, const QString&) {
             rewrite(dat, [](QByteArray& b) { b[40] = char(b[40] ^ 1); });
         },
         TKopiaElektroniczna::vrInvalid, "Niepoprawny wynik weryfikacji pliku dat!"},
        {"lower-case signature",
         [&](const QString&, const QString& sig) { rewrite(sig, [](QByteArray& b) { b = b.toLower(); }); },
         TKopiaElektroniczna::vrInvalid, "Niepoprawny wynik weryfikacji pliku dat!"},
        {"no signature file", [](const QString&, const QString& sig) { QFile::remove(sig); },
         TKopiaElektroniczna::vrError, "Bład przy weryfikacji pliku dat"},
    };
    for (const TCase& c : cases) {
        const QString dat = WriteCopy();
        const QString sig = dat.left(dat.size() - 3) + QStringLiteral("sig");
        c.spoil(dat, sig);
        const auto result = TKopiaElektroniczna::Verify(dat);
        EXPECT_EQ(result, c.expected) << c.rule;
        EXPECT_EQ(TKopiaElektroniczna::VerifyText(result), QString::fromUtf8(c.text)) << c.rule;
    }
    EXPECT_EQ(TKopiaElektroniczna::Verify(QString()), TKopiaElektroniczna::vrError);
}
