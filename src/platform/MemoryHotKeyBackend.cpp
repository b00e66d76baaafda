#include "MemoryHotKeyBackend.h"

void MemoryHotKeyBackend::refuse(quint32 keyCode, quint32 modifiers, int status)
{
    m_refused.insert(combination(keyCode, modifiers), status);
}

bool MemoryHotKeyBackend::press(quint32 keyCode, quint32 modifiers)
{
    for (const Registration &registration : std::as_const(m_registrations)) {
        if (registration.keyCode == keyCode && registration.modifiers == modifiers) {
            Q_EMIT hotKeyPressed(registration.id);
            return true;
        }
    }
    return false;
}

Expected<HotKeyBackend::HotKeyRef, int> MemoryHotKeyBackend::registerHotKey(
    quint32 keyCode, quint32 modifiers, HotKeyID id)
{
    if (const auto refused = m_refused.constFind(combination(keyCode, modifiers)); refused != m_refused.cend())
        return Expected<HotKeyRef, int>::failure(*refused);
    // Like a display, one key combination has one owner.
    for (const Registration &registration : std::as_const(m_registrations)) {
        if (registration.keyCode == keyCode && registration.modifiers == modifiers)
            return Expected<HotKeyRef, int>::failure(keyTakenStatus);
    }
    const HotKeyRef ref = m_nextRef++;
    m_registrations.append({ref, keyCode, modifiers, id});
    return ref;
}

void MemoryHotKeyBackend::unregisterHotKey(HotKeyRef ref)
{
    m_registrations.removeIf([ref](const Registration &registration) { return registration.ref == ref; });
}
