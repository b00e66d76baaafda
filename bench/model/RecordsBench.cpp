#include "ClipboardItem.h"

#include <benchmark/benchmark.h>

namespace {

QList<QString> mixedTexts(int count)
{
    const QString samples[] = {
        QStringLiteral("Meeting notes: bring the quarterly figures and the signed contract."),
        QStringLiteral("https://example.com/articles/2024/05/clipboard-managers?ref=home#comments"),
        QStringLiteral("someone.else@example.org"),
        QStringLiteral("#3B85ED"),
        QStringLiteral("rgb(12, 200, 31)"),
        QStringLiteral("  let total = items.reduce(0) { $0 + $1.price }\n  print(total)\n"),
        QStringLiteral("123456"),
        QString::fromUtf8("Grüße aus Köln – schön, dass es klappt! 😀"),
    };
    QList<QString> texts;
    texts.reserve(count);
    for (int i = 0; i < count; ++i)
        texts.append(samples[i % std::size(samples)] + QString::number(i % 7 == 0 ? i : 0).left(i % 3));
    return texts;
}

// What the capture road and the model do for every item: detect the kind, build the search text and the key.
void BM_DetectSearchTextAndKey(benchmark::State &state)
{
    const QList<QString> texts = mixedTexts(int(state.range(0)));
    for (auto _ : state) {
        for (const QString &text : texts) {
            ClipboardItem item;
            item.kind = ClipboardKind::detect(text, true);
            item.text = text;
            item.sourceAppName = QStringLiteral("Editor");
            item = item.refreshingSearchText({QStringLiteral("work")});
            benchmark::DoNotOptimize(item.contentKey());
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DetectSearchTextAndKey)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace
