// What searching the history costs on the GUI thread: the suggestions for "e", "te" and "é" among 200 source
// applications and 200 tags; one keystroke in the toolbar's search field (the text reported, the suggestions
// built and shown under the field, the field's width), with the history of 5,000 items behind it but without the
// search itself, which waits for a pause in typing; and that debounced search, the model filtering the history and
// the list rebuilt from the result, at 5,000 and 100,000 items.

#include "AppModel.h"
#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryToolbarView.h"
#include "SearchSuggestionsPopup.h"
#include "SyntheticHistory.h"

#include <QApplication>
#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

QList<HistorySourceApplication> manyApplications()
{
    QList<HistorySourceApplication> applications;
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("%1 Édition %2").arg(i % 3 == 0 ? u"Text"_qs : u"Viewer"_qs).arg(i);
        applications.append(HistorySourceApplication {QStringLiteral("org.example.app%1").arg(i), name, std::nullopt});
    }
    return applications;
}

QList<Tag> manyTags()
{
    QList<Tag> tags;
    for (int i = 0; i < 200; ++i)
        tags.append(Tag {i + 1, QStringLiteral("%1 %2").arg(i % 2 ? u"Projet"_qs : u"Team"_qs).arg(i), u"#3B85ED"_qs});
    return tags;
}

void BM_Suggestions(benchmark::State &state)
{
    static const QStringList queries = {u"e"_qs, u"te"_qs, u"é"_qs};
    const QString query = queries.at(state.range(0));
    state.SetLabel(query.toStdString());
    const QList<HistorySourceApplication> applications = manyApplications();
    const QList<Tag> tags = manyTags();
    QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::gray);
    qint64 lookups = 0;
    qint64 builds = 0;
    for (auto _ : state) {
        const QList<SearchSuggestion> suggestions = buildSearchSuggestions(
            query, tags, applications, {}, HistoryToolbarView::suggestionLimit, [&](const HistorySourceApplication &) {
                ++lookups;
                return icon;
            });
        benchmark::DoNotOptimize(suggestions);
        ++builds;
    }
    // Icons are looked up only for the applications offered: at most 8 a build.
    state.counters["icon lookups per build"] = double(lookups) / double(qMax<qint64>(builds, 1));
}
BENCHMARK(BM_Suggestions)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Takes the toolbar's reports as the window's controller does on a keystroke: the text is kept for later.
struct PendingSearch final : HistoryToolbarDelegate
{
    void searchQueryDidChange(const QString &query) override { pending = query; }
    void setContentTypeFilter(HistoryFilterContentType, bool) override { }
    void setTagFilter(qint64, bool) override { }
    void setSourceApplicationFilter(const QString &, bool) override { }
    void clearTagFilter() override { }
    void clearSourceApplicationFilter() override { }
    void clearFilters() override { }
    void selectSortOption(HistorySortOption) override { }
    void toggleSortOrder() override { }
    void pasteSelectedItems() override { }
    void copySelectedItems() override { }
    void openSelectedItemInBrowser() override { }
    void copyTextFromSelectedImage() override { }
    void copyTextFromSelectedQRCode() override { }
    void mergeSelectedItems() override { }
    void togglePin() override { }
    void toggleCopySequenceMode() override { }
    void showCommandPalette() override { }
    void moveListSelection(HistorySelectionDirection) override { }
    QString pending;
};

void BM_Keystroke(benchmark::State &state)
{
    QWidget window;
    window.resize(620, 700);
    HistoryToolbarView toolbar({}, {}, &window);
    toolbar.setGeometry(0, 0, 620, 52);
    History list(&window);
    list.setGeometry(0, 52, 620, 648);
    HistoryUpdate update;
    update.items = historyOf(5000);
    update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
    list.update(std::move(update));
    PendingSearch delegate;
    toolbar.setDelegate(&delegate);
    HistoryToolbarFilters filters;
    filters.sourceApplications = manyApplications();
    filters.tags = manyTags();
    toolbar.setFilters(filters);
    window.show();
    QCoreApplication::processEvents();
    toolbar.focusSearchField();
    SearchTokenTextField &text = toolbar.searchField().textField();
    text.insert(u"t"_qs);
    QCoreApplication::processEvents();
    // Each keystroke types "e" after the "t" or takes it away again: both are edits the field reports.
    for (auto _ : state) {
        if (text.text().endsWith(u'e'))
            text.backspace();
        else
            text.insert(u"e"_qs);
    }
    state.counters["popup shown"] = toolbar.suggestionsPopup().isVisible() ? 1 : 0;
    toolbar.setDelegate(nullptr);
}
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMicrosecond);

void BM_DebouncedSearch(benchmark::State &state)
{
    AppModel model;
    model.setItems(historyOf(int(state.range(0))));
    History list;
    list.resize(620, 648);
    list.show();
    // The window opened with the whole history, as it does before the user types.
    HistoryUpdate all;
    all.modelItems = historyItemsOf(model);
    all.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
    list.update(std::move(all));
    QCoreApplication::processEvents();
    // A new query each time, as typing gives, so each run filters and rebuilds for real.
    static const QStringList queries = {u"ka"_qs, u"ver lo"_qs, u"mi"_qs, u"ta"_qs, u"su ne"_qs, u"bel"_qs, u"go"_qs,
        u"ri"_qs, u"or"_qs, u"ix"_qs, u"ja"_qs, u"ph"_qs, u"dré"_qs, u"Sch"_qs, u"Qu"_qs, u"lo"_qs};
    int n = 0;
    qint64 shown = 0;
    for (auto _ : state) {
        model.setSearchQuery(queries.at(n++ % queries.size()));
        HistoryUpdate update;
        update.modelItems = historyItemsOf(model);
        update.searchQuery = model.searchQuery();
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        shown = update.modelItems.size();
        list.update(std::move(update));
    }
    state.counters["items shown"] = double(shown);
}
BENCHMARK(BM_DebouncedSearch)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The model's share of it: the history narrowed by the search text, typed over the whole history shown.
void BM_SearchFilter(benchmark::State &state)
{
    AppModel model;
    model.setItems(historyOf(int(state.range(0))));
    benchmark::DoNotOptimize(model.visibleItems());
    static const QStringList queries = {u"ka"_qs, u"ver lo"_qs};
    int n = 0;
    for (auto _ : state) {
        model.setSearchQuery(queries.at(n++ % 2));
        benchmark::DoNotOptimize(model.visibleItems());
    }
}
BENCHMARK(BM_SearchFilter)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
