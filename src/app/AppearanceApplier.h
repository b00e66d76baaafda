#pragma once

#include "AppAppearance.h"

#include <QPalette>

// Puts the application in the appearance the user chose. The shell gives the desktop's own style and palette for
// `system`, and a light or dark palette otherwise. Main thread only.
class AppearanceApplier
{
public:
    virtual ~AppearanceApplier() = default;

    virtual void apply(AppAppearance appearance) = 0;

    static QPalette lightPalette();
    static QPalette darkPalette();
};
