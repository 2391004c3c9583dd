#pragma once
// Cases that need a file or folder the program may not write. File
// permissions do not stop root (CI runs as root): root passes them through
// the capability to override them, not through its user id. Capabilities
// belong to each thread, so the test's own thread can give that one up for
// the length of a case and take it back afterwards; meanwhile it is held to
// the permission bits like any user, in this process, windows and all.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the thread that made it obeys file permissions, also when
// it runs as root. holds() says whether that is so; a test that relies on it
// checks it rather than passing for the wrong reason.
class ObeyFilePermissions {
public:
    ObeyFilePermissions()
    {
        if (geteuid() != 0) {
            m_holds = true;
            return;
        }
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0; // this thread
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct without[_LINUX_CAPABILITY_U32S_3];
        for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i)
            without[i] = m_saved[i];
        // All three overrides live in the first word.
        without[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_dropped = syscall(SYS_capset, &m_header, without) == 0;
        m_holds = m_dropped;
    }
    ~ObeyFilePermissions()
    {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
    }
    ObeyFilePermissions(const ObeyFilePermissions&) = delete;
    ObeyFilePermissions& operator=(const ObeyFilePermissions&) = delete;

    bool holds() const { return m_holds; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[_LINUX_CAPABILITY_U32S_3]{};
    bool m_dropped = false;
    bool m_holds = false;
};
