#include "x11/X11Pasteboard.h"
#include "ClipboardItem.h"
#include "ForeignXClient.h"
#include "IncrementalClipboardOwner.h"
#include "PasteService.h"
#include "TestSupport.h"
#include "Xclip.h"
#include "x11/X11Workspace.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

QByteArray pngOfSize(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Counts the pasteboard's notes that it offered the last content again.
class KeptContentLog
{
public:
    KeptContentLog()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("varnisto.platform.debug=true"));
        s_count = 0;
        m_previous = qInstallMessageHandler(&KeptContentLog::handle);
    }
    ~KeptContentLog()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    int count() const { return s_count; }
    void reset() { s_count = 0; }

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        if (message.contains(QStringLiteral("kept the clipboard content")))
            ++s_count;
    }
    static inline int s_count = 0;
    QtMessageHandler m_previous;
};

// The change after `before` has arrived and its content is readable.
bool waitForContent(const X11Pasteboard &pasteboard, qint64 before)
{
    return waitUntil([&] { return pasteboard.changeCount() > before && pasteboard.isContentReady(); });
}

// A clipboard owner of one large target that it sends in parts (the incremental transfer of large selections), as
// many simple owners do: one transfer at a time, each part once the requestor deleted the one before; requests
// that come during a transfer wait until it has ended.
class LargeOwner final : public IncrementalClipboardOwner
{
public:
    LargeOwner(const QByteArray &target, qint64 size) : m_size(size), m_part(256 * 1024, 'x')
    {
        m_target = atom(target.constData());
        takeClipboard();
    }

    bool isTransferring() const { return IncrementalClipboardOwner::isTransferring(); }
    int finishedTransfers() const { return m_finished; }

private:
    void selectionRequested(const xcb_selection_request_event_t &request) override
    {
        m_waiting.append(request);
        answerWaiting();
    }

    void answerWaiting()
    {
        while (!isTransferring() && !m_waiting.isEmpty()) {
            const xcb_selection_request_event_t request = m_waiting.takeFirst();
            if (request.target == m_targets) {
                offerTargets(request, {m_targets, m_target});
            } else if (request.target == m_target) {
                m_sent = 0;
                beginTransfer(request, quint32(m_size));
            }
            notify(request, request.target == m_targets || request.target == m_target);
        }
    }

    void partTaken() override
    {
        if (m_sent > m_size) {
            // The empty part was taken: the transfer is over.
            endTransfer();
            ++m_finished;
            answerWaiting();
            return;
        }
        const qsizetype length = qsizetype(qMin<qint64>(m_part.size(), m_size - m_sent));
        sendPart(m_target, m_part.constData(), quint32(length));
        m_sent += length == 0 ? 1 : length;
    }

    qint64 m_size = 0;
    qint64 m_sent = 0;
    int m_finished = 0;
    QByteArray m_part;
    QList<xcb_selection_request_event_t> m_waiting;
    xcb_atom_t m_target = XCB_NONE;
};

class X11PasteboardTest : public ::testing::Test
{
protected:
    // The application in front while the tests copy: a window of another client with a desktop entry.
    static void SetUpTestSuite()
    {
        const QString folder
            = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
        QDir().mkpath(folder);
        QFile entry(folder + QStringLiteral("/org.example.Probe.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Probe Editor\nExec=probe-editor\n"
                    "StartupWMClass=VarnistoProbe\n");
    }

    void SetUp() override
    {
        m_window = m_frontClient.createWindow({"probe", "VarnistoProbe"});
        ASSERT_TRUE(m_frontClient.activate(m_window));
    }

    void expectProbeInFront()
    {
        const auto front = m_workspace.frontApplication();
        ASSERT_TRUE(front.has_value());
        EXPECT_EQ(front->name, QStringLiteral("Probe Editor"));
        EXPECT_EQ(front->bundleIdentifier, QStringLiteral("org.example.Probe"));
    }

    // Copies of other applications, ended with the test.
    void copy(const QByteArray &data, const QString &target = QString())
    {
        m_copies.push_back(std::make_unique<XclipCopy>(data, target));
    }
    XclipCopy &lastCopy() { return *m_copies.back(); }

    std::vector<std::unique_ptr<XclipCopy>> m_copies;
    ForeignXClient m_frontClient;
    quint32 m_window = 0;
    X11Workspace m_workspace;
};

} // namespace

TEST_F(X11PasteboardTest, ReadsWhatOtherApplicationsCopy)
{
    X11Pasteboard pasteboard;
    ASSERT_TRUE(pasteboard.isAvailable());
    const QByteArray png = pngOfSize({64, 32});
    const QList<QUrl> files
        = {QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/b c.txt"))};
    const struct
    {
        const char *what;
        QString target; // xclip's target; empty for its default text
        QByteArray data;
        QString type;
    } copies[] = {
        {"text", QString(), "héllo wörld\n", PasteboardType::plainText()},
        {"html", QStringLiteral("text/html"), "<b>bold</b> move", PasteboardType::html()},
        {"png", QStringLiteral("image/png"), png, PasteboardType::png()},
        {"file list", QStringLiteral("text/uri-list"), "file:///tmp/a.txt\r\nfile:///tmp/b%20c.txt\r\n",
            PasteboardType::fileURLs()},
    };
    for (const auto &copy : copies) {
        SCOPED_TRACE(copy.what);
        const qint64 before = pasteboard.changeCount();
        this->copy(copy.data, copy.target);
        ASSERT_TRUE(waitForContent(pasteboard, before));
        EXPECT_EQ(pasteboard.changeCount(), before + 1);
        EXPECT_EQ(pasteboard.types(), QStringList {copy.type});
        EXPECT_EQ(pasteboard.data(copy.type), copy.data);
        expectProbeInFront();
    }
    // The last two through the readers' accessors.
    EXPECT_EQ(pasteboard.fileURLs(), files);
    copy(png, QStringLiteral("image/png"));
    ASSERT_TRUE(waitUntil([&] { return pasteboard.image().has_value(); }));
    EXPECT_EQ(pasteboard.image()->size(), QSize(64, 32));

    // A password manager's copy: text marked with its hint, from a client that offers both.
    ForeignXClient passwordManager;
    const qint64 before = pasteboard.changeCount();
    passwordManager.ownClipboard({{"UTF8_STRING", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}});
    ASSERT_TRUE(waitForContent(pasteboard, before));
    EXPECT_TRUE(pasteboard.hasType(PasteboardType::concealed()));
    EXPECT_EQ(pasteboard.string(PasteboardType::plainText()), QStringLiteral("hunter2"));
}

TEST_F(X11PasteboardTest, TransfersAreBoundedInSize)
{
    // xclip sends data above about a megabyte in parts (INCR); both ways of sending are bounded.
    const struct
    {
        qsizetype size;
        qint64 limit;
        bool read;
    } cases[] = {
        {3'000'000, 64 * 1024 * 1024, true}, // in parts, read whole
        {3'000'000, 2'000'000, false}, // in parts, larger than the limit
        {600'000, 500'000, false}, // at once, larger than the limit
        {400'000, 500'000, true}, // at once, within it
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.size);
        X11Pasteboard::Limits limits;
        limits.maximumBytes = row.limit;
        X11Pasteboard pasteboard(limits);
        QByteArray text(row.size, 'x');
        for (qsizetype i = 0; i < text.size(); i += 97)
            text[i] = char('a' + i % 26);
        const qint64 before = pasteboard.changeCount();
        copy(text);
        ASSERT_TRUE(waitForContent(pasteboard, before));
        if (row.read)
            EXPECT_EQ(pasteboard.data(PasteboardType::plainText()), text);
        else
            EXPECT_TRUE(pasteboard.types().isEmpty());
    }
}

TEST_F(X11PasteboardTest, ACopyTooLargeToReadIsRefusedAndItsOwnerIsFreeAtOnce)
{
    // A 96 MB image, above the 64 MB limit: its transfer in parts is ended, not left waiting, so the owner serves
    // the next program at once; the pasteboard says what it left out.
    X11Pasteboard pasteboard;
    const qint64 size = 96 * 1024 * 1024;
    const qint64 before = pasteboard.changeCount();
    LargeOwner owner("image/png", size);
    ASSERT_TRUE(waitForContent(pasteboard, before));
    EXPECT_TRUE(pasteboard.types().isEmpty());
    const auto leftOut = pasteboard.oversizedContent();
    ASSERT_TRUE(leftOut.has_value());
    EXPECT_EQ(leftOut->type, PasteboardType::png());
    EXPECT_EQ(leftOut->size, size);
    EXPECT_EQ(leftOut->limit, X11Pasteboard::Limits().maximumBytes);
    EXPECT_TRUE(waitUntil([&] { return owner.finishedTransfers() == 1; }, 2000)) << "the owner still waits";
    EXPECT_FALSE(owner.isTransferring());
    const auto targets = xclipPaste(QStringLiteral("TARGETS"));
    ASSERT_TRUE(targets.has_value()) << "another program cannot paste from the owner";
    EXPECT_TRUE(targets->contains("image/png"));

    // A copy that is read whole says nothing was left out.
    const qint64 next = pasteboard.changeCount();
    copy("small");
    ASSERT_TRUE(waitForContent(pasteboard, next));
    EXPECT_FALSE(pasteboard.oversizedContent().has_value());
}

TEST_F(X11PasteboardTest, AnOwnerThatNeverAnswersCostsTheGuiThreadNothing)
{
    // With a long answer limit, only giving up the stuck read for the next owner lets that owner be read in time.
    X11Pasteboard::Limits patient;
    patient.answerTimeoutMs = 60'000;
    X11Pasteboard pasteboard(patient);
    ForeignXClient silent;
    qint64 before = pasteboard.changeCount();
    silent.ownClipboard({{"UTF8_STRING", "never sent"}}, false);
    // The change is known at once, its content is not: the GUI thread did not wait for the owner.
    ASSERT_TRUE(waitUntil([&] { return pasteboard.changeCount() > before; }));
    EXPECT_FALSE(pasteboard.isContentReady());
    EXPECT_TRUE(pasteboard.types().isEmpty());
    // The GUI thread goes on serving the clipboard meanwhile: our own write is pasted by another client.
    PasteboardContent own;
    own.setString(PasteboardType::plainText(), QStringLiteral("written while waiting"));
    ASSERT_TRUE(pasteboard.write(own).hasValue());
    EXPECT_EQ(xclipPaste(), QByteArray("written while waiting"));

    silent.ownClipboard({{"UTF8_STRING", "never sent"}}, false);
    ASSERT_TRUE(waitUntil([&] { return !pasteboard.isContentReady(); }));
    before = pasteboard.changeCount();
    copy("after the silent one");
    ASSERT_TRUE(waitForContent(pasteboard, before));
    EXPECT_EQ(pasteboard.string(PasteboardType::plainText()), QStringLiteral("after the silent one"));

    // With the usual limit the stuck read ends by itself, empty, and the next copy is read as usual.
    X11Pasteboard usual;
    before = usual.changeCount();
    silent.ownClipboard({{"UTF8_STRING", "never sent"}}, false);
    ASSERT_TRUE(waitForContent(usual, before));
    EXPECT_TRUE(usual.types().isEmpty());
    before = usual.changeCount();
    copy("next");
    ASSERT_TRUE(waitForContent(usual, before));
    EXPECT_EQ(usual.string(PasteboardType::plainText()), QStringLiteral("next"));
}

TEST_F(X11PasteboardTest, TheCopySurvivesItsOwnersExit)
{
    X11Pasteboard pasteboard;
    KeptContentLog kept;
    qint64 before = pasteboard.changeCount();
    copy("kept after exit");
    ASSERT_TRUE(waitForContent(pasteboard, before));
    const qint64 copied = pasteboard.changeCount();

    lastCopy().kill();
    ASSERT_TRUE(waitUntil([] { return QGuiApplication::clipboard()->ownsClipboard(); }));
    EXPECT_EQ(kept.count(), 1);
    EXPECT_EQ(xclipPaste(), QByteArray("kept after exit"));
    // Offered again with our marker, and not a new change.
    EXPECT_TRUE(xclipPaste(QStringLiteral("TARGETS"))->contains(PasteboardType::varnistoMarker().toUtf8()));
    EXPECT_EQ(pasteboard.changeCount(), copied);
    EXPECT_EQ(pasteboard.string(PasteboardType::plainText()), QStringLiteral("kept after exit"));

    // A password is not kept alive after its owner is gone.
    auto passwordManager = std::make_unique<ForeignXClient>();
    before = pasteboard.changeCount();
    passwordManager->ownClipboard({{"UTF8_STRING", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}});
    ASSERT_TRUE(waitForContent(pasteboard, before));
    kept.reset();
    passwordManager.reset();
    // The next copy shows that the exit has been handled.
    before = pasteboard.changeCount();
    copy("later");
    ASSERT_TRUE(waitForContent(pasteboard, before));
    EXPECT_EQ(kept.count(), 0);
}

TEST_F(X11PasteboardTest, OurOwnWriteIsSeenWithOurMarker)
{
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    PasteboardContent content;
    content.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
    content.setString(PasteboardType::plainText(), QStringLiteral("from us ✓"));
    content.setString(PasteboardType::html(), QStringLiteral("<i>from us</i>"));
    ASSERT_TRUE(pasteboard.write(content).hasValue());
    // Readable at once, as one change.
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_TRUE(pasteboard.hasType(PasteboardType::varnistoMarker()));
    EXPECT_EQ(pasteboard.string(PasteboardType::plainText()), QStringLiteral("from us ✓"));
    // Other applications see the same.
    const QByteArray targets = xclipPaste(QStringLiteral("TARGETS")).value_or(QByteArray());
    EXPECT_TRUE(targets.contains(PasteboardType::varnistoMarker().toUtf8())) << targets.constData();
    EXPECT_EQ(xclipPaste(), QStringLiteral("from us ✓").toUtf8());
    EXPECT_EQ(xclipPaste(QStringLiteral("text/html")), QByteArray("<i>from us</i>"));

    // An image is offered as PNG, and as TIFF converted on request; large data goes out in parts.
    PasteboardContent image;
    image.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
    image.setData(PasteboardType::png(), pngOfSize({1200, 900}));
    ASSERT_TRUE(pasteboard.write(image).hasValue());
    QImage tiff;
    ASSERT_TRUE(tiff.loadFromData(xclipPaste(QStringLiteral("image/tiff")).value_or(QByteArray()), "TIFF"));
    EXPECT_EQ(tiff.size(), QSize(1200, 900));
    PasteboardContent large;
    const QByteArray text(3'000'000, 'z');
    large.setData(PasteboardType::plainText(), text);
    ASSERT_TRUE(pasteboard.write(large).hasValue());
    EXPECT_EQ(xclipPaste(), text);

    // Files go out as a URI list and as the list GNOME-family file managers paste from.
    PasteboardContent files;
    files.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
    files.setFileURLs(
        {QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/c"))});
    ASSERT_TRUE(pasteboard.write(files).hasValue());
    EXPECT_EQ(xclipPaste(QStringLiteral("x-special/gnome-copied-files")),
        QByteArray("copy\nfile:///tmp/a%20b.txt\nfile:///tmp/c"));

    // The X server's report of our writes is no further change; the next copy of another application is one.
    const qint64 written = pasteboard.changeCount();
    EXPECT_EQ(written, before + 4);
    copy("theirs");
    ASSERT_TRUE(waitForContent(pasteboard, written));
    EXPECT_EQ(pasteboard.changeCount(), written + 1);
    EXPECT_FALSE(pasteboard.hasType(PasteboardType::varnistoMarker()));

    // A write right after another application's copy, before the GUI thread has heard of that copy, still
    // takes the clipboard (Qt's own claim carries an older time and is refused).
    ForeignXClient other;
    const qint64 beforeQuickWrite = pasteboard.changeCount();
    other.ownClipboard({{"UTF8_STRING", "other"}});
    PasteboardContent quick;
    quick.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
    quick.setString(PasteboardType::plainText(), QStringLiteral("quick"));
    ASSERT_TRUE(pasteboard.write(quick).hasValue());
    EXPECT_EQ(xclipPaste(), QByteArray("quick"));
    EXPECT_EQ(pasteboard.changeCount(), beforeQuickWrite + 1);
    EXPECT_EQ(pasteboard.string(PasteboardType::plainText()), QStringLiteral("quick"));

    // A copy made inside the program without the pasteboard (a text field's copy) is a change of its own.
    copy("before the field copy");
    ASSERT_TRUE(waitUntil([&] { return pasteboard.string(PasteboardType::plainText()) == u"before the field copy"; }));
    // The user's keys would have brought Qt's clock forward; here its notice of losing the clipboard does.
    ASSERT_TRUE(waitUntil([] { return !QGuiApplication::clipboard()->ownsClipboard(); }));
    const qint64 beforeFieldCopy = pasteboard.changeCount();
    QGuiApplication::clipboard()->setText(QStringLiteral("copied in a text field"));
    ASSERT_TRUE(waitForContent(pasteboard, beforeFieldCopy));
    EXPECT_EQ(pasteboard.changeCount(), beforeFieldCopy + 1);
    // It is the program's own copy, whatever window is in front.
    EXPECT_EQ(pasteboard.types(), QStringList({PasteboardType::plainText(), PasteboardType::varnistoCopy()}));
    EXPECT_EQ(pasteboard.string(PasteboardType::plainText()), QStringLiteral("copied in a text field"));
}

// A file item pasted where text is taken (an editor, a terminal) gives its paths, one a line, as a file manager's
// copy does; a reader of file lists gets well-formed URIs.
TEST_F(X11PasteboardTest, AFileItemIsOfferedAsPathsInTextAndAsEncodedURIs)
{
    X11Pasteboard pasteboard;
    ClipboardItem files;
    files.id = QUuid::createUuid();
    files.kind = ClipboardKind::file;
    files.filePaths = {QStringLiteral("/tmp/alpha file.txt"), QStringLiteral("/tmp/Grüße #2 100%.txt")};
    const auto content = PasteService::content(files, PasteVariant::standard);
    ASSERT_TRUE(content.hasValue());
    ASSERT_TRUE(pasteboard.write(*content).hasValue());

    // The paths as they are, in UTF-8; STRING carries Latin-1.
    const QString paths = QStringLiteral("/tmp/alpha file.txt\n/tmp/Grüße #2 100%.txt");
    EXPECT_EQ(xclipPaste(), paths.toUtf8());
    EXPECT_EQ(xclipPaste(QStringLiteral("text/plain")), paths.toUtf8());
    EXPECT_EQ(xclipPaste(QStringLiteral("STRING")), paths.toLatin1());
    EXPECT_EQ(xclipPaste(QStringLiteral("text/uri-list")),
        QByteArray("file:///tmp/alpha%20file.txt\r\nfile:///tmp/Gr%C3%BC%C3%9Fe%20%232%20100%25.txt\r\n"));
    EXPECT_EQ(xclipPaste(QStringLiteral("x-special/gnome-copied-files")),
        QByteArray("copy\nfile:///tmp/alpha%20file.txt\nfile:///tmp/Gr%C3%BC%C3%9Fe%20%232%20100%25.txt"));
}
