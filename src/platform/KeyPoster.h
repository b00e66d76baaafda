#pragma once

#include <QObject>

// Posts synthetic key presses into the application the user is working in.
//
// The paste target is the window that was active before one of our windows took focus: rememberTargetWindow() is
// called just before such a window is shown. When a press is posted while one of our own windows (or none) is
// active, the remembered window gets focus back first; otherwise the press goes to the active window. Presses are
// posted in the order asked for and keep the spacing in time between them.
class KeyPoster : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether synthetic key input is possible at all (on X11: the display has the XTEST extension).
    virtual bool isTrusted() const = 0;
    // Records the active window as the paste target.
    virtual void rememberTargetWindow() = 0;
    // One key-down and one key-up of a virtual key (VirtualKey) with the modifier flags (KeyEventFlag) held.
    virtual void postKeyPress(quint16 keyCode, quint64 flags) = 0;
    // The window that presses posted now would go to: the active window, or the remembered one while one of our own
    // windows (or none) is active. Never one of ours; 0 when there is none. The workspace names its application.
    virtual quint32 pasteTargetWindow() const = 0;
};
