#pragma once

#include "AppPreferences.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

class AppCoordinator;
class AppModel;
class ShortcutRow;

// The Shortcuts pane: the 22 shortcuts in three groups (the four system-wide ones, navigation, item actions), one
// recorder row each. A shortcut may not be used by two actions, across all groups. While the pane is shown every
// change of the preferences is applied at once, so a new system-wide shortcut works straight away.
class ShortcutSettingsView : public QWidget
{
    Q_OBJECT

public:
    struct ShortcutEntry
    {
        QString title; // in the interface language
        QString AppPreferences::*field;
        QString defaultValue;
    };
    enum class Group { global, navigation, itemActions };

    ShortcutSettingsView(AppModel &model, AppCoordinator &coordinator, QWidget *parent = nullptr);
    ~ShortcutSettingsView() override;

    static QList<ShortcutEntry> entries(Group group);
    static QList<ShortcutEntry> allEntries();
    // The title of the other action that already uses the candidate, the asking action itself left out.
    std::optional<QString> conflictingActionTitle(const QString &candidate, QString AppPreferences::*excluding) const;

    QList<ShortcutRow *> rows() const { return m_rows; }
    ShortcutRow *row(QString AppPreferences::*field) const;

private:
    void preferencesChanged(const AppPreferences &preferences);
    void setRecording(bool recording);

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    QList<ShortcutRow *> m_rows;
    QList<QString AppPreferences::*> m_fields;
    AppPreferences m_applied; // the record as last applied, without the window frames
    bool m_applying = false;
    int m_recordingRows = 0;
};
