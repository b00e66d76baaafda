#include "VarnistoArchiveRecords.h"

#include "Coding.h"

#include <QJsonArray>

namespace {

using namespace Coding;

QString describeFault(const char *key, MemberState state)
{
    return state == MemberState::WrongType ? QStringLiteral("member \"%1\" has the wrong type").arg(QLatin1String(key))
                                           : QStringLiteral("member \"%1\" is missing").arg(QLatin1String(key));
}

// Reads the members in turn and remembers the first fault.
class Reader
{
public:
    explicit Reader(const QJsonObject &object) : m_object(object) { }

    template<typename T> T required(Member<T> (*read)(const QJsonObject &, QLatin1StringView), const char *key)
    {
        const Member<T> member = read(m_object, QLatin1StringView(key));
        if (!member.isPresent())
            fail(key, member.state);
        return member.value;
    }
    template<typename T>
    std::optional<T> optional(Member<T> (*read)(const QJsonObject &, QLatin1StringView), const char *key)
    {
        const Member<T> member = read(m_object, QLatin1StringView(key));
        if (member.isWrongType())
            fail(key, member.state);
        return member.optional();
    }
    void fail(const char *key, MemberState state)
    {
        if (m_fault.isEmpty())
            m_fault = describeFault(key, state);
    }
    void fail(const QString &text)
    {
        if (m_fault.isEmpty())
            m_fault = text;
    }
    const QString &fault() const { return m_fault; }

private:
    const QJsonObject &m_object;
    QString m_fault;
};

void insertText(QJsonObject &object, const char *key, const std::optional<QString> &value)
{
    if (value)
        object.insert(QLatin1String(key), *value);
}

} // namespace

QJsonObject VarnistoArchiveManifest::toJson() const
{
    QJsonObject object {
        {QStringLiteral("formatVersion"), int64Value(formatVersion)},
        {QStringLiteral("appName"), appName},
        {QStringLiteral("exportedAt"), iso8601String(exportedAt)},
    };
    insertText(object, "appVersion", appVersion);
    return object;
}

Expected<VarnistoArchiveManifest, QString> VarnistoArchiveManifest::fromJson(const QJsonObject &object)
{
    Reader reader(object);
    VarnistoArchiveManifest manifest;
    manifest.formatVersion = reader.required(readInt64, "formatVersion");
    manifest.appName = reader.required(readString, "appName");
    manifest.appVersion = reader.optional(readString, "appVersion");
    manifest.exportedAt = reader.required(readDate, "exportedAt");
    if (!reader.fault().isEmpty())
        return Expected<VarnistoArchiveManifest, QString>::failure(reader.fault());
    return manifest;
}

QJsonObject VarnistoArchiveTag::toJson() const
{
    return QJsonObject {
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("color"), color},
    };
}

Expected<VarnistoArchiveTag, QString> VarnistoArchiveTag::fromJson(const QJsonObject &object)
{
    Reader reader(object);
    VarnistoArchiveTag tag;
    tag.id = reader.required(readString, "id");
    tag.name = reader.required(readString, "name");
    tag.color = reader.required(readString, "color");
    if (!reader.fault().isEmpty())
        return Expected<VarnistoArchiveTag, QString>::failure(reader.fault());
    return tag;
}

QJsonObject VarnistoArchiveLinkPreviewDetails::toJson() const
{
    QJsonObject object {
        {QStringLiteral("url"), url},
        {QStringLiteral("fetchedAt"), iso8601String(fetchedAt)},
    };
    insertText(object, "title", title);
    insertText(object, "description", description);
    insertText(object, "imagePath", imagePath);
    insertText(object, "faviconPath", faviconPath);
    return object;
}

Expected<VarnistoArchiveLinkPreviewDetails, QString> VarnistoArchiveLinkPreviewDetails::fromJson(
    const QJsonObject &object)
{
    Reader reader(object);
    VarnistoArchiveLinkPreviewDetails details;
    details.url = reader.required(readString, "url");
    details.title = reader.optional(readString, "title");
    details.description = reader.optional(readString, "description");
    details.imagePath = reader.optional(readString, "imagePath");
    details.faviconPath = reader.optional(readString, "faviconPath");
    details.fetchedAt = reader.required(readDate, "fetchedAt");
    if (!reader.fault().isEmpty())
        return Expected<VarnistoArchiveLinkPreviewDetails, QString>::failure(reader.fault());
    return details;
}

QJsonObject VarnistoArchiveItem::toJson() const
{
    QJsonObject object {
        {QStringLiteral("id"), uuidString(id)},
        {QStringLiteral("kind"), kind},
        {QStringLiteral("filePaths"), QJsonArray::fromStringList(filePaths)},
        {QStringLiteral("copiedAt"), iso8601String(copiedAt)},
        {QStringLiteral("firstCopiedAt"), iso8601String(firstCopiedAt)},
        {QStringLiteral("byteSize"), int64Value(byteSize)},
        {QStringLiteral("isFavorite"), isFavorite},
        {QStringLiteral("tagIDs"), QJsonArray::fromStringList(tagIDs)},
        {QStringLiteral("tagNames"), QJsonArray::fromStringList(tagNames)},
        {QStringLiteral("copyCount"), int64Value(copyCount)},
    };
    insertText(object, "title", title);
    insertText(object, "text", text);
    insertText(object, "qrCodeText", qrCodeText);
    insertText(object, "rtfBase64", rtfBase64);
    insertText(object, "html", html);
    insertText(object, "assetPath", assetPath);
    insertText(object, "sourceAppName", sourceAppName);
    insertText(object, "sourceBundleIdentifier", sourceBundleIdentifier);
    if (linkPreviewDetails)
        object.insert(QLatin1String("linkPreviewDetails"), linkPreviewDetails->toJson());
    if (copySequenceID)
        object.insert(QLatin1String("copySequenceID"), iso8601String(*copySequenceID));
    if (copySequenceOrder)
        object.insert(QLatin1String("copySequenceOrder"), int64Value(*copySequenceOrder));
    return object;
}

Expected<VarnistoArchiveItem, QString> VarnistoArchiveItem::fromJson(const QJsonObject &object)
{
    Reader reader(object);
    VarnistoArchiveItem item;
    const QString id = reader.required(readString, "id");
    if (reader.fault().isEmpty()) {
        if (const auto uuid = uuidFromString(id))
            item.id = *uuid;
        else
            reader.fail("id", MemberState::WrongType);
    }
    item.kind = reader.required(readString, "kind");
    item.title = reader.optional(readString, "title");
    item.text = reader.optional(readString, "text");
    item.qrCodeText = reader.optional(readString, "qrCodeText");
    item.rtfBase64 = reader.optional(readString, "rtfBase64");
    item.html = reader.optional(readString, "html");
    item.assetPath = reader.optional(readString, "assetPath");
    item.filePaths = reader.required(readStringArray, "filePaths");
    item.sourceAppName = reader.optional(readString, "sourceAppName");
    item.sourceBundleIdentifier = reader.optional(readString, "sourceBundleIdentifier");
    item.copiedAt = reader.required(readDate, "copiedAt");
    item.firstCopiedAt = reader.required(readDate, "firstCopiedAt");
    item.byteSize = reader.required(readInt64, "byteSize");
    item.isFavorite = reader.required(readBool, "isFavorite");
    item.tagIDs = reader.required(readStringArray, "tagIDs");
    item.tagNames = reader.required(readStringArray, "tagNames");
    item.copyCount = reader.required(readInt64, "copyCount");
    if (const auto preview = reader.optional(readObject, "linkPreviewDetails")) {
        auto details = VarnistoArchiveLinkPreviewDetails::fromJson(*preview);
        if (details)
            item.linkPreviewDetails = *details;
        else
            reader.fail(QStringLiteral("linkPreviewDetails: ") + details.error());
    }
    item.copySequenceID = reader.optional(readDate, "copySequenceID");
    item.copySequenceOrder = reader.optional(readInt64, "copySequenceOrder");
    if (!reader.fault().isEmpty())
        return Expected<VarnistoArchiveItem, QString>::failure(reader.fault());
    return item;
}
