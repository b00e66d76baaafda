// The recorder field keeps its key text at one size whatever the pointer and the keyboard do: hovering shows the
// clear button and a changed shortcut the revert button, neither of which may shrink the text.

#include "ShortcutRecorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

TEST(ShortcutRecorder, TheKeyTextKeepsItsSizeWhenFocusedAndHovered)
{
    QWidget window;
    auto *recorder = new ShortcutRecorder(&window);
    recorder->commit = [recorder](const QString &text) {
        recorder->setShortcut(text);
        return true;
    };
    window.resize(300, 60);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QLabel *label = recorder->findChild<QLabel *>();
    ASSERT_TRUE(label);
    for (const QString shortcut : {u"cmd+option+v"_qs, u"shift+cmd+v"_qs, u"cmd+k"_qs, u"control+option+shift+v"_qs}) {
        const std::string trace = shortcut.toStdString();
        recorder->setDefaultShortcut(u"cmd+f"_qs); // changed: the revert button shows
        recorder->setShortcut(shortcut);
        const int idle = label->font().pixelSize();
        EXPECT_EQ(idle, 13) << trace;
        const QString text = label->text();
        const int width = recorder->width();

        // Focused from the keyboard, then the pointer over it.
        recorder->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(label->font().pixelSize(), idle) << trace;
        QEnterEvent enter(
            QPointF(10, 10), recorder->mapTo(&window, QPointF(10, 10)), recorder->mapToGlobal(QPointF(10, 10)));
        QApplication::sendEvent(recorder, &enter);
        EXPECT_TRUE(recorder->clearButton().isVisibleTo(recorder)) << trace;
        EXPECT_EQ(label->font().pixelSize(), idle) << trace;
        EXPECT_EQ(label->text(), text) << trace;
        EXPECT_EQ(recorder->width(), width) << trace;

        // A key recorded with the pointer still there: the new shortcut shows at the same size.
        QTest::keyClick(recorder, Qt::Key_Space);
        ASSERT_TRUE(recorder->isRecording());
        QKeyEvent chord(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier, 44, 0, 0); // X key J
        QApplication::sendEvent(recorder, &chord);
        ASSERT_FALSE(recorder->isRecording()) << trace;
        EXPECT_EQ(label->font().pixelSize(), idle) << trace;
        EXPECT_EQ(label->text(), recorder->labelText()) << trace;

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(recorder, &leave);
        EXPECT_EQ(label->font().pixelSize(), idle) << trace;
    }
}
