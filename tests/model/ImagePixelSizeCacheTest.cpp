#include "ImagePixelSizeCache.h"
#include "ClipboardItem.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>

namespace {

// A BMP of 8 x 2 and one of 4 x 4 pixels have the same number of bytes.
QByteArray bmp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Gives the file the modification time, to the nanosecond, that it had in `status`.
bool restoreModificationTime(const QString &path, const struct stat &status)
{
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

struct stat statusOf(const QString &path)
{
    struct stat status
    {
    };
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

} // namespace

// The header is read once per path and again only after the file changed, however it changed.
TEST(ImagePixelSizeCache, ReadsTheHeaderAgainOnlyWhenTheFileChanged)
{
    const struct
    {
        const char *change;
        std::function<bool(const QString &path, const QString &spare)> apply;
        std::optional<QSize> size;
        int reads;
    } cases[] = {
        {"none", [](const QString &, const QString &) { return true; }, QSize(8, 2), 1},
        {"another picture written in place",
            [](const QString &path, const QString &) { return write(path, bmp(3, 5)); }, QSize(3, 5), 2},
        {"same number of bytes and the same modification time",
            [](const QString &path, const QString &) {
                const struct stat before = statusOf(path);
                return write(path, bmp(4, 4)) && restoreModificationTime(path, before)
                    && statusOf(path).st_size == before.st_size;
            },
            QSize(4, 4), 2},
        {"replaced by another file with the same modification time",
            [](const QString &path, const QString &spare) {
                const struct stat before = statusOf(path);
                return write(spare, bmp(4, 4)) && restoreModificationTime(spare, before)
                    && ::rename(QFile::encodeName(spare).constData(), QFile::encodeName(path).constData()) == 0;
            },
            QSize(4, 4), 2},
        {"replaced by text", [](const QString &path, const QString &) { return write(path, "not a picture"); },
            std::nullopt, 2},
        {"removed", [](const QString &path, const QString &) { return QFile::remove(path); }, std::nullopt, 1},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot.bmp"));
        ASSERT_TRUE(write(path, bmp(8, 2)));
        int reads = 0;
        ImagePixelSizeCache cache(16, [&](const QString &asked) {
            ++reads;
            return ImagePixelSizeCache::readImageHeader(asked);
        });
        EXPECT_EQ(cache.pixelSize(path), QSize(8, 2)) << c.change;
        ASSERT_TRUE(c.apply(path, dir.filePath(QStringLiteral("spare.bmp")))) << c.change;
        EXPECT_EQ(cache.pixelSize(path), c.size) << c.change;
        EXPECT_EQ(cache.pixelSize(path), c.size) << c.change;
        EXPECT_EQ(reads, c.reads) << c.change;
    }
}

TEST(ImagePixelSizeCache, ItemTitleFollowsTheImageFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(QImage(32, 16, QImage::Format_RGB32).save(path));
    ClipboardItem image;
    image.kind = ClipboardKind::image;
    image.assetPath = path;
    EXPECT_EQ(image.defaultTitle(), QStringLiteral("Image (32x16)"));
    ASSERT_TRUE(QImage(20, 10, QImage::Format_RGB32).save(path));
    EXPECT_EQ(image.defaultTitle(), QStringLiteral("Image (20x10)"));
    EXPECT_EQ(image.imagePixelSize(), QSize(20, 10));
}
