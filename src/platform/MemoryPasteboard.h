#pragma once

#include "Pasteboard.h"

// An in-process pasteboard for tests: content is set directly, every set raises the change count.
class MemoryPasteboard final : public Pasteboard
{
    Q_OBJECT

public:
    using Pasteboard::Pasteboard;

    // Replaces the content as another application would.
    void setContent(const PasteboardContent &content);
    // The same, with a representation left out for its size, as a pasteboard with a size limit would.
    void setContent(const PasteboardContent &content, const OversizedContent &leftOut);
    // Makes the next writes fail, as a pasteboard that refuses them would.
    void setFailsWrites(bool fails) { m_failsWrites = fails; }
    // Makes the content unreadable (every read empty) until set back, as a slow owner would; setting it back
    // says that the content has arrived.
    void setReadable(bool readable);
    // What contentArrivalLimitMs() answers; nothing arrives late unless the test says so.
    void setContentArrivalLimitMs(qint64 limit) { m_contentArrivalLimitMs = limit; }

    // Keeps the content of every readable change for takeKeptChange(), as a pasteboard read on a thread of its
    // own does; off unless the test says so.
    void setKeepsChanges(bool keeps) { m_keepsChanges = keeps; }

    const PasteboardContent &content() const { return m_content; }
    int writeCount() const { return m_writeCount; }

    qint64 changeCount() const override { return m_changeCount; }
    qint64 contentArrivalLimitMs() const override { return m_contentArrivalLimitMs; }
    QStringList types() const override;
    std::optional<QByteArray> data(const QString &type) const override;
    std::optional<OversizedContent> oversizedContent() const override;
    Expected<void, QString> write(const PasteboardContent &content) override;
    std::optional<PasteboardChange> takeKeptChange(qint64 changeCount) override;

private:
    void replaceContent(const PasteboardContent &content, const std::optional<OversizedContent> &leftOut);

    PasteboardContent m_content;
    std::optional<OversizedContent> m_oversized;
    qint64 m_changeCount = 0;
    int m_writeCount = 0;
    bool m_failsWrites = false;
    bool m_readable = true;
    qint64 m_contentArrivalLimitMs = 0;
    bool m_keepsChanges = false;
    QList<PasteboardChange> m_kept;
};
