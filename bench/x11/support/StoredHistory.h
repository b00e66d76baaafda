#pragma once

// The history the program benchmarks start on: 5,000 ordinary texts written into the benchmark's own XDG folders,
// with the onboarding done and the sounds off, so that the program starts straight into its work.

#include <QString>

#include <optional>

namespace StoredHistory {

constexpr qsizetype ordinaryItemCount = 5000;

// The program's support folder in the run's XDG data folder.
QString supportDirectory();
// Removes the history and writes settings with the onboarding done and the sounds off.
void prepareFolders();
// Stores `count` ordinary texts, the same on every run: mostly a line or a short paragraph, now and then a longer
// text of several lines. Answers the store's error, if it fails.
std::optional<QString> storeOrdinaryItems(qsizetype count = ordinaryItemCount);
// Stores one text of `size` characters on a single line.
std::optional<QString> storeOneLargeText(qint64 size);

} // namespace StoredHistory
