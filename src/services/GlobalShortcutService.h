#pragma once

#include "HotKeyBackend.h"
#include "ShortcutText.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

// System-wide hot keys for the global actions. The coordinator registers them after unregisterAll() each time the
// preferences are applied: action 0 shows the history, 1 pauses or resumes capture, 2 pastes the next item and
// 3 pastes the next item as rich content. Used on the main thread.
class GlobalShortcutService : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void()>;

    // Every hot key is registered under the signature "VRST" and the id action index + 1.
    static constexpr quint32 signature = (quint32('V') << 24) | (quint32('R') << 16) | (quint32('S') << 8) | 'T';

    explicit GlobalShortcutService(HotKeyBackend &backend, QObject *parent = nullptr);
    // Unregisters every hot key.
    ~GlobalShortcutService() override;

    static std::optional<ParsedShortcut> parseShortcut(const QString &text) { return ShortcutText::parse(text); }
    static std::optional<MenuKeyEquivalent> menuKeyEquivalent(const QString &text)
    {
        return ShortcutText::menuKeyEquivalent(text);
    }

    // Registers the shortcut text as the hot key of an action. A text that does not parse (the empty text among
    // them) registers nothing and says nothing; a registration the display refuses is logged as
    // "Varnisto failed to register global shortcut <text>: <status>" and leaves the action without a hot key.
    // The handler runs on the main thread after the key event has been handled, and only while `context` exists.
    void registerShortcut(quint8 actionIndex, const QString &text, QObject *context, Handler handler);
    // Removes every registered hot key and every handler.
    void unregisterAll();

private:
    // What the tests and benchmarks look into.
    friend class ServicesProbe;

    struct Entry
    {
        QPointer<QObject> context;
        Handler handler;
    };

    void handleHotKeyEvent(HotKeyID id);

    HotKeyBackend &m_backend;
    QHash<quint32, Entry> m_handlers;
    QList<HotKeyBackend::HotKeyRef> m_hotKeys;
};
