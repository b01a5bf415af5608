// The text-variable picker: the lists per kind, descriptions from settings
// kept as typed, and the token handed over through the clipboard.
#include "core/ZmienneTekstowe.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/TextVariables.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

class ZmienneTekstowe : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        DbTest::TearDown();
    }
    static QStringList tokens(const QString& kind)
    {
        QStringList out;
        for (const TTextVariable& v : TextVariableList(kind))
            out << v.Token;
        return out;
    }
    QStringList tableTokens()
    {
        return S()->GetQueryValuesAsList(QStringLiteral("select Z_NAZWA from Zmienne order by Z_INDEX"));
    }
};

TEST_F(ZmienneTekstowe, EachKindListsItsOwnTokens)
{
    struct TCase
    {
        const char* Kind;
        std::vector<const char*> In;
        std::vector<const char*> Out;
    };
    const TCase cases[] = {
        {"User",
         {"<#SALDO>", "<#IPALL>", "<#ZMIENNAUZYTKOWNIKA_7>", "<#NIPODBIORCY>"},
         {"<#UMOWA_NUMER>", "<#IP>"}},
        {"Umowa",
         {"<#UMOWA_NUMER>", "<#UMOWA_ILEMIESIECY>", "<#DATAKONCAUMOWY>"},
         {"<#SALDO>", "<#NUMERRACHUNKU>"}},
        {"Mac",
         {"<#IP>", "<#BLOKUJTXT>", "<#ENTER>", "<#IPALL>", "<#ABONAMENT>"},
         {"<#IDTXT>", "<#SALDO>", "<#PASMOUPNOCUSER>", "<#ABONAMENTSLOWNIE>"}},
        {"Skrypty",
         {"<#IDTXT>", "<#BLOKUJTXT>", "<#ADRESINSTAL_SKR>", "<#FIRMANAZWA>"},
         {"<#ENTER>", "<#IPALL>", "<#MACALL>", "<#SZABLONALL>", "<#MACTYPALLOPER>", "<#SZABLONNAZWAALL>"}},
    };
    for (const TCase& c : cases) {
        const QStringList list = tokens(QString::fromLatin1(c.Kind));
        for (const char* t : c.In)
            EXPECT_TRUE(list.contains(QString::fromLatin1(t))) << c.Kind << " lacks " << t;
        for (const char* t : c.Out)
            EXPECT_FALSE(list.contains(QString::fromLatin1(t))) << c.Kind << " has " << t;
        QStringList unique = list;
        EXPECT_EQ(unique.removeDuplicates(), 0) << c.Kind;
    }
    EXPECT_EQ(tokens(QStringLiteral("User")).size(), 61);
    EXPECT_EQ(tokens(QStringLiteral("Umowa")).size(), 61);
}

TEST_F(ZmienneTekstowe, DescriptionWithApostropheIsStoredAsTyped)
{
    WriteIniString(0, QStringLiteral("ZmiennaTxtOpis3"), QStringLiteral("Kod 'PIN'"));
    FillTextVariableTable(S(), QStringLiteral("Skrypty"));
    EXPECT_EQ(S()->GetQueryValueAsString(
                  QStringLiteral("select Z_OPIS from Zmienne where Z_NAZWA='<#ZMIENNAUZYTKOWNIKA_3>'")),
              QStringLiteral("Kod 'PIN'"));
    EXPECT_EQ(tableTokens(), tokens(QStringLiteral("Skrypty")));
    // A refill replaces the list, for the kind asked.
    FillTextVariableTable(S(), QStringLiteral("Umowa"));
    EXPECT_EQ(tableTokens(), tokens(QStringLiteral("Umowa")));
}

TEST_F(ZmienneTekstowe, InsertPutsTheTokenOnTheClipboardCancelLeavesIt)
{
    QApplication::clipboard()->setText(QStringLiteral("schowek"));
    WriteIniString(0, QStringLiteral("ZmiennaTxtOpis3"), QStringLiteral("Kod 'PIN'"));
    TFormZmienneTekstowe* f = FormZmienneTekstowe();
    QString shownFirst;
    int rows = 0;
    // Anuluj: nothing picked, the clipboard as it was.
    QTimer::singleShot(0, f, [&] {
        rows = f->DBGrid1->model()->rowCount();
        shownFirst = f->DBText1->text();
        QTest::mouseClick(f->BitBtn2, Qt::LeftButton);
    });
    QString token;
    EXPECT_FALSE(TFormZmienneTekstowe::Pick(QStringLiteral("Umowa"), &token));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("schowek"));
    EXPECT_EQ(rows, 61);
    EXPECT_EQ(shownFirst,
              S()->GetQueryValueAsString(QStringLiteral("select Z_NAZWA from Zmienne order by Z_NAZWA")));
    EXPECT_FALSE(f->QZmienne->Active()) << "closed with the window";

    // A double click on a row inserts it, for the kind of this call; the
    // description from the settings shows as typed.
    QString described, clicked;
    QTimer::singleShot(0, f, [&] {
        const QAbstractItemModel* m = f->DBGrid1->model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->index(r, 0).data().toString() == QLatin1String("<#ZMIENNAUZYTKOWNIKA_3>"))
                described = m->index(r, 1).data().toString();
        clicked = m->index(1, 0).data().toString();
        f->DBGrid1->setCurrentIndex(m->index(1, 0));
        emit f->DBGrid1->doubleClicked(m->index(1, 0));
        if (f->isVisible()) f->reject(); // the test fails instead of waiting
    });
    EXPECT_TRUE(TFormZmienneTekstowe::Pick(QStringLiteral("Skrypty"), &token));
    EXPECT_FALSE(clicked.isEmpty());
    EXPECT_EQ(token, clicked);
    EXPECT_EQ(QApplication::clipboard()->text(), token);
    EXPECT_EQ(described, QStringLiteral("Kod 'PIN'"));

    // "Wstaw" takes the current row.
    QTimer::singleShot(0, f, [&] {
        f->QZmienne->Locate(QStringLiteral("Z_NAZWA"), QStringLiteral("<#IDTXT>"));
        EXPECT_EQ(f->DBText1->text(), QStringLiteral("<#IDTXT>"));
        QTest::mouseClick(f->BitBtn1, Qt::LeftButton);
        if (f->isVisible()) f->reject();
    });
    EXPECT_TRUE(TFormZmienneTekstowe::Pick(QStringLiteral("Skrypty"), &token));
    EXPECT_EQ(token, QStringLiteral("<#IDTXT>"));
    EXPECT_TRUE(TMD::Recorded().isEmpty());
}
