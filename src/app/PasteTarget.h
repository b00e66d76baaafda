#pragma once

#include "Workspace.h"

#include <optional>

class KeyPoster;

// The application the user works in, as pasting sees it: the application in front, or, while one of our own windows
// is in front, the one whose window was active before ours. The platform layer remembers that window (it gives it
// the focus back before a paste); this names its application. Main thread only.
class PasteTarget
{
public:
    PasteTarget(KeyPoster &keys, const Workspace &workspace);

    // Called just before one of our windows takes the focus: the window in front now is where pastes go.
    void remember();
    // The application a paste would go to now; nothing when there is none.
    std::optional<RunningApplication> application() const;

private:
    KeyPoster &m_keys;
    const Workspace &m_workspace;
};
