// Service orders: the number per month or year, the new order written at
// once and gone again on "Anuluj", the checks at "Zapisz", the technician's
// SMS, the list's limit and literal search, and the technician's e-mail refusals.
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "registers/RegistersHooks.h"
#include "registers/ZleceniaDane.h"
#include "registers/ZleceniaLista.h"
#include "registers/ZlecenieDodaj.h"
#include "tests/support/ContractFixture.h"
#include "tests/support/WindowKeys.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

class Zlecenia : public ContractDbTest
{
protected:
    void SetUp() override
    {
        ContractDbTest::SetUp();
        if (HasFatalFailure()) return;
        m_technician = InsertRow(S(), "Operator",
                                 {{"OP_LOGIN", "serwis"},
                                  {"OP_AKTYWNY", "A"},
                                  {"OP_NAZWISKO", "Serwisant"},
                                  {"OP_IMIE", "Tomasz"},
                                  {"OP_TELEFON", "600100200"},
                                  {"OP_EMAIL", ""}});
        SetGlobal(QStringLiteral("SMSOtwarcieZleceniaSerwisant"), QStringLiteral("0"));
    }
    void TearDown() override
    {
        SendSmsHook = nullptr;
        ContractDbTest::TearDown();
    }
    TFormZlecenieDodaj* f() { return FormZlecenieDodaj(); }
    int AddOrder(int user, int number, const QDate& registered, const TRowValues& more = {})
    {
        TRowValues v{{"ZS_INDEXUSER", user},
                     {"ZS_NUMER", number},
                     {"ZS_NUMERTXT",
                      QStringLiteral("%1/%2/%3").arg(number).arg(registered.month()).arg(registered.year())},
                     {"ZS_DATAREJESTRACJI", registered.toString(Qt::ISODate)},
                     {"ZS_ZAKRES", "Wymiana routera"}};
        v.insert(v.end(), more.begin(), more.end());
        return InsertRow(S(), "ZleceniaSerwisowe", v);
    }
    void chooseTechnician() { f()->ComboWykonal->setCurrentIndex(f()->ComboWykonal->findData(m_technician)); }
    int m_technician = 0;
};

} // namespace

TEST_F(Zlecenia, NumberFollowsTheMonthOrTheYearOfRegistration)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 1);
    AddOrder(u, 1, QDate(2024, 3, 2));
    AddOrder(u, 2, QDate(2024, 3, 9));
    AddOrder(u, 7, QDate(2024, 2, 9));
    struct TCase
    {
        QDate date;
        bool monthly;
        const char* text;
    };
    const TCase cases[] = {{QDate(2024, 3, 15), true, "3/3/2024"},
                           {QDate(2024, 4, 1), true, "1/4/2024"},
                           {QDate(2024, 3, 15), false, "8/2024"}};
    for (const TCase& c : cases)
        EXPECT_EQ(
            ZlecenieNumberText(QString::number(NextZlecenieNumber(c.date, c.monthly)), c.date, c.monthly),
            QString::fromLatin1(c.text));
    EXPECT_TRUE(ZlecenieNumberTaken(QStringLiteral("2/3/2024"), 0));
}

TEST_F(Zlecenia, CancelledNewOrderLeavesNoRow)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 1);
    int rowsWhileOpen = -1;
    EXPECT_FALSE(InModal(
        f(), [u] { return AddZlecenie(u); },
        [&] {
            EXPECT_EQ(f()->windowTitle(), QStringLiteral("Dodawanie nowego zlecenia"));
            rowsWhileOpen =
                S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from ZleceniaSerwisowe"));
            QTest::mouseClick(f()->BitBtnAnuluj, Qt::LeftButton);
        }));
    EXPECT_EQ(rowsWhileOpen, 1) << "the new order is written at once, inside the transaction";
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from ZleceniaSerwisowe")), 0);
}

TEST_F(Zlecenia, ClosedOrderNeedsItsTechnicianAndTheTechnicianGetsTheFiveLines)
{
    SetGlobal(QStringLiteral("SMSOtwarcieZleceniaSerwisant"), QStringLiteral("1"));
    QStringList sent;
    SendSmsHook = [&sent](const QString& phone, const QString& text, int user) {
        sent << phone << text << QString::number(user);
    };
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 1);
    S()->ExecQuery(QStringLiteral("update Userdb set U_TEL1='601', U_TEL2='602' where U_INDEX=:p1"), {u});
    QStringList refusals;
    bool openAfterRefusal = false;
    QString number;
    ASSERT_TRUE(InModal(
        f(), [u] { return AddZlecenie(u); },
        [&] {
            number = f()->NumberText();
            QTest::mouseClick(f()->BitBtnZapisz, Qt::LeftButton);
            f()->MemoZakres->setPlainText(QStringLiteral("Wymiana routera\r\nna nowy"));
            f()->DataZakonczenia->SetChecked(true);
            QTest::mouseClick(f()->BitBtnZapisz, Qt::LeftButton);
            openAfterRefusal = f()->isVisible();
            for (const TMD::Shown& s : TMD::Recorded())
                refusals << s.text;
            EXPECT_EQ(f()->focusWidget(), f()->ComboWykonal);
            chooseTechnician();
            QTest::mouseClick(f()->BitBtnZapisz, Qt::LeftButton);
        }));
    EXPECT_EQ(refusals, QStringList({QStringLiteral("Proszę uzupełnić zakres zlecenia"),
                                     QStringLiteral("Proszę wpisać osobę która wykonała zlecenie")}));
    EXPECT_TRUE(openAfterRefusal);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(number, QStringLiteral("1/%1/%2").arg(today.month()).arg(today.year()));
    auto q = S()->OpenQuery(QStringLiteral("select * from ZleceniaSerwisowe"));
    ASSERT_EQ(q->RecordCount(), 1);
    const int id = q->FieldByName(ZS::INDEX)->AsInteger();
    EXPECT_EQ(q->FieldByName(ZS::WYKONAL)->AsInteger(), m_technician);
    EXPECT_EQ(q->FieldByName(ZS::DATAZAKONCZENIA)->AsDate(), today);
    EXPECT_EQ(q->FieldByName(ZS::PRZYJAL)->AsInteger(), 1);
    const QString text = MakeZlecenieText(id);
    EXPECT_EQ(text, number + QStringLiteral(" (") + today.toString(Qt::ISODate) +
                        QStringLiteral(")\r\nKowalski Jan\r\n") +
                        S()->GetQueryValueAsString(
                            QStringLiteral("select vU_ADR_Adres from vUserdb where U_INDEX=:p1"), {u}) +
                        QStringLiteral("\r\n601 602\r\nWymiana routera\nna nowy\r\n"));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 5);
    EXPECT_EQ(sent, QStringList({QStringLiteral("600100200"), text, QStringLiteral("0")}));
}

TEST_F(Zlecenia, ListStopsAtItsLimitAndSearchesLiterally)
{
    const int u = AddSubscriber(QStringLiteral("Rabat 50%"), QStringLiteral("Firma"), 1);
    const int v = AddSubscriber(QStringLiteral("Rabat 500"), QStringLiteral("Firma"), 2);
    AddOrder(v, 1, QDate::currentDate());
    S()->ExecQuery(QStringLiteral("insert into ZleceniaSerwisowe (ZS_INDEXUSER, ZS_NUMER, ZS_NUMERTXT, "
                                  "ZS_DATAREJESTRACJI, ZS_ZAKRES) select :p1, seq, seq, CURDATE(), 'x' from "
                                  "seq_1_to_16400"),
                   {u});
    TFormZleceniaLista* list = FormZleceniaLista();
    list->show();
    EXPECT_EQ(list->Query->RecordCount(), kZleceniaListLimit);
    EXPECT_EQ(list->LabelIlosc->text(), QStringLiteral("Zleceń 16401"));
    list->hide();

    TZleceniaListFilter filter;
    filter.SearchText = QStringLiteral("Rabat 500");
    TArgs args;
    const QString where = ZleceniaListWhere(filter, args);
    EXPECT_EQ(
        S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from vZleceniaLista ") + where, args), 1);
    filter.SearchText = QStringLiteral("Rabat 50%");
    const QString literal = ZleceniaListWhere(filter, args);
    EXPECT_EQ(
        S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from vZleceniaLista ") + literal, args),
        16400);
}

TEST_F(Zlecenia, TechnicianMailNeedsATechnicianAndHisAddress)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 1);
    const int none = AddOrder(u, 1, QDate::currentDate());
    const int noAddress = AddOrder(u, 2, QDate::currentDate(), {{"ZS_WYKONAL", m_technician}});
    SendZlecenieToTechnician(none);
    SendZlecenieToTechnician(noAddress);
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("Nie przypisano serwisanta wykonującego zlecenie"),
                                       QStringLiteral("Brak adresu email serwisanta")}));
}

TEST_F(Zlecenia, DeleteAsksFirst)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 1);
    const int id = AddOrder(u, 1, QDate::currentDate());
    m_answer = mrNo;
    EXPECT_FALSE(DeleteZlecenie(id));
    m_answer = mrYes;
    EXPECT_TRUE(DeleteZlecenie(id));
    EXPECT_EQ(Messages().first(), QStringLiteral("Czy usunąć wybrnane zlecenie usługi?"));
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from ZleceniaSerwisowe")), 0);
}
