#pragma once

#include "HistorySortOption.h"

#include <QtGlobal>

#include <compare>
#include <optional>
#include <vector>

// The order of the history list, worked on keys taken from the items once per sort.
struct HistorySortKey
{
    qint64 copiedAt = 0; // milliseconds since 1970
    qint64 firstCopiedAt = 0;
    qint64 copyCount = 0;
    qint64 byteSize = 0;
    std::optional<qint64> copySequence; // the date that names the item's copy sequence
    qint64 copySequenceOrder = 0; // a missing order counts as 0
    quint64 idHigh = 0; // the id's 16 bytes in text order: comparing these compares the upper-case id texts
    quint64 idLow = 0;
    bool isFavorite = false;
};

class HistoryOrder
{
public:
    HistoryOrder(HistorySortOption option, bool reversed, bool pinFavoritesToTop, bool copySequenceMode);

    // Less means ascending (a's value is below b's), greater descending.
    std::strong_ordering compareForSort(const HistorySortKey &a, const HistorySortKey &b) const;
    static std::strong_ordering compareCopySequence(const HistorySortKey &a, const HistorySortKey &b);
    // Whether a comes before b in the list.
    bool sortsBefore(const HistorySortKey &a, const HistorySortKey &b) const;

    // A stable sort of positions into `keys` by sortsBefore. It never reads outside the range, also when the
    // copy-sequence order is not transitive (an item copied at the very instant that names a sequence).
    void sort(std::vector<qsizetype> &positions, const std::vector<HistorySortKey> &keys) const;

private:
    HistorySortOption m_option;
    bool m_reversed;
    bool m_pinFavoritesToTop;
    bool m_copySequenceMode;
};
