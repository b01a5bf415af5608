#include "payments/PokazLog.h"

#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Session.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormPokazLog::TFormPokazLog(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Log"));
    auto* l = new QVBoxLayout(this);
    Label = new QLabel(this);
    Memo = new QPlainTextEdit(this);
    Memo->setReadOnly(true);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    l->addWidget(Label);
    l->addWidget(Memo, 1);
    auto* b = new QHBoxLayout;
    b->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Zamknij"), this);
    b->addWidget(close);
    l->addLayout(b);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(800, 600);
}

void TFormPokazLog::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([&] {
        if (Mode == QLatin1String("MT")) {
            const QString path = PrivateFolder + QStringLiteral("logiMTall.txt");
            QFile f(path);
            Memo->setPlainText(f.open(QIODevice::ReadOnly) ? Cp1250ToString(f.readAll()) : QString());
            Label->setText(path);
        } else {
            TDedicatedSession* s = GlobalSession();
            Memo->setPlainText(s->GetQueryValueAsString(
                QStringLiteral("select PMMD5_LOGIMPORTU from PmMD5 where PMMD5_INDEX=:p1"), {RegisterIndex}));
            Label->setText(s->GetQueryValueAsString(
                QStringLiteral("select PMMD5_SCIEZKA from PmMD5 where PMMD5_INDEX=:p1"), {RegisterIndex}));
        }
        Mode.clear();
    });
}
