#pragma once
// Typing into window fields as the operator does, for window tests.
#include <QLineEdit>
#include <QString>
#include <QTest>

// Clears the field and types the text key by key; letters outside ASCII go as text events.
inline void RetypeField(QLineEdit* e, const QString& text)
{
    e->clear();
    e->setFocus();
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(e, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
