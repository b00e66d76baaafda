#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// A content-type filter of the history list, also a kind of search token. How a set of them narrows the
// list is the application model's business.
class HistoryFilterContentType
{
    Q_GADGET

public:
    enum Value : int { all, favorites, text, images, files, links, emails, colors };
    Q_ENUM(Value)

    constexpr HistoryFilterContentType(Value value = all) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 8> allCases {all, favorites, text, images, files, links, emails, colors};

    // The case name; also the identifier.
    QString rawValue() const;
    QString id() const { return rawValue(); }
    // "All Types", "Favorites", "Text", "Images", "Files", "Links", "Emails", "Colors".
    QString englishTitle() const;
    QString title() const;

    static std::optional<HistoryFilterContentType> fromRawValue(QStringView raw);

private:
    Value m_value;
};

size_t qHash(HistoryFilterContentType type, size_t seed = 0);
