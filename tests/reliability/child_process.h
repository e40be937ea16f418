#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <new>

namespace dabro::test {

inline constexpr int kChildThrew = 120;
inline constexpr int kChildOutOfMemory = 121;

// Runs `body` in a forked child, where resource limits and signal settings cannot leak into
// the other tests, and returns its exit code: body's result, kChildOutOfMemory when it ran
// out of memory, kChildThrew for any other exception, 128 + the signal that ended it.
template <typename Body>
int run_in_child(Body&& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        int code = kChildThrew;
        try {
            code = body();
        } catch (const std::bad_alloc&) {
            code = kChildOutOfMemory;
        } catch (...) {
            code = kChildThrew;
        }
        std::fflush(nullptr);
        ::_exit(code);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace dabro::test
