#include "SettingsView.h"

#include "NewTagDialog.h"

#include "AboutSettingsView.h"
#include "AppCoordinator.h"
#include "AppModel.h"
#include "GeneralSettingsView.h"
#include "HistorySettingsView.h"
#include "ImportExportSettingsView.h"
#include "Localization.h"
#include "PrivacySettingsView.h"
#include "SettingsBlocks.h"
#include "SettingsLook.h"
#include "SettingsSectionInfo.h"
#include "ShortcutSettingsView.h"
#include "SoundsSettingsView.h"
#include "StorageSettingsView.h"
#include "TagsSettingsView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QVBoxLayout>

SettingsView::SettingsView(AppModel &model, AppCoordinator &coordinator, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_coordinator(coordinator)
    , m_archiveOperation(new ArchiveOperationTracker(model, coordinator, this))
{
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    m_sidebar = new QListWidget(this);
    m_sidebar->setObjectName(QStringLiteral("settingsSidebar"));
    m_sidebar->setMinimumWidth(150);
    m_sidebar->setMaximumWidth(170);
    m_sidebar->setFixedWidth(170);
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setIconSize(QSize(16, 16));
    m_sidebar->setSpacing(1);
    m_sidebar->setFont(SettingsFonts::body());
    m_sidebar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    styleSidebar();
    for (SettingsSection::Value section : SettingsSection::allCases) {
        auto *item = new QListWidgetItem(SettingsSectionInfo::icon(section), QString(), m_sidebar);
        item->setData(Qt::UserRole, int(section));
    }
    columns->addWidget(m_sidebar);
    auto *edge = new SettingsGroupDividerView(this);
    edge->setFixedWidth(1);
    edge->setMinimumHeight(0);
    edge->setMaximumHeight(QWIDGETSIZE_MAX);
    edge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    columns->addWidget(edge);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(12, 10, 8, 10);
    header->setSpacing(12);
    m_headerTitle = new QLabel(this);
    m_headerTitle->setObjectName(QStringLiteral("settingsTitle"));
    m_headerTitle->setFont(SettingsFonts::sized(16, QFont::DemiBold));
    header->addWidget(m_headerTitle);
    header->addStretch(1);
    m_soundSwitch = new ToggleSwitch(this);
    header->addWidget(m_soundSwitch, 0, Qt::AlignVCenter);
    right->addLayout(header);
    m_detail = new QVBoxLayout;
    m_detail->setContentsMargins(0, 0, 0, 0);
    right->addLayout(m_detail, 1);
    columns->addLayout(right, 1);

    connect(m_sidebar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(SettingsSection::allCases.size()))
            m_coordinator.selectSettingsSection(SettingsSection::allCases[size_t(row)]);
    });
    connect(m_soundSwitch, &QAbstractButton::toggled, this, [this](bool on) {
        if (on == m_model.preferences().soundEffectsEnabled)
            return;
        AppPreferences preferences = m_model.preferences();
        preferences.soundEffectsEnabled = on;
        m_model.setPreferences(preferences);
    });
    connect(&m_coordinator, &AppCoordinator::settingsSectionChanged, this, &SettingsView::showSection);
    connect(&m_model, &AppModel::preferencesChanged, this, &SettingsView::refreshSoundSwitch);
    // The pane is built again with the texts of the new language, once the change that set it (made in the pane
    // itself, perhaps) is over.
    connect(
        &m_model, &AppModel::localizationRevisionChanged, this,
        [this] {
            retitle();
            const SettingsSection shown = m_shown;
            m_shown = SettingsSection::Value(-1);
            showSection(shown);
        },
        Qt::QueuedConnection);
    retitle();
    refreshSoundSwitch();
    m_shown = SettingsSection::Value(-1);
    showSection(m_coordinator.settingsSection());
}

QWidget *SettingsView::createPane(
    SettingsSection section, AppModel &model, AppCoordinator &coordinator, ArchiveOperationTracker *archiveOperation)
{
    switch (section) {
    case SettingsSection::general:
        return new GeneralSettingsView(model, coordinator);
    case SettingsSection::history:
        return new HistorySettingsView(model);
    case SettingsSection::sounds:
        return new SoundsSettingsView(model, coordinator);
    case SettingsSection::tags:
        return new TagsSettingsView(model, coordinator, &TagDialogSheet::shared());
    case SettingsSection::storage:
        return new StorageSettingsView(model);
    case SettingsSection::shortcuts:
        return new ShortcutSettingsView(model, coordinator);
    case SettingsSection::privacy:
        return new PrivacySettingsView(model, coordinator);
    case SettingsSection::importExport:
        return new ImportExportSettingsView(model, coordinator, archiveOperation);
    case SettingsSection::about:
        return new AboutSettingsView(coordinator);
    default:
        // Panes still to come show an empty detail area.
        return new QWidget;
    }
}

void SettingsView::showSection(SettingsSection section)
{
    if (section == m_shown)
        return;
    m_shown = section;
    {
        const QSignalBlocker blocker(m_sidebar);
        m_sidebar->setCurrentRow(int(section));
    }
    m_headerTitle->setText(SettingsSectionInfo::headerTitle(section));
    m_soundSwitch->setVisible(section == SettingsSection::sounds);
    delete m_detailContent;
    m_pane = createPane(section, m_model, m_coordinator, m_archiveOperation);
    m_pane->setObjectName(QStringLiteral("settingsPane-") + section.rawValue());
    if (section == SettingsSection::about) {
        m_scrollArea = nullptr;
        m_detailContent = m_pane;
    } else {
        m_scrollArea = new QScrollArea;
        m_scrollArea->setFrameShape(QFrame::NoFrame);
        m_scrollArea->setFocusPolicy(Qt::NoFocus);
        m_scrollArea->setWidgetResizable(true);
        m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *stack = new QWidget;
        auto *column = new QVBoxLayout(stack);
        column->setContentsMargins(20, 10, 20, 20);
        column->setSpacing(22);
        column->addWidget(m_pane);
        column->addStretch(1);
        m_scrollArea->setWidget(stack);
        m_scrollArea->viewport()->setAutoFillBackground(false);
        stack->setAutoFillBackground(false);
        m_detailContent = m_scrollArea;
    }
    m_detail->addWidget(m_detailContent);
}

void SettingsView::retitle()
{
    for (int row = 0; row < m_sidebar->count(); ++row)
        m_sidebar->item(row)->setText(SettingsSectionInfo::title(SettingsSection::allCases[size_t(row)]));
    if (int(m_shown) >= 0)
        m_headerTitle->setText(SettingsSectionInfo::headerTitle(m_shown));
    m_soundSwitch->setToolTip(localized(QStringLiteral("Enable sound effects")));
    m_soundSwitch->setAccessibleName(localized(QStringLiteral("Enable sound effects")));
}

void SettingsView::refreshSoundSwitch()
{
    const QSignalBlocker blocker(m_soundSwitch);
    m_soundSwitch->setChecked(m_model.preferences().soundEffectsEnabled);
}

void SettingsView::styleSidebar()
{
    const QColor accent = SettingsColors::accent(palette());
    if (accent == m_sidebarAccent)
        return;
    m_sidebarAccent = accent;
    m_sidebar->setStyleSheet(
        QStringLiteral("QListWidget { padding: 8px 6px; background: palette(window); outline: 0; }"
                       "QListWidget::item { padding: 5px 4px; border-radius: 5px; color: palette(window-text); }"
                       "QListWidget::item:selected { background: %1; color: white; }")
            .arg(accent.name()));
}

void SettingsView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        styleSidebar();
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_sidebar->setFocus(Qt::OtherFocusReason);
}
