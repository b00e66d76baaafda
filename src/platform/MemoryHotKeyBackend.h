#pragma once

#include "HotKeyBackend.h"

#include <QHash>
#include <QList>

// Hot keys without a display: registrations are kept in a list and presses are made by the test.
class MemoryHotKeyBackend final : public HotKeyBackend
{
    Q_OBJECT

public:
    struct Registration
    {
        HotKeyRef ref = 0;
        quint32 keyCode = 0;
        quint32 modifiers = 0;
        HotKeyID id;
    };

    using HotKeyBackend::HotKeyBackend;

    // Makes registrations of this key and mask fail with the status, as a key held by another program does.
    void refuse(quint32 keyCode, quint32 modifiers, int status);
    // Presses a key with modifiers; answers whether a registered hot key caught it.
    bool press(quint32 keyCode, quint32 modifiers);
    const QList<Registration> &registrations() const { return m_registrations; }

    Expected<HotKeyRef, int> registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyID id) override;
    void unregisterHotKey(HotKeyRef ref) override;

private:
    static quint64 combination(quint32 keyCode, quint32 modifiers) { return (quint64(keyCode) << 32) | modifiers; }

    QList<Registration> m_registrations;
    QHash<quint64, int> m_refused;
    HotKeyRef m_nextRef = 1;
};
