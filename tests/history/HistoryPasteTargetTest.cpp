#include "HistoryPasteTarget.h"

#include "Localization.h"
#include "MemoryKeyPoster.h"
#include "Workspace.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(HistoryPasteTarget, ThePasteTargetIsTheRememberedWindowsApplication)
{
    MemoryKeyPoster keys;
    MemoryWorkspace workspace;
    EXPECT_EQ(HistoryPasteTarget::pasteTargetApplication(keys, workspace), std::nullopt);
    EXPECT_EQ(HistoryPasteTarget::pasteTargetName(std::nullopt), u"Active App"_qs);

    RunningApplication editor;
    editor.name = u"Text Editor"_qs;
    keys.setActiveWindow(42);
    keys.rememberTargetWindow();
    workspace.setApplicationOfWindow(42, editor);
    const auto target = HistoryPasteTarget::pasteTargetApplication(keys, workspace);
    EXPECT_EQ(target, editor);
    EXPECT_EQ(HistoryPasteTarget::pasteTargetName(target), u"Text Editor"_qs);
    EXPECT_EQ(HistoryPasteTarget::pasteTargetName(RunningApplication()), u"Active App"_qs);
}

TEST(HistoryPasteTarget, OnlyASingleFileThatIsGoneIsMissing)
{
    QTemporaryDir folder;
    const QString present = folder.filePath(u"present.txt"_qs);
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString gone = folder.filePath(u"gone.txt"_qs);
    const auto fileItem = [](QStringList paths) {
        ClipboardItem item;
        item.kind = ClipboardKind::file;
        item.filePaths = std::move(paths);
        return item;
    };
    EXPECT_TRUE(HistoryPasteTarget::isMissingSingleFile(fileItem({gone})));
    EXPECT_FALSE(HistoryPasteTarget::isMissingSingleFile(fileItem({present})));
    EXPECT_FALSE(HistoryPasteTarget::isMissingSingleFile(fileItem({gone, folder.filePath(u"also gone"_qs)})));
    ClipboardItem text = fileItem({gone});
    text.kind = ClipboardKind::text;
    EXPECT_FALSE(HistoryPasteTarget::isMissingSingleFile(text));
}

TEST(HistoryPasteTarget, TagDots)
{
    EXPECT_FALSE(HistoryPasteTarget::tagColorDotImage(u"nonsense"_qs).isNull());
    EXPECT_EQ(HistoryPasteTarget::tagMenuDotImage(QColor(Qt::red)).availableSizes().value(0), QSize(13, 13));
}

TEST(HistoryPasteTarget, TransformsSortByTitleIgnoringCaseAndAccentsAndKeepEqualTitlesInOrder)
{
    QList<ClipboardTextTransform> transforms;
    for (const auto value : ClipboardTextTransform::allCases())
        transforms.append(value);
    HistoryPasteTarget::sortTransformsByTitle(transforms);
    ASSERT_EQ(transforms.size(), qsizetype(ClipboardTextTransform::allCases().size()));
    for (qsizetype n = 1; n < transforms.size(); ++n) {
        const QString before = HistorySourceApplication::foldedName(transforms.at(n - 1).title());
        const QString after = HistorySourceApplication::foldedName(transforms.at(n).title());
        EXPECT_LE(QString::localeAwareCompare(before, after), 0)
            << before.toStdString() << " / " << after.toStdString();
    }
}

} // namespace
