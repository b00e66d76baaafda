#include "ClipboardImageExportError.h"

#include "Localization.h"

QString ClipboardImageExportError::errorDescription() const
{
    switch (m_value) {
    case unsupportedItem:
        return localized(QStringLiteral("This clipboard item cannot be saved as an image file."));
    case missingImageFile:
        return localized(QStringLiteral("The image file for this clipboard item could not be found."));
    }
    return {};
}
