#pragma once

#include "Tag.h"

#include <QList>
#include <QString>

// How tags are ordered and told apart by name, wherever they are listed or looked up: in the interface language's
// collation, without regard to letter case. Call on the GUI thread (the interface language is read there).
namespace TagOrder {

// Below zero when the first name comes first, zero when the two are the same name, above zero otherwise.
int compareNames(const QString &a, const QString &b);
// Whether the two are one tag's name, written in whatever case.
bool isSameName(const QString &a, const QString &b);
// The tags by name, ascending; tags of the same name keep their order.
QList<Tag> sortedByName(QList<Tag> tags);
// The ids by their tags' names, ascending; an id that names none of the tags counts as the empty name, and ids of
// the same name keep their order.
QList<qint64> idsSortedByName(QList<qint64> ids, const QList<Tag> &tags);

} // namespace TagOrder
