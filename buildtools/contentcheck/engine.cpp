// The engine as the check runs it: headless, the null renderer, no sound, in a scratch
// directory whose app/native (res://) holds a link "tree" to the checked directory. The
// application's messages (popups, debug lines) are captured through the `ov` table; the
// engine's own console echo goes to /dev/null while it runs.
#include "contentcheck.h"

#include "core/ov_state.h"
#include "gfx/rendimp.h"
#include "orvex.h"
#include "platform/device.h"

#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace contentcheck {

namespace {

std::vector<std::string> s_messages;
int s_saved_err = -1;
std::string s_start_dir;
orvex_t s_saved_table;

void Keep(const char *fmt, va_list ap)
{
    char text[4096];
    vsnprintf(text, sizeof text, fmt ? fmt : "", ap);
    std::string t = text;
    for (size_t at; (at = t.find("tree/")) != std::string::npos;)
        t.erase(at, 5);
    while (!t.empty() && (t.back() == '\n' || t.back() == ' '))
        t.pop_back();
    for (char &c : t)
        if (c == '\n')
            c = ' ';
    s_messages.push_back(t);
}

int CapturePrintf(const char *, ...)
{
    return 0;
}

int CaptureDebugf(int level, const char *fmt, ...)
{
    if (level < OV_WARNING)
        return 0;
    va_list ap;
    va_start(ap, fmt);
    Keep(fmt, ap);
    va_end(ap);
    return 0;
}

int CapturePopupf(int, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    Keep(fmt, ap);
    va_end(ap);
    return 0;
}

// Developer mode (so that the application's popups are raised), no log file, no console.
void Settings()
{
    ov_state.developer_mode = 1;
    ov_state.console = 0;
    ov_state.logging = 0;
}

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *)
{
    return remove(path);
}

ov_prog_t s_record;

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

}  // namespace

// The program record the engine asks for: a plain headless program with no sound.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    memset(&s_record, 0, sizeof s_record);
    s_record.interface_version = OV_INTERFACE_VERSION;
    s_record.parms.width = 1024;
    s_record.parms.height = 600;
    s_record.parms.reference_counting = 1;
    s_record.parms.no_sound = 1;
    strcpy(s_record.title, "orvex-contentcheck");
    strcpy(s_record.id, "orvex.contentcheck");
    strcpy(s_record.version, "1.0");
    strcpy(s_record.developer_name, "Orvex");
    s_record.Init = AppInit;
    s_record.Draw = AppDraw;
    s_record.EventProc = AppEvent;
    return &s_record;
}

Engine::~Engine()
{
    if (running_) {
        *ov = s_saved_table;
        ORVEX_Shutdown();
        OVID_SetRendImpOverride(nullptr);
    }
    if (!s_start_dir.empty() && chdir(s_start_dir.c_str()) != 0)
        fprintf(stderr, "contentcheck: cannot return to %s\n", s_start_dir.c_str());
    if (!work_.empty())
        nftw(work_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    if (s_saved_err >= 0) {
        fflush(stderr);
        dup2(s_saved_err, 2);
        close(s_saved_err);
        s_saved_err = -1;
    }
}

bool Engine::Start(const std::string &tree_root)
{
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return false;
    s_start_dir = cwd;
    std::string target = tree_root[0] == '/' ? tree_root : s_start_dir + "/" + tree_root;
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvex-contentcheck-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) {
        fprintf(stderr, "contentcheck: cannot make a work directory\n");
        return false;
    }
    work_ = buf.data();
    if (mkdir((work_ + "/app").c_str(), 0755) != 0 || mkdir((work_ + "/app/native").c_str(), 0755) != 0 ||
        symlink(target.c_str(), (work_ + "/app/native/tree").c_str()) != 0 || chdir(work_.c_str()) != 0) {
        fprintf(stderr, "contentcheck: cannot set up %s\n", work_.c_str());
        return false;
    }
    fflush(stderr);
    s_saved_err = dup(2);
    int null = open("/dev/null", O_WRONLY);
    if (s_saved_err < 0 || null < 0 || dup2(null, 2) < 0) {
        fprintf(stderr, "contentcheck: cannot set up standard error\n");
        return false;
    }
    close(null);
    ovdev::UseHeadlessBackend();
    OVID_SetRendImpOverride(GetRendImpNull());
    OVI_SetProgramSettingsHook(Settings);
    if (!OVI_PreInit(nullptr) || !OVI_Init()) {
        dup2(s_saved_err, 2);
        fprintf(stderr, "contentcheck: the engine did not start\n");
        return false;
    }
    running_ = true;
    s_saved_table = *ov;
    ov->OV_Printf = CapturePrintf;
    ov->OV_PrintDebugf = CaptureDebugf;
    ov->OV_Popupf = CapturePopupf;
    s_messages.clear();
    return true;
}

std::vector<std::string> Engine::TakeMessages()
{
    std::vector<std::string> out;
    out.swap(s_messages);
    return out;
}

}  // namespace contentcheck
