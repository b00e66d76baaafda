#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// A text folded for searching without regard to case (simple Unicode case folding, one code point for one, so
// accents still count), kept in the smallest form that holds it: Latin-1 bytes when every folded character
// fits, which is most texts and halves what a search reads, else UTF-16.
class CaseFoldedText
{
public:
    CaseFoldedText() = default;
    explicit CaseFoldedText(QStringView text);
    // A text to search for: it keeps a UTF-16 form as well, for searching texts that are not Latin-1.
    static CaseFoldedText needle(QStringView text);

    // Whether `needle` occurs in this text; both sides folded, so this is a case-insensitive search.
    bool contains(const CaseFoldedText &needle) const;
    bool isEmpty() const { return m_isLatin1 ? m_latin1.isEmpty() : m_wide.isEmpty(); }
    bool isLatin1() const { return m_isLatin1; }
    // The folded text, as QString::toCaseFolded() gives it.
    QString toString() const { return m_isLatin1 ? QString::fromLatin1(m_latin1) : m_wide; }

private:
    QByteArray m_latin1;
    QString m_wide; // when the text does not fit Latin-1; for a needle, always
    bool m_isLatin1 = true;
};
