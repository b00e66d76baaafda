#include "TagsSettingsView.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "ColorText.h"
#include "Localization.h"
#include "SettingsBlocks.h"
#include "SettingsLook.h"
#include "TagDialogPresenter.h"
#include "TagOrder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The tag's colour as a dot.
class ColorDot final : public QWidget
{
public:
    ColorDot(std::optional<QColor> color, QWidget *parent) : QWidget(parent), m_color(color) { setFixedSize(18, 18); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color.value_or(palette().color(QPalette::WindowText)));
        painter.drawEllipse(QRectF(2, 2, 14, 14));
    }

private:
    std::optional<QColor> m_color;
};

QHash<QUuid, QList<qint64>> taggedItems(const QList<ClipboardItem> &items)
{
    QHash<QUuid, QList<qint64>> result;
    for (const ClipboardItem &item : items) {
        if (!item.tags.isEmpty())
            result.insert(item.id, item.tags);
    }
    return result;
}

} // namespace

TagsSettingsView::TagsSettingsView(
    AppModel &model, AppCoordinator &coordinator, TagDialogPresenter *tagDialog, QWidget *parent)
    : QWidget(parent), m_model(model), m_coordinator(coordinator), m_tagDialog(tagDialog)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    auto *intro = new QLabel(
        localized(QStringLiteral("Create, edit, or remove tags used to organize clipboard history items.")), this);
    intro->setFont(SettingsFonts::sized(11));
    intro->setWordWrap(true);
    intro->setContentsMargins(14, 0, 14, 0);
    QPalette secondary = intro->palette();
    secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
    intro->setPalette(secondary);
    column->addWidget(intro);
    m_groupLayout = new QVBoxLayout;
    m_groupLayout->setContentsMargins(0, 0, 0, 0);
    column->addLayout(m_groupLayout);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_newTag = new QPushButton(localized(QStringLiteral("New Tag...")), this);
    m_newTag->setEnabled(m_tagDialog != nullptr);
    connect(m_newTag, &QPushButton::clicked, this, [this] { presentTagDialog(std::nullopt); });
    buttons->addWidget(m_newTag);
    column->addLayout(buttons);

    connect(&m_model, &AppModel::tagsChanged, this, &TagsSettingsView::refresh);
    connect(&m_model, &AppModel::itemsChanged, this, &TagsSettingsView::refresh);
    connect(&m_model, &AppModel::itemsChangedByID, this, &TagsSettingsView::refresh);
    rebuild();
}

QList<Tag> TagsSettingsView::sortedTags(const QList<Tag> &tags)
{
    return TagOrder::sortedByName(tags);
}

QString TagsSettingsView::countText(qint64 count)
{
    if (count == 1)
        return localized(QStringLiteral("1 item"));
    return localized(QStringLiteral("%d items"), {count});
}

std::optional<QColor> TagsSettingsView::tagColor(const QString &hex)
{
    return colorFromHexString(hex);
}

void TagsSettingsView::refresh()
{
    // Captures arrive all the time and carry no tags: only a change of the tags or of which loaded items carry
    // which tags asks the store again.
    const QList<Tag> tags = sortedTags(m_model.tags());
    QHash<QUuid, QList<qint64>> tagged = taggedItems(m_model.items());
    if (tags == m_shownTags && tagged == m_taggedItems)
        return;
    rebuild();
}

void TagsSettingsView::rebuild()
{
    m_shownTags = sortedTags(m_model.tags());
    m_taggedItems = taggedItems(m_model.items());
    m_counts = m_coordinator.tagItemCounts();
    m_rows.clear();

    QList<QWidget *> rows;
    if (m_shownTags.isEmpty()) {
        auto *empty = new QLabel(localized(QStringLiteral("No tags")));
        empty->setAlignment(Qt::AlignCenter);
        empty->setFont(SettingsFonts::body());
        empty->setContentsMargins(0, 9, 0, 9);
        QPalette secondary = empty->palette();
        secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
        empty->setPalette(secondary);
        rows.append(empty);
    }
    for (const Tag &tag : std::as_const(m_shownTags)) {
        const qint64 count = m_counts.value(tag.id, 0);
        auto *row = new QWidget;
        auto *line = new QHBoxLayout(row);
        line->setContentsMargins(0, 9, 0, 9);
        line->setSpacing(8);
        line->addWidget(new ColorDot(tagColor(tag.color), row));
        auto *name = new QLabel(tag.name, row);
        name->setFont(SettingsFonts::body());
        name->setTextFormat(Qt::PlainText);
        line->addWidget(name, 1);
        line->addSpacing(18);
        auto *countLabel = new QLabel(countText(count), row);
        countLabel->setFont(SettingsFonts::body());
        countLabel->setMinimumWidth(60);
        countLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QPalette secondary = countLabel->palette();
        secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
        countLabel->setPalette(secondary);
        line->addWidget(countLabel);
        auto *actions = new QToolButton(row);
        actions->setAutoRaise(true);
        actions->setText(QStringLiteral("⋯"));
        actions->setFixedSize(24, 24);
        actions->setToolTip(localized(QStringLiteral("Tag actions")));
        actions->setAccessibleName(localized(QStringLiteral("Tag actions")));
        // The menu is made when it is asked for: a list of many tags builds no menus up front.
        connect(actions, &QToolButton::clicked, this, [this, tag, actions] {
            QMenu menu;
            QAction *edit = menu.addAction(localized(QStringLiteral("Edit...")));
            edit->setEnabled(m_tagDialog != nullptr);
            QAction *remove = menu.addAction(localized(QStringLiteral("Delete")));
            QAction *chosen = menu.exec(actions->mapToGlobal(QPoint(0, actions->height())));
            // The rows are rebuilt by what is chosen: it runs once the menu and its button are done.
            const qint64 id = tag.id;
            if (chosen == edit)
                QMetaObject::invokeMethod(
                    this, [this, tag] { presentTagDialog(tag); }, Qt::QueuedConnection);
            else if (chosen == remove)
                QMetaObject::invokeMethod(
                    this, [this, id] { deleteTag(id); }, Qt::QueuedConnection);
        });
        line->addWidget(actions);
        rows.append(row);
        m_rows.append({tag.name, countLabel->text()});
    }
    if (QLayoutItem *old = m_groupLayout->takeAt(0)) {
        delete old->widget();
        delete old;
    }
    m_group = new SettingsSectionGroup(std::nullopt, rows, this);
    m_groupLayout->addWidget(m_group);
}

QList<std::pair<QString, QString>> TagsSettingsView::shownRows() const
{
    return m_rows;
}

void TagsSettingsView::presentTagDialog(const std::optional<Tag> &tag)
{
    if (!m_tagDialog)
        return;
    const std::optional<qint64> id = tag ? std::optional(tag->id) : std::nullopt;
    QPointer<TagsSettingsView> self(this);
    m_tagDialog->presentTagDialog(
        window(), tag, [self, id](const QString &name, const QColor &color) -> std::optional<QString> {
            if (!self)
                return std::nullopt;
            // Another tag of the same name, whatever its case, keeps the dialog open.
            for (const Tag &other : self->m_model.tags()) {
                if (other.id != id && TagOrder::isSameName(other.name, name))
                    return localized(QStringLiteral("A tag with this name already exists."));
            }
            self->m_model.setLastError(std::nullopt);
            if (id)
                self->m_coordinator.updateTag(*id, name, color);
            else
                self->m_coordinator.createTag(name, color);
            return self->m_model.lastError();
        });
}

void TagsSettingsView::deleteTag(qint64 id)
{
    m_coordinator.deleteTag(id);
}
