#include "StoredHistory.h"

#include "ClipboardItem.h"
#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QStringList &words()
{
    static const QStringList list = QStringLiteral(
        "the quick Brown fox jumps over lazy dog Varnisto keeps every Copy in its history search finds Texts "
        "links images and files quickly Lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod")
                                        .split(QLatin1Char(' '));
    return list;
}

// Words drawn from a fixed seed, so every run stores the same texts.
QString wordsText(QRandomGenerator &random, qsizetype length, QChar separator = QLatin1Char(' '))
{
    QString text;
    text.reserve(length + 16);
    while (text.size() < length) {
        if (!text.isEmpty())
            text += separator;
        text += words().at(random.bounded(qsizetype(words().size())));
    }
    text.truncate(length);
    return text;
}

ClipboardItem textItem(const QString &text, const QDateTime &copiedAt)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = text;
    item.sourceAppName = QStringLiteral("Editor");
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.byteSize = text.toUtf8().size();
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

std::optional<QString> store(const QList<ClipboardItem> &items)
{
    QDir().mkpath(StoredHistory::supportDirectory());
    SQLiteHistoryStore store(StoredHistory::supportDirectory());
    const auto written = store.upsertItems(items);
    if (!written)
        return written.error().description();
    return std::nullopt;
}

} // namespace

namespace StoredHistory {

QString supportDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2");
}

void prepareFolders()
{
    QDir(supportDirectory()).removeRecursively();
    const QString settingsFile = QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
                                     .fileName();
    QFile::remove(settingsFile);
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = true;
    preferences.soundEffectsEnabled = false;
    PreferencesStore(settingsFile).save(preferences);
}

std::optional<QString> storeOrdinaryItems(qsizetype count)
{
    QRandomGenerator random(42);
    const QDateTime now = QDateTime::currentDateTime();
    QList<ClipboardItem> items;
    for (qsizetype n = 0; n < count; ++n) {
        const qsizetype length = n % 50 == 0 ? 20000 : 20 + random.bounded(400);
        items.append(textItem(
            wordsText(random, length, n % 3 == 0 ? QLatin1Char('\n') : QLatin1Char(' ')), now.addSecs(-60 * (n + 1))));
    }
    return store(items);
}

std::optional<QString> storeOneLargeText(qint64 size)
{
    QRandomGenerator random(7);
    // One line: the whole text is the first line.
    return store({textItem(wordsText(random, size), QDateTime::currentDateTime())});
}

} // namespace StoredHistory
