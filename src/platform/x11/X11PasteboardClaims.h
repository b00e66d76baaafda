#pragma once

#include <QAbstractNativeEventFilter>

// Keeps what QClipboard serves while its window owns a selection that the program claimed for it behind Qt's back.
//
// Qt claims a selection with the time of the last event it handled; when another client took the selection after
// that time, the X server refuses, and the X11 layer claims it for Qt's window at the current time (X11Pasteboard
// for the clipboard, X11KeyPoster for the primary selection). Qt's notice that the other client had taken the
// selection may still wait in its queue then; handled afterwards, it makes Qt drop the content it holds, although its
// window owns the selection again, and every request is refused. This filter takes such notices out: a
// SelectionClear of CLIPBOARD or PRIMARY for a window that owns that selection again by the time it is handled.
//
// Installs itself on the application's event dispatcher while it lives; does nothing without the xcb platform.
class X11StaleSelectionClearFilter final : public QAbstractNativeEventFilter
{
public:
    X11StaleSelectionClearFilter();
    ~X11StaleSelectionClearFilter() override;
    X11StaleSelectionClearFilter(const X11StaleSelectionClearFilter &) = delete;
    X11StaleSelectionClearFilter &operator=(const X11StaleSelectionClearFilter &) = delete;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void *m_connection = nullptr; // the GUI's xcb_connection_t
    quint32 m_clipboardAtom = 0;
    bool m_installed = false;
};
