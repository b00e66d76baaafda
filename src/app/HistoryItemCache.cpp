#include "HistoryItemCache.h"

#include "FileTypes.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace {

// Equal texts; the common case of one shared buffer is answered without reading it.
bool same(const QString &a, const QString &b)
{
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

bool same(const std::optional<QString> &a, const std::optional<QString> &b)
{
    return a.has_value() == b.has_value() && (!a || same(*a, *b));
}

bool same(const QStringList &a, const QStringList &b)
{
    if (a.size() != b.size())
        return false;
    if (a.constData() == b.constData())
        return true;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!same(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

bool sameDate(const QDateTime &a, const QDateTime &b)
{
    return a.isValid() == b.isValid() && a == b;
}

bool sameDate(const std::optional<QDateTime> &a, const std::optional<QDateTime> &b)
{
    return a.has_value() == b.has_value() && (!a || sameDate(*a, *b));
}

} // namespace

void HistoryItemCache::keepWhatHolds(Entry &entry, const ClipboardItem &before, const ClipboardItem &after)
{
    if (before.id != after.id) {
        entry = Entry();
        return;
    }
    if (!same(before.searchText, after.searchText)) {
        entry.ready &= ~Search;
        entry.foldedSearch = CaseFoldedText(); // it may share the old search text, which should go with its item
    }
    if (before.kind != after.kind || !same(before.text, after.text) || !same(before.html, after.html)
        || !same(before.filePaths, after.filePaths) || !same(before.searchText, after.searchText))
        entry.ready &= ~Key;
    if (!same(before.sourceAppName, after.sourceAppName)
        || !same(before.sourceBundleIdentifier, after.sourceBundleIdentifier))
        entry.ready &= ~Application;
    if (!same(before.filePaths, after.filePaths))
        entry.ready &= ~Images;
    if (!sameDate(before.copiedAt, after.copiedAt) || !sameDate(before.firstCopiedAt, after.firstCopiedAt)
        || !sameDate(before.copySequenceID, after.copySequenceID))
        entry.ready &= ~DatesReady;
}

void HistoryItemCache::listReplaced(const QList<ClipboardItem> &before, const QList<ClipboardItem> &after)
{
    if (qsizetype(m_entries.size()) != before.size()) {
        m_entries.assign(after.size(), Entry());
        return;
    }
    if (before.constData() == after.constData() && before.size() == after.size())
        return;
    // Items that kept their places, the usual case, need no search by id.
    const bool samePlaces = before.size() == after.size()
        && std::equal(before.cbegin(), before.cend(), after.cbegin(),
            [](const ClipboardItem &a, const ClipboardItem &b) { return a.id == b.id; });
    if (samePlaces) {
        for (qsizetype i = 0; i < after.size(); ++i)
            keepWhatHolds(m_entries[i], before.at(i), after.at(i));
        return;
    }
    // Each item finds the entry of the first unused item with its id in the old list.
    QMultiHash<QUuid, qsizetype> oldPositions;
    oldPositions.reserve(before.size());
    for (qsizetype i = before.size() - 1; i >= 0; --i)
        oldPositions.insert(before.at(i).id, i);
    std::vector<Entry> entries(after.size());
    for (qsizetype i = 0; i < after.size(); ++i) {
        const auto found = oldPositions.find(after.at(i).id);
        if (found == oldPositions.end())
            continue;
        const qsizetype old = found.value();
        oldPositions.erase(found);
        entries[i] = std::move(m_entries[old]);
        keepWhatHolds(entries[i], before.at(old), after.at(i));
    }
    m_entries = std::move(entries);
}

void HistoryItemCache::itemReplaced(qsizetype position, const ClipboardItem &before, const ClipboardItem &after)
{
    keepWhatHolds(m_entries[position], before, after);
}

void HistoryItemCache::removePositions(const std::vector<qsizetype> &positions)
{
    if (positions.empty())
        return;
    qsizetype write = positions.front();
    size_t next = 0;
    for (qsizetype read = positions.front(); read < qsizetype(m_entries.size()); ++read) {
        if (next < positions.size() && positions[next] == read) {
            ++next;
            continue;
        }
        m_entries[write++] = std::move(m_entries[read]);
    }
    m_entries.resize(write);
}

void HistoryItemCache::prependOne()
{
    m_entries.insert(m_entries.begin(), Entry());
}

void HistoryItemCache::truncate(qsizetype count)
{
    if (count < qsizetype(m_entries.size()))
        m_entries.resize(count);
}

const CaseFoldedText &HistoryItemCache::foldedSearchText(qsizetype position, const ClipboardItem &item)
{
    Entry &entry = m_entries[position];
    if (!(entry.ready & Search)) {
        entry.foldedSearch = CaseFoldedText(item.searchText);
        entry.ready |= Search;
    }
    return entry.foldedSearch;
}

bool HistoryItemCache::hasContentKey(qsizetype position, const ClipboardItem &item, const QString &key, size_t keyHash)
{
    Entry &entry = m_entries[position];
    if (!(entry.ready & Key)) {
        const QString own = item.contentKey();
        entry.keyHash = qHash(own);
        entry.keySize = own.size();
        entry.ready |= Key;
    }
    return entry.keyHash == keyHash && entry.keySize == key.size() && item.contentKey() == key;
}

const std::optional<HistorySourceApplication> &HistoryItemCache::sourceApplication(
    qsizetype position, const ClipboardItem &item)
{
    Entry &entry = m_entries[position];
    if (!(entry.ready & Application)) {
        entry.application = HistorySourceApplication::forItem(item);
        entry.ready |= Application;
    }
    return entry.application;
}

bool HistoryItemCache::hasOnlyImageFiles(qsizetype position, const ClipboardItem &item)
{
    Entry &entry = m_entries[position];
    if (!(entry.ready & Images)) {
        entry.onlyImages
            = !item.filePaths.isEmpty() && std::all_of(item.filePaths.cbegin(), item.filePaths.cend(), isImageFilePath);
        entry.ready |= Images;
    }
    return entry.onlyImages;
}

qint64 HistoryItemCache::msecsOf(const QDateTime &date)
{
    return date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

const HistoryItemCache::Dates &HistoryItemCache::dates(qsizetype position, const ClipboardItem &item)
{
    // Turning a local time into an instant takes a time-zone lookup: once per item, not once per sort.
    Entry &entry = m_entries[position];
    if (!(entry.ready & DatesReady)) {
        entry.dates.copiedAt = msecsOf(item.copiedAt);
        entry.dates.firstCopiedAt = msecsOf(item.firstCopiedAt);
        entry.dates.copySequence
            = item.copySequenceID ? std::optional<qint64>(msecsOf(*item.copySequenceID)) : std::nullopt;
        entry.ready |= DatesReady;
    }
    return entry.dates;
}
