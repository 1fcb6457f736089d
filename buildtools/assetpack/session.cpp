// The headless engine session of orvex-assetpack and its small file helpers.
#include "session.h"

#include "core/console.h"
#include "core/ov_state.h"
#include "gfx/rendimp.h"
#include "platform/device.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace assetpack {

namespace {

// The tool's own standard error while the engine's echo goes to /dev/null.
FILE *s_err = stderr;
int s_saved_err = -1;

// Developer mode, so that popups reach the console's lines; no log file.
void Settings()
{
    ov_state.developer_mode = 1;
    ov_state.console = 1;
    ov_state.logging = 0;
}

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *)
{
    return remove(path);
}

}  // namespace

FILE *Err()
{
    return s_err;
}

bool MakeParentDirs(const std::string &path)
{
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == '/' && mkdir(path.substr(0, i).c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    return true;
}

std::string Absolute(const std::string &path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return path;
    return std::string(cwd) + "/" + path;
}

bool ReadFile(const std::string &path, std::string *bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes->append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool CopyFile(const std::string &from, const std::string &to)
{
    std::string bytes;
    if (!ReadFile(from, &bytes))
        return false;
    std::string part = to + ".part";
    FILE *f = fopen(part.c_str(), "wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = f && fclose(f) == 0 && ok;
    ok = ok && rename(part.c_str(), to.c_str()) == 0;
    if (!ok)
        remove(part.c_str());
    return ok;
}

EngineSession::~EngineSession()
{
    if (running_) {
        ORVEX_Shutdown();
        OVID_SetRendImpOverride(nullptr);
    }
    if (!start_dir_.empty() && chdir(start_dir_.c_str()) != 0)
        fprintf(s_err, "assetpack: cannot return to %s\n", start_dir_.c_str());
    if (!work_.empty())
        nftw(work_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    if (s_saved_err >= 0) {
        fflush(stderr);
        dup2(s_saved_err, 2);
    }
}

bool EngineSession::Start()
{
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvex-assetpack-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) {
        fprintf(stderr, "assetpack: cannot make a work directory in %s\n", tmp ? tmp : "/tmp");
        return false;
    }
    work_ = buf.data();
    start_dir_ = Absolute(".");
    if (mkdir((work_ + "/app").c_str(), 0755) != 0 || mkdir((work_ + "/app/native").c_str(), 0755) != 0 ||
        chdir(work_.c_str()) != 0) {
        fprintf(stderr, "assetpack: cannot set up %s\n", work_.c_str());
        return false;
    }
    // The engine echoes console lines on standard error: they go to /dev/null and are
    // shown only for a step that warned.
    if (s_saved_err < 0) {
        int err = dup(2), null = open("/dev/null", O_WRONLY);
        FILE *f = err >= 0 ? fdopen(dup(err), "w") : nullptr;
        if (!f || null < 0 || dup2(null, 2) < 0) {
            fprintf(stderr, "assetpack: cannot set up standard error\n");
            return false;
        }
        close(null);
        setvbuf(f, nullptr, _IONBF, 0);
        s_err = f;
        s_saved_err = err;
    }
    ovdev::UseHeadlessBackend();
    OVID_SetRendImpOverride(GetRendImpNull());
    OVI_SetProgramSettingsHook(Settings);
    if (!OVI_PreInit(nullptr) || !OVI_Init()) {
        fprintf(s_err, "assetpack: the engine did not start\n");
        return false;
    }
    running_ = true;
    ov_state.atlas_packing = 1;
    return true;
}

bool EngineSession::Link(const std::string &target, const std::string &res_name)
{
    return symlink(target.c_str(), Native(res_name).c_str()) == 0;
}

std::string EngineSession::Native(const std::string &res_name) const
{
    return work_ + "/app/native/" + res_name;
}

size_t EngineSession::Mark() const
{
    return ov_con.lines.size();
}

int EngineSession::Warnings(size_t mark) const
{
    int n = 0;
    for (size_t i = mark; i < ov_con.lines.size(); i++)
        if (ov_con.lines[i].level >= OV_WARNING)
            n++;
    if (n)
        for (size_t i = mark; i < ov_con.lines.size(); i++)
            if (ov_con.lines[i].text)
                fprintf(s_err, "  %s%s", ov_con.lines[i].text, strchr(ov_con.lines[i].text, '\n') ? "" : "\n");
    return n;
}

}  // namespace assetpack
