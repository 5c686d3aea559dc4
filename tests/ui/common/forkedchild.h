#pragma once
// Runs part of a test in a forked child, which may lower its file-size limit
// or give up root without changing the test program. A signal that ends the
// child (SIGXFSZ when a write goes past the limit) shows in its result.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <grp.h>

namespace vintrop::testing {

// What the body returned, 128 + the signal that ended the child, or -1
// when there was no child.
inline int RunForked(const std::function<int()>& body) {
    std::fflush(nullptr);   // nothing buffered is written twice
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) _exit(body());
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Files may grow to `bytes` at most from now on (call it in the child).
inline bool LimitFileSize(rlim_t bytes) {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    limit.rlim_cur = bytes;
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

constexpr uid_t kNobody = 65534;

// Run as root: the child becomes user and group 65534 with no other groups,
// so file permissions apply to it. Otherwise the child already lacks the
// rights root would have and stays who it is. False when that fails.
inline bool GiveUpRoot() {
    if (geteuid() != 0) return true;
    return setgroups(0, nullptr) == 0 && setresgid(kNobody, kNobody, kNobody) == 0 &&
           setresuid(kNobody, kNobody, kNobody) == 0;
}

} // namespace vintrop::testing
