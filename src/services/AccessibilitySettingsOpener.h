#pragma once

// The system settings page where the user lets the program post key presses to other applications.
//
// X11 has no such permission and no such page: key posting works whenever the display has the XTEST extension,
// and the only remedy without it is another X server. So there is nothing to open here; callers that would offer
// an "Open Settings" button ask hasAccessibilityPrivacySettings() first and explain the XTEST requirement instead.
namespace AccessibilitySettingsOpener {

// Whether this desktop has a settings page to open. Always false on X11.
bool hasAccessibilityPrivacySettings();
// Opens the page when there is one; on X11 it does nothing (and changes nothing), however often it is called.
void openAccessibilityPrivacySettings();

} // namespace AccessibilitySettingsOpener
