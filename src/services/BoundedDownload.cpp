#include "BoundedDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

// Data Qt may hold for us between two reads; with it the server is slowed down instead of filling memory.
constexpr qint64 readBufferSize = 64 * 1024;
constexpr int maximumRedirects = 16;

} // namespace

BoundedDownload::BoundedDownload(QNetworkAccessManager &network, QNetworkRequest request, qint64 cap, Overflow overflow,
    std::chrono::milliseconds deadline, QObject *parent)
    : QObject(parent), m_cap(qMax<qint64>(0, cap)), m_overflow(overflow)
{
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maximumRedirects);
    m_result.finalURL = request.url();

    m_reply = network.get(request);
    m_reply->setParent(this);
    m_reply->setReadBufferSize(readBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        // A refused body announced as too large is not downloaded at all.
        if (m_overflow != Overflow::fail || !m_reply)
            return;
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (status.isValid() && status.toInt() >= 200 && status.toInt() < 300 && length.isValid()
            && length.toLongLong() > m_cap) {
            m_result.exceededCap = true;
            stop();
        }
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &BoundedDownload::takeAvailableBytes);
    connect(m_reply, &QNetworkReply::finished, this, &BoundedDownload::complete);

    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_result.timedOut = true;
        stop();
    });
    m_deadline.start(deadline);
}

BoundedDownload::~BoundedDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void BoundedDownload::cancel()
{
    if (m_finished || m_result.cancelled)
        return;
    m_result.cancelled = true;
    stop();
}

void BoundedDownload::stop()
{
    if (m_reply && m_reply->isRunning())
        m_reply->abort();
}

void BoundedDownload::takeAvailableBytes()
{
    if (!m_reply || m_reachedCap || m_result.exceededCap)
        return;
    while (m_reply->bytesAvailable() > 0) {
        const qint64 room = m_cap - m_result.body.size();
        // One byte more than fits tells a body that is exactly the cap from one that is longer.
        const QByteArray chunk = m_reply->read(qMin(m_reply->bytesAvailable(), room + 1));
        if (chunk.isEmpty())
            break;
        if (chunk.size() <= room) {
            m_result.body.append(chunk);
            continue;
        }
        if (m_overflow == Overflow::keepBeginning) {
            m_result.body.append(chunk.left(room));
            m_reachedCap = true;
        } else {
            m_result.exceededCap = true;
        }
        stop();
        return;
    }
    // A body that ends exactly at the cap in keep-the-beginning mode needs nothing more.
    if (m_overflow == Overflow::keepBeginning && m_result.body.size() >= m_cap && m_cap > 0) {
        m_reachedCap = true;
        stop();
    }
}

void BoundedDownload::complete()
{
    if (m_finished || !m_reply)
        return;
    takeAvailableBytes();
    m_deadline.stop();

    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        m_result.httpStatus = status.toInt();
    m_result.finalURL = m_reply->url();
    // A redirect from "https" to "http" is not followed; its answer is the answer.
    const bool endedNormally
        = m_reply->error() == QNetworkReply::NoError || m_reply->error() == QNetworkReply::InsecureRedirectError;
    const bool cutAtCap = m_reachedCap && !m_result.timedOut && !m_result.cancelled;
    m_result.succeeded = !m_result.exceededCap && (endedNormally || cutAtCap);
    if (!m_result.succeeded)
        m_result.body.clear();

    m_finished = true;
    m_reply->disconnect(this);
    m_reply->deleteLater();
    QMetaObject::invokeMethod(this, &BoundedDownload::finished, Qt::QueuedConnection);
}
