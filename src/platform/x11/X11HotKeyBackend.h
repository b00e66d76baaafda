#pragma once

#include "HotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QList>

#include <functional>
#include <memory>

class X11KeyboardMap;
struct xcb_connection_t;

// Hot keys as passive key grabs on the root window of Qt's X connection. Each hot key is grabbed four times, with
// and without CapsLock and NumLock, so that it works whatever their state. A key that another program already
// grabs fails with BadAccess (HotKeyBackend::keyTakenStatus).
class X11HotKeyBackend final : public HotKeyBackend, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit X11HotKeyBackend(QObject *parent = nullptr);
    ~X11HotKeyBackend() override;

    Expected<HotKeyRef, int> registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyID id) override;
    void unregisterHotKey(HotKeyRef ref) override;

    // Runs `post` with our grabs of the X key code and modifiers lifted, so that keys we post ourselves reach the
    // focused window instead of coming back to us as a hot key.
    void withoutGrabsOf(quint8 keycode, quint16 modifiers, const std::function<void()> &post);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Grab
    {
        HotKeyRef ref = 0;
        HotKeyID id;
        QList<quint8> keycodes;
        quint16 modifiers = 0;
    };

    QList<quint16> lockVariants() const;
    int grab(const Grab &grab);
    void ungrab(const Grab &grab);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    std::unique_ptr<X11KeyboardMap> m_keyboard;
    QList<Grab> m_grabs;
    QHash<quint8, quint32> m_heldKeys; // key code -> time of its latest press
    HotKeyRef m_nextRef = 1;
};
