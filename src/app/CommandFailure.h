#pragma once

#include "HistoryStoreError.h"
#include "PasteServiceError.h"

#include <QString>

#include <variant>

// Why a paste or copy did not go through: the paste service refused it, or the bookkeeping in the store failed.
class CommandFailure
{
public:
    CommandFailure(PasteServiceError error) : m_error(error) { }
    CommandFailure(HistoryStoreError error) : m_error(std::move(error)) { }
    // In the interface language.
    QString description() const;
    bool isAccessibilityPermissionRequired() const;

private:
    std::variant<PasteServiceError, HistoryStoreError> m_error;
};
