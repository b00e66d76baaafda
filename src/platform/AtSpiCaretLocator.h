#pragma once

#include "CaretLocator.h"

#include <QDBusConnection>
#include <QString>

#include <memory>

class QDBusMessage;

// The caret through AT-SPI, the desktop's accessibility service on D-Bus. It follows which accessible object has
// the focus from the service's focus events (from construction on, without blocking: the accessibility bus is
// looked up asynchronously), and asks that object's Text interface for the caret offset and the extents of the
// characters at and before it, each call bounded by the caller's deadline. Without a session bus or an
// accessibility bus there is never a caret.
class AtSpiCaretLocator final : public CaretLocator
{
    Q_OBJECT

public:
    explicit AtSpiCaretLocator(QObject *parent = nullptr);
    // A locator on an accessibility bus already known (its address), for tests.
    AtSpiCaretLocator(const QString &accessibilityBusAddress, QObject *parent);
    ~AtSpiCaretLocator() override;

    bool isTrusted() const override;
    std::optional<QRect> caretRect(QDeadlineTimer deadline) override;

private:
    void connectToAccessibilityBus(const QString &address);

private Q_SLOTS:
    void handleFocusEvent(const QDBusMessage &message);

private:
    QString m_connectionName;
    std::unique_ptr<QDBusConnection> m_bus;
    QString m_focusedService;
    QString m_focusedPath;
};
