#pragma once

#include <QString>
#include <QTest>
#include <QWidget>

// Types text key by key as a keyboard would, Cyrillic included (QTest::keyClicks
// handles only ASCII).
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
