#pragma once

// A 1920x1080 screenshot of a desktop as the recogniser's tests and benchmarks see one: a photo as wallpaper, a
// top panel, and a document window with a title bar, a tool bar, a side bar, several paragraphs in an interface
// font, a photo inside the document and a status bar. The texts are listed so that a test can look for every
// word of them in what was recognised.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace ScreenshotFixture {

struct Text
{
    QRect box;
    QString text;
};

inline const QStringList &paragraphLines()
{
    static const QStringList lines = {
        QStringLiteral("Revenue grew by 12 percent compared with the same quarter last year, while most of the growth"),
        QStringLiteral("came from the two new stores that opened in March and from the online shop."),
        QStringLiteral("Costs rose less quickly, mainly because of lower transport prices and a shorter delivery"),
        QStringLiteral("route between the warehouse and the stores in the northern region."),
        QStringLiteral("The warehouse move is planned for the second half of October. Please send your comments"),
        QStringLiteral("on the staffing plan before Friday, so that the hiring can start in good time."),
        QStringLiteral("Meeting notes: budget review, hiring, the new delivery schedule and the summer campaign."),
        QStringLiteral("Action items are listed in the shared folder under Planning. Contact the finance team"),
        QStringLiteral("at finance@example.org with any questions about the figures in this report."),
    };
    return lines;
}

// Every piece of text in the picture, where it is drawn.
inline QList<Text> texts()
{
    QList<Text> list = {
        {QRect(12, 0, 200, 28), QStringLiteral("Activities")},
        {QRect(900, 0, 200, 28), QStringLiteral("Thursday 14:05")},
        {QRect(200, 80, 1280, 36), QStringLiteral("Quarterly report - Document Viewer")},
        {QRect(220, 126, 80, 30), QStringLiteral("Open")},
        {QRect(310, 126, 80, 30), QStringLiteral("Save")},
        {QRect(400, 126, 80, 30), QStringLiteral("Print")},
        {QRect(490, 126, 80, 30), QStringLiteral("Share")},
        {QRect(216, 190, 200, 30), QStringLiteral("Documents")},
        {QRect(216, 226, 200, 30), QStringLiteral("Pictures")},
        {QRect(216, 262, 200, 30), QStringLiteral("Downloads")},
        {QRect(216, 298, 200, 30), QStringLiteral("Archive")},
        {QRect(480, 190, 1000, 40), QStringLiteral("Quarterly report for the northern region")},
    };
    // Four paragraphs: two lines each, the last three.
    int y = 250;
    const QStringList &lines = paragraphLines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        list.append({QRect(480, y, 980, 24), lines.at(i)});
        y += i % 2 == 1 && i < 6 ? 48 : 30;
    }
    list.append({QRect(480, 810, 600, 24), QStringLiteral("Figure 1: the new store in the city centre")});
    list.append({QRect(212, 846, 900, 28), QStringLiteral("Page 1 of 3 Words: 412 English")});
    return list;
}

// The words of a text, split at white space, without the punctuation around them.
inline QStringList wordsOf(const QString &text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    static const QRegularExpression punctuation(QStringLiteral("^[^\\w@]+|[^\\w]+$"));
    QStringList list;
    for (QString word : text.split(space, Qt::SkipEmptyParts)) {
        word.remove(punctuation);
        if (!word.isEmpty())
            list.append(word);
    }
    return list;
}

// The words of every text in the picture.
inline QStringList words()
{
    QStringList list;
    for (const Text &piece : texts())
        list += wordsOf(piece.text);
    return list;
}

// The words of the picture that are not among the words of `recognised`.
inline QStringList missingWords(const QString &recognised)
{
    const QStringList found = wordsOf(recognised);
    QStringList missing;
    for (const QString &word : words()) {
        if (!found.contains(word))
            missing.append(word);
    }
    return missing;
}

// A photo-like picture: smooth colour gradients with fine grain, as a camera gives.
inline void paintPhoto(QPainter &painter, const QRect &area, quint32 seed)
{
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(90, 140, 210));
    sky.setColorAt(0.6, QColor(200, 180, 150));
    sky.setColorAt(1, QColor(70, 90, 50));
    painter.fillRect(area, sky);
    QRadialGradient sun(area.left() + area.width() * 0.7, area.top() + area.height() * 0.35, area.height() * 0.5);
    sun.setColorAt(0, QColor(255, 240, 200, 220));
    sun.setColorAt(1, QColor(255, 240, 200, 0));
    painter.fillRect(area, sun);
    QRandomGenerator random(seed);
    QImage grain(area.size(), QImage::Format_ARGB32);
    for (int y = 0; y < grain.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grain.scanLine(y));
        for (int x = 0; x < grain.width(); ++x) {
            const int value = random.bounded(256);
            line[x] = qRgba(value, value, value, 18);
        }
    }
    painter.drawImage(area.topLeft(), grain);
}

inline QImage image()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    paintPhoto(painter, image.rect(), 7);
    // The top panel and the window with its frame, title bar, tool bar, side bar and status bar.
    painter.fillRect(0, 0, 1920, 28, QColor(30, 30, 34));
    painter.fillRect(199, 79, 1282, 802, QColor(150, 150, 150));
    painter.fillRect(200, 80, 1280, 800, Qt::white);
    painter.fillRect(200, 80, 1280, 36, QColor(222, 222, 226));
    painter.fillRect(200, 116, 1280, 50, QColor(242, 242, 244));
    for (int i = 0; i < 4; ++i) {
        painter.setPen(QColor(180, 180, 186));
        painter.setBrush(QColor(252, 252, 252));
        painter.drawRoundedRect(QRect(212 + i * 90, 126, 80, 30), 4, 4);
    }
    painter.fillRect(200, 166, 240, 676, QColor(246, 246, 248));
    painter.fillRect(200, 186, 240, 36, QColor(53, 132, 228));
    painter.fillRect(200, 842, 1280, 38, QColor(236, 236, 238));
    paintPhoto(painter, QRect(480, 600, 360, 200), 11);

    QFont font(QStringLiteral("DejaVu Sans"));
    for (const Text &piece : texts()) {
        const bool panel = piece.box.top() == 0;
        const bool selected = piece.box.top() == 190 && piece.box.left() == 216;
        const bool heading = piece.box.height() == 40;
        const bool title = piece.box.top() == 80;
        font.setPixelSize(heading ? 24 : 15);
        font.setBold(heading || title || panel);
        painter.setFont(font);
        painter.setPen(panel || selected ? QColor(Qt::white) : QColor(34, 34, 38));
        const Qt::Alignment alignment
            = title || piece.box.top() == 126 || panel ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawText(piece.box, int(alignment), piece.text);
    }
    painter.end();
    return image;
}

} // namespace ScreenshotFixture
