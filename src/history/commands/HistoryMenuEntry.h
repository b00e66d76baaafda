#pragma once

#include <QString>

#include <functional>
#include <optional>

class QAction;

// What an entry of the history window's item menus does, told apart by this id and never by its title. The
// preview's own menus take the window's item menu apart by these ids.
enum class HistoryMenuAction {
    paste,
    pastePlainText,
    pasteFilePath,
    copy,
    copyFilePath,
    copyPlainText,
    favorite,
    applyTransform,
    split,
    rename,
    edit,
    copyTextFromImage,
    copyTextFromQRCode,
    saveImageAsFile,
    openInBrowser,
    updateLink,
    toggleTag,
    applyTag,
    newTag,
    editTags,
    runContextMenuCommand,
    preview,
    showInFileManager,
    openInAssociatedApplication,
    openWith,
    deleteItem,
};

// Marks the action as an entry of that kind and makes choosing it run `run`. The work can be replaced later (the
// preview's menus close the preview first); the action runs whatever it holds when it is triggered.
void setHistoryMenuEntry(QAction &action, HistoryMenuAction id, std::function<void()> run);
// The id of an entry; nothing for separators, submenu parents and actions that are no entry.
std::optional<HistoryMenuAction> historyMenuAction(const QAction &action);
// The work the entry runs now; empty for an action that is no entry.
std::function<void()> historyMenuRun(const QAction &action);
// Puts other work in place of the entry's; nothing for an action that is no entry.
void replaceHistoryMenuRun(QAction &action, std::function<void()> run);
