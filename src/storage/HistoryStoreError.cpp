#include "HistoryStoreError.h"

#include "Localization.h"

#include <sqlite3.h>

QString HistoryStoreError::description() const
{
    switch (m_value) {
    case prepareFailed:
        return QStringLiteral("Unable to prepare the history database statement: ") + m_message;
    case stepFailed:
        return QStringLiteral("Unable to write to the history database: ") + m_message;
    case openFailed:
        return QStringLiteral("Unable to open the Varnisto history database.");
    case bindFailed:
        return QStringLiteral("Unable to bind a history database value.");
    case decodingFailed:
        return localized(QStringLiteral("A history item could not be read: %@"), {m_message});
    case foreignDatabase:
        return localized(QStringLiteral("Unable to open the Varnisto history database: %@ is not a Varnisto history. "
                                        "The file was left unchanged."),
            {m_message});
    case readOnly:
        return localized(QStringLiteral("The history in %@ can only be read, because the folder cannot be written to. "
                                        "New copies are not kept until it can be written to."),
            {m_message});
    }
    return {};
}

bool HistoryStoreError::isDatabaseBusy() const
{
    if (m_value != stepFailed && m_value != prepareFailed)
        return false;
    if (m_resultCode != 0) {
        const int primary = m_resultCode & 0xff;
        return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
    }
    // SQLite's messages for SQLITE_BUSY and SQLITE_LOCKED.
    return m_message.startsWith(QLatin1String("database is locked"))
        || m_message.startsWith(QLatin1String("database table is locked"))
        || m_message.startsWith(QLatin1String("database schema is locked"));
}

bool HistoryStoreError::isDatabaseDamaged() const
{
    if (m_value != stepFailed && m_value != prepareFailed)
        return false;
    return (m_resultCode & 0xff) == SQLITE_CORRUPT;
}
