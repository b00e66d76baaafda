#include "MemoryPasteboard.h"

void MemoryPasteboard::setContent(const PasteboardContent &content)
{
    replaceContent(content, std::nullopt);
}

void MemoryPasteboard::setContent(const PasteboardContent &content, const OversizedContent &leftOut)
{
    replaceContent(content, leftOut);
}

void MemoryPasteboard::replaceContent(const PasteboardContent &content, const std::optional<OversizedContent> &leftOut)
{
    m_oversized = leftOut;
    m_content = content;
    ++m_changeCount;
    if (m_keepsChanges && m_readable)
        m_kept.append({m_changeCount, content, leftOut});
    Q_EMIT changed();
    if (m_readable)
        Q_EMIT contentReady(m_changeCount);
}

void MemoryPasteboard::setReadable(bool readable)
{
    if (readable == m_readable)
        return;
    m_readable = readable;
    if (readable) {
        if (m_keepsChanges)
            m_kept.append({m_changeCount, m_content, m_oversized});
        Q_EMIT contentReady(m_changeCount);
    }
}

std::optional<PasteboardChange> MemoryPasteboard::takeKeptChange(qint64 changeCount)
{
    m_kept.removeIf([changeCount](const PasteboardChange &kept) { return kept.changeCount <= changeCount; });
    if (m_kept.isEmpty() || m_kept.first().changeCount >= m_changeCount)
        return std::nullopt;
    return m_kept.takeFirst();
}

QStringList MemoryPasteboard::types() const
{
    return m_readable ? m_content.types() : QStringList();
}

std::optional<QByteArray> MemoryPasteboard::data(const QString &type) const
{
    if (!m_readable)
        return std::nullopt;
    return m_content.data(type);
}

std::optional<OversizedContent> MemoryPasteboard::oversizedContent() const
{
    if (!m_readable)
        return std::nullopt;
    return m_oversized;
}

Expected<void, QString> MemoryPasteboard::write(const PasteboardContent &content)
{
    if (m_failsWrites)
        return Expected<void, QString>::failure(QStringLiteral("the pasteboard refused the write"));
    ++m_writeCount;
    setContent(content);
    return {};
}
