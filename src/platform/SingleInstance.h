#pragma once

#include <QLatin1StringView>
#include <QObject>
#include <QString>

class QDBusConnection;

// One running copy of the program per history. The copy that comes first takes the name serviceName on the session
// bus, with an object whose ShowHistory method shows its history window, and a lock file in the support directory;
// it holds both for the life of the process, from before it opens the history. A later start in the same session
// asks the running copy to show its history window and ends. Where there is no session bus (or another one), the
// lock alone keeps a second copy from capturing into the same history: that copy says so and ends with an error, as
// does one whose running copy does not answer.
//
// The running copy holds an exclusive flock on the lock file for its whole life, and the file names it (process id,
// program name, host name, machine id and boot id, one per line, as QLockFile writes them, so that older versions
// read it alike). Only that flock tells that a copy runs: a lock file that nobody holds (empty or garbled by a crash
// or a power cut, left by a process that has died, reused by another program, from an earlier boot) is stale and
// taken over. A lock file written on another computer (a home folder shared or restored from elsewhere) is never
// taken over, since a copy there may still use the history; the refusal names that computer and the file.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.dolmerat.Varnisto")

public:
    static constexpr QLatin1StringView serviceName {"com.dolmerat.Varnisto"};
    static constexpr QLatin1StringView objectPath {"/com/dolmerat/Varnisto"};
    static constexpr QLatin1StringView interfaceName {"com.dolmerat.Varnisto"};
    static constexpr QLatin1StringView lockFileName {"Varnisto.lock"};
    // How long a later start waits for the running copy, which may itself still be starting.
    static constexpr int showHistoryTimeoutMs = 10000;

    enum class Role {
        primary, // this is the running copy: go on starting
        handedOver, // the running copy shows its history window: end without an error
        refused, // another copy uses the history and cannot be asked: end with an error (see refusal())
    };

    explicit SingleInstance(QString supportDirectory, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Decides this copy's role, once, on the session bus (one that is not connected: there is none).
    Role claim(const QDBusConnection &sessionBus);
    // Why this copy does not run, in the interface language; empty unless claim() refused.
    const QString &refusal() const { return m_refusal; }
    QString lockFilePath() const;
    // Whether this copy holds the lock, taking it now where it could not be taken at the claim (a folder that
    // could not be written to then): asked before the history is first written, so that a second copy started
    // meanwhile is kept out as soon as either can write. False while another copy holds the lock.
    bool holdLockForWriting();

public Q_SLOTS:
    // The method that a later start calls over the bus.
    Q_SCRIPTABLE void ShowHistory();

Q_SIGNALS:
    // Another start of the program asked for the history window.
    void showHistoryRequested();

private:
    bool takeLock();
    void releaseLock();

    const QString m_supportDirectory;
    int m_lockFile = -1; // open and flocked while this copy runs
    QString m_refusal;
    bool m_servesBus = false;
};
