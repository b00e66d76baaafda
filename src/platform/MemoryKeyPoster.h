#pragma once

#include "KeyPoster.h"

#include <QList>

// Records posted key presses instead of posting them.
class MemoryKeyPoster final : public KeyPoster
{
    Q_OBJECT

public:
    struct Press
    {
        quint16 keyCode = 0;
        quint64 flags = 0;
        bool operator==(const Press &) const = default;
    };

    using KeyPoster::KeyPoster;

    void setTrusted(bool trusted) { m_trusted = trusted; }
    // The window in front, as the test sets it; 0 stands for one of ours (or none).
    void setActiveWindow(quint32 window) { m_activeWindow = window; }
    const QList<Press> &presses() const { return m_presses; }
    int rememberedTargetCount() const { return m_rememberedTargets; }

    bool isTrusted() const override { return m_trusted; }
    void rememberTargetWindow() override;
    void postKeyPress(quint16 keyCode, quint64 flags) override;
    quint32 pasteTargetWindow() const override { return m_activeWindow ? m_activeWindow : m_rememberedWindow; }

private:
    QList<Press> m_presses;
    int m_rememberedTargets = 0;
    quint32 m_activeWindow = 0;
    quint32 m_rememberedWindow = 0;
    bool m_trusted = true;
};
