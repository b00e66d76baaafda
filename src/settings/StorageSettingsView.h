#pragma once

#include "AppPreferences.h"
#include "RetentionPeriod.h"

#include <QWidget>

class AppModel;
class RetentionRow;

// The Storage pane: whether favourites and tagged items survive a clear, how long each kind of item is kept, the
// warning before a clear by hand, and clearing on quit and after a restart.
class StorageSettingsView : public QWidget
{
    Q_OBJECT

public:
    explicit StorageSettingsView(AppModel &model, QWidget *parent = nullptr);

    static qint64 AppPreferences::*retentionField(RetentionClipType type);
    RetentionRow &retentionRow(RetentionClipType type) const { return *m_rows.at(int(type)); }

private:
    QList<RetentionRow *> m_rows;
};
