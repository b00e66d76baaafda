// Editing in the item preview: the work of one keystroke in a 100 KB and a 1 MB text, from the key press to the
// editor's repaint, with everything the preview does on each change (the live character count and size, the
// Restore item's state). The goal is one frame (16 ms) at 1 MB. A plain text of words and lines, the same with
// accented and non-Latin words, which take the slower way through the character count, and a text of one line.

#include "ItemPreviewDialogController.h"
#include "ItemPreviewPresenter.h"
#include "SyntheticText.h"
#include "TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

enum class Shape { lines, internationalLines, oneLine };

QString text(qsizetype length, Shape shape)
{
    const bool international = shape == Shape::internationalLines;
    QRandomGenerator random(7);
    QStringList syllables = {QStringLiteral("ka"), QStringLiteral("lo"), QStringLiteral("mi"), QStringLiteral("ren"),
        QStringLiteral("sto"), QStringLiteral("va"), QStringLiteral("nis"), QStringLiteral("tu")};
    if (international) {
        syllables += {QStringLiteral("ü"), QStringLiteral("ré"), QStringLiteral("ñe"), QStringLiteral("e\u0301"),
            QStringLiteral("文字"), QStringLiteral("ひら"), QStringLiteral("\U0001F600")};
    }
    QString made = syntheticText(random, syntheticWords(random, syllables), length);
    if (shape == Shape::oneLine)
        made.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return made;
}

QWidget &hostWindow()
{
    static QWidget *host = [] {
        auto *window = new QWidget;
        window->resize(1600, 1100);
        window->show();
        waitUntil([window] { return window->isVisible(); });
        return window;
    }();
    return *host;
}

void keystroke(benchmark::State &state, Shape shape)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = text(state.range(0), shape);
    item.byteSize = item.text->toUtf8().size();
    item.copiedAt = QDateTime::currentDateTime();
    item.firstCopiedAt = item.copiedAt;

    PreviewEnvironment environment;
    environment.webPagesEnabled = false;
    ItemPreviewDialogPresenter presenter({}, {}, environment);
    presenter.present(item, &hostWindow());
    presenter.beginEditing(false);
    QPlainTextEdit *editor = presenter.controller()->editingTextView();
    if (!editor) {
        state.SkipWithError("no editor");
        return;
    }
    // Typing in the middle of the text, where the editor shows it.
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(int(item.text->size() / 2));
    editor->setTextCursor(cursor);
    editor->centerCursor();
    QCoreApplication::processEvents();

    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, QStringLiteral("e"));
        QApplication::sendEvent(editor, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_E, Qt::NoModifier, QStringLiteral("e"));
        QApplication::sendEvent(editor, &release);
        editor->viewport()->repaint();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    state.counters["characters"] = double(editor->document()->characterCount());
    presenter.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_KeystrokeWhileEditing(benchmark::State &state)
{
    keystroke(state, Shape::lines);
}
BENCHMARK(BM_KeystrokeWhileEditing)
    ->Arg(100 * 1024)
    ->Arg(1024 * 1024)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

void BM_KeystrokeWhileEditingInternationalText(benchmark::State &state)
{
    keystroke(state, Shape::internationalLines);
}
BENCHMARK(BM_KeystrokeWhileEditingInternationalText)
    ->Arg(100 * 1024)
    ->Arg(1024 * 1024)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

// A text without line breaks, which the editor shows in pieces so that a keystroke lays out one of them.
void BM_KeystrokeWhileEditingOneLine(benchmark::State &state)
{
    keystroke(state, Shape::oneLine);
}
BENCHMARK(BM_KeystrokeWhileEditingOneLine)
    ->Arg(100 * 1024)
    ->Arg(1024 * 1024)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace
