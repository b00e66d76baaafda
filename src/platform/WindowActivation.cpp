#include "WindowActivation.h"

#include "x11/X11WindowActivation.h"

#include <QGuiApplication>
#include <QWidget>

void WindowActivation::bringToFront(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        X11WindowActivation::requestActivation(quint32(window.winId()));
}

void WindowActivation::takeFocusBack(QWidget &window)
{
    if (!window.isVisible())
        return;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        X11WindowActivation::giveInputFocus(quint32(window.winId()));
    bringToFront(window);
}
