// File helpers: whole-file reads, replacing writes of player files through a ".tmp"
// sibling and the engine's "ReplaceFile" command, and copies of damaged files.
#include "app/services/filehelpers.h"

#include "nstring.h"
#include "orvex.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <string>

namespace {

const char kNoticePrefix[] = "Your progress could not be saved: ";

// The player's notice of a failed save: written by any thread, taken by the screens.
std::mutex s_notice_lock;
std::string s_notice;
bool s_notice_raised = false;  // once per run

// Writes in pieces that fit the engine's unsigned count; false on any short write.
bool WriteAll(ov_file_t *file, const void *data, size_t size)
{
    const char *p = (const char *)data;
    while (size > 0) {
        unsigned chunk = size > (1u << 30) ? (1u << 30) : (unsigned)size;
        if (ov->OV_WriteFile(p, chunk, file) != chunk)
            return false;
        p += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace

bool FileOpens(const char *name)
{
    ov_file_t *f = ov->OV_OpenFile(name, "rb");
    if (!f)
        return false;
    ov->OV_CloseFile(f);
    return true;
}

// Opens, measures (seeking to the end) and reads the whole file.
char *ReadWholeFile(const char *name, long *size, bool *too_large)
{
    if (too_large)
        *too_large = false;
    *size = 0;
    if (!name || !name[0])
        return nullptr;
    ov_file_t *f = ov->OV_OpenFile(name, "rb");
    if (!f)
        return nullptr;
    long length = -1;
    if (ov->OV_SetFilePosition(f, 0, 2))
        length = ov->OV_GetFilePosition(f);
    if (length < 0 || !ov->OV_SetFilePosition(f, 0, 0) || length >= INT32_MAX) {
        if (too_large && length >= INT32_MAX)
            *too_large = true;
        ov->OV_CloseFile(f);
        return nullptr;
    }
    char *data = (char *)malloc((size_t)length + 1);
    if (!data) {
        ov->OV_CloseFile(f);
        return nullptr;
    }
    unsigned got = length > 0 ? ov->OV_ReadFile(data, (unsigned)length, f) : 0;
    ov->OV_CloseFile(f);
    if ((long)got != length) {
        free(data);
        return nullptr;
    }
    data[length] = '\0';
    *size = length;
    return data;
}

std::string LastFileErrorText()
{
    const char *reason = ov->OV_CallExtension("LastFileError", nullptr);
    return reason && reason[0] ? reason : "unknown error";
}

void ReportFailedWrite(const char *name, const char *reason)
{
    ov->OV_PrintDebugf(2, "Unable to save '%s': %s\n", name ? name : "", reason && reason[0] ? reason : "unknown error");
}

void ReportFailedSave(const char *name, const char *reason)
{
    name = name ? name : "";
    reason = reason && reason[0] ? reason : "unknown error";
    ReportFailedWrite(name, reason);
    if (strncmp(name, "user://", 7) != 0)
        return;
    std::lock_guard<std::mutex> lock(s_notice_lock);
    if (s_notice_raised)
        return;
    s_notice_raised = true;
    s_notice = std::string(kNoticePrefix) + reason;
}

bool TakeFailedSaveNotice(std::string *text)
{
    std::lock_guard<std::mutex> lock(s_notice_lock);
    if (s_notice.empty())
        return false;
    if (text)
        *text = s_notice;
    s_notice.clear();
    return true;
}

void ResetFailedSaveNotice()
{
    std::lock_guard<std::mutex> lock(s_notice_lock);
    s_notice.clear();
    s_notice_raised = false;
}

// Sibling, checked writes, flush and close, then "ReplaceFile". The reason of the
// first failure is taken before the clean-up (deleting the sibling) can replace it.
bool SaveFileReplacing(const char *name, const void *data, size_t size, bool players_data)
{
    if (!name || !name[0])
        return false;
    std::string sibling = std::string(name) + ".tmp";
    ov_file_t *f = ov->OV_OpenFile(sibling.c_str(), "wb");
    if (!f) {
        std::string reason = LastFileErrorText();
        ov->OV_Popupf(1, "Unable to open file '%s' for writing.\n", name);
        (players_data ? ReportFailedSave : ReportFailedWrite)(name, reason.c_str());
        return false;
    }
    bool ok = WriteAll(f, data, size);
    ok = ov->OV_FlushFile(f) == 1 && ok;
    ok = ov->OV_CloseFile(f) == 0 && ok;
    if (ok) {
        const char *reply = ov->OV_CallExtension("ReplaceFile", name);
        ok = reply != nullptr && strcmp(reply, "OK") == 0;
    }
    if (!ok) {
        std::string reason = LastFileErrorText();
        ov->OV_DeleteFile(sibling.c_str());
        ov->OV_Popupf(1, "Unable to write file '%s'.\n", name);
        (players_data ? ReportFailedSave : ReportFailedWrite)(name, reason.c_str());
    }
    return ok;
}

// Tries "<name>.bad", "<name>.bad2", ... up to ".bad999".
bool KeepDamagedCopy(const char *name, nString *kept_as)
{
    long size = 0;
    char *data = ReadWholeFile(name, &size);
    if (!data)
        return false;
    bool kept = false;
    for (int n = 1; n <= 999 && !kept; n++) {
        std::string copy = std::string(name) + ".bad";
        if (n > 1)
            copy += std::to_string(n);
        if (FileOpens(copy.c_str()))
            continue;
        kept = SaveFileReplacing(copy.c_str(), data, (size_t)size);
        if (kept) {
            ov->OV_Printf("Damaged file '%s' kept as '%s'.\n", name, copy.c_str());
            if (kept_as)
                kept_as->Set(copy.c_str());
        }
        break;
    }
    free(data);
    if (!kept)
        ov->OV_Printf("Damaged file '%s' could not be kept.\n", name);
    return kept;
}

void CreateFolderOf(const char *name)
{
    const char *slash = name ? strrchr(name, '/') : nullptr;
    if (!slash || slash == name || slash[-1] == '/')
        return;
    char folder[512];
    int n = snprintf(folder, sizeof folder, "%.*s", (int)(slash - name), name);
    if (n > 0 && n < (int)sizeof folder)
        ov->OV_CreateDirectory(folder);
}
