#include "LegacyClipboardItem.h"

#include "Coding.h"

Expected<LegacyClipboardItem, QString> LegacyClipboardItem::fromJson(const QJsonObject &object)
{
    using namespace Coding;
    using Result = Expected<LegacyClipboardItem, QString>;
    auto fault = [](const char *key, MemberState state) {
        return Result::failure(state == MemberState::WrongType
                ? QStringLiteral("member \"%1\" has the wrong type").arg(QLatin1String(key))
                : QStringLiteral("member \"%1\" is missing").arg(QLatin1String(key)));
    };

    LegacyClipboardItem item;
    const auto id = readString(object, QLatin1StringView("id"));
    if (!id.isPresent())
        return fault("id", id.state);
    const auto uuid = uuidFromString(id.value);
    if (!uuid)
        return fault("id", MemberState::WrongType);
    item.id = *uuid;

    const auto kindText = readString(object, QLatin1StringView("kind"));
    if (!kindText.isPresent())
        return fault("kind", kindText.state);
    const auto kind = ClipboardKind::fromRawValue(kindText.value);
    if (!kind)
        return Result::failure(QStringLiteral("unknown kind \"%1\"").arg(kindText.value));
    item.kind = *kind;

    struct OptionalText
    {
        const char *key;
        std::optional<QString> *field;
    };
    for (const OptionalText &member :
        {OptionalText {"title", &item.title}, OptionalText {"text", &item.text}, OptionalText {"html", &item.html},
            OptionalText {"assetPath", &item.assetPath}, OptionalText {"sourceAppName", &item.sourceAppName},
            OptionalText {"sourceBundleIdentifier", &item.sourceBundleIdentifier}}) {
        const auto value = readString(object, QLatin1StringView(member.key));
        if (value.isWrongType())
            return fault(member.key, value.state);
        *member.field = value.optional();
    }
    const auto rtfData = readBase64(object, QLatin1StringView("rtfData"));
    if (rtfData.isWrongType())
        return fault("rtfData", rtfData.state);
    item.rtfData = rtfData.optional();

    const auto filePaths = readStringArray(object, QLatin1StringView("filePaths"));
    if (!filePaths.isPresent())
        return fault("filePaths", filePaths.state);
    item.filePaths = filePaths.value;
    const auto copiedAt = readDate(object, QLatin1StringView("copiedAt"));
    if (!copiedAt.isPresent())
        return fault("copiedAt", copiedAt.state);
    item.copiedAt = copiedAt.value;
    const auto byteSize = readInt64(object, QLatin1StringView("byteSize"));
    if (!byteSize.isPresent())
        return fault("byteSize", byteSize.state);
    item.byteSize = byteSize.value;
    const auto isFavorite = readBool(object, QLatin1StringView("isFavorite"));
    if (!isFavorite.isPresent())
        return fault("isFavorite", isFavorite.state);
    item.isFavorite = isFavorite.value;
    const auto tags = readStringArray(object, QLatin1StringView("tags"));
    if (!tags.isPresent())
        return fault("tags", tags.state);
    item.tags = tags.value;
    const auto copyCount = readInt64(object, QLatin1StringView("copyCount"));
    if (!copyCount.isPresent())
        return fault("copyCount", copyCount.state);
    item.copyCount = copyCount.value;
    return item;
}

ClipboardItem LegacyClipboardItem::makeClipboardItem(const QList<qint64> &tagIDs, const QStringList &tagNames) const
{
    ClipboardItem item;
    item.id = id;
    item.kind = kind;
    item.title = title;
    item.text = text;
    item.rtfData = rtfData;
    item.html = html;
    item.assetPath = assetPath;
    item.filePaths = filePaths;
    item.sourceAppName = sourceAppName;
    item.sourceBundleIdentifier = sourceBundleIdentifier;
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.byteSize = byteSize;
    item.isFavorite = isFavorite;
    item.tags = tagIDs;
    item.copyCount = copyCount;
    return item.refreshingSearchText(tagNames);
}
