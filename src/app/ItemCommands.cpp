#include "ItemCommands.h"

#include "AlertPresenter.h"
#include "AppModel.h"
#include "Clock.h"
#include "CommandFeedback.h"
#include "FilePreviewCache.h"
#include "HistoryStore.h"
#include "HistoryWrites.h"
#include "Localization.h"
#include "SupportFolder.h"
#include "TextUtilities.h"

#include <QSet>

ItemCommands::ItemCommands(AppModel &model, HistoryStore &store, HistoryWrites &writes, FilePreviewCache &filePreviews,
    const SupportFolder &support, CommandFeedback &feedback, AlertPresenter &alerts, const Clock &clock)
    : m_model(model)
    , m_store(store)
    , m_writes(writes)
    , m_filePreviews(filePreviews)
    , m_support(support)
    , m_feedback(feedback)
    , m_alerts(alerts)
    , m_clock(clock)
{ }

void ItemCommands::deleteItems(const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return;
    const HistoryWrites::Deletion deletion = m_writes.deleteItems(items);
    if (deletion.error) {
        m_model.setLastError(deletion.error->description());
        return;
    }
    m_feedback.playSound(SoundEffect::delete_);
}

void ItemCommands::clearHistory()
{
    const bool keep = m_model.preferences().keepFavoritesOnClearHistory;
    const auto removal = m_store.clearHistory(keep);
    if (!removal) {
        m_model.setLastError(removal.error().description());
        return;
    }
    // A row the store deleted leaves the model even when the model's copy looked kept, and an item the store did
    // not report (its row was gone already, or could not be read) leaves when the rule does not keep it.
    const QSet<QUuid> reported(removal->itemIDs.cbegin(), removal->itemIDs.cend());
    QList<ClipboardItem> removed;
    QList<ClipboardItem> kept;
    for (const ClipboardItem &item : m_model.items()) {
        const bool stays = keep && (item.isFavorite || !item.tags.isEmpty()) && !reported.contains(item.id);
        (stays ? kept : removed).append(item);
    }

    // The files the cleared rows referred to: their images, link previews and icons.
    for (const QString &path : removal->assetPaths)
        m_support.removeFile(path);
    if (!keep) {
        m_support.removeDirectory(m_support.linkPreviewsDirectory());
        m_filePreviews.removeAll();
    } else {
        // Only the pictures of rows that went: an unreported item's row may still be stored and refer to them.
        for (const ClipboardItem &item : std::as_const(removed)) {
            if (reported.contains(item.id))
                m_writes.removeLinkPreviewFiles(item);
        }
        m_writes.removeFilePreviews(removed, kept);
    }
    QSet<QUuid> removedIDs;
    for (const ClipboardItem &item : std::as_const(removed))
        removedIDs.insert(item.id);
    m_model.removeItems(removedIDs);
}

bool ItemCommands::confirmClearHistory()
{
    const AppPreferences &preferences = m_model.preferences();
    if (!preferences.warnOnClearHistory)
        return true;
    const QString informative = preferences.keepFavoritesOnClearHistory
        ? localized(QStringLiteral("This will delete all history items except favorites and tagged items. This "
                                   "action cannot be undone."))
        : localized(QStringLiteral("This will delete all history items including favorites and tagged items. This "
                                   "action cannot be undone."));
    return m_alerts.confirm(localized(QStringLiteral("Are you sure you want to clear the entire history?")),
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
    const QDateTime now = m_clock.now();

    // One item per line; a line that repeats an earlier one, or what a loaded item holds, makes no second item of
    // the same content (the loaded one hands its favourite, tags and title on and goes).
    QList<ClipboardItem> created;
    QList<ClipboardItem> replaced;
    QSet<QString> seen;
    for (const QString &line : lines) {
        ClipboardItem part = newTextItem(line, item, now).refreshingSearchText({});
        // Each line copied a millisecond before the one above it: the list, which shows the later copy first, and
        // the store, which loads by copy time, keep them in the order of the lines.
        part.copiedAt = now.addMSecs(-created.size());
        const QString key = part.kind.rawValue() + QLatin1Char('\n') + part.contentKey();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        QList<ClipboardItem> duplicates = m_writes.duplicatesOf(part);
        duplicates.removeIf([&](const ClipboardItem &duplicate) { return duplicate.id == item.id; });
        created.append(m_writes.inheritingFrom(part, duplicates));
        replaced.append(duplicates);
    }

    // Stored in line order; a failure keeps what was stored before it, and that is what the list shows.
    std::optional<HistoryStoreError> failure;
    QList<ClipboardItem> stored;
    for (const ClipboardItem &part : std::as_const(created)) {
        if (auto written = m_store.upsert(part); !written) {
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
        const HistoryWrites::Deletion deletion = m_writes.deleteItems(replaced);
        if (!failure && deletion.error)
            failure = deletion.error;

        m_model.setItems(stored + m_model.items());
        QList<QUuid> ids;
        for (const ClipboardItem &part : std::as_const(stored))
            ids.append(part.id);
        m_model.setSelectedItemID(ids.first());
        m_model.setSelectedItemIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
        m_model.setSelectedItemIDsInSelectionOrder(ids);
        m_model.trimItems(m_model.preferences().maxHistoryItems);
    }
    if (failure)
        m_model.setLastError(failure->description());
}

ClipboardItem ItemCommands::newTextItem(const QString &text, const ClipboardItem &source, const QDateTime &now) const
{
    ClipboardItem made;
    made.id = QUuid::createUuid();
    made.kind = ClipboardKind::detect(text, m_model.preferences().treatDigitNumbersAsColor);
    made.text = text;
    made.sourceAppName = source.sourceAppName;
    made.sourceBundleIdentifier = source.sourceBundleIdentifier;
    made.copiedAt = now;
    made.firstCopiedAt = now;
    made.byteSize = text.toUtf8().size();
    made.copyCount = 0;
    return made;
}

void ItemCommands::toggleFavorite(const ClipboardItem &item)
{
    const bool favorite = !item.isFavorite;
    if (auto updated = m_writes.update(item, [&](ClipboardItem &c) { c.isFavorite = favorite; }); !updated)
        m_model.setLastError(updated.error().description());
}

void ItemCommands::setFavorite(bool favorite, const QList<ClipboardItem> &items)
{
    for (const ClipboardItem &item : items) {
        if (item.isFavorite == favorite)
            continue;
        if (auto updated = m_writes.update(item, [&](ClipboardItem &c) { c.isFavorite = favorite; }); !updated) {
            m_model.setLastError(updated.error().description());
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
    if (auto updated = m_writes.update(item, [&](ClipboardItem &c) { c.title = trimmed; }); !updated)
        m_model.setLastError(updated.error().description());
}

void ItemCommands::editItem(const ClipboardItem &item, const QString &text)
{
    if (!item.kind.isTextLike()) {
        m_model.setLastError(localized(QStringLiteral("%@ cannot be edited."), {item.kind.title()}));
        return;
    }
    if (TextUtilities::isBlank(text)) {
        // Nothing left: the item goes, with its files.
        const HistoryWrites::Deletion deletion = m_writes.deleteItems({item});
        if (deletion.error)
            m_model.setLastError(deletion.error->description());
        return;
    }
    // The same text leaves the item as it is (a rich text keeps its formatting), back in the list if it had left it.
    if (replaceText(
            item, [&](const QString &) { return text; }, true)) {
        m_model.trimItems(m_model.preferences().maxHistoryItems); // it may have come back to the list
        return;
    }
    // The item left the history while it was being edited: the text is not lost, it comes back as a new item.
    if (const auto failure = m_writes.addNewItem(newTextItem(text, item, m_clock.now())))
        m_model.setLastError(failure->description());
}

void ItemCommands::transformItem(const ClipboardItem &item, ClipboardTextTransform transform)
{
    if (!item.kind.isTextLike() || !item.text) {
        m_model.setLastError(localized(QStringLiteral("%@ cannot be transformed."), {item.kind.title()}));
        return;
    }
    replaceText(item, [&](const QString &old) { return transform.apply(old); });
}

bool ItemCommands::replaceText(
    const ClipboardItem &item, const std::function<QString(const QString &)> &newText, bool keepsItemForSameText)
{
    const bool digitsAsColor = m_model.preferences().treatDigitNumbersAsColor;
    std::optional<LinkPreviewDetails> droppedPreview;
    const auto updated = m_writes.update(item, [&](ClipboardItem &c) {
        QString text = newText(c.text.value_or(QString()));
        if (keepsItemForSameText && c.text == text)
            return;
        const QString oldKey = c.contentKey();
        const bool wasRichText = c.kind == ClipboardKind::richText;
        c.text = std::move(text);
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
        m_model.setLastError(updated.error().description());
        return true;
    }
    if (!*updated)
        return false;
    // The pictures of a dropped preview go once the item no longer refers to them.
    if (droppedPreview) {
        ClipboardItem previous = item;
        previous.linkPreviewDetails = droppedPreview;
        m_writes.removeLinkPreviewFiles(previous);
    }
    return true;
}

void ItemCommands::removeUnusedFilePreviews()
{
    QSet<QString> filePaths;
    for (const ClipboardItem &item : m_model.items()) {
        for (const QString &path : item.filePaths)
            filePaths.insert(path);
    }
    m_filePreviews.removePreviewsExcept(filePaths);
}
