#pragma once

#include "ClipboardItem.h"
#include "ItemCommandRegistry.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class AppCoordinator;
class AppModel;

// What the item commands ask of the window they run in: its sheets (preview, rename, new tag), its pickers, the
// checks and refusals of the commands that need them, and the copied notice.
class ItemCommandHost
{
public:
    virtual ~ItemCommandHost() = default;

    virtual void presentPreview(const ClipboardItem &item, bool beginEditing) = 0;
    virtual void editItem(const ClipboardItem &item) = 0;
    virtual void renameItem(const ClipboardItem &item) = 0;
    // Opens the transform picker for the item.
    virtual void transformItem(const ClipboardItem &item) = 0;
    virtual void copyTextFromImage(const ClipboardItem &item) = 0;
    virtual void copyTextFromQRCode(const ClipboardItem &item) = 0;
    virtual void saveImageAsFile(const ClipboardItem &item) = 0;
    virtual void openInBrowser(const ClipboardItem &item) = 0;
    // Opens the application picker for the item's file.
    virtual void openWith(const ClipboardItem &item) = 0;
    // The new-tag dialog for these items (read afresh by id when the tag is applied).
    virtual void presentNewTagSheet(const QList<QUuid> &itemIDs) = 0;
    // Opens the content-type picker.
    virtual void filterHistoryByType() = 0;
    // Opens the separator picker for pasting these items one after another.
    virtual void showSeparatorPicker(const QList<QUuid> &itemIDs) = 0;
    // The copied notice on the toolbar, when there is one.
    virtual void showCopySuccess() = 0;
};

// Carries out item commands. Each request names its items by id; the runner reads them afresh from the model when
// it runs, so that a list made before an item changed never writes back the old copy, and skips an item that is
// gone by then. The coordinator and the window's commands do the work and keep their own checks. GUI thread only.
class ItemCommandRunner final : public QObject
{
    Q_OBJECT

public:
    ItemCommandRunner(AppModel &model, AppCoordinator &coordinator, ItemCommandHost &host, QObject *parent = nullptr);

    void run(const ItemCommandRequest &request);

    // The loaded item of the id; none when it is gone.
    std::optional<ClipboardItem> item(const QUuid &id) const;
    // The loaded items of the ids in their order, without those that are gone.
    QList<ClipboardItem> items(const QList<QUuid> &ids) const;

    // Several items and one tag: when every item has it, it is taken off all; otherwise it is added to each that
    // lacks it.
    void applyTag(const QList<QUuid> &itemIDs, qint64 tagID);
    // What the new-tag dialog's Create does for the items: a tag of that name (whatever its letter case) is put on
    // them; without one it is created first. Answers why it could not be done, or nothing when it was.
    std::optional<QString> applyNewTag(const QString &name, const QColor &color, const QList<QUuid> &ids);

private:
    std::optional<Tag> tagNamed(const QString &name) const;

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    ItemCommandHost &m_host;
};
