#include "RetentionPeriod.h"

#include "Localization.h"

#include <cmath>

namespace {

struct Segment
{
    int startIndex;
    int endIndex;
    double startPosition;
    double endPosition;
};

constexpr Segment segments[] = {
    {0, 6, 0, 25},
    {6, 9, 25, 50},
    {9, 20, 50, 75},
    {20, 21, 75, 100},
};

constexpr std::pair<qint64, const char *> stepTable[] = {
    {1, "1 day"},
    {2, "2 days"},
    {3, "3 days"},
    {4, "4 days"},
    {5, "5 days"},
    {6, "6 days"},
    {7, "1 week"},
    {14, "2 weeks"},
    {21, "3 weeks"},
    {30, "1 month"},
    {60, "2 months"},
    {90, "3 months"},
    {120, "4 months"},
    {150, "5 months"},
    {180, "6 months"},
    {210, "7 months"},
    {240, "8 months"},
    {270, "9 months"},
    {300, "10 months"},
    {330, "11 months"},
    {365, "1 year"},
    {-1, "Unlimited"},
};
static_assert(std::size(stepTable) == RetentionPeriod::stepCount);

} // namespace

QList<RetentionPeriod::Step> RetentionPeriod::steps()
{
    QList<Step> result;
    for (const auto &[days, label] : stepTable)
        result.append({days, localized(QString::fromLatin1(label))});
    return result;
}

int RetentionPeriod::stepIndex(qint64 days)
{
    if (days < 0)
        return stepCount - 1;
    int best = 0;
    qint64 bestDistance = -1;
    for (int index = 0; index < stepCount; ++index) {
        const qint64 stepDays = stepTable[index].first;
        if (stepDays == days)
            return index;
        const qint64 distance = std::abs(stepDays - days);
        if (bestDistance < 0 || distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    return best;
}

double RetentionPeriod::sliderPosition(int stepIndex)
{
    const int index = std::clamp(stepIndex, 0, stepCount - 1);
    if (index < 1)
        return 0;
    if (index >= stepCount - 1)
        return 100;
    for (const Segment &segment : segments) {
        if (segment.startIndex <= index && index <= segment.endIndex) {
            return segment.startPosition
                + (segment.endPosition - segment.startPosition) * double(index - segment.startIndex)
                / double(segment.endIndex - segment.startIndex);
        }
    }
    return 0;
}

int RetentionPeriod::stepIndexForPosition(double position)
{
    if (std::isnan(position))
        return 0;
    if (position <= 0)
        return 0;
    if (position >= 100)
        return stepCount - 1;
    for (const Segment &segment : segments) {
        if (segment.startPosition <= position && position <= segment.endPosition) {
            const double index = segment.startIndex
                + (position - segment.startPosition) / (segment.endPosition - segment.startPosition)
                    * (segment.endIndex - segment.startIndex);
            return int(std::round(index));
        }
    }
    return 0;
}

QStringList RetentionPeriod::keyPointLabels()
{
    return {localized(QStringLiteral("Day")), localized(QStringLiteral("Week")), localized(QStringLiteral("Month")),
        localized(QStringLiteral("Year")), localized(QStringLiteral("Forever"))};
}

const QList<double> &RetentionPeriod::keyPointPositions()
{
    static const QList<double> positions {0, 25, 50, 75, 100};
    return positions;
}

QList<RetentionClipType> RetentionClipTypes::all()
{
    return {RetentionClipType::text, RetentionClipType::image, RetentionClipType::file, RetentionClipType::link,
        RetentionClipType::email, RetentionClipType::color};
}

QString RetentionClipTypes::title(RetentionClipType type)
{
    switch (type) {
    case RetentionClipType::text:
        return localized(QStringLiteral("Texts"));
    case RetentionClipType::image:
        return localized(QStringLiteral("Images"));
    case RetentionClipType::file:
        return localized(QStringLiteral("Files & Folders"));
    case RetentionClipType::link:
        return localized(QStringLiteral("Links"));
    case RetentionClipType::email:
        return localized(QStringLiteral("Emails"));
    case RetentionClipType::color:
        return localized(QStringLiteral("Colors"));
    }
    return {};
}

QString RetentionClipTypes::systemImage(RetentionClipType type)
{
    switch (type) {
    case RetentionClipType::text:
        return QStringLiteral("character.textbox");
    case RetentionClipType::image:
        return QStringLiteral("photo");
    case RetentionClipType::file:
        return QStringLiteral("folder");
    case RetentionClipType::link:
        return QStringLiteral("link");
    case RetentionClipType::email:
        return QStringLiteral("envelope");
    case RetentionClipType::color:
        return QStringLiteral("paintpalette");
    }
    return {};
}
