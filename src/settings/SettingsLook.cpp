#include "SettingsLook.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

bool SettingsColors::isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor SettingsColors::groupBackground(const QPalette &palette)
{
    return isDark(palette) ? QColor(30, 30, 30) : QColor(245, 245, 245);
}

QColor SettingsColors::separator(const QPalette &palette)
{
    return isDark(palette) ? QColor(47, 47, 47) : QColor(0, 0, 0, 26);
}

QColor SettingsColors::secondaryText(const QPalette &palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(isDark(palette) ? 0.55f : 0.5f);
    return color;
}

QColor SettingsColors::accent(const QPalette &palette)
{
    return isDark(palette) ? QColor(0x0A, 0x84, 0xFF) : QColor(0x00, 0x7A, 0xFF);
}

QColor SettingsColors::controlBackground(const QPalette &palette)
{
    return isDark(palette) ? QColor(0x1E, 0x1E, 0x1E) : QColor(Qt::white);
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
