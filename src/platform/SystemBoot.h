#pragma once

#include <QString>

#include <optional>

// The boot the system is running in: when it started, and the kernel's identifier of it.
struct BootRecord
{
    double bootTime = 0; // seconds since 1970: the current time minus the time since boot, suspend included
    std::optional<QString> bootID; // nothing when the system does not say

    bool operator==(const BootRecord &) const = default;
};

// Tells which boot the system is in, so that a restart since the last start of the program can be noticed.
class SystemBoot
{
public:
    virtual ~SystemBoot() = default;
    virtual BootRecord currentBoot() const = 0;
};

// Linux: the boot id from /proc/sys/kernel/random/boot_id, the time since boot from CLOCK_BOOTTIME.
class LinuxSystemBoot final : public SystemBoot
{
public:
    BootRecord currentBoot() const override;
};
