#include "CaseFoldedText.h"

#include "TextUtilities.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Marks, in the table below, a Latin-1 character whose folding is not one Latin-1 character: the sharp s folds to "ss",
// the micro sign to the Greek letter mu.
constexpr char16_t notOneLatin1Unit = 0xFFFF;

// The folding of the first 256 code points, where it is one Latin-1 character.
const std::array<char16_t, 256> &latin1Folding()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> folded {};
        for (char32_t c = 0; c < 256; ++c) {
            char16_t units[TextUtilities::maxFoldedUnits];
            const int count = TextUtilities::fullCaseFoldedInto(c, units);
            folded[c] = count == 1 && units[0] < 256 ? units[0] : notOneLatin1Unit;
        }
        return folded;
    }();
    return table;
}

QString foldedWide(QStringView text)
{
    return TextUtilities::fullCaseFolded(text);
}

// What folding does to a text: whether it changes anything, and whether every folded character fits Latin-1
// (a character beyond Latin-1 may fold into it, the capital sharp s, the Kelvin sign or the ligature fi; the micro
// sign folds out).
struct Survey
{
    bool changes = false;
    bool fitsLatin1 = true;
};

// Whether folding changes a code point.
bool changesWhenFolded(char32_t code)
{
    return QChar::toCaseFolded(code) != code || (code < 65536 && TextUtilities::isFoldedOtherwiseThanSimply(code));
}

Survey survey(QStringView text)
{
    const auto &table = latin1Folding();
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    Survey result;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 256 && table[c] != notOneLatin1Unit) {
            result.changes = result.changes || table[c] != c;
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]))
            code = QChar::surrogateToUcs4(c, in[++i]);
        if (QChar::isSurrogate(code) || !changesWhenFolded(code)) {
            result.fitsLatin1 = result.fitsLatin1 && code < 256;
        } else {
            result.changes = true;
            if (result.fitsLatin1) {
                char16_t units[TextUtilities::maxFoldedUnits];
                const int count = TextUtilities::fullCaseFoldedInto(code, units);
                result.fitsLatin1 = std::all_of(units, units + count, [](char16_t unit) { return unit < 256; });
            }
        }
        if (result.changes && !result.fitsLatin1)
            break; // nothing further can change the answer
    }
    return result;
}

// The library's searches, which take linear time whatever the needle.
qsizetype indexOfLinear(const uchar *text, qsizetype size, const uchar *needle, qsizetype needleSize)
{
    const void *found = memmem(text, size_t(size), needle, size_t(needleSize));
    return found ? qsizetype(static_cast<const uchar *>(found) - text) : -1;
}

qsizetype indexOfLinear(const char16_t *text, qsizetype size, const char16_t *needle, qsizetype needleSize)
{
    return QStringView(text, size).indexOf(QStringView(needle, needleSize));
}

// Where `needle` first occurs in `text`, or -1. For a needle of two to 32 units, blocks of text are compared at once
// with its first and its last unit, and only the places where both agree are compared whole: in a text of words few
// do, where a search by the first unit alone stops at every common letter. A longer needle could make each of those
// places cost its length, in a text of one letter repeated, so it is left to the library. `Unit` is the 8-bit
// (Latin-1) or the 16-bit (UTF-16) code unit.
template<typename Unit>
qsizetype indexOfUnits(const Unit *text, qsizetype size, const Unit *needle, qsizetype needleSize)
{
    if (needleSize > size)
        return -1;
#if defined(__SSE2__)
    constexpr qsizetype block = qsizetype(sizeof(__m128i) / sizeof(Unit));
    if (needleSize >= 2 && needleSize <= 32) {
        qsizetype start = 0;
        const auto splat = [](Unit unit) {
            if constexpr (sizeof(Unit) == 1)
                return _mm_set1_epi8(char(unit));
            else
                return _mm_set1_epi16(short(unit));
        };
        const auto equal = [](__m128i a, __m128i b) {
            if constexpr (sizeof(Unit) == 1)
                return _mm_cmpeq_epi8(a, b);
            else
                return _mm_cmpeq_epi16(a, b);
        };
        const __m128i first = splat(needle[0]);
        const __m128i last = splat(needle[needleSize - 1]);
        // The places in the block from `from` where a match may start: one bit a byte, and a 16-bit unit that
        // agrees sets two, of which the lower one is kept. The block of last units, needleSize - 1 on, is read too.
        const auto candidates = [&](qsizetype from) {
            const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + from));
            const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + from + needleSize - 1));
            const unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(equal(starts, first), equal(ends, last))));
            return sizeof(Unit) == 2 ? mask & 0x5555u : mask;
        };
        // Whether what lies between the first and the last unit agrees too.
        const auto matchesBetween = [&](qsizetype at) {
            return std::memcmp(text + at + 1, needle + 1, size_t(needleSize - 2) * sizeof(Unit)) == 0;
        };
        const auto matchAmong = [&](qsizetype from, unsigned mask) -> qsizetype {
            for (; mask != 0; mask &= mask - 1) {
                const qsizetype at = from + qsizetype(__builtin_ctz(mask)) / qsizetype(sizeof(Unit));
                if (matchesBetween(at))
                    return at;
            }
            return -1;
        };
        const qsizetype lastStart = size - needleSize; // the last place a match can start
        for (; start + block - 1 <= lastStart; start += block) {
            if (const qsizetype at = matchAmong(start, candidates(start)); at >= 0)
                return at;
        }
        if (start > lastStart)
            return -1;
        if (lastStart + 1 >= block) {
            // One more block, which ends at the last place; those of its places before `start` were looked at.
            const qsizetype from = lastStart + 1 - block;
            return matchAmong(from, candidates(from) & (~0u << unsigned((start - from) * qsizetype(sizeof(Unit)))));
        }
        // A text shorter than a block, place by place.
        for (; start <= lastStart; ++start) {
            if (text[start] == needle[0] && text[start + needleSize - 1] == needle[needleSize - 1]
                && matchesBetween(start))
                return start;
        }
        return -1;
    }
#endif
    return indexOfLinear(text, size, needle, needleSize);
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
    const qsizetype size = text.size();
    bool changes = false;
    // Most texts: every character folds to one Latin-1 character in its place.
    qsizetype i = 0;
    for (; i < size; ++i) {
        const char16_t c = in[i];
        if (c >= 256 || table[c] == notOneLatin1Unit)
            break;
        changes |= table[c] != c;
        out[i] = char(table[c]);
    }
    qsizetype written = i;
    for (; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 256 && table[c] != notOneLatin1Unit) {
            changes |= table[c] != c;
            out[written++] = char(table[c]);
            continue;
        }
        // The sharp s, or a character beyond Latin-1, which may fold into it (the capital sharp s, the Kelvin sign,
        // the ligature fi); no supplementary character does.
        char16_t units[TextUtilities::maxFoldedUnits];
        const int count = QChar::isSurrogate(c) ? 0 : TextUtilities::fullCaseFoldedInto(c, units);
        if (count == 0 || !std::all_of(units, units + count, [](char16_t unit) { return unit < 256; })) {
            m_latin1 = QByteArray();
            m_fitsLatin1 = false;
            if (changes || survey(QStringView(text).sliced(i)).changes) {
                m_form = Form::Wide;
                m_wide = foldedWide(text);
            } else {
                m_form = Form::Unchanged;
                m_wide = text;
            }
            return;
        }
        changes = true;
        if (count > 1) {
            // The text grows: room for this and, at most as often again, for what follows.
            const qsizetype needed = m_latin1.size() + count - 1;
            if (needed > m_latin1.capacity())
                m_latin1.reserve(std::max(needed, m_latin1.size() + m_latin1.size() / 2));
            m_latin1.resize(needed);
            out = m_latin1.data();
        }
        for (int k = 0; k < count; ++k)
            out[written++] = char(units[k]);
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
    folded.m_fitsLatin1
        = std::all_of(folded.m_wide.cbegin(), folded.m_wide.cend(), [](QChar c) { return c.unicode() < 256; });
    if (folded.m_fitsLatin1) {
        folded.m_latin1.resize(folded.m_wide.size());
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
            && indexOfUnits(reinterpret_cast<const uchar *>(m_latin1.constData()), m_latin1.size(),
                   reinterpret_cast<const uchar *>(needle.m_latin1.constData()), needle.m_latin1.size())
            >= 0;
    case Form::Wide:
    case Form::Unchanged:
        return indexOfUnits(reinterpret_cast<const char16_t *>(m_wide.utf16()), m_wide.size(),
                   reinterpret_cast<const char16_t *>(needle.m_wide.utf16()), needle.m_wide.size())
            >= 0;
    case Form::FoldedWhileSearching:
        return containsFoldingPieces(needle.m_wide);
    }
    return false;
}

bool CaseFoldedText::containsFoldingPieces(QStringView needle) const
{
    // Each piece is searched together with the last needle.size() - 1 folded code units before it, so that a match
    // across the border of two pieces is found too. A piece ends between two characters, never inside a pair, and
    // folding one character never looks at its neighbours, so the pieces fold as the whole text would.
    constexpr qsizetype piece = 64 * 1024;
    const qsizetype overlap = needle.size() - 1;
    const QStringView text(m_wide);
    QString window;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = std::min(text.size(), start + piece);
        if (end < text.size() && text.at(end - 1).isHighSurrogate())
            ++end; // a pair is folded whole
        const qsizetype carried = std::min(overlap, window.size());
        window = window.right(carried) + foldedWide(text.sliced(start, end - start));
        if (window.indexOf(needle) >= 0)
            return true;
        start = end;
    }
    return false;
}
