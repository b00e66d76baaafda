#include "AppModel.h"
#include "Clock.h"
#include "Coding.h"
#include "ForeignXClient.h"
#include "IncrementalClipboardOwner.h"
#include "PacedClipboardOwner.h"
#include "PasteboardMonitor.h"
#include "SQLiteHistoryStore.h"
#include "TestSupport.h"
#include "Xclip.h"
#include "x11/X11Pasteboard.h"
#include "x11/X11Workspace.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

extern char **environ;

namespace {

class CountingDelegate final : public PasteboardMonitorDelegate
{
public:
    void pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &) override
    {
        captures.append(item);
    }
    void pasteboardMonitorDidPrune(const HistoryRemoval &) override { }
    void pasteboardMonitorDidUpdate(const ClipboardItem &item) override { updates.append(item); }

    QList<ClipboardItem> captures;
    QList<ClipboardItem> updates;
};

QByteArray screenshotPng()
{
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 240));
    for (int y = 40; y < 60; ++y) {
        for (int x = 20; x < 300; ++x)
            image.setPixelColor(x, y, QColor(20, 20, 20));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// A clipboard owner that hands its text over slowly: it lists its targets at once, then sends the text in parts
// (the incremental transfer of large selections), each part a while after the reader took the one before. Every
// part comes within the reader's answer limit, the whole text within its transfer limit.
class SlowOwner final : public IncrementalClipboardOwner
{
public:
    SlowOwner(const QByteArray &text, int parts, int partDelayMs) : m_text(text), m_parts(parts), m_delayMs(partDelayMs)
    {
        m_utf8 = atom("UTF8_STRING");
        takeClipboard();
    }

private:
    void selectionRequested(const xcb_selection_request_event_t &request) override
    {
        bool answered = true;
        if (request.target == m_targets)
            offerTargets(request, {m_targets, m_utf8});
        else if (request.target == m_utf8 && !isTransferring())
            // The reader takes the parts by deleting the property.
            beginTransfer(request, quint32(m_text.size()));
        else
            answered = false;
        notify(request, answered);
    }

    void partTaken() override
    {
        if (m_finished)
            return;
        QTimer::singleShot(m_delayMs, m_notifier.get(), [this] {
            // The parts, then an empty one that ends the transfer.
            const qsizetype partSize = (m_text.size() + m_parts - 1) / m_parts;
            const QByteArray part = m_text.mid(m_sent, partSize);
            m_sent += part.size();
            m_finished = part.isEmpty();
            sendPart(m_utf8, part.constData(), quint32(part.size()));
        });
    }

    QByteArray m_text;
    int m_parts;
    int m_delayMs;
    qsizetype m_sent = 0;
    bool m_finished = false;
    xcb_atom_t m_utf8 = XCB_NONE;
};

// An application that owns the clipboard with one copy offered under several targets, each handed over at once.
class ApplicationOwner final : public IncrementalClipboardOwner
{
public:
    explicit ApplicationOwner(const QList<std::pair<QByteArray, QByteArray>> &offered)
    {
        for (const auto &[target, data] : offered)
            m_offered.push_back({atom(target.constData()), data});
        takeClipboard();
    }

private:
    void selectionRequested(const xcb_selection_request_event_t &request) override
    {
        bool answered = false;
        if (request.target == m_targets) {
            std::vector<xcb_atom_t> targets {m_targets};
            for (const auto &offer : m_offered)
                targets.push_back(offer.first);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, XCB_ATOM_ATOM,
                32, uint32_t(targets.size()), targets.data());
            answered = true;
        }
        for (const auto &[target, data] : m_offered) {
            if (request.target != target)
                continue;
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, target, 8,
                uint32_t(data.size()), data.constData());
            answered = true;
        }
        notify(request, answered);
    }
    void partTaken() override { }

    std::vector<std::pair<xcb_atom_t, QByteArray>> m_offered;
};

// Copies the texts with xclip one after another from a thread of its own, each held for `heldMs` until the next
// takes the clipboard, whatever this process's GUI thread is doing meanwhile. The last copy stays until the copier
// goes.
class BackgroundCopier
{
public:
    BackgroundCopier(QStringList texts, int heldMs)
    {
        m_thread = std::thread([this, texts = std::move(texts), heldMs] {
            for (const QString &text : texts) {
                m_owners.push_back(spawnXclip(text.toUtf8()));
                std::this_thread::sleep_for(std::chrono::milliseconds(heldMs));
            }
        });
    }
    ~BackgroundCopier()
    {
        m_thread.join();
        for (const pid_t owner : m_owners) {
            if (owner > 0) {
                ::kill(owner, SIGKILL);
                ::waitpid(owner, nullptr, 0);
            }
        }
    }

private:
    static pid_t spawnXclip(const QByteArray &text)
    {
        int input[2];
        if (::pipe(input) != 0)
            return -1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        char *arguments[] = {const_cast<char *>("xclip"), const_cast<char *>("-selection"),
            const_cast<char *>("clipboard"), const_cast<char *>("-quiet"), nullptr};
        pid_t pid = -1;
        if (posix_spawnp(&pid, "xclip", &actions, nullptr, arguments, environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        [[maybe_unused]] const auto written = ::write(input[1], text.constData(), size_t(text.size()));
        ::close(input[1]);
        return pid;
    }

    std::thread m_thread;
    std::vector<pid_t> m_owners;
};

class CaptureTest : public ::testing::Test
{
protected:
    // The application in front while the tests copy: a window of another client with a desktop entry.
    static void SetUpTestSuite()
    {
        const QString folder
            = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
        QDir().mkpath(folder);
        QFile entry(folder + QStringLiteral("/org.example.Writer.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Writer\nExec=writer\nStartupWMClass=VarnistoWriter\n");
    }

    void SetUp() override
    {
        ASSERT_TRUE(pasteboard.isAvailable());
        m_window = m_frontClient.createWindow({"writer", "VarnistoWriter"});
        ASSERT_TRUE(m_frontClient.activate(m_window));
        monitor.setDelegate(&delegate);
        monitor.start(AppPreferences());
    }

    // Copies as another application would, and waits until the capture has reached the delegate.
    ClipboardItem copy(const QByteArray &data, const QString &target = QString())
    {
        const qsizetype before = delegate.captures.size();
        m_copies.push_back(std::make_unique<XclipCopy>(data, target));
        EXPECT_TRUE(waitUntil([&] { return delegate.captures.size() > before; }, 10000));
        return delegate.captures.isEmpty() ? ClipboardItem() : delegate.captures.last();
    }
    // Copies as an application that offers several targets, and waits until the capture has reached the delegate.
    ClipboardItem copyAs(const QList<std::pair<QByteArray, QByteArray>> &offered)
    {
        const qsizetype before = delegate.captures.size();
        m_owners.push_back(std::make_unique<ApplicationOwner>(offered));
        EXPECT_TRUE(waitUntil([&] { return delegate.captures.size() > before; }, 10000));
        return delegate.captures.isEmpty() ? ClipboardItem() : delegate.captures.last();
    }
    // The ids of the stored items that the history's search shows for the query.
    QList<QUuid> searchedIDs(const QString &query)
    {
        AppModel model;
        model.setItems(store.loadRecentItems(0).valueOr(QList<ClipboardItem>()));
        model.setSearchQuery(query);
        return model.visibleItemIDs();
    }
    std::optional<ClipboardItem> storedItem(const QUuid &id)
    {
        const auto items = store.loadItems({id});
        if (!items || items->isEmpty())
            return std::nullopt;
        return items->first();
    }

    QTemporaryDir support;
    QTemporaryDir files;
    SQLiteHistoryStore store {support.path()};
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    MemoryTextRecognizer recognizer;
    SystemClock clock;
    CountingDelegate delegate;
    PasteboardMonitor monitor {store, pasteboard, workspace, recognizer, support.path(), clock};

private:
    std::vector<std::unique_ptr<XclipCopy>> m_copies;
    std::vector<std::unique_ptr<ApplicationOwner>> m_owners;
    ForeignXClient m_frontClient;
    quint32 m_window = 0;
};

} // namespace

TEST_F(CaptureTest, WhatOtherApplicationsCopyArrivesInTheHistory)
{
    // Text, with the application in front as its source.
    ClipboardItem item = copy("Grüße aus Köln\n");
    auto stored = storedItem(item.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->kind, ClipboardKind::text);
    EXPECT_EQ(stored->text, QStringLiteral("Grüße aus Köln\n"));
    EXPECT_EQ(stored->sourceAppName, QStringLiteral("Writer"));
    EXPECT_EQ(stored->sourceBundleIdentifier, QStringLiteral("org.example.Writer"));

    // An image, written into the support folder as the item's PNG file, its text read afterwards.
    recognizer.setResult({{QStringLiteral("Quarterly report")}, {}});
    const QByteArray png = screenshotPng();
    item = copy(png, QStringLiteral("image/png"));
    stored = storedItem(item.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->kind, ClipboardKind::image);
    EXPECT_EQ(stored->assetPath,
        QDir(support.path())
            .filePath(QStringLiteral("Images/") + Coding::uuidString(item.id) + QStringLiteral(".png")));
    QFile asset(stored->assetPath.value_or(QString()));
    ASSERT_TRUE(asset.open(QIODevice::ReadOnly));
    EXPECT_EQ(QImage::fromData(asset.readAll(), "PNG").size(), QSize(320, 200));
    EXPECT_EQ(stored->byteSize, asset.size());
    ASSERT_TRUE(waitUntil([&] { return !delegate.updates.isEmpty(); }));
    EXPECT_EQ(storedItem(item.id)->text, QStringLiteral("Quarterly report"));

    // A file list from a file manager.
    QFile first(files.filePath(QStringLiteral("report.txt")));
    ASSERT_TRUE(first.open(QIODevice::WriteOnly));
    first.write("12345");
    first.close();
    const QString second = files.filePath(QStringLiteral("with space.txt"));
    QFile(second).open(QIODevice::WriteOnly);
    const QByteArray list
        = QUrl::fromLocalFile(first.fileName()).toEncoded() + "\r\n" + QUrl::fromLocalFile(second).toEncoded() + "\r\n";
    item = copy(list, QStringLiteral("text/uri-list"));
    stored = storedItem(item.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->kind, ClipboardKind::file);
    EXPECT_EQ(stored->filePaths, QStringList({first.fileName(), second}));
    EXPECT_EQ(stored->byteSize, 5);
    EXPECT_EQ(stored->searchText, QStringLiteral("report.txt with space.txt"));

    EXPECT_EQ(store.loadRecentItems(0)->size(), 3);
}

TEST_F(CaptureTest, AnOwnerThatTakesItsTimeWithinTheTransferLimitIsCaptured)
{
    // Six parts and the empty one that ends them, half a second apart: the text is complete after three and a
    // half seconds, when the reader has waited less than a second for each part and less than five for all.
    const QByteArray text = QByteArray("A slowly delivered paragraph. ").repeated(20);
    QElapsedTimer elapsed;
    elapsed.start();
    SlowOwner owner(text, 6, 500);
    ASSERT_TRUE(waitUntil([&] { return !delegate.captures.isEmpty(); }, 10000));
    EXPECT_GE(elapsed.elapsed(), 3000);
    EXPECT_EQ(delegate.captures.last().text, QString::fromUtf8(text));
}

TEST_F(CaptureTest, NeitherOurOwnWritesNorContentKeptAfterItsOwnerExitedAreCapturedAgain)
{
    copy("from another application");
    const qsizetype captured = delegate.captures.size();

    // The owner exits: the content stays on offer, from us, without being a new copy.
    auto owner = std::make_unique<XclipCopy>(QByteArray("short-lived"));
    ASSERT_TRUE(waitUntil([&] { return delegate.captures.size() == captured + 1; }));
    owner->kill();
    ASSERT_TRUE(waitUntil([] { return QGuiApplication::clipboard()->ownsClipboard(); }));

    // Our own write.
    PasteboardContent own;
    own.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
    own.setString(PasteboardType::plainText(), QStringLiteral("pasted by us"));
    ASSERT_TRUE(pasteboard.write(own).hasValue());
    for (int i = 0; i < 5; ++i)
        monitor.checkPasteboard();

    // The next copy of another application shows the ticks in between have run.
    copy("next");
    EXPECT_EQ(delegate.captures.size(), captured + 2);
    QSet<QString> texts;
    const auto items = store.loadRecentItems(0);
    ASSERT_TRUE(items.hasValue());
    for (const ClipboardItem &item : *items)
        texts.insert(item.text.value_or(QString()));
    EXPECT_EQ(texts, QSet<QString>({"next", "short-lived", "from another application"}));
}

TEST_F(CaptureTest, RichTextIsFoundByTheWordsItShowsWhateverFormsItCameIn)
{
    const ClipboardItem htmlOnly = copyAs({{"text/html",
        "<meta charset='utf-8'><p>Hello <b>bold</b> and <i>italic</i> <a href=\"https://example.com/\">link</a></p>"}});
    const ClipboardItem rtfOnly = copyAs(
        {{"text/rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Liberation Serif;}}\\f0 Quarterly {\\b figures} rose\\par}"}});
    const ClipboardItem htmlAndPlain = copyAs({{"text/html", "<p>Meeting <b>agenda</b></p>"},
        {"text/plain;charset=utf-8", "Meeting agenda"}, {"UTF8_STRING", "Meeting agenda"}});
    for (const ClipboardItem &item : {htmlOnly, rtfOnly, htmlAndPlain})
        EXPECT_EQ(item.kind, ClipboardKind::richText);
    EXPECT_FALSE(htmlOnly.text.has_value());
    EXPECT_FALSE(rtfOnly.text.has_value());

    struct Case
    {
        const char *query;
        QList<QUuid> found;
    };
    const QList<Case> cases = {
        {"hello", {htmlOnly.id}},
        {"italic link", {htmlOnly.id}},
        {"FIGURES rose", {rtfOnly.id}},
        {"agenda", {htmlAndPlain.id}},
        {"href", {}},
        {"fonttbl", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(searchedIDs(QString::fromUtf8(c.query)), c.found);
    }
}

TEST_F(CaptureTest, CellsCopiedFromASpreadsheetAreKeptAsCellsNotAsTheirPicture)
{
    // What LibreOffice Calc offers for a block of three by three cells.
    const QByteArray png = screenshotPng();
    const QString cells = QStringLiteral("Item\tQty\tPrice\nApples\t3\t1.20\nPears\t5\t0.80\n");
    const QByteArray html = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><HTML><HEAD>"
                            "<TITLE></TITLE></HEAD><BODY><TABLE><TR><TD>Item</TD><TD>Qty</TD><TD>Price</TD></TR>"
                            "<TR><TD>Apples</TD><TD>3</TD><TD>1.20</TD></TR><TR><TD>Pears</TD><TD>5</TD><TD>0.80</TD>"
                            "</TR></TABLE></BODY></HTML>";
    const QByteArray rtf
        = "{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000\\cellx3000 Item\\cell Qty\\cell Price\\cell\\row}";
    QByteArray utf16("\xff\xfe", 2);
    utf16.append(reinterpret_cast<const char *>(cells.utf16()), cells.size() * 2);
    const ClipboardItem item = copyAs({{"image/png", png}, {"image/bmp", "BM"}, {"text/html", html}, {"text/rtf", rtf},
        {"text/plain;charset=utf-8", cells.toUtf8()}, {"text/plain;charset=utf-16", utf16},
        {"UTF8_STRING", cells.toUtf8()}, {"application/x-libreoffice-tsvc", cells.toUtf8()}});

    const auto stored = storedItem(item.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->kind, ClipboardKind::richText);
    EXPECT_EQ(stored->text, cells);
    EXPECT_EQ(stored->html, QString::fromUtf8(html));
    EXPECT_EQ(stored->rtfData, rtf);
    EXPECT_FALSE(stored->assetPath.has_value());
    EXPECT_TRUE(QDir(monitor.imagesDirectory()).entryList(QDir::Files).isEmpty()) << "the picture is not kept";
    EXPECT_EQ(searchedIDs(QStringLiteral("Apples")), QList<QUuid>({item.id}));

    // A picture with nothing more than its <img> element, as a browser's "Copy image" offers it, stays a picture.
    const ClipboardItem picture
        = copyAs({{"image/png", png}, {"text/html", "<meta charset='utf-8'><img src=\"https://example.com/cat.png\"/>"},
            {"chromium/x-source-url", "https://example.com/page"}});
    EXPECT_EQ(picture.kind, ClipboardKind::image);
    ASSERT_TRUE(picture.assetPath.has_value());
    QFile asset(*picture.assetPath);
    ASSERT_TRUE(asset.open(QIODevice::ReadOnly));
    EXPECT_EQ(asset.readAll(), png);
}

TEST_F(CaptureTest, CopiesMadeWhileTheWindowThreadIsStalledAreEachCapturedInOrder)
{
    // As when a window's first web page starts its engine: the GUI thread does nothing else for two seconds while
    // copies come and go, each on the clipboard for 0.6 s.
    QStringList texts;
    for (int n = 1; n <= 6; ++n)
        texts.append(QStringLiteral("copy %1 made during a stall").arg(n));
    {
        BackgroundCopier copier(texts, 600);
        QTimer::singleShot(100, [] { QThread::msleep(2000); });
        ASSERT_TRUE(waitUntil([&] { return delegate.captures.size() >= texts.size(); }, 15000))
            << delegate.captures.size() << " captured, the last: "
            << qPrintable(delegate.captures.isEmpty() ? QString() : delegate.captures.last().text.value_or(QString()));
    }
    QStringList captured;
    for (const ClipboardItem &item : std::as_const(delegate.captures))
        captured.append(item.text.value_or(QString()));
    EXPECT_EQ(captured, texts);
    QStringList stored;
    for (const ClipboardItem &item : store.loadRecentItems(0).valueOr(QList<ClipboardItem>()))
        stored.prepend(item.text.value_or(QString()));
    EXPECT_EQ(stored, texts);
}

TEST_F(CaptureTest, ANewCopyEndsTheTransferOfALargeOneInPartsAndIsCapturedAtOnce)
{
    // 20 MiB in parts of 64 KiB, one every 20 ms: the transfer would take seconds.
    PacedClipboardOwner large(QByteArray(20 * 1024 * 1024, 'x'), 64 * 1024, 20);
    ASSERT_TRUE(waitUntil([&] { return large.bytesSent() > 0; }));
    ASSERT_TRUE(large.isTransferring());

    QElapsedTimer sinceCopy;
    sinceCopy.start();
    XclipCopy plain(QByteArray("copied during a transfer in parts"));
    ASSERT_TRUE(waitUntil([&] { return !delegate.captures.isEmpty(); }, 10000));
    // Well within the half second that a copy may stay on the clipboard.
    EXPECT_LT(sinceCopy.elapsed(), 500);
    EXPECT_EQ(delegate.captures.last().text, QStringLiteral("copied during a transfer in parts"));
    // The owner of the large copy learnt that its transfer was given up, and nothing of it was stored.
    EXPECT_TRUE(waitUntil([&] { return large.abandonedTransfers() == 1; }));
    EXPECT_FALSE(large.isTransferring());
    EXPECT_EQ(store.loadRecentItems(0).valueOr(QList<ClipboardItem>()).size(), 1);
}
