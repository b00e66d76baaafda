#include "MemoryKeyPoster.h"

void MemoryKeyPoster::rememberTargetWindow()
{
    ++m_rememberedTargets;
    if (m_activeWindow)
        m_rememberedWindow = m_activeWindow;
}

void MemoryKeyPoster::postKeyPress(quint16 keyCode, quint64 flags)
{
    m_presses.append({keyCode, flags});
}
