#include "SettingsBlocks.h"

#include "HistoryColors.h"
#include "SettingsLook.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

// --- ToggleSwitch ----------------------------------------------------------------------------------------------------

ToggleSwitch::ToggleSwitch(QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const
{
    return {27, 15};
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    QColor fill = isChecked() ? SettingsColors::accent(palette())
                              : (HistoryColors::isDark(palette()) ? QColor(80, 80, 84) : QColor(0, 0, 0, 38));
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.5f);
    QPainterPath path;
    path.addRoundedRect(track, radius, radius);
    painter.fillPath(path, fill);
    const qreal knob = track.height() - 2;
    const qreal x = isChecked() ? track.right() - 1 - knob : track.left() + 1;
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(isEnabled() ? QColor(Qt::white) : QColor(235, 235, 235));
    painter.drawEllipse(QRectF(x, track.top() + 1, knob, knob));
}

// --- SettingsRow -----------------------------------------------------------------------------------------------------

SettingsRow::SettingsRow(
    const QString &title, const std::optional<QString> &description, QWidget *trailing, QWidget *parent)
    : QWidget(parent), m_trailing(trailing)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 9, 0, 9);
    row->setSpacing(0);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->setContentsMargins(0, 0, 0, 0);
    m_title = new QLabel(title, this);
    m_title->setFont(SettingsFonts::body());
    m_title->setWordWrap(true);
    texts->addWidget(m_title);
    if (description) {
        m_description = new QLabel(*description, this);
        m_description->setFont(SettingsFonts::caption());
        m_description->setWordWrap(true);
        colourDescription();
        texts->addWidget(m_description);
    }
    row->addLayout(texts, 1);
    row->addSpacing(18);
    row->addWidget(trailing, 0, Qt::AlignVCenter);
    trailing->setParent(this);
}

void SettingsRow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        colourDescription();
}

void SettingsRow::colourDescription()
{
    if (!m_description)
        return;
    QPalette own = m_description->palette();
    own.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
    m_description->setPalette(own);
}

// --- SettingsToggle --------------------------------------------------------------------------------------------------

SettingsToggle::SettingsToggle(
    const QString &title, const std::optional<QString> &description, PreferenceBinding<bool> binding, QWidget *parent)
    : SettingsRow(title, description, new ToggleSwitch, parent), m_binding(binding)
{
    m_switch = static_cast<ToggleSwitch *>(&trailing());
    m_switch->setAccessibleName(title);
    refresh();
    connect(m_switch, &QAbstractButton::toggled, this, [this](bool on) {
        if (on != m_binding.get())
            m_binding.set(on);
    });
    connect(&m_binding.model(), &AppModel::preferencesChanged, this, &SettingsToggle::refresh);
}

void SettingsToggle::refresh()
{
    const QSignalBlocker blocker(m_switch);
    m_switch->setChecked(m_binding.get());
}

// --- SettingsSectionGroup --------------------------------------------------------------------------------------------

SettingsSectionGroup::SettingsSectionGroup(
    const std::optional<QString> &title, const QList<QWidget *> &rows, QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    if (title) {
        m_title = new QLabel(*title, this);
        m_title->setFont(SettingsFonts::headline());
        m_title->setContentsMargins(11, 0, 11, 0);
        column->addWidget(m_title);
    }
    m_card = new SettingsGroupView(this);
    auto *stack = new QVBoxLayout(m_card);
    stack->setContentsMargins(12, 2, 12, 2);
    stack->setSpacing(0);
    for (qsizetype n = 0; n < rows.size(); ++n) {
        stack->addWidget(rows.at(n));
        if (n + 1 < rows.size()) {
            auto *divider = new QHBoxLayout;
            divider->setContentsMargins(2, 0, 0, 0);
            divider->addWidget(new SettingsGroupDividerView(m_card));
            stack->addLayout(divider);
        }
    }
    column->addWidget(m_card);
}

int SettingsSectionGroup::dividerCount() const
{
    return int(m_card->findChildren<SettingsGroupDividerView *>().size());
}

// --- PreferencePicker ------------------------------------------------------------------------------------------------

PreferencePicker::PreferencePicker(
    const QString &accessibleName, QList<Option> options, PreferenceBinding<QString> binding, QWidget *parent)
    : QWidget(parent), m_options(std::move(options)), m_binding(binding)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_comboBox = new QComboBox(this);
    m_comboBox->setAccessibleName(accessibleName);
    m_comboBox->setFont(SettingsFonts::body());
    m_comboBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const Option &option : std::as_const(m_options))
        m_comboBox->addItem(option.title, option.value);
    layout->addWidget(m_comboBox);
    refresh();
    connect(m_comboBox, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_options.size() && m_options.at(index).value != m_binding.get())
            m_binding.set(m_options.at(index).value);
    });
    connect(&m_binding.model(), &AppModel::preferencesChanged, this, &PreferencePicker::refresh);
}

void PreferencePicker::refresh()
{
    const QSignalBlocker blocker(m_comboBox);
    m_comboBox->setCurrentIndex(int(m_comboBox->findData(m_binding.get())));
}
