#include "TagOrder.h"

#include "Localization.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace {

QCollator nameCollator()
{
    QCollator collator(QLocale(supportedLanguageCode(currentInterfaceLanguage())));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

namespace TagOrder {

int compareNames(const QString &a, const QString &b)
{
    return nameCollator().compare(a, b);
}

bool isSameName(const QString &a, const QString &b)
{
    return compareNames(a, b) == 0;
}

QList<Tag> sortedByName(QList<Tag> tags)
{
    const QCollator collator = nameCollator();
    std::stable_sort(
        tags.begin(), tags.end(), [&](const Tag &a, const Tag &b) { return collator.compare(a.name, b.name) < 0; });
    return tags;
}

QList<qint64> idsSortedByName(QList<qint64> ids, const QList<Tag> &tags)
{
    QHash<qint64, QString> names;
    for (const Tag &tag : tags)
        names.insert(tag.id, tag.name);
    const QCollator collator = nameCollator();
    std::stable_sort(ids.begin(), ids.end(),
        [&](qint64 a, qint64 b) { return collator.compare(names.value(a), names.value(b)) < 0; });
    return ids;
}

} // namespace TagOrder
