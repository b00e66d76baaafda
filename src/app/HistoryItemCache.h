#pragma once

#include "CaseFoldedText.h"
#include "ClipboardItem.h"
#include "HistorySourceApplication.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

// What the model works out from each loaded item for searching, filtering, sorting and duplicate detection,
// kept between reads so that a search as the user types does not fold every text again and a capture does not
// compute every content key again. Values are worked out at their first use.
//
// Entries follow the model's list by position. The model reports every change it makes to the list, with the
// items before and after, and an entry keeps only the values whose item fields stayed the same; reads then
// trust the entries.
class HistoryItemCache
{
public:
    // The list went from `before` to `after` as a whole: entries follow their items by id.
    void listReplaced(const QList<ClipboardItem> &before, const QList<ClipboardItem> &after);
    // The item at this position was replaced.
    void itemReplaced(qsizetype position, const ClipboardItem &before, const ClipboardItem &after);
    // The elements at these positions left the list (positions ascending).
    void removePositions(const std::vector<qsizetype> &positions);
    // A new element went to the front of the list.
    void prependOne();
    // The list was cut to its first `count` elements.
    void truncate(qsizetype count);

    // The search text case-folded, for a search without regard to case.
    const CaseFoldedText &foldedSearchText(qsizetype position, const ClipboardItem &item);
    // Whether the item's content key is `key`, whose hash is `keyHash`. Only the key's hash and length are kept, so
    // that a key as long as the item's text is not held a second time; a match is confirmed with the key itself.
    bool hasContentKey(qsizetype position, const ClipboardItem &item, const QString &key, size_t keyHash);
    // The item's source application entry (its id is the filter token); nothing when the item names none.
    const std::optional<HistorySourceApplication> &sourceApplication(qsizetype position, const ClipboardItem &item);
    // Whether the item has file paths and every one of them names an image file.
    bool hasOnlyImageFiles(qsizetype position, const ClipboardItem &item);

    // The item's dates in milliseconds since 1970, for sorting; an invalid date is the earliest of all.
    struct Dates
    {
        qint64 copiedAt = 0;
        qint64 firstCopiedAt = 0;
        std::optional<qint64> copySequence;
    };
    const Dates &dates(qsizetype position, const ClipboardItem &item);
    // The same conversion without a cache.
    static qint64 msecsOf(const QDateTime &date);

private:
    enum Value : quint8 {
        Search = 1,
        Key = 2,
        Application = 4,
        Images = 8,
        DatesReady = 16,
    };
    struct Entry
    {
        quint8 ready = 0; // which values below hold
        bool onlyImages = false;
        CaseFoldedText foldedSearch;
        size_t keyHash = 0;
        qsizetype keySize = 0;
        Dates dates;
        std::optional<HistorySourceApplication> application;
    };

    // The values of `entry` that the change from `before` to `after` leaves true.
    static void keepWhatHolds(Entry &entry, const ClipboardItem &before, const ClipboardItem &after);

    std::vector<Entry> m_entries;
};
