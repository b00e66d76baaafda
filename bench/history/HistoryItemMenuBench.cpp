// How quickly a right-click gets its menu: the one-item menu of a text item (74 transforms, 50 tags, the paste
// target looked up and named), and the menu of five selected items through the command palettes (a stand-in that
// builds the entries a selection menu has: paste, copy, merge, favourite, the 50 tags, delete, with the paste target
// looked up). The whole program runs on a temporary history with the desktop in memory; each iteration builds the
// menu into the list's menu and throws it away.

#include "AppDelegate.h"
#include "AssociatedApplication.h"
#include "HistoryCommandPalettes.h"
#include "HistoryItemCommands.h"
#include "HistoryMenuEntry.h"
#include "HistoryPasteTarget.h"
#include "Localization.h"
#include "SyntheticHistory.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int itemCount = 500;
constexpr int tagCount = 50;

class SilentAlerts final : public AlertPresenter
{
public:
    void inform(Style, const QString &, const QString &) override { }
    bool confirm(const QString &, const QString &, const QString &, const QString &) override { return false; }
};

// Until the palettes have their own: the selection's menu with the entries it will have, each marked as the item
// menu marks its entries.
class StandInPalettes final : public HistoryCommandPalettes
{
public:
    StandInPalettes(AppModel &model, HistoryMenuActions &actions, std::function<QString()> pasteTargetName)
        : m_model(model), m_actions(actions), m_pasteTargetName(std::move(pasteTargetName))
    { }

    bool isOpen() const override { return false; }
    void close() override { }
    void presentActions() override { }
    void showTransformPicker(const ClipboardItem &) override { }
    void showTypePicker() override { }
    bool showApplicationPicker(const ClipboardItem &, const QUrl &) override { return false; }
    QMenu *makeMultiItemContextMenu(const QList<ClipboardItem> &items, QWidget *parent) override
    {
        auto *menu = new QMenu(parent);
        QList<QUuid> ids;
        for (const ClipboardItem &item : items)
            ids.append(item.id);
        const QString target = m_pasteTargetName();
        const auto add = [&](QMenu &into, const QString &title, HistoryMenuAction id, std::function<void()> run) {
            auto *action = new QAction(title, &into);
            into.addAction(action);
            setHistoryMenuEntry(*action, id, std::move(run));
            return action;
        };
        add(*menu, localized(QStringLiteral("Paste %d Items to %@"), {int(items.size()), target}),
            HistoryMenuAction::runContextMenuCommand, [] {});
        add(*menu, localized(QStringLiteral("Copy %d Items to Clipboard"), {int(items.size())}),
            HistoryMenuAction::runContextMenuCommand, [] {});
        menu->addSeparator();
        add(*menu, localized(QStringLiteral("Add to Favorites")), HistoryMenuAction::runContextMenuCommand, [] {});
        auto *tags = new QMenu(localized(QStringLiteral("Tags...")), menu);
        for (const Tag &tag : HistoryMenuActions::tagsSortedByName(m_model.tags())) {
            QAction *entry = add(*tags, tag.name, HistoryMenuAction::applyTag,
                [this, ids, id = tag.id] { m_actions.applyTag(ids, id); });
            entry->setIcon(HistoryPasteTarget::tagMenuDotImage(HistoryPasteTarget::colorFromHexString(tag.color)));
            entry->setCheckable(true);
        }
        menu->addMenu(tags);
        menu->addSeparator();
        add(*menu, localized(QStringLiteral("Delete")), HistoryMenuAction::runContextMenuCommand, [] {});
        return menu;
    }

private:
    AppModel &m_model;
    HistoryMenuActions &m_actions;
    std::function<QString()> m_pasteTargetName;
};

// The program with a stored history and 50 tags, launched, and the history window's item commands on its model.
struct Program
{
    Program()
    {
        const QString support = folder.path() + QStringLiteral("/Varnisto2");
        QDir().mkpath(support);
        {
            SQLiteHistoryStore store(support);
            QList<ClipboardItem> items = historyOf(itemCount);
            (void)store.upsertItems(items);
        }
        const QString settings = folder.path() + QStringLiteral("/Varnisto.conf");
        AppPreferences preferences;
        preferences.hasCompletedOnboarding = true;
        preferences.soundEffectsEnabled = false;
        preferences.maxHistoryItems = itemCount;
        PreferencesStore(settings).save(preferences);
        delegate = std::make_unique<AppDelegate>(
            AppDelegate::Locations {support, settings}, PlatformServices::inMemory(), std::make_unique<SilentAlerts>());
        delegate->applicationDidFinishLaunching();
        QCoreApplication::processEvents();
        for (int n = 0; n < tagCount; ++n)
            delegate->coordinator().createTag(
                QStringLiteral("Tag %1").arg(n, 2, 10, QLatin1Char('0')), QColor::fromHsv(n * 7 % 360, 200, 220));

        const PlatformServices &platform = delegate->platform();
        HistoryItemCommands::Desktop desktop;
        desktop.menus.pasteTarget = [&platform] {
            return HistoryPasteTarget::pasteTargetApplication(*platform.keyPoster, *platform.workspace);
        };
        desktop.menus.applicationForURL = [&platform](const QUrl &url) {
            return AssociatedApplication::forURL(url, 16, *platform.defaultApplications);
        };
        commands = std::make_unique<HistoryItemCommands>(delegate->model(), delegate->coordinator(), desktop);
        palettes = std::make_unique<StandInPalettes>(delegate->model(), commands->menuActions(),
            [desktop] { return HistoryPasteTarget::pasteTargetName(desktop.menus.pasteTarget()); });
        commands->setCommandPalettes(palettes.get());
    }

    QTemporaryDir folder;
    std::unique_ptr<AppDelegate> delegate;
    std::unique_ptr<HistoryItemCommands> commands;
    std::unique_ptr<StandInPalettes> palettes;
};

void runMenus(benchmark::State &state, Program &program, const QList<ClipboardItem> &items)
{
    qsizetype entries = 0;
    for (auto _ : state) {
        QMenu menu;
        program.commands->fillContextMenu(menu, items);
        entries = menu.actions().size();
        benchmark::DoNotOptimize(entries);
    }
    if (entries == 0)
        state.SkipWithError("the menu is empty");
    state.counters["entries"] = double(entries);
}

void BM_TextItemMenu(benchmark::State &state)
{
    Program program;
    const QList<ClipboardItem> &items = program.delegate->model().items();
    const auto text = std::find_if(
        items.cbegin(), items.cend(), [](const ClipboardItem &item) { return item.kind == ClipboardKind::text; });
    if (text == items.cend()) {
        state.SkipWithError("no text item");
        return;
    }
    runMenus(state, program, {*text});
}

void BM_FiveItemMenu(benchmark::State &state)
{
    Program program;
    runMenus(state, program, program.delegate->model().items().mid(0, 5));
}

} // namespace

BENCHMARK(BM_TextItemMenu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiveItemMenu)->Unit(benchmark::kMillisecond);
