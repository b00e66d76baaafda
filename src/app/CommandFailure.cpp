#include "CommandFailure.h"

QString CommandFailure::description() const
{
    if (const auto *paste = std::get_if<PasteServiceError>(&m_error))
        return paste->errorDescription();
    return std::get<HistoryStoreError>(m_error).description();
}

bool CommandFailure::isAccessibilityPermissionRequired() const
{
    const auto *paste = std::get_if<PasteServiceError>(&m_error);
    return paste && *paste == PasteServiceError::accessibilityPermissionRequired;
}
