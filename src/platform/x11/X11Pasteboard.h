#pragma once

#include "Pasteboard.h"
#include "X11ClipboardReader.h"
#include "X11PasteboardClaims.h"

#include <QDeadlineTimer>

#include <deque>
#include <memory>

// The X11 CLIPBOARD selection as the pasteboard. Needs the xcb platform; elsewhere nothing is read and writes fail.
//
// Reads never touch the GUI thread's connection: a reader on a connection and thread of its own fetches each new
// owner's content, and the pasteboard answers from the finished snapshot. The change count rises as soon as a
// new owner is seen; until its content has arrived the pasteboard reads as empty, which callers treat as "not
// readable yet", and contentReady() follows when it has arrived (or the owner was given up: then it stays empty).
// Writes go through QClipboard, which serves the requests of other applications; the content of a write is
// readable at once. Content that something in this program put on the clipboard through QClipboard directly (a
// text field's copy) reads with PasteboardType::varnistoCopy: it is the program's own copy.
//
// The content of every change is kept as it arrived until the monitor has taken it (takeKeptChange), so that copies
// that come and go while the GUI thread is busy are each read in turn; at most a bounded number and size of them.
//
// When the owner of the clipboard exits, the selection would go empty: the last content read is offered again,
// with the program's marker and without a rise of the change count. Content marked concealed is not offered
// again.
class X11Pasteboard final : public Pasteboard
{
    Q_OBJECT

public:
    using Limits = X11ClipboardReader::Limits;

    explicit X11Pasteboard(QObject *parent = nullptr);
    explicit X11Pasteboard(const Limits &limits, QObject *parent = nullptr);
    ~X11Pasteboard() override;

    // Whether the X11 clipboard is reachable.
    bool isAvailable() const;
    // Whether the content of the current change has been read (or turned out to be empty).
    bool isContentReady() const { return m_contentReady; }

    qint64 changeCount() const override { return m_changeCount; }
    qint64 contentArrivalLimitMs() const override { return m_limits.contentArrivalLimitMs(); }
    QStringList types() const override;
    std::optional<QByteArray> data(const QString &type) const override;
    std::optional<OversizedContent> oversizedContent() const override;
    Expected<void, QString> write(const PasteboardContent &content) override;
    std::optional<PasteboardChange> takeKeptChange(qint64 changeCount) override;

    // How many changes, and how many bytes of them, are kept at most.
    static constexpr int maximumKeptChanges = 100;
    qint64 maximumKeptBytes() const { return 2 * m_limits.maximumBytes; }

private:
    void handleOwnerChange(const X11ClipboardReader::OwnerChange &change);
    void handleContentRead(
        quint64 serial, const PasteboardContent &content, const std::optional<OversizedContent> &oversized);
    void adoptApplicationClipboard(bool countsAsChange);
    void offerAgain();
    Expected<void, QString> setClipboard(const PasteboardContent &content);
    quint32 selectionOwner() const;
    bool applicationOwnsClipboard();
    bool claimForQt();
    void finishContent(
        const PasteboardContent &content, const std::optional<OversizedContent> &oversized = std::nullopt);

    const Limits m_limits;
    // Our claims behind Qt's back stay in force when Qt hears late that another client had the clipboard.
    X11StaleSelectionClearFilter m_staleClearFilter;
    std::unique_ptr<X11ClipboardReader> m_reader;
    void *m_applicationConnection = nullptr; // the GUI's xcb_connection_t
    quint32 m_applicationBase = 0;
    quint32 m_applicationMask = 0;
    quint32 m_clipboardAtom = 0;
    quint32 m_netWmNameAtom = 0;
    quint32 m_root = 0;
    quint32 m_qtOwnerWindow = 0; // the window through which QClipboard owns selections

    qint64 m_changeCount = 0;
    quint64 m_currentSerial = 0; // the reader's change whose content is current; 0 for content of our own
    PasteboardContent m_content;
    std::optional<OversizedContent> m_oversized; // what the reader left out of m_content for its size
    bool m_contentReady = true;
    std::deque<PasteboardChange> m_kept; // oldest first
    qint64 m_keptBytes = 0;

    // Writes of ours whose ownership report has not come back from the reader yet. Reports that arrive before
    // it describe changes older than the write, which replaced them.
    int m_unconfirmedWrites = 0;
    QDeadlineTimer m_confirmationDeadline;
};
