#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// One GET request whose body is counted while it streams in, so that it never holds more than its byte cap,
// and which ends after its deadline whatever the server does (Qt's own transfer time-out only measures
// silence). Redirects are followed unless they lead from "https" to "http"; such a redirect is the answer.
class BoundedDownload final : public QObject
{
    Q_OBJECT

public:
    // What happens when the body grows past the cap.
    enum class Overflow {
        keepBeginning, // stop there and keep the first `cap` bytes as the body
        fail, // stop there; the download fails
    };

    struct Result
    {
        bool succeeded = false; // ended without a transport error, an HTTP error status, a cut or a cancellation
        std::optional<int> httpStatus; // of the last response (after redirects); nothing without an HTTP answer
        QByteArray body; // at most the cap
        QUrl finalURL; // the address reached after redirects
        bool exceededCap = false; // the body grew past the cap
        bool timedOut = false;
        bool cancelled = false;
    };

    // Starts at once. The manager must outlive the download.
    BoundedDownload(QNetworkAccessManager &network, QNetworkRequest request, qint64 cap, Overflow overflow,
        std::chrono::milliseconds deadline, QObject *parent = nullptr);
    ~BoundedDownload() override;

    // Ends the request as failed; `finished` follows.
    void cancel();

    bool isFinished() const { return m_finished; }
    const Result &result() const { return m_result; }

Q_SIGNALS:
    // Emitted once, always from the event loop (never from inside the constructor or `cancel`).
    void finished();

private:
    void takeAvailableBytes();
    void stop();
    void complete();

    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    const qint64 m_cap;
    const Overflow m_overflow;
    bool m_reachedCap = false;
    bool m_finished = false;
    Result m_result;
};
