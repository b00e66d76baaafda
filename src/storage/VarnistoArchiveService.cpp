#include "VarnistoArchiveService.h"

#include "Coding.h"
#include "StorageLogging.h"
#include "TextUtilities.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template<typename T> using Result = VarnistoArchiveService::Result<T>;
using Error = VarnistoArchiveError;

const QString manifestFileName = QStringLiteral("manifest.json");
const QString tagsFileName = QStringLiteral("tags.json");
const QString historyFileName = QStringLiteral("history.json");
const QString imagesFolderName = QStringLiteral("images");
const QString previewsFolderName = QStringLiteral("link-previews");
constexpr qsizetype itemsPerPortion = 256;
constexpr qsizetype itemsPerWrite = 64;

template<typename T> Result<T> fail(Error error)
{
    return Result<T>::failure(std::move(error));
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// The extension as a file name carries it: the text after the last dot, not counting a leading dot.
QString pathExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == fileName.size() - 1)
        return {};
    return fileName.mid(dot + 1);
}

QString lastPathComponent(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

// A file descriptor closed when it goes out of scope, unless handed on.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) { }
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) { }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    bool isValid() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Hands the descriptor to a QFile that closes it.
bool openAsFile(QFile &file, FileDescriptor &fd)
{
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return false;
    fd.release();
    return true;
}

// --- Reading archive files -----------------------------------------------------------------------------------

// Reads a file of the archive folder whole, refusing anything but a regular file within the size limit. A FIFO
// or device put in the archive's place must not block or flood the import.
Result<QByteArray> readArchiveFile(int archiveFd, const QString &name)
{
    FileDescriptor fd(::openat(archiveFd, nativePath(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isValid())
        return fail<QByteArray>(Error(Error::readFailed, name, qt_error_string(errno)));
    struct stat status;
    if (::fstat(fd.get(), &status) != 0)
        return fail<QByteArray>(Error(Error::readFailed, name, qt_error_string(errno)));
    if (S_ISDIR(status.st_mode))
        return fail<QByteArray>(Error(Error::readFailed, name, qt_error_string(EISDIR)));
    if (!S_ISREG(status.st_mode))
        return fail<QByteArray>(Error(Error::invalidFile, name, QStringLiteral("it is not a regular file")));
    if (status.st_size > VarnistoArchiveService::maximumArchiveFileSize)
        return fail<QByteArray>(Error(Error::fileTooLarge, name));
    QFile file;
    if (!openAsFile(file, fd))
        return fail<QByteArray>(Error(Error::readFailed, name, file.errorString()));
    QByteArray data;
    data.reserve(qsizetype(status.st_size));
    QByteArray chunk(1024 * 1024, Qt::Uninitialized);
    while (true) {
        const qint64 count = file.read(chunk.data(), chunk.size());
        if (count < 0)
            return fail<QByteArray>(Error(Error::readFailed, name, file.errorString()));
        if (count == 0)
            break;
        if (data.size() + count > VarnistoArchiveService::maximumArchiveFileSize)
            return fail<QByteArray>(Error(Error::fileTooLarge, name));
        data.append(chunk.constData(), count);
    }
    return data;
}

// The elements of a JSON array text, one object at a time, so that a large history never becomes one document
// tree in memory. The text around the elements is checked as strictly as a JSON parser would; each element is
// parsed by Qt's parser.
class JsonArrayReader
{
public:
    explicit JsonArrayReader(const QByteArray &text) : m_text(text) { }

    // The next element; nothing at the end of the array. A fault in the text gives an error.
    Expected<std::optional<QJsonObject>, QString> next()
    {
        using R = Expected<std::optional<QJsonObject>, QString>;
        skipSpace();
        if (m_state == State::start) {
            if (!consume('['))
                return R::failure(QStringLiteral("the file does not hold a JSON array"));
            skipSpace();
            if (consume(']'))
                return finish();
            m_state = State::element;
        } else if (m_state == State::afterElement) {
            if (consume(']'))
                return finish();
            if (!consume(','))
                return R::failure(QStringLiteral("a \",\" or \"]\" is missing after element %1").arg(m_index));
            skipSpace();
            m_state = State::element;
        } else if (m_state == State::done) {
            return std::optional<QJsonObject>();
        }

        if (m_position >= m_text.size() || m_text.at(m_position) != '{')
            return R::failure(QStringLiteral("element %1 is not an object").arg(m_index + 1));
        const qsizetype start = m_position;
        int depth = 0;
        for (; m_position < m_text.size(); ++m_position) {
            const char c = m_text.at(m_position);
            if (c == '"') {
                for (++m_position; m_position < m_text.size() && m_text.at(m_position) != '"'; ++m_position) {
                    if (m_text.at(m_position) == '\\')
                        ++m_position;
                }
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                ++m_position;
                break;
            }
        }
        if (depth != 0)
            return R::failure(QStringLiteral("the text ends inside element %1").arg(m_index + 1));
        QJsonParseError error;
        const QJsonDocument document
            = QJsonDocument::fromJson(QByteArray::fromRawData(m_text.constData() + start, m_position - start), &error);
        if (error.error != QJsonParseError::NoError)
            return R::failure(QStringLiteral("element %1: %2").arg(m_index + 1).arg(error.errorString()));
        ++m_index;
        m_state = State::afterElement;
        return std::optional<QJsonObject>(document.object());
    }

    qsizetype index() const { return m_index; }

private:
    enum class State { start, element, afterElement, done };

    Expected<std::optional<QJsonObject>, QString> finish()
    {
        skipSpace();
        if (m_position != m_text.size())
            return Expected<std::optional<QJsonObject>, QString>::failure(
                QStringLiteral("there is more text after the array"));
        m_state = State::done;
        return std::optional<QJsonObject>();
    }
    void skipSpace()
    {
        while (m_position < m_text.size()) {
            const char c = m_text.at(m_position);
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                break;
            ++m_position;
        }
    }
    bool consume(char c)
    {
        if (m_position < m_text.size() && m_text.at(m_position) == c) {
            ++m_position;
            return true;
        }
        return false;
    }

    const QByteArray &m_text;
    qsizetype m_position = 0;
    qsizetype m_index = 0;
    State m_state = State::start;
};

// Every record of an array file, decoded; the first fault refuses the whole file.
template<typename Record> Result<QList<Record>> decodeAll(const QByteArray &text, const QString &name)
{
    QList<Record> records;
    JsonArrayReader reader(text);
    while (true) {
        auto element = reader.next();
        if (!element)
            return fail<QList<Record>>(Error(Error::invalidFile, name, element.error()));
        if (!*element)
            return records;
        auto record = Record::fromJson(**element);
        if (!record)
            return fail<QList<Record>>(Error(
                Error::invalidFile, name, QStringLiteral("element %1: %2").arg(reader.index()).arg(record.error())));
        records.append(std::move(record).value());
    }
}

// --- Writing archive files -----------------------------------------------------------------------------------

QByteArray prettyJson(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

Result<void> writeFile(const QString &path, const QByteArray &data, const QString &shownPath)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return fail<void>(Error(Error::writeFailed, shownPath, file.errorString()));
    return {};
}

// "history.json" written element by element, laid out as QJsonDocument lays out a whole array.
class JsonArrayWriter
{
public:
    JsonArrayWriter(const QString &path, QString shownPath) : m_file(path), m_shownPath(std::move(shownPath)) { }

    Result<void> open()
    {
        if (!m_file.open(QIODevice::WriteOnly) || !put("[\n"))
            return failure();
        return {};
    }
    Result<void> append(const QJsonObject &object)
    {
        QByteArray text = prettyJson(object);
        text.chop(1); // the final line break
        text.replace("\n", "\n    ");
        if (!put(m_count++ == 0 ? "    " : ",\n    ") || !put(text))
            return failure();
        return {};
    }
    Result<void> commit()
    {
        if (!put(m_count == 0 ? "]\n" : "\n]\n") || !m_file.commit())
            return failure();
        return {};
    }

private:
    bool put(const QByteArray &text) { return m_file.write(text) == text.size(); }
    Result<void> failure() { return fail<void>(Error(Error::writeFailed, m_shownPath, m_file.errorString())); }

    QSaveFile m_file;
    QString m_shownPath;
    qsizetype m_count = 0;
};

// --- Paths ---------------------------------------------------------------------------------------------------

// The path with every folder that exists resolved to its real place (links followed), the rest as written.
QString resolvedPath(const QString &absolute)
{
    QString existing = absolute;
    QStringList rest;
    while (existing != QLatin1String("/") && !QFileInfo::exists(existing)) {
        rest.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    QString resolved = QFileInfo(existing).canonicalFilePath();
    if (resolved.isEmpty())
        resolved = existing;
    for (const QString &part : rest)
        resolved += QLatin1Char('/') + part;
    return QDir::cleanPath(resolved);
}

bool isSameOrInside(const QString &path, const QString &folder)
{
    return folder == QLatin1String("/") || path == folder || path.startsWith(folder + QLatin1Char('/'));
}

bool overlaps(const QString &a, const QString &b)
{
    return isSameOrInside(a, b) || isSameOrInside(b, a);
}

enum class Lookup { found, missing, refused, failed };

struct OpenedAsset
{
    Lookup lookup;
    FileDescriptor fd;
    int error = 0;
};

// Opens a path below the archive folder without following a single symbolic link on the way, and only when it
// ends at a regular file. A missing file is not refused: the archive may simply lack it.
OpenedAsset openInsideArchive(int archiveFd, const QString &relativePath)
{
    QStringList parts;
    for (const QString &part : relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            parts.append(part);
    }
    if (parts.isEmpty())
        return {Lookup::refused, FileDescriptor(), 0}; // the archive folder itself

    FileDescriptor folder(::dup(archiveFd));
    if (!folder.isValid())
        return {Lookup::failed, FileDescriptor(), errno};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray name = QFile::encodeName(parts.at(i));
        const bool last = i == parts.size() - 1;
        struct stat status;
        if (::fstatat(folder.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = errno;
            if (error == ENOENT || error == ENOTDIR)
                return {Lookup::missing, FileDescriptor(), 0};
            return {Lookup::failed, FileDescriptor(), error};
        }
        if (S_ISLNK(status.st_mode))
            return {Lookup::refused, FileDescriptor(), 0};
        if (!last) {
            if (!S_ISDIR(status.st_mode))
                return {Lookup::missing, FileDescriptor(), 0}; // a file where a folder should be: nothing there
            FileDescriptor next(
                ::openat(folder.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!next.isValid())
                return {errno == ELOOP || errno == ENOTDIR ? Lookup::refused : Lookup::failed, FileDescriptor(), errno};
            folder = std::move(next);
            continue;
        }
        if (!S_ISREG(status.st_mode))
            return {Lookup::refused, FileDescriptor(), 0};
        FileDescriptor file(::openat(folder.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!file.isValid())
            return {errno == ELOOP ? Lookup::refused : Lookup::failed, FileDescriptor(), errno};
        // What was opened must still be the file that was looked at, not one swapped in meanwhile.
        struct stat opened;
        if (::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != status.st_ino
            || opened.st_dev != status.st_dev)
            return {Lookup::refused, FileDescriptor(), 0};
        return {Lookup::found, std::move(file), 0};
    }
    return {Lookup::refused, FileDescriptor(), 0};
}

bool hasControlCharacters(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        if (TextUtilities::isControl(c))
            return true;
    }
    return false;
}

QHash<qint64, QString> firstNameOfEachTag(const QList<Tag> &tags)
{
    QHash<qint64, QString> names;
    for (const Tag &tag : tags) {
        if (!names.contains(tag.id))
            names.insert(tag.id, tag.name);
    }
    return names;
}

} // namespace

// --- Item sources of an export ---------------------------------------------------------------------------------

class VarnistoArchiveService::ItemSource
{
public:
    struct Portion
    {
        QList<ClipboardItem> items;
        qint64 positions = 0; // how far the portion advances the count; items that vanished still count
    };
    virtual ~ItemSource() = default;
    virtual qint64 total() const = 0;
    // The next items; a portion of no positions at the end.
    virtual Result<Portion> next() = 0;
};

class VarnistoArchiveService::ListSource final : public ItemSource
{
public:
    explicit ListSource(const QList<ClipboardItem> &items) : m_items(items) { }
    qint64 total() const override { return m_items.size(); }
    Result<Portion> next() override
    {
        Portion portion;
        portion.items = m_items.mid(m_position, itemsPerPortion);
        portion.positions = portion.items.size();
        m_position += portion.items.size();
        return portion;
    }

private:
    const QList<ClipboardItem> &m_items;
    qsizetype m_position = 0;
};

class VarnistoArchiveService::StoreSource final : public ItemSource
{
public:
    StoreSource(HistoryStore &store, QList<QUuid> ids) : m_store(store), m_ids(std::move(ids)) { }
    qint64 total() const override { return m_ids.size(); }
    Result<Portion> next() override
    {
        Portion portion;
        const QList<QUuid> ids = m_ids.mid(m_position, itemsPerPortion);
        auto items = m_store.loadItems(ids);
        if (!items)
            return fail<Portion>(Error::fromStore(items.error()));
        portion.items = std::move(items).value();
        portion.positions = ids.size();
        m_position += ids.size();
        return portion;
    }

private:
    HistoryStore &m_store;
    const QList<QUuid> m_ids;
    qsizetype m_position = 0;
};

// --- Export ----------------------------------------------------------------------------------------------------

VarnistoArchiveService::VarnistoArchiveService(const ArchiveFileManager &fileManager, QString supportDirectory)
    : m_fileManager(fileManager), m_supportDirectory(std::move(supportDirectory))
{ }

Result<VarnistoArchiveExportResult> VarnistoArchiveService::exportArchive(const QList<ClipboardItem> &items,
    const QList<Tag> &tags, const QString &destination, const VarnistoArchiveProgress &progress) const
{
    ListSource source(items);
    return exportFrom(source, tags, destination, progress);
}

Result<VarnistoArchiveExportResult> VarnistoArchiveService::exportArchive(
    HistoryStore &store, const QString &destination, const VarnistoArchiveProgress &progress) const
{
    if (overlapsSupportDirectory(destination))
        return fail<VarnistoArchiveExportResult>(Error(Error::destinationInsideSupportDirectory, destination));
    auto tags = store.loadTags();
    if (!tags)
        return fail<VarnistoArchiveExportResult>(Error::fromStore(tags.error()));
    auto ids = store.loadItemIDs();
    if (!ids)
        return fail<VarnistoArchiveExportResult>(Error::fromStore(ids.error()));
    StoreSource source(store, std::move(ids).value());
    return exportFrom(source, *tags, destination, progress);
}

bool VarnistoArchiveService::overlapsSupportDirectory(const QString &path) const
{
    if (m_supportDirectory.isEmpty())
        return false;
    const QString destination = absoluteClean(path);
    const QString support = absoluteClean(m_supportDirectory);
    return overlaps(destination, support) || overlaps(resolvedPath(destination), resolvedPath(support));
}

Result<VarnistoArchiveExportResult> VarnistoArchiveService::exportFrom(ItemSource &source, const QList<Tag> &tags,
    const QString &destinationPath, const VarnistoArchiveProgress &progress) const
{
    using R = Result<VarnistoArchiveExportResult>;
    const QString destination = absoluteClean(destinationPath);
    // Writing the archive over the history's own folder would delete the history it is meant to keep.
    if (overlapsSupportDirectory(destination))
        return fail<VarnistoArchiveExportResult>(Error(Error::destinationInsideSupportDirectory, destinationPath));

    const QFileInfo destinationInfo(destination);
    const QString parent = destinationInfo.path();
    if (auto created = m_fileManager.createDirectory(parent); !created)
        return fail<VarnistoArchiveExportResult>(Error(Error::createDirectoryFailed, parent, created.error()));

    // Everything is written into a hidden sibling first; the destination is only replaced at the very end.
    const QString staging = QDir(parent).filePath(QLatin1Char('.') + destinationInfo.fileName()
        + QStringLiteral(".partial-") + QUuid::createUuid().toString(QUuid::Id128).left(12));
    auto abandon = [&](Error error) {
        (void)m_fileManager.removeItem(staging);
        return R::failure(std::move(error));
    };
    if (auto created = m_fileManager.createDirectory(staging); !created)
        return abandon(Error(Error::createDirectoryFailed, destinationPath, created.error()));
    const QString imagesDirectory = staging + QStringLiteral("/assets/") + imagesFolderName;
    const QString previewsDirectory = staging + QStringLiteral("/assets/") + previewsFolderName;
    for (const QString &folder : {imagesDirectory, previewsDirectory}) {
        if (auto created = m_fileManager.createDirectory(folder); !created)
            return abandon(Error(Error::createDirectoryFailed, folder, created.error()));
    }

    QJsonArray tagRecords;
    for (const Tag &tag : tags)
        tagRecords.append(VarnistoArchiveTag {QString::number(tag.id), tag.name, tag.color}.toJson());
    const QHash<qint64, QString> tagNames = firstNameOfEachTag(tags);

    JsonArrayWriter history(QDir(staging).filePath(historyFileName), QDir(destination).filePath(historyFileName));
    if (auto opened = history.open(); !opened)
        return abandon(opened.error());

    const qint64 total = source.total();
    qint64 position = 0;
    qint64 written = 0;
    if (progress)
        progress(0, total);
    while (true) {
        auto portion = source.next();
        if (!portion)
            return abandon(portion.error());
        if (portion->positions == 0)
            break;
        qint64 step = 0;
        for (const ClipboardItem &item : portion->items) {
            auto record = makeArchiveItem(item, tagNames, imagesDirectory, previewsDirectory);
            if (!record)
                return abandon(record.error());
            if (auto appended = history.append(record->toJson()); !appended)
                return abandon(appended.error());
            ++written;
            if (progress && ++step < portion->positions)
                progress(position + step, total);
        }
        position += portion->positions;
        if (progress)
            progress(position, total);
    }
    if (auto committed = history.commit(); !committed)
        return abandon(committed.error());

    VarnistoArchiveManifest manifest;
    manifest.formatVersion = supportedFormatVersion;
    manifest.appName = QStringLiteral("Varnisto");
    if (const QString version = QCoreApplication::applicationVersion(); !version.isEmpty())
        manifest.appVersion = version;
    manifest.exportedAt = QDateTime::currentDateTimeUtc();
    if (auto done = writeFile(QDir(staging).filePath(manifestFileName), prettyJson(manifest.toJson()),
            QDir(destination).filePath(manifestFileName));
        !done)
        return abandon(done.error());
    if (auto done = writeFile(QDir(staging).filePath(tagsFileName),
            QJsonDocument(tagRecords).toJson(QJsonDocument::Indented), QDir(destination).filePath(tagsFileName));
        !done)
        return abandon(done.error());

    if (auto placed = putInPlace(staging, destination); !placed)
        return abandon(placed.error());
    return VarnistoArchiveExportResult {destination, written, qint64(tags.size())};
}

Result<void> VarnistoArchiveService::putInPlace(const QString &staging, const QString &destination) const
{
    const QByteArray from = nativePath(staging);
    const QByteArray to = nativePath(destination);
    if (!m_fileManager.itemExists(destination)) {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return {};
        if ((errno == EINVAL || errno == ENOSYS) && ::rename(from.constData(), to.constData()) == 0)
            return {};
        return fail<void>(Error(Error::writeFailed, destination, qt_error_string(errno)));
    }

    // The old archive and the new one change places in one step; the old one then goes.
    QString previous = staging;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return fail<void>(Error(Error::writeFailed, destination, qt_error_string(errno)));
        // A file system that cannot exchange: move the old one aside, put the new one in, and move the old one
        // back should that fail.
        previous = staging + QStringLiteral(".previous");
        const QByteArray aside = nativePath(previous);
        if (::rename(to.constData(), aside.constData()) != 0)
            return fail<void>(Error(Error::writeFailed, destination, qt_error_string(errno)));
        if (::rename(from.constData(), to.constData()) != 0) {
            const int error = errno;
            ::rename(aside.constData(), to.constData());
            return fail<void>(Error(Error::writeFailed, destination, qt_error_string(error)));
        }
    }
    if (auto removed = m_fileManager.removeItem(previous); !removed)
        qCWarning(lcStorage).noquote() << "The replaced archive could not be removed:" << previous << removed.error();
    return {};
}

Result<VarnistoArchiveItem> VarnistoArchiveService::makeArchiveItem(const ClipboardItem &item,
    const QHash<qint64, QString> &tagNames, const QString &imagesDirectory, const QString &previewsDirectory) const
{
    VarnistoArchiveItem record;
    record.id = item.id;
    for (const qint64 tag : item.tags)
        record.tagIDs.append(QString::number(tag));
    auto asset = exportAsset(item.assetPath, imagesDirectory);
    if (!asset)
        return fail<VarnistoArchiveItem>(asset.error());
    record.assetPath = *asset;
    if (const auto &details = item.linkPreviewDetails) {
        VarnistoArchiveLinkPreviewDetails preview;
        auto image = exportAsset(details->imagePath, previewsDirectory);
        if (!image)
            return fail<VarnistoArchiveItem>(image.error());
        auto favicon = exportAsset(details->faviconPath, previewsDirectory);
        if (!favicon)
            return fail<VarnistoArchiveItem>(favicon.error());
        preview.url = details->url;
        preview.title = details->title;
        preview.description = details->description;
        preview.imagePath = *image;
        preview.faviconPath = *favicon;
        preview.fetchedAt = details->fetchedAt;
        record.linkPreviewDetails = preview;
    }
    record.kind = item.kind.rawValue();
    if (item.rtfData)
        record.rtfBase64 = Coding::base64String(*item.rtfData);
    for (const qint64 tag : item.tags) {
        const auto name = tagNames.constFind(tag);
        if (name != tagNames.constEnd())
            record.tagNames.append(*name);
    }
    record.title = item.title;
    record.text = item.text;
    record.qrCodeText = item.qrCodeText;
    record.html = item.html;
    record.filePaths = item.filePaths;
    record.sourceAppName = item.sourceAppName;
    record.sourceBundleIdentifier = item.sourceBundleIdentifier;
    record.copiedAt = item.copiedAt;
    record.firstCopiedAt = item.firstCopiedAt;
    record.byteSize = item.byteSize;
    record.isFavorite = item.isFavorite;
    record.copyCount = item.copyCount;
    record.copySequenceID = item.copySequenceID;
    record.copySequenceOrder = item.copySequenceOrder;
    return record;
}

Result<std::optional<QString>> VarnistoArchiveService::exportAsset(
    const std::optional<QString> &path, const QString &directory) const
{
    using R = Result<std::optional<QString>>;
    if (!path || path->isEmpty())
        return std::optional<QString>();
    // The item's own files may be links; they are followed. Anything but a regular file (a folder, a pipe
    // that would never end) counts as no file, like one that was deleted.
    FileDescriptor fd(::open(nativePath(*path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isValid()) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP)
            return std::optional<QString>();
        return R::failure(Error(Error::copyFailed, *path, qt_error_string(errno)));
    }
    struct stat status;
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::optional<QString>();

    QString name = lastPathComponent(*path);
    if (name.isEmpty())
        name = Coding::uuidString(QUuid::createUuid());
    const QString target = uniqueDestinationPath(directory, name);
    QFile source;
    if (!openAsFile(source, fd))
        return R::failure(Error(Error::copyFailed, *path, source.errorString()));
    if (auto copied = m_fileManager.copyFile(source, target); !copied)
        return R::failure(Error(Error::copyFailed, *path, copied.error()));
    return std::optional<QString>(
        QStringLiteral("assets/") + QFileInfo(directory).fileName() + QLatin1Char('/') + QFileInfo(target).fileName());
}

QString VarnistoArchiveService::uniqueDestinationPath(const QString &directory, const QString &fileName) const
{
    const QDir folder(directory);
    const QString first = folder.filePath(fileName);
    if (!m_fileManager.itemExists(first))
        return first;
    const QString extension = pathExtension(fileName);
    const QString stem = extension.isEmpty() ? fileName : fileName.left(fileName.size() - extension.size() - 1);
    for (qint64 n = 1;; ++n) {
        QString candidate = stem + QLatin1Char('-') + QString::number(n);
        if (!extension.isEmpty())
            candidate += QLatin1Char('.') + extension;
        const QString path = folder.filePath(candidate);
        if (!m_fileManager.itemExists(path))
            return path;
    }
}

// --- Import ----------------------------------------------------------------------------------------------------

struct VarnistoArchiveService::ImportContext
{
    int archiveFd = -1;
    QHash<QString, qint64> storeTagIDs; // archive tag id -> store tag id
    QHash<qint64, QString> storeTagNames; // store tag id -> its name in the store
};

std::optional<QByteArray> VarnistoArchiveService::nativePathOf(const QString &path)
{
    const QByteArray direct = nativePath(path);
    struct stat status;
    if (!path.contains(QChar::ReplacementCharacter) || ::lstat(direct.constData(), &status) == 0)
        return direct;
    const QStringList components = path.split(QLatin1Char('/'));
    QByteArray resolved;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QString &component = components.at(i);
        if (i > 0)
            resolved += '/';
        if (!component.contains(QChar::ReplacementCharacter)) {
            resolved += nativePath(component);
            continue;
        }
        // The entries of the folder so far whose names read as this one; exactly one must.
        DIR *folder = ::opendir(resolved.isEmpty() ? "." : resolved.constData());
        if (!folder)
            return std::nullopt;
        std::optional<QByteArray> match;
        bool several = false;
        while (const dirent *entry = ::readdir(folder)) {
            const QByteArray name(entry->d_name);
            if (QFile::decodeName(name) == component) {
                several = several || match.has_value();
                match = name;
            }
        }
        ::closedir(folder);
        if (!match || several)
            return std::nullopt;
        resolved += *match;
    }
    return resolved;
}

Result<VarnistoArchiveImportResult> VarnistoArchiveService::importArchive(
    const QString &archive, HistoryStore &store, const VarnistoArchiveProgress &progress) const
{
    const std::optional<QByteArray> native = nativePathOf(archive);
    if (!native)
        return Result<VarnistoArchiveImportResult>::failure(Error(Error::unreadableFolderName, archive));
    return importArchiveAtNativePath(*native, store, progress);
}

Result<VarnistoArchiveImportResult> VarnistoArchiveService::importArchiveAtNativePath(
    const QByteArray &archive, HistoryStore &store, const VarnistoArchiveProgress &progress) const
{
    using R = Result<VarnistoArchiveImportResult>;
    // The folder is opened once, by its bytes, and every file in it is reached from there: its name never has
    // to pass through a QString.
    const FileDescriptor archiveFd(::open(archive.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!archiveFd.isValid()) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return R::failure(Error(Error::missingFile, manifestFileName));
        return R::failure(Error(Error::readFailed, QFile::decodeName(archive), qt_error_string(error)));
    }
    for (const QString &name : {manifestFileName, tagsFileName, historyFileName}) {
        struct stat status;
        if (::fstatat(archiveFd.get(), nativePath(name).constData(), &status, 0) != 0)
            return R::failure(Error(Error::missingFile, name));
    }

    // Everything is read and checked before anything is written.
    const auto manifestText = readArchiveFile(archiveFd.get(), manifestFileName);
    if (!manifestText)
        return R::failure(manifestText.error());
    QJsonParseError parseError;
    const QJsonDocument manifestDocument = QJsonDocument::fromJson(*manifestText, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return R::failure(Error(Error::invalidFile, manifestFileName, parseError.errorString()));
    if (!manifestDocument.isObject())
        return R::failure(Error(Error::invalidFile, manifestFileName, QStringLiteral("the file holds no JSON object")));
    const auto manifest = VarnistoArchiveManifest::fromJson(manifestDocument.object());
    if (!manifest)
        return R::failure(Error(Error::invalidFile, manifestFileName, manifest.error()));
    if (manifest->formatVersion > supportedFormatVersion)
        return R::failure(Error::unsupported(manifest->formatVersion));

    const auto tagsText = readArchiveFile(archiveFd.get(), tagsFileName);
    if (!tagsText)
        return R::failure(tagsText.error());
    const auto tagRecords = decodeAll<VarnistoArchiveTag>(*tagsText, tagsFileName);
    if (!tagRecords)
        return R::failure(tagRecords.error());
    const auto historyText = readArchiveFile(archiveFd.get(), historyFileName);
    if (!historyText)
        return R::failure(historyText.error());
    // The item records are checked here and decoded once more, one at a time, while they are stored: the
    // history is never held twice over.
    qint64 itemCount = 0;
    {
        JsonArrayReader reader(*historyText);
        while (true) {
            auto element = reader.next();
            if (!element)
                return R::failure(Error(Error::invalidFile, historyFileName, element.error()));
            if (!*element)
                break;
            const auto record = VarnistoArchiveItem::fromJson(**element);
            if (!record)
                return R::failure(Error(Error::invalidFile, historyFileName,
                    QStringLiteral("element %1: %2").arg(reader.index()).arg(record.error())));
            ++itemCount;
        }
    }

    const qint64 tagCount = tagRecords->size();
    const qint64 total = tagCount + itemCount;
    if (progress)
        progress(0, total);

    // The tags all in one go: one transaction, not one disk sync for each of thousands of tags.
    ImportContext context;
    context.archiveFd = archiveFd.get();
    QList<TagRequest> requests;
    requests.reserve(tagRecords->size());
    for (const VarnistoArchiveTag &record : *tagRecords)
        requests.append(TagRequest {record.name, record.color});
    std::function<void(qint64)> tagWritten;
    if (progress)
        tagWritten = [&](qint64 done) { progress(done, total); };
    const auto tags = store.ensureTags(requests, tagWritten);
    if (!tags)
        return R::failure(Error::fromStore(tags.error()));
    for (qsizetype i = 0; i < qMin(tags->size(), tagRecords->size()); ++i) {
        const Tag &tag = tags->at(i);
        context.storeTagIDs.insert(tagRecords->at(i).id, tag.id);
        context.storeTagNames.insert(tag.id, tag.name);
    }

    // Items are written a few at a time in one transaction each. A failure stores the items before it first,
    // so the outcome is that of writing them one by one.
    QList<ClipboardItem> pending;
    qint64 stored = 0;
    auto flush = [&]() -> Result<void> {
        if (pending.isEmpty())
            return {};
        const qsizetype count = pending.size();
        auto written = store.upsertItems(pending);
        pending.clear();
        if (!written)
            return fail<void>(Error::fromStore(written.error()));
        for (qsizetype i = 0; i < count; ++i) {
            if (progress)
                progress(tagCount + ++stored, total);
        }
        return {};
    };
    JsonArrayReader reader(*historyText);
    while (true) {
        auto element = reader.next();
        if (!element)
            return R::failure(Error(Error::invalidFile, historyFileName, element.error()));
        if (!*element)
            break;
        const auto record = VarnistoArchiveItem::fromJson(**element);
        if (!record)
            return R::failure(Error(Error::invalidFile, historyFileName, record.error()));
        auto item = makeClipboardItem(*record, context);
        if (!item) {
            if (auto written = flush(); !written)
                return R::failure(written.error());
            return R::failure(item.error());
        }
        pending.append(std::move(item).value());
        if (pending.size() == itemsPerWrite) {
            if (auto written = flush(); !written)
                return R::failure(written.error());
        }
    }
    if (auto written = flush(); !written)
        return R::failure(written.error());
    return VarnistoArchiveImportResult {itemCount, tagCount};
}

Result<ClipboardItem> VarnistoArchiveService::makeClipboardItem(
    const VarnistoArchiveItem &record, const ImportContext &context) const
{
    using R = Result<ClipboardItem>;
    ClipboardItem item;
    for (const QString &archiveID : record.tagIDs) {
        const auto id = context.storeTagIDs.constFind(archiveID);
        if (id != context.storeTagIDs.constEnd())
            item.tags.append(*id);
    }
    const QString idText = Coding::uuidString(record.id);
    const QString supportFolder = QDir(m_supportDirectory).absolutePath();
    auto asset = importAsset(record.assetPath, context, supportFolder + QStringLiteral("/Images"), idText);
    if (!asset)
        return R::failure(asset.error());
    item.assetPath = *asset;
    if (const auto &details = record.linkPreviewDetails) {
        const QString previews = supportFolder + QStringLiteral("/LinkPreviews");
        auto image = importAsset(details->imagePath, context, previews, idText + QStringLiteral("-preview"));
        if (!image)
            return R::failure(image.error());
        auto favicon = importAsset(details->faviconPath, context, previews, idText + QStringLiteral("-favicon"));
        if (!favicon)
            return R::failure(favicon.error());
        item.linkPreviewDetails = LinkPreviewDetails {
            details->url, details->title, details->description, *image, *favicon, details->fetchedAt};
    }
    QStringList tagNames;
    for (const qint64 id : item.tags) {
        const auto name = context.storeTagNames.constFind(id);
        if (name != context.storeTagNames.constEnd())
            tagNames.append(*name);
    }
    item.kind = ClipboardKind::fromRawValue(record.kind).value_or(ClipboardKind::text);
    if (record.rtfBase64)
        item.rtfData = Coding::bytesFromStrictBase64(*record.rtfBase64);

    item.id = record.id;
    item.title = record.title;
    item.text = record.text;
    item.qrCodeText = record.qrCodeText;
    item.html = record.html;
    item.filePaths = record.filePaths;
    item.sourceAppName = record.sourceAppName;
    item.sourceBundleIdentifier = record.sourceBundleIdentifier;
    item.copiedAt = record.copiedAt;
    item.firstCopiedAt = record.firstCopiedAt;
    item.byteSize = record.byteSize;
    item.isFavorite = record.isFavorite;
    item.copyCount = record.copyCount;
    item.copySequenceID = record.copySequenceID;
    item.copySequenceOrder = record.copySequenceOrder;
    return item.refreshingSearchText(tagNames);
}

Result<std::optional<QString>> VarnistoArchiveService::importAsset(const std::optional<QString> &path,
    const ImportContext &context, const QString &directory, const QString &baseName) const
{
    using R = Result<std::optional<QString>>;
    if (!path || path->isEmpty())
        return std::optional<QString>();
    // The path is the archive's word, not ours: it must stay inside the archive and name a plain file.
    if (path->contains(QStringLiteral("..")) || path->startsWith(QLatin1Char('/')) || hasControlCharacters(*path))
        return R::failure(Error(Error::invalidAssetPath, *path));
    OpenedAsset opened = openInsideArchive(context.archiveFd, *path);
    switch (opened.lookup) {
    case Lookup::missing:
        return std::optional<QString>();
    case Lookup::refused:
        return R::failure(Error(Error::invalidAssetPath, *path));
    case Lookup::failed:
        return R::failure(Error(Error::copyFailed, *path, qt_error_string(opened.error)));
    case Lookup::found:
        break;
    }
    if (auto created = m_fileManager.createDirectory(directory); !created)
        return R::failure(Error(Error::createDirectoryFailed, directory, created.error()));
    const QString extension = pathExtension(lastPathComponent(*path));
    const QString target
        = uniqueDestinationPath(directory, extension.isEmpty() ? baseName : baseName + QLatin1Char('.') + extension);
    QFile source;
    if (!openAsFile(source, opened.fd))
        return R::failure(Error(Error::copyFailed, *path, source.errorString()));
    if (auto copied = m_fileManager.copyFile(source, target); !copied)
        return R::failure(Error(Error::copyFailed, *path, copied.error()));
    return std::optional<QString>(target);
}
