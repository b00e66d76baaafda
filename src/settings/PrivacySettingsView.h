#pragma once

#include "IgnoredApplicationsList.h"

#include <QWidget>

class AppModel;

// The Privacy pane: the two marker switches of capture and the applications while which nothing is captured.
class PrivacySettingsView : public QWidget
{
    Q_OBJECT

public:
    explicit PrivacySettingsView(
        AppModel &model, IgnoredApplicationsList::ApplicationChooser chooser = {}, QWidget *parent = nullptr);

    IgnoredApplicationsList &ignoredApplications() const { return *m_list; }

private:
    IgnoredApplicationsList *m_list = nullptr;
};
