#include "ItemCommandID.h"

#include <array>
#include <iterator>

namespace {

// In the order of the enumeration.
constexpr std::array names {"paste", "pastePlainText", "pastePath", "copy", "copyPlainText", "copyPath", "pasteItems",
    "pasteItemsWithSeparator", "copyItems", "mergeItems", "favoriteItems", "unfavoriteItems", "deleteItems", "favorite",
    "rename", "transform", "applyTransform", "split", "edit", "preview", "copyTextFromImage", "copyTextFromQRCode",
    "saveAsFile", "openInDefaultApplication", "openWith", "openWithApplication", "showInFileManager", "openInBrowser",
    "updateLinkPreview", "filterByType", "settings", "delete", "deleteAll", "tags", "toggleTag", "applyTag", "newTag",
    "editTags"};
static_assert(names.size() == std::size_t(ItemCommandID::editTags) + 1);

} // namespace

QString itemCommandName(ItemCommandID id)
{
    return QString::fromLatin1(names.at(std::size_t(id)));
}

std::optional<ItemCommandID> itemCommandFromName(const QString &name)
{
    for (std::size_t n = 0; n < names.size(); ++n) {
        if (name == QLatin1String(names.at(n)))
            return ItemCommandID(n);
    }
    return std::nullopt;
}
