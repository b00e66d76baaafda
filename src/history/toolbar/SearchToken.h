#pragma once

#include "HistoryFilterContentType.h"

#include <QImage>
#include <QList>
#include <QString>

#include <variant>

// What a search token filters by: a content type, a tag (by id) or a source application (by its id).
class SearchTokenKind
{
public:
    SearchTokenKind() = default; // the content type "all"
    static SearchTokenKind contentType(HistoryFilterContentType type) { return SearchTokenKind(type); }
    static SearchTokenKind tag(qint64 id) { return SearchTokenKind(id); }
    static SearchTokenKind sourceApplication(QString id) { return SearchTokenKind(std::move(id)); }

    bool isContentType() const { return std::holds_alternative<HistoryFilterContentType>(m_value); }
    bool isTag() const { return std::holds_alternative<qint64>(m_value); }
    bool isSourceApplication() const { return std::holds_alternative<QString>(m_value); }
    // The payload; only valid for the matching case.
    HistoryFilterContentType contentTypeValue() const { return std::get<HistoryFilterContentType>(m_value); }
    qint64 tagID() const { return std::get<qint64>(m_value); }
    const QString &sourceApplicationID() const { return std::get<QString>(m_value); }

    bool operator==(const SearchTokenKind &other) const;

private:
    explicit SearchTokenKind(std::variant<HistoryFilterContentType, qint64, QString> value) : m_value(std::move(value))
    { }
    std::variant<HistoryFilterContentType, qint64, QString> m_value;

    friend size_t qHash(const SearchTokenKind &kind, size_t seed);
};

// The case number, then the payload; a content type by its raw value.
size_t qHash(const SearchTokenKind &kind, size_t seed = 0);

// One chip of the search field: a filter value with its title and picture. Equal by kind and title; the picture
// takes no part.
struct SearchToken
{
    SearchTokenKind kind;
    QString title;
    QImage image;

    bool operator==(const SearchToken &other) const { return kind == other.kind && title == other.title; }
};
