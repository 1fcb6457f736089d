// A full disk for tests (see small_disk.h).
#include "small_disk.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fstest {

namespace {

bool WriteProcFile(const char *path, const std::string &text)
{
    int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = write(fd, text.data(), text.size()) == (ssize_t)text.size();
    close(fd);
    return ok;
}

// Becomes root of a new user namespace (mapped to the caller's ids) with its own
// mount namespace: what an unprivileged user needs to mount a tmpfs.
bool EnterUserAndMountNamespace()
{
    uid_t uid = getuid();
    gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    WriteProcFile("/proc/self/setgroups", "deny");
    return WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
           WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
}

// In the child: a private mount namespace with a tmpfs of the given size over dir.
bool MountSmallTmpfs(const std::string &dir, long bytes)
{
    if (unshare(CLONE_NEWNS) != 0 && !EnterUserAndMountNamespace())
        return false;
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    return mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

}  // namespace

void WriteAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += (size_t)n;
    }
}

const char *SmallDiskKindName(SmallDiskKind kind)
{
    return kind == SmallDiskKind::kTmpfs ? "a small tmpfs" : "a file-size limit (RLIMIT_FSIZE)";
}

SmallDiskRun RunOnSmallDisk(const std::string &dir, long tmpfs_bytes, long file_limit_bytes,
                            const std::function<int(int output_fd)> &body)
{
    SmallDiskRun run;
    int out[2], kind[2];
    if (pipe(out) != 0 || pipe(kind) != 0)
        return run;
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        close(kind[0]);
        char k = 'f';
        // ORVEX_TEST_NO_TMPFS=1 takes the file-size limit even where a mount would work.
        if (!getenv("ORVEX_TEST_NO_TMPFS") && MountSmallTmpfs(dir, tmpfs_bytes)) {
            k = 't';
        } else {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
            struct rlimit limit = {(rlim_t)file_limit_bytes, (rlim_t)file_limit_bytes};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (write(kind[1], &k, 1) != 1)
            _exit(120);
        close(kind[1]);
        int result = body(out[1]);
        close(out[1]);
        _exit(result);
    }
    close(out[1]);
    close(kind[1]);
    if (pid < 0) {
        close(out[0]);
        close(kind[0]);
        return run;
    }
    char k = 0;
    if (read(kind[0], &k, 1) == 1)
        run.kind = k == 't' ? SmallDiskKind::kTmpfs : SmallDiskKind::kFileSizeLimit;
    close(kind[0]);
    char buf[4096];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0)
        run.output.append(buf, (size_t)n);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace fstest
