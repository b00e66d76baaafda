#pragma once

#include <QCache>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QThreadPool>
#include <QWidget>

#include <optional>

class FilePreviewCache;
class HistoryRowMetrics;
struct ClipboardItem;

// The pictures and file facts the rows paint from, so that painting a row reads no file once it has been shown:
// pictures are decoded at the size they are shown, on a worker thread, and kept; when one is ready, the widget
// that asked for it repaints. What the file system says about a path (whether it exists, is a folder, its pixel
// size) is kept for a few seconds and then asked again. GUI thread only, apart from the worker.
class HistoryRowPictures final : public QObject
{
    Q_OBJECT

public:
    // How long a file fact stays good.
    static constexpr qint64 factLifetimeMilliseconds = 5000;

    enum class State { pending, ready, failed };
    struct Picture
    {
        State state = State::pending;
        QImage image;
    };
    struct FileFacts
    {
        bool exists = false;
        bool isDirectory = false;
        bool isImage = false; // by its extension, or by its content when it has none
    };

    static HistoryRowPictures &shared();

    HistoryRowPictures();
    ~HistoryRowPictures() override;

    // The image file decoded to fit the pixel size, keeping its proportions and never enlarged; or, with cover,
    // exactly the pixel size, showing the middle of the picture scaled to cover it, with corners of the radius (in
    // pixels) rounded. Pending while it is being decoded: the widget repaints when it is ready. A picture is kept for
    // the file as it is now (its modification time and size): a rewritten file is decoded again.
    Picture picture(const QString &path, QSize pixelSize, bool cover, QWidget *repaintTarget, qreal cornerRadius = 0);
    // The file preview cache's picture of a file at the size, asked again only after the fact lifetime or when
    // the cache delivers a rendering (then the widget repaints).
    QImage filePreview(FilePreviewCache &cache, const QString &path, QSizeF size, QWidget *repaintTarget);

    FileFacts fileFacts(const QString &path);
    // The pixel size of an image file from its header; nothing when it has none.
    std::optional<QSize> imagePixelSize(const QString &path);
    // The row metrics' size of a file item's preview at the table width, kept like a file fact.
    QSizeF filePreviewSize(
        const HistoryRowMetrics &metrics, const ClipboardItem &item, qreal tableWidth, FilePreviewCache *cache);

    // Waits until the worker has decoded everything asked for and hands the results over (tests, benchmarks).
    void finishPending();
    // Forgets every picture and fact (benchmarks of a cold start).
    void clear();

private:
    friend class WindowProbe;

    struct Decoded
    {
        QString key;
        QImage image;
    };
    template<typename Value> struct Timed
    {
        Value value;
        qint64 checkedAt = 0;
    };

    void deliver(const QString &key, const QImage &image);
    void repaint(const QString &key);
    qint64 now() const { return m_clock.elapsed(); }

    QCache<QString, QImage> m_pictures; // cost in kilobytes
    QSet<QString> m_failed;
    QHash<QString, QList<QPointer<QWidget>>> m_waiting; // keys being decoded and who wants them
    QHash<QString, Timed<QImage>> m_filePreviews;
    QHash<QString, Timed<FileFacts>> m_facts;
    QHash<QString, Timed<std::optional<QSize>>> m_pixelSizes;
    QHash<QString, Timed<QSizeF>> m_previewSizes;
    QElapsedTimer m_clock;
    QThreadPool m_workers;
    mutable QMutex m_deliveredLock;
    QList<Decoded> m_delivered;
};
