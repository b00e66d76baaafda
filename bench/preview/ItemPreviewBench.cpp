// The item preview: from asking for it to its first paint for a 1 MB text, a 24-megapixel photo, a list of 10,000
// files and a 200-page PDF; updateItem while arrowing through 100 items of every kind; and the start of the real
// program, before and after a web page was shown in a preview (the program does no web engine work at start-up).

#include "ItemPreviewContentViews.h"
#include "ItemPreviewDialogController.h"
#include "ItemPreviewPresenter.h"
#include "RunningProgram.h"
#include "TestSupport.h"
#include "WebPagePreviews.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const bool webEnginePrepared = (prepareWebPagePreviews(), true);

QTemporaryDir &folder()
{
    static QTemporaryDir made;
    return made;
}

ClipboardItem item(int n, ClipboardKind kind)
{
    ClipboardItem made;
    made.id = QUuid::createUuidV5(QUuid(), QString::number(n));
    made.kind = kind;
    made.copiedAt = QDateTime::currentDateTime();
    made.firstCopiedAt = made.copiedAt;
    made.sourceAppName = QStringLiteral("Text Editor");
    return made;
}

QString photoPath()
{
    static const QString path = [] {
        QImage photo(6000, 4000, QImage::Format_RGB32);
        QPainter painter(&photo);
        QLinearGradient sky(0, 0, 6000, 4000);
        sky.setColorAt(0, QColor(52, 101, 164));
        sky.setColorAt(1, QColor(252, 175, 62));
        painter.fillRect(photo.rect(), sky);
        for (int i = 0; i < 400; ++i)
            painter.fillRect(
                QRect((i * 977) % 6000, (i * 613) % 4000, 90, 60), QColor::fromHsv((i * 37) % 360, 160, 220));
        painter.end();
        const QString file = folder().filePath(QStringLiteral("photo-24mp.jpg"));
        photo.save(file, "JPEG", 88);
        return file;
    }();
    return path;
}

QString pdfPath()
{
    static const QString path = [] {
        const QString file = folder().filePath(QStringLiteral("report-200.pdf"));
        QPdfWriter writer(file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(72);
        QPainter painter(&writer);
        for (int page = 0; page < 200; ++page) {
            if (page > 0)
                writer.newPage();
            painter.drawText(QRect(60, 60, 480, 40), Qt::AlignLeft, QStringLiteral("Page %1").arg(page + 1));
            for (int line = 0; line < 30; ++line)
                painter.drawText(QRect(60, 110 + line * 22, 480, 20), Qt::AlignLeft,
                    QStringLiteral("Line %1 of a long report that runs on for two hundred pages.").arg(line));
        }
        return file;
    }();
    return path;
}

ClipboardItem largeText()
{
    ClipboardItem text = item(1, ClipboardKind::text);
    QString words;
    words.reserve(1 << 20);
    int line = 0;
    while (words.size() < (1 << 20))
        words += QStringLiteral("Line %1: the quick brown fox jumps over the lazy dog, again and again.\n").arg(line++);
    text.text = words;
    text.byteSize = words.toUtf8().size();
    return text;
}

ClipboardItem fileList(int count)
{
    ClipboardItem files = item(3, ClipboardKind::file);
    for (int i = 0; i < count; ++i)
        files.filePaths.append(
            QStringLiteral("/home/someone/Pictures/Holiday/IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
    return files;
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

// From asking for the preview to its first paint.
void openToFirstPaint(benchmark::State &state, const ClipboardItem &shown)
{
    PreviewEnvironment environment;
    environment.webPagesEnabled = false;
    QWidget &host = hostWindow();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        ItemPreviewDialogPresenter presenter({}, {}, environment);
        presenter.present(shown, &host);
        const QPixmap painted = presenter.dialog()->grab();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        benchmark::DoNotOptimize(painted);
        presenter.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void BM_FirstPaintText1MB(benchmark::State &state)
{
    openToFirstPaint(state, largeText());
}
BENCHMARK(BM_FirstPaintText1MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FirstPaintPhoto24MP(benchmark::State &state)
{
    ClipboardItem photo = item(2, ClipboardKind::file);
    photo.filePaths = {photoPath()};
    openToFirstPaint(state, photo);
}
BENCHMARK(BM_FirstPaintPhoto24MP)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FirstPaintFileList10000(benchmark::State &state)
{
    openToFirstPaint(state, fileList(10000));
}
BENCHMARK(BM_FirstPaintFileList10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FirstPaintPdf200Pages(benchmark::State &state)
{
    ClipboardItem pdf = item(4, ClipboardKind::file);
    pdf.filePaths = {pdfPath()};
    openToFirstPaint(state, pdf);
}
BENCHMARK(BM_FirstPaintPdf200Pages)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// updateItem and the repaint after it, for each step down a list of 100 items of every kind.
void BM_UpdateItemArrowingThrough100(benchmark::State &state)
{
    QList<ClipboardItem> items;
    QImage small(640, 400, QImage::Format_RGB32);
    small.fill(QColor(78, 154, 6));
    const QString picture = folder().filePath(QStringLiteral("small.png"));
    small.save(picture);
    for (int i = 0; i < 100; ++i) {
        ClipboardItem next = item(100 + i, ClipboardKind::text);
        switch (i % 6) {
        case 0:
            next.text = QStringLiteral("Item %1, a few words of text.").arg(i);
            break;
        case 1:
            next.kind = ClipboardKind::color;
            next.text = QStringLiteral("#%1").arg(i * 2500, 6, 16, QLatin1Char('0'));
            break;
        case 2:
            next.kind = ClipboardKind::image;
            next.assetPath = picture;
            break;
        case 3:
            next.kind = ClipboardKind::link;
            next.text = QStringLiteral("https://example.org/%1").arg(i);
            break;
        case 4:
            next = fileList(3);
            next.id = QUuid::createUuidV5(QUuid(), QString::number(100 + i));
            break;
        default:
            next.kind = ClipboardKind::email;
            next.text = QStringLiteral("person%1@example.org").arg(i);
            break;
        }
        items.append(next);
    }
    PreviewEnvironment environment;
    environment.webPagesEnabled = false; // the link card: the engine's own page load is not the preview's work
    ItemPreviewDialogPresenter presenter({}, {}, environment);
    presenter.present(items.first(), &hostWindow());
    int index = 0;
    for (auto _ : state) {
        index = (index + 1) % int(items.size());
        QElapsedTimer timer;
        timer.start();
        presenter.updateItem(items.at(index));
        presenter.dialog()->repaint();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    presenter.close();
}
BENCHMARK(BM_UpdateItemArrowingThrough100)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// --- The program's start -------------------------------------------------------------------------------------------

// The program's children that are web engine processes.
int webEngineChildren(qint64 parent)
{
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == parent && line.contains("QtWebEngine"))
            ++count;
    }
    return count;
}

// Whether the web engine's library is in the process's memory.
bool webEngineMapped(qint64 process)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(process));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

void measureProgramStart(benchmark::State &state)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("varnisto.app.info=true"));
    int engines = 0;
    int mapped = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        RunningProgram program(QStringLiteral(VARNISTO_PROGRAM), environment);
        if (!program.waitForStarted() || !program.waitForLog(QStringLiteral("started with"), 1, 30000)) {
            state.SkipWithError("the program did not start");
            return;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        engines += webEngineChildren(program.processId());
        mapped += webEngineMapped(program.processId()) ? 1 : 0;
        program.terminate();
    }
    state.counters["webEngineProcesses"] = engines;
    state.counters["webEngineLoaded"] = mapped;
}

void BM_ProgramStart(benchmark::State &state)
{
    measureProgramStart(state);
}
BENCHMARK(BM_ProgramStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A web page shown in a preview first (the engine started here, its profile off the record), then the program.
void BM_ProgramStartAfterWebPreview(benchmark::State &state)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->readAll();
                const QByteArray body = QByteArrayLiteral("<!doctype html><title>Page</title><p>A page</p>");
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                    + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()));
    ClipboardItem link = item(5, ClipboardKind::link);
    link.text = url.toString();
    {
        QElapsedTimer timer;
        timer.start();
        ItemPreviewDialogPresenter presenter({}, {}, PreviewEnvironment {});
        presenter.present(link, &hostWindow());
        auto *page = qobject_cast<PreviewWebPageView *>(presenter.controller()->contentView());
        if (!page || !waitUntil([page] { return !page->loadingIndicator()->isVisible(); }, 30000)) {
            state.SkipWithError("the web page did not load");
            return;
        }
        state.counters["firstWebPreviewMs"] = double(timer.elapsed());
        presenter.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    measureProgramStart(state);
}
BENCHMARK(BM_ProgramStartAfterWebPreview)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
