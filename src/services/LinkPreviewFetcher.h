#pragma once

#include "LinkPreview.h"
#include "LinkPreviewMetadata.h"
#include "Url.h"

#include <QByteArray>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <optional>

class BoundedDownload;
class LinkPreviewFetcher;

// One running fetch of a link preview. It belongs to the fetcher and deletes itself once it has emitted
// `finished`; keep it in a QPointer. Deleting it earlier ends its requests and reports nothing.
class LinkPreviewFetch final : public QObject
{
    Q_OBJECT

public:
    // Why a fetch brought no preview.
    enum class Failure {
        none, // there is a preview
        unsupportedAddress, // not "http" or "https": nothing was sent
        noAnswer, // no connection, no complete answer in time, or cancelled: worth trying again later
        refused, // the server answered with a status outside 200 to 399
    };

    const Url &pageURL() const { return m_pageURL; }
    // Known when `finished` is emitted.
    Failure failure() const { return m_failure; }

    // Ends the pending requests as failures. Cancelled while the page loads, the fetch gives nothing; cancelled
    // later, it still gives the page's text, with whatever pictures had already arrived. `finished` follows.
    void cancel();
    bool isCancelled() const { return m_cancelled; }

Q_SIGNALS:
    // Emitted once, from the event loop. Nothing when the page itself could not be loaded.
    void finished(const std::optional<LinkPreview> &preview);

private:
    friend class LinkPreviewFetcher;
    LinkPreviewFetch(LinkPreviewFetcher &fetcher, Url pageURL);

    void start();
    void pageLoaded();
    void startImage(const std::optional<Url> &url);
    void tryNextFavicon();
    QImage imageOf(const BoundedDownload &download) const;
    void finishIfComplete();
    void finish(std::optional<LinkPreview> preview, Failure failure = Failure::none);

    LinkPreviewFetcher &m_fetcher;
    const Url m_pageURL;
    bool m_cancelled = false;
    bool m_finished = false;
    Failure m_failure = Failure::none;

    QPointer<BoundedDownload> m_page;
    QPointer<BoundedDownload> m_image;
    QPointer<BoundedDownload> m_favicon;

    LinkPreviewMetadata m_metadata;
    qsizetype m_nextFavicon = 0;
    bool m_imageDone = false;
    bool m_faviconDone = false;
    QImage m_imageResult;
    QImage m_faviconResult;
};

// Turns the address of a copied link into a preview: the beginning of the page (its title, description,
// preview-image address and icons) and, at the same time, the preview image and the first icon that loads.
// Only "http" and "https" addresses are fetched. Keeps nothing between fetches. GUI thread only.
class LinkPreviewFetcher final : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 pageByteLimit = 524288;
    static constexpr qint64 imageByteLimit = 5242880;
    static constexpr qint64 faviconByteLimit = 524288;
    static constexpr std::chrono::milliseconds defaultRequestDeadline {10000};

    explicit LinkPreviewFetcher(QObject *parent = nullptr);

    // The longest any one request may take, from start to end. 10 seconds.
    void setRequestDeadline(std::chrono::milliseconds deadline) { m_requestDeadline = deadline; }

    // Starts fetching the preview of the page.
    LinkPreviewFetch *fetch(const Url &pageURL);

    // Whether a fetch of the page can reach it now: false while the system reports the network as down (through
    // Qt's network information, where a backend for it is available), except for addresses of this machine.
    // Without such a backend the network counts as up.
    bool canReach(const Url &pageURL) const;
    // Replaces what the system reports, for tests; an empty function restores it.
    void setReachability(std::function<bool(const Url &)> reachability) { m_reachability = std::move(reachability); }

    // The scheme is exactly "http" or "https", as written.
    static bool isFetchable(const Url &url);
    // The page's first bytes as UTF-8; each ill-formed sequence (also one cut off at the end) becomes one
    // U+FFFD per maximal subpart.
    static QString decodedPageText(const QByteArray &bytes);
    static QNetworkRequest pageRequest(const Url &url);
    static QNetworkRequest imageRequest(const Url &url);

private:
    friend class LinkPreviewFetch;
    // What the tests and benchmarks look into.
    friend class ServicesProbe;

    QNetworkAccessManager m_network;
    std::chrono::milliseconds m_requestDeadline = defaultRequestDeadline;
    std::function<bool(const Url &)> m_reachability;
};
