#pragma once

#include "Expected.h"

#include <QObject>

// The identity a hot key is registered under and reported back with.
struct HotKeyID
{
    quint32 signature = 0; // four ASCII bytes, the first in the most significant byte
    quint32 id = 0;

    bool operator==(const HotKeyID &) const = default;
};

// System-wide hot keys: a key held with modifiers that reaches us whichever application is in front.
class HotKeyBackend : public QObject
{
    Q_OBJECT

public:
    using HotKeyRef = quint64;
    // The status of a registration that the display refused because another program holds the key (BadAccess).
    static constexpr int keyTakenStatus = 10;
    // The status of a registration whose key the current keyboard map cannot type (BadValue).
    static constexpr int keyUnavailableStatus = 2;

    using QObject::QObject;

    // Registers a virtual key (VirtualKey) with a modifier mask (HotKeyModifier). Answers the reference that
    // unregisters it, or the non-zero status of the failure; a failed registration holds nothing.
    virtual Expected<HotKeyRef, int> registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyID id) = 0;
    // Releases one registration; an unknown reference is ignored.
    virtual void unregisterHotKey(HotKeyRef ref) = 0;

Q_SIGNALS:
    // A registered hot key was pressed (once per press; a held key does not repeat). Emitted on the main thread
    // while the backend handles the key event.
    void hotKeyPressed(HotKeyID id);
};
