#include "ClipboardItem.h"

#include "Coding.h"
#include "FileTypes.h"
#include "ImagePixelSizeCache.h"
#include "RichTextConversion.h"
#include "SharedText.h"
#include "TextUtilities.h"

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>
#include <QJsonArray>

// --- Display and plain-text rendering ---------------------------------------------------------------------

std::optional<QString> ClipboardItem::visibleText() const
{
    if (text && !text->isEmpty())
        return *text;
    if (html && !html->isEmpty()) {
        QString plain = RichTextConversion::plainTextFromHtml(*html);
        if (!plain.isEmpty())
            return plain;
    }
    if (rtfData && !rtfData->isEmpty()) {
        QString plain = RichTextConversion::plainTextFromRtf(*rtfData);
        if (!plain.isEmpty())
            return plain;
    }
    return std::nullopt;
}

QString ClipboardItem::primaryText() const
{
    if (auto visible = visibleText())
        return *std::move(visible);
    if (!filePaths.isEmpty())
        return filePaths.join(QLatin1Char('\n'));
    if (title)
        return *title;
    return kind.title();
}

std::optional<QString> ClipboardItem::customTitle() const
{
    if (!title)
        return std::nullopt;
    QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(*title);
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

namespace {

// At most titleLengthLimit characters of the line, a surrogate pair kept whole.
QString cutTitle(QStringView line)
{
    if (line.size() <= ClipboardItem::titleLengthLimit)
        return line.toString();
    qsizetype length = ClipboardItem::titleLengthLimit;
    if (line.at(length - 1).isHighSurrogate())
        --length;
    return line.first(length).toString();
}

QString lastPathComponent(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    const QString name = QFileInfo(clean).fileName();
    return name.isEmpty() ? clean : name;
}

} // namespace

QString ClipboardItem::defaultTitle() const
{
    switch (kind) {
    case ClipboardKind::color:
        return text ? cutTitle(*text) : QStringLiteral("Color");
    case ClipboardKind::file:
        return filePaths.isEmpty() ? QStringLiteral("File") : lastPathComponent(filePaths.first());
    case ClipboardKind::image:
        if (const auto size = imagePixelSize())
            return QStringLiteral("Image (%1x%2)").arg(size->width()).arg(size->height());
        return QStringLiteral("Image");
    case ClipboardKind::text:
    case ClipboardKind::richText:
    case ClipboardKind::link:
    case ClipboardKind::email:
        break;
    }
    const QString rendering = primaryText();
    const QStringView line = TextUtilities::firstLine(rendering);
    return line.isEmpty() ? kind.title() : cutTitle(line);
}

QString ClipboardItem::displayTitle() const
{
    if (auto custom = customTitle())
        return cutTitle(*custom);
    return defaultTitle();
}

std::optional<QUrl> ClipboardItem::contentFileURL() const
{
    if (assetPath)
        return QUrl::fromLocalFile(*assetPath);
    if (!filePaths.isEmpty())
        return QUrl::fromLocalFile(filePaths.first());
    return std::nullopt;
}

namespace {

// One for the process: every copy of an item, on any thread, shares what was read.
ImagePixelSizeCache &imagePixelSizes()
{
    static ImagePixelSizeCache cache;
    return cache;
}

} // namespace

std::optional<QSize> ClipboardItem::imagePixelSize() const
{
    if (kind != ClipboardKind::image || !assetPath)
        return std::nullopt;
    return imagePixelSizes().pixelSize(*assetPath);
}

namespace {

bool holdsImage(const ClipboardItem &item)
{
    return item.kind == ClipboardKind::image
        || (item.kind == ClipboardKind::file && item.filePaths.size() == 1 && isImageFilePath(item.filePaths.first()));
}

bool hasVisibleText(const std::optional<QString> &text)
{
    return text && !TextUtilities::isBlank(*text);
}

} // namespace

bool ClipboardItem::hasImageText() const
{
    return holdsImage(*this) && hasVisibleText(text);
}

bool ClipboardItem::hasQRCodeText() const
{
    return holdsImage(*this) && hasVisibleText(qrCodeText);
}

// --- Keys and search text ----------------------------------------------------------------------------------

std::optional<Url> ClipboardItem::linkURL(const QString &text)
{
    const QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(text);
    if (trimmed.isEmpty())
        return std::nullopt;
    for (const QChar c : trimmed) {
        if (TextUtilities::isWhitespaceOrNewline(c.unicode()) || TextUtilities::isControl(c.unicode()))
            return std::nullopt;
    }
    auto url = Url::parse(trimmed);
    if (!url || !url->scheme || url->host.isEmpty())
        return std::nullopt;
    return url;
}

QString ClipboardItem::normalizedURLKey(const Url &url)
{
    Url normalized = url;
    normalized.fragment.reset();
    if (normalized.scheme)
        normalized.scheme = normalized.scheme->toLower();
    normalized.host = normalized.host.toLower();
    return normalized.toString();
}

QString ClipboardItem::filePathsKey(const QStringList &paths)
{
    QStringList standardised;
    standardised.reserve(paths.size());
    for (const QString &path : paths)
        standardised.append(
            QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path)));
    return standardised.join(QLatin1Char('\n'));
}

QString ClipboardItem::contentKey() const
{
    if (kind == ClipboardKind::file && !filePaths.isEmpty())
        return filePathsKey(filePaths);
    if (kind == ClipboardKind::link && text) {
        if (const auto url = linkURL(*text))
            return normalizedURLKey(*url);
    }
    if (html && !html->isEmpty())
        return searchText + QLatin1Char('\n') + *html;
    return searchText;
}

ClipboardItem ClipboardItem::refreshingSearchText(const QStringList &tagNames) const
{
    QStringList parts;
    parts.reserve(8);
    if (title)
        parts.append(*title);
    if (text && !text->isEmpty())
        parts.append(*text);
    else if (auto markup = visibleText())
        parts.append(*markup); // the text of the HTML or RTF, in the text's place
    else if (text)
        parts.append(*text);
    if (qrCodeText)
        parts.append(*qrCodeText);
    if (linkPreviewDetails && linkPreviewDetails->title)
        parts.append(*linkPreviewDetails->title);
    if (linkPreviewDetails && linkPreviewDetails->description)
        parts.append(*linkPreviewDetails->description);
    parts.append(filePaths.join(QLatin1Char(' ')));
    parts.append(tagNames.join(QLatin1Char(' ')));
    if (sourceAppName)
        parts.append(*sourceAppName);
    ClipboardItem copy = *this;
    copy.searchText = parts.join(QLatin1Char(' '));
    copy.shareTextWithSearchText();
    return copy;
}

void ClipboardItem::shareTextWithSearchText()
{
    // The search text starts with the title and a space, when there is a title, and the text follows.
    if (!text || text->isEmpty())
        return;
    const qsizetype position = title ? title->size() + 1 : 0;
    if (position + text->size() > searchText.size())
        return;
    const QStringView inSearchText = QStringView(searchText).sliced(position, text->size());
    if (inSearchText.utf16() != QStringView(*text).utf16() && inSearchText == *text)
        text = sharedPart(searchText, position, text->size());
}

// --- JSON --------------------------------------------------------------------------------------------------

QJsonObject ClipboardItem::toJson() const
{
    QJsonArray pathsArray;
    for (const QString &path : filePaths)
        pathsArray.append(path);
    QJsonArray tagArray;
    for (const qint64 tag : tags)
        tagArray.append(Coding::int64Value(tag));

    QJsonObject object {
        {QStringLiteral("id"), Coding::uuidString(id)},
        {QStringLiteral("kind"), kind.rawValue()},
        {QStringLiteral("filePaths"), pathsArray},
        {QStringLiteral("copiedAt"), Coding::iso8601String(copiedAt)},
        {QStringLiteral("firstCopiedAt"), Coding::iso8601String(firstCopiedAt)},
        {QStringLiteral("byteSize"), Coding::int64Value(byteSize)},
        {QStringLiteral("isFavorite"), isFavorite},
        {QStringLiteral("tags"), tagArray},
        {QStringLiteral("searchText"), searchText},
        {QStringLiteral("copyCount"), Coding::int64Value(copyCount)},
    };
    auto insertText = [&object](const char *key, const std::optional<QString> &value) {
        if (value)
            object.insert(QLatin1String(key), *value);
    };
    insertText("title", title);
    insertText("text", text);
    insertText("qrCodeText", qrCodeText);
    if (rtfData)
        object.insert(QLatin1String("rtfData"), Coding::base64String(*rtfData));
    insertText("html", html);
    insertText("assetPath", assetPath);
    insertText("sourceAppName", sourceAppName);
    insertText("sourceBundleIdentifier", sourceBundleIdentifier);
    if (linkPreviewDetails)
        object.insert(QLatin1String("linkPreviewDetails"), linkPreviewDetails->toJson());
    if (copySequenceID)
        object.insert(QLatin1String("copySequenceID"), Coding::iso8601String(*copySequenceID));
    if (copySequenceOrder)
        object.insert(QLatin1String("copySequenceOrder"), Coding::int64Value(*copySequenceOrder));
    return object;
}

Expected<ClipboardItem, QString> ClipboardItem::fromJson(
    const QJsonObject &object, const std::optional<QString> &givenSearchText)
{
    using namespace Coding;
    using Result = Expected<ClipboardItem, QString>;
    auto fault = [](const char *key, MemberState state) {
        return Result::failure(state == MemberState::WrongType
                ? QStringLiteral("member \"%1\" has the wrong type").arg(QLatin1String(key))
                : QStringLiteral("member \"%1\" is missing").arg(QLatin1String(key)));
    };
#define REQUIRE(member, key)                                                                                           \
    if (!member.isPresent())                                                                                           \
        return fault(key, member.state);
#define ALLOW(member, key)                                                                                             \
    if (member.isWrongType())                                                                                          \
        return fault(key, member.state);

    ClipboardItem item;
    const auto id = readString(object, QLatin1StringView("id"));
    REQUIRE(id, "id")
    const auto uuid = uuidFromString(id.value);
    if (!uuid)
        return fault("id", MemberState::WrongType);
    item.id = *uuid;

    const auto kindText = readString(object, QLatin1StringView("kind"));
    REQUIRE(kindText, "kind")
    const auto kind = ClipboardKind::fromRawValue(kindText.value);
    if (!kind)
        return Result::failure(QStringLiteral("unknown kind \"%1\"").arg(kindText.value));
    item.kind = *kind;

    const auto title = readString(object, QLatin1StringView("title"));
    ALLOW(title, "title")
    const auto text = readString(object, QLatin1StringView("text"));
    ALLOW(text, "text")
    const auto qrCodeText = readString(object, QLatin1StringView("qrCodeText"));
    ALLOW(qrCodeText, "qrCodeText")
    const auto rtfData = readBase64(object, QLatin1StringView("rtfData"));
    ALLOW(rtfData, "rtfData")
    const auto html = readString(object, QLatin1StringView("html"));
    ALLOW(html, "html")
    const auto assetPath = readString(object, QLatin1StringView("assetPath"));
    ALLOW(assetPath, "assetPath")
    const auto filePaths = readStringArray(object, QLatin1StringView("filePaths"));
    REQUIRE(filePaths, "filePaths")
    const auto sourceAppName = readString(object, QLatin1StringView("sourceAppName"));
    ALLOW(sourceAppName, "sourceAppName")
    const auto sourceBundleIdentifier = readString(object, QLatin1StringView("sourceBundleIdentifier"));
    ALLOW(sourceBundleIdentifier, "sourceBundleIdentifier")
    const auto copiedAt = readDate(object, QLatin1StringView("copiedAt"));
    REQUIRE(copiedAt, "copiedAt")
    const auto firstCopiedAt = readDate(object, QLatin1StringView("firstCopiedAt"));
    ALLOW(firstCopiedAt, "firstCopiedAt")
    const auto byteSize = readInt64(object, QLatin1StringView("byteSize"));
    REQUIRE(byteSize, "byteSize")
    const auto isFavorite = readBool(object, QLatin1StringView("isFavorite"));
    REQUIRE(isFavorite, "isFavorite")
    const auto tags = readInt64Array(object, QLatin1StringView("tags"));
    const auto searchText = givenSearchText ? Member<QString> {} : readString(object, QLatin1StringView("searchText"));
    if (!givenSearchText && !searchText.isPresent())
        return fault("searchText", searchText.state);
    const auto copyCount = readInt64(object, QLatin1StringView("copyCount"));
    REQUIRE(copyCount, "copyCount")
    const auto preview = readObject(object, QLatin1StringView("linkPreviewDetails"));
    ALLOW(preview, "linkPreviewDetails")
    const auto copySequenceID = readDate(object, QLatin1StringView("copySequenceID"));
    ALLOW(copySequenceID, "copySequenceID")
    const auto copySequenceOrder = readInt64(object, QLatin1StringView("copySequenceOrder"));
    ALLOW(copySequenceOrder, "copySequenceOrder")
#undef REQUIRE
#undef ALLOW

    item.title = title.optional();
    item.text = text.optional();
    item.qrCodeText = qrCodeText.optional();
    item.rtfData = rtfData.optional();
    item.html = html.optional();
    item.assetPath = assetPath.optional();
    item.filePaths = filePaths.value;
    item.sourceAppName = sourceAppName.optional();
    item.sourceBundleIdentifier = sourceBundleIdentifier.optional();
    item.copiedAt = copiedAt.value;
    item.firstCopiedAt = firstCopiedAt.isPresent() ? firstCopiedAt.value : copiedAt.value;
    item.byteSize = byteSize.value;
    item.isFavorite = isFavorite.value;
    // Older payloads hold tag names here; the store's migration converts them.
    item.tags = tags.isPresent() ? tags.value : QList<qint64>();
    item.searchText = givenSearchText ? *givenSearchText : searchText.value;
    item.shareTextWithSearchText();
    item.copyCount = copyCount.value;
    if (preview.isPresent()) {
        auto details = LinkPreviewDetails::fromJson(preview.value);
        if (!details)
            return fault("linkPreviewDetails", MemberState::WrongType);
        item.linkPreviewDetails = std::move(details);
    }
    item.copySequenceID = copySequenceID.optional();
    item.copySequenceOrder = copySequenceOrder.optional();
    return item;
}

namespace {

template<typename Optional> size_t hashOptional(const Optional &value, size_t seed)
{
    return value ? qHashMulti(seed, true, *value) : qHash(false, seed);
}

} // namespace

size_t qHash(const ClipboardItem &item, size_t seed)
{
    seed = qHashMulti(seed, item.id, item.kind);
    seed = hashOptional(item.title, seed);
    seed = hashOptional(item.text, seed);
    seed = hashOptional(item.qrCodeText, seed);
    seed = hashOptional(item.rtfData, seed);
    seed = hashOptional(item.html, seed);
    seed = hashOptional(item.assetPath, seed);
    seed = qHashMulti(seed, item.filePaths);
    seed = hashOptional(item.sourceAppName, seed);
    seed = hashOptional(item.sourceBundleIdentifier, seed);
    seed = qHashMulti(seed, item.copiedAt, item.firstCopiedAt, item.byteSize, item.isFavorite, item.tags,
        item.searchText, item.copyCount);
    seed = hashOptional(item.linkPreviewDetails, seed);
    seed = hashOptional(item.copySequenceID, seed);
    return hashOptional(item.copySequenceOrder, seed);
}
