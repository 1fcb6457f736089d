// The headless engine of the build tools (see tool-engine.h).
#include "buildtools/common/tool-engine.h"

#include "core/ov_state.h"
#include "gfx/rendimp.h"
#include "platform/device.h"

#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace toolengine {

namespace {

ov_prog_t s_record;
std::string s_name = "orvex-tool";
bool s_no_sound = false;
FILE *s_err = stderr;
int s_saved_err = -1;

int AppInit()
{
    return 1;
}
void AppDraw(float)
{
}
int AppEvent(ov_event_t)
{
    return 0;
}

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *)
{
    return remove(path);
}

// Sends the engine's echo to /dev/null once; the tool keeps a stream of its own on the
// saved descriptor.
bool SilenceEcho()
{
    if (s_saved_err >= 0)
        return true;
    fflush(stderr);
    int err = dup(2), null = open("/dev/null", O_WRONLY);
    FILE *f = err >= 0 ? fdopen(dup(err), "w") : nullptr;
    if (!f || null < 0 || dup2(null, 2) < 0) {
        if (null >= 0)
            close(null);
        return false;
    }
    close(null);
    setvbuf(f, nullptr, _IONBF, 0);
    s_err = f;
    s_saved_err = err;
    return true;
}

void RestoreEcho()
{
    if (s_saved_err < 0)
        return;
    fflush(stderr);
    dup2(s_saved_err, 2);
    close(s_saved_err);
    s_saved_err = -1;
    if (s_err != stderr)
        fclose(s_err);
    s_err = stderr;
}

}  // namespace

void SetName(const char *name, bool no_sound)
{
    s_name = name ? name : "orvex-tool";
    s_no_sound = no_sound;
}

FILE *Err()
{
    return s_err;
}

Session::~Session()
{
    if (running_) {
        ORVEX_Shutdown();
        OVID_SetRendImpOverride(nullptr);
    }
    if (!start_dir_.empty() && chdir(start_dir_.c_str()) != 0)
        fprintf(s_err, "%s: cannot return to %s\n", s_name.c_str(), start_dir_.c_str());
    if (!work_.empty())
        nftw(work_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    RestoreEcho();
}

bool Session::Start(void (*settings)(void), const char *run_dir)
{
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return false;
    start_dir_ = cwd;
    if (run_dir) {
        if (chdir(run_dir) != 0) {
            fprintf(stderr, "%s: no directory %s\n", s_name.c_str(), run_dir);
            return false;
        }
        return StartEngine(settings);
    }
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + s_name + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) {
        fprintf(stderr, "%s: cannot make a work directory in %s\n", s_name.c_str(), tmp && *tmp ? tmp : "/tmp");
        return false;
    }
    work_ = buf.data();
    if (mkdir((work_ + "/app").c_str(), 0755) != 0 || mkdir((work_ + "/app/native").c_str(), 0755) != 0 ||
        chdir(work_.c_str()) != 0) {
        fprintf(stderr, "%s: cannot set up %s\n", s_name.c_str(), work_.c_str());
        return false;
    }
    return StartEngine(settings);
}

bool Session::StartEngine(void (*settings)(void))
{
    if (!SilenceEcho()) {
        fprintf(stderr, "%s: cannot set up standard error\n", s_name.c_str());
        return false;
    }
    ovdev::UseHeadlessBackend();
    OVID_SetRendImpOverride(GetRendImpNull());
    OVI_SetProgramSettingsHook(settings);
    if (!OVI_PreInit(nullptr) || !OVI_Init()) {
        fprintf(s_err, "%s: the engine did not start\n", s_name.c_str());
        return false;
    }
    running_ = true;
    return true;
}

std::string Session::Native(const std::string &res_name) const
{
    return (work_.empty() ? std::string(".") : work_) + "/app/native/" + res_name;
}

bool Session::Link(const std::string &target, const std::string &res_name)
{
    return symlink(target.c_str(), Native(res_name).c_str()) == 0;
}

}  // namespace toolengine

// The program record the engine asks for: a plain headless program named after the tool.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    using namespace toolengine;
    memset(&s_record, 0, sizeof s_record);
    s_record.interface_version = OV_INTERFACE_VERSION;
    s_record.parms.width = 1024;
    s_record.parms.height = 600;
    s_record.parms.reference_counting = 1;
    s_record.parms.no_sound = s_no_sound ? 1 : 0;
    const std::string id = "orvex." + (s_name.compare(0, 6, "orvex-") == 0 ? s_name.substr(6) : s_name);
    snprintf(s_record.title, sizeof s_record.title, "%s", s_name.c_str());
    snprintf(s_record.id, sizeof s_record.id, "%s", id.c_str());
    snprintf(s_record.version, sizeof s_record.version, "1.0");
    snprintf(s_record.developer_name, sizeof s_record.developer_name, "Orvex");
    s_record.Init = AppInit;
    s_record.Draw = AppDraw;
    s_record.EventProc = AppEvent;
    return &s_record;
}
