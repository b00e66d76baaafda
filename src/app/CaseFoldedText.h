#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// A text folded for searching without regard to case (full Unicode case folding, so that "ß" and "ss" are alike and
// accents still count), kept in the smallest form that holds it:
// - nothing of its own when folding changes nothing (all lower case, digits, punctuation): the text is shared;
// - Latin-1 bytes when every folded character fits, which is most texts and halves what a search reads;
// - UTF-16 otherwise;
// - for a very long text, nothing of its own either: the text is shared and folded piece by piece while it is
//   searched, so that a text of many megabytes is not held a second time.
class CaseFoldedText
{
public:
    // Texts longer than this (in UTF-16 code units) are folded while they are searched.
    static constexpr qsizetype foldWhileSearchingAbove = 16 * 1024 * 1024;

    CaseFoldedText() = default;
    explicit CaseFoldedText(const QString &text);
    // A text to search for: it keeps a UTF-16 form as well, for searching texts that are not Latin-1.
    static CaseFoldedText needle(QStringView text);

    // Whether `needle` occurs in this text; both sides folded, so this is a case-insensitive search.
    bool contains(const CaseFoldedText &needle) const;
    bool isEmpty() const;
    // The folded text, as TextUtilities::fullCaseFolded gives it.
    QString toString() const;

private:
    // What the tests look into.
    friend class CaseFoldedTextProbe;

    enum class Form : quint8 {
        Latin1, // m_latin1 holds the folded text
        Wide, // m_wide holds the folded text
        Unchanged, // m_wide is the text itself, which folding leaves as it is
        FoldedWhileSearching, // m_wide is the text itself, folded in pieces by contains()
    };

    bool containsFoldingPieces(QStringView needle) const;

    QByteArray m_latin1;
    QString m_wide; // the folded text or the text itself, by the form; for a needle, its folded UTF-16 form
    Form m_form = Form::Latin1;
    bool m_fitsLatin1 = true;
};
