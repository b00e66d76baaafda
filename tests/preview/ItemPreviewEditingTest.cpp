// Editing the text in the preview: beginning and ending, Restore, Save and Ctrl+S, the "Save changes?" alert, the
// preview opened for editing, an item that leaves the history meanwhile; and the whole road to the real
// coordinator and store.

#include "../app/CoordinatorTestSupport.h"
#include "ItemPreviewContentViews.h"
#include "ItemPreviewDetailsView.h"
#include "ItemPreviewDialogController.h"
#include "PreviewFixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using PreviewFixtures::offline;
using PreviewFixtures::room;

namespace {

// A preview on screen with its callbacks recorded.
struct Preview
{
    explicit Preview(const ClipboardItem &item) : controller(item, room, offline())
    {
        controller.onCancel = [this] { ++closes; };
        controller.onSave = [this](const ClipboardItem &item, const QString &text) {
            saves.append({item.id, text});
            if (store)
                store(item, text);
        };
        root = controller.view();
        root->show();
        QApplication::setActiveWindow(root);
        root->setFocus();
    }
    ~Preview() { delete root; }
    Preview(const Preview &) = delete;
    Preview &operator=(const Preview &) = delete;

    QPlainTextEdit *editor() const { return controller.editingTextView(); }
    void type(const QString &text) { QTest::keyClicks(editor(), text); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : root, Qt::Key(key), modifiers);
    }
    bool restoreEnabled() { return controller.toolbar().itemForIdentifier(ItemPreviewToolbar::restore)->isEnabled(); }
    QString shownText() const
    {
        auto *text = qobject_cast<PreviewTextView *>(controller.contentView());
        return text ? text->textView()->toPlainText() : QString();
    }
    QAbstractButton *alertButton(QMessageBox::ButtonRole role) const
    {
        QMessageBox *alert = controller.unsavedChangesAlert();
        if (!alert)
            return nullptr;
        for (QAbstractButton *button : alert->buttons()) {
            if (alert->buttonRole(button) == role)
                return button;
        }
        return nullptr;
    }

    ItemPreviewDialogController controller;
    ItemPreviewKeyHandlingView *root = nullptr;
    int closes = 0;
    QList<std::pair<QUuid, QString>> saves;
    std::function<void(const ClipboardItem &, const QString &)> store;
};

ClipboardItem richItem(int n)
{
    ClipboardItem rich = PreviewFixtures::textItem(ClipboardKind::richText, QStringLiteral("Hello"), n);
    rich.html = QStringLiteral("<b>Hello</b>");
    return rich;
}

} // namespace

TEST(ItemPreviewEditing, BeginsOnlyForTheTextKindsWithTheItemsText)
{
    ClipboardItem htmlOnly = PreviewFixtures::item(ClipboardKind::richText, 6);
    htmlOnly.html = QStringLiteral("<i>markup</i>");
    ClipboardItem image = PreviewFixtures::item(ClipboardKind::image, 7);
    image.text = QStringLiteral("recognised");
    ClipboardItem file = PreviewFixtures::item(ClipboardKind::file, 8);
    file.filePaths = {QStringLiteral("/tmp/missing.txt")};
    const struct
    {
        ClipboardItem item;
        bool edits;
        QString starts;
    } cases[] = {
        {PreviewFixtures::textItem(ClipboardKind::text, QStringLiteral("plain")), true, QStringLiteral("plain")},
        {PreviewFixtures::textItem(ClipboardKind::link, QStringLiteral("https://example.com"), 2), true,
            QStringLiteral("https://example.com")},
        {PreviewFixtures::textItem(ClipboardKind::email, QStringLiteral("a@b.org"), 3), true,
            QStringLiteral("a@b.org")},
        {PreviewFixtures::textItem(ClipboardKind::color, QStringLiteral("#3B85ED"), 4), true,
            QStringLiteral("#3B85ED")},
        {richItem(5), true, QStringLiteral("Hello")},
        {htmlOnly, true, QStringLiteral("markup")}, // no text: what the item shows, without the markup
        {image, false, QString()},
        {file, false, QString()},
    };
    for (const auto &c : cases) {
        Preview preview(c.item);
        PreviewContentView *shown = preview.controller.contentView();
        preview.controller.itemPreviewToolbarDidRequestEdit();
        EXPECT_EQ(preview.controller.isEditing(), c.edits) << c.item.kind.rawValue().toStdString();
        if (!c.edits) {
            EXPECT_EQ(preview.controller.contentView(), shown);
            continue;
        }
        ASSERT_TRUE(preview.editor());
        EXPECT_EQ(preview.editor()->toPlainText(), c.starts);
        EXPECT_FALSE(preview.editor()->isReadOnly());
        EXPECT_EQ(preview.controller.originalEditingText(), c.starts);
        EXPECT_EQ(preview.controller.toolbar().defaultItemIdentifiers(),
            QStringList({ItemPreviewToolbar::flexibleSpace, ItemPreviewToolbar::restore, ItemPreviewToolbar::save}));
        EXPECT_FALSE(preview.restoreEnabled());
        EXPECT_EQ(QApplication::focusWidget(), preview.editor());
        // Asked again while editing: nothing changes.
        QPlainTextEdit *editor = preview.editor();
        preview.controller.beginEditing(true);
        EXPECT_EQ(preview.editor(), editor);
        EXPECT_FALSE(preview.controller.closesWhenEditingEnds());
    }
}

TEST(ItemPreviewEditing, RestoreFollowsTheTextAndLeavesNothingToUndo)
{
    Preview preview(PreviewFixtures::textItem(ClipboardKind::text, QStringLiteral("draft")));
    preview.controller.beginEditing(false);
    QLabel *characters = preview.controller.detailsView()->valueLabel(ItemPreviewDetailsView::FieldKey::characters);
    QLabel *size = preview.controller.detailsView()->valueLabel(ItemPreviewDetailsView::FieldKey::size);

    preview.editor()->moveCursor(QTextCursor::End);
    preview.type(QStringLiteral(" one"));
    EXPECT_TRUE(preview.restoreEnabled());
    EXPECT_EQ(characters->text(), QStringLiteral("9")); // the live counts
    EXPECT_EQ(size->text(), QStringLiteral("9 bytes"));
    for (int i = 0; i < 4; ++i)
        preview.key(Qt::Key_Backspace);
    EXPECT_FALSE(preview.restoreEnabled()); // typed back to the start

    preview.type(QStringLiteral("ed"));
    ASSERT_TRUE(preview.restoreEnabled());
    preview.controller.toolbar().itemForIdentifier(ItemPreviewToolbar::restore)->trigger();
    EXPECT_EQ(preview.editor()->toPlainText(), QStringLiteral("draft"));
    EXPECT_FALSE(preview.restoreEnabled());
    EXPECT_FALSE(preview.editor()->document()->isUndoAvailable());
    EXPECT_EQ(preview.editor()->textCursor().position(), 5);
    EXPECT_FALSE(preview.editor()->textCursor().hasSelection());
    EXPECT_EQ(characters->text(), QStringLiteral("5"));
    EXPECT_TRUE(preview.controller.isEditing());
    EXPECT_TRUE(preview.saves.isEmpty());
}

// The editor keeps every character as typed (a non-breaking space stays one) and ends lines in "\n"; its counts,
// kept line by line, follow every kind of change: typing, new and joined lines, a selection across lines replaced,
// undo and redo.
TEST(ItemPreviewEditing, TheTextIsKeptAsTypedAndItsCountsFollowEveryChange)
{
    Preview preview(PreviewFixtures::textItem(
        ClipboardKind::text, QStringLiteral("50\u00A0km\r\nline two\u2028still two\n\U0001F44D\U0001F3FD end")));
    preview.controller.beginEditing(false);
    PreviewEditingView *view = preview.controller.editingView();
    EXPECT_EQ(preview.controller.originalEditingText(),
        QStringLiteral("50\u00A0km\nline two\u2028still two\n\U0001F44D\U0001F3FD end"));
    QLabel *characters = preview.controller.detailsView()->valueLabel(ItemPreviewDetailsView::FieldKey::characters);
    const auto countsAgree = [&] {
        const QString text = view->text();
        return view->characterCount() == ItemPreviewDetailsView::characterCount(text)
            && view->utf8Size() == text.toUtf8().size()
            && characters->text() == ItemPreviewDetailsView::formattedNumber(view->characterCount());
    };
    ASSERT_TRUE(countsAgree());

    QTextCursor cursor = preview.editor()->textCursor();
    cursor.setPosition(6); // in the second line
    preview.editor()->setTextCursor(cursor);
    const std::function<void()> steps[] = {
        [&] { preview.type(QStringLiteral("xy")); },
        [&] { preview.key(Qt::Key_Return); },
        [&] { preview.key(Qt::Key_Backspace); },
        [&] {
            preview.editor()->moveCursor(QTextCursor::StartOfLine);
            preview.key(Qt::Key_Backspace); // joins two lines
        },
        [&] {
            QTextCursor across = preview.editor()->textCursor();
            across.setPosition(1);
            across.setPosition(preview.editor()->document()->characterCount() - 3, QTextCursor::KeepAnchor);
            preview.editor()->setTextCursor(across);
            preview.editor()->insertPlainText(QStringLiteral("\u00E9"));
        },
        [&] { preview.editor()->undo(); },
        [&] { preview.editor()->redo(); },
        [&] { preview.editor()->undo(); },
    };
    for (const auto &step : steps) {
        step();
        ASSERT_TRUE(countsAgree()) << view->text().toStdString();
    }
    preview.controller.saveEditing();
    ASSERT_EQ(preview.saves.size(), 1);
    EXPECT_TRUE(preview.saves.first().second.startsWith(QStringLiteral("50\u00A0km")));
}

// Save and Ctrl+S store the text only when it changed; either way editing ends and the stored item shows again,
// with an item handed in meanwhile applied after it.
TEST(ItemPreviewEditing, SaveStoresOnlyAChangedText)
{
    const struct
    {
        const char *name;
        bool changes;
        bool byKey;
    } cases[] = {
        {"toolbar, changed", true, false},
        {"toolbar, unchanged", false, false},
        {"Ctrl+S, changed", true, true},
        {"Ctrl+S, unchanged", false, true},
    };
    for (const auto &c : cases) {
        const ClipboardItem item = PreviewFixtures::textItem(ClipboardKind::text, QStringLiteral("note"));
        Preview preview(item);
        preview.controller.beginEditing(false);
        if (c.changes) {
            preview.editor()->moveCursor(QTextCursor::End);
            preview.type(QStringLiteral("s"));
        }
        // The host hands in a changed item while the edit is open: it waits.
        ClipboardItem renamed = item;
        renamed.title = QStringLiteral("Renamed meanwhile");
        preview.controller.updateItem(renamed);
        EXPECT_FALSE(preview.controller.item().title) << c.name;

        if (c.byKey)
            preview.key(Qt::Key_S, Qt::ControlModifier);
        else
            preview.controller.toolbar().itemForIdentifier(ItemPreviewToolbar::save)->trigger();
        EXPECT_FALSE(preview.controller.isEditing()) << c.name;
        const QList<std::pair<QUuid, QString>> expected = c.changes
            ? QList<std::pair<QUuid, QString>>({{item.id, QStringLiteral("notes")}})
            : QList<std::pair<QUuid, QString>>();
        EXPECT_EQ(preview.saves, expected) << c.name;
        EXPECT_EQ(preview.shownText(), QStringLiteral("note")) << c.name; // until the host hands in the saved item
        EXPECT_EQ(preview.controller.item().title, QStringLiteral("Renamed meanwhile")) << c.name;
        EXPECT_EQ(preview.closes, 0) << c.name;
        EXPECT_EQ(preview.controller.toolbar().defaultItemIdentifiers().mid(1),
            ItemPreviewToolbar::itemIdentifiers(preview.controller.item()))
            << c.name;
        // Ctrl+S outside editing is the window's.
        QKeyEvent save(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
        EXPECT_FALSE(preview.root->handleKey(&save));
    }
}

TEST(ItemPreviewEditing, EscapeAsksOnlyWhenTextWouldBeLost)
{
    Preview preview(PreviewFixtures::textItem(ClipboardKind::text, QStringLiteral("keep")));
    preview.controller.beginEditing(false);
    preview.key(Qt::Key_Escape); // no change: editing ends silently
    EXPECT_FALSE(preview.controller.isEditing());
    EXPECT_FALSE(preview.controller.unsavedChangesAlert());
    EXPECT_EQ(preview.closes, 0);

    preview.controller.beginEditing(false);
    preview.editor()->moveCursor(QTextCursor::End);
    preview.type(QStringLiteral("er"));
    preview.key(Qt::Key_Escape);
    QMessageBox *alert = preview.controller.unsavedChangesAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("Save changes?"));
    EXPECT_EQ(
        alert->informativeText(), QStringLiteral("The text has unsaved changes. You can save them or discard them."));
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    EXPECT_EQ(preview.alertButton(QMessageBox::AcceptRole)->text(), QStringLiteral("Save"));
    EXPECT_EQ(preview.alertButton(QMessageBox::DestructiveRole)->text(), QStringLiteral("Don't Save"));
    EXPECT_EQ(preview.alertButton(QMessageBox::RejectRole)->text(), QStringLiteral("Cancel"));
    // The toolbar's close asks the same way and opens no second alert.
    preview.controller.itemPreviewToolbarDidRequestClose();
    EXPECT_EQ(preview.controller.unsavedChangesAlert(), alert);

    // Cancel: editing goes on with the text.
    preview.alertButton(QMessageBox::RejectRole)->click();
    EXPECT_TRUE(preview.controller.isEditing());
    EXPECT_FALSE(preview.controller.unsavedChangesAlert());
    EXPECT_EQ(preview.editor()->toPlainText(), QStringLiteral("keeper"));

    // Don't Save: the stored text shows again and nothing was saved.
    preview.key(Qt::Key_Escape);
    ASSERT_TRUE(preview.controller.unsavedChangesAlert());
    preview.alertButton(QMessageBox::DestructiveRole)->click();
    EXPECT_FALSE(preview.controller.isEditing());
    EXPECT_EQ(preview.shownText(), QStringLiteral("keep"));
    EXPECT_TRUE(preview.saves.isEmpty());

    // Save: stored, and editing ends.
    preview.controller.beginEditing(false);
    preview.type(QStringLiteral("Please "));
    preview.controller.handleCancel();
    ASSERT_TRUE(preview.controller.unsavedChangesAlert());
    preview.alertButton(QMessageBox::AcceptRole)->click();
    EXPECT_FALSE(preview.controller.isEditing());
    EXPECT_EQ(preview.saves.size(), 1);
    EXPECT_EQ(preview.saves.first().second, QStringLiteral("Please keep"));
    EXPECT_EQ(preview.closes, 0);
}

// A preview the host opened for editing closes when editing ends, by whatever route.
TEST(ItemPreviewEditing, OpenedForEditingClosesWhenEditingEnds)
{
    const struct
    {
        const char *route;
        std::function<void(Preview &)> end;
        int saves;
    } cases[] = {
        {"Save", [](Preview &p) { p.controller.saveEditing(); }, 0},
        {"Ctrl+S after a change",
            [](Preview &p) {
                p.type(QStringLiteral("x"));
                p.key(Qt::Key_S, Qt::ControlModifier);
            },
            1},
        {"Escape", [](Preview &p) { p.key(Qt::Key_Escape); }, 0},
        {"Don't Save",
            [](Preview &p) {
                p.type(QStringLiteral("x"));
                p.key(Qt::Key_Escape);
                p.alertButton(QMessageBox::DestructiveRole)->click();
            },
            0},
    };
    for (const auto &c : cases) {
        Preview preview(PreviewFixtures::textItem(ClipboardKind::text, QStringLiteral("text")));
        preview.controller.beginEditing(true);
        c.end(preview);
        EXPECT_FALSE(preview.controller.isEditing()) << c.route;
        EXPECT_EQ(preview.closes, 1) << c.route;
        EXPECT_EQ(preview.saves.size(), c.saves) << c.route;
    }
}

// An item that leaves the history closes a preview that only shows it; an edit stays open with its text, says so,
// and saves the text even unchanged; the preview closes afterwards, as its item is gone.
TEST(ItemPreviewEditing, AnItemThatLeavesTheHistoryKeepsItsEdit)
{
    {
        Preview preview(PreviewFixtures::textItem(ClipboardKind::text, QStringLiteral("shown")));
        preview.controller.markItemRemoved();
        EXPECT_EQ(preview.closes, 1);
    }
    Preview preview(PreviewFixtures::textItem(ClipboardKind::text, QStringLiteral("edited")));
    preview.controller.beginEditing(false);
    QLabel *notice = preview.controller.editingView()->removedNotice();
    EXPECT_TRUE(notice->isHidden());
    preview.controller.markItemRemoved();
    EXPECT_EQ(preview.closes, 0);
    EXPECT_TRUE(preview.controller.isEditing());
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(
        notice->text(), QStringLiteral("This item was removed from the history. Save keeps the text as a new item."));

    // Nothing typed, yet leaving would lose the text: Escape asks.
    preview.key(Qt::Key_Escape);
    ASSERT_TRUE(preview.controller.unsavedChangesAlert());
    preview.alertButton(QMessageBox::RejectRole)->click();
    preview.controller.saveEditing();
    EXPECT_EQ(preview.saves.size(), 1);
    EXPECT_EQ(preview.saves.first().second, QStringLiteral("edited"));
    EXPECT_EQ(preview.closes, 1);
}

// --- Against the real coordinator and store ----------------------------------------------------------------------

namespace {

// A started coordinator on a real store, and a preview whose Save goes to AppCoordinator::editItem as the history
// window wires it.
struct EditingHarness
{
    explicit EditingHarness(
        const QList<ClipboardItem> &items,
        const std::function<void(AppPreferences &)> &preferences = [](AppPreferences &p) { p.textRetentionDays = -1; })
    {
        h.storeOnboardedPreferences(preferences);
        h.storeItems(items);
        h.coordinator->start();
    }
    std::unique_ptr<Preview> open(const QUuid &id)
    {
        const QList<ClipboardItem> &items = h.model.items();
        const auto found
            = std::find_if(items.cbegin(), items.cend(), [&](const ClipboardItem &item) { return item.id == id; });
        if (found == items.cend()) {
            ADD_FAILURE() << "not in the list";
            return nullptr;
        }
        auto preview = std::make_unique<Preview>(*found);
        preview->store
            = [this](const ClipboardItem &item, const QString &text) { h.coordinator->editItem(item, text); };
        preview->controller.beginEditing(false);
        return preview;
    }

    CoordinatorHarness h;
};

} // namespace

TEST(ItemPreviewEditingWithTheStore, EditAndSaveRestoreAndCancel)
{
    EditingHarness e({testItem(2), testItem(1, QStringLiteral("Dear Sir"))});

    // Edit and save: the stored text and the model's item change.
    auto preview = e.open(testId(1));
    preview->editor()->selectAll();
    preview->type(QStringLiteral("Dear Madam"));
    preview->key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(e.h.storedItem(testId(1))->text, QStringLiteral("Dear Madam"));
    EXPECT_EQ(e.h.model.items().at(1).text, QStringLiteral("Dear Madam"));

    // Restore, then Save: nothing is written.
    preview = e.open(testId(2));
    const ClipboardItem before = *e.h.storedItem(testId(2));
    preview->type(QStringLiteral("typo "));
    preview->controller.restoreStartingText();
    preview->controller.saveEditing();
    EXPECT_EQ(*e.h.storedItem(testId(2)), before);

    // Cancel with changes asks; Don't Save leaves the store alone.
    preview = e.open(testId(2));
    preview->type(QStringLiteral("typo "));
    preview->key(Qt::Key_Escape);
    ASSERT_TRUE(preview->controller.unsavedChangesAlert());
    preview->alertButton(QMessageBox::DestructiveRole)->click();
    EXPECT_EQ(*e.h.storedItem(testId(2)), before);
}

TEST(ItemPreviewEditingWithTheStore, SaveWithoutAChangeKeepsARichTextsFormatting)
{
    ClipboardItem rich = testItem(1, QStringLiteral("Hello"));
    rich.kind = ClipboardKind::richText;
    rich.html = QStringLiteral("<b>Hello</b>");
    EditingHarness e({rich});
    auto preview = e.open(testId(1));
    preview->controller.saveEditing();
    EXPECT_FALSE(preview->controller.isEditing());
    const auto stored = e.h.storedItem(testId(1));
    EXPECT_EQ(stored->kind, ClipboardKind::richText);
    EXPECT_EQ(stored->html, QStringLiteral("<b>Hello</b>"));
}

// The edited item leaves the history while the edit is open: trimmed from the list (its row stays), or deleted
// from the store (pruned, cleared). Save keeps the text either way and the list shows it at the front.
TEST(ItemPreviewEditingWithTheStore, AnItemThatLeftTheHistoryIsSavedAgain)
{
    // Trimmed: two new copies push it out of a list of two.
    {
        EditingHarness e({testItem(2), testItem(1, QStringLiteral("oldest"))}, [](AppPreferences &p) {
            p.textRetentionDays = -1;
            p.maxHistoryItems = 2;
        });
        auto preview = e.open(testId(1));
        preview->editor()->moveCursor(QTextCursor::End);
        preview->type(QStringLiteral(" but edited"));
        e.h.coordinator->pasteboardMonitorDidCapture(testItem(3), {});
        ASSERT_EQ(numbersOf(e.h.model.items()), QList<int>({3, 2}));
        preview->controller.markItemRemoved();
        preview->controller.saveEditing();
        EXPECT_EQ(e.h.model.items().first().text, QStringLiteral("oldest but edited"));
        EXPECT_EQ(e.h.model.items().size(), 2);
        EXPECT_EQ(e.h.storedItem(e.h.model.items().first().id)->text, QStringLiteral("oldest but edited"));
        EXPECT_EQ(preview->closes, 1);
    }
    // Cleared: a new item holds the text; unchanged text is kept too.
    for (const bool changes : {true, false}) {
        EditingHarness e({testItem(2), testItem(1, QStringLiteral("https://example.com/"))}, [](AppPreferences &p) {
            p.textRetentionDays = -1;
            p.keepFavoritesOnClearHistory = false;
        });
        auto preview = e.open(testId(1));
        if (changes) {
            preview->editor()->selectAll();
            preview->type(QStringLiteral("just words"));
        }
        e.h.coordinator->clearHistory();
        ASSERT_TRUE(e.h.storedItems().isEmpty());
        preview->controller.markItemRemoved();
        EXPECT_TRUE(preview->controller.isEditing());
        preview->controller.saveEditing();
        const QList<ClipboardItem> stored = e.h.storedItems();
        ASSERT_EQ(stored.size(), 1) << changes;
        const QString text = changes ? QStringLiteral("just words") : QStringLiteral("https://example.com/");
        EXPECT_EQ(stored.first().text, text);
        EXPECT_NE(stored.first().id, testId(1));
        EXPECT_EQ(stored.first().kind, changes ? ClipboardKind::text : ClipboardKind::link);
        EXPECT_EQ(e.h.model.items().size(), 1);
        EXPECT_EQ(e.h.model.items().first(), stored.first());
        EXPECT_FALSE(e.h.model.lastError());
    }
}

// A very long line is shown in pieces, so that a keystroke does not lay out the whole line again. The breaks between
// the pieces are never characters of the text: typing, line ends, Backspace and Delete beside a break, paste, undo,
// copying, the counts, Restore and Save all see the line exactly as it is.
TEST(ItemPreviewEditing, LongSingleLineIsEditedAndSavedExactly)
{
    QString line;
    for (int i = 0; line.size() < 20000; ++i)
        line += QStringLiteral("word%1\u00A0caf\u00E9 e\u0301 \U0001F600 ").arg(i);
    line += QString(6000, QLatin1Char('x')); // a stretch without a space
    Preview preview(PreviewFixtures::textItem(ClipboardKind::text, line));
    preview.controller.itemPreviewToolbarDidRequestEdit();
    QPlainTextEdit *editor = preview.editor();
    ASSERT_TRUE(editor);
    auto *view = qobject_cast<PreviewEditingView *>(preview.controller.contentView());
    ASSERT_TRUE(view);
    QTextDocument *document = editor->document();
    ASSERT_GT(document->blockCount(), 10) << "shown in pieces";
    EXPECT_EQ(view->text(), line);
    EXPECT_FALSE(preview.restoreEnabled());
    EXPECT_EQ(view->utf8Size(), line.toUtf8().size());
    EXPECT_EQ(view->characterCount(), ItemPreviewDetailsView::characterCount(line));

    // While the line is whole, the k-th piece starts k breaks after its place in the text.
    const auto pieceStart = [&](int k) { return document->findBlockByNumber(k).position(); };
    const auto placeCursor = [&](int position, int anchor = -1) {
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(anchor < 0 ? position : anchor);
        if (anchor >= 0)
            cursor.setPosition(position, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
    };
    QString expected = line;
    editor->setFocus();

    // Moving through the text changes nothing.
    placeCursor(pieceStart(2) + 5);
    for (const int key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Right, Qt::Key_Up, Qt::Key_PageUp})
        preview.key(key);
    preview.key(Qt::Key_End, Qt::ControlModifier);
    preview.key(Qt::Key_Home, Qt::ControlModifier);
    preview.key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    preview.key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view->text(), line);
    EXPECT_FALSE(preview.restoreEnabled());

    // From the last piece backwards, so that the places before stay as they were.
    const int last = document->blockCount() - 1;
    placeCursor(pieceStart(last));
    preview.type(QStringLiteral("AB"));
    expected.insert(pieceStart(last) - last, QStringLiteral("AB"));
    EXPECT_EQ(view->text(), expected);

    placeCursor(pieceStart(last) - 1); // the end of the piece before
    preview.key(Qt::Key_Delete);
    expected.remove(pieceStart(last) - last, 1); // the "A" beyond the break
    EXPECT_EQ(view->text(), expected);

    const int third = pieceStart(3) - 3;
    ASSERT_FALSE(expected.at(third - 1).isSurrogate());
    placeCursor(pieceStart(3));
    preview.key(Qt::Key_Backspace);
    expected.remove(third - 1, 1);
    EXPECT_EQ(view->text(), expected);

    // A line end typed at a break becomes the line end there.
    const int blocks = document->blockCount();
    const int second = pieceStart(1); // in the text, one before: the break is not a character
    placeCursor(second);
    preview.key(Qt::Key_Return);
    expected.insert(second - 1, QLatin1Char('\n'));
    EXPECT_EQ(view->text(), expected);
    EXPECT_EQ(document->blockCount(), blocks);
    preview.type(QStringLiteral("z"));
    expected.insert(second, QLatin1Char('z'));
    EXPECT_EQ(view->text(), expected);
    // Joined away again, it leaves the break before it as it was.
    placeCursor(second);
    preview.key(Qt::Key_Backspace);
    expected.remove(second - 1, 1);
    EXPECT_EQ(view->text(), expected);
    editor->undo();
    expected.insert(second - 1, QLatin1Char('\n'));
    EXPECT_EQ(view->text(), expected);

    // Inside a piece, a line end splits it; Delete at the end of the first part joins the two again.
    const int middle = pieceStart(8) + 100;
    placeCursor(middle);
    preview.type(QStringLiteral("#"));
    const qsizetype mark = view->text().indexOf(QLatin1Char('#'));
    ASSERT_GE(mark, 0);
    expected.insert(mark, QLatin1Char('#'));
    EXPECT_EQ(view->text(), expected);
    preview.key(Qt::Key_Return);
    expected.insert(mark + 1, QLatin1Char('\n'));
    EXPECT_EQ(view->text(), expected);
    placeCursor(middle + 1);
    preview.key(Qt::Key_Delete);
    expected.remove(mark + 1, 1);
    EXPECT_EQ(view->text(), expected);
    editor->undo();
    expected.insert(mark + 1, QLatin1Char('\n'));
    EXPECT_EQ(view->text(), expected);

    // A selection across a break is copied without it; deleted and brought back by undo, the text is as it was.
    const int fifth = pieceStart(5);
    const QString beforeCut = expected;
    placeCursor(fifth + 10, fifth - 10);
    editor->copy();
    // The break lies among the 20 positions: 19 characters of the text.
    EXPECT_EQ(QApplication::clipboard()->text().size(), 19);
    EXPECT_FALSE(QApplication::clipboard()->text().contains(QLatin1Char('\n')));
    preview.key(Qt::Key_Backspace);
    EXPECT_EQ(view->text().size(), expected.size() - 19);
    editor->undo();
    EXPECT_EQ(view->text(), beforeCut);

    // Cut from the editor's own menu, from inside a piece to beyond a line end, keeps the break before it.
    {
        const int from = pieceStart(9) + 50;
        placeCursor(from);
        preview.type(QStringLiteral("%"));
        preview.key(Qt::Key_Return);
        const qsizetype mark = view->text().indexOf(QLatin1Char('%'));
        ASSERT_GE(mark, 0);
        QString cutAway = view->text();
        placeCursor(from + 5, from);
        cutAway.remove(mark, 5); // "%", the line end (a character) and three more, no break among them
        const QPoint inside = editor->cursorRect().center();
        QTimer::singleShot(0, editor, [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_TRUE(menu);
            for (QAction *action : menu->actions()) {
                if (action->text().startsWith(QStringLiteral("Cu&t")))
                    action->trigger();
            }
            menu->close();
        });
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, inside, editor->viewport()->mapToGlobal(inside));
        QApplication::sendEvent(editor->viewport(), &menuEvent);
        EXPECT_EQ(view->text(), cutAway);
        editor->undo();
        expected = view->text();
    }

    // A pasted line end is a line end, wherever it lands.
    QApplication::clipboard()->setText(QStringLiteral("one\ntwo"));
    placeCursor(pieceStart(7));
    const QString beforePaste = view->text();
    editor->paste();
    const QString afterPaste = view->text();
    EXPECT_EQ(afterPaste.size(), beforePaste.size() + 7);
    EXPECT_EQ(afterPaste.count(QLatin1Char('\n')), beforePaste.count(QLatin1Char('\n')) + 1);
    EXPECT_TRUE(afterPaste.contains(QStringLiteral("one\ntwo")));
    editor->undo();
    EXPECT_EQ(view->text(), beforePaste);
    editor->redo();
    EXPECT_EQ(view->text(), afterPaste);
    expected = afterPaste;
    EXPECT_EQ(view->utf8Size(), expected.toUtf8().size());
    EXPECT_EQ(view->characterCount(), ItemPreviewDetailsView::characterCount(expected));

    preview.controller.itemPreviewToolbarDidRequestRestore();
    EXPECT_EQ(view->text(), line);
    EXPECT_GT(document->blockCount(), 10);
    placeCursor(pieceStart(2));
    preview.type(QStringLiteral("Q"));
    expected = line;
    expected.insert(pieceStart(2) - 2, QLatin1Char('Q'));
    preview.controller.itemPreviewToolbarDidRequestSave();
    ASSERT_EQ(preview.saves.size(), 1);
    EXPECT_EQ(preview.saves.first().second, expected);
}
