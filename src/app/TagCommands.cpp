#include "TagCommands.h"

#include "AppModel.h"
#include "HistoryStore.h"
#include "HistoryWrites.h"
#include "TagOrder.h"

#include <QColor>
#include <QHash>

#include <algorithm>
#include <cmath>

TagCommands::TagCommands(AppModel &model, HistoryStore &store, HistoryWrites &writes)
    : m_model(model), m_store(store), m_writes(writes)
{ }

QString TagCommands::tagColorHex(const QColor &color)
{
    // Extended sRGB keeps its components as given (they may lie outside 0...1); every other form converts.
    const QColor rgb = color.spec() == QColor::ExtendedRgb ? color : color.toRgb();
    const auto component = [](float value) { return std::clamp(std::lround(double(value) * 255.0), 0L, 255L); };
    return QString::asprintf(
        "#%02lX%02lX%02lX", component(rgb.redF()), component(rgb.greenF()), component(rgb.blueF()));
}

void TagCommands::putTagIntoModel(const Tag &tag)
{
    QList<Tag> tags = m_model.tags();
    const auto existing = std::find_if(tags.begin(), tags.end(), [&](const Tag &t) { return t.id == tag.id; });
    if (existing != tags.end())
        *existing = tag;
    else
        tags.append(tag);
    m_model.setTags(tags);
}

std::optional<Tag> TagCommands::createTag(const QString &name, const QColor &color)
{
    const auto tag = m_store.ensureTag(name, tagColorHex(color));
    if (!tag) {
        m_model.setLastError(tag.error().description());
        return std::nullopt;
    }
    putTagIntoModel(*tag);
    return *tag;
}

void TagCommands::updateTag(qint64 id, const QString &name, const QColor &color)
{
    // The store renames the tag and rebuilds the search text of every stored item that carries it.
    const auto tag = m_store.updateTag(Tag {id, name, tagColorHex(color)});
    if (!tag) {
        m_model.setLastError(tag.error().description());
        return;
    }
    putTagIntoModel(*tag);
    QList<ClipboardItem> updated;
    for (const ClipboardItem &item : m_model.items()) {
        if (item.tags.contains(id))
            updated.append(m_writes.withFreshSearchText(item));
    }
    m_model.applyItemUpdates(updated);
}

void TagCommands::deleteTag(qint64 id)
{
    // The store deletes the tag and takes it off every stored item that carries it.
    if (auto deleted = m_store.deleteTag(id); !deleted) {
        m_model.setLastError(deleted.error().description());
        return;
    }
    QList<Tag> tags = m_model.tags();
    tags.removeIf([&](const Tag &tag) { return tag.id == id; });
    m_model.setTags(tags);
    QSet<qint64> filter = m_model.selectedHistoryFilterTagIDs();
    filter.remove(id);
    m_model.setSelectedHistoryFilterTagIDs(filter);

    QList<ClipboardItem> updated;
    for (ClipboardItem item : m_model.items()) {
        if (!item.tags.contains(id))
            continue;
        item.tags.removeAll(id);
        updated.append(m_writes.withFreshSearchText(item));
    }
    m_model.applyItemUpdates(updated);
}

QList<qint64> TagCommands::sortedByName(QList<qint64> tagIDs) const
{
    return TagOrder::idsSortedByName(std::move(tagIDs), m_model.tags());
}

void TagCommands::changeTags(const ClipboardItem &item, const std::function<void(QList<qint64> &)> &change)
{
    const auto updated = m_writes.update(item, [&](ClipboardItem &stored) {
        change(stored.tags);
        stored.tags = sortedByName(stored.tags);
    });
    if (!updated)
        m_model.setLastError(updated.error().description());
}

void TagCommands::toggleTag(const ClipboardItem &item, qint64 tagID)
{
    // Toggled as the user saw the item.
    const bool remove = item.tags.contains(tagID);
    changeTags(item, [&](QList<qint64> &tags) {
        if (remove)
            tags.removeAll(tagID);
        else if (!tags.contains(tagID))
            tags.append(tagID);
    });
}

void TagCommands::assignTag(const ClipboardItem &item, qint64 tagID)
{
    changeTags(item, [&](QList<qint64> &tags) {
        if (!tags.contains(tagID))
            tags.append(tagID);
    });
}
