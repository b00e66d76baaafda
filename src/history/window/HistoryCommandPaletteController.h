#pragma once

#include "HistoryCommandPaletteCommands.h"
#include "HistoryCommandPalettes.h"
#include "ItemCommandRunner.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>

class AppCoordinator;
class AppModel;
class CommandPalette;
class DefaultApplications;
class HistoryCommandPaletteSheet;
class HistoryContentViewController;
class HistoryWindowCommands;
class KeyPoster;
class OutsideClickDismissalMonitor;
class Workspace;

// What the palettes ask of the desktop; each may be missing (tests), and then the palettes do without: the paste
// target is "Active App", no application opens anything.
struct HistoryCommandPaletteDesktop
{
    KeyPoster *keyPoster = nullptr;
    const Workspace *workspace = nullptr;
    const DefaultApplications *defaultApplications = nullptr;
};

// The command palettes of the history window. A palette is a sheet over the window's panel, below its toolbar, at
// the size the palette asks for (wider where a language's titles need it, smaller when the panel is): the actions for
// the selection, or one of the pickers that some actions open. One is open at a time; while it is, the window's keys go
// to it and a click anywhere else in the program closes it without reaching what was clicked. Closing is synchronous
// and reported once. Every command carries out its work on the items it names by id, read afresh from the model when it
// runs; an item gone by then is skipped.
class HistoryCommandPaletteController final : public QObject, public HistoryCommandPalettes
{
    Q_OBJECT

public:
    static constexpr QSize actionsSize {400, 450};
    static constexpr QSize separatorsSize {360, 330};
    static constexpr QSize transformsSize {400, 460};
    static constexpr QSize applicationsSize {400, 350};
    static constexpr QSize typesSize {400, 370};

    HistoryCommandPaletteController(AppModel &model, AppCoordinator &coordinator, HistoryWindowCommands &commands,
        HistoryContentViewController &content, QWidget &panel, HistoryCommandPaletteDesktop desktop = {},
        QObject *parent = nullptr);
    ~HistoryCommandPaletteController() override;

    // HistoryCommandPalettes
    bool isOpen() const override { return !m_palette.isNull(); }
    void close() override;
    void presentActions() override;
    void showTransformPicker(const ClipboardItem &item) override;
    void showTypePicker() override;
    bool showApplicationPicker(const ClipboardItem &item, const QUrl &fileURL) override;
    QMenu *makeMultiItemContextMenu(const QList<ClipboardItem> &items, QWidget *parent) override;

    void showSeparatorPicker(const QList<QUuid> &itemIDs) override;
    // Shows a palette of these commands; nothing while one is open.
    void present(QList<CommandPaletteCommand> commands, const QString &searchPlaceholderText, QSize contentSize);

    // What the action lists are made from now: the preferences, the paste target, the selected item's application.
    HistoryCommandPaletteContext makeContext(const QList<ClipboardItem> &selectedItems) const;
    // Carries out a command's request: the item command through the runner, once the palette has closed.
    void perform(const HistoryPaletteRequest &request);

    // The open palette; none when closed.
    CommandPalette *palette() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paletteDidDismiss(CommandPalette *palette);
    void closeFromOutsideClick();
    void installOutsideClickMonitor(CommandPalette *palette);
    int paletteTop() const;
    void placePalette();
    // Closes the open palette, then runs the work on the next turn of the event loop.
    void runAfterClosing(std::function<void()> work);
    void setContentTypeFilter(HistoryFilterContentType type, bool isSelected);
    HistoryPaletteActionSink sink();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    HistoryWindowCommands &m_commands;
    HistoryContentViewController &m_content;
    QWidget &m_panel;
    HistoryCommandPaletteDesktop m_desktop;
    QPointer<HistoryCommandPaletteSheet> m_sheet;
    QPointer<CommandPalette> m_palette;
    QPointer<QWidget> m_focusBeforePalette;
    std::unique_ptr<OutsideClickDismissalMonitor> m_outsideClickMonitor;
    ItemCommandRunner m_runner;
};
