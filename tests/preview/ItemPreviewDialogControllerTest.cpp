// The preview's controller: the window size it asks for, keeping the preview current as items change, the keys it
// handles itself, and the content views it builds.

#include "ItemPreviewDialogController.h"
#include "HistoryColors.h"
#include "ItemPreviewContentViews.h"
#include "ItemPreviewDetailsView.h"
#include "ItemPreviewPresenter.h"
#include "Localization.h"
#include "PreviewFixtures.h"
#include "TextFit.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPdfDocument>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace PreviewFixtures;

TEST(ItemPreviewDialogController, SizesTheWindowForTheContentAndTheDetails)
{
    QTemporaryDir folder;
    const QString png = writeImage(folder.filePath(QStringLiteral("small.png")), QSize(40, 30));

    ItemPreviewDialogController text(textItem(ClipboardKind::text, QStringLiteral("words")), room, offline());
    const int d = text.detailsView()->layoutFields(640, false);
    const int wide = text.detailsView()->preferredWidth();
    EXPECT_EQ(text.fittedContentSize(PreviewContent::make(text.item())),
        QSize(
            std::max(640, wide), std::max(400 - text.detailsView()->layoutFields(int(room.width()), false) + d, 300)));

    // An image file is at least as wide as the longest title with the toolbar beside it.
    ClipboardItem imageFile = item(ClipboardKind::file);
    imageFile.filePaths = {png};
    ItemPreviewDialogController picture(imageFile, room, offline());
    EXPECT_EQ(picture.fittedContentSize(PreviewContent::make(imageFile)).width(),
        ItemPreviewToolbar::maximumTitleWidth() + 55 + 440);

    // Never more than the room.
    ItemPreviewDialogController small(
        textItem(ClipboardKind::text, QStringLiteral("words")), QSizeF(300, 320), offline());
    const QSize limited = small.fittedContentSize(PreviewContent::make(small.item()));
    EXPECT_LE(limited.width(), 300);
    EXPECT_LE(limited.height(), 320);
    EXPECT_GE(limited.height(), 300);

    ItemPreviewKeyHandlingView *root = text.view();
    EXPECT_EQ(root->size(), text.windowContentSize());
    const QRect frame = text.contentView()->geometry();
    EXPECT_EQ(frame.topLeft(), QPoint(6, 6));
    EXPECT_EQ(frame.width(), root->width() - 12);
    EXPECT_EQ(frame.bottom() + 1, text.detailsView()->geometry().top());
    EXPECT_EQ(text.detailsView()->geometry().bottom() + 1, root->height());
}

// Every text of the preview shows whole in every interface language where its layout has room: the title accessory,
// the toolbar's items (no item is pushed into the toolbar's overflow, the worded ones show their words) while viewing
// and while editing, and every title and value of the details.
TEST(ItemPreviewDialogController, EveryTextShowsWholeInEveryLanguage)
{
    QTemporaryDir folder;
    const QString png = writeImage(folder.filePath(QStringLiteral("small.png")), QSize(40, 30));
    ClipboardItem picture = item(ClipboardKind::image, 3);
    picture.text = QStringLiteral("recognised words");
    picture.qrCodeText = QStringLiteral("https://example.com/qr");
    picture.assetPath = png;
    ClipboardItem oneFile = item(ClipboardKind::file, 4);
    oneFile.filePaths = {png};
    ClipboardItem files = item(ClipboardKind::file, 5);
    files.filePaths = {png, folder.filePath(QStringLiteral("other.txt"))};
    QList<ClipboardItem> items {textItem(ClipboardKind::text, QStringLiteral("words"), 1),
        textItem(ClipboardKind::link, QStringLiteral("https://example.com/"), 2), picture, oneFile, files,
        textItem(ClipboardKind::color, QStringLiteral("#FF8800"), 6),
        textItem(ClipboardKind::email, QStringLiteral("a@example.com"), 7)};
    for (ClipboardItem &each : items) {
        each.sourceAppName = QStringLiteral("Editor");
        each.copyCount = 1234;
    }

    QWidget history;
    history.resize(620, 600);
    history.show();
    ItemPreviewDialogPresenter presenter({}, {}, offline());
    std::string where;
    const auto check = [&](const QWidget &root) {
        int texts = 0;
        for (const QWidget *widget : root.findChildren<QWidget *>()) {
            if (!widget->isVisibleTo(presenter.dialog()))
                continue;
            texts += !TextFit::shownText(*widget).isEmpty();
            if (widget->objectName() == QLatin1String("qt_toolbar_ext_button"))
                ADD_FAILURE() << where << ": the toolbar has no room for all its items";
            if (const std::optional<QString> problem = TextFit::cut(*widget))
                ADD_FAILURE() << where << ": \"" << TextFit::shownText(*widget).toStdString() << "\" "
                              << problem->toStdString();
        }
        EXPECT_GT(texts, 0) << where;
    };
    for (const QString &language : supportedInterfaceLanguages()) {
        setCurrentInterfaceLanguage(language);
        for (const ClipboardItem &shown : std::as_const(items)) {
            where = language.toStdString() + " " + shown.kind.title().toStdString();
            presenter.present(shown, &history);
            ASSERT_TRUE(presenter.dialog()) << where;
            QCoreApplication::processEvents();
            check(*presenter.dialog()->header());
            check(*presenter.controller()->detailsView());
            if (shown.kind.isTextLike()) {
                presenter.beginEditing(false);
                QCoreApplication::processEvents();
                where += " editing";
                check(*presenter.dialog()->header());
            }
            presenter.close();
        }
    }
    setCurrentInterfaceLanguage(QStringLiteral("en"));
}

TEST(ItemPreviewDialogController, UpdateItemRebuildsOnlyForOtherContent)
{
    ClipboardItem first = textItem(ClipboardKind::text, QStringLiteral("first"), 1);
    ItemPreviewDialogController controller(first, room, offline());
    QList<QSize> resizes;
    controller.onWindowContentSizeChange = [&](QSize size) { resizes.append(size); };
    controller.view();
    std::unique_ptr<QToolBar> bar(controller.toolbar().makeToolbar());
    PreviewContentView *shown = controller.contentView();

    ClipboardItem favourite = first;
    favourite.isFavorite = true;
    favourite.title = QStringLiteral("Named");
    controller.updateItem(favourite);
    EXPECT_EQ(controller.contentView(), shown);
    EXPECT_EQ(controller.toolbar().itemForIdentifier(ItemPreviewToolbar::favorite)->text(),
        QStringLiteral("Remove from Favorites"));
    EXPECT_TRUE(resizes.isEmpty());

    // Another item: a new view, the window sized for it, the toolbar for its kind.
    ClipboardItem colour = textItem(ClipboardKind::color, QStringLiteral("#FF8800"), 2);
    controller.updateItem(colour);
    EXPECT_NE(controller.contentView(), shown);
    EXPECT_TRUE(qobject_cast<PreviewColorView *>(controller.contentView()));
    ASSERT_EQ(resizes.size(), 1);
    EXPECT_EQ(resizes.last(), controller.windowContentSize());
    EXPECT_EQ(controller.toolbar().currentItemIdentifiers(),
        QStringList({ItemPreviewToolbar::flexibleSpace, ItemPreviewToolbar::favorite, ItemPreviewToolbar::tags,
            ItemPreviewToolbar::edit}));

    // Once the user has sized the window, items keep that size.
    controller.windowDidEndLiveResize(QSize(900, 700));
    controller.updateItem(textItem(ClipboardKind::text, QStringLiteral("third"), 3));
    EXPECT_EQ(resizes.size(), 1);
    EXPECT_TRUE(controller.hasUserResizedWindow());
}

// A rich-text item copied again with the same text and other formatting, while its preview is open: the preview
// shows the new formatting.
TEST(ItemPreviewDialogController, AnUpdateOfTheFormattingAloneShowsTheNewFormatting)
{
    ClipboardItem rich = textItem(ClipboardKind::richText, QStringLiteral("Hello world"), 1);
    rich.html = QStringLiteral("<p><b>Hello</b> world</p>");
    ItemPreviewDialogController controller(rich, room, offline());
    controller.view();
    const auto helloIsBold = [&] {
        auto *text = qobject_cast<PreviewTextView *>(controller.contentView());
        EXPECT_TRUE(text && text->richTextView());
        if (!text || !text->richTextView())
            return false;
        return text->richTextView()->document()->find(QStringLiteral("Hello")).charFormat().fontWeight() == QFont::Bold;
    };
    EXPECT_TRUE(helloIsBold());

    ClipboardItem plainer = rich;
    plainer.html = QStringLiteral("<p>Hello <i>world</i></p>");
    controller.updateItem(plainer);
    EXPECT_FALSE(helloIsBold());
}

TEST(ItemPreviewDialogController, ItemsWaitWhileEditing)
{
    ClipboardItem first = textItem(ClipboardKind::text, QStringLiteral("first"), 1);
    ItemPreviewDialogController controller(first, room, offline());
    controller.view();
    controller.itemPreviewToolbarDidRequestEdit();
    ASSERT_TRUE(controller.isEditing());

    PreviewContentView *shown = controller.contentView();
    const ClipboardItem second = textItem(ClipboardKind::text, QStringLiteral("second"), 2);
    controller.updateItem(second);
    EXPECT_EQ(controller.item().id, first.id);
    EXPECT_EQ(controller.contentView(), shown);
    EXPECT_EQ(controller.pendingItem()->id, second.id);

    controller.endEditing();
    EXPECT_EQ(controller.item().id, second.id);
    EXPECT_FALSE(controller.pendingItem());
}

TEST(ItemPreviewDialogController, KeysOfThePreview)
{
    ItemPreviewDialogController controller(textItem(ClipboardKind::text, QStringLiteral("select me")), room, offline());
    int cancels = 0;
    QList<int> offered;
    controller.onCancel = [&] { ++cancels; };
    controller.onKeyDown = [&](QKeyEvent *event) {
        offered.append(event->key());
        return true;
    };
    ItemPreviewKeyHandlingView *root = controller.view();
    root->show();
    QApplication::setActiveWindow(root);
    root->setFocus();

    QTest::keyClick(root, Qt::Key_Space);
    QTest::keyClick(root, Qt::Key_Escape);
    EXPECT_EQ(cancels, 2);
    QTest::keyClick(root, Qt::Key_Space, Qt::ShiftModifier); // not Space alone: the window's
    QTest::keyClick(root, Qt::Key_Down);
    QTest::keyClick(root, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(offered, QList<int>({Qt::Key_Space, Qt::Key_Down, Qt::Key_C}));
    EXPECT_EQ(cancels, 2);

    // Ctrl+C in the text with a selection copies the selection; without one it is the window's copy.
    auto *text = qobject_cast<PreviewTextView *>(controller.contentView());
    ASSERT_TRUE(text);
    QPlainTextEdit *edit = text->textView();
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    offered.clear();
    QApplication::clipboard()->clear();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(offered.isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("select me"));
    QTextCursor cursor = edit->textCursor();
    cursor.clearSelection();
    edit->setTextCursor(cursor);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(offered, QList<int>({Qt::Key_C}));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(cancels, 3);

    // While editing, Space types and Escape leaves editing; neither closes.
    controller.beginEditing(false);
    QPlainTextEdit *editor = controller.editingTextView();
    ASSERT_TRUE(editor);
    editor->moveCursor(QTextCursor::End);
    QTest::keyClick(editor, Qt::Key_Space);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("select me "));
    editor->undo();
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(controller.isEditing());
    EXPECT_EQ(cancels, 3);
}

TEST(ItemPreviewDialogController, ToolbarActionsReachTheHostWithTheCurrentItem)
{
    ClipboardItem first = textItem(ClipboardKind::text, QStringLiteral("first"), 1);
    ItemPreviewDialogController controller(first, room, offline());
    controller.view();
    QList<QUuid> favourites;
    controller.onToggleFavorite = [&](const ClipboardItem &item) { favourites.append(item.id); };
    controller.toolbar().itemForIdentifier(ItemPreviewToolbar::favorite)->trigger();
    const ClipboardItem second = textItem(ClipboardKind::text, QStringLiteral("second"), 2);
    controller.updateItem(second);
    controller.toolbar().itemForIdentifier(ItemPreviewToolbar::favorite)->trigger();
    EXPECT_EQ(favourites, QList<QUuid>({first.id, second.id}));
    // Unset callbacks are skipped.
    controller.itemPreviewToolbarDidRequestShowInFinder();
    EXPECT_EQ(controller.itemPreviewToolbarTagsMenu(), nullptr);
}

// Rich text keeps its formatting in the preview; its pictures are never read from files, and the item stays as it was.
TEST(PreviewContentViews, RichTextShowsItsFormatting)
{
    QTemporaryDir folder;
    const QString png = writeImage(folder.filePath(QStringLiteral("local.png")), QSize(120, 80), QColor(255, 0, 255));
    ClipboardItem rich = textItem(ClipboardKind::richText, QStringLiteral("Bold italic red"));
    rich.html
        = QStringLiteral("<html><body><p><b>Bold</b> <i>italic</i> <span style=\"color:#ff0000\">red</span></p>"
                         "<p><span style=\"color:%2\">faint</span></p>"
                         "<img src=\"%1\" width=\"120\" height=\"80\"></body></html>")
              .arg(QUrl::fromLocalFile(png).toString(), HistoryColors::textBackground(QApplication::palette()).name());
    rich.rtfData = QByteArray("{\\rtf1\\ansi Plain from RTF}");
    const ClipboardItem original = rich;

    ItemPreviewDialogController controller(rich, room, offline());
    ItemPreviewKeyHandlingView *root = controller.view();
    auto *text = qobject_cast<PreviewTextView *>(controller.contentView());
    ASSERT_TRUE(text);
    ASSERT_TRUE(text->richTextView());
    EXPECT_FALSE(text->textView());
    EXPECT_TRUE(text->richTextView()->isReadOnly());
    EXPECT_TRUE(text->plainText().startsWith(QStringLiteral("Bold italic red")));
    QTextDocument *document = text->richTextView()->document();
    const auto formatAt = [&](const QString &word) {
        QTextCursor cursor = document->find(word);
        EXPECT_FALSE(cursor.isNull()) << word.toStdString();
        return cursor.charFormat();
    };
    EXPECT_EQ(formatAt(QStringLiteral("Bold")).fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatAt(QStringLiteral("Bold")).fontItalic());
    EXPECT_TRUE(formatAt(QStringLiteral("italic")).fontItalic());
    EXPECT_EQ(formatAt(QStringLiteral("red")).foreground().color(), QColor(255, 0, 0));
    // Text coloured like the background would vanish: it takes the label colour.
    EXPECT_EQ(
        formatAt(QStringLiteral("faint")).foreground().color(), text->richTextView()->palette().color(QPalette::Text));

    // The picture names a file on this machine: the preview does not read it.
    root->resize(700, 500);
    root->show();
    QApplication::processEvents();
    const QImage shown = text->richTextView()->viewport()->grab().toImage();
    int magenta = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            magenta += shown.pixelColor(x, y) == QColor(255, 0, 255) ? 1 : 0;
    }
    EXPECT_EQ(magenta, 0);
    EXPECT_EQ(controller.item(), original);
}

TEST(PreviewContentViews, FilesListsAndDocuments)
{
    QTemporaryDir folder;
    const QString pdf = writePdf(folder.filePath(QStringLiteral("report.pdf")), 3);
    const QString notes = folder.filePath(QStringLiteral("notes.json"));
    QFile json(notes);
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(QByteArray(600 * 1024, 'x'));
    json.close();
    const QString archive = folder.filePath(QStringLiteral("bundle.tar.gz"));
    QFile tar(archive);
    ASSERT_TRUE(tar.open(QIODevice::WriteOnly));
    tar.write(QByteArray::fromHex("1f8b0800000000000003"));
    tar.close();

    std::unique_ptr<PreviewFileView> document(PreviewFileView::make(pdf, nullptr));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->form(), PreviewFileView::Form::pdf);
    EXPECT_EQ(document->pdfDocument()->pageCount(), 3);
    document->teardown();
    EXPECT_EQ(document->pdfDocument()->status(), QPdfDocument::Status::Null);

    std::unique_ptr<PreviewFileView> text(PreviewFileView::make(notes, nullptr));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->form(), PreviewFileView::Form::text);
    const auto *edit = text->findChild<QPlainTextEdit *>();
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->toPlainText().size(), PreviewFileView::textByteLimit + 2); // and the line that says it goes on

    std::unique_ptr<PreviewFileView> card(PreviewFileView::make(archive, nullptr));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->form(), PreviewFileView::Form::card);
    EXPECT_EQ(PreviewFileView::make(folder.filePath(QStringLiteral("gone.pdf")), nullptr), nullptr);

    // A single file that cannot be read falls back to the list of that path.
    PreviewContent gone;
    gone.kind = PreviewContent::Kind::fileQuickLook;
    gone.url = QUrl::fromLocalFile(folder.filePath(QStringLiteral("gone.pdf")));
    std::unique_ptr<PreviewContentView> fallback(makePreviewContentView(gone, item(ClipboardKind::file), offline()));
    EXPECT_TRUE(qobject_cast<PreviewFileListView *>(fallback.get()));

    // Ten thousand paths make one list view with ten thousand rows, no widget each.
    QStringList paths;
    for (int i = 0; i < 10000; ++i)
        paths.append(QStringLiteral("/data/photos/%1.jpg").arg(i));
    PreviewFileListView list(paths, nullptr);
    EXPECT_EQ(list.listView()->model()->rowCount(), 10000);
    EXPECT_LT(list.findChildren<QWidget *>().size(), 20);
}

// A file that is gone is listed dimmed: its name is drawn in the disabled text colour, an existing file's is not.
TEST(PreviewContentViews, AMissingFileInTheListIsDimmed)
{
    QTemporaryDir folder;
    const QString present = folder.filePath(QStringLiteral("present.txt"));
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    // The darkest pixel of the text column of the only row: the name's ink.
    const auto darkestText = [](const QString &path) {
        PreviewFileListView list({path}, nullptr);
        list.resize(400, 120);
        QPalette palette = list.palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        palette.setColor(QPalette::WindowText, Qt::black);
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(160, 160, 160));
        list.setPalette(palette);
        list.listView()->setPalette(palette);
        list.show();
        QCoreApplication::processEvents();
        const QImage image = list.listView()->viewport()->grab().toImage();
        int darkest = 255;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 60; x < image.width(); ++x)
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
        }
        return darkest;
    };
    EXPECT_LT(darkestText(present), 100);
    EXPECT_GE(darkestText(folder.filePath(QStringLiteral("gone.txt"))), 140);
}

TEST(PreviewContentViews, LinkShowsItsCardWhereThePageCannotShow)
{
    ClipboardItem link = textItem(ClipboardKind::link, QStringLiteral("https://example.org/article"));
    LinkPreviewDetails details;
    details.url = *link.text;
    details.title = QStringLiteral("An article");
    details.description = QStringLiteral("What it is about");
    link.linkPreviewDetails = details;
    QList<QUrl> opened;
    PreviewEnvironment environment = offline();
    environment.openExternally = [&](const QUrl &url) { opened.append(url); };
    PreviewWebPageView view(QUrl(*link.text), link, environment);
    ASSERT_TRUE(view.linkCard());
    EXPECT_EQ(view.webPage(), nullptr);
    EXPECT_FALSE(PreviewWebPageView::webEngineStarted());
    QStringList texts;
    for (const QLabel *label : view.findChildren<QLabel *>())
        texts.append(label->text());
    EXPECT_TRUE(texts.contains(QStringLiteral("An article")));
    EXPECT_TRUE(texts.contains(QStringLiteral("What it is about")));
    auto *button = view.findChild<QPushButton *>();
    ASSERT_TRUE(button);
    button->click();
    EXPECT_EQ(opened, QList<QUrl>({QUrl(QStringLiteral("https://example.org/article"))}));
}
