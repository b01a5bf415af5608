// The about box and the licence agreement it opens.
#include "mainwindow/OProgramie.h"

#include "core/DialogPL.h"
#include "core/Session.h"
#include "mainwindow/UmowaLicencyjna.h"
#include "tests/mainwindow/UrlRecorder.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(OProgramie, ShowsVersionNoticeAndWhatItWorksWith)
{
    TFormOProgramie form;
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("O Programie ...."));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("v6.14"));
    EXPECT_EQ(form.Label1->text(), ProgramVersion);
    EXPECT_EQ(form.Label2->text(), MakerNotice);
    QStringList texts;
    for (QLabel* l : form.findChildren<QLabel*>())
        texts << l->text();
    for (const char* fixed : {"Gotowy do współpracy z INTRUX FiQs 7.x, 8.x, 9.x i 10.x",
                              "Gotowy do współpracy ze skryptami dla MikroTik", "KSeF"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(fixed))) << fixed;
    form.ZamknijBtn->click();
    EXPECT_FALSE(form.isVisible());
}

TEST(OProgramie, AddressLabelOpensTheMakersPage)
{
    TUrlRecorder urls({QStringLiteral("https")});
    TFormOProgramie form;
    form.show();
    emit form.Label3->linkActivated(MakerWebAddress);
    ASSERT_EQ(urls.Urls.size(), 1);
    EXPECT_EQ(urls.Urls[0].toString(), MakerWebAddress);
}

TEST(OProgramie, LicenceButtonOpensTheAgreement)
{
    TFormOProgramie form;
    form.show();
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TFormUmowaLicencyjna*>(QApplication::activeModalWidget());
        if (!w) return;
        title = w->windowTitle();
        text = w->Memo1->toPlainText();
        w->ZamknijBtn->click();
    });
    form.LicencjaBtn->click();
    EXPECT_EQ(title, QStringLiteral("Umowa licencyjna"));
    EXPECT_EQ(text, LicenceAgreementText());
    EXPECT_FALSE(text.isEmpty());
}
