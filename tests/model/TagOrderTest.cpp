// Tags are listed and told apart by name one way in every window.

#include "TagOrder.h"

#include <gtest/gtest.h>

namespace {

QStringList names(const QList<Tag> &tags)
{
    QStringList list;
    for (const Tag &tag : tags)
        list.append(tag.name);
    return list;
}

} // namespace

TEST(TagOrder, ByNameWithoutRegardToCaseStableForTheSameName)
{
    const QList<Tag> tags = {Tag {1, u"cherry"_qs, {}}, Tag {2, u"Work"_qs, {}}, Tag {3, u"apple"_qs, {}},
        Tag {4, u"Éclair"_qs, {}}, Tag {5, u"Banana"_qs, {}}, Tag {6, u"work"_qs, {}}, Tag {7, u"10 later"_qs, {}}};
    EXPECT_EQ(names(TagOrder::sortedByName(tags)),
        QStringList({u"10 later"_qs, u"apple"_qs, u"Banana"_qs, u"cherry"_qs, u"Éclair"_qs, u"Work"_qs, u"work"_qs}));
    // An id of no tag counts as the empty name.
    EXPECT_EQ(TagOrder::idsSortedByName({2, 99, 3, 6, 1}, tags), QList<qint64>({99, 3, 1, 2, 6}));

    const QList<std::tuple<QString, QString, bool>> sameNames = {
        {u"Work"_qs, u"WORK"_qs, true},
        {u"Work"_qs, u"work"_qs, true},
        {u"Café"_qs, u"CAFÉ"_qs, true},
        {u"Café"_qs, u"Cafe"_qs, false}, // accents tell names apart
        {u"Work"_qs, u"Work "_qs, false},
    };
    for (const auto &[a, b, same] : sameNames)
        EXPECT_EQ(TagOrder::isSameName(a, b), same) << a.toStdString() << " / " << b.toStdString();
}
