// Corrective invoices made as the operator makes them: StartFvCorrection
// opens the correction editor on a new correction of an invoice inside one
// transaction, lines are corrected through "Korekta pozycji", "Zapisz"
// settles, points the invoice to its correction and commits, "Anuluj" leaves
// nothing. The files for KSeF of corrections made this way pass the schema.
#include "billing/FvKorektaDane.h"
#include "billing/FvKorektaWystaw.h"
#include "billing/FvkKorygujPozycje.h"
#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/FakturaKorektaXml.h"
#include "tests/billing/BillingFixture.h"
#include "tests/support/WindowKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

struct InvoiceLine
{
    const char* name;
    const char* quantity;
    const char* grossPrice;
    const char* rate;
};

class FvKorektaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        S()->ExecQuery(
            QStringLiteral("update Operator set OP_IMIE='Anna', OP_NAZWISKO='Nowak' where OP_INDEX=1"));
        TMD::SetTestHook(
            [this](const TMD::Shown&) { return answers.isEmpty() ? mrOk : answers.takeFirst(); });
        TMD::ClearRecorded();
        OperatorRightsLevel = 3;
        ed = FormFvKorektaWystaw();
    }
    void TearDown() override
    {
        ed->AutoConfirm->stop();
        m_data.reset();
        Data = nullptr;
        OperatorRightsLevel = 0;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        BillingTest::TearDown();
    }

    // A subscriber and his invoice FV/7/2024 of 2024-03-01 with the lines given.
    int addInvoice(const std::vector<InvoiceLine>& lines, int* user = nullptr)
    {
        const int u = AddUser();
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_NAZWISKO='Kowalski', U_IMIE='Jan', U_ADR_ULICA='Polna', "
                           "U_ADR_NRDOMU='5', U_ADR_NRLOKALU='2', U_ADR_KOD='00-950', "
                           "U_ADR_POCZTA='Warszawa', U_ADR_MIEJSCOWOSC='Warszawa', U_NIP='5260250274' "
                           "where U_INDEX=:p1"),
            {u});
        const int fv =
            AddDoc('F', u, A("0"), QDate(2024, 3, 15), QStringLiteral("FV/7/2024"), QDate(2024, 3, 1));
        S()->ExecQuery(
            QStringLiteral("update Fv set FV_NUMER=7, FV_NAZWISKO='Kowalski', FV_IMIE='Jan', "
                           "FV_ADR_ULICA='Polna', FV_ADR_NRDOMU='5', FV_ADR_NRLOKALU='2', "
                           "FV_ADR_KOD='00-950', FV_ADR_MIEJSCOWOSC='Warszawa', FV_NIP='5260250274', "
                           "FV_FORMAPLATNOSCI='przelew', FV_OPISVAT_A='23%', FV_OPISVAT_B='8%', "
                           "FV_OPISVAT_C='0%', FV_OPISVAT_D='5%', FV_OPISVAT_G='zw', "
                           "FV_OPISVAT_NP='np', FV_OPISVAT='RAZEM' where FV_INDEX=:p1"),
            {fv});
        for (const InvoiceLine& l : lines)
            S()->ExecQuery(
                QStringLiteral("insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_ILOSC, "
                               "FVP_JEDNMIARY, FVP_SYMBOL, FVP_CENABRUTTO, FVP_RABAT, "
                               "FVP_STAWKAVAT_TXT) values (:p1, :p2, :p3, 'szt.', '', :p4, 0, :p5)"),
                {fv, QString::fromUtf8(l.name), A(l.quantity), A(l.grossPrice), QString::fromUtf8(l.rate)});
        PrzeliczFVPDokumentu(fv);
        PrzeliczPolaFv(fv, false);
        if (user) *user = u;
        return fv;
    }
    int addInvoice123(int* user = nullptr) { return addInvoice({{"Internet", "1", "123", "23%"}}, user); }

    // StartFvCorrection with the operator's steps once the editor shows;
    // "Anuluj" ends a script that left the editor open.
    int correct(int fv, bool zeroAfter, const std::function<void()>& steps)
    {
        bool ran = false;
        // Its own timer: a script for an editor that never opened must not
        // run in the next one.
        QTimer script;
        script.setSingleShot(true);
        QObject::connect(&script, &QTimer::timeout, ed, [this, steps, &ran] {
            ran = true;
            caption = ed->windowTitle();
            steps();
            if (ed->isVisible()) QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton);
        });
        script.start(0);
        const int k = StartFvCorrection(fv, zeroAfter);
        EXPECT_FALSE(S()->InTransaction());
        stepsRan = ran;
        return k;
    }
    // "Koryguj" on the current line with the after-values filled by `fill`.
    void korygujLine(const std::function<void(TFormFvkKorygujPozycje*)>& fill)
    {
        TFormFvkKorygujPozycje* dlg = ed->LineDialog();
        QTimer::singleShot(0, dlg, [dlg, fill] {
            fill(dlg);
            QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
            if (dlg->isVisible()) QTest::mouseClick(dlg->AnulujBtn, Qt::LeftButton);
        });
        QTest::mouseClick(ed->KorygujBtn, Qt::LeftButton);
    }
    QString fvk(const QString& column, int index)
    {
        return Text(QStringLiteral("select cast(%1 as char) from Fvk where FVK_INDEX=:p1").arg(column),
                    {index});
    }
    // net / VAT / gross of one group ("_A") or of the total ("").
    QString sums(int k, const char* group)
    {
        const QString g = QString::fromLatin1(group);
        return fvk(QStringLiteral("FVK_SUMANETTO") + g, k) + QLatin1Char('/') +
               fvk(QStringLiteral("FVK_SUMAVAT") + g, k) + QLatin1Char('/') +
               fvk(QStringLiteral("FVK_SUMABRUTTO") + g, k);
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    std::unique_ptr<TData> m_data;
    TFormFvKorektaWystaw* ed = nullptr;
    QList<int> answers;
    QString caption;
    bool stepsRan = false;
};

} // namespace

TEST_F(FvKorektaTest, ZeroCorrectionTakesTheWholeInvoiceBack)
{
    int u = 0;
    const int fv = addInvoice123(&u);
    QString numberShown, reasonShown, before;
    const QString dir = TestOutputDir(QStringLiteral("billing"));
    QDir().mkpath(dir);
    const int k = correct(fv, true, [&] {
        EXPECT_TRUE(ed->grab().save(QDir(dir).filePath(QStringLiteral("fv_korekta_wystaw.png"))));
        TFormFvkKorygujPozycje* dlg = ed->LineDialog();
        QTimer::singleShot(0, dlg, [dlg, dir] {
            EXPECT_TRUE(dlg->grab().save(QDir(dir).filePath(QStringLiteral("fvk_koryguj_pozycje.png"))));
            QTest::mouseClick(dlg->AnulujBtn, Qt::LeftButton);
        });
        QTest::mouseClick(ed->KorygujBtn, Qt::LeftButton);
        numberShown = ed->NumerTxt->text();
        reasonShown = ed->PowodKorekty->currentText();
        before = ed->NumerKorygowanej->text();
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(k, 0);
    EXPECT_EQ(caption, QStringLiteral("Wystawianie nowej korekty"));
    const QString number = DocumentNumberText('K', 1, 1, QDate::currentDate());
    EXPECT_EQ(numberShown, number);
    EXPECT_EQ(fvk(QStringLiteral("FVK_NUMERTXT"), k), number);
    EXPECT_EQ(before, QStringLiteral("FV/7/2024"));
    EXPECT_EQ(reasonShown, QStringLiteral("Omyłkowo naliczone należności"));
    EXPECT_EQ(fvk(QStringLiteral("FVK_POWODKOREKTY"), k), QStringLiteral("Omyłkowo naliczone należności"));
    EXPECT_EQ(sums(k, "_A"), QStringLiteral("-100.00/-23.00/-123.00"));
    EXPECT_EQ(sums(k, ""), QStringLiteral("-100.00/-23.00/-123.00"));
    EXPECT_EQ(fvk(QStringLiteral("FVK_DATAKORYGOWANEJ"), k), QStringLiteral("2024-03-01"));
    EXPECT_EQ(fvk(QStringLiteral("FVK_WYSTAWIL"), k), QStringLiteral("Anna Nowak"));
    EXPECT_EQ(Int(QStringLiteral("select FV_INDEXKOREKTA from Fv where FV_INDEX=:p1"), {fv}), k);
    const QString log = Text(QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX desc limit 1"));
    EXPECT_TRUE(log.contains(QStringLiteral("Wystawienie korekty ID=%1").arg(k))) << log.toStdString();
    EXPECT_TRUE(shown().isEmpty()) << shown().join(QLatin1Char('|')).toStdString();
}

TEST_F(FvKorektaTest, LineCorrectionsGiveTheDifferencesPerGroup)
{
    const struct
    {
        const char* rule;
        std::function<void(TFormFvkKorygujPozycje*)> fill;
        const char* groupA;
        const char* groupB;
        const char* total;
    } cases[] = {
        {"nothing changed", [](TFormFvkKorygujPozycje*) {}, "0.00/0.00/0.00", "0.00/0.00/0.00",
         "0.00/0.00/0.00"},
        {"half the quantity",
         [](TFormFvkKorygujPozycje* d) { RetypeField(d->Po.Ilosc, QStringLiteral("0,5")); },
         "-50.00/-11.50/-61.50", "0.00/0.00/0.00", "-50.00/-11.50/-61.50"},
        // The old rate's group loses the line, the new one's gains it.
        {"rate 23% to 8%",
         [](TFormFvkKorygujPozycje* d) { d->Po.StawkaVat->setCurrentIndex(d->Po.StawkaVat->findText("8%")); },
         "-100.00/-23.00/-123.00", "113.89/9.11/123.00", "13.89/-13.89/0.00"},
        {"price to zero",
         [](TFormFvkKorygujPozycje* d) { RetypeField(d->Po.CenaBrutto, QStringLiteral("0")); },
         "-100.00/-23.00/-123.00", "0.00/0.00/0.00", "-100.00/-23.00/-123.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        const int fv = addInvoice123();
        QString reason;
        const int k = correct(fv, false, [&] {
            reason = ed->PowodKorekty->currentText();
            korygujLine(c.fill);
            QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
        });
        ASSERT_GT(k, 0);
        EXPECT_EQ(reason, QStringLiteral("Pomyłka w wartości sprzedaży"));
        EXPECT_EQ(sums(k, "_A"), QString::fromLatin1(c.groupA));
        EXPECT_EQ(sums(k, "_B"), QString::fromLatin1(c.groupB));
        EXPECT_EQ(sums(k, ""), QString::fromLatin1(c.total));
        // The before-values stay as the invoice had them.
        EXPECT_EQ(
            Text(QStringLiteral("select concat(FVKP_ILOSC, '/', FVKP_WARTOSCBRUTTO, '/', FVKP_STAWKAVAT_TXT) "
                                "from FvkPozycje where FVKP_INDEXFAKTURA=:p1"),
                 {k}),
            QStringLiteral("1.000/123.00/23%"));
    }
}

TEST_F(FvKorektaTest, SecondCorrectionAsksAndNoCreatesNothing)
{
    const int fv = addInvoice123();
    const int first = correct(fv, false, [&] { QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton); });
    ASSERT_GT(first, 0);
    const QString question =
        QStringLiteral("Wybrany dokument był już wcześniej korygowany. Należy zachować spójności "
                       "ilościowo wartościową pozycji. Czy kontynuować?");
    answers = {mrNo};
    EXPECT_EQ(correct(fv, false, [] {}), 0);
    EXPECT_FALSE(stepsRan);
    EXPECT_EQ(shown(), QStringList{question});
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fvk")), 1);

    TMD::ClearRecorded();
    answers = {mrYes};
    const int second = correct(fv, true, [&] { QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton); });
    ASSERT_GT(second, 0);
    EXPECT_EQ(shown(), QStringList{question});
    EXPECT_EQ(fvk(QStringLiteral("FVK_NUMER"), second), QStringLiteral("2"));
    EXPECT_EQ(Int(QStringLiteral("select FV_INDEXKOREKTA from Fv where FV_INDEX=:p1"), {fv}), second);
}

TEST_F(FvKorektaTest, RefusedWithoutRightsUnknownInvoiceOrCancelLeavesNothing)
{
    const int fv = addInvoice123();
    OperatorRightsLevel = 4;
    EXPECT_EQ(correct(fv, false, [] {}), 0);
    EXPECT_FALSE(stepsRan);
    EXPECT_EQ(shown(), QStringList{RightDeniedMessage(3)});

    // Nothing to copy: rolled back with a message instead of an empty editor.
    OperatorRightsLevel = 3;
    TMD::ClearRecorded();
    EXPECT_EQ(correct(987654, false, [] {}), 0);
    EXPECT_FALSE(stepsRan);
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].kind, mtError);

    TMD::ClearRecorded();
    EXPECT_EQ(correct(fv, true, [&] { QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton); }), 0);
    EXPECT_TRUE(stepsRan);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fvk")), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvkPozycje")), 0);
    EXPECT_EQ(Int(QStringLiteral("select FV_INDEXKOREKTA from Fv where FV_INDEX=:p1"), {fv}), 0);
    EXPECT_TRUE(shown().isEmpty());
    // The number of the cancelled correction is given out again.
    const int k = correct(fv, true, [&] { QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton); });
    EXPECT_EQ(fvk(QStringLiteral("FVK_NUMER"), k), QStringLiteral("1"));
}

TEST_F(FvKorektaTest, AutoConfirmSavesWithoutTheOperator)
{
    const int fv = addInvoice123();
    ed->AutoConfirm->start();
    const int k = StartFvCorrection(fv, true);
    ASSERT_GT(k, 0);
    EXPECT_FALSE(ed->AutoConfirm->isActive());
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_EQ(sums(k, ""), QStringLiteral("-100.00/-23.00/-123.00"));
    EXPECT_EQ(Int(QStringLiteral("select FV_INDEXKOREKTA from Fv where FV_INDEX=:p1"), {fv}), k);
}

TEST_F(FvKorektaTest, LineDialogRefusesInOrderAndStaysOpen)
{
    const int fv = addInvoice123();
    const struct
    {
        const char* rule;
        const char* name;
        const char* quantity;
        const char* price;
        const char* discount;
        const char* message;
    } cases[] = {
        {"empty name", "", "-1", "-5", "100", "Proszę uzupełnić pole z nazwą pozycji"},
        {"negative quantity", "X", "-1", "-5", "100", "Ilość nie może mieć wartości ujemnej"},
        {"negative price", "X", "0", "-5", "100", "Cena nie może mieć wartości ujemnej"},
        {"discount of 100", "X", "0", "0", "100", "Nieprawidłowa wartość rabatu"},
        {"negative discount", "X", "0", "0", "-1", "Nieprawidłowa wartość rabatu"},
    };
    std::vector<std::pair<QStringList, bool>> seen;
    QString header, focus, clamped;
    correct(fv, false, [&] {
        TFormFvkKorygujPozycje* dlg = ed->LineDialog();
        QTimer::singleShot(0, dlg, [&, dlg] {
            header = dlg->NumerDokumentu->text();
            focus = dlg->focusWidget() == dlg->Po.CenaBrutto ? QStringLiteral("price") : QString();
            for (const auto& c : cases) {
                TMD::ClearRecorded();
                dlg->Po.Nazwa->setText(QString::fromUtf8(c.name));
                dlg->Po.Ilosc->setText(QString::fromLatin1(c.quantity));
                dlg->Po.CenaBrutto->setText(QString::fromLatin1(c.price));
                dlg->Po.Rabat->setText(QString::fromLatin1(c.discount));
                QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
                seen.push_back({shown(), dlg->isVisible()});
            }
            // Leaving the discount field above 99.99 takes it down to 99,99.
            RetypeField(dlg->Po.Rabat, QStringLiteral("150"));
            QTest::keyClick(dlg->Po.Rabat, Qt::Key_Return);
            clamped = dlg->Po.Rabat->text();
            QTest::mouseClick(dlg->AnulujBtn, Qt::LeftButton);
        });
        QTest::mouseClick(ed->KorygujBtn, Qt::LeftButton);
    });
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].first, QStringList{QString::fromUtf8(cases[i].message)}) << cases[i].rule;
        EXPECT_TRUE(seen[i].second) << cases[i].rule;
    }
    EXPECT_EQ(header, DocumentNumberText('K', 1, 1, QDate::currentDate()));
    EXPECT_EQ(focus, QStringLiteral("price"));
    EXPECT_EQ(clamped, QStringLiteral("99,99"));
}

TEST_F(FvKorektaTest, ALineAtNpKeepsItsRate)
{
    const int fv = addInvoice({{"Usługa poza krajem", "1", "100", "np"}});
    QStringList offered;
    const int k = correct(fv, false, [&] {
        korygujLine([&](TFormFvkKorygujPozycje* d) {
            for (int i = 0; i < d->Po.StawkaVat->count(); ++i)
                offered << d->Po.StawkaVat->itemText(i);
            RetypeField(d->Po.Ilosc, QStringLiteral("2"));
        });
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(k, 0);
    EXPECT_TRUE(offered.contains(QStringLiteral("np"))) << offered.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(
        Text(QStringLiteral("select FVKP_STAWKAVAT_TXT_PO from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {k}),
        QStringLiteral("np"));
    EXPECT_EQ(sums(k, "_NP"), QStringLiteral("100.00/0.00/100.00"));
}

TEST_F(FvKorektaTest, BuyerDataCorrectionTakesTheWholeCurrentAddress)
{
    int u = 0;
    const int fv = addInvoice123(&u);
    // The subscriber moved: town and post office differ, so a mixed address shows.
    S()->ExecQuery(
        QStringLiteral("update Userdb set U_NAZWISKO='Kowalska', U_ADR_ULICA='Leśna', U_ADR_NRDOMU='9', "
                       "U_ADR_NRLOKALU='', U_ADR_KOD='05-500', U_ADR_MIEJSCOWOSC='Józefosław', "
                       "U_ADR_POCZTA='Piaseczno', U_NIP='1234563218' where U_INDEX=:p1"),
        {u});
    QString reasonAfterTick, reasonAfterUntick;
    const int k = correct(fv, false, [&] {
        QTest::mouseClick(ed->KorektaDanychNabywcy, Qt::LeftButton);
        reasonAfterTick = ed->PowodKorekty->currentText();
        QTest::mouseClick(ed->KorektaDanychNabywcy, Qt::LeftButton);
        reasonAfterUntick = ed->PowodKorekty->currentText();
        QTest::mouseClick(ed->KorektaDanychNabywcy, Qt::LeftButton);
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(k, 0);
    EXPECT_EQ(reasonAfterTick, QStringLiteral("Korekta danych nabywcy"));
    EXPECT_EQ(reasonAfterUntick, QStringLiteral("Korekta danych nabywcy"));
    const QString street =
        Text(QStringLiteral("select vU_ADR_UlicaPelny from vUserdb where U_INDEX=:p1"), {u});
    EXPECT_EQ(
        fvk(QStringLiteral("concat_ws('|', FVK_NAZWISKO, FVK_ADR_ULICA, FVK_ADR_NRDOMU, FVK_ADR_NRLOKALU, "
                           "FVK_ADR_KOD, FVK_ADR_MIEJSCOWOSC, FVK_NIP, FVK_CZYKORDANYCHNABYWCY)"),
            k),
        QStringLiteral("Kowalska|%1|9||05-500|Piaseczno|1234563218|1").arg(street));
    EXPECT_EQ(sums(k, ""), QStringLiteral("0.00/0.00/0.00"));
}

TEST_F(FvKorektaTest, EditingAnExistingCorrectionSettlesAgainOrRollsBack)
{
    int u = 0;
    const int fv = addInvoice123(&u);
    const int k = correct(fv, false, [&] { QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton); });
    ASSERT_GT(k, 0);
    auto edit = [&](bool save) {
        QTimer::singleShot(0, ed, [&, save] {
            caption = ed->windowTitle();
            korygujLine([](TFormFvkKorygujPozycje* d) { RetypeField(d->Po.Ilosc, QStringLiteral("0")); });
            QTest::mouseClick(save ? ed->ZapiszBtn : ed->AnulujBtn, Qt::LeftButton);
        });
        return EditFvCorrection(k);
    };
    EXPECT_FALSE(edit(false));
    EXPECT_EQ(caption, QStringLiteral("Edycja korekty"));
    EXPECT_EQ(sums(k, ""), QStringLiteral("0.00/0.00/0.00"));
    EXPECT_FALSE(S()->InTransaction());
    EXPECT_TRUE(edit(true));
    EXPECT_TRUE(shown().isEmpty()) << shown().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Text(QStringLiteral("select concat(FVKP_ILOSC_PO, '/', FVKP_WARTOSCBRUTTO_PO) from FvkPozycje "
                                  "where FVKP_INDEXFAKTURA=:p1"),
                   {k}),
              QStringLiteral("0.000/0.00"));
    EXPECT_EQ(sums(k, ""), QStringLiteral("-100.00/-23.00/-123.00"));
    // Settled again: against its invoice, so nothing of it stays open.
    EXPECT_EQ(fvk(QStringLiteral("FVK_KWOTADOROZLICZENIA"), k), QStringLiteral("0.00"));
    EXPECT_FALSE(S()->InTransaction());
}

// FA (3) files of corrections made through the editor pass the official schema.
TEST_F(FvKorektaTest, FilesForKsefOfEditedCorrectionsPassTheSchema)
{
    const QString dir = TestOutputDir(QStringLiteral("corrections"));
    QDir().mkpath(dir);
    const QString saved = ExportFolder;
    ExportFolder = dir + QLatin1Char('/');
    const std::pair<const char*, const char*> seller[] = {
        {"U_NIP", "526-000-12-46"},
        {"U_Nazwa1", "Orlix Net"},
        {"U_Nazwa2", "Sp. z o.o."},
        {"U_Ulica", "ul. Polna"},
        {"U_NrDomu", "1"},
        {"U_KodPocztowy", "00-001"},
        {"U_Miejscowosc", "Warszawa"},
        {"U_NrKonta", "11 1020 3040 0000 0102 0304 0506"},
    };
    OperatorRightsLevel = 1; // the company settings are written by an administrator
    for (const auto& [key, value] : seller)
        WriteIniString(0, QString::fromLatin1(key), QString::fromUtf8(value));
    OperatorRightsLevel = 3;
    const struct
    {
        const char* name;
        bool zero;
        bool buyer;
        bool ksefNumber;
        std::function<void(TFormFvkKorygujPozycje*)> fill;
    } cases[] = {
        {"quantity", false, false, false, [](TFormFvkKorygujPozycje* d) { RetypeField(d->Po.Ilosc, "0,5"); }},
        {"rate", false, false, false,
         [](TFormFvkKorygujPozycje* d) {
             d->Po.StawkaVat->setCurrentIndex(d->Po.StawkaVat->findText("8%"));
         }},
        {"zero", true, false, false, nullptr},
        {"buyer", false, true, false, nullptr},
        {"ksef", true, false, true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int u = 0;
        const int fv = addInvoice123(&u);
        if (c.ksefNumber)
            S()->ExecQuery(
                QStringLiteral("insert into FvKsef (FV_KSEF_IDFAKTURY, FV_KSEF_NRKSEF) values (:p1, :p2)"),
                {fv, QStringLiteral("5260001246-20240301-0123456789AB-CD")});
        if (c.buyer)
            S()->ExecQuery(QStringLiteral("update Userdb set U_NAZWISKO='Kowalska' where U_INDEX=:p1"), {u});
        const int k = correct(fv, c.zero, [&] {
            if (c.fill) korygujLine(c.fill);
            if (c.buyer) QTest::mouseClick(ed->KorektaDanychNabywcy, Qt::LeftButton);
            QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
        });
        ASSERT_GT(k, 0);
        const QString written = c.buyer ? WriteKsefFvkBuyerXml(k) : WriteKsefFvkXml(k);
        const QString path = dir + QStringLiteral("/KOR_%1.xml").arg(QLatin1String(c.name));
        QFile::remove(path);
        ASSERT_TRUE(QFile::rename(written, path)) << written.toStdString();
        QProcess lint;
        lint.setWorkingDirectory(QStringLiteral(ORLIX_SOURCE_DIR));
        lint.start(QStringLiteral("xmllint"),
                   {QStringLiteral("--noout"), QStringLiteral("--nonet"), QStringLiteral("--schema"),
                    QStringLiteral("../shared/schemas/FA3/local/schemat_FA(3)_v1-0E.xsd"), path});
        ASSERT_TRUE(lint.waitForFinished(60000));
        EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().toStdString();
        const QByteArray xml = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        EXPECT_TRUE(xml.contains("<RodzajFaktury>KOR</RodzajFaktury>"));
        if (c.ksefNumber) {
            EXPECT_TRUE(xml.contains("5260001246-20240301-0123456789AB-CD"));
        }
    }
    ExportFolder = saved;
}
