#include "GlobalShortcutService.h"

#include <QDebug>

GlobalShortcutService::GlobalShortcutService(HotKeyBackend &backend, QObject *parent)
    : QObject(parent), m_backend(backend)
{
    connect(&m_backend, &HotKeyBackend::hotKeyPressed, this, &GlobalShortcutService::handleHotKeyEvent);
}

GlobalShortcutService::~GlobalShortcutService()
{
    unregisterAll();
}

void GlobalShortcutService::registerShortcut(quint8 actionIndex, const QString &text, QObject *context, Handler handler)
{
    Q_ASSERT(context);
    const auto parsed = parseShortcut(text);
    if (!parsed)
        return;
    const quint32 id = quint32(actionIndex) + 1;
    const auto ref = m_backend.registerHotKey(parsed->keyCode, parsed->modifiers, HotKeyID {signature, id});
    if (!ref) {
        qWarning().noquote() << QStringLiteral("Varnisto failed to register global shortcut ") + text
                + QStringLiteral(": ") + QString::number(ref.error());
        return;
    }
    m_handlers.insert(id, Entry {context, std::move(handler)});
    m_hotKeys.append(*ref);
}

void GlobalShortcutService::unregisterAll()
{
    for (const HotKeyBackend::HotKeyRef ref : std::as_const(m_hotKeys))
        m_backend.unregisterHotKey(ref);
    m_hotKeys.clear();
    m_handlers.clear();
}

void GlobalShortcutService::handleHotKeyEvent(HotKeyID id)
{
    // The handler runs once the key event has been handled; it is looked up then, so a hot key unregistered in
    // the meantime does nothing.
    QMetaObject::invokeMethod(
        this,
        [this, id = id.id] {
            const auto entry = m_handlers.constFind(id);
            if (entry == m_handlers.cend() || !entry->context)
                return;
            const Handler handler = entry->handler;
            handler();
        },
        Qt::QueuedConnection);
}
