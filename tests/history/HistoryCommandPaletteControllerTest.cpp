#include "CoordinatorTestSupport.h"

#include "CommandPalette.h"
#include "EmptyHistory.h"
#include "FloatingHistoryWindow.h"
#include "History.h"
#include "HistoryCommandPaletteController.h"
#include "HistoryContentViewController.h"
#include "HistoryItemCommands.h"
#include "HistoryToolbarView.h"
#include "HistoryWindowCommands.h"
#include "ItemCommandMenu.h"
#include "KeyInput.h"
#include "KeyboardCodes.h"
#include "TextFit.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The real history window on the offscreen display, its palettes the ones under test.
struct PaletteHarness
{
    explicit PaletteHarness(const QList<ClipboardItem> &items
        = {testItem(1, QStringLiteral("apple pie")), testItem(2, QStringLiteral("banana bread"))})
    {
        h.storeOnboardedPreferences();
        h.storeItems(items);
        h.coordinator->start();
        window = std::make_unique<FloatingHistoryWindow>(
            h.model, *h.coordinator, HistoryWindowDesktop {&h.keyPoster, nullptr, nullptr, {}, {}, &h.workspace});
        window->show(false);
        QCoreApplication::processEvents();
        h.model.setSelectedItemIDs({testId(2)});
        h.model.setSelectedItemID(testId(2));
        QCoreApplication::processEvents();
    }

    // The open palette; closed ones linger until the event loop deletes them.
    CommandPalette *palette() const
    {
        for (CommandPalette *palette : window->panel().findChildren<CommandPalette *>()) {
            if (!palette->isDismissed())
                return palette;
        }
        return nullptr;
    }
    QStringList titles() const
    {
        QStringList titles;
        for (const CommandPaletteRow &row : palette()->rows()) {
            if (row.isCommand())
                titles.append(row.command.title);
        }
        return titles;
    }
    // Keys as the user types them: to the widget with the focus, through the window's own dispatch.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        pressKey(window->panel(), key, modifiers);
    }
    void type(const QString &text) { typeText(window->panel(), text); }
    bool isOpen() const { return palette() != nullptr; }

    CoordinatorHarness h;
    std::unique_ptr<FloatingHistoryWindow> window;
};

} // namespace

TEST(HistoryCommandPaletteController, TheShortcutOpensTheActionsOverThePanelAndEscapeClearsTheQueryFirst)
{
    PaletteHarness p;
    QWidget *list = QApplication::focusWidget();
    p.press(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(p.isOpen());
    CommandPalette *palette = p.palette();
    EXPECT_EQ(palette->size(), QSize(400, 450));
    EXPECT_EQ(palette->searchField().placeholderText(), QStringLiteral("Search for actions..."));
    EXPECT_EQ(p.titles().first(), QStringLiteral("Paste as Plain Text to Active App"));
    EXPECT_TRUE(palette->geometry().top() > 0);
    EXPECT_EQ(QApplication::focusWidget(), &palette->searchField());

    // Keys go to the palette, not to the list: Down moves the highlight, typing filters.
    const int first = palette->selectedRow();
    p.press(Qt::Key_Down);
    EXPECT_GT(palette->selectedRow(), first);
    p.type(QStringLiteral("rena"));
    EXPECT_EQ(p.titles(), QStringList {QStringLiteral("Rename...")});
    p.press(Qt::Key_Escape);
    EXPECT_TRUE(p.isOpen());
    EXPECT_TRUE(palette->searchField().text().isEmpty());
    p.press(Qt::Key_Escape);
    EXPECT_FALSE(p.isOpen());
    EXPECT_TRUE(p.window->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), list);

    // The shortcut that opened it closes it; a second opening while one is open does nothing.
    p.press(Qt::Key_K, Qt::ControlModifier);
    palette = p.palette();
    ASSERT_TRUE(p.isOpen());
    p.window->contentViewController().performShortcutAction(
        HistoryShortcutAction::showCommandPalette, HistoryKeyFocus::other);
    EXPECT_EQ(p.palette(), palette);
    p.press(Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(p.isOpen());
}

TEST(HistoryCommandPaletteController, TransformIsChosenFromTheActionsAndAppliedToTheStoredItem)
{
    PaletteHarness p;
    p.press(Qt::Key_K, Qt::ControlModifier);
    p.type(QStringLiteral("Transform"));
    p.press(Qt::Key_Return);
    ASSERT_TRUE(p.isOpen());
    EXPECT_EQ(p.palette()->searchField().placeholderText(), QStringLiteral("Search for transforms..."));
    EXPECT_EQ(p.titles().size(), 74);
    EXPECT_EQ(p.palette()->size(), QSize(400, 460));
    p.type(QStringLiteral("upper"));
    ASSERT_FALSE(p.titles().isEmpty());
    p.press(Qt::Key_Return);
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.h.storedItem(testId(2))->text, QStringLiteral("BANANA BREAD"));
}

TEST(HistoryCommandPaletteController, ACommandWhoseItemIsGoneMeanwhileDoesNothing)
{
    PaletteHarness p;
    p.press(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(p.isOpen());
    int favouriteRow = -1;
    for (int row = 0; row < p.palette()->rows().size(); ++row) {
        if (p.palette()->rows().at(row).command.id == itemCommandName(ItemCommandID::favorite))
            favouriteRow = row;
    }
    ASSERT_GE(favouriteRow, 0);
    p.h.coordinator->deleteItems({*p.h.model.item(testId(2))});
    p.palette()->runRow(favouriteRow);
    EXPECT_FALSE(p.isOpen());
    EXPECT_FALSE(p.h.storedItem(testId(2)));
    EXPECT_EQ(p.h.model.item(testId(2)), nullptr);
}

TEST(HistoryCommandPaletteController, TheTypePickerMarksTheFilterAndTogglesATypeOnAndOff)
{
    PaletteHarness p;
    const auto chooseImages = [&] {
        p.window->contentViewController().performShortcutAction(
            HistoryShortcutAction::filterHistoryByType, HistoryKeyFocus::list);
        QCoreApplication::processEvents();
        EXPECT_TRUE(p.isOpen());
        QStringList checked;
        for (const CommandPaletteRow &row : p.palette()->rows()) {
            if (row.isCommand() && row.command.isChecked)
                checked.append(row.command.title);
        }
        p.type(QStringLiteral("Images"));
        p.press(Qt::Key_Return);
        return checked;
    };
    EXPECT_EQ(chooseImages(), QStringList {QStringLiteral("All Types")});
    EXPECT_EQ(p.h.model.selectedHistoryFilterContentTypes(),
        QSet<HistoryFilterContentType> {HistoryFilterContentType::images});
    EXPECT_EQ(chooseImages(), QStringList {QStringLiteral("Images")});
    EXPECT_TRUE(p.h.model.selectedHistoryFilterContentTypes().isEmpty());
}

TEST(HistoryCommandPaletteController, TheMenuOfSeveralRowsIsMadeFromTheirCommandsWithTheTagsBetween)
{
    PaletteHarness p;
    const QList<ClipboardItem> items {*p.h.model.item(testId(2)), *p.h.model.item(testId(1))};
    HistoryItemCommands commands(p.h.model, *p.h.coordinator, {});
    HistoryCommandPaletteController controller(
        p.h.model, *p.h.coordinator, commands, p.window->contentViewController(), p.window->panel());
    const auto describe = [](QMenu &menu) {
        QStringList entries;
        for (QAction *action : menu.actions()) {
            if (action->isSeparator())
                entries.append(QStringLiteral("-"));
            else if (action->menu())
                entries.append(action->text() + QStringLiteral(" >"));
            else // the title without the key beside it; " ?" for an action that runs no command
                entries.append(action->text().split(QLatin1Char('\t')).first()
                    + (ItemCommandMenu::commandOf(*action) ? QString() : QStringLiteral(" ?")));
        }
        return entries;
    };
    std::unique_ptr<QMenu> menu(controller.makeMultiItemContextMenu(items, nullptr));
    EXPECT_EQ(describe(*menu),
        (QStringList {QStringLiteral("Paste 2 Items to Active App"),
            QStringLiteral("Paste 2 Items to Active App with Separator..."),
            QStringLiteral("Copy 2 Items to Clipboard"), QStringLiteral("Merge 2 Items"), QStringLiteral("-"),
            QStringLiteral("Tags... >"), QStringLiteral("-"), QStringLiteral("Add 2 Items to Favorites"),
            QStringLiteral("-"), QStringLiteral("Delete 2 Items")}));
    QMenu *tags = menu->actions().at(5)->menu();
    ASSERT_EQ(tags->actions().size(), 1);
    EXPECT_EQ(ItemCommandMenu::commandOf(*tags->actions().first()), ItemCommandID::newTag);

    // Choosing the favourites entry reads the items afresh and makes both favourites.
    menu->actions().at(7)->trigger();
    EXPECT_TRUE(p.h.model.item(testId(1))->isFavorite);
    EXPECT_TRUE(p.h.model.item(testId(2))->isFavorite);

    // A tag that one of them has is added to the other; once both have it, it comes off both.
    const std::optional<Tag> tag = p.h.coordinator->createTag(QStringLiteral("Work"), Qt::red);
    ASSERT_TRUE(tag);
    p.h.coordinator->assignTag(*p.h.model.item(testId(1)), tag->id);
    const auto fresh = [&] { return QList<ClipboardItem> {*p.h.model.item(testId(2)), *p.h.model.item(testId(1))}; };
    menu.reset(controller.makeMultiItemContextMenu(fresh(), nullptr));
    tags = menu->actions().at(5)->menu();
    ASSERT_EQ(tags->actions().size(), 3); // Work, separator, New Tag...
    EXPECT_FALSE(tags->actions().first()->isChecked());
    tags->actions().first()->trigger();
    EXPECT_TRUE(p.h.model.item(testId(2))->tags.contains(tag->id));
    menu.reset(controller.makeMultiItemContextMenu(fresh(), nullptr));
    tags = menu->actions().at(5)->menu();
    EXPECT_TRUE(tags->actions().first()->isChecked());
    tags->actions().first()->trigger();
    EXPECT_FALSE(p.h.model.item(testId(1))->tags.contains(tag->id));
    EXPECT_FALSE(p.h.model.item(testId(2))->tags.contains(tag->id));
}

TEST(HistoryCommandPaletteController, SeveralItemsArePastedWithTheSeparatorChosenInItsPicker)
{
    PaletteHarness p;
    p.h.model.setSelectedItemIDsInSelectionOrder({testId(2), testId(1)});
    p.h.model.setSelectedItemIDs({testId(1), testId(2)});
    QCoreApplication::processEvents();
    p.press(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(p.isOpen());
    p.type(QStringLiteral("Separator"));
    p.press(Qt::Key_Return);
    QCoreApplication::processEvents(); // the picker comes once the actions have gone
    ASSERT_TRUE(p.isOpen());
    EXPECT_EQ(p.palette()->searchField().placeholderText(), QStringLiteral("Search for separators..."));
    EXPECT_EQ(p.palette()->size(), QSize(360, 330));
    EXPECT_EQ(p.titles().size(), 7);
    p.type(QStringLiteral("Down"));
    ASSERT_EQ(p.titles(), QStringList {PasteSeparator(PasteSeparator::keyDown).title()});
    p.press(Qt::Key_Return);
    EXPECT_FALSE(p.isOpen());

    // The first item at once, Down after it, then the second.
    QList<quint16> keys;
    const auto collect = [&] {
        keys.clear();
        for (const MemoryKeyPoster::Press &press : p.h.keyPoster.presses())
            keys.append(press.keyCode);
    };
    while (const auto next = p.h.scheduler.nextCallDueIn())
        p.h.scheduler.advance(*next);
    collect();
    EXPECT_EQ(keys, (QList<quint16> {VirtualKey::v, VirtualKey::down, VirtualKey::v}));
    EXPECT_EQ(p.h.storedItem(testId(1))->copyCount, 2);
    EXPECT_EQ(p.h.storedItem(testId(2))->copyCount, 2);
}

TEST(HistoryCommandPaletteController, TheApplicationPickerOpensOnlyWhenSomeApplicationCanOpenTheFile)
{
    PaletteHarness p;
    HistoryItemCommands commands(p.h.model, *p.h.coordinator, {});
    FixedDefaultApplications applications;
    HistoryCommandPaletteController controller(p.h.model, *p.h.coordinator, commands, p.window->contentViewController(),
        p.window->panel(), HistoryCommandPaletteDesktop {nullptr, nullptr, &applications});
    const ClipboardItem item = *p.h.model.item(testId(2));
    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/tmp/notes.txt"));
    EXPECT_FALSE(controller.showApplicationPicker(item, file));
    EXPECT_FALSE(controller.isOpen());

    applications.application = DefaultApplication {
        QStringLiteral("/usr/share/applications/editor.desktop"), QStringLiteral("Editor"), QString()};
    EXPECT_TRUE(controller.showApplicationPicker(item, file));
    ASSERT_TRUE(controller.isOpen());
    EXPECT_EQ(controller.palette()->searchField().placeholderText(), QStringLiteral("Search for apps..."));
    EXPECT_EQ(controller.palette()->size(), QSize(400, 350));
    ASSERT_EQ(controller.palette()->rows().size(), 2);
    EXPECT_EQ(controller.palette()->rows().at(0).title, QStringLiteral("Default"));
    EXPECT_EQ(controller.palette()->rows().at(1).command.title, QStringLiteral("Editor"));
    controller.close();
    EXPECT_FALSE(controller.isOpen());
}

// Every text of the history window shows whole in every interface language where its layout has room: the search
// field's placeholder, the sort and filter menu, the empty list's and the empty search's placeholders, the right-click
// menus of each kind of item and of several items, and the search field, rows and "No Results" of every palette.
TEST(HistoryWindowTexts, EveryTextShowsWholeInEveryLanguage)
{
    QTemporaryDir folder;
    const QString notes = folder.filePath(QStringLiteral("notes.txt"));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto ofKind = [](int n, ClipboardKind kind, const QString &text = QString()) {
        ClipboardItem item = testItem(n, text);
        item.kind = kind;
        if (text.isEmpty())
            item.text.reset();
        return item;
    };
    ClipboardItem picture = ofKind(5, ClipboardKind::image, QStringLiteral("recognised words"));
    picture.qrCodeText = QStringLiteral("https://example.com/qr");
    ClipboardItem oneFile = ofKind(6, ClipboardKind::file);
    oneFile.filePaths = {notes};
    ClipboardItem files = ofKind(7, ClipboardKind::file);
    files.filePaths = {notes, folder.filePath(QStringLiteral("other.txt"))};
    PaletteHarness p({testItem(1, QStringLiteral("first line\nsecond line")),
        ofKind(2, ClipboardKind::link, QStringLiteral("https://example.com/")),
        ofKind(3, ClipboardKind::email, QStringLiteral("a@example.com")),
        ofKind(4, ClipboardKind::color, QStringLiteral("#FF8800")), picture, oneFile, files});
    ASSERT_TRUE(p.h.coordinator->createTag(QStringLiteral("Work"), Qt::red));
    HistoryContentViewController &content = p.window->contentViewController();
    auto *toolbar = qobject_cast<HistoryToolbarView *>(&content.historyToolbar()->widget());
    ASSERT_TRUE(toolbar);
    History &list = content.list();
    HistoryItemCommands commands(p.h.model, *p.h.coordinator, {});
    HistoryCommandPaletteController palettes(p.h.model, *p.h.coordinator, commands, content, p.window->panel());

    std::string where;
    const auto checkWidgets = [&](const QWidget &root) {
        for (const QWidget *widget : root.findChildren<QWidget *>()) {
            if (!widget->isVisibleTo(p.window->panel().window()))
                continue;
            if (const std::optional<QString> problem = TextFit::cut(*widget))
                ADD_FAILURE() << where << ": \"" << TextFit::shownText(*widget).toStdString() << "\" "
                              << problem->toStdString();
        }
    };
    const auto checkMenu = [&](QMenu &menu) {
        for (const QString &problem : TextFit::cutEntries(menu))
            ADD_FAILURE() << where << ": " << problem.toStdString();
    };
    const auto checkPalette = [&] {
        CommandPalette *palette = palettes.palette();
        ASSERT_TRUE(palette) << where;
        QCoreApplication::processEvents();
        checkWidgets(*palette);
        QListView &rows = palette->listView();
        rows.doItemsLayout();
        for (int row = 0; row < palette->rows().size(); ++row) {
            const QModelIndex index = rows.model()->index(row, 0);
            const auto texts = CommandPaletteRowDelegate::layout(palette->rows().at(row), rows.visualRect(index)).texts;
            for (qsizetype k = 0; k < texts.size(); ++k) {
                const CommandPaletteRowDelegate::TextPlace &place = texts.at(k);
                const qreal needs = QFontMetricsF(place.font).horizontalAdvance(place.text);
                // A title always has its room; a description is one line, and its tool tip holds what is cut.
                const bool description = k == 1;
                if (needs > place.rect.width()
                    && (!description || index.data(Qt::ToolTipRole).toString() != place.text))
                    ADD_FAILURE() << where << ": \"" << place.text.toStdString() << "\" width " << place.rect.width()
                                  << " < " << needs;
            }
        }
        palette->searchField().setText(QStringLiteral("zzqx"));
        checkWidgets(*palette);
        palettes.close();
    };

    const auto speak = [&](const QString &language) {
        p.h.changePreferences([&](AppPreferences &preferences) { preferences.language = language; });
        p.h.coordinator->applyPreferences();
        // The new texts come on the next turn of the event loop, the layouts they ask for on the one after.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };

    const QList<QUuid> ids {testId(1), testId(2)};
    for (const QString &language : supportedInterfaceLanguages()) {
        speak(language);
        where = language.toStdString() + " toolbar";
        checkWidgets(*toolbar);
        checkMenu(*toolbar->sortMenu());

        where = language.toStdString() + " item menus";
        for (const ClipboardItem &item : p.h.model.items()) {
            std::unique_ptr<QMenu> menu(commands.makeItemContextMenu(item, nullptr));
            checkMenu(*menu);
        }
        std::unique_ptr<QMenu> several(
            palettes.makeMultiItemContextMenu({*p.h.model.item(testId(1)), *p.h.model.item(testId(2))}, nullptr));
        checkMenu(*several);

        where = language.toStdString() + " actions";
        for (const QUuid &id : {testId(1), testId(5), testId(6)}) {
            p.h.model.setSelectedItemIDs({id});
            p.h.model.setSelectedItemID(id);
            QCoreApplication::processEvents();
            palettes.presentActions();
            checkPalette();
        }
        where = language.toStdString() + " transforms";
        palettes.showTransformPicker(*p.h.model.item(testId(1)));
        checkPalette();
        where = language.toStdString() + " types";
        palettes.showTypePicker();
        checkPalette();
        where = language.toStdString() + " separators";
        palettes.showSeparatorPicker(ids);
        checkPalette();

        where = language.toStdString() + " empty search";
        p.type(QStringLiteral("zzqx"));
        ASSERT_TRUE(waitUntil([&] { return list.emptySearchResultsView().isVisible(); })) << where;
        checkWidgets(list.emptySearchResultsView());
        toolbar->clearSearch();
        QCoreApplication::processEvents();
    }

    p.h.coordinator->deleteItems(p.h.model.items());
    ASSERT_TRUE(waitUntil([&] { return list.emptyListView().isVisible(); }));
    for (const QString &language : supportedInterfaceLanguages()) {
        speak(language);
        where = language.toStdString() + " empty list";
        checkWidgets(list.emptyListView());
    }
}
