#include "VarnistoArchiveError.h"

#include "Localization.h"

VarnistoArchiveError VarnistoArchiveError::unsupported(qint64 version)
{
    VarnistoArchiveError error(unsupportedVersion);
    error.m_version = version;
    return error;
}

VarnistoArchiveError VarnistoArchiveError::fromStore(const HistoryStoreError &storeError)
{
    VarnistoArchiveError error(storeFailed);
    error.m_storeError = storeError;
    return error;
}

QString VarnistoArchiveError::errorDescription() const
{
    switch (m_value) {
    case unsupportedVersion:
        return localized(QStringLiteral("Varnisto archive version %d is not supported."), {m_version});
    case missingFile:
        return localized(QStringLiteral("The archive is missing %@."), {m_subject});
    case invalidAssetPath:
        return localized(QStringLiteral("The archive contains an invalid asset path: %@."), {m_subject});
    case fileTooLarge:
        return localized(QStringLiteral("The archive file %@ is too large to import."), {m_subject});
    case invalidFile:
        return localized(QStringLiteral("The archive file %1$@ is damaged or not in the expected format: %2$@"),
            {m_subject, m_reason});
    case readFailed:
        return localized(QStringLiteral("Unable to read %1$@: %2$@"), {m_subject, m_reason});
    case writeFailed:
        return localized(QStringLiteral("Unable to write %1$@: %2$@"), {m_subject, m_reason});
    case copyFailed:
        return localized(QStringLiteral("Unable to copy %1$@: %2$@"), {m_subject, m_reason});
    case createDirectoryFailed:
        return localized(QStringLiteral("Unable to create the folder %1$@: %2$@"), {m_subject, m_reason});
    case destinationInsideSupportDirectory:
        return localized(QStringLiteral("The archive can't be saved at %@ because that location is, contains or lies "
                                        "inside Varnisto's own data folder."),
            {m_subject});
    case storeFailed:
        return m_storeError ? m_storeError->description() : QString();
    case unreadableFolderName:
        return localized(
            QStringLiteral("The name of the folder %@ cannot be read. Rename the folder and try again."), {m_subject});
    }
    return {};
}
