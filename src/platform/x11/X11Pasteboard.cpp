#include "X11Pasteboard.h"

#include "PlatformLogging.h"
#include "X11ClipboardTargets.h"
#include "XcbSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <X11/Xlib.h>

namespace {

// The reader reports our own ownership within milliseconds; a report that never comes (the reader died) must not
// make the pasteboard ignore other applications for good.
constexpr int confirmationTimeoutMs = 2000;

const QString gnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");

qint64 contentBytes(const PasteboardContent &content)
{
    qint64 bytes = 0;
    for (const auto &representation : content.representations())
        bytes += representation.second.size();
    return bytes;
}

QNativeInterface::QX11Application *x11Application()
{
    return qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

// The content of one write as QClipboard serves it. A file list is also offered the way GNOME's file managers
// paste it, and a PNG image also as TIFF, converted only when a reader asks for TIFF.
class PasteboardMimeData final : public QMimeData
{
public:
    explicit PasteboardMimeData(const PasteboardContent &content)
    {
        for (const auto &[type, data] : content.representations())
            setData(type, data);
        const auto uriList = content.data(PasteboardType::fileURLs());
        if (uriList && !content.hasType(gnomeCopiedFiles)) {
            QByteArray files = "copy";
            for (const QByteArray &line : uriList->split('\n')) {
                const QByteArray uri = line.trimmed();
                if (!uri.isEmpty() && !uri.startsWith('#'))
                    files += '\n' + uri;
            }
            setData(gnomeCopiedFiles, files);
        }
        m_tiffOnDemand = content.hasType(PasteboardType::png()) && !content.hasType(PasteboardType::tiff());
    }

    QStringList formats() const override
    {
        QStringList formats = QMimeData::formats();
        if (m_tiffOnDemand)
            formats.append(PasteboardType::tiff());
        return formats;
    }

    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        if (m_tiffOnDemand && mimeType == PasteboardType::tiff()) {
            if (!m_tiff) {
                QByteArray tiff;
                QImage image;
                if (image.loadFromData(QMimeData::data(PasteboardType::png()), "PNG")) {
                    QBuffer buffer(&tiff);
                    buffer.open(QIODevice::WriteOnly);
                    if (!image.save(&buffer, "TIFF"))
                        tiff.clear();
                }
                m_tiff = tiff;
            }
            return *m_tiff;
        }
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    bool m_tiffOnDemand = false;
    mutable std::optional<QByteArray> m_tiff;
};

} // namespace

X11Pasteboard::X11Pasteboard(QObject *parent) : X11Pasteboard(Limits(), parent) { }

X11Pasteboard::X11Pasteboard(const Limits &limits, QObject *parent) : Pasteboard(parent), m_limits(limits)
{
    QNativeInterface::QX11Application *x11 = x11Application();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        qCWarning(lcPlatform) << "not running on X11: the clipboard is not watched";
        return;
    }
    m_applicationConnection = connection;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    m_applicationBase = setup->resource_id_base;
    m_applicationMask = setup->resource_id_mask;
    const auto [clipboard, netWmName] = xcbInternAtoms(connection, {"CLIPBOARD", "_NET_WM_NAME"});
    if (clipboard == XCB_NONE || netWmName == XCB_NONE)
        return;
    m_clipboardAtom = clipboard;
    m_netWmNameAtom = netWmName;
    m_root = xcbScreenRoot(connection, x11->display() ? DefaultScreen(x11->display()) : 0);

    const QByteArray displayName = x11->display() ? QByteArray(DisplayString(x11->display())) : qgetenv("DISPLAY");
    X11ClipboardReader::Handlers handlers;
    handlers.ownerChanged = [this](const X11ClipboardReader::OwnerChange &change) {
        QMetaObject::invokeMethod(
            this, [this, change] { handleOwnerChange(change); }, Qt::QueuedConnection);
    };
    handlers.contentRead
        = [this](quint64 serial, const PasteboardContent &content, const std::optional<OversizedContent> &oversized) {
              QMetaObject::invokeMethod(
                  this, [this, serial, content, oversized] { handleContentRead(serial, content, oversized); },
                  Qt::QueuedConnection);
          };
    m_reader = std::make_unique<X11ClipboardReader>(
        displayName, m_applicationBase, m_applicationMask, limits, std::move(handlers));
    if (!m_reader->isRunning())
        m_reader.reset();
}

X11Pasteboard::~X11Pasteboard()
{
    // The reader's thread ends here, before anything it reports to could go.
    m_reader.reset();
}

bool X11Pasteboard::isAvailable() const
{
    return m_reader != nullptr;
}

QStringList X11Pasteboard::types() const
{
    return m_contentReady ? m_content.types() : QStringList();
}

std::optional<QByteArray> X11Pasteboard::data(const QString &type) const
{
    if (!m_contentReady)
        return std::nullopt;
    return m_content.data(type);
}

std::optional<OversizedContent> X11Pasteboard::oversizedContent() const
{
    if (!m_contentReady)
        return std::nullopt;
    return m_oversized;
}

Expected<void, QString> X11Pasteboard::write(const PasteboardContent &content)
{
    auto written = setClipboard(content);
    if (!written)
        return written;
    m_currentSerial = 0;
    ++m_changeCount;
    Q_EMIT changed();
    // What another application would read of it.
    finishContent(X11ClipboardTargets::contentFromTargets(content.representations()));
    return {};
}

Expected<void, QString> X11Pasteboard::setClipboard(const PasteboardContent &content)
{
    if (!m_reader)
        return Expected<void, QString>::failure(QStringLiteral("there is no X11 clipboard to write to"));
    QGuiApplication::clipboard()->setMimeData(new PasteboardMimeData(content), QClipboard::Clipboard);
    if (!applicationOwnsClipboard() && !claimForQt())
        return Expected<void, QString>::failure(QStringLiteral("the X server did not hand the clipboard over"));
    ++m_unconfirmedWrites;
    m_confirmationDeadline.setRemainingTime(confirmationTimeoutMs);
    return {};
}

quint32 X11Pasteboard::selectionOwner() const
{
    // A question to the X server, not to the owner: answered at once.
    auto *connection = static_cast<xcb_connection_t *>(m_applicationConnection);
    const auto reply = xcbReply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, m_clipboardAtom), nullptr));
    return reply ? reply->owner : XCB_NONE;
}

bool X11Pasteboard::applicationOwnsClipboard()
{
    const quint32 owner = selectionOwner();
    if (owner == XCB_NONE || (owner & ~m_applicationMask) != m_applicationBase)
        return false;
    m_qtOwnerWindow = owner;
    return true;
}

bool X11Pasteboard::claimForQt()
{
    // Qt claims the selection with the time of the last event it has handled. When another application took
    // the selection after that time (its notice still waiting in Qt's queue), the X server refuses the claim.
    // Qt holds the content all the same and serves it to requests made after its claim time, so claiming the
    // selection for Qt's owner window at the current time completes the write.
    auto *connection = static_cast<xcb_connection_t *>(m_applicationConnection);
    if (m_qtOwnerWindow == XCB_NONE) {
        // Qt's owner window carries a fixed title.
        const auto tree = xcbReply(xcb_query_tree_reply(connection, xcb_query_tree(connection, m_root), nullptr));
        if (!tree)
            return false;
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        QList<std::pair<xcb_window_t, xcb_get_property_cookie_t>> candidates;
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            if ((children[i] & ~m_applicationMask) != m_applicationBase)
                continue;
            for (const xcb_atom_t property : {xcb_atom_t(m_netWmNameAtom), xcb_atom_t(XCB_ATOM_WM_NAME)}) {
                candidates.append({children[i],
                    xcb_get_property(connection, false, children[i], property, XCB_GET_PROPERTY_TYPE_ANY, 0, 64)});
            }
        }
        for (const auto &[window, cookie] : std::as_const(candidates)) {
            const auto name = xcbReply(xcb_get_property_reply(connection, cookie, nullptr));
            const QByteArray title = xcbPropertyBytes(name.get());
            if (m_qtOwnerWindow == XCB_NONE && title.startsWith("Qt Selection Owner"))
                m_qtOwnerWindow = window;
        }
    }
    if (m_qtOwnerWindow == XCB_NONE)
        return false;
    xcb_set_selection_owner(connection, m_qtOwnerWindow, m_clipboardAtom, XCB_CURRENT_TIME);
    return applicationOwnsClipboard();
}

void X11Pasteboard::handleOwnerChange(const X11ClipboardReader::OwnerChange &change)
{
    using OwnerEvent = X11ClipboardReader::OwnerEvent;
    if (m_unconfirmedWrites > 0 && m_confirmationDeadline.hasExpired())
        m_unconfirmedWrites = 0;
    // The owner found at start is older than any write of ours.
    if (change.initial && m_unconfirmedWrites > 0)
        return;

    if (change.event == OwnerEvent::newOwner && change.ownedByApplication) {
        if (m_unconfirmedWrites > 0) {
            --m_unconfirmedWrites; // the report of a write of ours, already counted
            return;
        }
        adoptApplicationClipboard(!change.initial);
        return;
    }
    if (m_unconfirmedWrites > 0)
        return; // older than our latest write, which replaced it

    switch (change.event) {
    case OwnerEvent::newOwner:
        m_currentSerial = change.serial;
        m_content = PasteboardContent();
        m_contentReady = false;
        if (!change.initial) {
            ++m_changeCount;
            Q_EMIT changed();
        }
        break;
    case OwnerEvent::cleared:
        m_currentSerial = change.serial;
        if (!change.initial) {
            ++m_changeCount;
            Q_EMIT changed();
        }
        finishContent(PasteboardContent());
        break;
    case OwnerEvent::ownerLeft:
        offerAgain();
        break;
    }
}

void X11Pasteboard::handleContentRead(
    quint64 serial, const PasteboardContent &content, const std::optional<OversizedContent> &oversized)
{
    if (serial != m_currentSerial || m_contentReady)
        return;
    finishContent(content, oversized);
}

void X11Pasteboard::finishContent(const PasteboardContent &content, const std::optional<OversizedContent> &oversized)
{
    m_content = content;
    m_oversized = oversized;
    m_contentReady = true;
    m_kept.push_back({m_changeCount, content, oversized});
    m_keptBytes += contentBytes(content);
    // The oldest go first; the newest (the current content) always stays.
    while (m_kept.size() > 1 && (m_kept.size() > size_t(maximumKeptChanges) || m_keptBytes > maximumKeptBytes())) {
        qCDebug(lcPlatform) << "too many clipboard changes wait to be read; the oldest is passed over";
        m_keptBytes -= contentBytes(m_kept.front().content);
        m_kept.pop_front();
    }
    Q_EMIT contentReady(m_changeCount);
}

std::optional<PasteboardChange> X11Pasteboard::takeKeptChange(qint64 changeCount)
{
    while (!m_kept.empty() && m_kept.front().changeCount <= changeCount) {
        m_keptBytes -= contentBytes(m_kept.front().content);
        m_kept.pop_front();
    }
    if (m_kept.empty() || m_kept.front().changeCount >= m_changeCount)
        return std::nullopt;
    PasteboardChange kept = std::move(m_kept.front());
    m_keptBytes -= contentBytes(kept.content);
    m_kept.pop_front();
    return kept;
}

void X11Pasteboard::adoptApplicationClipboard(bool countsAsChange)
{
    // Something in this program set the clipboard through QClipboard directly (a text field's copy): its content
    // is here in memory, no need to ask the X server for it.
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *mimeData = clipboard->ownsClipboard() ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    if (!mimeData)
        return;
    QList<std::pair<QString, QByteArray>> fetched;
    for (const QString &format : X11ClipboardTargets::targetsToRead(mimeData->formats()))
        fetched.append({format, mimeData->data(format)});
    PasteboardContent content = X11ClipboardTargets::contentFromTargets(fetched);
    if (mimeData->hasImage() && !content.hasType(PasteboardType::png())) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (qvariant_cast<QImage>(mimeData->imageData()).save(&buffer, "PNG"))
            content.setData(PasteboardType::png(), png);
    }
    // A copy made in this program: its source is the program, whatever window is in front.
    if (!content.hasType(PasteboardType::varnistoMarker()))
        content.setData(PasteboardType::varnistoCopy(), QByteArrayLiteral("1"));
    m_currentSerial = 0;
    if (countsAsChange) {
        ++m_changeCount;
        Q_EMIT changed();
    }
    finishContent(content);
}

void X11Pasteboard::offerAgain()
{
    if (!m_contentReady) {
        // The owner left before its content could be read: there is nothing to keep.
        finishContent(PasteboardContent());
        return;
    }
    if (m_content.isEmpty() || m_content.hasType(PasteboardType::concealed()))
        return;
    // Another application may have copied since the owner left: its copy stays.
    if (selectionOwner() != XCB_NONE)
        return;
    PasteboardContent offer = m_content;
    offer.setData(PasteboardType::varnistoMarker(), QByteArrayLiteral("1"));
    if (auto offered = setClipboard(offer); !offered)
        qCWarning(lcPlatform).noquote() << "the clipboard content could not be kept:" << offered.error();
    else
        qCDebug(lcPlatform) << "kept the clipboard content after its owner left";
}
