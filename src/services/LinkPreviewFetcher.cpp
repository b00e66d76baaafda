#include "LinkPreviewFetcher.h"

#include "BoundedDownload.h"

#include <QHostAddress>
#include <QNetworkInformation>

namespace {

bool isAcceptedStatus(const std::optional<int> &status)
{
    return status && *status >= 200 && *status <= 399;
}

// The lengths and second-byte ranges of the well-formed UTF-8 sequences, by their first byte.
struct SequenceShape
{
    int length = 0; // 0: the byte cannot start a sequence
    quint8 secondLow = 0x80;
    quint8 secondHigh = 0xBF;
};

SequenceShape shapeOf(quint8 lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {};
}

} // namespace

// --- The fetcher -----------------------------------------------------------------------------------------------

LinkPreviewFetcher::LinkPreviewFetcher(QObject *parent) : QObject(parent) { }

LinkPreviewFetch *LinkPreviewFetcher::fetch(const Url &pageURL)
{
    auto *fetch = new LinkPreviewFetch(*this, pageURL);
    fetch->start();
    return fetch;
}

bool LinkPreviewFetcher::canReach(const Url &pageURL) const
{
    if (m_reachability)
        return m_reachability(pageURL);
    const QString host = pageURL.toQUrl().host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback())
        return true;
    // The backend is loaded once, when the first page is to be fetched; it keeps its answer current itself.
    static const bool loaded = QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    const QNetworkInformation *information = loaded ? QNetworkInformation::instance() : nullptr;
    return !information || information->reachability() != QNetworkInformation::Reachability::Disconnected;
}

bool LinkPreviewFetcher::isFetchable(const Url &url)
{
    return url.scheme && (*url.scheme == u"http" || *url.scheme == u"https");
}

QNetworkRequest LinkPreviewFetcher::pageRequest(const Url &url)
{
    QNetworkRequest request(url.toQUrl());
    request.setRawHeader("Accept", "text/html,application/xhtml+xml");
    request.setRawHeader("Range", "bytes=0-" + QByteArray::number(pageByteLimit - 1));
    request.setRawHeader("User-Agent", "Varnisto/1.0");
    return request;
}

QNetworkRequest LinkPreviewFetcher::imageRequest(const Url &url)
{
    QNetworkRequest request(url.toQUrl());
    request.setRawHeader("Accept", "image/avif,image/webp,image/png,image/jpeg,image/*;q=0.8");
    request.setRawHeader("User-Agent", "Varnisto/1.0");
    return request;
}

QString LinkPreviewFetcher::decodedPageText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    const auto byteAt = [&bytes](qsizetype i) { return quint8(bytes.at(i)); };
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const quint8 lead = byteAt(i);
        if (lead < 0x80) {
            text.append(QChar(lead));
            ++i;
            continue;
        }
        const SequenceShape shape = shapeOf(lead);
        // The longest start of a well-formed sequence found here (its maximal subpart).
        int taken = 1;
        if (shape.length > 0) {
            while (taken < shape.length && i + taken < size) {
                const quint8 next = byteAt(i + taken);
                const quint8 low = taken == 1 ? shape.secondLow : 0x80;
                const quint8 high = taken == 1 ? shape.secondHigh : 0xBF;
                if (next < low || next > high)
                    break;
                ++taken;
            }
        }
        if (shape.length == 0 || taken < shape.length) {
            text.append(QChar::ReplacementCharacter);
            i += taken;
            continue;
        }
        char32_t codePoint = lead & (0xFF >> (shape.length + 1));
        for (int k = 1; k < shape.length; ++k)
            codePoint = (codePoint << 6) | (byteAt(i + k) & 0x3F);
        text.append(QString::fromUcs4(&codePoint, 1));
        i += shape.length;
    }
    return text;
}

// --- One fetch -------------------------------------------------------------------------------------------------

LinkPreviewFetch::LinkPreviewFetch(LinkPreviewFetcher &fetcher, Url pageURL)
    : QObject(&fetcher), m_fetcher(fetcher), m_pageURL(std::move(pageURL))
{ }

void LinkPreviewFetch::start()
{
    if (!LinkPreviewFetcher::isFetchable(m_pageURL)) {
        finish(std::nullopt, Failure::unsupportedAddress);
        return;
    }
    m_page = new BoundedDownload(m_fetcher.m_network, LinkPreviewFetcher::pageRequest(m_pageURL),
        LinkPreviewFetcher::pageByteLimit, BoundedDownload::Overflow::keepBeginning, m_fetcher.m_requestDeadline, this);
    connect(m_page, &BoundedDownload::finished, this, &LinkPreviewFetch::pageLoaded);
}

void LinkPreviewFetch::cancel()
{
    if (m_cancelled || m_finished)
        return;
    m_cancelled = true;
    for (BoundedDownload *download : {m_page.data(), m_image.data(), m_favicon.data()}) {
        if (download)
            download->cancel();
    }
}

void LinkPreviewFetch::pageLoaded()
{
    const BoundedDownload::Result page = m_page->result();
    m_page->deleteLater();
    if (m_cancelled || page.cancelled || page.timedOut || !page.httpStatus) {
        finish(std::nullopt, Failure::noAnswer);
        return;
    }
    if (!isAcceptedStatus(page.httpStatus)) {
        finish(std::nullopt, Failure::refused);
        return;
    }
    if (!page.succeeded) {
        finish(std::nullopt, Failure::noAnswer); // the answer broke off
        return;
    }
    // Relative addresses in the page lead where the browser would go: from the address the redirects reached.
    const Url base = Url::parse(page.finalURL.toString(QUrl::FullyEncoded)).value_or(m_pageURL);
    m_metadata = LinkPreviewMetadata::parse(LinkPreviewFetcher::decodedPageText(page.body), base);
    startImage(m_metadata.imageURL);
    tryNextFavicon();
}

QImage LinkPreviewFetch::imageOf(const BoundedDownload &download) const
{
    const BoundedDownload::Result &result = download.result();
    if (m_cancelled || !result.succeeded || !isAcceptedStatus(result.httpStatus))
        return {};
    return QImage::fromData(result.body);
}

void LinkPreviewFetch::startImage(const std::optional<Url> &url)
{
    if (!url || !LinkPreviewFetcher::isFetchable(*url)) {
        m_imageDone = true;
        return;
    }
    m_image = new BoundedDownload(m_fetcher.m_network, LinkPreviewFetcher::imageRequest(*url),
        LinkPreviewFetcher::imageByteLimit, BoundedDownload::Overflow::fail, m_fetcher.m_requestDeadline, this);
    connect(m_image, &BoundedDownload::finished, this, [this] {
        m_imageResult = imageOf(*m_image);
        m_image->deleteLater();
        m_imageDone = true;
        finishIfComplete();
    });
}

void LinkPreviewFetch::tryNextFavicon()
{
    // One candidate after the other; the first that gives a picture ends the search.
    while (!m_cancelled && m_nextFavicon < m_metadata.faviconURLs.size()) {
        const Url url = m_metadata.faviconURLs.at(m_nextFavicon++);
        if (!LinkPreviewFetcher::isFetchable(url))
            continue;
        m_favicon = new BoundedDownload(m_fetcher.m_network, LinkPreviewFetcher::imageRequest(url),
            LinkPreviewFetcher::faviconByteLimit, BoundedDownload::Overflow::fail, m_fetcher.m_requestDeadline, this);
        connect(m_favicon, &BoundedDownload::finished, this, [this] {
            const QImage icon = imageOf(*m_favicon);
            m_favicon->deleteLater();
            if (icon.isNull()) {
                tryNextFavicon();
                return;
            }
            m_faviconResult = icon;
            m_faviconDone = true;
            finishIfComplete();
        });
        return;
    }
    m_faviconDone = true;
    finishIfComplete();
}

void LinkPreviewFetch::finishIfComplete()
{
    if (m_imageDone && m_faviconDone)
        finish(LinkPreview {m_pageURL, m_metadata.title, m_metadata.description, m_imageResult, m_faviconResult});
}

void LinkPreviewFetch::finish(std::optional<LinkPreview> preview, Failure failure)
{
    if (m_finished)
        return;
    m_finished = true;
    m_failure = failure;
    QMetaObject::invokeMethod(
        this,
        [this, preview = std::move(preview)] {
            Q_EMIT finished(preview);
            deleteLater();
        },
        Qt::QueuedConnection);
}
