#include "GlobalShortcutService.h"
#include "KeyboardCodes.h"
#include "MemoryHotKeyBackend.h"

#include "ServicesProbe.h"
#include "TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

constexpr quint32 cmdShift = HotKeyModifier::command | HotKeyModifier::shift;

class GlobalShortcutServiceTest : public ::testing::Test
{
protected:
    MemoryHotKeyBackend backend;
    QObject owner;
};

} // namespace

TEST_F(GlobalShortcutServiceTest, RegistersUnderTheSignatureAndRunsTheHandlerAfterTheKeyEvent)
{
    GlobalShortcutService service(backend);
    int runs = 0;
    service.registerShortcut(2, QStringLiteral("shift+cmd+v"), &owner, [&] { ++runs; });

    ASSERT_EQ(backend.registrations().size(), 1);
    const auto &registration = backend.registrations().first();
    EXPECT_EQ(registration.keyCode, VirtualKey::v);
    EXPECT_EQ(registration.modifiers, cmdShift);
    EXPECT_EQ(registration.id, (HotKeyID {0x56525354, 3}));

    ASSERT_TRUE(backend.press(VirtualKey::v, cmdShift));
    EXPECT_EQ(runs, 0); // not while the key event is being handled
    ASSERT_TRUE(waitUntil([&] { return runs == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
}

TEST_F(GlobalShortcutServiceTest, TextsThatDoNotParseRegisterNothingAndSayNothing)
{
    GlobalShortcutService service(backend);
    WarningLog log;
    service.registerShortcut(0, QString(), &owner, [] {});
    service.registerShortcut(1, QStringLiteral("cmd+f1"), &owner, [] {});
    EXPECT_TRUE(backend.registrations().isEmpty());
    EXPECT_EQ(ServicesProbe::hotKeyCount(service), 0);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(GlobalShortcutServiceTest, ARefusedKeyIsLoggedAndTheOtherActionsStillRegister)
{
    GlobalShortcutService service(backend);
    backend.refuse(VirtualKey::v, cmdShift, HotKeyBackend::keyTakenStatus);
    WarningLog log;
    int pauses = 0;
    service.registerShortcut(0, QStringLiteral("Shift+Cmd+V"), &owner, [] {});
    service.registerShortcut(1, QStringLiteral("cmd+shift+p"), &owner, [&] { ++pauses; });

    EXPECT_EQ(log.lines(), QStringList {QStringLiteral("Varnisto failed to register global shortcut Shift+Cmd+V: 10")});
    ASSERT_EQ(ServicesProbe::hotKeyCount(service), 1);
    EXPECT_EQ(backend.registrations().first().id.id, 2u);
    backend.press(35, cmdShift);
    EXPECT_TRUE(waitUntil([&] { return pauses == 1; }));
}

TEST_F(GlobalShortcutServiceTest, UnregisteredOrOrphanedHandlersDoNotRun)
{
    GlobalShortcutService service(backend);
    int runs = 0;
    service.registerShortcut(0, QStringLiteral("cmd+shift+v"), &owner, [&] { ++runs; });
    {
        QObject shortLived;
        service.registerShortcut(1, QStringLiteral("cmd+shift+p"), &shortLived, [&] { ++runs; });
        backend.press(35, cmdShift);
    }
    // A press whose handler is unregistered before it runs.
    backend.press(VirtualKey::v, cmdShift);
    service.unregisterAll();
    EXPECT_TRUE(backend.registrations().isEmpty());
    EXPECT_FALSE(backend.press(VirtualKey::v, cmdShift));

    // Queued after the handler calls, so they have had their turn once it has run.
    bool settled = false;
    QMetaObject::invokeMethod(
        &owner, [&] { settled = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(waitUntil([&] { return settled; }));
    EXPECT_EQ(runs, 0);
}

TEST_F(GlobalShortcutServiceTest, DestructionReleasesEveryHotKey)
{
    {
        GlobalShortcutService service(backend);
        service.registerShortcut(0, QStringLiteral("cmd+shift+v"), &owner, [] {});
        service.registerShortcut(3, QStringLiteral("control+shift+v"), &owner, [] {});
        ASSERT_EQ(backend.registrations().size(), 2);
    }
    EXPECT_TRUE(backend.registrations().isEmpty());
}
