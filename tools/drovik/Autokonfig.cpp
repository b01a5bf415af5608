#include "tools/drovik/Autokonfig.h"

#include "tools/drovik/DrovikScripts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

TFormAutokonfig::TFormAutokonfig(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    buildUi();
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TFormAutokonfig::Timer1Timer);
    Timer1->start();
}

void TFormAutokonfig::buildUi()
{
    setWindowTitle(QStringLiteral("Autokonfig"));
    auto* layout = new QVBoxLayout(this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 5);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    layout->addWidget(ProgressBar1);
    setFixedSize(320, 60);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFormAutokonfig::advance(int by)
{
    ProgressBar1->setValue(qMin(ProgressBar1->maximum(), ProgressBar1->value() + by));
}

void TFormAutokonfig::Timer1Timer()
{
    Timer1->stop();
    advance();
    const QString folder = QCoreApplication::applicationDirPath();
    for (const TDrovikScript& script :
         {PostInstall1Script(folder), PostInstall2Script(folder), OdbcScript()}) {
        const QString error = WriteDrovikScript(folder, script);
        if (!error.isEmpty()) {
            // The installer shows what went wrong; the scripts written so far stay.
            std::fprintf(stderr, "%s\n", error.toUtf8().constData());
            QCoreApplication::exit(1);
            return;
        }
        advance();
    }
    advance();
    QCoreApplication::exit(0);
}
