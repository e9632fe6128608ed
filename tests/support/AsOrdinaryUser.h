// SPDX-License-Identifier: MIT
#pragma once
// Runs a check as an ordinary user, for what the superuser would get away
// with (writing a read-only file): tests run as root in CI. Owns nothing.

#ifndef _WIN32

#include <functional>
#include <optional>

#include <sys/wait.h>
#include <unistd.h>

namespace orbelle::testing {

// The number of expectations `misses` reports missed, counted as the user
// "nobody" in a child process when this one is the superuser, in place
// otherwise; nullopt where the superuser cannot become that user.
inline std::optional<int> missedAsOrdinaryUser(const std::function<int()> &misses)
{
    if (::geteuid() != 0)
        return misses();
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(misses());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 100)
        return std::nullopt;
    return WEXITSTATUS(status);
}

} // namespace orbelle::testing

#endif
