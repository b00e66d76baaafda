#include "PasteServiceError.h"

#include "Localization.h"

QString PasteServiceError::englishDescription() const
{
    switch (m_value) {
    case accessibilityPermissionRequired:
        return QStringLiteral("Pasting into other apps needs synthetic key input, which this X display does not "
                              "allow (it lacks the XTEST extension).");
    case unsupportedItem:
        return QStringLiteral("This clipboard item cannot be copied or pasted.");
    }
    return {};
}

QString PasteServiceError::errorDescription() const
{
    return localized(englishDescription());
}
