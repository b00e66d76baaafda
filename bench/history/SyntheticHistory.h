#pragma once

// The synthetic history of the list benchmarks: the same count gives the same items.

#include "ClipboardItem.h"
#include "MemoryTuning.h"
#include "SyntheticText.h"

#include <QDir>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <map>

inline const bool allocatorTuned = [] {
    tuneMemoryAllocatorForLargeLists();
    return true;
}();

// Forty small pictures of different sizes that the image and file items point at.
inline const QStringList &pictures()
{
    static QTemporaryDir directory;
    static const QStringList paths = [] {
        QStringList made;
        for (int i = 0; i < 40; ++i) {
            QImage image(20 + i * 37, 15 + i * 23, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 9, 200, 200));
            const QString path = directory.filePath(QStringLiteral("picture-%1.png").arg(i));
            image.save(path);
            made.append(path);
        }
        return made;
    }();
    return paths;
}

// A history of mixed kinds in the order the list shows it (newest first, a copy every five minutes or so): texts
// mostly short, some long, a few of 20 KB; links, some with stored previews; e-mail addresses, colours, images and
// files; favourites, titles, tags and source applications here and there. The same count gives the same history.
inline QList<ClipboardItem> makeHistory(int count)
{
    QRandomGenerator random {quint32(count)};
    const QStringList syllables = {u"ka"_qs, u"lo"_qs, u"mi"_qs, u"ne"_qs, u"su"_qs, u"ta"_qs, u"ver"_qs, u"dré"_qs,
        u"ü"_qs, u"Sch"_qs, u"ph"_qs, u"or"_qs, u"ix"_qs, u"ja"_qs, u"bel"_qs, u"go"_qs, u"ri"_qs, u"Qu"_qs};
    const QStringList words = syntheticWords(random, syllables);
    const QStringList &images = pictures();

    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ClipboardItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        ClipboardItem item;
        item.id = QUuid::createUuidV5(QUuid(), QString::number(i));
        item.copiedAt = now.addSecs(-qint64(i) * 300 - random.bounded(300));
        item.firstCopiedAt = item.copiedAt;
        item.isFavorite = random.bounded(50) == 0;
        if (random.bounded(10) == 0)
            item.tags = {qint64(random.bounded(1, 6))};
        if (random.bounded(4) != 0)
            item.sourceAppName = u"Firefox"_qs;
        if (random.bounded(30) == 0)
            item.title = words.at(random.bounded(words.size()));

        const int kind = random.bounded(100);
        if (kind < 55) {
            item.kind = kind < 45 ? ClipboardKind::text : ClipboardKind::richText;
            const int band = random.bounded(100);
            const qsizetype length = band < 80 ? random.bounded(10, 300)
                : band < 97                    ? random.bounded(300, 2048)
                                               : random.bounded(2048, 20480);
            item.text = syntheticText(random, words, length);
            if (item.kind == ClipboardKind::richText)
                item.html = u"<p>"_qs + *item.text + u"</p>"_qs;
        } else if (kind < 70) {
            item.kind = ClipboardKind::link;
            item.text
                = u"https://"_qs + words.at(random.bounded(words.size())) + u".example.org/"_qs + QString::number(i);
            if (random.bounded(2) == 0)
                item.linkPreviewDetails = LinkPreviewDetails {*item.text, words.at(random.bounded(words.size())),
                    syntheticText(random, words, 80), images.at(random.bounded(images.size())), {}, now};
        } else if (kind < 75) {
            item.kind = ClipboardKind::email;
            item.text = words.at(random.bounded(words.size())) + u"@example.org"_qs;
        } else if (kind < 80) {
            item.kind = ClipboardKind::color;
            item.text = u'#' + QString::number(random.bounded(0x1000000), 16).rightJustified(6, u'0').toUpper();
        } else if (kind < 88) {
            item.kind = ClipboardKind::image;
            item.assetPath = images.at(random.bounded(images.size()));
            item.text = u"Screenshot "_qs + QString::number(i);
        } else {
            item.kind = ClipboardKind::file;
            if (random.bounded(3) == 0)
                item.filePaths.append(images.at(random.bounded(images.size())));
            for (int p = random.bounded(1, 3); p > 0; --p)
                item.filePaths.append(
                    u"/home/user/Documents/"_qs + words.at(random.bounded(words.size())) + u".pdf"_qs);
            if (item.filePaths.size() > 1 && random.bounded(2) == 0)
                item.filePaths.removeLast();
        }
        items.append(item.refreshingSearchText({}));
    }
    return items;
}

inline const QList<ClipboardItem> &historyOf(int count)
{
    static std::map<int, QList<ClipboardItem>> histories;
    auto &items = histories[count];
    if (items.isEmpty())
        items = makeHistory(count);
    return items;
}
