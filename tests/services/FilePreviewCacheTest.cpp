#include "FilePreviewCache.h"
#include "IconProvider.h"
#include "ServicesProbe.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage picture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

// A JPEG whose EXIF block says how the picture is to be turned (6: a quarter turn clockwise).
QByteArray jpegWithOrientation(const QImage &image, quint16 orientation)
{
    QByteArray tiff("MM\0*\0\0\0\x08", 8);
    tiff += QByteArray("\0\x01", 2); // one entry
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8); // orientation, SHORT, one value
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xFF);
    tiff += QByteArray(2, '\0');
    tiff += QByteArray(4, '\0'); // no next directory
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    segment += char((payload.size() + 2) >> 8);
    segment += char((payload.size() + 2) & 0xFF);
    segment += payload;
    QByteArray jpeg = encoded(image, "JPEG");
    return jpeg.insert(2, segment);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class FilePreviewCacheTest : public testing::Test
{
protected:
    QString path(const char *name) const { return root.filePath(QString::fromUtf8(name)); }
    QString cacheDirectory() const { return root.filePath(QStringLiteral("FilePreviews")); }
    QStringList storedFiles() const { return QDir(cacheDirectory()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QJsonObject metadataOf(const QString &key) const
    {
        QFile file(cacheDirectory() + QLatin1Char('/') + key + QLatin1String(".json"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // A preview request whose completions are counted.
    struct Request
    {
        QImage returned;
        int completions = 0;
        QImage delivered;
    };
    Request request(FilePreviewCache &cache, const QString &file, double width, double height, Request *into)
    {
        into->returned = cache.preview(file, width, height, nullptr, [into](const QImage &image) {
            ++into->completions;
            into->delivered = image;
        });
        return *into;
    }

    QTemporaryDir root;
    DesktopIconProvider icons;
};

} // namespace

TEST_F(FilePreviewCacheTest, RendersALargeJpegAtTheAskedSizeOnceAndKeepsItOnDisk)
{
    const QString photo = path("photo.jpg");
    writeFile(photo, encoded(picture({3000, 2000}), "JPEG"));

    Request first;
    Request second;
    {
        FilePreviewCache cache(cacheDirectory(), icons);
        request(cache, photo, 120, 80, &first);
        request(cache, photo, 120, 80, &second); // while the first renders, or served from memory after it
        EXPECT_FALSE(first.returned.isNull()) << "the icon stands in at once";
        EXPECT_NE(first.returned.size(), QSize(120, 80));
        ASSERT_TRUE(
            waitUntil([&] { return first.completions == 1 && ServicesProbe::pendingRenderingCount(cache) == 0; }));
        EXPECT_EQ(first.delivered.size(), QSize(120, 80));
        EXPECT_EQ(second.completions, 0) << "one rendering per file and size, reported to the first caller";

        Request again;
        request(cache, photo, 120.4, 79.6, &again);
        EXPECT_EQ(again.returned.size(), QSize(120, 80)) << "the same rounded size is served from the cache";
        EXPECT_EQ(again.completions, 0);
    }
    const QString key = FilePreviewCache::cacheKey(photo, 120, 80);
    EXPECT_EQ(storedFiles(), (QStringList {key + QLatin1String(".json"), key + QLatin1String(".png")}));
    const QJsonObject metadata = metadataOf(key);
    EXPECT_EQ(metadata.value(QLatin1String("sourcePath")).toString(), photo);
    EXPECT_EQ(metadata.value(QLatin1String("targetWidth")).toInt(), 120);
    EXPECT_EQ(metadata.value(QLatin1String("fileSize")).toInteger(), QFileInfo(photo).size());

    // A new cache on the same folder answers from disk.
    FilePreviewCache reopened(cacheDirectory(), icons);
    Request fromDisk;
    request(reopened, photo, 120, 80, &fromDisk);
    EXPECT_EQ(fromDisk.returned.size(), QSize(120, 80));
    EXPECT_EQ(ServicesProbe::pendingRenderingCount(reopened), 0);
}

TEST_F(FilePreviewCacheTest, AppliesTheOrientationAndRendersAgainWhenTheFileChanges)
{
    const QString photo = path("turned.jpg");
    writeFile(photo, jpegWithOrientation(picture({200, 100}), 6));
    FilePreviewCache cache(cacheDirectory(), icons);

    Request first;
    request(cache, photo, 100, 100, &first);
    ASSERT_TRUE(waitUntil([&] { return first.completions == 1; }));
    EXPECT_EQ(first.delivered.size(), QSize(50, 100)) << "a quarter turn makes the landscape picture upright";

    // A new modification time makes the stored preview stale, although memory still holds it.
    QFile file(photo);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    Request afterTouch;
    request(cache, photo, 100, 100, &afterTouch);
    EXPECT_NE(afterTouch.returned.size(), QSize(50, 100)) << "the icon again, not the stale thumbnail";
    ASSERT_TRUE(waitUntil([&] { return afterTouch.completions == 1; }));
}

TEST_F(FilePreviewCacheTest, OtherFilesGetTheirIconStoredAtOnce)
{
    const QString notes = path("notes.txt");
    writeFile(notes, "some text\n");
    FilePreviewCache cache(cacheDirectory(), icons);

    Request text;
    request(cache, notes, 0.4, 0.4, &text);
    EXPECT_FALSE(text.returned.isNull());
    EXPECT_EQ(ServicesProbe::pendingRenderingCount(cache), 0);
    const QString key = FilePreviewCache::cacheKey(notes, 1, 1);
    EXPECT_EQ(storedFiles(), (QStringList {key + QLatin1String(".json"), key + QLatin1String(".png")}))
        << "0.4 x 0.4 counts as 1 x 1";

    Request wider;
    request(cache, notes, 10.5, 20.5, &wider);
    EXPECT_EQ(metadataOf(FilePreviewCache::cacheKey(notes, 11, 21)).value(QLatin1String("targetHeight")).toInt(), 21)
        << "halves round away from zero; another size is another entry";
    EXPECT_EQ(storedFiles().size(), 4);

    waitUntil([] { return false; }, 50); // a completion would have been queued by now
    EXPECT_EQ(text.completions + wider.completions, 0);

    // The key is that of the standardised path.
    EXPECT_EQ(FilePreviewCache::cacheKey(root.filePath(QStringLiteral("sub/../notes.txt")), 1, 1), key);
}

TEST_F(FilePreviewCacheTest, MissingAndCorruptFilesLeaveNothingBehind)
{
    FilePreviewCache cache(cacheDirectory(), icons);
    Request missing;
    request(cache, path("gone.png"), 64, 64, &missing);
    EXPECT_FALSE(missing.returned.isNull());
    EXPECT_EQ(ServicesProbe::pendingRenderingCount(cache), 0);

    const QString corrupt = path("corrupt.jpg");
    writeFile(corrupt, "this is not a JPEG at all");
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        Request broken;
        request(cache, corrupt, 64, 64, &broken);
        EXPECT_FALSE(broken.returned.isNull());
        EXPECT_EQ(ServicesProbe::startedRenderingCount(cache), attempt + 1)
            << "each request after a failure tries again";
        ASSERT_TRUE(waitUntil([&] { return ServicesProbe::pendingRenderingCount(cache) == 0; }));
        waitUntil([] { return false; }, 20);
        EXPECT_EQ(broken.completions, 0);
    }
    EXPECT_TRUE(storedFiles().isEmpty());
}

TEST_F(FilePreviewCacheTest, PrunesByTheSourcePathsOfTheStoredEntries)
{
    const QString a = path("a.txt");
    const QString b = path("b.txt");
    writeFile(a, "a");
    writeFile(b, "b");
    FilePreviewCache cache(cacheDirectory(), icons);
    const auto fill = [&] {
        Request ignored;
        for (const QString &file : {a, b}) {
            request(cache, file, 32, 32, &ignored);
            request(cache, file, 64, 64, &ignored);
        }
        ASSERT_EQ(storedFiles().size(), 8);
    };

    fill();
    cache.removePreviews({});
    EXPECT_EQ(storedFiles().size(), 8) << "an empty set removes nothing";
    cache.removePreviews({b});
    EXPECT_EQ(storedFiles().size(), 4);
    EXPECT_TRUE(storedFiles().contains(FilePreviewCache::cacheKey(a, 64, 64) + QLatin1String(".png")));

    fill();
    cache.removePreviewsExcept({a, path("unrelated.txt")});
    EXPECT_EQ(storedFiles().size(), 4);
    EXPECT_FALSE(storedFiles().contains(FilePreviewCache::cacheKey(b, 32, 32) + QLatin1String(".json")));
    cache.removePreviewsExcept({});
    EXPECT_TRUE(storedFiles().isEmpty()) << "keeping nothing removes everything";

    fill();
    cache.removeAll();
    EXPECT_FALSE(QDir(cacheDirectory()).exists());
}

TEST_F(FilePreviewCacheTest, DisplaySizeIsThePixelSizeAt72DotsPerInch)
{
    const auto withDensity = [](QSize size, double dpi) {
        QImage image = picture(size);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        return image;
    };
    // A PNG without its pHYs chunk states no density.
    QByteArray withoutDensity = encoded(picture({200, 100}), "PNG");
    const qsizetype physical = withoutDensity.indexOf("pHYs");
    ASSERT_GT(physical, 4);
    withoutDensity.remove(physical - 4, 4 + 4 + 9 + 4);

    struct Case
    {
        const char *name;
        QByteArray bytes;
        std::optional<QSizeF> size;
    };
    const Case cases[] = {
        {"retina.png", encoded(withDensity({200, 100}, 144), "PNG"), QSizeF(100, 50)},
        {"plain.png", encoded(withDensity({200, 100}, 72), "PNG"), QSizeF(200, 100)},
        {"bare.png", withoutDensity, QSizeF(200, 100)},
        {"retina.jpg", encoded(withDensity({200, 100}, 144), "JPEG"), QSizeF(100, 50)},
        {"notes.txt", "not an image", std::nullopt},
        {"broken.png", "not an image either", std::nullopt},
    };
    FilePreviewCache cache(cacheDirectory(), icons);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path(c.name), c.bytes);
        const auto size = cache.displaySize(path(c.name));
        ASSERT_EQ(size.has_value(), c.size.has_value());
        if (size) {
            EXPECT_NEAR(size->width(), c.size->width(), 0.1);
            EXPECT_NEAR(size->height(), c.size->height(), 0.1);
        }
    }
    EXPECT_FALSE(cache.displaySize(path("missing.png")));

    // A changed file is measured again.
    writeFile(path("plain.png"), encoded(withDensity({400, 100}, 72), "PNG"));
    QFile(path("plain.png")).setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime);
    const auto changed = cache.displaySize(path("plain.png"));
    ASSERT_TRUE(changed);
    EXPECT_NEAR(changed->width(), 400, 0.1);
}
