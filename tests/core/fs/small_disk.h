// A full disk for tests: runs a function in a child process in which one directory
// is a small tmpfs, mounted in the child's own mount namespace (as root, or as the
// root of a new user namespace), so the mount vanishes with the child. Where no tmpfs
// can be mounted the child instead gets a file-size limit (RLIMIT_FSIZE, writes past
// it fail with EFBIG), a real write failure of the same kind.
#ifndef ORVEX_TESTS_FS_SMALL_DISK_H
#define ORVEX_TESTS_FS_SMALL_DISK_H

#include <functional>
#include <string>

namespace fstest {

enum class SmallDiskKind { kTmpfs, kFileSizeLimit };

struct SmallDiskRun {
    SmallDiskKind kind = SmallDiskKind::kFileSizeLimit;
    bool exited = false;  // the child ended through exit, not a signal
    int status = -1;      // its exit status
    std::string output;   // what the body wrote to its output descriptor
};

// Forks; the child makes dir (which must exist) an empty tmpfs of tmpfs_bytes, or else
// limits its file sizes to file_limit_bytes, runs body(output_fd) and exits with its
// result. The
// caller must be single-threaded or at least hold no lock the body needs.
SmallDiskRun RunOnSmallDisk(const std::string &dir, long tmpfs_bytes, long file_limit_bytes,
                            const std::function<int(int output_fd)> &body);

// Writes the whole text to a descriptor.
void WriteAll(int fd, const std::string &text);

const char *SmallDiskKindName(SmallDiskKind kind);

}  // namespace fstest

#endif
