// Resident memory of the real program with a stored history: right after it has started and loaded the history,
// and once its history window is open. The histories: 5,000 ordinary items, and one text of 10 or 50 MiB on a single
// line (the worst case for titles and previews). The figures are the settled VmRSS and the peak (VmHWM), in MiB;
// for a large text the budget is three times the text's size plus 80 MiB.

#include "ClipboardItem.h"
#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"

#include "RunningProgram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

constexpr qint64 mebibyte = 1024 * 1024;

QString supportDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2");
}

// The program and this benchmark share the XDG folders of the run; each case starts from an empty history.
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

// Stores the items; answers the store's error, if it fails.
std::optional<QString> store(const QList<ClipboardItem> &items)
{
    QDir().mkpath(supportDirectory());
    SQLiteHistoryStore store(supportDirectory());
    const auto written = store.upsertItems(items);
    if (!written)
        return written.error().description();
    return std::nullopt;
}

double mebibytes(qint64 kibibytes)
{
    return double(kibibytes) / 1024.0;
}

// Starts the program on the stored history and records its memory before and after the history window opens.
void measure(benchmark::State &state, qsizetype itemCount)
{
    for (auto _ : state) {
        // The program says when it has started and loaded the history. It runs without a session bus, so that no
        // copy running elsewhere on the desktop is asked to show itself instead.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("varnisto.app.info=true"));
        RunningProgram program(QStringLiteral(VARNISTO_PROGRAM), environment);
        if (!program.waitForStarted()
            || !program.waitForLog(QStringLiteral("started with %1 items").arg(itemCount), 1, 120000)) {
            std::cerr << "Varnisto's output:\n" << program.log().toStdString() << std::endl;
            state.SkipWithError("the program did not start");
            return;
        }
        const auto started = program.settledResidentKiB();
        const auto startedPeak = program.statusKiB("VmHWM");
        QElapsedTimer opening;
        opening.start();
        if (!started || !startedPeak || !program.openHistoryWindow(QStringLiteral("Clipboard History"), 300000)) {
            state.SkipWithError("the history window did not open");
            return;
        }
        const double openingMs = double(opening.elapsed());
        const auto shown = program.settledResidentKiB();
        const auto shownPeak = program.statusKiB("VmHWM");
        if (!shown || !shownPeak) {
            state.SkipWithError("the program ended with its window open");
            return;
        }
        state.counters["started_RSS_MiB"] = mebibytes(*started);
        state.counters["started_HWM_MiB"] = mebibytes(*startedPeak);
        state.counters["window_RSS_MiB"] = mebibytes(*shown);
        state.counters["window_HWM_MiB"] = mebibytes(*shownPeak);
        state.counters["window_open_ms"] = openingMs;
        program.terminate();
    }
}

void ordinaryItems(benchmark::State &state)
{
    prepareFolders();
    QRandomGenerator random(42);
    const QDateTime now = QDateTime::currentDateTime();
    QList<ClipboardItem> items;
    constexpr qsizetype count = 5000;
    for (qsizetype n = 0; n < count; ++n) {
        // Mostly a line or a short paragraph; now and then a longer text of several lines.
        const qsizetype length = n % 50 == 0 ? 20000 : 20 + random.bounded(400);
        items.append(textItem(
            wordsText(random, length, n % 3 == 0 ? QLatin1Char('\n') : QLatin1Char(' ')), now.addSecs(-60 * (n + 1))));
    }
    if (const auto error = store(items)) {
        state.SkipWithError(error->toStdString().c_str());
        return;
    }
    measure(state, count);
}

void oneLargeText(benchmark::State &state)
{
    prepareFolders();
    QRandomGenerator random(7);
    const qint64 size = state.range(0) * mebibyte;
    // One line: the whole text is the first line.
    if (const auto error = store({textItem(wordsText(random, size), QDateTime::currentDateTime())})) {
        state.SkipWithError(error->toStdString().c_str());
        return;
    }
    measure(state, 1);
    state.counters["text_MiB"] = double(size) / double(mebibyte);
    state.counters["budget_MiB"] = 3.0 * double(size) / double(mebibyte) + 80.0;
}

} // namespace

BENCHMARK(ordinaryItems)->Name("Memory/5000OrdinaryItems")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(oneLargeText)->Name("Memory/OneLargeTextMiB")->Arg(10)->Arg(50)->Iterations(1)->Unit(benchmark::kMillisecond);
