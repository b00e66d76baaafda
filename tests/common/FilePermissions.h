#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <initializer_list>

// Root passes every permission check; while this lives, the calling thread (the test's, which also runs the code
// under test) is held to the file permissions like any user: the capabilities that override them are taken out of
// its effective set and put back at the end. A process that is not root is held to them anyway.
class FilePermissionsApply
{
public:
    FilePermissionsApply()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~FilePermissionsApply()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    FilePermissionsApply(const FilePermissionsApply &) = delete;
    FilePermissionsApply &operator=(const FilePermissionsApply &) = delete;

    // Whether the permissions now hold for this thread.
    bool apply() const { return m_dropped || ::geteuid() != 0; }

private:
    __user_cap_header_struct m_header {};
    __user_cap_data_struct m_saved[2] {};
    bool m_dropped = false;
};
