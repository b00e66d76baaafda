#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

// A running application as the history records it. An application bundle is a desktop entry here:
// the bundle identifier is the desktop file id without ".desktop", the bundle path the desktop file's path.
struct RunningApplication
{
    QString name; // localised Name of the desktop entry, else the WM_CLASS class
    QString bundleIdentifier; // desktop file id without ".desktop", else the WM_CLASS class
    QString bundlePath; // absolute path of the desktop file; empty without an entry
    qint64 processId = 0; // 0 when unknown
    QString iconName; // the entry's Icon, for the theme

    bool operator==(const RunningApplication &) const = default;
};

// The desktop's view of running applications.
class Workspace : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The application of the active window; nothing when no window is active. While one of our own windows is
    // active, the application the user works in behind it (the paste target), where the workspace knows it.
    virtual std::optional<RunningApplication> frontApplication() const = 0;
    // The application of one of the desktop's windows (the key poster's paste target, say); nothing for no window,
    // for one of our own, or for a window that is gone.
    virtual std::optional<RunningApplication> applicationOfWindow(quint32 window) const = 0;
};

// A workspace whose front application and windows the test sets.
class MemoryWorkspace final : public Workspace
{
    Q_OBJECT

public:
    using Workspace::Workspace;
    void setFrontApplication(std::optional<RunningApplication> application) { m_front = std::move(application); }
    void setApplicationOfWindow(quint32 window, RunningApplication application)
    {
        m_windows.insert(window, std::move(application));
    }
    std::optional<RunningApplication> frontApplication() const override { return m_front; }
    std::optional<RunningApplication> applicationOfWindow(quint32 window) const override
    {
        const auto found = m_windows.constFind(window);
        return found == m_windows.cend() ? std::nullopt : std::optional<RunningApplication>(*found);
    }

private:
    std::optional<RunningApplication> m_front;
    QHash<quint32, RunningApplication> m_windows;
};
