#include "CaseFoldedText.h"

#include <array>
#include <cstring>

namespace {

// The folding of the first 256 code points.
const std::array<char16_t, 256> &latin1Folding()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> folded {};
        for (char32_t c = 0; c < 256; ++c)
            folded[c] = char16_t(QChar::toCaseFolded(c));
        return folded;
    }();
    return table;
}

QString foldedWide(QStringView text)
{
    const auto &table = latin1Folding();
    QString result(text.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 256) {
            out[i] = table[c];
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            // Folding keeps a code point in its plane, so a pair stays a pair.
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[i + 1]));
            out[i] = QChar::highSurrogate(folded);
            out[++i] = QChar::lowSurrogate(folded);
        } else {
            out[i] = char16_t(QChar::toCaseFolded(char32_t(c)));
        }
    }
    return result;
}

} // namespace

CaseFoldedText::CaseFoldedText(QStringView text)
{
    const auto &table = latin1Folding();
    m_latin1.resize(text.size());
    char *out = m_latin1.data();
    const char16_t *in = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = in[i];
        // A character beyond Latin-1 may fold into it (the capital sharp s, the Kelvin sign).
        const char16_t folded = c < 256 ? table[c]
            : QChar::isSurrogate(c)     ? c
                                        : char16_t(QChar::toCaseFolded(char32_t(c)));
        if (folded >= 256) {
            m_latin1 = QByteArray();
            m_wide = foldedWide(text);
            m_isLatin1 = false;
            return;
        }
        out[i] = char(folded);
    }
}

CaseFoldedText CaseFoldedText::needle(QStringView text)
{
    CaseFoldedText folded(text);
    if (folded.m_isLatin1)
        folded.m_wide = QString::fromLatin1(folded.m_latin1);
    return folded;
}

bool CaseFoldedText::contains(const CaseFoldedText &needle) const
{
    if (needle.isEmpty())
        return true;
    if (m_isLatin1) {
        // A needle with a character beyond Latin-1 cannot occur in a Latin-1 text.
        return needle.m_isLatin1
            && memmem(m_latin1.constData(), size_t(m_latin1.size()), needle.m_latin1.constData(),
                   size_t(needle.m_latin1.size()))
            != nullptr;
    }
    if (needle.m_isLatin1 && needle.m_wide.isEmpty())
        return m_wide.contains(QString::fromLatin1(needle.m_latin1));
    return m_wide.contains(needle.m_wide);
}
