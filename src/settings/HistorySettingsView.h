#pragma once

#include <QWidget>

class AppModel;
class SettingsRow;

// The History pane: how the list behaves and pastes, what a double click and the number keys do, and copy and
// merge. Every control writes one preference; three are disabled while another setting makes them meaningless.
class HistorySettingsView : public QWidget
{
    Q_OBJECT

public:
    explicit HistorySettingsView(AppModel &model, QWidget *parent = nullptr);

    SettingsRow &updateHistoryAfterAction() const { return *m_updateHistoryAfterAction; }
    SettingsRow &separator() const { return *m_separator; }
    SettingsRow &copyToClipboardAfterMerge() const { return *m_copyToClipboardAfterMerge; }
    SettingsRow &doubleClickAction() const { return *m_doubleClickAction; }
    SettingsRow &numberKeyAction() const { return *m_numberKeyAction; }

private:
    void refresh();

    AppModel &m_model;
    SettingsRow *m_updateHistoryAfterAction = nullptr;
    SettingsRow *m_separator = nullptr;
    SettingsRow *m_copyToClipboardAfterMerge = nullptr;
    SettingsRow *m_doubleClickAction = nullptr;
    SettingsRow *m_numberKeyAction = nullptr;
};
