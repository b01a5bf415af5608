// The company lookup's hand-over with a stand-in Ferlo: a small script in a
// program folder of the test's own that answers at once, late, short, with
// an empty name, or never.
#include "mainwindow/FerloHandOver.h"
#include "billing/SaldoBazy.h"
#include "core/DialogPL.h"
#include "core/Session.h"
#include "mainwindow/UserDodaj.h"
#include "tests/support/DeskSession.h"
#include "tests/support/RowInsert.h"
#include "tests/support/TestDb.h"
#include "tests/support/WindowKeys.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <optional>

namespace {

const QByteArray kCompany =
    "A &amp;amp; B Sp. z o.o.\r\nWarszawa\r\n00-950\r\nLipowa\r\n12\r\n3\r\n5260001246\r\n"
    "123456789\r\n";

} // namespace

class FerloHandOver : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QLatin1Char('/');
        PrepareDesk(m_dir.path());
        m_session.emplace(AdminSignedIn());
    }
    void TearDown() override
    {
        TSaldoBazy::WaitAll(20000);
        LeaveDesk();
        m_session.reset();
        DbTest::TearDown();
    }
    // The stand-in: notes its argument, waits, then writes the answer beside itself.
    void fakeFerlo(const QByteArray& answer, const char* delay = "0")
    {
        write(QStringLiteral("answer.txt"), answer);
        write(QStringLiteral("Ferlo"),
              QByteArray("#!/bin/sh\ncd \"$(dirname \"$0\")\"\nprintf '%s' \"$1\" > args.txt\n"
                         "sleep ") +
                  delay +
                  "\n[ -s answer.txt ] && cp answer.txt param.part && mv param.part "
                  "param.tmp\nexit 0\n");
        QFile::setPermissions(m_folder + QStringLiteral("Ferlo"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(m_folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name)
    {
        QFile f(m_folder + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The program started: its argument file appears.
    QByteArray sentArgument()
    {
        for (int i = 0; i < 50 && !QFile::exists(m_folder + QStringLiteral("args.txt")); ++i)
            QTest::qWait(20);
        return read(QStringLiteral("args.txt"));
    }
    TCompanyLookup lookup(const QString& nip, TCompanyRecord* c)
    {
        return LookupCompanyByNip(nip, c, [](int ms) { QTest::qWait(ms); });
    }
    QStringList messages() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    QTemporaryDir m_dir;
    QString m_folder;
    std::optional<TScopedSession> m_session;
};

TEST_F(FerloHandOver, SendsTheAccessCodeAndTheDigitsOnly)
{
    fakeFerlo(kCompany);
    TCompanyRecord c;
    EXPECT_EQ(lookup(QStringLiteral("PL 526-000-12-46"), &c), TCompanyLookup::Found);
    EXPECT_EQ(sentArgument(), QByteArray("47295260001246"));
    QFile::remove(m_folder + QStringLiteral("args.txt"));
    lookup(QString(), &c);
    EXPECT_EQ(sentArgument(), QByteArray("4729"));
    EXPECT_EQ(FerloArguments(QStringLiteral("PL 526-000-12-46")),
              QStringList{QStringLiteral("47295260001246")});
}

TEST_F(FerloHandOver, DoublyEscapedAmpersandArrivesSingle)
{
    fakeFerlo(kCompany);
    TCompanyRecord c;
    ASSERT_EQ(lookup(QStringLiteral("5260001246"), &c), TCompanyLookup::Found);
    EXPECT_EQ(c.Name, QStringLiteral("A & B Sp. z o.o."));
    EXPECT_EQ(c.Town, QStringLiteral("Warszawa"));
    EXPECT_EQ(c.Flat, QStringLiteral("3"));
    EXPECT_EQ(c.Regon, QStringLiteral("123456789"));
    EXPECT_FALSE(QFile::exists(HandOverFilePath())) << "the answer is taken away";
}

TEST_F(FerloHandOver, NoWholeAnswerInTimeIsNoAnswer)
{
    struct TCase
    {
        const char* What;
        QByteArray Answer;
        const char* Delay;
    };
    const TCase cases[] = {
        {"never", QByteArray(), "0"},
        {"late", kCompany, "2.5"},
        {"short", "A\r\nWarszawa\r\n00-950\r\nLipowa\r\n12\r\n", "0"},
    };
    for (const TCase& c : cases) {
        fakeFerlo(c.Answer, c.Delay);
        TCompanyRecord company;
        company.Name = QStringLiteral("bez zmian");
        EXPECT_EQ(lookup(QStringLiteral("5260001246"), &company), TCompanyLookup::NoAnswer) << c.What;
        EXPECT_EQ(company.Name, QStringLiteral("bez zmian")) << c.What;
    }
    QFile::remove(m_folder + QStringLiteral("Ferlo"));
    TCompanyRecord company;
    EXPECT_EQ(lookup(QStringLiteral("5260001246"), &company), TCompanyLookup::NoAnswer) << "no program";
}

TEST_F(FerloHandOver, StaleFileIsNeverTakenAsTheAnswer)
{
    write(QStringLiteral("param.tmp"), "STARA\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\n");
    fakeFerlo(QByteArray());
    TCompanyRecord c;
    EXPECT_EQ(lookup(QStringLiteral("5260001246"), &c), TCompanyLookup::NoAnswer);
    EXPECT_FALSE(QFile::exists(HandOverFilePath()));
    write(QStringLiteral("param.tmp"), "STARA\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\n");
    fakeFerlo(kCompany, "0.3");
    ASSERT_EQ(lookup(QStringLiteral("5260001246"), &c), TCompanyLookup::Found);
    EXPECT_EQ(c.Name, QStringLiteral("A & B Sp. z o.o."));
}

TEST_F(FerloHandOver, EditorFillsTheAddressAndTheCompanyFlag)
{
    const int id = InsertRow(S(), "Userdb", {{"U_NRKLIENTA", 1}, {"U_NAZWISKO", "Stara nazwa"}});
    fakeFerlo(kCompany, "0.2");
    TFormUserDodaj* f = FormUserDodaj();
    bool disabledMeanwhile = false;
    QTimer::singleShot(0, f, [&] {
        RetypeField(f->Edit(QStringLiteral("U_NIP")), QStringLiteral("526-000-12-46"));
        QTimer::singleShot(50, f, [&] { disabledMeanwhile = !f->SpeedButtonNip->isEnabled(); });
        QTest::mouseClick(f->SpeedButtonNip, Qt::LeftButton);
        EXPECT_TRUE(f->SpeedButtonNip->isEnabled());
        EXPECT_EQ(f->Edit(QStringLiteral("U_NAZWISKO"))->text(), QStringLiteral("A & B Sp. z o.o."));
        EXPECT_EQ(f->Edit(QStringLiteral("U_ADR_POCZTA"))->text(), QStringLiteral("Warszawa"));
        EXPECT_TRUE(f->Check(QStringLiteral("U_CZYFIRMA"))->isChecked());
        // The correspondence lookup fills its own address and never the flag.
        f->Check(QStringLiteral("U_CZYFIRMA"))->setChecked(false);
        QTest::mouseClick(f->SpeedButtonNip2, Qt::LeftButton);
        EXPECT_EQ(f->Edit(QStringLiteral("U_KOR_NAZWA"))->text(), QStringLiteral("A & B Sp. z o.o."));
        EXPECT_EQ(f->Edit(QStringLiteral("U_KOR_MIEJSCOWOSC"))->text(), QStringLiteral("Warszawa"));
        EXPECT_EQ(f->Edit(QStringLiteral("U_KOR_KOD"))->text(), QStringLiteral("00-950"));
        EXPECT_FALSE(f->Check(QStringLiteral("U_CZYFIRMA"))->isChecked());
        // An empty name: the operator is told, nothing changes.
        fakeFerlo("\r\n\r\n\r\n\r\n\r\n\r\n\r\n123456789\r\n");
        QTest::mouseClick(f->SpeedButtonNip, Qt::LeftButton);
        EXPECT_EQ(f->Edit(QStringLiteral("U_NAZWISKO"))->text(), QStringLiteral("A & B Sp. z o.o."));
        EXPECT_FALSE(f->Check(QStringLiteral("U_CZYFIRMA"))->isChecked());
        QTest::mouseClick(f->BitBtnZapisz, Qt::LeftButton);
    });
    EXPECT_TRUE(EditUser(id));
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(messages().contains(QStringLiteral("Numer NIP nie występuje w rejestrze FERLO")));
    EXPECT_EQ(S()->GetQueryValueAsString(
                  QStringLiteral("select concat_ws('|', U_NAZWISKO, U_ADR_ULICA, U_ADR_NRDOMU, "
                                 "U_ADR_NRLOKALU, U_CZYFIRMA) from Userdb where U_INDEX=:p1"),
                  {id}),
              QStringLiteral("A & B Sp. z o.o.|Lipowa|12|3|0"));
}

TEST_F(FerloHandOver, ShortRegonLeavesTheFlag)
{
    const int id = InsertRow(S(), "Userdb", {{"U_NRKLIENTA", 1}, {"U_NAZWISKO", "X"}});
    fakeFerlo("Firma\r\nWarszawa\r\n00-950\r\nLipowa\r\n12\r\n\r\n5260001246\r\n123456\r\n");
    TFormUserDodaj* f = FormUserDodaj();
    bool flag = true;
    QTimer::singleShot(0, f, [&] {
        QTest::mouseClick(f->SpeedButtonNip, Qt::LeftButton);
        flag = f->Check(QStringLiteral("U_CZYFIRMA"))->isChecked();
        f->reject();
    });
    EXPECT_FALSE(EditUser(id));
    EXPECT_FALSE(flag);
}
