// For tests of files that may not be written: no file is read-only to root.
#pragma once

#include <grp.h>
#include <unistd.h>

#include <cstdlib>

// From here on, the process runs as the unprivileged user "nobody" when it runs as root, after
// handing that user the working directory; otherwise nothing changes. Meant for the child
// process of a death test, since it cannot be undone. Ends the process when it fails.
inline void becomeOrdinaryUser() {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() != 0) {
        return;
    }
    if (::chown(".", kNobody, kNobody) != 0 || ::setgroups(0, nullptr) != 0 ||
        ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
        std::_Exit(99);
    }
}
