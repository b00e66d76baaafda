#include "ImportExportSettingsView.h"

#include "Localization.h"
#include "SettingsBlocks.h"
#include "SettingsLook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPixmap greenCheck()
{
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x34, 0xC7, 0x59));
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(4.5, 8.3), QPointF(7, 10.8), QPointF(11.5, 5.5)}));
    return pixmap;
}

} // namespace

// --- ArchiveProgressSheet --------------------------------------------------------------------------------------------

ArchiveProgressSheet::ArchiveProgressSheet(ArchiveOperationTracker &tracker, QWidget *parent)
    : QDialog(parent, Qt::Sheet | Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_tracker(tracker)
{
    setWindowModality(Qt::WindowModal);
    setFixedWidth(400);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(12);
    m_title = new QLabel(this);
    m_title->setFont(SettingsFonts::headline());
    column->addWidget(m_title);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    column->addWidget(m_bar);
    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    auto *status = new QHBoxLayout;
    status->setSpacing(6);
    m_check = new QLabel(this);
    m_check->setPixmap(greenCheck());
    status->addWidget(m_check, 0, Qt::AlignTop);
    m_status = new QLabel(this);
    m_status->setFont(SettingsFonts::body());
    m_status->setWordWrap(true);
    status->addWidget(m_status, 1);
    row->addLayout(status, 1);
    m_close = new QPushButton(localized(QStringLiteral("Close")), this);
    m_close->setDefault(true);
    row->addWidget(m_close);
    column->addLayout(row);
    connect(m_close, &QPushButton::clicked, this, [this] { m_tracker.close(); });
    connect(&m_tracker, &ArchiveOperationTracker::progressChanged, this, &ArchiveProgressSheet::refresh);
    refresh();
}

void ArchiveProgressSheet::refresh()
{
    const auto &progress = m_tracker.progress();
    if (!progress)
        return;
    setWindowTitle(progress->title());
    m_title->setText(progress->title());
    const auto [value, maximum] = progress->bar();
    m_bar->setRange(0, int(std::min<qint64>(maximum, std::numeric_limits<int>::max())));
    m_bar->setValue(int(std::min<qint64>(value, std::numeric_limits<int>::max())));
    m_status->setText(progress->status());
    m_check->setVisible(progress->result && progress->result->succeeded);
    m_close->setVisible(progress->result.has_value());
    // The width is fixed, so a result that wraps to more lines than the progress text needs a taller sheet.
    if (QLayout *column = layout())
        column->activate();
    adjustSize();
}

void ArchiveProgressSheet::reject()
{
    // Escape and the window's close button do nothing: the sheet goes through Close alone.
}

// --- ImportExportSettingsView ----------------------------------------------------------------------------------------

ImportExportSettingsView::ImportExportSettingsView(
    AppModel &model, AppCoordinator &coordinator, ArchiveOperationTracker *tracker, QWidget *parent)
    : QWidget(parent), m_tracker(tracker ? tracker : new ArchiveOperationTracker(model, coordinator, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    auto *intro
        = new QLabel(localized(QStringLiteral(
                         "Move Varnisto history and tags between Varnisto installations. Settings are not included.")),
            this);
    intro->setFont(SettingsFonts::sized(11));
    intro->setWordWrap(true);
    intro->setContentsMargins(14, 0, 14, 0);
    QPalette secondary = intro->palette();
    secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
    intro->setPalette(secondary);
    column->addWidget(intro);

    m_export = new QPushButton(localized(QStringLiteral("Export...")));
    m_import = new QPushButton(localized(QStringLiteral("Import...")));
    column->addWidget(new SettingsSectionGroup(localized(QStringLiteral("Export")),
        {new SettingsRow(localized(QStringLiteral("Export history and tags")),
            localized(
                QStringLiteral("Create a Varnisto archive containing history items, tags, and copied image assets.")),
            m_export)},
        this));
    column->addWidget(new SettingsSectionGroup(localized(QStringLiteral("Import")),
        {new SettingsRow(localized(QStringLiteral("Import history and tags")),
            localized(QStringLiteral("Import a Varnisto archive. Existing matching items are updated, and existing "
                                     "tags are reused by name.")),
            m_import)},
        this));
    connect(m_export, &QPushButton::clicked, this, [this] { m_tracker->startExport(); });
    connect(m_import, &QPushButton::clicked, this, [this] { m_tracker->startImport(); });
    connect(m_tracker, &ArchiveOperationTracker::progressChanged, this, &ImportExportSettingsView::refresh);
    connect(&model, &AppModel::itemsChanged, this, &ImportExportSettingsView::refresh);
    refresh();
}

ImportExportSettingsView::~ImportExportSettingsView()
{
    // The sheet sits on the window, which outlives the pane.
    delete m_sheet.data();
}

void ImportExportSettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void ImportExportSettingsView::refresh()
{
    const bool busy = m_tracker->isBusy();
    m_export->setEnabled(!busy);
    m_import->setEnabled(!busy);
    if (m_tracker->progress()) {
        if (!m_sheet)
            m_sheet = new ArchiveProgressSheet(*m_tracker, window());
        m_sheet->refresh();
        if (isVisible() && !m_sheet->isVisible())
            m_sheet->open();
    } else if (m_sheet) {
        m_sheet->hide();
        m_sheet->deleteLater();
    }
}
