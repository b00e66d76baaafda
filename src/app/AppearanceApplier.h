#pragma once

#include "AppAppearance.h"

#include <QPalette>
#include <QString>

#include <optional>

// Puts the application in the appearance the user chose: the desktop's own style and palette for `system`, the
// Fusion style with a light or a dark palette otherwise. Main thread only.
class AppearanceApplier
{
public:
    void apply(AppAppearance appearance);

    static QPalette lightPalette();
    static QPalette darkPalette();

private:
    std::optional<AppAppearance> m_applied;
    QString m_systemStyleName; // the style the application started with
};
