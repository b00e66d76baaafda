#pragma once

#include "ClipboardItem.h"

#include <QList>
#include <QUuid>

#include <functional>
#include <vector>

// The items a history list shows, in display order, by index. Its window hands over the model's own items in
// place, so that the list neither copies nor frees an item on a change; a caller without a model (a test, a
// benchmark) hands over copies.
class HistoryItems
{
public:
    using Lookup = std::function<const ClipboardItem *(const QUuid &)>;

    HistoryItems() = default;
    explicit HistoryItems(QList<ClipboardItem> copies) : m_copies(std::move(copies)) { }
    // The model's items, valid while `areCurrent` says so; after that each is found again by its id.
    static HistoryItems ofModel(
        std::vector<const ClipboardItem *> items, std::function<bool()> areCurrent, Lookup lookup)
    {
        HistoryItems made;
        made.m_pointers = std::move(items);
        made.m_areCurrent = std::move(areCurrent);
        made.m_lookup = std::move(lookup);
        return made;
    }

    qsizetype size() const { return isOfModel() ? qsizetype(m_pointers.size()) : m_copies.size(); }
    bool isEmpty() const { return size() == 0; }
    // Whether the items are the model's, which tells the list which of them changed.
    bool isOfModel() const { return bool(m_lookup); }

    // The item at the index; none out of range, or once the model's items have changed.
    const ClipboardItem *at(qsizetype index) const
    {
        if (index < 0 || index >= size())
            return nullptr;
        if (!isOfModel())
            return &m_copies.at(index);
        return m_areCurrent() ? m_pointers.at(size_t(index)) : nullptr;
    }
    // Whether the items handed over are still those of the model; copies always are.
    bool areCurrent() const { return !isOfModel() || m_areCurrent(); }
    // The item at an index in range, for a caller that has asked areCurrent().
    const ClipboardItem *currentAt(qsizetype index) const
    {
        return isOfModel() ? m_pointers[size_t(index)] : &m_copies.at(index);
    }
    // The item at the index, which has this id; once the model's items have changed, the model's item of the id,
    // none when it has let go of it (a list that still shows rows of items just removed).
    const ClipboardItem *at(qsizetype index, const QUuid &id) const
    {
        if (index < 0 || index >= size())
            return nullptr;
        if (!isOfModel())
            return &m_copies.at(index);
        return m_areCurrent() ? m_pointers.at(size_t(index)) : m_lookup(id);
    }

private:
    QList<ClipboardItem> m_copies;
    std::vector<const ClipboardItem *> m_pointers;
    std::function<bool()> m_areCurrent;
    Lookup m_lookup;
};
