#pragma once

#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class AppCoordinator;

// The commands that change or remove history items: delete, clear, split, favourite, rename, edit and transform.
// Each writes the store first and tells the model after the write succeeded; a store failure becomes the model's
// last error. Main thread only.
class ItemCommands final
{
public:
    explicit ItemCommands(AppCoordinator &coordinator);

    void deleteItems(const QList<ClipboardItem> &items);
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
    // Gives the item a new text: its kind follows the text, rich data goes, and a link preview stays only with
    // the same address.
    void replaceText(const ClipboardItem &item, const std::function<QString(const QString &)> &newText);

    AppCoordinator &m_coordinator;
};
