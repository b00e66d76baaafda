#pragma once

#include "ClipboardItem.h"
#include "Tag.h"

#include <QString>

#include <functional>
#include <optional>

class AppModel;
class HistoryStore;
class HistoryWrites;
class QColor;

// The commands on tags: create (or reuse by name), rename and recolour, delete, and put on or take off an item.
// The store first, the model after; a store failure becomes the model's last error. Main thread only.
class TagCommands final
{
public:
    TagCommands(AppModel &model, HistoryStore &store, HistoryWrites &writes);

    std::optional<Tag> createTag(const QString &name, const QColor &color);
    void updateTag(qint64 id, const QString &name, const QColor &color);
    void deleteTag(qint64 id);
    void toggleTag(const ClipboardItem &item, qint64 tagID);
    void assignTag(const ClipboardItem &item, qint64 tagID);
    static QString tagColorHex(const QColor &color);

private:
    // The tag in the model's list: replaced where it stands, else appended.
    void putTagIntoModel(const Tag &tag);
    // The item's tag ids in the order of their names.
    QList<qint64> sortedByName(QList<qint64> tagIDs) const;
    void changeTags(const ClipboardItem &item, const std::function<void(QList<qint64> &)> &change);

    AppModel &m_model;
    HistoryStore &m_store;
    HistoryWrites &m_writes;
};
