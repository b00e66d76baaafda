#pragma once

#include "ClipboardTextTransform.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QString>

#include <gtest/gtest.h>

#include <initializer_list>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// One row of a transform table: the transform, its input and the exact expected output.
struct TransformCase
{
    ClipboardTextTransform::Value transform;
    QString input;
    QString expected;
};

inline void expectTransforms(std::initializer_list<TransformCase> cases)
{
    for (const TransformCase &row : cases) {
        const ClipboardTextTransform transform(row.transform);
        EXPECT_EQ(transform.apply(row.input), row.expected)
            << transform.englishTitle().toStdString() << " of \"" << row.input.toStdString() << "\"";
    }
}

// Sets the default locale (what the transforms take as the user's locale) for the life of the object.
class ScopedDefaultLocale
{
public:
    explicit ScopedDefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~ScopedDefaultLocale() { QLocale::setDefault(m_previous); }
    ScopedDefaultLocale(const ScopedDefaultLocale &) = delete;
    ScopedDefaultLocale &operator=(const ScopedDefaultLocale &) = delete;

private:
    QLocale m_previous;
};

// Random short texts over a small alphabet of the characters that matter to a pattern, for comparing a
// hand-written matcher with the regular expression it stands for. The seed is fixed: every run is the same.
class RandomTexts
{
public:
    explicit RandomTexts(QStringList alphabet, quint32 seed = 20240501)
        : m_alphabet(std::move(alphabet)), m_random(seed)
    { }

    QString next(int maximumPieces = 24)
    {
        QString text;
        const int pieces = int(m_random.bounded(maximumPieces + 1));
        for (int i = 0; i < pieces; ++i)
            text += m_alphabet.at(int(m_random.bounded(int(m_alphabet.size()))));
        return text;
    }

private:
    QStringList m_alphabet;
    QRandomGenerator m_random;
};
