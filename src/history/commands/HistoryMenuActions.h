#pragma once

#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"
#include "PasteVariant.h"
#include "Tag.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class AppCoordinator;
class AppModel;
class HistoryToolbar;
class HistoryWindowCommands;

// What the entries of the history window's item menus do. Each action names its items by id and reads them afresh
// from the model when it runs, so that a menu opened before an item changed never writes back the old copy; an item
// that is gone by then is skipped. The window's commands and the coordinator do the work and keep their own checks.
// GUI thread only.
class HistoryMenuActions final : public QObject
{
    Q_OBJECT

public:
    // The toolbar is asked for at each copy (it shows the copied notice); it may answer none.
    HistoryMenuActions(AppModel &model, AppCoordinator &coordinator, HistoryWindowCommands &commands,
        std::function<HistoryToolbar *()> toolbar, QObject *parent = nullptr);

    // The loaded item of the id; none when it is gone.
    std::optional<ClipboardItem> item(const QUuid &id) const;
    // The loaded items of the ids in their order, without those that are gone.
    QList<ClipboardItem> items(const QList<QUuid> &ids) const;

    void paste(const QUuid &id, PasteVariant variant);
    // The copies show the copied notice when the clipboard was written.
    void copy(const QUuid &id, PasteVariant variant);
    void copyPlainText(const QUuid &id);
    void toggleFavorite(const QUuid &id);
    void applyTransform(const QUuid &id, ClipboardTextTransform transform);
    void split(const QUuid &id);
    void rename(const QUuid &id);
    void edit(const QUuid &id);
    void copyTextFromImage(const QUuid &id);
    void copyTextFromQRCode(const QUuid &id);
    void saveImageAsFile(const QUuid &id);
    void openInBrowser(const QUuid &id);
    // Fetches the link preview again, also when the item has one.
    void updateLinkPreview(const QUuid &id);
    // Takes the tag off the item when it carries it, else puts it on.
    void toggleTag(const QUuid &id, qint64 tagID);
    void newTag(const QList<QUuid> &ids);
    void editTags();
    void preview(const QUuid &id);
    void showInFileManager(const QUuid &id);
    void openInAssociatedApplication(const QUuid &id);
    void openWith(const QUuid &id);
    void deleteItem(const QUuid &id);

    // What the new-tag dialog's Create does for the items: a tag of that name (whatever its letter case) is put on
    // them; without one it is created first. Answers why it could not be done, or nothing when it was.
    std::optional<QString> applyNewTag(const QString &name, const QColor &color, const QList<QUuid> &ids);

    // The model's tags by name, without regard to letter case, in the interface language's order.
    static QList<Tag> tagsSortedByName(const QList<Tag> &tags);

private:
    void showCopySuccess();
    std::optional<Tag> tagNamed(const QString &name) const;

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    HistoryWindowCommands &m_commands;
    std::function<HistoryToolbar *()> m_toolbar;
};
