#pragma once

// Runs a piece of a test as an ordinary user, so file permissions apply.
//
// The tests run as root, and root opens any device whatever its mode, so a
// pseudo-terminal whose read and write permissions were removed would still
// open. The piece therefore runs in a forked child that gives up root for
// good (no supplementary groups, then the group and user "nobody") before it
// runs; the kernel then checks the device's mode against it as against an
// operator's account. A child, because a process cannot take root back once
// it has given it up. Run as an ordinary user, the child keeps that user:
// the owner of a device with no permissions is refused as well.
//
// The child only reports text through a pipe and ends with _exit, so none
// of the parent's threads, files or test state is touched twice.

#include <pwd.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>

// What `piece` returned in the child, or nothing when the child could not
// give up root or did not finish.
inline std::optional<std::string> RunUnprivileged(const std::function<std::string()>& piece)
{
    uid_t uid = 65534;
    gid_t gid = 65534;
    if (const passwd* nobody = getpwnam("nobody")) {
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        close(pipeEnds[0]);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
            _exit(2);
        const std::string text = piece();
        std::size_t sent = 0;
        while (sent < text.size()) {
            const ssize_t n = write(pipeEnds[1], text.data() + sent, text.size() - sent);
            if (n <= 0)
                _exit(3);
            sent += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}
