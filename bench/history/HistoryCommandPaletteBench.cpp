// How long the history window's command palettes take: opening the actions for a selected text and the picker of
// the 74 transforms, each up to its first paint (the list built, the palette made over a window-sized panel and
// painted once), and one keystroke in the transform picker (the query changes by a letter: the commands filtered,
// the rows laid out and painted again).

#include "CommandPalette.h"
#include "HistoryCommandPaletteCommands.h"
#include "HistoryCommandPalettePickers.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QUuid>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

ClipboardItem selectedText()
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = QStringLiteral("The quick brown fox\njumps over the lazy dog");
    return item;
}

HistoryCommandPaletteContext context()
{
    HistoryCommandPaletteContext context;
    context.pasteTargetName = QStringLiteral("Text Editor");
    context.pasteTargetIcon = QImage(22, 22, QImage::Format_ARGB32_Premultiplied);
    context.pasteTargetIcon.fill(Qt::darkCyan);
    return context;
}

// The palette over a panel of the window's default size, shown and painted once.
void openAndPaint(QWidget &panel, QList<CommandPaletteCommand> commands, QSize size, const QString &placeholder)
{
    auto palette
        = std::make_unique<CommandPalette>(std::move(commands), size, placeholder, QStringLiteral("cmd+k"), &panel);
    palette->move((panel.width() - size.width()) / 2, 60);
    palette->show();
    const QPixmap painted = palette->grab();
    benchmark::DoNotOptimize(painted.cacheKey());
}

void BM_OpenActionsPalette(benchmark::State &state)
{
    QWidget panel;
    panel.resize(620, 700);
    panel.show();
    const QList<ClipboardItem> selection {selectedText()};
    const HistoryCommandPaletteContext made = context();
    for (auto _ : state) {
        openAndPaint(panel, HistoryCommandPaletteCommands::makeCommandPaletteCommands(selection, made, {}),
            QSize(400, 450), QStringLiteral("Search for actions..."));
    }
}
BENCHMARK(BM_OpenActionsPalette)->Unit(benchmark::kMillisecond);

void BM_OpenTransformPicker(benchmark::State &state)
{
    QWidget panel;
    panel.resize(620, 700);
    panel.show();
    const QUuid id = QUuid::createUuid();
    for (auto _ : state) {
        openAndPaint(panel, HistoryCommandPalettePickers::makeTransformCommands(id, {}), QSize(400, 460),
            QStringLiteral("Search for transforms..."));
    }
}
BENCHMARK(BM_OpenTransformPicker)->Unit(benchmark::kMillisecond);

// One letter more or less in the query, in turn: "c" matches most of the transforms, "ca" fewer.
void BM_TransformPickerKeystroke(benchmark::State &state)
{
    QWidget panel;
    panel.resize(620, 700);
    panel.show();
    CommandPalette palette(HistoryCommandPalettePickers::makeTransformCommands(QUuid::createUuid(), {}),
        QSize(400, 460), QStringLiteral("Search for transforms..."), QStringLiteral("cmd+k"), &panel);
    palette.show();
    palette.searchField().setText(QStringLiteral("c"));
    bool longer = true;
    for (auto _ : state) {
        palette.searchField().setText(longer ? QStringLiteral("ca") : QStringLiteral("c"));
        longer = !longer;
        const QPixmap painted = palette.grab();
        benchmark::DoNotOptimize(painted.cacheKey());
    }
    state.counters["rows"] = double(palette.rows().size());
}
BENCHMARK(BM_TransformPickerKeystroke)->Unit(benchmark::kMillisecond);

} // namespace
