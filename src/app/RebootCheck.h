#pragma once

#include "SystemBoot.h"

#include <QLatin1StringView>
#include <QString>

#include <optional>

// Notices a restart of the system between two starts of the program. The boot seen at each start is kept in the
// user settings beside the preferences: its time (seconds since 1970, under "VarnistoLastKnownBootTime") and the
// kernel's boot id. The id decides when both starts know one, so that a change of the clock or a suspend is never
// taken for a restart; only without it do the two boot times have to lie more than a minute apart.
namespace RebootCheck {

inline constexpr QLatin1StringView bootTimeKey {"VarnistoLastKnownBootTime"};
inline constexpr QLatin1StringView bootIDKey {"VarnistoLastKnownBootID"};
inline constexpr double bootTimeToleranceSeconds = 60;

// What the settings held from the previous start; a value that is missing or unreadable is nothing.
struct StoredBoot
{
    std::optional<double> bootTime;
    std::optional<QString> bootID;
};

// Whether the current boot is another one than the stored one; false when nothing comparable was stored.
bool isAnotherBoot(const StoredBoot &previous, const BootRecord &current);

// Reads the previous boot from the settings file, stores the current one in its place (always), and answers
// whether the system has restarted since.
bool recordBoot(const QString &settingsFilePath, const BootRecord &current);

} // namespace RebootCheck
