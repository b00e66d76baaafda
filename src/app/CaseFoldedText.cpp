#include "CaseFoldedText.h"

#include <algorithm>
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

// Folds `text` into `out`, which has room for text.size() code units: folding keeps every code point in its plane,
// so a pair stays a pair and the folded text is as long as the text.
void foldInto(QStringView text, char16_t *out)
{
    const auto &table = latin1Folding();
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 256) {
            out[i] = table[c];
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[i + 1]));
            out[i] = QChar::highSurrogate(folded);
            out[++i] = QChar::lowSurrogate(folded);
        } else {
            out[i] = char16_t(QChar::toCaseFolded(char32_t(c)));
        }
    }
}

QString foldedWide(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    foldInto(text, reinterpret_cast<char16_t *>(result.data()));
    return result;
}

// What folding does to a text: whether it changes anything, and whether every folded character fits Latin-1
// (a character beyond Latin-1 may fold into it, the capital sharp s or the Kelvin sign; the micro sign folds out).
struct Survey
{
    bool changes = false;
    bool fitsLatin1 = true;
};

Survey survey(QStringView text)
{
    const auto &table = latin1Folding();
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    Survey result;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        char16_t folded = c;
        if (c < 256) {
            folded = table[c];
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t code = QChar::surrogateToUcs4(c, in[++i]);
            result.changes = result.changes || QChar::toCaseFolded(code) != code;
        } else if (!QChar::isSurrogate(c)) {
            folded = char16_t(QChar::toCaseFolded(char32_t(c)));
        }
        result.changes = result.changes || folded != c;
        result.fitsLatin1 = result.fitsLatin1 && folded < 256;
    }
    return result;
}

} // namespace

CaseFoldedText::CaseFoldedText(const QString &text)
{
    if (text.size() > foldWhileSearchingAbove) {
        // Looked at only, so that nothing as long as the text is written.
        const Survey found = survey(text);
        m_fitsLatin1 = found.fitsLatin1;
        m_form = found.changes ? Form::FoldedWhileSearching : Form::Unchanged;
        m_wide = text;
        return;
    }
    const auto &table = latin1Folding();
    m_latin1.resize(text.size());
    char *out = m_latin1.data();
    const char16_t *in = QStringView(text).utf16();
    bool changes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = in[i];
        // A character beyond Latin-1 may fold into it (the capital sharp s, the Kelvin sign).
        const char16_t folded = c < 256 ? table[c]
            : QChar::isSurrogate(c)     ? c
                                        : char16_t(QChar::toCaseFolded(char32_t(c)));
        if (folded >= 256) {
            m_latin1 = QByteArray();
            m_fitsLatin1 = false;
            if (survey(QStringView(text).sliced(i)).changes || changes) {
                m_form = Form::Wide;
                m_wide = foldedWide(text);
            } else {
                m_form = Form::Unchanged;
                m_wide = text;
            }
            return;
        }
        changes = changes || folded != c;
        out[i] = char(folded);
    }
    if (!changes) {
        m_latin1 = QByteArray();
        m_form = Form::Unchanged;
        m_wide = text;
    }
}

CaseFoldedText CaseFoldedText::needle(QStringView text)
{
    CaseFoldedText folded;
    folded.m_wide = foldedWide(text);
    folded.m_fitsLatin1 = survey(text).fitsLatin1;
    if (folded.m_fitsLatin1) {
        folded.m_latin1.resize(text.size());
        std::transform(folded.m_wide.cbegin(), folded.m_wide.cend(), folded.m_latin1.begin(),
            [](QChar c) { return char(c.unicode()); });
    }
    folded.m_form = folded.m_fitsLatin1 ? Form::Latin1 : Form::Wide;
    return folded;
}

bool CaseFoldedText::isEmpty() const
{
    return m_form == Form::Latin1 ? m_latin1.isEmpty() : m_wide.isEmpty();
}

QString CaseFoldedText::toString() const
{
    switch (m_form) {
    case Form::Latin1:
        return QString::fromLatin1(m_latin1);
    case Form::Wide:
    case Form::Unchanged:
        return m_wide;
    case Form::FoldedWhileSearching:
        return foldedWide(m_wide);
    }
    return m_wide;
}

bool CaseFoldedText::contains(const CaseFoldedText &needle) const
{
    if (needle.isEmpty())
        return true;
    switch (m_form) {
    case Form::Latin1:
        // A needle with a character beyond Latin-1 cannot occur in a Latin-1 text.
        return needle.m_fitsLatin1
            && memmem(m_latin1.constData(), size_t(m_latin1.size()), needle.m_latin1.constData(),
                   size_t(needle.m_latin1.size()))
            != nullptr;
    case Form::Wide:
    case Form::Unchanged:
        return QStringView(m_wide).indexOf(QStringView(needle.m_wide)) >= 0;
    case Form::FoldedWhileSearching:
        return containsFoldingPieces(needle.m_wide);
    }
    return false;
}

bool CaseFoldedText::containsFoldingPieces(QStringView needle) const
{
    // Each piece is searched together with the last needle.size() - 1 folded code units before it, so that a match
    // across the border of two pieces is found too.
    constexpr qsizetype piece = 64 * 1024;
    const qsizetype overlap = needle.size() - 1;
    const QStringView text(m_wide);
    QString buffer(overlap + piece + 1, Qt::Uninitialized);
    char16_t *window = reinterpret_cast<char16_t *>(buffer.data());
    qsizetype carried = 0;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = std::min(text.size(), start + piece);
        if (end < text.size() && text.at(end - 1).isHighSurrogate())
            ++end; // a pair is folded whole
        foldInto(text.sliced(start, end - start), window + carried);
        const qsizetype filled = carried + (end - start);
        if (QStringView(window, filled).indexOf(needle) >= 0)
            return true;
        carried = std::min(overlap, filled);
        std::memmove(window, window + filled - carried, size_t(carried) * sizeof(char16_t));
        start = end;
    }
    return false;
}
