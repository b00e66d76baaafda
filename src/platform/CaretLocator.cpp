#include "CaretLocator.h"

#include <QThread>

std::optional<QRect> CaretLocator::caretFromCharacterExtents(
    const std::optional<QRect> &atCaret, const std::optional<QRect> &beforeCaret, const std::optional<QRect> &textFrame)
{
    const auto adjusted = [&](QRect rect) {
        if (rect.x() == 0 && textFrame && textFrame->x() > 0)
            rect.moveLeft(textFrame->x() + rect.x());
        return rect;
    };
    if (atCaret && atCaret->height() > 0)
        return adjusted(*atCaret);
    if (beforeCaret && beforeCaret->height() > 0) {
        const QRect before = adjusted(*beforeCaret);
        return QRect(before.x() + before.width(), before.y(), 0, before.height());
    }
    return std::nullopt;
}

std::optional<QRect> MemoryCaretLocator::caretRect(QDeadlineTimer deadline)
{
    ++queries;
    if (!trusted)
        return std::nullopt;
    if (answerDelayMs > 0) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining >= 0 && remaining < answerDelayMs) {
            QThread::msleep(quint64(remaining));
            return std::nullopt;
        }
        QThread::msleep(quint64(answerDelayMs));
    }
    return caret;
}
