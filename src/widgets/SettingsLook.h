#pragma once

#include <QColor>
#include <QIcon>
#include <QLineEdit>
#include <QWidget>

#include <functional>

// The look the settings share with the dialogs that borrow it (the tag dialog): rounded row groups, hairline
// dividers, a borderless field, and the colours they are drawn in. Colours follow the widget's palette, so a
// switch between light and dark repaints them at once.
namespace SettingsColors {
// The card behind a group of rows: grey 245 in light, 30 in dark.
QColor groupBackground(const QPalette &palette);
// The hairline between rows: the separator colour in light, an opaque grey 47 in dark.
QColor separator(const QPalette &palette);
// Text of secondary importance: the text colour at half strength.
QColor secondaryText(const QPalette &palette);
QColor accent(const QPalette &palette);
// The inside of a small control (the shortcut field).
QColor controlBackground(const QPalette &palette);
// The contrast ratio of two opaque colours as WCAG defines it, from 1 (alike) to 21 (black on white).
double contrastRatio(const QColor &first, const QColor &second);
// The fill, darkened as little as needed for the text on it to reach a ratio of 4.5 even where the style draws it
// lighter.
QColor readableFill(const QColor &fill, const QColor &text);
} // namespace SettingsColors

// A plain view that tells its owner when the palette changes from light to dark or back.
class AppearanceUpdatingView : public QWidget
{
    Q_OBJECT

public:
    explicit AppearanceUpdatingView(QWidget *parent = nullptr) : QWidget(parent) { }

    std::function<void()> onEffectiveAppearanceChange;

protected:
    void changeEvent(QEvent *event) override;
};

// The rounded card (radius 12) that a group of settings rows sits on.
class SettingsGroupView : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsGroupView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The hairline between two rows of a group.
class SettingsGroupDividerView : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsGroupDividerView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A text field without border, background or focus ring, its text centred vertically and aligned to the right.
class BorderlessSettingsTextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit BorderlessSettingsTextField(QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyPalette();
};

// Fonts in pixels, as the settings size them.
namespace SettingsFonts {
QFont body(); // 13
QFont caption(); // 10
QFont headline(); // 13, bold
QFont sized(int pixelSize, int weight = 400);
} // namespace SettingsFonts

// An icon of the desktop's icon theme. Without a desktop (a bare X session) Qt knows no theme; the one the system
// installs serves then.
QIcon settingsThemeIcon(const QString &name);
