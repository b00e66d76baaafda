// Editing in the item preview on a real display: the keys typed by the user (through the X server) reach the
// editor, Ctrl+S saves, Escape with changes asks and the alert's Return saves; and pictures of the editor, with
// changes and with the notice of an item that left the history, in the light and the dark appearance.

#include "ItemPreviewContentViews.h"
#include "ItemPreviewDialogController.h"
#include "ItemPreviewPresenter.h"
#include "KeyboardTestSupport.h"
#include "StyleAppearanceApplier.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

ClipboardItem textItem(int n, const QString &text)
{
    ClipboardItem made;
    made.id = QUuid::createUuidV5(QUuid(), QString::number(n));
    made.kind = ClipboardKind::text;
    made.text = text;
    made.byteSize = text.toUtf8().size();
    made.copiedAt = QDateTime::currentDateTime().addSecs(-60 * n);
    made.firstCopiedAt = made.copiedAt.addDays(-2);
    made.sourceAppName = QStringLiteral("Text Editor");
    made.copyCount = n;
    return made;
}

PreviewEnvironment offline()
{
    PreviewEnvironment environment;
    environment.webPagesEnabled = false;
    return environment;
}

// The user types on the keyboard: the keys go through the X server to the window that has the focus.
void typeKeys(const QString &text)
{
    ASSERT_EQ(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text}), 0);
}

void pressKey(const QString &key)
{
    ASSERT_EQ(xdotool({QStringLiteral("key"), key}), 0);
}

} // namespace

TEST(ItemPreviewEditing, TheUserEditsSavesAndIsAskedBeforeLosingText)
{
    QWidget history;
    history.resize(520, 640);
    ASSERT_TRUE(bringToFront(history));

    QList<std::pair<QUuid, QString>> saved;
    int closed = 0;
    ItemPreviewActions actions;
    actions.save = [&](const ClipboardItem &item, const QString &text) { saved.append({item.id, text}); };
    actions.didClose = [&] { ++closed; };
    ItemPreviewDialogPresenter presenter(actions, {}, offline());
    const ClipboardItem item = textItem(1, QStringLiteral("Lunch at noon"));
    presenter.present(item, &history);
    ItemPreviewDialog *dialog = presenter.dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dialog->windowHandle(); }));

    // The toolbar's Edit: the editor takes the keys.
    presenter.controller()->toolbar().itemForIdentifier(ItemPreviewToolbar::edit)->trigger();
    QPlainTextEdit *editor = presenter.controller()->editingTextView();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == editor; }));
    pressKey(QStringLiteral("ctrl+End"));
    typeKeys(QStringLiteral(" sharp"));
    ASSERT_TRUE(waitUntil([&] { return editor->toPlainText() == QStringLiteral("Lunch at noon sharp"); }))
        << editor->toPlainText().toStdString();
    pressKey(QStringLiteral("ctrl+s"));
    ASSERT_TRUE(waitUntil([&] { return !saved.isEmpty(); }));
    EXPECT_EQ(saved, (QList<std::pair<QUuid, QString>>({{item.id, QStringLiteral("Lunch at noon sharp")}})));
    EXPECT_FALSE(presenter.controller()->isEditing());
    EXPECT_TRUE(presenter.isShown());

    // Opened for editing by the window's edit command: Escape with changes asks, Return in the alert saves, and
    // the preview closes as editing ends.
    presenter.beginEditing(true);
    editor = presenter.controller()->editingTextView();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == editor; }));
    typeKeys(QStringLiteral("Late "));
    ASSERT_TRUE(waitUntil([&] { return editor->toPlainText().startsWith(QStringLiteral("Late ")); }));
    pressKey(QStringLiteral("Escape"));
    ASSERT_TRUE(waitUntil([&] { return presenter.controller()->unsavedChangesAlert() != nullptr; }));
    QMessageBox *alert = presenter.controller()->unsavedChangesAlert();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(alert));
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == alert; }));
    // Escape keeps editing.
    pressKey(QStringLiteral("Escape"));
    ASSERT_TRUE(waitUntil([&] { return !presenter.controller()->unsavedChangesAlert(); }));
    EXPECT_TRUE(presenter.controller()->isEditing());
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == editor; }));
    pressKey(QStringLiteral("Escape"));
    ASSERT_TRUE(waitUntil([&] { return presenter.controller()->unsavedChangesAlert() != nullptr; }));
    alert = presenter.controller()->unsavedChangesAlert();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == alert; }));
    pressKey(QStringLiteral("Return"));
    ASSERT_TRUE(waitUntil([&] { return !presenter.isShown(); }));
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(saved.last().second, QStringLiteral("Late Lunch at noon"));
    EXPECT_EQ(closed, 1);
}

TEST(ItemPreviewEditing, PicturesOfTheEditorInLightAndDark)
{
    QWidget history;
    history.resize(1000, 800);
    history.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&history));
    StyleAppearanceApplier appearance;
    const ClipboardItem item = textItem(1,
        QStringLiteral("Dear Ms Lindqvist,\n\nthank you for the quick reply. The invoice for March is attached; the "
                       "amount is due on the 30th.\n\nKind regards,\nJonas"));
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        const QString suffix = mode == AppAppearance::light ? QStringLiteral("light") : QStringLiteral("dark");
        for (const bool removed : {false, true}) {
            ItemPreviewDialogPresenter presenter({}, {}, offline());
            presenter.present(item, &history);
            ItemPreviewDialog *dialog = presenter.dialog();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
            presenter.beginEditing(false);
            QPlainTextEdit *editor = presenter.controller()->editingTextView();
            ASSERT_TRUE(editor);
            editor->moveCursor(QTextCursor::End);
            editor->insertPlainText(QStringLiteral("\n\nP.S. The receipt follows tomorrow."));
            if (removed)
                presenter.itemRemoved();
            QTest::qWait(150);
            const QString name = QStringLiteral("preview-editing-%1%2.png")
                                     .arg(removed ? QStringLiteral("removed-") : QString(), suffix);
            const QString path = QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name);
            const QImage image = dialog->grab().toImage();
            EXPECT_TRUE(image.save(path)) << path.toStdString();
            // The editor follows the appearance.
            const QColor corner = image.pixelColor(image.width() - 4, image.height() - 4);
            EXPECT_EQ(corner.lightness() < 128, mode == AppAppearance::dark) << name.toStdString();
            EXPECT_EQ(presenter.controller()->editingView()->removedNotice()->isVisible(), removed);
            presenter.close();
        }
    }
    appearance.apply(AppAppearance::system);
}
