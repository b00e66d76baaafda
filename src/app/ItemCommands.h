#pragma once

#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class AlertPresenter;
class AppModel;
class Clock;
class CommandFeedback;
class FilePreviewCache;
class HistoryStore;
class HistoryWrites;
class SupportFolder;

// The commands that change or remove history items: delete, clear, split, favourite, rename, edit and transform.
// Each writes the store first and tells the model after the write succeeded; a store failure becomes the model's
// last error. Main thread only.
class ItemCommands final
{
public:
    ItemCommands(AppModel &model, HistoryStore &store, HistoryWrites &writes, FilePreviewCache &filePreviews,
        const SupportFolder &support, CommandFeedback &feedback, AlertPresenter &alerts, const Clock &clock);

    void deleteItems(const QList<ClipboardItem> &items);
    // Without keepFavoritesOnClearHistory every item leaves the model; with it exactly the favourites and tagged
    // items stay. The model follows that rule, not only the rows the store reported: an item whose row was gone
    // already leaves as well.
    void clearHistory();
    bool confirmClearHistory();
    void splitItem(const ClipboardItem &item);
    void toggleFavorite(const ClipboardItem &item);
    void setFavorite(bool favorite, const QList<ClipboardItem> &items);
    void renameItem(const ClipboardItem &item, const std::optional<QString> &title);
    void editItem(const ClipboardItem &item, const QString &text);
    void transformItem(const ClipboardItem &item, ClipboardTextTransform transform);
    static QStringList trimmedTextLines(const ClipboardItem &item);
    void removeUnusedFilePreviews();

private:
    // A new text item of the text, copied now, from the application the source item came from.
    ClipboardItem newTextItem(const QString &text, const ClipboardItem &source, const QDateTime &now) const;
    // Gives the item a new text: its kind follows the text, rich data goes, and a link preview stays only with
    // the same address; with `keepsItemForSameText` a text that stays the same changes nothing. False when the
    // item's row is gone (nothing is written then).
    bool replaceText(const ClipboardItem &item, const std::function<QString(const QString &)> &newText,
        bool keepsItemForSameText = false);

    AppModel &m_model;
    HistoryStore &m_store;
    HistoryWrites &m_writes;
    FilePreviewCache &m_filePreviews;
    const SupportFolder &m_support;
    CommandFeedback &m_feedback;
    AlertPresenter &m_alerts;
    const Clock &m_clock;
};
