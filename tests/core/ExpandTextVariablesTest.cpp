// Text variables filled from a subscriber, a contract or a device: formats,
// the groups each kind may use, re-scanning of inserted values and the limit
// that makes every expansion end.
#include "core/DbIni.h"
#include "core/KwotaSlownie.h"
#include "core/ProgramHooks.h"
#include "core/Session.h"
#include "core/TextVariables.h"
#include "tests/support/RowInsert.h"
#include "tests/support/TestDb.h"

#include <QRandomGenerator>
#include <QScopeGuard>

class ExpandTextVariables : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        ASSERT_FALSE(HasFatalFailure());
        m_user = InsertRow(S(), "Userdb",
                           {{"U_NRKLIENTA", 45},
                            {"U_NAZWISKO", "Nowak"},
                            {"U_IMIE", "Anna"},
                            {"U_NIP", "5260001246"},
                            {"U_ADR_ULICA", "Lipowa"},
                            {"U_ADR_NRDOMU", "12"},
                            {"U_ADR_NRLOKALU", "3"},
                            {"U_ADR_KOD", "05-500"},
                            {"U_ADR_MIEJSCOWOSC", "Wólka"},
                            {"U_ADR_POCZTA", "Piaseczno"},
                            {"U_CZYADRESDOKORESP", 0},
                            {"U_SALDO", "-12.30"},
                            {"U_KWOTAABONAMENTU", "49.99"},
                            {"U_TEL1", "601202303"},
                            {"U_NOTATKA", "x <#NIP>"}});
    }
    QString expand(const QString& kind, int id, const QString& text)
    {
        return ::ExpandTextVariables(kind, id, text);
    }
    int m_user = 0;
};

struct TNumberCase
{
    int Number;
    const char* Text;
};

TEST_F(ExpandTextVariables, CustomerNumberIsPaddedToFourDigits)
{
    for (const TNumberCase& c : {TNumberCase{7, "0007"}, TNumberCase{45, "0045"}, TNumberCase{999, "0999"},
                                 TNumberCase{1234, "1234"}}) {
        S()->ExecQuery(QStringLiteral("update Userdb set U_NRKLIENTA=:p1 where U_INDEX=:p2"),
                       {c.Number, m_user});
        EXPECT_EQ(expand(QStringLiteral("User"), m_user, QStringLiteral("nr <#NRKLIENTA>.")),
                  QStringLiteral("nr %1.").arg(QLatin1String(c.Text)));
    }
}

TEST_F(ExpandTextVariables, SubscriberTokensInTheirFormats)
{
    S()->ExecQuery(QStringLiteral("insert into Oplaty set O_INDEXUSER=:p1, O_KWOTA=:p2, O_DATAWPLATY=:p3"),
                   {m_user, "1234.5", "2024-03-05"});
    S()->ExecQuery(QStringLiteral("insert into Oplaty set O_INDEXUSER=:p1, O_KWOTA=:p2, O_DATAWPLATY=:p3"),
                   {m_user, "10", "2024-01-05"});
    struct TCase
    {
        const char* Template;
        QString Expected;
    };
    const TCase cases[] = {
        {"<#USERNAZWA>", QStringLiteral("Nowak Anna")},
        {"<#SALDO>|<#ABONAMENT>", QStringLiteral("-12,30|49,99")},
        {"<#ABONAMENTSLOWNIE>", AmountInWords(Amount4::fromRaw(499900))},
        {"<#ADRES>", QStringLiteral("Lipowa 12/3, 05-500 Wólka")},
        // Town and post office differ: the postal form names the town first.
        {"<#ADRESKORESP>", QStringLiteral("Wólka, Lipowa 12/3, 05-500 Piaseczno")},
        {"<#ADRESINSTAL>", QStringLiteral("Lipowa 12/3, 05-500 Wólka")},
        {"<#TELEFONY>", QStringLiteral("601202303 ; ")},
        {"<#DATAKONCAUMOWY>", QStringLiteral("CZAS NIEOKREŚLONY")},
        {"<#OSTATNIA_WPLATA_KWOTA> z <#OSTATNIA_WPLATA_DATA>", QStringLiteral("1 234,50 z 2024-03-05")},
        {"a<#ENTER>b", QStringLiteral("a\\par b")},
        // An inserted value is scanned again: the note holds a token.
        {"<#NOTATKA>", QStringLiteral("x 5260001246")},
        {"<#NIEZNANY> <#ip> <# NIP> < #NIP>", QStringLiteral("<#NIEZNANY> <#ip> <# NIP> < #NIP>")},
        // Device tokens mean nothing for a subscriber.
        {"<#IP> <#MAC>", QStringLiteral("<#IP> <#MAC>")},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(expand(QStringLiteral("User"), m_user, QString::fromUtf8(c.Template)), c.Expected)
            << c.Template;
}

TEST_F(ExpandTextVariables, ContractLengthAndOpenEnd)
{
    struct TCase
    {
        const char* Start;
        const char* End;
        const char* Months;
        const char* EndText;
    };
    const TCase cases[] = {
        {"2024-01-01", "2024-12-31", "12", "2024-12-31"},
        {"2024-01-01", "0000-00-00", "czas nieokreślony", "na czas nieokreślony"},
        {"2024-01-01", "2024-02-15", "2", "2024-02-15"}, // 45 days: a half, to the even 2
        {"2024-01-01", "2024-03-16", "2", "2024-03-16"}, // 75 days: 2.5, to the even 2
        {"0000-00-00", "2024-03-16", "", "2024-03-16"},
    };
    for (const TCase& c : cases) {
        const int um = InsertRow(S(), "Umowy",
                                 {{"UM_INDEXUSER", m_user},
                                  {"UM_NUMERTXT", "U/1/2024"},
                                  {"UM_DATASTART", c.Start},
                                  {"UM_DATAKONIEC", c.End}});
        EXPECT_EQ(
            expand(QStringLiteral("Umowa"), um, QStringLiteral("<#UMOWA_ILEMIESIECY>|<#UMOWA_DATAKONCA>")),
            QString::fromUtf8(c.Months) + QLatin1Char('|') + QString::fromUtf8(c.EndText))
            << c.Start << " " << c.End;
        EXPECT_EQ(expand(QStringLiteral("Umowa"), um, QStringLiteral("<#UMOWA_NUMER> <#USERNAZWA>")),
                  QStringLiteral("U/1/2024 Nowak Anna"));
        S()->ExecQuery(QStringLiteral("delete from Umowy"));
    }
}

TEST_F(ExpandTextVariables, SubscriberTakesTheContractWithTheLatestStart)
{
    InsertRow(S(), "Umowy",
              {{"UM_INDEXUSER", m_user}, {"UM_NUMERTXT", "stara"}, {"UM_DATASTART", "2020-01-01"}});
    InsertRow(S(), "Umowy",
              {{"UM_INDEXUSER", m_user}, {"UM_NUMERTXT", "nowa"}, {"UM_DATASTART", "2024-01-01"}});
    EXPECT_EQ(expand(QStringLiteral("User"), m_user, QStringLiteral("<#UMOWA_NUMER>")),
              QStringLiteral("nowa"));
}

TEST_F(ExpandTextVariables, DeviceTokensAndPort)
{
    const int inf = InsertRow(S(), "Infrastruktura", {{"INF_NAZWA", "Wieża 1"}, {"INF_IP", "10.0.0.1"}});
    const int m0 = InsertRow(S(), "Mac",
                             {{"M_INDEXUSER", m_user},
                              {"M_IP", "10.1.1.5"},
                              {"M_MAC", "AA:BB:CC:DD:EE:01"},
                              {"M_PORT", 0},
                              {"M_INDEXMIEJSCEPODLACZENIA", inf}});
    const int m1 = InsertRow(S(), "Mac", {{"M_INDEXUSER", m_user}, {"M_IP", "10.1.1.6"}, {"M_PORT", 8080}});
    EXPECT_EQ(
        expand(QStringLiteral("Mac"), m0, QStringLiteral("<#IP>:<#IP_PORT> <#NAZWA_INFRA> <#USERNAZWA>")),
        QStringLiteral("10.1.1.5:80 Wieża 1 Nowak Anna"));
    EXPECT_EQ(expand(QStringLiteral("Skrypty"), m1, QStringLiteral("<#IP_PORT>")), QStringLiteral("8080"));
    // Subscriber lists and router-script tokens are not expanded for devices.
    EXPECT_EQ(expand(QStringLiteral("Skrypty"), m1, QStringLiteral("<#IPALL><#IDTXT><#BLOKUJTXT>")),
              QStringLiteral("<#IPALL><#IDTXT><#BLOKUJTXT>"));
    // ... but are for the subscriber, separated by the paragraph word.
    EXPECT_EQ(expand(QStringLiteral("User"), m_user, QStringLiteral("<#IPMACALL>")),
              QStringLiteral("10.1.1.5  AA:BB:CC:DD:EE:01\\par 10.1.1.6  "));
    EXPECT_EQ(expand(QStringLiteral("User"), m_user + 1, QStringLiteral("[<#IPALL>]")), QStringLiteral("[]"));
}

TEST_F(ExpandTextVariables, ScriptHeaderWithoutRecordGetsTheSellerOnly)
{
    WriteIniString(0, QStringLiteral("U_Nazwa1"), QStringLiteral("Sieć"));
    WriteIniString(0, QStringLiteral("U_Nazwa2"), QStringLiteral("Kod 'PIN' sp. z o.o."));
    EXPECT_EQ(expand(QStringLiteral("Skrypty"), 0, QStringLiteral("# <#FIRMANAZWA> [<#IP>] [<#USERNAZWA>]")),
              QStringLiteral("# Sieć Kod 'PIN' sp. z o.o. [] [ ]"));
}

TEST_F(ExpandTextVariables, UnpaidDocumentListsWaitForTheirHook)
{
    const QString t = QStringLiteral("<#ZOBOWIAZANIALISTA_TXT>|<#ZOBOWIAZANIALISTA_RTF>");
    EXPECT_EQ(expand(QStringLiteral("User"), m_user, t), t);
    auto restore = qScopeGuard([] { ProgramHooks().unpaidDocumentsText = nullptr; });
    ProgramHooks().unpaidDocumentsText = [](int user) { return QStringLiteral("FV dla %1").arg(user); };
    EXPECT_EQ(expand(QStringLiteral("User"), m_user, t),
              QStringLiteral("FV dla %1|<#ZOBOWIAZANIALISTA_RTF>").arg(m_user));
}

TEST_F(ExpandTextVariables, GrowthStopsAtTheScanLimit)
{
    // Each expansion of the note puts the token two places further on; it
    // stops being expanded once it lies at the limit.
    S()->ExecQuery(QStringLiteral("update Userdb set U_NOTATKA='ab<#NOTATKA>'"));
    const int m = InsertRow(S(), "Mac", {{"M_INDEXUSER", m_user}});
    const QString t = QStringLiteral("<#NOTATKA>");
    ASSERT_EQ(TextVariableScanLimit(QStringLiteral("Mac"), t), 1010);
    EXPECT_EQ(expand(QStringLiteral("Mac"), m, t), QStringLiteral("ab").repeated(505) + t);
    EXPECT_EQ(TextVariableScanLimit(QStringLiteral("User"), t), 10010);
}

TEST_F(ExpandTextVariables, RandomTemplatesAlwaysEnd)
{
    QStringList tokens;
    for (const char* kind : {"User", "Umowa", "Mac", "Skrypty"})
        for (const TTextVariable& v : TextVariableList(QString::fromLatin1(kind)))
            tokens << v.Token;
    tokens.removeAll(QStringLiteral("<#AKTUALNYCZAS>")); // the one value that changes between two runs
    const QStringList broken = {QStringLiteral("<#"),        QStringLiteral("<"),
                                QStringLiteral("#>"),        QStringLiteral("<#<#NIP>>"),
                                QStringLiteral("<#NOTATKA"), QStringLiteral("<<##"),
                                QStringLiteral("\\par "),    QStringLiteral("ąę'\"%_")};
    QRandomGenerator rng(20241211);
    auto piece = [&] {
        const quint32 r = rng.bounded(10u);
        if (r < 5) return tokens.at(rng.bounded(int(tokens.size())));
        if (r < 8) return broken.at(rng.bounded(int(broken.size())));
        return QStringLiteral("txt");
    };
    auto text = [&](int pieces) {
        QString s;
        for (int i = 0; i < pieces; ++i)
            s += piece();
        return s;
    };
    const int um = InsertRow(S(), "Umowy", {{"UM_INDEXUSER", m_user}, {"UM_DATASTART", "2024-01-01"}});
    const int mac = InsertRow(S(), "Mac", {{"M_INDEXUSER", m_user}, {"M_IP", "10.0.0.9"}});
    const std::pair<const char*, int> records[] = {
        {"User", m_user}, {"Umowa", um}, {"Mac", mac}, {"Skrypty", 0}};
    for (int round = 0; round < 40; ++round) {
        // The subscriber's own texts hold tokens too, some referring to themselves.
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_NOTATKA=:p1, U_NOTATKA2=:p2, U_ZMIENNATXT1=:p3"),
            {text(8).left(200), QStringLiteral("<#NOTATKA2>") + text(4).left(150), text(12).left(255)});
        const QString t = text(int(rng.bounded(1u, 25u)));
        for (const auto& [kind, id] : records) {
            const QString k = QString::fromLatin1(kind);
            QString out;
            ASSERT_NO_THROW(out = expand(k, id, t)) << kind << " " << t.toStdString();
            // A value is inserted only at a scanned position, and none is
            // longer than a note or a few list lines.
            EXPECT_LE(out.size(), qsizetype(TextVariableScanLimit(k, t)) * 300) << kind;
            EXPECT_EQ(expand(k, id, t), out) << "the same data give the same text";
        }
    }
}
