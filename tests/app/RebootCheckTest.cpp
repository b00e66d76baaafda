#include "CoordinatorTestSupport.h"

#include "RebootCheck.h"

namespace {

constexpr double bootTime = 1'700'000'000.0;

} // namespace

// The kernel's boot id decides when both starts know it; only without it do the boot times decide, and they must
// lie more than a minute apart. Nothing stored, or nothing readable: no restart.
TEST(RebootCheck, TellsARestartByBootIDElseByBootTime)
{
    const QString a = QStringLiteral("boot-a");
    const QString b = QStringLiteral("boot-b");
    const struct
    {
        const char *name;
        RebootCheck::StoredBoot previous;
        BootRecord current;
        bool restarted;
    } cases[] = {
        {"first start", {}, {bootTime, a}, false},
        {"same boot", {bootTime, a}, {bootTime + 0.5, a}, false},
        {"same boot after a clock change", {bootTime, a}, {bootTime + 3600, a}, false},
        {"another boot", {bootTime, a}, {bootTime, b}, true},
        {"no id stored, 61 s apart", {bootTime, std::nullopt}, {bootTime + 61, a}, true},
        {"no id stored, exactly 60 s apart", {bootTime, std::nullopt}, {bootTime - 60, a}, false},
        {"no id now, 61 s apart", {bootTime, a}, {bootTime - 61, std::nullopt}, true},
        {"only an id stored, none now", {std::nullopt, a}, {bootTime, std::nullopt}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RebootCheck::isAnotherBoot(c.previous, c.current), c.restarted) << c.name;
}

TEST(RebootCheck, StoresTheCurrentBootEveryTime)
{
    QTemporaryDir root;
    const QString file = root.path() + QStringLiteral("/Varnisto.conf");
    QSettings(file, QSettings::IniFormat).setValue(RebootCheck::bootTimeKey, QStringLiteral("not a number"));

    EXPECT_FALSE(RebootCheck::recordBoot(file, {bootTime, QStringLiteral("boot-a")}));
    EXPECT_FALSE(RebootCheck::recordBoot(file, {bootTime + 10, QStringLiteral("boot-a")}));
    EXPECT_TRUE(RebootCheck::recordBoot(file, {bootTime + 10, QStringLiteral("boot-b")}));
    QSettings settings(file, QSettings::IniFormat);
    EXPECT_DOUBLE_EQ(settings.value(RebootCheck::bootTimeKey).toDouble(), bootTime + 10);
    EXPECT_EQ(settings.value(RebootCheck::bootIDKey).toString(), QStringLiteral("boot-b"));
}

TEST(RebootCheck, ClearsTheHistoryAfterARestartOnlyWhenAsked)
{
    for (const bool clearOnReboot : {false, true}) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) {
            p.clearHistoryOnReboot = clearOnReboot;
            p.keepFavoritesOnClearHistory = false;
        });
        h.storeItems(testItems(2));
        RebootCheck::recordBoot(h.settingsFile, {h.boot.boot.bootTime - 7200, QStringLiteral("the boot before")});

        h.coordinator->start();
        EXPECT_EQ(h.storedItems().size(), clearOnReboot ? 0 : 2);
        EXPECT_EQ(h.model.items().size(), clearOnReboot ? 0 : 2);
        // No confirmation is asked for this clear.
        EXPECT_TRUE(h.alerts.shown.isEmpty());
    }
}
