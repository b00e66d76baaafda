#pragma once

#include "Tag.h"

#include <QHash>
#include <QList>
#include <QUuid>
#include <QWidget>

class AppCoordinator;
class AppModel;
class QPushButton;
class QVBoxLayout;
class TagDialogPresenter;

// The Tags pane: every tag with its colour, name and the number of stored items that carry it, sorted by name, with
// New Tag..., and Edit... and Delete in each row's actions menu. Creating and editing go through the tag dialog;
// without one (none is given) those two are unavailable. Delete acts at once.
class TagsSettingsView : public QWidget
{
    Q_OBJECT

public:
    TagsSettingsView(AppModel &model, AppCoordinator &coordinator, TagDialogPresenter *tagDialog = nullptr,
        QWidget *parent = nullptr);

    // The tags in the order shown: by name, ignoring letter case, as the interface language sorts.
    static QList<Tag> sortedTags(const QList<Tag> &tags);
    // "1 item", "%d items".
    static QString countText(qint64 count);
    // The colour of a tag's "#RRGGBB" text; none for any other text.
    static std::optional<QColor> tagColor(const QString &hex);

    // Looks at the model again: the rows are built anew only when the tags or the items' tags changed.
    void refresh();
    // The rows' texts as shown: name and count text.
    QList<std::pair<QString, QString>> shownRows() const;
    QPushButton &newTagButton() const { return *m_newTag; }

    void presentTagDialog(const std::optional<Tag> &tag);
    void deleteTag(qint64 id);

private:
    void rebuild();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    TagDialogPresenter *m_tagDialog;
    QWidget *m_group = nullptr;
    QVBoxLayout *m_groupLayout = nullptr;
    QPushButton *m_newTag = nullptr;
    QList<Tag> m_shownTags;
    QHash<QUuid, QList<qint64>> m_taggedItems; // the loaded items that carry tags, as last counted
    QHash<qint64, qint64> m_counts;
    QList<std::pair<QString, QString>> m_rows;
};
