#include "mainwindow/OProgramie.h"

#include "core/Session.h"
#include "mainwindow/UmowaLicencyjna.h"
#include "mainwindow/User.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

const QString MakerNotice = QStringLiteral("Orlix6 KSeF dla systemu Linux. Wszelkie prawa zastrzeżone.");
const QString MakerWebAddress = QStringLiteral("https://www.orlix6ksef.pl/");

TFormOProgramie::TFormOProgramie(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormOProgramie"));
    buildUi();
}

void TFormOProgramie::buildUi()
{
    setWindowTitle(QStringLiteral("O Programie ...."));
    auto* title = new QLabel(QStringLiteral("Orlix6 KSeF"), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    title->setFont(big);
    Label1 = new QLabel(ProgramVersion, this);
    Label2 = new QLabel(MakerNotice, this);
    Label2->setWordWrap(true);
    Label3 = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(MakerWebAddress), this);
    Label3->setTextFormat(Qt::RichText);
    Label3->setCursor(Qt::PointingHandCursor);
    // The address goes through the program's own opener, not the label's.
    Label3->setOpenExternalLinks(false);
    connect(Label3, &QLabel::linkActivated, this,
            [this](const QString& url) { RunGuarded([url] { OpenUrl(url); }); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(Label1);
    layout->addSpacing(8);
    for (const char* t : {"Gotowy do współpracy z INTRUX FiQs 7.x, 8.x, 9.x i 10.x",
                          "Gotowy do współpracy ze skryptami dla MikroTik", "KSeF"})
        layout->addWidget(new QLabel(QString::fromUtf8(t), this));
    layout->addSpacing(8);
    layout->addWidget(Label2);
    layout->addWidget(Label3);

    LicencjaBtn = new QPushButton(QStringLiteral("Umowa licencyjna"), this);
    LicencjaBtn->setAutoDefault(false);
    ZamknijBtn = new QPushButton(QStringLiteral("Zamknij"), this);
    ZamknijBtn->setDefault(true);
    connect(LicencjaBtn, &QPushButton::clicked, this, [this] {
        static TFormUmowaLicencyjna* form = nullptr;
        if (!form) form = new TFormUmowaLicencyjna();
        form->exec();
    });
    connect(ZamknijBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LicencjaBtn);
    buttons->addStretch();
    buttons->addWidget(ZamknijBtn);
    layout->addStretch();
    layout->addLayout(buttons);
}

void TFormOProgramie::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (!e->spontaneous()) SetDropShadow(ShowShadow);
}

void ShowOProgramie()
{
    static TFormOProgramie* form = nullptr;
    if (!form) form = new TFormOProgramie();
    form->exec();
}
