// The report preview window on a long invoice: paging, zoom and the state it
// keeps; and the print progress window of direct prints.
#include "printouts/PodgladRaportu.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/DrukFv.h"
#include "printouts/NaprawaOkienkaPostepuDrukowania.h"
#include "tests/printouts/DrukFvFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

class PodgladRaportuTest : public DrukFvTest
{
protected:
    TFormPodgladRaportu* OpenLongInvoice()
    {
        const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 5);
        std::vector<TTestItem> items;
        for (int i = 0; i < 70; ++i)
            items.push_back({QStringLiteral("Usługa %1").arg(i, 2, 10, QLatin1Char('0')),
                             M("10.00"),
                             {},
                             QStringLiteral("23%"),
                             {}});
        const int fv = AddInvoice(u, QStringLiteral("FV/70/2025"), items);
        TFormDrukFv* form = FormDrukFv();
        form->PrinterName = QString();
        form->QFv()->SetSQL(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
        TFormPodgladRaportu* w = form->PrintPreview();
        w->UpdateControls();
        return w;
    }
    int Setting(const char* key, int def = -1)
    {
        return TDbIni(HostId, OperatorId)
            .ReadInteger(QStringLiteral("TFormPodgladRaportu"), QLatin1String(key), def);
    }
};

} // namespace

TEST_F(PodgladRaportuTest, PagesThroughButtonsAndKeys)
{
    TFormPodgladRaportu* w = OpenLongInvoice();
    const int pages = w->QRPreview()->QRPrinter()->PageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("F_FV_70_2025"));
    EXPECT_EQ(w->IloscStronLabel()->text(), QStringLiteral("Strona 1 z %1").arg(pages));
    EXPECT_FALSE(w->PrevPageBtn()->isEnabled());
    EXPECT_TRUE(w->NextPageBtn()->isEnabled());

    QTest::mouseClick(w->NextPageBtn(), Qt::LeftButton);
    EXPECT_EQ(w->QRPreview()->PageNumber(), 2);
    QTest::keyClick(w, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w->QRPreview()->PageNumber(), pages);
    EXPECT_FALSE(w->NextPageBtn()->isEnabled());
    EXPECT_FALSE(w->LastPageBtn()->isEnabled());
    QTest::keyClick(w, Qt::Key_PageDown); // nothing after the last page
    EXPECT_EQ(w->QRPreview()->PageNumber(), pages);
    QTest::keyClick(w, Qt::Key_PageUp);
    EXPECT_EQ(w->QRPreview()->PageNumber(), pages - 1);
    QTest::keyClick(w, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w->QRPreview()->PageNumber(), 1);
    EXPECT_EQ(w->IloscStronLabel()->text(), QStringLiteral("Strona 1 z %1").arg(pages));

    const QImage shot = w->grab().toImage();
    shot.save(m_outDir + QStringLiteral("/podglad.png"));
    QPointer<TFormPodgladRaportu> guard(w);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(PodgladRaportuTest, ZoomLimitsButtonsAndRememberedMode)
{
    TFormPodgladRaportu* w = OpenLongInvoice();
    // First preview ever: the page width once the report is complete.
    EXPECT_TRUE(w->ZoomWidthFitBtn()->isChecked());
    EXPECT_EQ(w->ZoomMode, 0);
    const int widthZoom = w->QRPreview()->Zoom();
    EXPECT_GT(widthZoom, 20);

    w->QRPreview()->SetZoom(435);
    w->ZoomIn();
    EXPECT_EQ(w->QRPreview()->Zoom(), 500);
    EXPECT_FALSE(w->ZoomWidthFitBtn()->isChecked());
    w->ZoomIn();
    EXPECT_EQ(w->QRPreview()->Zoom(), 500);
    w->QRPreview()->SetZoom(21);
    w->ZoomOut();
    EXPECT_EQ(w->QRPreview()->Zoom(), 20);
    w->QRPreview()->SetZoom(100);
    w->ZoomIn();
    EXPECT_EQ(w->QRPreview()->Zoom(), 116); // round(101 * 1.15)

    w->ZoomComboChosen(4); // "100%"
    EXPECT_EQ(w->QRPreview()->Zoom(), 100);
    EXPECT_TRUE(w->Zoom100Btn()->isChecked());
    w->ZoomComboChosen(2); // " 50%"
    EXPECT_EQ(w->QRPreview()->Zoom(), 50);
    EXPECT_FALSE(w->Zoom100Btn()->isChecked() || w->ZoomFitBtn()->isChecked() ||
                 w->ZoomWidthFitBtn()->isChecked());
    w->UpdateControls();
    EXPECT_EQ(w->ZoomCombo()->currentText(), QStringLiteral("50 %"));

    w->ZoomFit();
    EXPECT_TRUE(w->ZoomFitBtn()->isChecked());
    w->resize(700, 500);
    w->close();
    EXPECT_EQ(Setting("ZoomBtn"), 1);
    EXPECT_EQ(Setting("SzerokoscOkna"), 700);
    EXPECT_EQ(Setting("WysokoscOkna"), 500);

    // The next preview opens with the remembered whole-page zoom.
    TFormPodgladRaportu* w2 = OpenLongInvoice();
    EXPECT_TRUE(w2->ZoomFitBtn()->isChecked());
    EXPECT_EQ(w2->width(), 700);
    // A zoom from the box presses no button: the mode kept is the one from
    // before, already applied (0).
    w2->ZoomComboChosen(6);
    w2->setWindowState(Qt::WindowMaximized);
    w2->close();
    EXPECT_EQ(Setting("ZoomBtn"), 0);
    EXPECT_EQ(TDbIni(HostId, OperatorId)
                  .ReadBool(QStringLiteral("TFormPodgladRaportu"), QStringLiteral("Zmaksymalizowane"), false),
              true);
    EXPECT_EQ(Setting("SzerokoscOkna"), 700); // the last size before maximising stays
}

TEST_F(PodgladRaportuTest, ClosingTheDuplicatePreviewClearsTheOption)
{
    FormDrukFv()->Duplikat = true;
    TFormPodgladRaportu* w = OpenLongInvoice();
    EXPECT_TRUE(FormDrukFv()->Duplikat);
    w->close();
    EXPECT_FALSE(FormDrukFv()->Duplikat);
    EXPECT_FALSE(FormDrukFv()->QFv()->Active());
}

TEST_F(PodgladRaportuTest, PrintProgressWindowFollowsThePercentage)
{
    if (!PrintProgressFixInstalled()) InstallPrintProgressFix();
    TReportPrinter printer;
    TPrintProgress progress(&printer);
    ASSERT_NE(progress.Window(), nullptr);
    TPrintProgressWindow* w = progress.Window();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Drukowanie..."));
    EXPECT_EQ(w->CancelButton()->text(), QStringLiteral("Anuluj drukowanie"));
    EXPECT_EQ(w->Info()->text(), QStringLiteral("Przygotowanie wydruku..."));
    EXPECT_TRUE(progress.Step(37));
    EXPECT_EQ(w->Info()->text(), QStringLiteral("Wydrukowano 37 %"));
    EXPECT_EQ(w->Gauge()->value(), 37);
    QTest::mouseClick(w->CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(progress.Step(40));
}
