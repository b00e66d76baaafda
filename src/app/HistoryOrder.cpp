#include "HistoryOrder.h"

#include <algorithm>

HistoryOrder::HistoryOrder(HistorySortOption option, bool reversed, bool pinFavoritesToTop, bool copySequenceMode)
    : m_option(option)
    , m_reversed(reversed && !copySequenceMode)
    , m_pinFavoritesToTop(pinFavoritesToTop)
    , m_copySequenceMode(copySequenceMode)
{ }

std::strong_ordering HistoryOrder::compareCopySequence(const HistorySortKey &a, const HistorySortKey &b)
{
    const qint64 groupA = a.copySequence.value_or(a.copiedAt);
    const qint64 groupB = b.copySequence.value_or(b.copiedAt);
    if (groupA != groupB)
        return groupA <=> groupB;
    // One sequence lists its items in the order they were copied: the lower order comes first.
    if (a.copySequence && a.copySequence == b.copySequence)
        return b.copySequenceOrder <=> a.copySequenceOrder;
    return a.copiedAt <=> b.copiedAt;
}

std::strong_ordering HistoryOrder::compareForSort(const HistorySortKey &a, const HistorySortKey &b) const
{
    if (m_copySequenceMode)
        return compareCopySequence(a, b);
    switch (m_option) {
    case HistorySortOption::lastCopyTime:
        return a.copiedAt <=> b.copiedAt;
    case HistorySortOption::firstCopyTime:
        return a.firstCopiedAt <=> b.firstCopiedAt;
    case HistorySortOption::numberOfCopies:
        return a.copyCount <=> b.copyCount;
    case HistorySortOption::size:
        return a.byteSize <=> b.byteSize;
    }
    return a.copiedAt <=> b.copiedAt;
}

bool HistoryOrder::sortsBefore(const HistorySortKey &a, const HistorySortKey &b) const
{
    if (m_pinFavoritesToTop && a.isFavorite != b.isFavorite)
        return a.isFavorite;
    const std::strong_ordering order = compareForSort(a, b);
    if (order < 0)
        return m_reversed;
    if (order > 0)
        return !m_reversed;
    // Ties: the later copy first, then the id text; neither follows the option or the direction.
    if (a.copiedAt == b.copiedAt)
        return a.idHigh != b.idHigh ? a.idHigh < b.idHigh : a.idLow < b.idLow;
    return a.copiedAt > b.copiedAt;
}

void HistoryOrder::sort(std::vector<qsizetype> &positions, const std::vector<HistorySortKey> &keys) const
{
    const auto before = [&](qsizetype a, qsizetype b) { return sortsBefore(keys[a], keys[b]); };
    const size_t count = positions.size();
    constexpr size_t run = 24;

    // Runs sorted by insertion, each step bounded by the start of its run.
    for (size_t start = 0; start < count; start += run) {
        const size_t end = std::min(count, start + run);
        for (size_t i = start + 1; i < end; ++i) {
            const qsizetype value = positions[i];
            size_t j = i;
            while (j > start && before(value, positions[j - 1])) {
                positions[j] = positions[j - 1];
                --j;
            }
            positions[j] = value;
        }
    }
    // Then merged pairwise; an element of the right run goes first only when it strictly sorts before.
    std::vector<qsizetype> buffer(count);
    for (size_t width = run; width < count; width *= 2) {
        for (size_t left = 0; left < count; left += 2 * width) {
            const size_t middle = std::min(count, left + width);
            const size_t end = std::min(count, left + 2 * width);
            size_t i = left, j = middle, out = left;
            while (i < middle && j < end)
                buffer[out++] = before(positions[j], positions[i]) ? positions[j++] : positions[i++];
            while (i < middle)
                buffer[out++] = positions[i++];
            while (j < end)
                buffer[out++] = positions[j++];
        }
        positions.swap(buffer);
    }
}
