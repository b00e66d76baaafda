#pragma once

#include "ClipboardItem.h"
#include "LinkPreview.h"
#include "LinkPreviewFetcher.h"
#include "Scheduler.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <chrono>
#include <optional>

class AppModel;
class Clock;
class HistoryStore;
class HistoryWrites;
class SupportFolder;

// Fetches the previews of link items in the background and keeps them: the pictures as PNG files in "LinkPreviews"
// of the support folder (named by the item's id and their role), the rest in the item's stored details. The store
// is written as each fetch finishes; the model takes the finished previews in one batch, a moment after the last of
// a burst, so that a list full of links does not redraw once per fetch.
//
// A list full of links fetches a few pages at a time, the first asked first.
//
// A fetch whose item was deleted or cleared meanwhile, or that was cancelled, writes nothing. A fetch that got no
// answer at all (no connection, no reply in time) records nothing either, so the item is tried again later: not
// before a pause that starts at 30 seconds and doubles with each failure in a row, up to an hour, and not while
// the network is down. Rows that ask again and again meanwhile start nothing; a forced refresh (the user's own
// request) fetches at once. Rows ask again after each reload of the list; apart from those retries an item is
// fetched once while the program runs. Main thread only.
class LinkPreviewRequests final : public QObject
{
    Q_OBJECT

public:
    // The model update waits this long after the last finished fetch.
    static constexpr std::chrono::milliseconds modelUpdateDelay {150};
    // At most this many pages are fetched at once; further requests wait their turn, in order.
    static constexpr int maximumRunningFetches = 4;
    // The pause after a fetch got no answer, doubled for each further one in a row, up to the longest.
    static constexpr std::chrono::seconds firstRetryDelay {30};
    static constexpr std::chrono::seconds longestRetryDelay {3600};

    LinkPreviewRequests(AppModel &model, HistoryStore &store, HistoryWrites &writes, LinkPreviewFetcher &fetcher,
        const SupportFolder &support, Scheduler &scheduler, const Clock &clock);

    void requestLinkPreviews(const ClipboardItem &item);
    void refreshLinkPreview(const ClipboardItem &item, bool force);
    // Ends the running fetches (their results are dropped) and forgets the waiting model updates.
    void cancelLinkPreviewTasks();

private:
    // What the tests look into.
    friend class AppCoordinatorProbe;

    // Fetches still running.
    int runningFetchCount() const;
    void handleResult(const QUuid &id, LinkPreviewFetch *fetch, const std::optional<LinkPreview> &preview);
    void queueModelUpdate(const ClipboardItem &item);
    void flushModelUpdates();
    void startWaitingFetches();
    // Whether the item's last fetches got no answer and its pause has not yet passed.
    bool isWaitingToRetry(const QUuid &id) const;
    void noteNoAnswer(const QUuid &id);

    AppModel &m_model;
    HistoryStore &m_store;
    HistoryWrites &m_writes;
    LinkPreviewFetcher &m_fetcher;
    const SupportFolder &m_support;
    Scheduler &m_scheduler;
    const Clock &m_clock;
    QHash<QUuid, QPointer<LinkPreviewFetch>> m_linkPreviewTasksByItemID;
    QHash<QUuid, ClipboardItem> m_pendingLinkPreviewModelUpdatesByItemID;
    ScheduledCall m_linkPreviewModelUpdateTask;
    struct Waiting
    {
        QUuid id;
        bool force = false;
    };
    QList<Waiting> m_waiting;
    struct Retry
    {
        QDateTime notBefore;
        std::chrono::seconds delay {0};
    };
    QHash<QUuid, Retry> m_retriesByItemID;
    // The items whose rows asked for a preview in this run and got a fetch started or queued.
    QSet<QUuid> m_askedItemIDs;
};
