#include "HistoryItemCommands.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "History.h"
#include "HistoryCommandPalettes.h"
#include "HistoryTableView.h"
#include "HistoryToolbar.h"
#include "ItemPreviewActionsMenu.h"
#include "ItemPreviewPresenter.h"
#include "ItemPreviewTagsMenu.h"
#include "KeyboardCodes.h"
#include "Localization.h"
#include "NewTagDialog.h"
#include "ShortcutText.h"
#include "TagOrder.h"
#include "TextUtilities.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The shortcut text names this key press: the same key with exactly its modifiers. Empty or unreadable text never
// matches.
bool matches(const QString &shortcut, const HistoryKeyEvent &event)
{
    const std::optional<ParsedShortcut> parsed = ShortcutText::parse(shortcut);
    return parsed && parsed->keyCode == event.keyCode && parsed->modifiers == event.shortcutModifierMask();
}

} // namespace

HistoryItemCommands::HistoryItemCommands(AppModel &model, AppCoordinator &coordinator, Desktop desktop, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator), m_desktop(std::move(desktop))
{
    m_runner = std::make_unique<ItemCommandRunner>(m_model, m_coordinator, *this);
    const auto lookup = m_desktop.menus.applicationForURL;
    m_preview = std::make_unique<ItemPreviewDialogPresenter>(previewActions(), lookup, m_desktop.preview);
}

HistoryItemCommands::~HistoryItemCommands()
{
    delete m_renameDialog;
    delete m_newTagSheet;
}

void HistoryItemCommands::attach(QWidget &panel, History &list, HistoryToolbar *toolbar)
{
    m_panel = &panel;
    m_list = &list;
    m_toolbar = toolbar;
}

std::optional<ClipboardItem> HistoryItemCommands::freshItem(const QUuid &id) const
{
    if (const ClipboardItem *found = m_model.item(id))
        return *found;
    return std::nullopt;
}

void HistoryItemCommands::later(const QUuid &id, std::function<void(const ClipboardItem &)> work)
{
    QTimer::singleShot(0, this, [this, id, work = std::move(work)] {
        if (const auto item = freshItem(id))
            work(*item);
    });
}

void HistoryItemCommands::showCopySuccess()
{
    if (m_panel && m_toolbar)
        m_toolbar->showCopySuccess();
}

void HistoryItemCommands::showSeparatorPicker(const QList<QUuid> &itemIDs)
{
    if (m_palettes)
        m_palettes->showSeparatorPicker(itemIDs);
}

PasteVariant HistoryItemCommands::primaryVariant(const ClipboardItem &item, bool preferPlainText)
{
    return PasteVariant::defaultFor(item.kind, preferPlainText);
}

std::optional<PasteVariant> HistoryItemCommands::secondaryVariant(const ClipboardItem &item, bool preferPlainText)
{
    if (item.kind.isTextLike())
        return preferPlainText ? PasteVariant::standard : PasteVariant::plainText;
    if (item.kind == ClipboardKind::file)
        return PasteVariant::filePath;
    return std::nullopt;
}

// --- Overlays --------------------------------------------------------------------------------------------------------

bool HistoryItemCommands::isCommandPaletteOpen() const
{
    return m_palettes && m_palettes->isOpen();
}

bool HistoryItemCommands::isOverlayOpen() const
{
    return m_preview->isShown() || m_renameDialog || m_isNewTagSheetPresented;
}

bool HistoryItemCommands::hasJustClosedOverlay() const
{
    return m_preview->hasJustClosed();
}

bool HistoryItemCommands::hasOpenDialog() const
{
    if (m_renameDialog || m_isNewTagSheetPresented || m_preview->isShown())
        return true;
    // Any other dialog over the window (the save dialog, a tag dialog of the settings opened on it).
    const QWidget *modal = QApplication::activeModalWidget();
    for (const QWidget *parent = modal ? modal->parentWidget() : nullptr; parent; parent = parent->parentWidget()) {
        if (parent == m_panel)
            return true;
    }
    return false;
}

void HistoryItemCommands::closeCommandPalette()
{
    if (m_palettes)
        m_palettes->close();
}

void HistoryItemCommands::presentCommandPalette()
{
    if (m_palettes)
        m_palettes->presentActions();
}

// --- Preview ---------------------------------------------------------------------------------------------------------

ItemPreviewActions HistoryItemCommands::previewActions()
{
    // Every callback acts on the item as the model has it when it runs; the presenter dies with this object, so the
    // callbacks never outlive it.
    ItemPreviewActions actions;
    // The preview's own buttons run item commands like the menus do.
    actions.toggleFavorite = [this](const ClipboardItem &item) { m_runner->run({ItemCommandID::favorite, {item.id}}); };
    actions.copyTextFromImage = [this](const ClipboardItem &item) {
        m_runner->run({ItemCommandID::copyTextFromImage, {item.id}});
    };
    actions.copyTextFromQRCode = [this](const ClipboardItem &item) {
        m_runner->run({ItemCommandID::copyTextFromQRCode, {item.id}});
    };
    // These three run once the preview has closed, on the next turn.
    const auto afterClosing = [this](ItemCommandID command) {
        return [this, command](const ClipboardItem &item) {
            QTimer::singleShot(0, this, [this, command, id = item.id] { m_runner->run({command, {id}}); });
        };
    };
    actions.saveAsFile = afterClosing(ItemCommandID::saveAsFile);
    actions.openInApplication = afterClosing(ItemCommandID::openInDefaultApplication);
    actions.showInFileManager = afterClosing(ItemCommandID::showInFileManager);
    actions.save = [this](const ClipboardItem &item, const QString &text) {
        m_coordinator.editItem(freshItem(item.id).value_or(item), text);
    };
    actions.moreActionsMenu = [this](const ClipboardItem &item) { return previewActionsMenu(item); };
    actions.tagsMenu = [this](const ClipboardItem &item) { return previewTagsMenu(item); };
    actions.didClose = [this] {
        // The window's keys go to the list again.
        if (m_panel && m_panel->isVisible() && m_list)
            m_list->tableView().setFocus(Qt::OtherFocusReason);
    };
    actions.keyDown
        = [this](QKeyEvent *event) { return event && handlePreviewKeyDown(HistoryKeyEvent::fromQKeyEvent(*event)); };
    return actions;
}

// The preview's two menus: the registry's list for the item as it is now, the preview's share of it; their entries
// run through the runner, most of them once the preview has closed.
QMenu *HistoryItemCommands::previewActionsMenu(const ClipboardItem &item)
{
    return ItemPreviewActionsMenu(previewItemEntries(), makeContextMenu().runner(), [this] {
        m_preview->close();
    }).makeMenu(item);
}

QMenu *HistoryItemCommands::previewTagsMenu(const ClipboardItem &item)
{
    return ItemPreviewTagsMenu(previewItemEntries(), makeContextMenu().runner(), [this] {
        m_preview->close();
    }).menu(item);
}

std::function<ItemCommandMenuContent(const ClipboardItem &)> HistoryItemCommands::previewItemEntries()
{
    const QPointer<HistoryItemCommands> self(this);
    return [self](const ClipboardItem &item) {
        if (!self)
            return ItemCommandMenuContent();
        return self->makeContextMenu().content(self->freshItem(item.id).value_or(item));
    };
}

void HistoryItemCommands::presentPreview(const ClipboardItem &item, bool beginEditing)
{
    if (!m_panel || hasOpenDialog())
        return;
    m_preview->present(item, m_panel);
    if (beginEditing)
        m_preview->beginEditing(true);
}

void HistoryItemCommands::retargetPreview(const std::optional<ClipboardItem> &item)
{
    if (!item || !m_preview->isShown())
        return;
    if (m_preview->shownItem() != item)
        m_preview->updateItem(*item);
}

void HistoryItemCommands::refreshPreviewSheetItem()
{
    const std::optional<ClipboardItem> shown = m_preview->shownItem();
    if (!shown)
        return;
    const auto current = freshItem(shown->id);
    if (!current) {
        // The preview closes, or, while its text is edited, stays and says so.
        m_preview->itemRemoved();
        return;
    }
    if (*current != *shown)
        m_preview->updateItem(*current);
}

QWidget *HistoryItemCommands::attachedWindow() const
{
    return m_preview->dialog();
}

bool HistoryItemCommands::handlePreviewKeyDown(const HistoryKeyEvent &event)
{
    const AppPreferences &p = m_model.preferences();
    if (matches(p.selectNextItemShortcut, event)) {
        if (m_list)
            m_list->moveSelection(HistorySelectionDirection::down);
        return true;
    }
    if (matches(p.selectPreviousItemShortcut, event)) {
        if (m_list)
            m_list->moveSelection(HistorySelectionDirection::up);
        return true;
    }
    if (matches(p.editItemShortcut, event) && m_preview->controller()) {
        editItem(m_preview->controller()->item());
        return true;
    }
    if (handlePreviewItemShortcut(event))
        return true;
    if (event.modifiers() != 0)
        return false;
    if (event.keyCode == VirtualKey::down || event.keyCode == VirtualKey::up) {
        if (m_list)
            m_list->moveSelection(
                event.keyCode == VirtualKey::down ? HistorySelectionDirection::down : HistorySelectionDirection::up);
        return true;
    }
    return false;
}

bool HistoryItemCommands::handlePreviewItemShortcut(const HistoryKeyEvent &event)
{
    const std::optional<ClipboardItem> shown = m_preview->shownItem();
    if (!shown)
        return false;
    const AppPreferences &p = m_model.preferences();
    const bool plain = p.preferPastingAsPlainText;
    const bool image = shown->kind == ClipboardKind::image;
    std::function<void(const ClipboardItem &)> command;
    if (matches(p.pasteSelectedShortcut, event)) {
        command = [this, plain](const ClipboardItem &item) { m_coordinator.paste(item, primaryVariant(item, plain)); };
    } else if (!image && matches(p.pasteSelectedSecondaryShortcut, event)) {
        command = [this, plain](const ClipboardItem &item) {
            if (const auto variant = secondaryVariant(item, plain))
                m_coordinator.paste(item, *variant);
        };
    } else if (matches(p.copySelectedShortcut, event)) {
        command = [this, plain](const ClipboardItem &item) {
            if (m_coordinator.copyItem(item, primaryVariant(item, plain)))
                showCopySuccess();
        };
    } else if (!image && matches(p.copySelectedSecondaryShortcut, event)) {
        command = [this, plain](const ClipboardItem &item) {
            if (const auto variant = secondaryVariant(item, plain); variant && m_coordinator.copyItem(item, *variant))
                showCopySuccess();
        };
    } else if (matches(p.openInBrowserShortcut, event)) {
        if (shown->kind != ClipboardKind::link || !shown->text || !ClipboardItem::linkURL(*shown->text))
            return false;
        command = [this](const ClipboardItem &item) { openInBrowser(item); };
    } else {
        return false;
    }
    // The preview closes first; the command follows on the next turn, with the item as it is then.
    m_preview->close();
    later(shown->id, std::move(command));
    return true;
}

// --- Item commands ---------------------------------------------------------------------------------------------------

void HistoryItemCommands::editItem(const ClipboardItem &item)
{
    if (!item.kind.isTextLike()) {
        m_model.setLastError(localized(QStringLiteral("%@ cannot be edited."), {item.kind.title()}));
        return;
    }
    closeCommandPalette();
    if (const std::optional<ClipboardItem> shown = m_preview->shownItem()) {
        // The open preview shows the item and edits it; it stays open afterwards.
        if (shown->id != item.id)
            m_preview->updateItem(item);
        m_preview->beginEditing(false);
        return;
    }
    presentPreview(item, true);
    if (!m_preview->isShown())
        m_model.setLastError(localized(QStringLiteral("Cannot edit this item right now.")));
}

void HistoryItemCommands::renameItem(const ClipboardItem &item)
{
    closeCommandPalette();
    if (!m_panel || m_renameDialog) {
        if (!m_panel)
            m_model.setLastError(localized(QStringLiteral("Cannot rename this item right now.")));
        return;
    }
    auto *dialog = new QDialog(m_panel->window());
    dialog->setObjectName(QStringLiteral("renameItemDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // A small dialog: a title and a close button, no minimise or maximise.
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog->setWindowIcon(QIcon(QStringLiteral(":/icons/varnisto.svg")));
    dialog->setWindowTitle(localized(QStringLiteral("Rename Item")));
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(10);
    auto *message = new QLabel(localized(QStringLiteral("Rename Item")), dialog);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    layout->addWidget(message);
    auto *informative = new QLabel(
        localized(QStringLiteral("Enter a title for this clipboard history item. Leave it empty to clear the title.")),
        dialog);
    informative->setWordWrap(true);
    informative->setFixedWidth(260);
    layout->addWidget(informative);
    auto *field = new QLineEdit(item.customTitle().value_or(QString()), dialog);
    field->setObjectName(QStringLiteral("renameItemField"));
    field->setPlaceholderText(localized(QStringLiteral("Item name")));
    field->setFixedSize(228, 22);
    layout->addWidget(field);
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *rename = buttons->addButton(localized(QStringLiteral("Rename")), QDialogButtonBox::AcceptRole);
    buttons->addButton(localized(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
    rename->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);

    const QUuid id = item.id;
    connect(dialog, &QDialog::accepted, this, [this, id, field] {
        // The item as it is now: the field's text is its new title (blank clears it).
        if (const auto current = freshItem(id))
            m_coordinator.renameItem(*current, field->text());
    });
    m_renameDialog = dialog;
    dialog->open();
    field->setFocus(Qt::OtherFocusReason);
}

void HistoryItemCommands::transformItem(const ClipboardItem &item)
{
    if (!item.kind.isTextLike() || !item.text) {
        m_model.setLastError(localized(QStringLiteral("%@ cannot be transformed."), {item.kind.title()}));
        return;
    }
    closeCommandPalette();
    later(item.id, [this](const ClipboardItem &current) {
        if (m_palettes)
            m_palettes->showTransformPicker(current);
    });
}

void HistoryItemCommands::filterHistoryByType()
{
    closeCommandPalette();
    QTimer::singleShot(0, this, [this] {
        if (m_palettes)
            m_palettes->showTypePicker();
    });
}

void HistoryItemCommands::copyRecognisedText(const ClipboardItem &item, bool available,
    const std::optional<QString> &text, const QString &missing, const QString &empty)
{
    if (!available) {
        m_model.setLastError(localized(missing, {item.kind.title()}));
        return;
    }
    const QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(text.value_or(QString()));
    if (trimmed.isEmpty()) {
        m_model.setLastError(localized(empty));
        return;
    }
    if (m_coordinator.copyText(trimmed))
        showCopySuccess();
}

void HistoryItemCommands::copyTextFromImage(const ClipboardItem &item)
{
    copyRecognisedText(item, item.hasImageText(), item.text, QStringLiteral("%@ does not contain image text."),
        QStringLiteral("No text was found in this image."));
}

void HistoryItemCommands::copyTextFromQRCode(const ClipboardItem &item)
{
    copyRecognisedText(item, item.hasQRCodeText(), item.qrCodeText, QStringLiteral("%@ does not contain a QR code."),
        QStringLiteral("No QR code was found in this image."));
}

void HistoryItemCommands::saveImageAsFile(const ClipboardItem &item)
{
    m_isModalSheetPresentationPending = true;
    closeCommandPalette();
    const QUuid id = item.id;
    QTimer::singleShot(0, this, [this, id, item] {
        QWindow *window = m_panel ? m_panel->window()->windowHandle() : nullptr;
        if (!window) {
            m_isModalSheetPresentationPending = false;
            m_model.setLastError(localized(QStringLiteral("Cannot save this image right now.")));
            return;
        }
        const QPointer<HistoryItemCommands> self(this);
        m_coordinator.saveImage(freshItem(id).value_or(item), window, [self] {
            if (self)
                self->m_isModalSheetPresentationPending = false;
        });
    });
}

void HistoryItemCommands::openInBrowser(const ClipboardItem &item)
{
    if (item.kind != ClipboardKind::link || !item.text || !ClipboardItem::linkURL(*item.text))
        return;
    m_coordinator.openLink(item);
    if (HistoryWindow *window = m_coordinator.historyWindow())
        window->hide();
}

void HistoryItemCommands::openWith(const ClipboardItem &item)
{
    const std::optional<QUrl> url = item.contentFileURL();
    if (!url) {
        m_model.setLastError(localized(QStringLiteral("%@ cannot be opened with another app."), {item.kind.title()}));
        return;
    }
    closeCommandPalette();
    const QUrl fileURL = *url;
    later(item.id, [this, fileURL](const ClipboardItem &current) {
        if (!m_palettes || !m_palettes->showApplicationPicker(current, fileURL))
            m_model.setLastError(localized(QStringLiteral("No applications were found for %@."), {fileURL.fileName()}));
    });
}

void HistoryItemCommands::pasteSelectedSecondary()
{
    const std::optional<ClipboardItem> item = m_model.visibleSelectedItem();
    if (!item)
        return;
    if (const auto variant = secondaryVariant(*item, m_model.preferences().preferPastingAsPlainText))
        m_coordinator.paste(*item, *variant);
}

bool HistoryItemCommands::copySelected()
{
    const QList<ClipboardItem> items = m_model.visibleSelectedItems();
    if (items.size() >= 2) {
        // Several items are copied as one text, only when each one gives some.
        if (!ItemCommandRegistry::areMergeable(items))
            return false;
        return m_coordinator.copyMergedItems(items);
    }
    const std::optional<ClipboardItem> item = items.isEmpty() ? m_model.visibleSelectedItem() : items.first();
    if (!item)
        return false;
    return m_coordinator.copyItem(*item, primaryVariant(*item, m_model.preferences().preferPastingAsPlainText));
}

bool HistoryItemCommands::copySelectedSecondary()
{
    const std::optional<ClipboardItem> item = m_model.visibleSelectedItem();
    if (!item)
        return false;
    const auto variant = secondaryVariant(*item, m_model.preferences().preferPastingAsPlainText);
    return variant && m_coordinator.copyItem(*item, *variant);
}

// --- Tags and menus --------------------------------------------------------------------------------------------------

void HistoryItemCommands::presentNewTagSheet(const QList<QUuid> &itemIDs)
{
    if (itemIDs.isEmpty() || !m_panel || m_isNewTagSheetPresented)
        return;
    TagDialogPresenter &dialogs = m_desktop.tagDialogs ? *m_desktop.tagDialogs : TagDialogSheet::shared();
    QWidget *window = m_panel->window();
    const QList<QDialog *> before = window->findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly);
    m_isNewTagSheetPresented = true;
    const QPointer<HistoryItemCommands> self(this);
    dialogs.presentTagDialog(
        window, std::nullopt, [self, itemIDs](const QString &name, const QColor &color) -> std::optional<QString> {
            if (!self)
                return std::nullopt;
            const std::optional<QString> refusal = self->m_runner->applyNewTag(name, color, itemIDs);
            if (!refusal)
                self->m_isNewTagSheetPresented = false;
            return refusal;
        });
    // The sheet the presenter put on the window: while it stands, the window's keys wait.
    for (QDialog *dialog : window->findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!before.contains(dialog) && dialog->isVisible()) {
            m_newTagSheet = dialog;
            connect(dialog, &QDialog::finished, this, [this] { m_isNewTagSheetPresented = false; });
            connect(dialog, &QObject::destroyed, this, [this] { m_isNewTagSheetPresented = false; });
            return;
        }
    }
    // The shared sheet that shows nothing (or has already finished) leaves nothing to wait for; another presenter
    // ends it through the save handler.
    if (!m_desktop.tagDialogs)
        m_isNewTagSheetPresented = false;
}

HistoryItemContextMenu HistoryItemCommands::makeContextMenu() const
{
    return HistoryItemContextMenu(
        m_runner.get(), TagOrder::sortedByName(m_model.tags()), m_model.preferences(), m_desktop.menus);
}

QMenu *HistoryItemCommands::makeItemContextMenu(const ClipboardItem &item, QWidget *parent)
{
    return makeContextMenu().makeMenu(item, parent);
}

void HistoryItemCommands::fillContextMenu(QMenu &menu, const QList<ClipboardItem> &items)
{
    if (items.size() == 1) {
        makeContextMenu().fill(menu, freshItem(items.first().id).value_or(items.first()));
        return;
    }
    if (items.size() < 2 || !m_palettes)
        return;
    if (QMenu *given = m_palettes->makeMultiItemContextMenu(items, nullptr)) {
        ItemCommandMenu::takeEntries(menu, *given);
        delete given;
    }
}
