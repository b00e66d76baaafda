#include "Clock.h"
#include "Coding.h"
#include "ForeignXClient.h"
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
#include <QTimer>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

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
class SlowOwner
{
public:
    SlowOwner(const QByteArray &text, int parts, int partDelayMs) : m_text(text), m_parts(parts), m_delayMs(partDelayMs)
    {
        m_connection = xcb_connect(nullptr, nullptr);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        m_clipboard = atom("CLIPBOARD");
        m_targets = atom("TARGETS");
        m_utf8 = atom("UTF8_STRING");
        m_incr = atom("INCR");
        m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { serve(); });
        // Events that a reply already took off the socket wake no notifier.
        m_sweep.start(10);
        QObject::connect(&m_sweep, &QTimer::timeout, &m_sweep, [this] { serve(); });
        xcb_set_selection_owner(m_connection, m_window, m_clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
    }
    ~SlowOwner()
    {
        m_notifier.reset();
        xcb_disconnect(m_connection);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(
                m_connection, xcb_intern_atom(m_connection, false, uint16_t(strlen(name)), name), nullptr),
            &std::free);
        return reply ? reply->atom : XCB_NONE;
    }

    void serve()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            const int type = event->response_type & 0x7f;
            if (type == XCB_SELECTION_REQUEST)
                answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
            else if (type == XCB_PROPERTY_NOTIFY)
                propertyChanged(*reinterpret_cast<xcb_property_notify_event_t *>(event));
            std::free(event);
        }
    }

    void answer(const xcb_selection_request_event_t &request)
    {
        xcb_selection_notify_event_t notify = {};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = request.property;
        if (request.target == m_targets) {
            const xcb_atom_t offered[] = {m_targets, m_utf8};
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, XCB_ATOM_ATOM,
                32, 2, offered);
        } else if (request.target == m_utf8 && !m_requestor) {
            // The reader takes the parts by deleting the property; watch it do so.
            m_requestor = request.requestor;
            m_property = request.property;
            const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(m_connection, m_requestor, XCB_CW_EVENT_MASK, &mask);
            const auto size = uint32_t(m_text.size());
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_requestor, m_property, m_incr, 32, 1, &size);
        } else {
            notify.property = XCB_NONE;
        }
        xcb_send_event(m_connection, false, request.requestor, 0, reinterpret_cast<const char *>(&notify));
        xcb_flush(m_connection);
    }

    void propertyChanged(const xcb_property_notify_event_t &notify)
    {
        if (m_finished || notify.window != m_requestor || notify.atom != m_property
            || notify.state != XCB_PROPERTY_DELETE)
            return;
        QTimer::singleShot(m_delayMs, m_notifier.get(), [this] {
            // The parts, then an empty one that ends the transfer.
            const qsizetype partSize = (m_text.size() + m_parts - 1) / m_parts;
            const QByteArray part = m_text.mid(m_sent, partSize);
            m_sent += part.size();
            m_finished = part.isEmpty();
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_requestor, m_property, m_utf8, 8,
                uint32_t(part.size()), part.constData());
            xcb_flush(m_connection);
        });
    }

    QByteArray m_text;
    int m_parts;
    int m_delayMs;
    qsizetype m_sent = 0;
    bool m_finished = false;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_clipboard = XCB_NONE;
    xcb_atom_t m_targets = XCB_NONE;
    xcb_atom_t m_utf8 = XCB_NONE;
    xcb_atom_t m_incr = XCB_NONE;
    xcb_window_t m_requestor = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_sweep;
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
