// Printing and developer popups: the three print calls of the interface format into
// one shared buffer under the PRINT mutex and hand the text to the log console.
// Popups show each distinct text once per run; those raised off the main thread are
// queued and printed by the next engine frame.
#include "core/console.h"
#include "core/ov_state.h"
#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

char msg_buf[4096];

struct QueuedPopup {
    int level;
    char *text;
};

// Both live for the whole process, so popups raised during exit still find them.
std::vector<char *> &Blocked()
{
    static std::vector<char *> &blocked = *new std::vector<char *>();
    return blocked;
}

std::vector<QueuedPopup> &ov_popup_queue = *new std::vector<QueuedPopup>();

// Formats into msg_buf and hands the text to the console; the caller checked the level.
int PrintLocked(int level, const char *fmt, va_list ap)
{
    OVI_LockCoreMutex(OV_MUTEX_PRINT);
    int n = vsnprintf(msg_buf, sizeof msg_buf, fmt, ap);
    if (!ov_con.initialised)
        fputs(msg_buf, stderr);  // nothing is lost before the console exists
    ov_con.AddString((int16_t)level, msg_buf);
    OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
    return n;
}

}  // namespace

int OV_Printf(const char *fmt, ...)
{
    if (ov_state.verbose_level != 0)
        return 0;
    va_list ap;
    va_start(ap, fmt);
    int n = PrintLocked(OV_INFO, fmt, ap);
    va_end(ap);
    return n;
}

int OV_PrintDebugf(int level, const char *fmt, ...)
{
    if (ov_state.verbose_level > level)
        return 0;
    va_list ap;
    va_start(ap, fmt);
    int n = PrintLocked(level, fmt, ap);
    va_end(ap);
    return n;
}

int OV_Popupf(int level, const char *fmt, ...)
{
    if (level < ov_state.verbose_level || !ov_prog || !ov_prog->parms.developer_mode)
        return 0;
    OVI_LockCoreMutex(OV_MUTEX_PRINT);
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(msg_buf, sizeof msg_buf, fmt, ap);
    va_end(ap);
    char *text = nStringDuplicate(msg_buf);
    if (ov_state.core_ready)
        ov_con.AddString((int16_t)level, text);
    for (char *b : Blocked())
        if (strcmp(b, text) == 0) {
            OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
            nStringFree(text);
            return 1;
        }
    Blocked().push_back(nStringDuplicate(text));
    OVI_UnlockCoreMutex(OV_MUTEX_PRINT);

    if (OVT_IsMainThread()) {
        OVD_Popup(level, text);
        nStringFree(text);
    } else {
        OVI_LockCoreMutex(OV_MUTEX_PRINT);
        ov_popup_queue.push_back(QueuedPopup{level, text});
        OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
    }
    return 4;
}

int OVD_Popup(int level, const char *text)
{
    OV_Printf("OV: %s", text);
    return 4;
}

void OVD_PrintDebug(int level, const char *text) {}

void OVI_FlushPopupQueue(void)
{
    OVI_LockCoreMutex(OV_MUTEX_PRINT);
    std::vector<QueuedPopup> lines;
    lines.swap(ov_popup_queue);
    OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
    for (QueuedPopup &p : lines) {
        OV_Printf("OV: %s", p.text);
        nStringFree(p.text);
    }
}

void OVI_ResetPopups(void)
{
    OVI_LockCoreMutex(OV_MUTEX_PRINT);
    for (char *b : Blocked())
        nStringFree(b);
    Blocked().clear();
    for (QueuedPopup &p : ov_popup_queue)
        nStringFree(p.text);
    ov_popup_queue.clear();
    OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
}
