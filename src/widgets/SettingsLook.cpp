#include "SettingsLook.h"

#include "HistoryColors.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

QColor SettingsColors::groupBackground(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(30, 30, 30) : QColor(245, 245, 245);
}

QColor SettingsColors::separator(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(47, 47, 47) : QColor(0, 0, 0, 26);
}

QColor SettingsColors::secondaryText(const QPalette &palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(HistoryColors::isDark(palette) ? 0.55f : 0.5f);
    return color;
}

QColor SettingsColors::accent(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(0x0A, 0x84, 0xFF) : QColor(0x00, 0x7A, 0xFF);
}

double SettingsColors::contrastRatio(const QColor &first, const QColor &second)
{
    const auto luminance = [](const QColor &colour) {
        const auto channel
            = [](double value) { return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor SettingsColors::readableFill(const QColor &fill, const QColor &text)
{
    QColor result = fill.toRgb();
    // Styles draw a button's fill as a gradient up to about half again as light as the colour given (Fusion does).
    for (int step = 0; step < 40 && contrastRatio(result.lighter(150), text) < 4.5; ++step)
        result = result.darker(105);
    return result;
}

QColor SettingsColors::controlBackground(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(0x1E, 0x1E, 0x1E) : QColor(Qt::white);
}

void AppearanceUpdatingView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && onEffectiveAppearanceChange)
        onEffectiveAppearanceChange();
}

SettingsGroupView::SettingsGroupView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, false);
}

void SettingsGroupView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(path, SettingsColors::groupBackground(palette()));
}

SettingsGroupDividerView::SettingsGroupDividerView(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsGroupDividerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), SettingsColors::separator(palette()));
}

BorderlessSettingsTextField::BorderlessSettingsTextField(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    applyPalette();
}

void BorderlessSettingsTextField::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::ApplicationPaletteChange)
        applyPalette();
}

void BorderlessSettingsTextField::applyPalette()
{
    QPalette own = QApplication::palette(this);
    own.setColor(QPalette::Base, Qt::transparent);
    setPalette(own);
}

QFont SettingsFonts::sized(int pixelSize, int weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Weight(weight));
    return font;
}

QFont SettingsFonts::body()
{
    return sized(13);
}

QFont SettingsFonts::caption()
{
    return sized(10);
}

QFont SettingsFonts::headline()
{
    return sized(13, QFont::Bold);
}

QIcon settingsThemeIcon(const QString &name)
{
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == u"hicolor")
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    return QIcon::fromTheme(name);
}
