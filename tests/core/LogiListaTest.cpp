#include "core/LogiLista.h"

#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/FormEx.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColor>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

TEST(LogListSql, SearchTextAndDateAreBoundValues)
{
    TArgs args;
    TLogListFilter f;
    QString sql = LogListSql(f, args);
    EXPECT_TRUE(args.empty());
    EXPECT_TRUE(sql.startsWith(
        QStringLiteral("select  Log.*, Operator.*, concat(OP_NAZWISKO, ' ', OP_IMIE) as "
                       "OP_NazwiskoImie from Log\r\nleft join Operator on OP_INDEX=LOG_OPERATOR\r\n"
                       " WHERE (1=1) ")));
    EXPECT_TRUE(sql.endsWith(QStringLiteral("order by LOG_DATA desc, LOG_INDEX desc ")));

    f.SkipSystem = true;
    f.SearchText = QStringLiteral("x' or '1'='1 50%");
    f.Date = QDate(2026, 1, 15);
    sql = LogListSql(f, args);
    EXPECT_FALSE(sql.contains(QStringLiteral("x' or"))) << "the text is not in the statement";
    EXPECT_TRUE(sql.contains(QStringLiteral(" and LOG_OPERATOR <> 0  ")));
    ASSERT_EQ(args.size(), 5u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(args[size_t(i)].textValue(), QStringLiteral("%x' or '1'='1 50\\%%"));
    EXPECT_EQ(args[4].textValue(), QStringLiteral("2026-01-15%"));
    EXPECT_TRUE(sql.contains(QStringLiteral(" AND ( LOG_DATA LIKE :p5 ) ")));
}

class LogiListaTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        SetWindowErrorReporter([this](const QString& m) { errors << m; });
        S()->ExecQuery(
            QStringLiteral("insert into Operator set OP_INDEX=11, OP_LOGIN='admin', OP_NAZWISKO='Nowak', "
                           "OP_IMIE='Anna', OP_AKTYWNY='T'"));
        S()->ExecQuery(QStringLiteral("insert into Operator set OP_INDEX=12, OP_LOGIN='kasia', "
                                      "OP_NAZWISKO='Kowalska 2026-01', OP_IMIE='Katarzyna', OP_AKTYWNY='T'"));
        add(0, "2025-12-31 23:59:59", "System: przeliczenie sald");
        add(11, "2026-01-01 08:00:00", "admin : Logowanie do systemu");
        add(0, "2026-01-15 10:00:00", "System: statystyki");
        add(11, "2026-02-02 09:00:00", "admin : Faktura 2026-01/7 skorygowana");
        add(12, "2026-03-03 09:00:00", "kasia : Wydruk umowy");
        add(11, "2026-03-04 09:00:00", "admin : Rabat 50% dla klienta");
        add(11, "2026-03-05 09:00:00", "admin : Wpłata 500 zł");
        add(11, "2026-03-06 09:00:00", "admin : Klient O'Neil, konto_1");
    }
    void TearDown() override
    {
        SetWindowErrorReporter(nullptr);
        DbTest::TearDown();
    }
    void add(int op, const char* at, const char* text)
    {
        S()->ExecQuery(QStringLiteral("insert into Log set LOG_OPERATOR=:p1, LOG_OPERATORUPRAWNIENIA=1, "
                                      "LOG_DATA=:p2, LOG_OPIS=:p3"),
                       {op, at, QString::fromUtf8(text)});
    }
    // The descriptions the grid shows, top to bottom.
    QStringList shown(TFormLogiLista& w)
    {
        QStringList out;
        for (int r = 0; r < w.Model->rowCount(); ++r)
            out << w.Model->index(r, 1).data().toString();
        return out;
    }
    // Opens the window on every date.
    void open(TFormLogiLista& w)
    {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.DateTimePicker1->SetChecked(false);
        w.ButtonOdswiez->click();
    }
    QStringList search(TFormLogiLista& w, const QString& text)
    {
        w.Edit1->setText(text);
        w.ButtonOdswiez->click();
        return shown(w);
    }
    QStringList errors;
};

TEST_F(LogiListaTest, OpensNewestFirstWithCaptionsAndBlueSystemRows)
{
    TFormLogiLista w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Logi v6.14"));
    open(w);
    ASSERT_EQ(w.Model->rowCount(), 8);
    EXPECT_EQ(w.Model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Data"));
    EXPECT_EQ(w.Model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Opis"));
    EXPECT_EQ(w.Model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Operator"));
    EXPECT_EQ(shown(w).first(), QStringLiteral("admin : Klient O'Neil, konto_1"));
    EXPECT_EQ(shown(w).last(), QStringLiteral("System: przeliczenie sald"));
    EXPECT_EQ(w.Model->index(0, 2).data().toString(), QStringLiteral("Nowak Anna"));
    EXPECT_EQ(w.Model->index(7, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
    EXPECT_FALSE(w.Model->index(0, 1).data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(LogiListaTest, SearchMatchesDateTextAndOperatorName)
{
    TFormLogiLista w;
    open(w);
    EXPECT_EQ(search(w, QStringLiteral("2026-01")),
              QStringList({"kasia : Wydruk umowy",                  // operator's surname
                           "admin : Faktura 2026-01/7 skorygowana", // text
                           "System: statystyki",                    // date
                           "admin : Logowanie do systemu"}));       // date
    EXPECT_EQ(search(w, QStringLiteral("katarzyna")), QStringList({"kasia : Wydruk umowy"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(LogiListaTest, SearchTextIsTakenLiterally)
{
    TFormLogiLista w;
    open(w);
    EXPECT_EQ(search(w, QStringLiteral("50%")), QStringList({"admin : Rabat 50% dla klienta"}))
        << "% is no wildcard";
    EXPECT_EQ(search(w, QStringLiteral("_")), QStringList({"admin : Klient O'Neil, konto_1"})) << "nor is _";
    EXPECT_EQ(search(w, QStringLiteral("O'Neil")), QStringList({"admin : Klient O'Neil, konto_1"}))
        << "a pasted apostrophe is just a character";
    EXPECT_TRUE(search(w, QStringLiteral("x' OR '1'='1")).isEmpty());
    EXPECT_TRUE(search(w, QStringLiteral("') or 1=1 -- ")).isEmpty());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(LogiListaTest, SkipSystemRowsAndDateFilter)
{
    TFormLogiLista w;
    open(w);
    w.CheckBox1->setChecked(true);
    w.ButtonOdswiez->click();
    EXPECT_EQ(w.Model->rowCount(), 6);
    EXPECT_FALSE(shown(w).join('|').contains(QStringLiteral("System:")));

    w.DateTimePicker1->SetDate(QDate(2026, 1, 15));
    w.DateTimePicker1->SetChecked(true);
    w.CheckBox1->setChecked(false);
    w.ButtonOdswiez->click();
    EXPECT_EQ(shown(w), QStringList({"System: statystyki"}));

    // Hidden and shown again: the date box is ticked, the date kept.
    w.DateTimePicker1->SetChecked(false);
    w.hide();
    EXPECT_FALSE(w.QLog->Active());
    EXPECT_TRUE(w.DateTimePicker1->Checked());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(shown(w), QStringList({"System: statystyki"}));
}

TEST_F(LogiListaTest, TypingRereadsAfterTheDelay)
{
    TFormLogiLista w;
    open(w);
    EXPECT_FALSE(w.SpeedButtonWyczysc->isEnabled());
    QTest::keyClicks(w.Edit1, QStringLiteral("Ra'bat"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("Rabat")) << "the apostrophe is not typed";
    EXPECT_TRUE(w.SpeedButtonWyczysc->isEnabled());
    EXPECT_TRUE(w.TimerSzukaj->isActive());
    EXPECT_EQ(w.Model->rowCount(), 8) << "not yet";
    QTRY_COMPARE_WITH_TIMEOUT(w.Model->rowCount(), 1, 2000);

    // Typing into the grid goes to the search text; Backspace empties it.
    w.DBGrid1->setFocus();
    QTest::keyClicks(w.DBGrid1, QStringLiteral(" 5"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("Rabat 5"));
    QTest::keyClick(w.DBGrid1, Qt::Key_Backspace);
    EXPECT_EQ(w.Edit1->text(), QString());
    EXPECT_FALSE(w.SpeedButtonWyczysc->isEnabled());
    QTest::keyClick(w.DBGrid1, Qt::Key_Return);
    EXPECT_EQ(w.Model->rowCount(), 8) << "Enter rereads at once";
    EXPECT_FALSE(w.TimerSzukaj->isActive());

    w.Edit1->setText(QStringLiteral("Wydruk"));
    w.SpeedButtonWyczysc->click();
    EXPECT_EQ(w.Edit1->text(), QString());
    EXPECT_EQ(w.Model->rowCount(), 8);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(LogiListaTest, RereadKeepsTheCurrentRow)
{
    TFormLogiLista w;
    open(w);
    w.QLog->Locate(QStringLiteral("LOG_OPIS"), TArg(QStringLiteral("kasia : Wydruk umowy")));
    add(11, "2026-04-01 09:00:00", "admin : nowy wpis");
    w.ButtonOdswiez->click();
    EXPECT_EQ(w.Model->rowCount(), 9);
    EXPECT_EQ(w.QLog->FieldByName(QStringLiteral("LOG_OPIS"))->AsString(),
              QStringLiteral("kasia : Wydruk umowy"));
}

} // namespace
