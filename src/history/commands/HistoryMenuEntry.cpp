#include "HistoryMenuEntry.h"

#include <QAction>

namespace {

// Kept as a child of its action, so it goes with it.
class HistoryMenuEntryRecord final : public QObject
{
public:
    HistoryMenuEntryRecord(QAction &action, HistoryMenuAction id, std::function<void()> run)
        : QObject(&action), id(id), run(std::move(run))
    {
        setObjectName(QStringLiteral("historyMenuEntry"));
        QObject::connect(&action, &QAction::triggered, this, [this] {
            // A copy: the work may replace itself or close the menu that owns the action.
            const std::function<void()> work = this->run;
            if (work)
                work();
        });
    }

    HistoryMenuAction id;
    std::function<void()> run;
};

HistoryMenuEntryRecord *recordOf(const QAction &action)
{
    return action.findChild<HistoryMenuEntryRecord *>(QStringLiteral("historyMenuEntry"), Qt::FindDirectChildrenOnly);
}

} // namespace

void setHistoryMenuEntry(QAction &action, HistoryMenuAction id, std::function<void()> run)
{
    if (HistoryMenuEntryRecord *record = recordOf(action)) {
        record->id = id;
        record->run = std::move(run);
        return;
    }
    new HistoryMenuEntryRecord(action, id, std::move(run));
}

std::optional<HistoryMenuAction> historyMenuAction(const QAction &action)
{
    if (const HistoryMenuEntryRecord *record = recordOf(action))
        return record->id;
    return std::nullopt;
}

std::function<void()> historyMenuRun(const QAction &action)
{
    if (const HistoryMenuEntryRecord *record = recordOf(action))
        return record->run;
    return {};
}

void replaceHistoryMenuRun(QAction &action, std::function<void()> run)
{
    if (HistoryMenuEntryRecord *record = recordOf(action))
        record->run = std::move(run);
}
