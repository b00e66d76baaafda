#include "RetentionRow.h"

#include "HistoryColors.h"
#include "SettingsLook.h"
#include "Symbols.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int trackInset = 10;

QColor markActive()
{
    return QColor(0, 111, 255);
}

QColor markInactive(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(41, 41, 41) : QColor(250, 250, 250);
}

// "Day" ... "Forever" under the track, each where its part of the track begins.
class KeyPointLabels final : public QWidget
{
public:
    explicit KeyPointLabels(QWidget *parent) : QWidget(parent) { setFixedHeight(20); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setFont(SettingsFonts::sized(11, QFont::Medium));
        painter.setPen(SettingsColors::secondaryText(palette()));
        const QStringList labels = RetentionPeriod::keyPointLabels();
        const QList<double> &positions = RetentionPeriod::keyPointPositions();
        const double width = this->width() - 2 * trackInset;
        const QFontMetrics metrics(painter.font());
        for (qsizetype n = 0; n < labels.size(); ++n) {
            const double textWidth = metrics.horizontalAdvance(labels.at(n));
            double centre = width * positions.at(n) / 100;
            if (n == 0)
                centre = textWidth / 2;
            else if (n == labels.size() - 1)
                centre = width - textWidth / 2;
            else if (n == 3)
                centre = width * 0.75 + 6;
            const QRectF box(trackInset + centre - textWidth / 2, 0, textWidth, height());
            painter.drawText(box, Qt::AlignCenter, labels.at(n));
        }
    }
};

} // namespace

// --- RetentionSlider -------------------------------------------------------------------------------------------------

RetentionSlider::RetentionSlider(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(20);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void RetentionSlider::setStepIndex(int index)
{
    index = std::clamp(index, 0, RetentionPeriod::stepCount - 1);
    if (index == m_stepIndex)
        return;
    m_stepIndex = index;
    update();
    Q_EMIT stepIndexChanged(index);
}

double RetentionSlider::xForPosition(double position) const
{
    const double width = this->width() - 2 * trackInset;
    if (position <= 0)
        return trackInset + 2;
    if (position >= 100)
        return trackInset + width - 2;
    return trackInset + width * position / 100;
}

void RetentionSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double y = height() / 2.0;
    const double filled = RetentionPeriod::sliderPosition(m_stepIndex);
    // The tick marks lie under the track, which covers them: the track reads as one solid bar on each side of the
    // knob, not dotted where the steps are close and solid where they are far apart.
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < RetentionPeriod::stepCount; ++index) {
        const double position = RetentionPeriod::sliderPosition(index);
        painter.setBrush(position <= filled ? markActive() : markInactive(palette()));
        painter.drawEllipse(QPointF(xForPosition(position), y), 2, 2);
    }
    // The track, opaque: its shade over the row's background.
    const QColor shade = HistoryColors::isDark(palette()) ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 30);
    const QColor below = SettingsColors::groupBackground(palette());
    const double a = shade.alphaF();
    const QColor track = QColor::fromRgbF(float(shade.redF() * a + below.redF() * (1 - a)),
        float(shade.greenF() * a + below.greenF() * (1 - a)), float(shade.blueF() * a + below.blueF() * (1 - a)));
    const QRectF bar(trackInset, y - 2.5, width() - 2 * trackInset, 5);
    painter.setBrush(track);
    painter.drawRoundedRect(bar, 2.5, 2.5);
    painter.setBrush(SettingsColors::accent(palette()));
    painter.drawRoundedRect(QRectF(bar.left(), bar.top(), xForPosition(filled) - trackInset, bar.height()), 2.5, 2.5);
    // The knob.
    painter.setPen(QPen(QColor(0, 0, 0, 50), 0.5));
    painter.setBrush(isEnabled() ? QColor(Qt::white) : QColor(230, 230, 230));
    painter.drawEllipse(QPointF(xForPosition(filled), y), 8, 8);
    if (hasFocus()) {
        painter.setPen(QPen(SettingsColors::accent(palette()), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(xForPosition(filled), y), 9, 9);
    }
}

void RetentionSlider::moveTo(double x)
{
    const double width = this->width() - 2 * trackInset;
    const double position = width > 0 ? (x - trackInset) / width * 100 : 0;
    setStepIndex(RetentionPeriod::stepIndexForPosition(position));
}

void RetentionSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_isEditing = true;
    moveTo(event->position().x());
}

void RetentionSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (m_isEditing)
        moveTo(event->position().x());
}

void RetentionSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_isEditing)
        return;
    moveTo(event->position().x());
    m_isEditing = false;
    Q_EMIT editingFinished(m_stepIndex);
}

void RetentionSlider::keyPressEvent(QKeyEvent *event)
{
    int index = m_stepIndex;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        --index;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        ++index;
        break;
    case Qt::Key_Home:
        index = 0;
        break;
    case Qt::Key_End:
        index = RetentionPeriod::stepCount - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    setStepIndex(index);
    Q_EMIT editingFinished(m_stepIndex);
}

// --- RetentionRow ----------------------------------------------------------------------------------------------------

RetentionRow::RetentionRow(RetentionClipType clipType, PreferenceBinding<qint64> value, QWidget *parent)
    : QWidget(parent), m_value(value)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(14);
    auto *header = new QHBoxLayout;
    header->setSpacing(6);
    auto *icon = new QLabel(this);
    icon->setPixmap(Symbols::icon(RetentionClipTypes::systemImage(clipType)).pixmap(16, 16));
    header->addWidget(icon);
    auto *title = new QLabel(RetentionClipTypes::title(clipType), this);
    title->setFont(SettingsFonts::sized(11, QFont::Medium));
    header->addWidget(title);
    header->addStretch(1);
    m_stepLabel = new QLabel(this);
    m_stepLabel->setFont(SettingsFonts::sized(11));
    QPalette secondary = m_stepLabel->palette();
    secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
    m_stepLabel->setPalette(secondary);
    header->addWidget(m_stepLabel);
    column->addLayout(header);
    auto *track = new QVBoxLayout;
    track->setSpacing(4);
    m_slider = new RetentionSlider(this);
    m_slider->setAccessibleName(RetentionClipTypes::title(clipType));
    track->addWidget(m_slider);
    track->addWidget(new KeyPointLabels(this));
    column->addLayout(track);

    connect(m_slider, &RetentionSlider::stepIndexChanged, this, &RetentionRow::showStep);
    connect(m_slider, &RetentionSlider::editingFinished, this, [this](int index) {
        const qint64 days = RetentionPeriod::steps().at(std::clamp(index, 0, RetentionPeriod::stepCount - 1)).days;
        if (days != m_value.get())
            m_value.set(days);
    });
    connect(&m_value.model(), &AppModel::preferencesChanged, this, &RetentionRow::refresh);
    refresh();
    showStep(m_slider->stepIndex());
}

void RetentionRow::refresh()
{
    // A change from outside during a drag waits for the next one.
    if (!m_slider->isEditing())
        m_slider->setStepIndex(RetentionPeriod::stepIndex(m_value.get()));
}

void RetentionRow::showStep(int index)
{
    m_stepLabel->setText(RetentionPeriod::steps().at(std::clamp(index, 0, RetentionPeriod::stepCount - 1)).label);
}

void RetentionRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(path, SettingsColors::groupBackground(palette()));
}
