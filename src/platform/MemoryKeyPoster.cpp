#include "MemoryKeyPoster.h"

void MemoryKeyPoster::postKeyPress(quint16 keyCode, quint64 flags)
{
    m_presses.append({keyCode, flags});
}
