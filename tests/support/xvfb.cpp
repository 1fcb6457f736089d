// A private Xvfb for a test (see xvfb.h).
#include "tests/support/xvfb.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

Xvfb::Xvfb(const std::string &screen, const std::vector<std::string> &extra)
{
    std::string path = Find();
    if (path.empty())
        return;
    int fds[2];
    if (pipe(fds) != 0)
        return;
    std::vector<std::string> args = {path, "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                     "-nolisten", "tcp"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t test = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // The server goes with the test, also when the test crashes instead of
        // reaching the destructor.
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != test)
            _exit(127);
        close(fds[0]);
        int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd >= 0) {
            dup2(null_fd, 1);
            dup2(null_fd, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        return;
    }
    // Xvfb writes its number once it listens and has set its screens up: from then on
    // it accepts connections.
    std::string number;
    char c;
    ssize_t n;
    while ((n = read(fds[0], &c, 1)) == 1 || (n < 0 && errno == EINTR))
        if (n == 1) {
            if (c == '\n')
                break;
            number += c;
        }
    close(fds[0]);
    if (!number.empty())
        display_ = ":" + number;
}

Xvfb::~Xvfb()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

std::string Xvfb::Find()
{
    const char *path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/Xvfb";
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace testsupport
