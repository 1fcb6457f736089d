// The engine as the check runs it: headless, the null renderer, no sound, in a scratch
// directory whose app/native (res://) holds a link "tree" to the checked directory. The
// application's messages (popups, debug lines) are captured through the `ov` table; the
// engine's own console echo goes to /dev/null while it runs.
#include "contentcheck.h"

#include "buildtools/common/tool-engine.h"

#include "core/ov_state.h"
#include "orvex.h"

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace contentcheck {

namespace {

std::vector<std::string> s_messages;
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

}  // namespace

Engine::~Engine()
{
    if (running_)
        *ov = s_saved_table;  // the session's shutdown runs on the engine's own calls
}

bool Engine::Start(const std::string &tree_root)
{
    toolengine::SetName("orvex-contentcheck", true);
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return false;
    const std::string target = tree_root[0] == '/' ? tree_root : std::string(cwd) + "/" + tree_root;
    if (!session_.Start(Settings))
        return false;
    if (!session_.Link(target, "tree")) {
        fprintf(toolengine::Err(), "contentcheck: cannot link %s into the work directory\n", target.c_str());
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
