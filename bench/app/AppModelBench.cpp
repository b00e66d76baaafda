// How long the history list takes to compute as the user types, at the default history size and at twenty
// times that: the visible items for no filter, a common one-letter query, a rare query, a type token and each
// sort option, the visible ids a list view reads, a search through a text too long to keep folded, and a capture's
// upsert. Before timing, each case is checked against the plain computation
// (search text compared without regard to case, a stable sort by sortsBefore); a difference fails the run.

#include "AppModel.h"
#include "CaseFoldedText.h"
#include "MemoryTuning.h"
#include "SyntheticText.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// The program tunes the allocator at start-up; measure under the same conditions.
const bool allocatorTuned = [] {
    tuneMemoryAllocatorForLargeLists();
    return true;
}();

const QString rareWord = QStringLiteral("Quetzalcoatl");

// A history of mixed kinds: most texts short (50 to 300 bytes), some longer (to 2 KB), a few long (to 20 KB),
// three of 5 MB; links, e-mail addresses, colours, images and files; tags, favourites, source applications and
// copy sequences here and there. The same count always gives the same history.
QList<ClipboardItem> makeHistory(int count)
{
    QRandomGenerator random {quint32(count)};
    const QStringList syllables
        = {u"ka"_qs, u"lo"_qs, u"mi"_qs, u"ne"_qs, u"su"_qs, u"ta"_qs, u"ver"_qs, u"dré"_qs, u"ü"_qs, u"Sch"_qs,
            u"ph"_qs, u"or"_qs, u"ix"_qs, u"ja"_qs, u"bel"_qs, u"go"_qs, u"ri"_qs, u"Qu"_qs, u"wy"_qs, u"em"_qs};
    const QStringList words = syntheticWords(random, syllables);
    const QStringList applications
        = {u"Firefox"_qs, u"Terminal"_qs, u"Text Editor"_qs, u"Files"_qs, u"Thunderbird"_qs, u"LibreOffice Writer"_qs,
            u"Kate"_qs, u"Konsole"_qs, u"Chromium"_qs, u"GIMP"_qs, u"Inkscape"_qs, u"Évolution"_qs};

    const QDateTime now = QDateTime(QDate(2025, 3, 1), QTime(9, 0), Qt::UTC);
    QList<ClipboardItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        ClipboardItem item;
        item.id = QUuid::createUuidV5(QUuid(), QString::number(i));
        item.copiedAt = now.addSecs(-qint64(i) * 300 - random.bounded(300));
        item.firstCopiedAt = item.copiedAt.addSecs(-random.bounded(86400 * 30));
        item.copyCount = random.bounded(1, 20);
        item.isFavorite = random.bounded(50) == 0;
        if (random.bounded(10) == 0)
            item.tags = {qint64(random.bounded(1, 6))};
        if (random.bounded(4) != 0)
            item.sourceAppName = applications.at(random.bounded(applications.size()));
        if (random.bounded(40) == 0) {
            item.copySequenceID = item.copiedAt.addSecs(-random.bounded(3));
            item.copySequenceOrder = random.bounded(4);
        }

        const int kind = random.bounded(100);
        if (kind < 55 || i < 3) {
            item.kind = kind < 45 ? ClipboardKind::text : ClipboardKind::richText;
            const int band = random.bounded(100);
            qsizetype length = band < 80 ? random.bounded(50, 300)
                : band < 95              ? random.bounded(300, 2048)
                                         : random.bounded(2048, 20480);
            if (i < 3)
                length = 5 * 1024 * 1024;
            item.text = syntheticText(random, words, length);
            if (item.kind == ClipboardKind::richText)
                item.html = u"<p>"_qs + *item.text + u"</p>"_qs;
        } else if (kind < 70) {
            item.kind = ClipboardKind::link;
            item.text = u"https://"_qs + words.at(random.bounded(words.size())) + u".example.org/"_qs
                + words.at(random.bounded(words.size())) + u'/' + QString::number(i);
        } else if (kind < 75) {
            item.kind = ClipboardKind::email;
            item.text = words.at(random.bounded(words.size())) + u'@' + words.at(random.bounded(words.size()))
                + u".example"_qs;
        } else if (kind < 80) {
            item.kind = ClipboardKind::color;
            item.text = u'#' + QString::number(random.bounded(0x1000000), 16).rightJustified(6, u'0').toUpper();
        } else if (kind < 88) {
            item.kind = ClipboardKind::image;
            item.assetPath = u"/tmp/varnisto-bench/Images/"_qs + QString::number(i) + u".png"_qs;
            // Recognised text; images without any share one content key and would replace one another.
            item.text
                = u"Screenshot "_qs + QString::number(i) + u' ' + syntheticText(random, words, random.bounded(0, 200));
        } else {
            item.kind = ClipboardKind::file;
            const QStringList extensions = {u"png"_qs, u"pdf"_qs, u"txt"_qs, u"jpg"_qs, u"odt"_qs};
            for (int p = random.bounded(1, 3); p > 0; --p)
                item.filePaths.append(u"/home/user/Documents/"_qs + words.at(random.bounded(words.size())) + u'.'
                    + extensions.at(random.bounded(extensions.size())));
        }
        if (item.text && random.bounded(2000) == 0)
            item.text = *item.text + u' ' + rareWord;
        item.byteSize = item.text ? item.text->toUtf8().size() : 1000 + random.bounded(5000000);
        items.append(item.refreshingSearchText({}));
    }
    return items;
}

// One model per history size, kept for the whole run.
AppModel &modelOf(int count)
{
    static std::map<int, std::unique_ptr<AppModel>> models;
    auto &model = models[count];
    if (!model) {
        model = std::make_unique<AppModel>();
        model->setItems(makeHistory(count));
    }
    return *model;
}

struct Settings
{
    QString query;
    QSet<HistoryFilterContentType> types;
    HistorySortOption option = HistorySortOption::lastCopyTime;
};

void apply(AppModel &model, const Settings &settings)
{
    model.setSearchQuery(settings.query);
    model.setSelectedHistoryFilterContentTypes(settings.types);
    model.setHistorySortOption(settings.option);
    model.setHistorySortReversed(false);
}

// The plain computation, for the text and kind filters that the cases below use.
QList<ClipboardItem> plainFilteredItems(const AppModel &model)
{
    const QString query = model.searchQuery().trimmed();
    const auto &types = model.selectedHistoryFilterContentTypes();
    QList<ClipboardItem> result;
    for (const ClipboardItem &item : model.items()) {
        if (types.contains(HistoryFilterContentType::links) && item.kind != ClipboardKind::link)
            continue;
        if (!query.isEmpty() && !item.searchText.contains(query, Qt::CaseInsensitive))
            continue;
        result.append(item);
    }
    std::stable_sort(result.begin(), result.end(),
        [&](const ClipboardItem &a, const ClipboardItem &b) { return model.sortsBefore(a, b); });
    return result;
}

void runFiltered(benchmark::State &state, const Settings &settings)
{
    AppModel &model = modelOf(int(state.range(0)));
    apply(model, settings);
    const QList<ClipboardItem> result = model.filteredItems(); // also fills the per-item cache
    if (result != plainFilteredItems(model)) {
        state.SkipWithError("the visible items differ from the plain computation");
        return;
    }
    for (auto _ : state) {
        QList<ClipboardItem> visible = model.filteredItems();
        benchmark::DoNotOptimize(visible);
    }
    state.counters["visible"] = double(result.size());
}

void BM_FilteredNoFilter(benchmark::State &state)
{
    runFiltered(state, {});
}
void BM_FilteredCommonLetter(benchmark::State &state)
{
    runFiltered(state, {u"e"_qs, {}, HistorySortOption::lastCopyTime});
}
void BM_FilteredRareQuery(benchmark::State &state)
{
    runFiltered(state, {u"quetzalcoatl"_qs, {}, HistorySortOption::lastCopyTime});
}
void BM_FilteredTypeToken(benchmark::State &state)
{
    runFiltered(state, {QString(), {HistoryFilterContentType::links}, HistorySortOption::lastCopyTime});
}
void BM_FilteredTypeTokenAndQuery(benchmark::State &state)
{
    runFiltered(state, {u"ka"_qs, {HistoryFilterContentType::links}, HistorySortOption::lastCopyTime});
}
void BM_FilteredSortFirstCopyTime(benchmark::State &state)
{
    runFiltered(state, {QString(), {}, HistorySortOption::firstCopyTime});
}
void BM_FilteredSortNumberOfCopies(benchmark::State &state)
{
    runFiltered(state, {QString(), {}, HistorySortOption::numberOfCopies});
}
void BM_FilteredSortSize(benchmark::State &state)
{
    runFiltered(state, {QString(), {}, HistorySortOption::size});
}

// What a list view reads on each change: the visible ids, no item copied.
void runVisibleIDs(benchmark::State &state, const Settings &settings)
{
    AppModel &model = modelOf(int(state.range(0)));
    apply(model, settings);
    QList<QUuid> expected;
    for (const ClipboardItem &item : plainFilteredItems(model))
        expected.append(item.id);
    if (model.visibleItemIDs() != expected) {
        state.SkipWithError("the visible ids differ from the plain computation");
        return;
    }
    for (auto _ : state) {
        QList<QUuid> ids = model.visibleItemIDs();
        benchmark::DoNotOptimize(ids);
    }
    state.counters["visible"] = double(expected.size());
}

void BM_VisibleIDsNoFilter(benchmark::State &state)
{
    runVisibleIDs(state, {});
}
void BM_VisibleIDsCommonLetter(benchmark::State &state)
{
    runVisibleIDs(state, {u"e"_qs, {}, HistorySortOption::lastCopyTime});
}

// A search through a history that holds one text too long to keep folded (40 MB): that text is folded as it is
// searched, on every query.
void BM_FilteredRareQueryWithAHugeText(benchmark::State &state)
{
    static AppModel model;
    if (model.items().isEmpty()) {
        QList<ClipboardItem> items = makeHistory(int(state.range(0)));
        ClipboardItem huge = items.at(3);
        QRandomGenerator random(1);
        const QStringList words = {u"Alpha"_qs, u"beta"_qs, u"Gamma"_qs, u"delta"_qs};
        huge.text = syntheticText(random, words, CaseFoldedText::foldWhileSearchingAbove + 4 * 1024 * 1024);
        items[3] = huge.refreshingSearchText({});
        model.setItems(items);
    }
    apply(model, {u"quetzalcoatl"_qs, {}, HistorySortOption::lastCopyTime});
    if (model.visibleItemIDs().size() != qsizetype(plainFilteredItems(model).size())) {
        state.SkipWithError("the visible items differ from the plain computation");
        return;
    }
    for (auto _ : state) {
        QList<QUuid> ids = model.visibleItemIDs();
        benchmark::DoNotOptimize(ids);
    }
}

// The first search after the history was loaded: every search text is folded once.
void BM_FilteredFirstQueryAfterLoading(benchmark::State &state)
{
    AppModel &model = modelOf(int(state.range(0)));
    apply(model, {u"quetzalcoatl"_qs, {}, HistorySortOption::lastCopyTime});
    const QList<ClipboardItem> items = model.items();
    for (auto _ : state) {
        state.PauseTiming();
        model.setItems(QList<ClipboardItem>());
        model.setItems(items);
        state.ResumeTiming();
        QList<ClipboardItem> visible = model.filteredItems();
        benchmark::DoNotOptimize(visible);
    }
}

// A capture that repeats an older copy: the older item gives way, the new one goes to the front.
void BM_UpsertRepeatedCopy(benchmark::State &state)
{
    AppModel model;
    model.setItems(makeHistory(int(state.range(0))));
    model.upsertItem(model.items().last()); // the content keys of all items are cached from here on
    int next = 0;
    for (auto _ : state) {
        ClipboardItem repeated = model.items().at(model.items().size() / 2);
        repeated.id = QUuid::createUuidV5(QUuid(), u"repeat "_qs + QString::number(next++));
        model.upsertItem(repeated);
    }
    state.counters["items"] = double(model.items().size());
}

// A capture of new content, then the trim to the history limit, as the coordinator does it.
void BM_UpsertNewCopyAndTrim(benchmark::State &state)
{
    AppModel model;
    const int count = int(state.range(0));
    model.setItems(makeHistory(count));
    model.upsertItem(model.items().last());
    int next = 0;
    for (auto _ : state) {
        ClipboardItem item;
        item.id = QUuid::createUuidV5(QUuid(), u"new "_qs + QString::number(next));
        item.text = u"a new capture "_qs + QString::number(next++);
        item.copiedAt = item.firstCopiedAt = QDateTime::currentDateTimeUtc();
        model.upsertItem(item.refreshingSearchText({}));
        model.trimItems(count);
    }
    state.counters["items"] = double(model.items().size());
}

} // namespace

#define HISTORY_SIZES Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond)

BENCHMARK(BM_FilteredNoFilter)->HISTORY_SIZES;
BENCHMARK(BM_FilteredCommonLetter)->HISTORY_SIZES;
BENCHMARK(BM_FilteredRareQuery)->HISTORY_SIZES;
BENCHMARK(BM_FilteredTypeToken)->HISTORY_SIZES;
BENCHMARK(BM_FilteredTypeTokenAndQuery)->HISTORY_SIZES;
BENCHMARK(BM_FilteredSortFirstCopyTime)->HISTORY_SIZES;
BENCHMARK(BM_FilteredSortNumberOfCopies)->HISTORY_SIZES;
BENCHMARK(BM_FilteredSortSize)->HISTORY_SIZES;
BENCHMARK(BM_VisibleIDsNoFilter)->HISTORY_SIZES;
BENCHMARK(BM_VisibleIDsCommonLetter)->HISTORY_SIZES;
BENCHMARK(BM_FilteredRareQueryWithAHugeText)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilteredFirstQueryAfterLoading)->HISTORY_SIZES->Iterations(3);
BENCHMARK(BM_UpsertRepeatedCopy)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpsertNewCopyAndTrim)->Arg(5000)->Unit(benchmark::kMicrosecond);
