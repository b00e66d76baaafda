#pragma once

#include "AppearanceApplier.h"

#include <QColor>
#include <QPalette>
#include <QString>

#include <optional>

// The appearance through the widget style: the desktop's own style and palette for `system`, the Fusion style with
// a light or a dark palette otherwise.
class StyleAppearanceApplier final : public AppearanceApplier
{
public:
    void apply(AppAppearance appearance) override;
    // The line around a menu and between its groups of entries, for light and dark alike.
    static QColor menuFrameColor(const QPalette &palette);

private:
    std::optional<AppAppearance> m_applied;
    QString m_systemStyleName; // the style the application started with
};
