#include "OutsideClickDismissalMonitor.h"

#include <QCursor>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A window that counts the presses that reach it.
class CountingWindow : public QWidget
{
public:
    explicit CountingWindow(QRect geometry)
    {
        setGeometry(geometry);
        show();
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        QWidget::mousePressEvent(event);
    }
};

// The pointer is where the monitor looks; the press itself is sent to the window named.
void press(QWidget *receiver, QPoint pointer, Qt::MouseButton button = Qt::LeftButton)
{
    QCursor::setPos(pointer);
    QTest::mousePress(receiver, button, {}, receiver->mapFromGlobal(pointer));
    QTest::mouseRelease(receiver, button, {}, receiver->mapFromGlobal(pointer));
}

} // namespace

TEST(OutsideClickDismissalMonitor, DismissesOnAPressOutsideThePanelAndSwallowsIt)
{
    CountingWindow panel(QRect(100, 100, 200, 120));
    CountingWindow other(QRect(500, 100, 200, 120));
    const QRect frame = panel.frameGeometry();

    struct Case
    {
        const char *name;
        QPoint pointer;
        Qt::MouseButton button;
        bool dismisses;
    };
    const Case cases[] = {
        {"inside, left button", frame.center(), Qt::LeftButton, false},
        {"inside, right button", frame.center(), Qt::RightButton, false},
        {"top-left corner", frame.topLeft(), Qt::LeftButton, false},
        {"right edge", QPoint(frame.left() + frame.width(), frame.center().y()), Qt::LeftButton, true},
        {"bottom edge", QPoint(frame.center().x(), frame.top() + frame.height()), Qt::LeftButton, true},
        {"left of it", QPoint(frame.left() - 1, frame.center().y()), Qt::RightButton, true},
        {"outside, middle button", QPoint(20, 20), Qt::MiddleButton, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OutsideClickDismissalMonitor monitor;
        int dismissals = 0;
        monitor.start(&panel, [&] { ++dismissals; });
        panel.presses = 0;
        press(&panel, c.pointer, c.button);
        EXPECT_EQ(dismissals, c.dismisses ? 1 : 0);
        EXPECT_EQ(panel.presses, c.dismisses ? 0 : 1) << "a dismissing press reaches no window";
    }

    // A press on another window of the application, with the pointer there, dismisses too and is swallowed.
    OutsideClickDismissalMonitor monitor;
    int dismissals = 0;
    monitor.start(&panel, [&] { ++dismissals; });
    press(&other, other.frameGeometry().center());
    EXPECT_EQ(dismissals, 1);
    EXPECT_EQ(other.presses, 0);

    // Keys never dismiss.
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(dismissals, 1);
}

TEST(OutsideClickDismissalMonitor, LetsEverythingPassWhenThePanelIsHiddenGoneOrTheMonitorStopped)
{
    CountingWindow other(QRect(500, 100, 200, 120));
    const QPoint onOther = other.frameGeometry().center();
    int dismissals = 0;
    OutsideClickDismissalMonitor monitor;

    auto *panel = new CountingWindow(QRect(100, 100, 200, 120));
    monitor.start(panel, [&] { ++dismissals; });
    panel->hide();
    press(&other, onOther);
    EXPECT_EQ(other.presses, 1);

    delete panel; // the monitor does not keep the window alive
    press(&other, onOther);
    EXPECT_EQ(other.presses, 2);
    EXPECT_EQ(dismissals, 0);

    CountingWindow shown(QRect(100, 100, 200, 120));
    monitor.start(&shown, [&] { ++dismissals; });
    EXPECT_TRUE(monitor.isRunning());
    monitor.stop();
    monitor.stop(); // harmless
    EXPECT_FALSE(monitor.isRunning());
    press(&other, onOther);
    EXPECT_EQ(other.presses, 3);
    EXPECT_EQ(dismissals, 0);

    // The usual owner stops the monitor inside its callback; the press is still swallowed.
    monitor.start(&shown, [&] {
        ++dismissals;
        monitor.stop();
        shown.hide();
    });
    press(&other, onOther);
    EXPECT_EQ(dismissals, 1);
    EXPECT_EQ(other.presses, 3);
    press(&other, onOther);
    EXPECT_EQ(other.presses, 4);
}

TEST(OutsideClickDismissalMonitor, APanelInsideAWindowIsMeasuredWhereItIsOnTheScreen)
{
    CountingWindow window(QRect(100, 100, 400, 300));
    auto *sheet = new CountingWindow(QRect(150, 60, 100, 80)); // at 250, 160 on the screen
    sheet->setParent(&window);
    sheet->setGeometry(150, 60, 100, 80);
    sheet->show();
    OutsideClickDismissalMonitor monitor;
    int dismissals = 0;
    monitor.start(sheet, [&] { ++dismissals; });
    const QPoint onScreen = sheet->mapToGlobal(QPoint(50, 40));
    press(sheet, onScreen);
    EXPECT_EQ(dismissals, 0);
    EXPECT_EQ(sheet->presses, 1);
    // Where the sheet would be if its place in the window were taken for a place on the screen: outside it.
    window.presses = 0; // the sheet's press went on to the window
    press(&window, window.mapToGlobal(QPoint(10, 250)));
    EXPECT_EQ(dismissals, 1);
    EXPECT_EQ(window.presses, 0);
}
