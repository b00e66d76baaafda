#pragma once

#include <QLatin1StringView>
#include <QObject>
#include <QString>

#include <memory>

class QDBusConnection;
class QLockFile;

// One running copy of the program per history. The copy that comes first takes the name serviceName on the session
// bus, with an object whose ShowHistory method shows its history window, and a lock file in the support directory;
// it holds both for the life of the process, from before it opens the history. A later start in the same session
// asks the running copy to show its history window and ends. Where there is no session bus (or another one), the
// lock alone keeps a second copy from capturing into the same history: that copy says so and ends with an error, as
// does one whose running copy does not answer. A lock left behind by a copy that has died is taken over.
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

public Q_SLOTS:
    // The method that a later start calls over the bus.
    Q_SCRIPTABLE void ShowHistory();

Q_SIGNALS:
    // Another start of the program asked for the history window.
    void showHistoryRequested();

private:
    bool takeLock();

    const QString m_supportDirectory;
    std::unique_ptr<QLockFile> m_lock;
    QString m_refusal;
    bool m_servesBus = false;
};
