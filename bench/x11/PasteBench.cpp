// From the paste request to the text in the target window: our window has the focus, the paste gives it back to the
// text field the user was in, posts Ctrl+V, and the field reads the clipboard.

#include "PasteService.h"
#include "x11/X11KeyPoster.h"

#include "TestSupport.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {

// The CLIPBOARD selection through QClipboard, as far as pasting text needs it.
class ClipboardPasteboard final : public Pasteboard
{
public:
    qint64 changeCount() const override { return 0; }
    QStringList types() const override { return {}; }
    std::optional<QByteArray> data(const QString &) const override { return std::nullopt; }
    Expected<void, QString> write(const PasteboardContent &content) override
    {
        auto *mime = new QMimeData;
        for (const auto &[type, bytes] : content.representations()) {
            if (type == PasteboardType::plainText())
                mime->setText(QString::fromUtf8(bytes));
            else
                mime->setData(type, bytes);
        }
        QGuiApplication::clipboard()->setMimeData(mime);
        return {};
    }
};

bool bringToFront(QWidget &widget)
{
    // Activated on the user's behalf, as a task bar does: the window manager may refuse a program's own request
    // when another window had the user's input last. A window it has not taken on yet ignores the request: ask
    // again until the focus is there.
    widget.show();
    for (int attempt = 0; attempt < 10; ++attempt) {
        QProcess::execute(
            QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QString::number(widget.winId())});
        if (waitUntil([&] { return QGuiApplication::focusWindow() == widget.windowHandle(); }, 500))
            return true;
    }
    return false;
}

void pasteIntoTheWindowThatWasActive(benchmark::State &state)
{
    QLineEdit receiver;
    receiver.setGeometry(100, 100, 400, 40);
    QWidget ourWindow;
    ourWindow.setGeometry(600, 100, 300, 300);
    ClipboardPasteboard pasteboard;
    X11KeyPoster poster;
    EventLoopScheduler scheduler;
    PasteService service(pasteboard, poster, scheduler);
    if (!poster.isTrusted()) {
        state.SkipWithError("the display has no XTEST");
        return;
    }

    int round = 0;
    for (auto _ : state) {
        receiver.clear();
        if (!bringToFront(receiver)) {
            state.SkipWithError("the receiving window did not take the focus");
            return;
        }
        poster.rememberTargetWindow();
        if (!bringToFront(ourWindow)) {
            state.SkipWithError("our window did not take the focus");
            return;
        }
        ClipboardItem item;
        item.kind = ClipboardKind::text;
        item.text = QStringLiteral("Pasted text %1").arg(++round);

        QEventLoop loop;
        QObject::connect(&receiver, &QLineEdit::textChanged, &loop, [&] {
            if (receiver.text() == *item.text)
                loop.quit();
        });
        QTimer::singleShot(5000, &loop, [&] { loop.exit(1); });
        QElapsedTimer clock;
        clock.start();
        if (!service.paste(item, PasteVariant::standard)) {
            state.SkipWithError("the paste failed");
            return;
        }
        if (loop.exec() != 0) {
            state.SkipWithError("the text did not arrive");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

} // namespace

BENCHMARK(pasteIntoTheWindowThatWasActive)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
