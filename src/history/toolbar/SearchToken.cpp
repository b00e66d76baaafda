#include "SearchToken.h"

#include <QHashFunctions>

bool SearchTokenKind::operator==(const SearchTokenKind &other) const
{
    if (m_value.index() != other.m_value.index())
        return false;
    if (isContentType())
        return HistoryFilterContentType::Value(contentTypeValue())
            == HistoryFilterContentType::Value(other.contentTypeValue());
    if (isTag())
        return tagID() == other.tagID();
    return sourceApplicationID() == other.sourceApplicationID();
}

size_t qHash(const SearchTokenKind &kind, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, int(kind.m_value.index()));
    if (kind.isContentType())
        return combine(seed, kind.contentTypeValue().rawValue());
    if (kind.isTag())
        return combine(seed, kind.tagID());
    return combine(seed, kind.sourceApplicationID());
}
