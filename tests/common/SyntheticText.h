#pragma once

// Made-up words and texts for the benchmarks' histories: the same random generator state always gives the same
// words, so the same history comes back in every run.

#include <QLatin1Char>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// `count` words of one to three of the syllables.
inline QStringList syntheticWords(QRandomGenerator &random, const QStringList &syllables, int count = 3000)
{
    QStringList words;
    words.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString word;
        for (int s = random.bounded(1, 4); s > 0; --s)
            word += syllables.at(random.bounded(syllables.size()));
        words.append(word);
    }
    return words;
}

// A text of the words with spaces and now and then a line break, cut to `length` characters.
inline QString syntheticText(QRandomGenerator &random, const QStringList &words, qsizetype length)
{
    QString text;
    text.reserve(length + 16);
    while (text.size() < length) {
        text += words.at(random.bounded(words.size()));
        text += random.bounded(12) == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
    }
    text.truncate(length);
    return text;
}
