#include "PasteTarget.h"

#include "KeyPoster.h"

PasteTarget::PasteTarget(KeyPoster &keys, const Workspace &workspace) : m_keys(keys), m_workspace(workspace) { }

void PasteTarget::remember()
{
    m_keys.rememberTargetWindow();
}

std::optional<RunningApplication> PasteTarget::application() const
{
    return m_workspace.applicationOfWindow(m_keys.pasteTargetWindow());
}
