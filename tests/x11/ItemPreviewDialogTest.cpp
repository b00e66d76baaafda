// The item preview on a real display: opened over a window, moved to the next item, closed with Escape; and
// pictures of a text, an image, a PDF and a file list in the light and the dark appearance, left in the screenshots
// folder of the build to be looked at.

#include "ItemPreviewContentViews.h"
#include "ItemPreviewDialogController.h"
#include "ItemPreviewPresenter.h"
#include "StyleAppearanceApplier.h"
#include "TestSupport.h"
#include "WebPagePreviews.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const bool webEnginePrepared = (prepareWebPagePreviews(), true);

ClipboardItem item(int n, ClipboardKind kind)
{
    ClipboardItem made;
    made.id = QUuid::createUuidV5(QUuid(), QString::number(n));
    made.kind = kind;
    made.copiedAt = QDateTime::currentDateTime().addSecs(-60 * n);
    made.firstCopiedAt = made.copiedAt.addDays(-2);
    made.sourceAppName = QStringLiteral("Text Editor");
    made.copyCount = n;
    return made;
}

ClipboardItem textItem(int n, const QString &text)
{
    ClipboardItem made = item(n, ClipboardKind::text);
    made.text = text;
    made.byteSize = text.toUtf8().size();
    return made;
}

QString saveScreenshot(QWidget *window, const QString &name)
{
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    const QString path = QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name);
    EXPECT_TRUE(window->grab().toImage().save(path)) << path.toStdString();
    return path;
}

} // namespace

TEST(ItemPreviewDialog, OpensOverTheWindowFollowsTheSelectionAndClosesWithEscape)
{
    ASSERT_TRUE(webEnginePrepared);
    QWidget history;
    history.resize(420, 600);
    QLineEdit typed(&history);
    history.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&history));
    typed.setFocus();

    int closed = 0;
    QList<int> forwarded;
    ItemPreviewActions actions;
    actions.didClose = [&] { ++closed; };
    actions.keyDown = [&](QKeyEvent *event) {
        forwarded.append(event->key());
        return true;
    };
    PreviewEnvironment environment;
    environment.webPagesEnabled = false;
    ItemPreviewDialogPresenter presenter(actions, {}, environment);

    const ClipboardItem first = textItem(1, QStringLiteral("The first item's text."));
    const ClipboardItem second = textItem(2, QStringLiteral("The second item, one row further down."));
    presenter.present(first, &history);
    ASSERT_TRUE(presenter.isShown());
    ItemPreviewDialog *dialog = presenter.dialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == dialog; }));
    // A second request while it is open changes nothing.
    presenter.present(second, &history);
    EXPECT_EQ(presenter.dialog(), dialog);

    // Down goes to the history window, which moves its selection and hands over the next item.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(forwarded, QList<int>({Qt::Key_Down}));
    presenter.updateItem(second);
    EXPECT_EQ(presenter.shownItem()->id, second.id);
    auto *text = qobject_cast<PreviewTextView *>(presenter.controller()->contentView());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->textView()->toPlainText(), *second.text);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(presenter.isShown());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(closed, 1);
    presenter.close();
    EXPECT_EQ(closed, 1);
    // The window below has the keys back; one typed into the preview before the focus moved still reaches it.
    EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &history; }));
    QTest::keyClick(dialog->windowHandle(), Qt::Key_A);
    EXPECT_EQ(typed.text(), QStringLiteral("a"));
    EXPECT_EQ(forwarded, QList<int>({Qt::Key_Down}));

    // Space closes it as well, and it opens again afterwards.
    presenter.present(first, &history);
    ASSERT_TRUE(presenter.isShown());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(presenter.dialog()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_FALSE(presenter.isShown());
    EXPECT_EQ(closed, 2);
}

TEST(ItemPreviewDialog, PicturesOfEachContentInLightAndDark)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    QImage picture(1200, 800, QImage::Format_RGB32);
    picture.fill(QColor(52, 101, 164));
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(252, 233, 79));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(900, 220), 120, 120);
        painter.setBrush(QColor(78, 154, 6));
        painter.drawRect(0, 560, 1200, 240);
    }
    const QString photo = folder.filePath(QStringLiteral("landscape.jpg"));
    ASSERT_TRUE(picture.save(photo, "JPEG", 90));

    const QString pdf = folder.filePath(QStringLiteral("Quarterly report.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(72);
        QPainter painter(&writer);
        QFont font;
        font.setPixelSize(26);
        painter.setFont(font);
        for (int page = 0; page < 3; ++page) {
            if (page > 0)
                writer.newPage();
            painter.drawText(
                QRect(60, 60, 480, 40), Qt::AlignLeft, QStringLiteral("Quarterly report — page %1").arg(page + 1));
            painter.fillRect(QRect(60, 130, 300, 14), QColor(52, 101, 164));
            for (int line = 0; line < 12; ++line)
                painter.fillRect(QRect(60, 170 + line * 28, 420 - (line % 3) * 40, 10), QColor(190, 190, 190));
        }
    }

    ClipboardItem text = textItem(1,
        QStringLiteral("Meeting notes, Thursday\n\n- Ship the preview with the history window\n- Check the dark "
                       "appearance\n- Measure the first paint of a large photo\n\nint main() { return 0; }"));
    ClipboardItem image = item(2, ClipboardKind::file);
    image.filePaths = {photo};
    image.byteSize = QFileInfo(photo).size();
    ClipboardItem document = item(3, ClipboardKind::file);
    document.filePaths = {pdf};
    document.byteSize = QFileInfo(pdf).size();
    ClipboardItem files = item(4, ClipboardKind::file);
    for (const QString &name : {QStringLiteral("landscape.jpg"), QStringLiteral("Quarterly report.pdf"),
             QStringLiteral("notes.txt"), QStringLiteral("missing-file.odt"), QStringLiteral("archive.tar.gz")})
        files.filePaths.append(folder.filePath(name));
    QFile notes(folder.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("notes");
    notes.close();
    QFile archive(folder.filePath(QStringLiteral("archive.tar.gz")));
    ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
    archive.close();
    ClipboardItem colour = item(5, ClipboardKind::color);
    colour.text = QStringLiteral("#3B85ED");
    // Rich text as a browser puts it on the clipboard: a heading, emphasis, a list, a link, a coloured word,
    // a block of code, and a paragraph that states the page's own black text colour.
    ClipboardItem rich = textItem(6, QStringLiteral("Release notes"));
    rich.kind = ClipboardKind::richText;
    rich.html = QStringLiteral(
        "<html><body><h2>Release notes</h2><p>The preview now shows <b>bold</b>, <i>italic</i> and "
        "<u>underlined</u> text, <a href=\"https://example.org/\">links</a> and "
        "<span style=\"color:#c01c28\">coloured words</span>.</p><ul><li>Lists keep their bullets</li>"
        "<li>Headings keep their size</li></ul><pre>int main() { return 0; }</pre>"
        "<p><span style=\"color: rgb(0, 0, 0); font-family: sans-serif;\">Text the page coloured black.</span></p>"
        "</body></html>");

    QWidget history;
    history.resize(1400, 1000);
    history.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&history));
    StyleAppearanceApplier appearance;
    PreviewEnvironment environment;
    environment.webPagesEnabled = false;
    const struct
    {
        const char *name;
        ClipboardItem item;
    } shots[] = {{"text", text}, {"image", image}, {"pdf", document}, {"file-list", files}, {"colour", colour},
        {"rich-text", rich}};
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        for (const auto &shot : shots) {
            ItemPreviewDialogPresenter presenter({}, {}, environment);
            presenter.present(shot.item, &history);
            ItemPreviewDialog *dialog = presenter.dialog();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
            QTest::qWait(150);
            const QString name
                = QStringLiteral("item-preview-%1-%2.png")
                      .arg(QString::fromLatin1(shot.name),
                          mode == AppAppearance::light ? QStringLiteral("light") : QStringLiteral("dark"));
            const QImage image = QImage(saveScreenshot(dialog, name));
            // The background follows the appearance.
            const QColor corner = image.pixelColor(image.width() - 4, image.height() - 4);
            EXPECT_EQ(corner.lightness() < 128, mode == AppAppearance::dark) << name.toStdString();
            presenter.close();
        }
    }
    appearance.apply(AppAppearance::system);
}
