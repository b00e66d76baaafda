#pragma once

#include "IncrementalClipboardOwner.h"

#include <QByteArray>
#include <QList>
#include <QTimer>

// A clipboard owner of one large text that it hands over in parts at its own pace, as an application busy with
// something else does: each part a while after the requestor took the one before. One transfer at a time; requests
// that come during a transfer wait until it has ended. It tells a transfer that the requestor read to its end from
// one that the requestor gave up (its window went away).
class PacedClipboardOwner final : public IncrementalClipboardOwner
{
public:
    PacedClipboardOwner(const QByteArray &text, qsizetype partSize, int partDelayMs)
        : m_text(text), m_partSize(partSize), m_delayMs(partDelayMs)
    {
        m_utf8 = atom("UTF8_STRING");
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { sendNextPart(); });
        takeClipboard();
    }

    bool isTransferring() const { return IncrementalClipboardOwner::isTransferring(); }
    int startedTransfers() const { return m_started; }
    int finishedTransfers() const { return m_finished; }
    int abandonedTransfers() const { return m_abandoned; }
    qsizetype bytesSent() const { return m_sent; }

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
                offerTargets(request, {m_targets, m_utf8});
            } else if (request.target == m_utf8) {
                m_sent = 0;
                m_ending = false;
                ++m_started;
                beginTransfer(request, quint32(m_text.size()));
            }
            notify(request, request.target == m_targets || request.target == m_utf8);
        }
    }

    void partTaken() override
    {
        if (m_ending) {
            // The empty part was taken: the transfer is over.
            endTransfer();
            ++m_finished;
            answerWaiting();
            return;
        }
        m_timer.start(m_delayMs);
    }

    void requestorGone() override
    {
        m_timer.stop();
        endTransfer();
        ++m_abandoned;
        answerWaiting();
    }

    void sendNextPart()
    {
        if (!isTransferring())
            return;
        const QByteArray part = m_text.mid(m_sent, m_partSize);
        m_sent += part.size();
        m_ending = part.isEmpty();
        sendPart(m_utf8, part.constData(), quint32(part.size()));
    }

    QByteArray m_text;
    qsizetype m_partSize = 0;
    int m_delayMs = 0;
    qsizetype m_sent = 0;
    bool m_ending = false;
    int m_started = 0;
    int m_finished = 0;
    int m_abandoned = 0;
    QTimer m_timer;
    QList<xcb_selection_request_event_t> m_waiting;
    xcb_atom_t m_utf8 = XCB_NONE;
};
