#pragma once

#include <QString>

#include <optional>

// Every command that the history window offers on its items, one id each. The menus, the palette, the preview's
// menus, the toolbar and the window shortcuts tell commands apart by this id, never by a title; the name of an id is
// the one the palette's commands carry.
enum class ItemCommandID {
    paste,
    pastePlainText,
    pastePath,
    copy,
    copyPlainText,
    copyPath,
    pasteItems,
    pasteItemsWithSeparator,
    copyItems,
    mergeItems,
    favoriteItems,
    unfavoriteItems,
    deleteItems,
    favorite,
    rename,
    transform,
    applyTransform,
    split,
    edit,
    preview,
    copyTextFromImage,
    copyTextFromQRCode,
    saveAsFile,
    openInDefaultApplication,
    openWith,
    openWithApplication,
    showInFileManager,
    openInBrowser,
    updateLinkPreview,
    filterByType,
    settings,
    deleteItem,
    deleteAll,
    tags,
    toggleTag,
    applyTag,
    newTag,
    editTags,
};

// The id's name ("paste", "delete" for deleteItem, ...), and the id of a name; nothing for an unknown name.
QString itemCommandName(ItemCommandID id);
std::optional<ItemCommandID> itemCommandFromName(const QString &name);
