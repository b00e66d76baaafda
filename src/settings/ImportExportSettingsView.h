#pragma once

#include "ArchiveOperation.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The sheet over the settings window that follows an export or import: title, bar, counter, and at the end the
// result with a Close button. Escape does nothing; only Close (or Return once it ended) takes it away.
class ArchiveProgressSheet : public QDialog
{
    Q_OBJECT

public:
    ArchiveProgressSheet(ArchiveOperationTracker &tracker, QWidget *parent);

    void refresh();
    QLabel &titleLabel() const { return *m_title; }
    QLabel &statusLabel() const { return *m_status; }
    QProgressBar &bar() const { return *m_bar; }
    QPushButton &closeButton() const { return *m_close; }

    void reject() override;

private:
    ArchiveOperationTracker &m_tracker;
    QLabel *m_title = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_check = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_close = nullptr;
};

// The Import and Export pane: one button writes the history and tags to an archive, the other reads one in. The
// buttons stay disabled while any archive operation runs, and the sheet shows its progress, also when the pane is
// opened again during one.
class ImportExportSettingsView : public QWidget
{
    Q_OBJECT

public:
    // Without a tracker of the window's the pane keeps its own.
    ImportExportSettingsView(AppModel &model, AppCoordinator &coordinator, ArchiveOperationTracker *tracker = nullptr,
        QWidget *parent = nullptr);
    ~ImportExportSettingsView() override;

    QPushButton &exportButton() const { return *m_export; }
    QPushButton &importButton() const { return *m_import; }
    ArchiveProgressSheet *sheet() const { return m_sheet; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    ArchiveOperationTracker *m_tracker = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_import = nullptr;
    QPointer<ArchiveProgressSheet> m_sheet;
};
