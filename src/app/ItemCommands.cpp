#include "ItemCommands.h"

#include "AlertPresenter.h"
#include "AppCoordinator.h"
#include "AppModel.h"
#include "HistoryStore.h"
#include "HistoryWrites.h"
#include "Localization.h"
#include "TextUtilities.h"

#include <QDir>
#include <QSet>

namespace {

bool isTextLike(ClipboardKind kind)
{
    return kind != ClipboardKind::image && kind != ClipboardKind::file;
}

} // namespace

ItemCommands::ItemCommands(AppCoordinator &coordinator) : m_coordinator(coordinator) { }

void ItemCommands::deleteItems(const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return;
    const HistoryWrites::Deletion deletion = m_coordinator.historyWrites().deleteItems(items);
    if (deletion.error) {
        m_coordinator.model().setLastError(deletion.error->description());
        return;
    }
    m_coordinator.playSound(SoundEffect::delete_);
}

void ItemCommands::clearHistory()
{
    AppModel &model = m_coordinator.model();
    HistoryWrites &writes = m_coordinator.historyWrites();
    const bool keep = model.preferences().keepFavoritesOnClearHistory;
    const auto removal = m_coordinator.historyStore().clearHistory(keep);
    if (!removal) {
        model.setLastError(removal.error().description());
        return;
    }
    const QSet<QUuid> removedIDs(removal->itemIDs.cbegin(), removal->itemIDs.cend());
    QList<ClipboardItem> removed;
    QList<ClipboardItem> kept;
    for (const ClipboardItem &item : model.items())
        (removedIDs.contains(item.id) ? removed : kept).append(item);

    // The files the cleared rows referred to: their images, link previews and icons.
    for (const QString &path : removal->assetPaths)
        writes.removeSupportFile(path);
    if (!keep) {
        QDir(m_coordinator.linkPreviewsDirectory()).removeRecursively();
        m_coordinator.filePreviewCache().removeAll();
    } else {
        for (const ClipboardItem &item : std::as_const(removed))
            writes.removeLinkPreviewFiles(item);
        writes.removeFilePreviews(removed, kept);
    }
    model.removeItems(removedIDs);
}

bool ItemCommands::confirmClearHistory()
{
    const AppPreferences &preferences = m_coordinator.model().preferences();
    if (!preferences.warnOnClearHistory)
        return true;
    const QString informative = preferences.keepFavoritesOnClearHistory
        ? localized(QStringLiteral("This will delete all history items except favorites and tagged items. This "
                                   "action cannot be undone."))
        : localized(QStringLiteral("This will delete all history items including favorites and tagged items. This "
                                   "action cannot be undone."));
    return m_coordinator.alerts().confirm(localized(QStringLiteral("Are you sure you want to clear entire history?")),
        informative, localized(QStringLiteral("Delete All")), localized(QStringLiteral("Cancel")));
}

QStringList ItemCommands::trimmedTextLines(const ClipboardItem &item)
{
    if ((item.kind != ClipboardKind::text && item.kind != ClipboardKind::richText) || !item.text)
        return {};
    const QString &text = *item.text;
    QStringList lines;
    qsizetype start = 0;
    bool split = false;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !TextUtilities::isNewline(text.at(i).unicode()))
            continue;
        if (i < text.size())
            split = true;
        const QString line = TextUtilities::trimmedWhitespaceAndNewlines(QStringView(text).sliced(start, i - start));
        if (!line.isEmpty())
            lines.append(line);
        start = i + 1;
    }
    return split ? lines : QStringList();
}

void ItemCommands::splitItem(const ClipboardItem &item)
{
    const QStringList lines = trimmedTextLines(item);
    if (lines.size() < 2)
        return;
    AppModel &model = m_coordinator.model();
    HistoryWrites &writes = m_coordinator.historyWrites();
    const QDateTime now = m_coordinator.clock().now();
    const bool digitsAsColor = model.preferences().treatDigitNumbersAsColor;

    // One item per line; a line that repeats an earlier one, or what a loaded item holds, makes no second item of
    // the same content (the loaded one hands its favourite, tags and title on and goes).
    QList<ClipboardItem> created;
    QList<ClipboardItem> replaced;
    QSet<QString> seen;
    for (const QString &line : lines) {
        ClipboardItem part;
        part.id = QUuid::createUuid();
        part.kind = ClipboardKind::detect(line, digitsAsColor);
        part.text = line;
        part.sourceAppName = item.sourceAppName;
        part.sourceBundleIdentifier = item.sourceBundleIdentifier;
        part.copiedAt = now;
        part.firstCopiedAt = now;
        part.byteSize = line.toUtf8().size();
        part.copyCount = 0;
        part = part.refreshingSearchText({});
        const QString key = part.kind.rawValue() + QLatin1Char('\n') + part.contentKey();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        QList<ClipboardItem> duplicates = writes.duplicatesOf(part);
        duplicates.removeIf([&](const ClipboardItem &duplicate) { return duplicate.id == item.id; });
        created.append(writes.inheritingFrom(part, duplicates));
        replaced.append(duplicates);
    }

    // Stored in line order; a failure keeps what was stored before it, and that is what the list shows.
    std::optional<HistoryStoreError> failure;
    QList<ClipboardItem> stored;
    for (const ClipboardItem &part : std::as_const(created)) {
        if (auto written = m_coordinator.historyStore().upsert(part); !written) {
            failure = written.error();
            break;
        }
        stored.append(part);
    }
    if (!stored.isEmpty()) {
        QSet<QString> storedKeys;
        for (const ClipboardItem &part : std::as_const(stored))
            storedKeys.insert(part.kind.rawValue() + QLatin1Char('\n') + part.contentKey());
        replaced.removeIf([&](const ClipboardItem &duplicate) {
            return !storedKeys.contains(duplicate.kind.rawValue() + QLatin1Char('\n') + duplicate.contentKey());
        });
        const HistoryWrites::Deletion deletion = writes.deleteItems(replaced);
        if (!failure && deletion.error)
            failure = deletion.error;

        model.setItems(stored + model.items());
        QList<QUuid> ids;
        for (const ClipboardItem &part : std::as_const(stored))
            ids.append(part.id);
        model.setSelectedItemID(ids.first());
        model.setSelectedItemIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
        model.setSelectedItemIDsInSelectionOrder(ids);
        model.trimItems(model.preferences().maxHistoryItems);
    }
    if (failure)
        model.setLastError(failure->description());
}

void ItemCommands::toggleFavorite(const ClipboardItem &item)
{
    const bool favorite = !item.isFavorite;
    if (auto updated = m_coordinator.historyWrites().update(item, [&](ClipboardItem &c) { c.isFavorite = favorite; });
        !updated)
        m_coordinator.model().setLastError(updated.error().description());
}

void ItemCommands::setFavorite(bool favorite, const QList<ClipboardItem> &items)
{
    for (const ClipboardItem &item : items) {
        if (item.isFavorite == favorite)
            continue;
        if (auto updated
            = m_coordinator.historyWrites().update(item, [&](ClipboardItem &c) { c.isFavorite = favorite; });
            !updated) {
            m_coordinator.model().setLastError(updated.error().description());
            return;
        }
    }
}

void ItemCommands::renameItem(const ClipboardItem &item, const std::optional<QString> &title)
{
    std::optional<QString> trimmed;
    if (title) {
        const QString text = TextUtilities::trimmedWhitespaceAndNewlines(*title);
        if (!text.isEmpty())
            trimmed = text;
    }
    if (auto updated = m_coordinator.historyWrites().update(item, [&](ClipboardItem &c) { c.title = trimmed; });
        !updated)
        m_coordinator.model().setLastError(updated.error().description());
}

void ItemCommands::editItem(const ClipboardItem &item, const QString &text)
{
    if (!isTextLike(item.kind)) {
        m_coordinator.model().setLastError(localized(QStringLiteral("%@ cannot be edited."), {item.kind.title()}));
        return;
    }
    if (TextUtilities::isBlank(text)) {
        // Nothing left: the item goes, with its files.
        const HistoryWrites::Deletion deletion = m_coordinator.historyWrites().deleteItems({item});
        if (deletion.error)
            m_coordinator.model().setLastError(deletion.error->description());
        return;
    }
    replaceText(item, [&](const QString &) { return text; });
}

void ItemCommands::transformItem(const ClipboardItem &item, ClipboardTextTransform transform)
{
    if (!isTextLike(item.kind) || !item.text) {
        m_coordinator.model().setLastError(localized(QStringLiteral("%@ cannot be transformed."), {item.kind.title()}));
        return;
    }
    replaceText(item, [&](const QString &old) { return transform.apply(old); });
}

void ItemCommands::replaceText(const ClipboardItem &item, const std::function<QString(const QString &)> &newText)
{
    const bool digitsAsColor = m_coordinator.model().preferences().treatDigitNumbersAsColor;
    std::optional<LinkPreviewDetails> droppedPreview;
    const auto updated = m_coordinator.historyWrites().update(item, [&](ClipboardItem &c) {
        const QString oldKey = c.contentKey();
        const bool wasRichText = c.kind == ClipboardKind::richText;
        c.text = newText(c.text.value_or(QString()));
        c.byteSize = c.text->toUtf8().size();
        c.kind = ClipboardKind::detect(*c.text, digitsAsColor);
        if (wasRichText) {
            c.rtfData.reset();
            c.html.reset();
        }
        if (c.linkPreviewDetails && !(c.kind == ClipboardKind::link && c.contentKey() == oldKey)) {
            droppedPreview = c.linkPreviewDetails;
            c.linkPreviewDetails.reset();
        }
    });
    if (!updated) {
        m_coordinator.model().setLastError(updated.error().description());
        return;
    }
    // The pictures of a dropped preview go once the item no longer refers to them.
    if (droppedPreview) {
        ClipboardItem previous = item;
        previous.linkPreviewDetails = droppedPreview;
        m_coordinator.historyWrites().removeLinkPreviewFiles(previous);
    }
}

void ItemCommands::removeUnusedFilePreviews()
{
    QSet<QString> filePaths;
    for (const ClipboardItem &item : m_coordinator.model().items()) {
        for (const QString &path : item.filePaths)
            filePaths.insert(path);
    }
    m_coordinator.filePreviewCache().removePreviewsExcept(filePaths);
}
