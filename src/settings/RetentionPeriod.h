#pragma once

#include <QList>
#include <QString>

// How long items of a kind are kept, chosen on a slider that snaps to 22 steps from one day to one year and then
// "Unlimited". The track is cut into four equal segments: days up to a week, weeks up to a month, months up to a
// year, and the last step. Positions run from 0 to 100.
namespace RetentionPeriod {

struct Step
{
    qint64 days; // -1: unlimited
    QString label; // in the interface language
};

// The 22 steps, labels looked up afresh on each call.
QList<Step> steps();
constexpr int stepCount = 22;

// The step of a stored number of days: unlimited for a negative value, else the exact step, else the nearest (the
// earlier one on a tie).
int stepIndex(qint64 days);
// Where a step sits on the track.
double sliderPosition(int stepIndex);
// The step nearest a position of the track.
int stepIndexForPosition(double position);

// "Day", "Week", "Month", "Year", "Forever" and where they stand.
QStringList keyPointLabels();
const QList<double> &keyPointPositions();

} // namespace RetentionPeriod

// The kinds a retention row stands for.
enum class RetentionClipType { text, image, file, link, email, color };

namespace RetentionClipTypes {
QList<RetentionClipType> all();
QString title(RetentionClipType type);
// The kind's symbol ("character.textbox", "photo", ...).
QString systemImage(RetentionClipType type);
} // namespace RetentionClipTypes
