// Contract documents: numbering per company and period, the protocol numbers,
// the default period, the editor's save in one transaction with the text
// frozen from the template, its failures rolled back, deleting, and the
// list's literal search and filters.
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "mainwindow/UserZakladki.h"
#include "registers/UmowaDodaj.h"
#include "registers/UmowyDane.h"
#include "registers/UmowyLista.h"
#include "tests/support/ContractFixture.h"
#include "tests/support/WindowKeys.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

class Umowy : public ContractDbTest
{
protected:
    TFormUmowaDodaj* f() { return FormUmowaDodaj(); }
    QString col(const char* name, int id)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select %1 from Umowy where UM_INDEX=:p1").arg(QLatin1String(name)), {id});
    }
    void chooseTemplate(int templ) { f()->ComboSzablon->setCurrentIndex(f()->ComboSzablon->findData(templ)); }
    void save() { QTest::mouseClick(f()->BitBtnZapisz, Qt::LeftButton); }
};

const QDate kMarch15(2024, 3, 15);

} // namespace

TEST_F(Umowy, NumberTextByCompanyMasksAndPeriod)
{
    AddPodmiot(1, QStringLiteral("A"));
    AddPodmiot(2, QStringLiteral("B"));
    struct TCase
    {
        TUmowaNumbering n;
        int podmiot;
        const char* text;
    };
    const TCase cases[] = {
        {{QString(), QString(), false, true}, 1, "5/3/2024"},
        {{QString(), QString(), false, true}, 2, "5/B/3/2024"},
        {{QString(), QString(), true, true}, 1, "5/A/3/2024"},
        {{QString(), QString(), false, false}, 1, "5/2024"},
        {{QStringLiteral("U-"), QStringLiteral("-W"), false, true}, 2, "U-5-W/B/3/2024"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(UmowaNumberText(c.n, QStringLiteral("5"), c.podmiot, kMarch15), QString::fromUtf8(c.text));
    const TUmowaNumbering defaults = ReadUmowaNumbering();
    EXPECT_TRUE(defaults.monthly);
    EXPECT_EQ(UmowaNumberText(defaults, QStringLiteral("5"), 1, kMarch15), QStringLiteral("5/3/2024"));
}

TEST_F(Umowy, ContractsAndAnnexesShareTheSequenceOfTheirCompanyAndMonth)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    for (int i = 1; i <= 3; ++i)
        AddDocument(u, i, QStringLiteral("%1/3/2024").arg(i), QDate(2024, 3, i));
    AddDocument(u, 4, QStringLiteral("4/3/2024"), QDate(2024, 3, 9), ukAneks);
    AddDocument(u, 0, QStringLiteral("PZO_123_20240310"), QDate(2024, 3, 10), ukPzo);
    AddDocument(u, 9, QStringLiteral("9/4/2024"), QDate(2024, 4, 2));
    AddDocument(u, 7, QStringLiteral("7/B/3/2024"), QDate(2024, 3, 2), ukUmowa, 0, 2);
    // A carried-over document never counts.
    S()->ExecQuery(
        QStringLiteral("insert into Umowy (UM_INDEX, UM_NUMER, UM_DATAZAWARCIA, UM_PODMIOT) values "
                       "(-3, 50, '2024-03-01', 1)"));
    EXPECT_EQ(NextUmowaNumber(kMarch15, 1, true), 5);
    EXPECT_EQ(NextUmowaNumber(QDate(2024, 5, 1), 1, true), 1);
    EXPECT_EQ(NextUmowaNumber(kMarch15, 2, true), 8);
    EXPECT_EQ(NextUmowaNumber(kMarch15, 1, false), 10);
    EXPECT_TRUE(UmowaNumberTaken(QStringLiteral("2/3/2024"), 1, 0));
    EXPECT_FALSE(UmowaNumberTaken(QStringLiteral("2/3/2024"), 2, 0));
}

TEST_F(Umowy, ProtocolCarriesNoNumberAndNoPeriod)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    const int id = AddDocument(u, 6, QStringLiteral("6/3/2024"), kMarch15);
    S()->ExecQuery(QStringLiteral("update Umowy set UM_DATAKONIEC='2026-03-14' where UM_INDEX=:p1"), {id});
    for (const auto& [kind, text] :
         {std::pair{ukPzo, "PZO_123_20240315"}, std::pair{ukInformacja, "INF_123_20240315"}}) {
        auto q = S()->OpenLiveQuery(QStringLiteral("select * from Umowy where UM_INDEX=:p1"), {id});
        q->Edit();
        q->FieldByName(UM::CZYANEKS)->SetAsInteger(kind);
        ApplyProtocolNumbering(*q, kMarch15);
        q->Post();
        EXPECT_EQ(col("UM_NUMER", id), QStringLiteral("0"));
        EXPECT_EQ(col("UM_NUMERTXT", id), QString::fromLatin1(text));
        EXPECT_EQ(col("UM_DATASTART", id), QString());
        EXPECT_EQ(col("UM_DATAKONIEC", id), QString());
    }
}

TEST_F(Umowy, DefaultPeriodEndsTheDayBeforeTheMonthsAreOver)
{
    EXPECT_EQ(UmowaPeriodEnd(kMarch15, 24), QDate(2026, 3, 14));
    EXPECT_EQ(UmowaPeriodEnd(QDate(2024, 1, 31), 1), QDate(2024, 2, 29));
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 1);
    for (const auto& [setting, end] :
         {std::pair{"24", UmowaPeriodEnd(kMarch15, 24)}, std::pair{"0", QDate()}}) {
        SetGlobal(QStringLiteral("UmowaOkres"), QString::fromLatin1(setting));
        auto q = S()->OpenLiveQuery(QStringLiteral("select * from Umowy where UM_INDEX=0"));
        q->Insert();
        FillNewUmowa(*q, u, kMarch15);
        EXPECT_EQ(q->FieldByName(UM::DATAKONIEC)->AsDate(), end) << setting;
        EXPECT_EQ(q->FieldByName(UM::NUMER)->AsInteger(), 1);
        EXPECT_EQ(q->FieldByName(UM::TYTUL)->AsString(),
                  QStringLiteral("O świadczenie usług dostępu do internetu"));
        q->Cancel();
    }
}

TEST_F(Umowy, CarriedOverDocumentIsNotEdited)
{
    EXPECT_FALSE(EditUmowa(-5));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral(
                              "Umowa przeniesiona bilansem otwarcia. Nie możesz jej drukować ani edytować")});
}

TEST_F(Umowy, NewContractIsNumberedAndFrozenFromItsTemplateAtTheSave)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    const int templ = AddTemplate();
    const QDate today = QDate::currentDate();
    AddDocument(u, 1, QStringLiteral("1/%1/%2").arg(today.month()).arg(today.year()), today);
    QString shown;
    const bool saved = InModal(
        f(), [u] { return AddUmowa(u); },
        [&] {
            EXPECT_EQ(f()->windowTitle(), QStringLiteral("Dodawanie nowej umowy"));
            EXPECT_TRUE(f()->Regenerate());
            f()->CheckRegeneruj->setChecked(false);
            EXPECT_TRUE(f()->Regenerate()) << "a new document always gets its text";
            chooseTemplate(templ);
            EXPECT_EQ(f()->EditTytul->text(), QStringLiteral("Umowa o świadczenie usług"));
            shown = f()->NumberText();
            f()->grab().save(TestOutputDir(QStringLiteral("contracts")) + QStringLiteral("/UmowaDodaj.png"));
            save();
        });
    ASSERT_TRUE(saved);
    EXPECT_EQ(shown, QStringLiteral("2/%1/%2").arg(today.month()).arg(today.year()));
    const int id = S()->GetQueryValueAsInteger(QStringLiteral("select max(UM_INDEX) from Umowy"));
    EXPECT_EQ(col("UM_NUMERTXT", id), shown);
    EXPECT_EQ(col("UM_OPERATORID", id), QStringLiteral("1"));
    const QString text = col("UM_TRESC", id);
    EXPECT_TRUE(text.startsWith(QStringLiteral("{\\rtf1\\ansi\\ansicpg1250")));
    EXPECT_TRUE(text.contains(QStringLiteral("Umowa nr ") + shown)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Kowalski Jan")));
    EXPECT_FALSE(text.contains(QStringLiteral("<#")));
    EXPECT_TRUE(col("UM_KLIENTTXT", id).contains(QStringLiteral("Piotrkowska")))
        << col("UM_KLIENTTXT", id).toStdString();
    EXPECT_EQ(col("UM_ODBIORCATXT", id), col("UM_KLIENTTXT", id));
    EXPECT_FALSE(S()->IsQueryEmpty(QStringLiteral("select 1 from Log where LOG_OPIS like :p1"),
                                   {QStringLiteral("%Dodanie umowy ID=%1 dla użytkownika nr 123%").arg(id)}));
}

TEST_F(Umowy, CancelledNewContractLeavesNoRow)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    EXPECT_FALSE(InModal(
        f(), [u] { return AddUmowa(u); },
        [&] {
            RetypeField(f()->EditOpis, QStringLiteral("do anulowania"));
            QTest::mouseClick(f()->BitBtnAnuluj, Qt::LeftButton);
        }));
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Umowy")), 0);
    EXPECT_FALSE(S()->InTransaction());
}

TEST_F(Umowy, ProtocolSavedFromTheEditorHasTheCustomerAndDateInItsNumber)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    ASSERT_TRUE(InModal(
        f(), [u] { return AddUmowa(u); },
        [&] {
            f()->Typ->button(ukPzo)->click();
            EXPECT_FALSE(f()->EditNumer->isEnabled());
            EXPECT_FALSE(f()->DataStart->isEnabled());
            EXPECT_TRUE(f()->ComboDoUmowy->isEnabled());
            save();
        }));
    auto q = S()->OpenQuery(QStringLiteral("select * from Umowy"));
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName(UM::NUMER)->AsInteger(), 0);
    EXPECT_EQ(q->FieldByName(UM::NUMERTXT)->AsString(),
              QStringLiteral("PZO_123_") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    EXPECT_EQ(q->FieldByName(UM::DATASTART)->AsString(), QString());
    EXPECT_EQ(q->FieldByName(UM::DATAKONIEC)->AsString(), QString());
}

TEST_F(Umowy, FailingSaveIsRolledBackAndShownNeverLeftOpen)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    S()->ExecQuery(QStringLiteral("create trigger UmowyOdmowa before insert on Umowy for each row "
                                  "signal sqlstate '45000' set message_text = 'zapis odrzucony'"));
    EXPECT_FALSE(InModal(
        f(), [u] { return AddUmowa(u); }, [&] { save(); }));
    EXPECT_FALSE(S()->InTransaction());
    ASSERT_FALSE(Messages().isEmpty());
    EXPECT_TRUE(Messages().first().startsWith(QStringLiteral("Nie udało się zapisać umowy.")))
        << Messages().first().toStdString();
    EXPECT_TRUE(Messages().first().contains(QStringLiteral("zapis odrzucony")));
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Umowy")), 0);
}

TEST_F(Umowy, FailingTextWriteKeepsTheOldTextAndTheOldDocument)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    const int templ = AddTemplate();
    const int id = AddDocument(u, 1, QStringLiteral("1/3/2024"), kMarch15, ukUmowa, templ);
    S()->ExecQuery(
        QStringLiteral("update Umowy set UM_TRESC='stara treść', UM_OPIS='stary opis' where UM_INDEX=:p1"),
        {id});
    S()->ExecQuery(
        QStringLiteral("create trigger UmowyTresc before update on Umowy for each row begin if "
                       "NEW.UM_TRESC<>OLD.UM_TRESC then signal sqlstate '45000' set message_text = "
                       "'treść odrzucona'; end if; end"));
    EXPECT_FALSE(InModal(
        f(), [id] { return EditUmowa(id); },
        [&] {
            RetypeField(f()->EditOpis, QStringLiteral("nowy opis"));
            EXPECT_TRUE(f()->Regenerate()) << "a change asks for the text anew";
            save();
        }));
    EXPECT_EQ(col("UM_TRESC", id), QStringLiteral("stara treść"));
    EXPECT_EQ(col("UM_OPIS", id), QStringLiteral("stary opis"));
    EXPECT_FALSE(S()->InTransaction());

    // An expansion that fails writes nothing at all.
    S()->ExecQuery(QStringLiteral("drop trigger UmowyTresc"));
    {
        TTransactionGuard guard(S());
        EXPECT_THROW(UpdateUmowaText(id,
                                     [](int, const QString& t) -> QString {
                                         if (t.isEmpty())
                                             throw EDatabaseError(QStringLiteral("brak zmiennej"));
                                         return t;
                                     }),
                     EDatabaseError);
    }
    EXPECT_EQ(col("UM_TRESC", id), QStringLiteral("stara treść"));
}

TEST_F(Umowy, UnchangedEditWithoutRegenerationKeepsTextAndStoredPrintout)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    const int templ = AddTemplate();
    const int id = AddDocument(u, 1, QStringLiteral("1/3/2024"), kMarch15, ukUmowa, templ);
    S()->ExecQuery(QStringLiteral("update Umowy set UM_TRESC='zamrożona' where UM_INDEX=:p1"), {id});
    InsertRow(S(), "MagazynBlob", {{"MB_PRIV", 0}, {"MB_NAZWA", QStringLiteral("UmowaID%1").arg(id)}});
    ASSERT_TRUE(InModal(
        f(), [id] { return EditUmowa(id); },
        [&] {
            EXPECT_EQ(f()->windowTitle(), QStringLiteral("Edycja umowy"));
            EXPECT_FALSE(f()->Regenerate());
            EXPECT_EQ(f()->NumberText(), QStringLiteral("1/3/2024"));
            save();
        }));
    EXPECT_EQ(col("UM_TRESC", id), QStringLiteral("zamrożona"));
    EXPECT_TRUE(HasStoredUmowaPrintout(id));

    // Regenerated, the stored printout goes.
    ASSERT_TRUE(InModal(
        f(), [id] { return EditUmowa(id); },
        [&] {
            f()->CheckRegeneruj->setChecked(true);
            save();
        }));
    EXPECT_TRUE(col("UM_TRESC", id).startsWith(QStringLiteral("{\\rtf")));
    EXPECT_FALSE(HasStoredUmowaPrintout(id));
}

TEST_F(Umowy, ConclusionInAnotherMonthRenumbers)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    AddDocument(u, 1, QStringLiteral("1/4/2024"), QDate(2024, 4, 3));
    AddDocument(u, 2, QStringLiteral("2/4/2024"), QDate(2024, 4, 4));
    const int id = AddDocument(u, 5, QStringLiteral("5/3/2024"), kMarch15);
    ASSERT_TRUE(InModal(
        f(), [id] { return EditUmowa(id); },
        [&] {
            f()->DataZawarcia->SetDate(QDate(2024, 4, 20));
            save();
        }));
    EXPECT_EQ(col("UM_NUMERTXT", id), QStringLiteral("3/4/2024"));
    EXPECT_EQ(col("UM_DATAZAWARCIA", id), QStringLiteral("2024-04-20"));
}

TEST_F(Umowy, DeleteAsksAndTakesTheStoredPrintoutWithIt)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    const int id = AddDocument(u, 1, QStringLiteral("1/3/2024"), kMarch15);
    InsertRow(S(), "MagazynBlob", {{"MB_PRIV", 0}, {"MB_NAZWA", QStringLiteral("UmowaID%1").arg(id)}});
    m_answer = mrNo;
    EXPECT_FALSE(DeleteUmowa(id));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Czy usunąć wybrnaną umowę?")});
    m_answer = mrYes;
    EXPECT_TRUE(DeleteUmowa(id));
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Umowy")), 0);
    EXPECT_FALSE(HasStoredUmowaPrintout(id));
}

TEST_F(Umowy, SearchMatchesApostropheAndPercentLiterally)
{
    const int obrien = AddSubscriber(QStringLiteral("O'Brien"), QStringLiteral("Sean"), 1);
    const int oxbrien = AddSubscriber(QStringLiteral("OxBrien"), QStringLiteral("Sean"), 2);
    const int fifty = AddSubscriber(QStringLiteral("Rabat 50%"), QStringLiteral("Firma"), 3);
    const int five = AddSubscriber(QStringLiteral("Rabat 500"), QStringLiteral("Firma"), 4);
    for (int u : {obrien, oxbrien, fifty, five})
        AddDocument(u, u, QStringLiteral("%1/3/2024").arg(u), kMarch15);
    const auto found = [this](const QString& text) {
        TUmowyListFilter filter;
        filter.SearchText = text;
        TArgs args;
        const QString where = UmowyListWhere(filter, args);
        return S()->GetQueryValuesAsList(QStringLiteral("select UM_User from vUmowyLista ") + where, args);
    };
    EXPECT_EQ(found(QStringLiteral("O'Brien")), QStringList{QStringLiteral("O'Brien Sean")});
    EXPECT_EQ(found(QStringLiteral("50%")), QStringList{QStringLiteral("Rabat 50% Firma")});
    EXPECT_EQ(found(QStringLiteral("O_Brien")), QStringList());
    EXPECT_EQ(found(QStringLiteral("') or (1=1")), QStringList());
}

TEST_F(Umowy, ListSwallowsTheApostropheAndFindsDocumentsEndingToday)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 123);
    const QDate today = QDate::currentDate();
    const int ending = AddDocument(u, 1, QStringLiteral("1/x"), today.addDays(-10));
    const int later = AddDocument(u, 2, QStringLiteral("2/x"), today.addDays(-9));
    AddDocument(u, 3, QStringLiteral("3/x"), today.addYears(-5));
    S()->ExecQuery(QStringLiteral("update Umowy set UM_DATAKONIEC=CURDATE() where UM_INDEX=:p1"), {ending});
    S()->ExecQuery(
        QStringLiteral("update Umowy set UM_DATAKONIEC=CURDATE() + interval 2 day where UM_INDEX=:p1"),
        {later});
    TFormUmowyLista* list = FormUmowyLista();
    list->show();
    EXPECT_EQ(list->Query->RecordCount(), 2) << "the default range covers three years back";
    QTest::keyClicks(list->EditSzukaj, QStringLiteral("'"));
    QTest::keyClick(list->Grid, '\'');
    EXPECT_EQ(list->EditSzukaj->text(), QString());
    list->SpinDni->setValue(0);
    list->CheckKonczace->setChecked(true);
    EXPECT_EQ(list->Query->RecordCount(), 1);
    EXPECT_EQ(list->CurrentKey(), ending);
    EXPECT_EQ(list->LabelIlosc->text(), QStringLiteral("Umów: 1"));
    list->grab().save(TestOutputDir(QStringLiteral("contracts")) + QStringLiteral("/UmowyLista.png"));
    list->CheckKonczace->setChecked(false);
    list->hide();
    EXPECT_FALSE(list->Query->Active());
}
