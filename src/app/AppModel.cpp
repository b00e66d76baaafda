#include "AppModel.h"

#include "Localization.h"
#include "MemoryTuning.h"
#include "TextUtilities.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <utility>

namespace {

void fillIdentity(HistorySortKey &key, const QUuid &id)
{
    // The text of an id is its bytes in order as upper-case hexadecimal, so comparing the bytes as two
    // big-endian numbers orders ids as their texts compare.
    key.idHigh = (quint64(id.data1) << 32) | (quint64(id.data2) << 16) | quint64(id.data3);
    key.idLow = 0;
    for (const uchar byte : id.data4)
        key.idLow = (key.idLow << 8) | byte;
}

// The ids loaded both before and after a change of the whole list whose item now holds another value.
QSet<QUuid> replacedItems(const QList<ClipboardItem> &before, const QList<ClipboardItem> &after)
{
    QSet<QUuid> changed;
    if (before.isEmpty() || (before.constData() == after.constData() && before.size() == after.size()))
        return changed;
    QHash<QUuid, const ClipboardItem *> previous;
    previous.reserve(before.size());
    for (auto item = before.crbegin(); item != before.crend(); ++item)
        previous.insert(item->id, &*item); // the first of two equal ids is inserted last and wins
    for (const ClipboardItem &item : after) {
        const auto found = previous.constFind(item.id);
        if (found != previous.cend() && !(*found.value() == item))
            changed.insert(item.id);
    }
    return changed;
}

} // namespace

AppModel::AppModel(std::shared_ptr<const SourceApplicationLocator> locator, QObject *parent)
    : QObject(parent), m_localizationRevision(QUuid::createUuid()), m_locator(std::move(locator))
{ }

// --- Members ---------------------------------------------------------------------------------------------------------

void AppModel::setItems(QList<ClipboardItem> items)
{
    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    ++m_itemsRevision;
    QList<ClipboardItem> before = std::exchange(m_items, std::move(items));
    m_cache.listReplaced(before, m_items);
    m_positionsValid = false;
    Q_EMIT itemsChanged(m_items);
    reportChangedItems(replacedItems(before, m_items));
    // A list replaced as a whole was read from the store (at start, after an import): what reading it freed, and
    // what the old list held, goes back to the system.
    before = QList<ClipboardItem>();
    releaseFreedMemory();
}

void AppModel::setTags(const QList<Tag> &tags)
{
    Q_EMIT aboutToChange();
    m_tags = tags;
    Q_EMIT tagsChanged(m_tags);
}

void AppModel::setSelectedItemID(const std::optional<QUuid> &id)
{
    Q_EMIT aboutToChange();
    m_selectedItemID = id;
    Q_EMIT selectedItemIDChanged(m_selectedItemID);
}

void AppModel::setSelectedItemIDs(const QSet<QUuid> &ids)
{
    Q_EMIT aboutToChange();
    m_selectedItemIDs = ids;
    Q_EMIT selectedItemIDsChanged(m_selectedItemIDs);
}

void AppModel::setSelectedItemIDsInSelectionOrder(const QList<QUuid> &ids)
{
    Q_EMIT aboutToChange();
    m_selectedItemIDsInSelectionOrder = ids;
    Q_EMIT selectedItemIDsInSelectionOrderChanged(m_selectedItemIDsInSelectionOrder);
}

void AppModel::setSearchQuery(const QString &query)
{
    Q_EMIT aboutToChange();
    // The order without a search text is kept while the user types: a search narrows it, and needs no sort.
    if (m_visibleOrder && TextUtilities::trimmedWhitespaceAndNewlines(m_searchQuery).isEmpty()) {
        m_unsearchedOrder = std::move(m_visibleOrder);
        m_unsearchedOrderRevision = m_itemsRevision;
    }
    m_visibleOrder.reset();
    m_searchQuery = query;
    Q_EMIT searchQueryChanged(m_searchQuery);
}

void AppModel::setPreferences(const AppPreferences &preferences)
{
    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    m_preferences = preferences;
    Q_EMIT preferencesChanged(m_preferences);
}

void AppModel::setHistorySortOption(HistorySortOption option)
{
    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    m_historySortOption = option;
    Q_EMIT historySortOptionChanged(m_historySortOption);
}

void AppModel::setHistorySortReversed(bool reversed)
{
    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    m_isHistorySortReversed = reversed;
    Q_EMIT isHistorySortReversedChanged(m_isHistorySortReversed);
}

void AppModel::setSelectedHistoryFilterContentTypes(const QSet<HistoryFilterContentType> &types)
{
    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    m_contentTypes = types;
    Q_EMIT selectedHistoryFilterContentTypesChanged(m_contentTypes);
}

void AppModel::setSelectedHistoryFilterTagIDs(const QSet<qint64> &ids)
{
    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    m_tagIDs = ids;
    Q_EMIT selectedHistoryFilterTagIDsChanged(m_tagIDs);
}

void AppModel::setSelectedHistoryFilterSourceApplicationIDs(const QSet<QString> &ids)
{
    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    m_sourceApplicationIDs = ids;
    Q_EMIT selectedHistoryFilterSourceApplicationIDsChanged(m_sourceApplicationIDs);
}

void AppModel::setRefusedCopyLimit(const std::optional<qint64> &limit)
{
    Q_EMIT aboutToChange();
    m_refusedCopyLimit = limit;
    Q_EMIT refusedCopyLimitChanged(m_refusedCopyLimit);
}

std::optional<QString> AppModel::refusedCopyNotice() const
{
    if (!m_refusedCopyLimit)
        return std::nullopt;
    const qint64 megabytes = *m_refusedCopyLimit / (1024 * 1024);
    return localized(QStringLiteral("The copy was not kept: copies larger than %@ MB are not taken into the history."),
        {QLocale(currentInterfaceLanguage()).toString(megabytes)});
}

void AppModel::setPaused(bool paused)
{
    Q_EMIT aboutToChange();
    m_isPaused = paused;
    Q_EMIT isPausedChanged(m_isPaused);
}

void AppModel::setLastError(const std::optional<QString> &error)
{
    Q_EMIT aboutToChange();
    m_lastError = error;
    Q_EMIT lastErrorChanged(m_lastError);
}

void AppModel::setLocalizationRevision(const QUuid &revision)
{
    Q_EMIT aboutToChange();
    m_localizationRevision = revision;
    Q_EMIT localizationRevisionChanged(m_localizationRevision);
}

// --- Reads -----------------------------------------------------------------------------------------------------------

std::optional<ClipboardItem> AppModel::selectedItem() const
{
    if (m_selectedItemID) {
        if (const ClipboardItem *selected = item(*m_selectedItemID))
            return *selected;
        return std::nullopt;
    }
    const std::vector<qsizetype> visible = visibleOrder();
    if (visible.empty())
        return std::nullopt;
    return m_items.at(visible.front());
}

QList<ClipboardItem> AppModel::selectedItems() const
{
    if (m_selectedItemIDs.isEmpty()) {
        if (const auto item = selectedItem())
            return {*item};
        return {};
    }
    QList<ClipboardItem> result;
    for (const QUuid &id : m_selectedItemIDsInSelectionOrder) {
        if (!m_selectedItemIDs.contains(id))
            continue;
        if (const ClipboardItem *selected = item(id))
            result.append(*selected);
    }
    if (!result.isEmpty())
        return result;
    for (const qsizetype position : visibleOrder()) {
        if (m_selectedItemIDs.contains(m_items.at(position).id))
            result.append(m_items.at(position));
    }
    return result;
}

QList<ClipboardItem> AppModel::visibleSelectedItems() const
{
    return visibleAmong(selectedItems());
}

std::optional<ClipboardItem> AppModel::visibleSelectedItem() const
{
    const std::optional<ClipboardItem> focused = selectedItem();
    if (!narrowsItems())
        return focused;
    QList<ClipboardItem> candidates;
    if (focused)
        candidates.append(*focused);
    candidates.append(selectedItems());
    const QList<ClipboardItem> visible = visibleAmong(candidates);
    return visible.isEmpty() ? std::nullopt : std::optional(visible.first());
}

bool AppModel::narrowsItems() const
{
    return hasActiveHistoryFilters() || !TextUtilities::trimmedWhitespaceAndNewlines(m_searchQuery).isEmpty();
}

QList<ClipboardItem> AppModel::visibleAmong(const QList<ClipboardItem> &items) const
{
    if (items.isEmpty() || !narrowsItems())
        return items;
    QSet<QUuid> visibleIDs;
    for (const qsizetype position : visiblePositions())
        visibleIDs.insert(m_items.at(position).id);
    QList<ClipboardItem> result;
    for (const ClipboardItem &item : items) {
        if (visibleIDs.contains(item.id))
            result.append(item);
    }
    return result;
}

bool AppModel::hasActiveHistoryFilters() const
{
    return !m_contentTypes.isEmpty() || !m_tagIDs.isEmpty() || !m_sourceApplicationIDs.isEmpty();
}

QStringList AppModel::tagNames(const QList<qint64> &tagIDs) const
{
    QHash<qint64, QString> names;
    for (const Tag &tag : m_tags)
        names.insert(tag.id, tag.name);
    QStringList result;
    for (const qint64 id : tagIDs) {
        const auto found = names.constFind(id);
        if (found != names.cend())
            result.append(found.value());
    }
    return result;
}

// What lets an item into the list now: the content-type, tag and source-application tokens and the search text.
struct AppModel::Visibility
{
    bool favoritesOnly = false;
    bool filtersKinds = false;
    bool wantsText = false, wantsImages = false, wantsFiles = false, wantsLinks = false, wantsEmails = false,
         wantsColors = false;
    CaseFoldedText query;
};

AppModel::Visibility AppModel::visibility() const
{
    Visibility v;
    v.favoritesOnly = m_contentTypes.contains(HistoryFilterContentType::favorites);
    for (const HistoryFilterContentType type : m_contentTypes) {
        switch (type) {
        case HistoryFilterContentType::text:
            v.wantsText = true;
            break;
        case HistoryFilterContentType::images:
            v.wantsImages = true;
            break;
        case HistoryFilterContentType::files:
            v.wantsFiles = true;
            break;
        case HistoryFilterContentType::links:
            v.wantsLinks = true;
            break;
        case HistoryFilterContentType::emails:
            v.wantsEmails = true;
            break;
        case HistoryFilterContentType::colors:
            v.wantsColors = true;
            break;
        case HistoryFilterContentType::all:
        case HistoryFilterContentType::favorites:
            break;
        }
    }
    v.filtersKinds = v.wantsText || v.wantsImages || v.wantsFiles || v.wantsLinks || v.wantsEmails || v.wantsColors;
    v.query = CaseFoldedText::needle(TextUtilities::trimmedWhitespaceAndNewlines(m_searchQuery));
    return v;
}

bool AppModel::isVisible(const Visibility &v, qsizetype position) const
{
    const ClipboardItem &item = m_items.at(position);
    if (v.favoritesOnly && !item.isFavorite)
        return false;
    if (v.filtersKinds) {
        bool matches = false;
        switch (item.kind) {
        case ClipboardKind::text:
        case ClipboardKind::richText:
            matches = v.wantsText;
            break;
        case ClipboardKind::image:
            matches = v.wantsImages;
            break;
        case ClipboardKind::file:
            matches = v.wantsFiles || (v.wantsImages && m_cache.hasOnlyImageFiles(position, item));
            break;
        case ClipboardKind::link:
            matches = v.wantsLinks;
            break;
        case ClipboardKind::email:
            matches = v.wantsEmails;
            break;
        case ClipboardKind::color:
            matches = v.wantsColors;
            break;
        }
        if (!matches)
            return false;
    }
    if (!m_tagIDs.isEmpty()
        && std::none_of(item.tags.cbegin(), item.tags.cend(), [&](qint64 tag) { return m_tagIDs.contains(tag); }))
        return false;
    if (!m_sourceApplicationIDs.isEmpty()) {
        const auto &application = m_cache.sourceApplication(position, item);
        if (!application || !m_sourceApplicationIDs.contains(application->id))
            return false;
    }
    // Without regard to case; accents count.
    return v.query.isEmpty() || m_cache.foldedSearchText(position, item).contains(v.query);
}

std::vector<qsizetype> AppModel::visiblePositions() const
{
    const Visibility v = visibility();
    std::vector<qsizetype> positions;
    positions.reserve(m_items.size());
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (isVisible(v, i))
            positions.push_back(i);
    }
    return positions;
}

void AppModel::placeInVisibleOrder(qsizetype position)
{
    // Kept in order rather than sorted again: where the item goes among the others by the history order, after the
    // equal ones of lower positions (as the stable sort puts them).
    if (!m_visibleOrder)
        return;
    std::vector<qsizetype> &order = *m_visibleOrder;
    std::erase(order, position);
    if (!isVisible(visibility(), position))
        return;
    const HistoryOrder historyOrder = currentOrder();
    const HistorySortKey key = sortKey(position);
    const auto at = std::partition_point(order.begin(), order.end(), [&](qsizetype other) {
        const HistorySortKey otherKey = sortKey(other);
        return historyOrder.sortsBefore(otherKey, key)
            || (!historyOrder.sortsBefore(key, otherKey) && other < position);
    });
    order.insert(at, position);
}

HistoryOrder AppModel::currentOrder() const
{
    return HistoryOrder(m_historySortOption, m_isHistorySortReversed, m_preferences.pinFavoritesToTop,
        m_preferences.copySequenceModeEnabled);
}

HistorySortKey AppModel::sortKey(qsizetype position) const
{
    const ClipboardItem &item = m_items.at(position);
    HistorySortKey key;
    const HistoryItemCache::Dates &dates = m_cache.dates(position, item);
    key.copiedAt = dates.copiedAt;
    key.firstCopiedAt = dates.firstCopiedAt;
    key.copyCount = item.copyCount;
    key.byteSize = item.byteSize;
    key.copySequence = dates.copySequence;
    key.copySequenceOrder = item.copySequenceOrder.value_or(0);
    key.isFavorite = item.isFavorite;
    fillIdentity(key, item.id);
    return key;
}

HistorySortKey AppModel::sortKey(const ClipboardItem &item)
{
    HistorySortKey key;
    key.copiedAt = HistoryItemCache::msecsOf(item.copiedAt);
    key.firstCopiedAt = HistoryItemCache::msecsOf(item.firstCopiedAt);
    key.copyCount = item.copyCount;
    key.byteSize = item.byteSize;
    if (item.copySequenceID)
        key.copySequence = HistoryItemCache::msecsOf(*item.copySequenceID);
    key.copySequenceOrder = item.copySequenceOrder.value_or(0);
    key.isFavorite = item.isFavorite;
    fillIdentity(key, item.id);
    return key;
}

QList<ClipboardItem> AppModel::itemsAt(const std::vector<qsizetype> &positions) const
{
    // The whole list in its own order (no filter, the stored order) is the list itself, shared rather than copied:
    // a window that keeps it holds no second copy of every item.
    if (qsizetype(positions.size()) == m_items.size()) {
        qsizetype expected = 0;
        if (std::all_of(positions.cbegin(), positions.cend(), [&](qsizetype p) { return p == expected++; }))
            return m_items;
    }
    QList<ClipboardItem> result;
    result.reserve(qsizetype(positions.size()));
    for (const qsizetype position : positions)
        result.append(m_items.at(position));
    return result;
}

QList<ClipboardItem> AppModel::filteredItems() const
{
    return itemsAt(visibleOrder());
}

QList<QUuid> AppModel::visibleItemIDs() const
{
    const std::vector<qsizetype> order = visibleOrder();
    QList<QUuid> ids;
    ids.reserve(qsizetype(order.size()));
    for (const qsizetype position : order)
        ids.append(m_items.at(position).id);
    return ids;
}

std::optional<qsizetype> AppModel::positionOf(const QUuid &id) const
{
    if (!m_positionsValid) {
        m_positionByID.clear();
        m_positionByID.reserve(m_items.size());
        m_positionBase = 0;
        for (qsizetype i = m_items.size() - 1; i >= 0; --i)
            m_positionByID.insert(m_items.at(i).id, i); // the first of two equal ids is inserted last and wins
        m_positionsValid = true;
    }
    const auto found = m_positionByID.constFind(id);
    if (found == m_positionByID.cend())
        return std::nullopt;
    return found.value() - m_positionBase;
}

std::vector<const ClipboardItem *> AppModel::visibleItems() const
{
    const std::vector<qsizetype> order = visibleOrder();
    std::vector<const ClipboardItem *> items;
    items.reserve(order.size());
    for (const qsizetype position : order)
        items.push_back(&m_items.at(position));
    return items;
}

const ClipboardItem *AppModel::item(const QUuid &id) const
{
    const std::optional<qsizetype> position = positionOf(id);
    return position ? &m_items.at(*position) : nullptr;
}

std::vector<qsizetype> AppModel::visibleOrder() const
{
    // Kept until the tokens, the search text, the sort, the preferences or the whole list change, and kept in step
    // with a capture, an update, a removal and a trim: a window that opens or reloads reads it several times over,
    // and a capture into a long history sorts nothing again.
    if (!m_visibleOrder)
        m_visibleOrder = sortedVisibleOrder();
    return *m_visibleOrder;
}

void AppModel::forgetVisibleOrder()
{
    m_visibleOrder.reset();
    m_unsearchedOrder.reset();
}

std::vector<qsizetype> AppModel::sortedVisibleOrder() const
{
    if (m_unsearchedOrder && m_unsearchedOrderRevision == m_itemsRevision) {
        // The search only takes items out of the order the tokens and the sort give, which the stable sort of
        // what it leaves would keep.
        const Visibility v = visibility();
        if (v.query.isEmpty())
            return *m_unsearchedOrder;
        std::vector<qsizetype> order;
        order.reserve(m_unsearchedOrder->size());
        std::copy_if(m_unsearchedOrder->cbegin(), m_unsearchedOrder->cend(), std::back_inserter(order),
            [&](qsizetype position) { return isVisible(v, position); });
        return order;
    }
    const std::vector<qsizetype> positions = visiblePositions();
    std::vector<HistorySortKey> keys;
    keys.reserve(positions.size());
    for (const qsizetype position : positions)
        keys.push_back(sortKey(position));
    std::vector<qsizetype> order(positions.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = qsizetype(k);
    currentOrder().sort(order, keys);
    for (qsizetype &k : order)
        k = positions[k];
    return order;
}

bool AppModel::sortsBefore(const ClipboardItem &a, const ClipboardItem &b) const
{
    return currentOrder().sortsBefore(sortKey(a), sortKey(b));
}

std::strong_ordering AppModel::compareForSort(const ClipboardItem &a, const ClipboardItem &b) const
{
    return currentOrder().compareForSort(sortKey(a), sortKey(b));
}

std::strong_ordering AppModel::compareCopySequence(const ClipboardItem &a, const ClipboardItem &b) const
{
    return HistoryOrder::compareCopySequence(sortKey(a), sortKey(b));
}

QList<HistorySourceApplication> AppModel::sourceApplications() const
{
    // Kept while the items stay the same: the window asks on every change it shows, a search among them.
    if (m_sourceApplications && m_sourceApplicationsRevision == m_itemsRevision)
        return *m_sourceApplications;
    QList<HistorySourceApplication> entries;
    QHash<QString, qsizetype> positionById;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const auto &application = m_cache.sourceApplication(i, m_items.at(i));
        if (!application)
            continue;
        const auto found = positionById.constFind(application->id);
        if (found == positionById.cend()) {
            positionById.insert(application->id, entries.size());
            entries.append(*application);
            continue;
        }
        // A later entry of the same name wins only when its application is installed and the first one's is not.
        HistorySourceApplication &kept = entries[found.value()];
        if (applicationPath(*application) && !applicationPath(kept))
            kept = *application;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        entries.begin(), entries.end(), [&](const HistorySourceApplication &a, const HistorySourceApplication &b) {
            return collator.compare(a.name, b.name) < 0;
        });
    m_sourceApplications = entries;
    m_sourceApplicationsRevision = m_itemsRevision;
    return entries;
}

std::optional<QString> AppModel::applicationPath(const HistorySourceApplication &application) const
{
    if (!m_locator)
        return std::nullopt;
    if (application.bundleIdentifier) {
        auto found = m_pathsByIdentifier.constFind(*application.bundleIdentifier);
        if (found == m_pathsByIdentifier.cend())
            found = m_pathsByIdentifier.insert(
                *application.bundleIdentifier, m_locator->pathForIdentifier(*application.bundleIdentifier));
        if (found.value())
            return found.value();
    }
    auto found = m_pathsByName.constFind(application.name);
    if (found == m_pathsByName.cend())
        found = m_pathsByName.insert(application.name, m_locator->pathForName(application.name));
    return found.value();
}

// --- Operations ------------------------------------------------------------------------------------------------------

void AppModel::clearHistoryFilters()
{
    setSelectedHistoryFilterContentTypes({});
    setSelectedHistoryFilterTagIDs({});
    setSelectedHistoryFilterSourceApplicationIDs({});
}

void AppModel::removePositions(const std::vector<qsizetype> &positions)
{
    Q_EMIT aboutToChange();
    if (!positions.empty()) {
        ++m_itemsRevision;
        if (m_visibleOrder) {
            // The order loses the removed positions, and the others move up past them.
            std::vector<qsizetype> &order = *m_visibleOrder;
            std::erase_if(
                order, [&](qsizetype p) { return std::binary_search(positions.cbegin(), positions.cend(), p); });
            for (qsizetype &p : order)
                p -= std::lower_bound(positions.cbegin(), positions.cend(), p) - positions.cbegin();
        }
        // Close the gaps in place, moving each kept item once.
        ClipboardItem *items = m_items.data();
        qsizetype write = positions.front();
        size_t next = 0;
        for (qsizetype read = positions.front(); read < m_items.size(); ++read) {
            if (next < positions.size() && positions[next] == read)
                ++next;
            else
                items[write++] = std::move(items[read]);
        }
        m_items.resize(write);
        m_cache.removePositions(positions);
        m_positionsValid = false;
    }
    Q_EMIT itemsChanged(m_items);
}

void AppModel::reportChangedItems(const QSet<QUuid> &ids)
{
    if (!ids.isEmpty())
        Q_EMIT itemsChangedByID(ids);
}

void AppModel::selectOnly(const std::optional<QUuid> &id)
{
    setSelectedItemID(id);
    setSelectedItemIDs(id ? QSet<QUuid> {*id} : QSet<QUuid>());
    setSelectedItemIDsInSelectionOrder(id ? QList<QUuid> {*id} : QList<QUuid>());
}

void AppModel::removeItems(QSet<QUuid> ids)
{
    if (ids.isEmpty())
        return;

    // Where the focused item stood in the list, when it is one of those removed.
    const bool focusRemoved = m_selectedItemID && ids.contains(*m_selectedItemID);
    QList<QUuid> visibleBefore;
    std::optional<qsizetype> focusPosition;
    if (focusRemoved) {
        for (const qsizetype position : visibleOrder()) {
            const QUuid &id = m_items.at(position).id;
            if (!focusPosition && id == *m_selectedItemID)
                focusPosition = visibleBefore.size();
            visibleBefore.append(id);
        }
    }

    std::vector<qsizetype> positions;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (ids.contains(m_items.at(i).id))
            positions.push_back(i);
    }
    removePositions(positions);
    pruneSourceApplicationFilter();

    Q_EMIT aboutToChange();
    m_selectedItemIDs.removeIf([&](const QUuid &id) { return ids.contains(id); });
    Q_EMIT selectedItemIDsChanged(m_selectedItemIDs);
    Q_EMIT aboutToChange();
    m_selectedItemIDsInSelectionOrder.removeIf([&](const QUuid &id) { return ids.contains(id); });
    Q_EMIT selectedItemIDsInSelectionOrderChanged(m_selectedItemIDsInSelectionOrder);

    if (!focusRemoved)
        return;
    std::optional<QUuid> focus;
    if (focusPosition) {
        for (qsizetype i = *focusPosition + 1; i < visibleBefore.size() && !focus; ++i) {
            if (!ids.contains(visibleBefore.at(i)))
                focus = visibleBefore.at(i);
        }
        for (qsizetype i = *focusPosition - 1; i >= 0 && !focus; --i) {
            if (!ids.contains(visibleBefore.at(i)))
                focus = visibleBefore.at(i);
        }
    } else if (const std::vector<qsizetype> visible = visibleOrder(); !visible.empty()) {
        focus = m_items.at(visible.front()).id;
    }
    selectOnly(focus);
}

void AppModel::updateItem(ClipboardItem item)
{
    const std::optional<qsizetype> found = positionOf(item.id);
    if (!found) {
        upsertItem(std::move(item));
        return;
    }
    const qsizetype position = *found;
    Q_EMIT aboutToChange();
    ++m_itemsRevision;
    const ClipboardItem before = std::exchange(m_items[position], item);
    m_cache.itemReplaced(position, before, item);
    placeInVisibleOrder(position);
    Q_EMIT itemsChanged(m_items);
    if (!(before == item))
        reportChangedItems({item.id});

    std::vector<qsizetype> others;
    for (qsizetype i = position + 1; i < m_items.size(); ++i) {
        if (m_items.at(i).id == item.id)
            others.push_back(i);
    }
    removePositions(others);
    pruneSourceApplicationFilter();
}

void AppModel::upsertItem(ClipboardItem item)
{
    const QString key = item.contentKey();
    const size_t keyHash = qHash(key);
    std::optional<ClipboardItem> previous; // the loaded item of the same id, which comes back with a new value
    std::vector<qsizetype> positions;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const ClipboardItem &loaded = m_items.at(i);
        if (loaded.id == item.id) {
            if (!previous)
                previous = loaded;
            positions.push_back(i);
        } else if (loaded.kind == item.kind && m_cache.hasContentKey(i, loaded, key, keyHash)) {
            positions.push_back(i);
        }
    }
    removePositions(positions);

    Q_EMIT aboutToChange();
    ++m_itemsRevision;
    m_items.prepend(item);
    m_cache.prependOne();
    if (m_visibleOrder) {
        for (qsizetype &position : *m_visibleOrder)
            ++position;
        placeInVisibleOrder(0);
    }
    if (m_positionsValid) {
        // The index keeps up: the others move down one position together, and the new item takes the first.
        --m_positionBase;
        m_positionByID.insert(item.id, m_positionBase);
    }
    Q_EMIT itemsChanged(m_items);
    if (previous && !(*previous == item))
        reportChangedItems({item.id});

    pruneSourceApplicationFilter();
    selectOnly(item.id);
}

void AppModel::trimItems(qint64 limit)
{
    if (limit <= 0)
        limit = AppPreferences::defaultMaxHistoryItems;
    if (limit >= m_items.size())
        return;
    Q_EMIT aboutToChange();
    ++m_itemsRevision;
    if (m_visibleOrder)
        std::erase_if(*m_visibleOrder, [&](qsizetype position) { return position >= limit; });
    if (m_positionsValid) {
        for (qsizetype i = qsizetype(limit); i < m_items.size(); ++i) {
            const auto found = m_positionByID.constFind(m_items.at(i).id);
            if (found != m_positionByID.cend() && found.value() - m_positionBase == i)
                m_positionByID.erase(found);
        }
    }
    m_items.resize(qsizetype(limit));
    m_cache.truncate(qsizetype(limit));
    Q_EMIT itemsChanged(m_items);
    pruneSourceApplicationFilter();
}

void AppModel::applyItemUpdates(QList<ClipboardItem> updates)
{
    if (updates.isEmpty())
        return;
    QHash<QUuid, qsizetype> pending;
    for (qsizetype k = 0; k < updates.size(); ++k)
        pending.insert(updates.at(k).id, k); // a later update of the same id wins
    QSet<QUuid> applied;
    QSet<QUuid> changed;
    QList<ClipboardItem> walked;
    walked.reserve(m_items.size());
    for (const ClipboardItem &item : std::as_const(m_items)) {
        const auto found = pending.constFind(item.id);
        if (found == pending.cend()) {
            walked.append(item);
            continue;
        }
        const ClipboardItem &update = updates.at(found.value());
        if (!(update == item))
            changed.insert(item.id);
        walked.append(update);
        applied.insert(item.id);
        pending.erase(found);
    }
    QList<ClipboardItem> items;
    items.reserve(updates.size() + walked.size());
    for (const ClipboardItem &update : updates) {
        if (!applied.contains(update.id))
            items.append(update);
    }
    items.append(walked);

    Q_EMIT aboutToChange();
    forgetVisibleOrder();
    ++m_itemsRevision;
    const QList<ClipboardItem> before = std::exchange(m_items, std::move(items));
    m_cache.listReplaced(before, m_items);
    m_positionsValid = false;
    Q_EMIT itemsChanged(m_items);
    reportChangedItems(changed);
    pruneSourceApplicationFilter();
}

void AppModel::pruneSourceApplicationFilter()
{
    if (m_sourceApplicationIDs.isEmpty())
        return;
    QSet<QString> present;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (const auto &application = m_cache.sourceApplication(i, m_items.at(i)))
            present.insert(application->id);
    }
    QSet<QString> kept = m_sourceApplicationIDs;
    kept.intersect(present);
    if (kept.size() != m_sourceApplicationIDs.size())
        setSelectedHistoryFilterSourceApplicationIDs(kept);
}
