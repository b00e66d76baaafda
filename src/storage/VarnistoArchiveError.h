#pragma once

#include "HistoryStoreError.h"

#include <QString>

#include <optional>

// Why an export or import of the history archive failed. The description is in the interface language.
class VarnistoArchiveError
{
public:
    enum Value : int {
        unsupportedVersion, // the archive's format is newer than this version reads
        missingFile, // subject: "manifest.json", "tags.json" or "history.json"
        invalidAssetPath, // subject: the path as the archive writes it
        fileTooLarge, // subject: the archive file's name
        invalidFile, // subject: the archive file's name; reason: what is wrong in it
        readFailed, // subject: a path; reason: the system's message
        writeFailed,
        copyFailed,
        createDirectoryFailed,
        destinationInsideSupportDirectory, // subject: the chosen destination
        storeFailed, // the history store refused a write
        unreadableFolderName, // subject: the folder's path as it reads; its name has bytes that are not UTF-8
    };

    VarnistoArchiveError(Value value, QString subject = {}, QString reason = {})
        : m_value(value), m_subject(std::move(subject)), m_reason(std::move(reason))
    { }
    static VarnistoArchiveError unsupported(qint64 version);
    static VarnistoArchiveError fromStore(const HistoryStoreError &error);

    Value value() const { return m_value; }
    operator Value() const { return m_value; }
    const QString &subject() const { return m_subject; }
    const QString &reason() const { return m_reason; }
    qint64 version() const { return m_version; }
    const std::optional<HistoryStoreError> &storeError() const { return m_storeError; }

    // "Varnisto archive version %d is not supported.", "The archive is missing %@.", "The archive contains an
    // invalid asset path: %@.", and so on, in the interface language.
    QString errorDescription() const;

    bool operator==(const VarnistoArchiveError &) const = default;

private:
    Value m_value;
    QString m_subject;
    QString m_reason;
    qint64 m_version = 0;
    std::optional<HistoryStoreError> m_storeError;
};
