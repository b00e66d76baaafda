#pragma once

#include "AppModel.h"
#include "ClipboardItem.h"

#include <QDateTime>
#include <QStringList>
#include <QUuid>

#include <gtest/gtest.h>

#include <ostream>

// Short names for test items: item n has an id whose text ends in n (so ids sort as their numbers), the text
// "item n", and was copied n minutes after a fixed start, so that a higher number is a later copy.
inline QUuid testId(int n)
{
    return QUuid::fromString(QStringLiteral("00000000-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
}

inline QDateTime testTime(int minutes)
{
    return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addSecs(60 * minutes);
}

inline ClipboardItem testItem(int n, const QString &text = QString())
{
    ClipboardItem item;
    item.id = testId(n);
    item.kind = ClipboardKind::text;
    item.text = text.isNull() ? QStringLiteral("item %1").arg(n) : text;
    item.copiedAt = testTime(n);
    item.firstCopiedAt = testTime(n);
    item.byteSize = item.text->size();
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

// The number of a test item from its id.
inline int testNumber(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).right(12).toInt();
}

inline QList<int> numbersOf(const QList<ClipboardItem> &items)
{
    QList<int> numbers;
    for (const ClipboardItem &item : items)
        numbers.append(testNumber(item.id));
    return numbers;
}

inline QList<int> numbersOf(const QList<QUuid> &ids)
{
    QList<int> numbers;
    for (const QUuid &id : ids)
        numbers.append(testNumber(id));
    return numbers;
}

// Items 1..count, the latest copy first, as loading gives them.
inline QList<ClipboardItem> testItems(int count)
{
    QList<ClipboardItem> items;
    for (int n = count; n >= 1; --n)
        items.append(testItem(n));
    return items;
}

// The names of the model's signals in the order they were sent, "aboutToChange" left out.
class SignalLog
{
public:
    explicit SignalLog(AppModel &model)
    {
        auto log = [this](const char *name) { return [this, name] { m_names.append(QLatin1String(name)); }; };
        QObject::connect(&model, &AppModel::aboutToChange, &model, [this] { ++m_announcements; });
        QObject::connect(&model, &AppModel::itemsChanged, &model, log("items"));
        QObject::connect(&model, &AppModel::tagsChanged, &model, log("tags"));
        QObject::connect(&model, &AppModel::selectedItemIDChanged, &model, log("selectedItemID"));
        QObject::connect(&model, &AppModel::selectedItemIDsChanged, &model, log("selectedItemIDs"));
        QObject::connect(&model, &AppModel::selectedItemIDsInSelectionOrderChanged, &model, log("selectionOrder"));
        QObject::connect(&model, &AppModel::searchQueryChanged, &model, log("searchQuery"));
        QObject::connect(&model, &AppModel::preferencesChanged, &model, log("preferences"));
        QObject::connect(&model, &AppModel::historySortOptionChanged, &model, log("historySortOption"));
        QObject::connect(&model, &AppModel::isHistorySortReversedChanged, &model, log("isHistorySortReversed"));
        QObject::connect(&model, &AppModel::selectedHistoryFilterContentTypesChanged, &model, log("contentTypes"));
        QObject::connect(&model, &AppModel::selectedHistoryFilterTagIDsChanged, &model, log("tagIDs"));
        QObject::connect(
            &model, &AppModel::selectedHistoryFilterSourceApplicationIDsChanged, &model, log("sourceApplicationIDs"));
        QObject::connect(&model, &AppModel::isPausedChanged, &model, log("isPaused"));
        QObject::connect(&model, &AppModel::lastErrorChanged, &model, log("lastError"));
        QObject::connect(&model, &AppModel::localizationRevisionChanged, &model, log("localizationRevision"));
    }

    // The signals so far, joined with ", ", and whether each was announced by aboutToChange.
    QString take()
    {
        const QString joined = m_names.join(QLatin1String(", "));
        EXPECT_EQ(m_announcements, m_names.size()) << qPrintable(joined);
        m_names.clear();
        m_announcements = 0;
        return joined;
    }

private:
    QStringList m_names;
    int m_announcements = 0;
};

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
