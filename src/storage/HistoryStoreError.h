#pragma once

#include <QString>

// Why a history store operation failed. The descriptions of the four database cases are fixed English texts;
// they are what the application shows as its last error.
class HistoryStoreError
{
public:
    enum Value : int {
        prepareFailed, // a statement could not be prepared; carries SQLite's message
        stepFailed, // a statement (write, read, schema or transaction control) failed; carries SQLite's message
        openFailed, // the database file could not be opened
        bindFailed, // a value could not be bound to a statement
        decodingFailed, // a stored item could not be read back; carries the reason
        foreignDatabase, // the file is a database of another program, left untouched; carries the file's path
        readOnly, // the history's folder cannot be written to: the history is only read; carries the folder's path
    };

    // `resultCode` is SQLite's extended result code of the failure, 0 when there is none.
    HistoryStoreError(Value value, QString message = {}, int resultCode = 0)
        : m_value(value), m_message(std::move(message)), m_resultCode(resultCode)
    { }

    Value value() const { return m_value; }
    operator Value() const { return m_value; }
    // SQLite's message (or "Unknown SQLite error"), the decoding fault, or the path of a foreign database; empty
    // for the cases without one.
    const QString &message() const { return m_message; }
    int resultCode() const { return m_resultCode; }

    // "Unable to prepare the history database statement: <message>", "Unable to write to the history
    // database: <message>", "Unable to open the Varnisto history database.", "Unable to bind a history
    // database value.", or, for an item that cannot be read, a foreign database and a history that can only be
    // read, a localised text naming the reason, the file or the folder.
    QString description() const;

    // The database was locked by another connection (another program reading or writing the file) for longer
    // than the store waits: the same operation may succeed later. Told by SQLite's result code (SQLITE_BUSY or
    // SQLITE_LOCKED, with their extended codes); an error made without a code is told by SQLite's message.
    bool isDatabaseBusy() const;
    // SQLite found the file's pages inconsistent (SQLITE_CORRUPT and its extended codes): the file is damaged. A
    // file that is no database at all is not among them.
    bool isDatabaseDamaged() const;

    bool operator==(const HistoryStoreError &) const = default;

private:
    Value m_value;
    QString m_message;
    int m_resultCode = 0;
};
