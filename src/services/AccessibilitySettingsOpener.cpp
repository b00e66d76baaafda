#include "AccessibilitySettingsOpener.h"

namespace AccessibilitySettingsOpener {

bool hasAccessibilityPrivacySettings()
{
    return false;
}

void openAccessibilityPrivacySettings() { }

} // namespace AccessibilitySettingsOpener
