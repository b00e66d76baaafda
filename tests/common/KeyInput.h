#pragma once

// Keys as the user types them in the tests' windows: each goes to the widget with the focus, or to the given one
// while nothing has it, and what it sets off is handled before the next key.

#include <QApplication>
#include <QString>
#include <QTest>
#include <QWidget>

inline QWidget &keyTarget(QWidget &fallback)
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? *focus : fallback;
}

inline void pressKey(QWidget &fallback, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(&keyTarget(fallback), key, modifiers);
    QCoreApplication::processEvents();
}

// One character at a time, as a character can move the focus.
inline void typeText(QWidget &fallback, const QString &text)
{
    for (const QChar character : text)
        QTest::keyClicks(&keyTarget(fallback), QString(character));
    QCoreApplication::processEvents();
}
