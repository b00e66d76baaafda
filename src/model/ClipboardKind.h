#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// What a history entry's content is. Stored by its raw value (the case name).
class ClipboardKind
{
    Q_GADGET

public:
    enum Value : int { text, richText, link, email, color, image, file };
    Q_ENUM(Value)

    constexpr ClipboardKind(Value value = text) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 7> allCases {text, richText, link, email, color, image, file};

    // The case name: "text", "richText", "link", "email", "color", "image", "file".
    QString rawValue() const;
    // Exactly one of the raw values (letter case included), else nothing.
    static std::optional<ClipboardKind> fromRawValue(QStringView raw);
    // "Text", "Rich Text", "Link", "Email", "Color", "Image", "File", in the interface language.
    QString title() const;
    // The English title, which is also the catalogue key.
    QString englishTitle() const;

    // The kind of a plain text: text, link, email or color.
    static ClipboardKind detect(const QString &text, bool treatDigitNumbersAsColor);

    // The kinds whose content is a text: text, rich text, link, e-mail and colour (not images or files). Only
    // these are pasted as plain text, merged into one text or transformed.
    constexpr bool isTextLike() const { return m_value != image && m_value != file; }

private:
    Value m_value;
};

size_t qHash(ClipboardKind kind, size_t seed = 0);
