#pragma once

#include "DesktopEntries.h"
#include "Workspace.h"

class KeyPoster;

// The X11 desktop's front application: the application of the active window (the window manager's
// _NET_ACTIVE_WINDOW, else the window with the input focus), matched to its desktop entry. Without an entry
// the window's WM_CLASS class names it. Reads only the X server (never another client), so it is quick and
// safe on the GUI thread. Needs the xcb platform; elsewhere there is no front application.
class X11Workspace final : public Workspace
{
    Q_OBJECT

public:
    explicit X11Workspace(QObject *parent = nullptr);
    // Desktop entries from the given folders instead of the XDG applications folders.
    explicit X11Workspace(const QStringList &applicationDirectories, QObject *parent = nullptr);

    bool isAvailable() const { return m_connection != nullptr; }

    // While one of our own windows is active, the front application is the one whose window was active before
    // ours: the key poster's paste target. Without a key poster it is none. The poster must outlive the workspace.
    void setPasteTargets(const KeyPoster *keys) { m_pasteTargets = keys; }

    std::optional<RunningApplication> frontApplication() const override;
    std::optional<RunningApplication> applicationOfWindow(quint32 window) const override;

private:
    quint32 activeWindow() const;

    void *m_connection = nullptr; // the GUI's xcb_connection_t
    quint32 m_root = 0;
    quint32 m_applicationBase = 0;
    quint32 m_applicationMask = 0;
    struct Atoms
    {
        quint32 activeWindow = 0;
        quint32 wmPid = 0;
        quint32 gtkApplicationId = 0;
        quint32 kdeDesktopFile = 0;
        quint32 utf8String = 0;
    } m_atoms;
    mutable DesktopEntries m_entries;
    const KeyPoster *m_pasteTargets = nullptr;
};
