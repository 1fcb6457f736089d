// The log side of the console: the line store, the level counters and the numbered
// log file under user://logs. Every call here runs under the PRINT core mutex. When
// the log folder or file cannot be made or written, one line on standard error says
// where and why, and the run carries on without a log file.
#include "core/console.h"
#include "core/ov_state.h"
#include "nstring.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

ovConsole ov_con;

namespace {

char *CopyRange(const char *from, size_t n)
{
    char *s = (char *)malloc(n + 1);
    memcpy(s, from, n);
    s[n] = 0;
    return s;
}

void FreeLine(ovConsole::line_t &l)
{
    nStringFree(l.text);
    nStringFree(l.thread);
}

// Flushes a file written with stdio: 0 when every byte so far reached the file, else
// the errno of the first failure (a full disk shows at the flush).
int FlushWritten(FILE *f)
{
    int error = 0;
    if (ferror(f))
        error = errno ? errno : EIO;
    if (fflush(f) != 0 && !error)
        error = errno ? errno : EIO;
    return error;
}

bool FileExists(const char *native)
{
    FILE *f = fopen(native, "rb");
    if (!f)
        return false;
    fclose(f);
    return true;
}

}  // namespace

ovConsole::ovConsole()
    : enabled(0), visible(0), shown(0), font(nullptr), scroll(0), line_counter(0), log_to_file(0),
      log_path(), toggle_key(0), level_count(), min_level(0), input(), cursor(0), browsing_history(0),
      history_pos(0), blink(0), initialised(false)
{
}

ovConsole::~ovConsole()
{
    CloseLogFile();
    for (char *h : history)
        nStringFree(h);
    for (line_t &l : lines)
        FreeLine(l);
}

void ovConsole::Init()
{
    visible = 0;
    enabled = 0;
    shown = 0;
    toggle_key = (uint8_t)(ov_state.console_toggle_key & 0xff);
    log_path[0] = 0;
    memset(level_count, 0, sizeof level_count);
    input[0] = 0;
    scroll = 0;
    cursor = 0;
    blink = 0;
    min_level = (int16_t)ov_state.verbose_level;
    log_to_file = 0;
    CloseLogFile();  // a new start writes a new log
    // Until the log file is open (or known to be impossible), messages go to standard
    // error: a failure to open it must not be lost.
    initialised = false;
    bool made_folder = false;
    if (ov_state.console) {
        if (!ov_state.logging || OpenLogFile(&made_folder))
            enabled = 1;
    }
    initialised = true;
    if (made_folder)
        OV_PrintDebugf(OV_SYSTEM, "Creating Directory: '%s'..\n", OV_GetPath(OV_PATH_USER, "logs"));
}

bool ovConsole::OpenLogFile(bool *made_folder)
{
    char *folder = OV_ConvertStaticPathToNativeOSPath(OV_GetPath(OV_PATH_USER, "logs"));
    int error = 0;
    if (!folder || !OVFS_MakeDirectories(folder, made_folder, &error)) {
        ReportLogFailure(kFolderNotMade, folder ? folder : "user://logs", error);
        nStringFree(folder);
        return false;
    }
    nStringFree(folder);

    int n = 1;
    char *native = nullptr;
    for (;; n++) {
        nStringFree(native);
        native = OV_ConvertStaticPathToNativeOSPath(OV_GetPath(OV_PATH_USER, "logs/orvex-%.4d.log", n));
        if (n >= 9999 || !native || !FileExists(native))
            break;
    }
    nStringFormat(log_path, sizeof log_path, "%s", native ? native : "");
    nStringFree(native);
    // Kept open for the run ('e': not inherited by programs the run starts).
    FILE *f = log_path[0] ? fopen(log_path, "wbe") : nullptr;
    if (!f) {
        ReportLogFailure(kFileNotOpened, log_path, errno);
        return false;
    }
    ov_date_t d = OVT_GetDate();
    fprintf(f, "ORVEX (core version %.4d)\n", OV_CORE_VERSION);
    fprintf(f, "-------------------------\n");
    fprintf(f, "Logging started on %.2d-%.2d-%.2d.", d.year, d.month, d.day);
    error = FlushWritten(f);
    if (error) {
        fclose(f);
        ReportLogFailure(kFileNotWritten, log_path, error);
        remove(log_path);  // a header cut short is no log
        return false;
    }
    log_file = f;
    log_to_file = 1;
    return true;
}

void ovConsole::CloseLogFile()
{
    if (log_file)
        fclose(log_file);
    log_file = nullptr;
}

void ovConsole::ReportLogFailure(LogFailure what, const char *path, int error)
{
    const char *reason = error ? strerror(error) : "unknown reason";
    switch (what) {
    case kFolderNotMade:
        fprintf(stderr, "Log folder '%s' cannot be made (%s); carrying on without a log.\n", path, reason);
        break;
    case kFileNotOpened:
        fprintf(stderr, "Log file '%s' cannot be opened (%s); carrying on without a log.\n", path, reason);
        break;
    case kFileNotWritten:
        fprintf(stderr, "Log file '%s' cannot be written (%s); carrying on without a log.\n", path, reason);
        break;
    }
    fflush(stderr);
}

void ovConsole::AddString(int16_t level, const char *text)
{
    if (!enabled)
        return;
    if (ov_prog && ov_prog->parms.developer_mode && text) {
        fputs(text, stderr);
        if (!strchr(text, '\n'))
            fputc('\n', stderr);
        fflush(stderr);
    }

    // A text of several lines is stored line by line.
    if (text) {
        const char *lf = strchr(text, '\n');
        if (lf && lf[1]) {
            const char *p = text;
            while (*p) {
                const char *end = strchr(p, '\n');
                size_t n = end ? (size_t)(end - p) : strlen(p);
                if (n) {
                    char *part = CopyRange(p, n);
                    AddString(level, part);
                    free(part);
                }
                p += n;
                if (*p == '\n')
                    p++;
            }
            return;
        }
    }

    if ((uint16_t)level > 7)
        level = 2;
    level_count[level]++;
    if (level < min_level || !text || !text[0])
        return;

    line_counter++;
    ov_date_t d = OVT_GetDate();
    OVT_ThreadInfo_t *info = OVT_GetCurrentThreadInfo();
    const char *thread = !info ? "UNKNOWN" : info->name ? info->name : "MAIN";
    lines.push_back(line_t{(uint8_t)level, line_counter, d, nStringDuplicate(text), nStringDuplicate(thread)});
    if ((int)lines.size() > kMaxLines) {
        FreeLine(lines[0]);
        FreeLine(lines[1]);
        lines.erase(lines.begin(), lines.begin() + 2);
        lines.insert(lines.begin(), line_t{3, 0, OVT_GetDate(), nStringDuplicate("..."), nullptr});
    }

    if (log_to_file)
        AppendToLogFile(line_counter, d, info && info->name ? info->name : nullptr, text);
}

void ovConsole::AppendToLogFile(int32_t number, const ov_date_t &d, const char *thread, const char *text)
{
    FILE *f = log_file;
    if (!f)
        return;
    if (!thread)
        fprintf(f, "%.4d: [%.2d:%.2d.%.2d] %s", number, d.hour, d.minute, d.second, text);
    else
        fprintf(f, "%.4d: [%.2d:%.2d.%.2d] [%s]> %s", number, d.hour, d.minute, d.second, thread, text);
    size_t n = strlen(text);
    if (text[n - 1] != '\n')
        fputc('\n', f);
    // Each line reaches the file at once: a crash loses nothing already logged.
    int error = FlushWritten(f);
    if (error) {
        // A full disk: say so once and stop writing, rather than leave a log with
        // holes or lines cut in the middle.
        log_to_file = 0;
        CloseLogFile();
        ReportLogFailure(kFileNotWritten, log_path, error);
    }
}

void ovConsole::PrintStats()
{
    if (!enabled)
        return;
    OV_Printf("ORVEX log: %d errors, %d warnings, %d infos.\n", level_count[2], level_count[1], level_count[0]);
    OV_Printf("%d files left open..\n", OVI_OpenFileCount());
}

void ovConsole::Free()
{
    for (line_t &l : lines)
        FreeLine(l);
    lines.clear();
    enabled = 0;
    visible = 0;
}
