#include "AppearancePicker.h"

#include "Localization.h"
#include "SettingsLook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr QSizeF pictureSize {93, 58.5};

struct WindowColours
{
    QColor desktop;
    QColor window;
    QColor sidebar;
    QColor line;
};

WindowColours coloursOf(bool dark)
{
    if (dark)
        return {QColor(0x3A, 0x4A, 0x6B), QColor(0x2B, 0x2B, 0x2E), QColor(0x38, 0x38, 0x3C), QColor(0x5A, 0x5A, 0x60)};
    return {QColor(0x9C, 0xC2, 0xF0), QColor(0xFA, 0xFA, 0xFA), QColor(0xE6, 0xE6, 0xEA), QColor(0xC8, 0xC8, 0xCE)};
}

// A desktop with a small window on it, in one theme.
void paintDesktop(QPainter &painter, const QRectF &area, bool dark)
{
    const WindowColours colours = coloursOf(dark);
    painter.fillRect(area, colours.desktop);
    const QRectF window = area.adjusted(area.width() * 0.16, area.height() * 0.2, -area.width() * 0.1, 0);
    QPainterPath frame;
    frame.addRoundedRect(window.adjusted(0, 0, 0, 8), 5, 5);
    painter.fillPath(frame, colours.window);
    const QRectF sidebar(window.left(), window.top(), window.width() * 0.3, window.height());
    painter.save();
    painter.setClipPath(frame);
    painter.fillRect(sidebar, colours.sidebar);
    painter.restore();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0x5F, 0x57));
    painter.drawEllipse(QPointF(window.left() + 5, window.top() + 5), 1.6, 1.6);
    painter.setBrush(QColor(0xFE, 0xBC, 0x2E));
    painter.drawEllipse(QPointF(window.left() + 10, window.top() + 5), 1.6, 1.6);
    painter.setBrush(colours.line);
    for (int line = 0; line < 3; ++line) {
        painter.drawRoundedRect(
            QRectF(sidebar.right() + 6, window.top() + 12 + line * 8, window.width() * (0.5 - line * 0.1), 3), 1.5,
            1.5);
    }
}

} // namespace

QImage AppearancePicker::preview(AppAppearance appearance, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), QSizeF(size));
    switch (appearance) {
    case AppAppearance::light:
        paintDesktop(painter, area, false);
        break;
    case AppAppearance::dark:
        paintDesktop(painter, area, true);
        break;
    case AppAppearance::system: {
        // Half light, half dark, split on the diagonal.
        paintDesktop(painter, area, false);
        QPainterPath half;
        half.moveTo(area.width() * 0.62, 0);
        half.lineTo(area.width(), 0);
        half.lineTo(area.width(), area.height());
        half.lineTo(area.width() * 0.38, area.height());
        half.closeSubpath();
        painter.setClipPath(half);
        paintDesktop(painter, area, true);
        break;
    }
    }
    return image;
}

AppearancePickerOption::AppearancePickerOption(AppAppearance appearance, QWidget *parent)
    : QAbstractButton(parent), m_appearance(appearance)
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(appearance.title());
}

void AppearancePickerOption::setSelected(bool selected)
{
    m_isSelected = selected;
    setAccessibleDescription(selected ? localized(QStringLiteral("Selected")) : QString());
    update();
}

void AppearancePickerOption::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF picture(QPointF((width() - pictureSize.width()) / 2, 6 + 5), pictureSize);
    const qreal ratio = devicePixelRatioF();
    QImage image = AppearancePicker::preview(m_appearance, (pictureSize * ratio).toSize());
    if (!m_isSelected)
        image = image.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainterPath clip;
    clip.addRoundedRect(picture, 10, 10);
    painter.save();
    painter.setClipPath(clip);
    painter.setOpacity(m_isSelected ? 1.0 : 0.72);
    painter.drawImage(picture, image);
    painter.restore();
    if (m_isSelected) {
        painter.setPen(QPen(SettingsColors::accent(palette()), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(picture.adjusted(-5 + 1.5, -5 + 1.5, 5 - 1.5, 5 - 1.5), 14 - 1.5, 14 - 1.5);
    } else if (hasFocus()) {
        painter.setPen(QPen(SettingsColors::accent(palette()), 1));
        painter.drawRoundedRect(picture.adjusted(-3, -3, 3, 3), 12, 12);
    }
    QFont font = SettingsFonts::sized(10, m_isSelected ? QFont::DemiBold : QFont::Normal);
    painter.setFont(font);
    painter.setPen(m_isSelected ? palette().color(QPalette::WindowText) : SettingsColors::secondaryText(palette()));
    const QRectF title(0, picture.bottom() + 5 + 7, width(), QFontMetricsF(font).height());
    painter.drawText(title, Qt::AlignHCenter | Qt::AlignTop, m_appearance.title());
}

AppearancePicker::AppearancePicker(PreferenceBinding<AppAppearance> selection, QWidget *parent)
    : QWidget(parent), m_selection(selection)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 8, 0, 8);
    row->setSpacing(8);
    auto *title = new QLabel(localized(QStringLiteral("Theme")), this);
    title->setFont(SettingsFonts::body());
    row->addWidget(title, 0, Qt::AlignTop);
    row->addStretch(1);
    for (AppAppearance::Value appearance : AppAppearance::allCases) {
        auto *option = new AppearancePickerOption(appearance, this);
        connect(option, &QAbstractButton::clicked, this, [this, appearance] { m_selection.set(appearance); });
        m_options.append(option);
        row->addWidget(option);
    }
    refresh();
    connect(&m_selection.model(), &AppModel::preferencesChanged, this, &AppearancePicker::refresh);
}

void AppearancePicker::refresh()
{
    for (AppearancePickerOption *option : std::as_const(m_options))
        option->setSelected(option->appearance() == m_selection.get());
}
