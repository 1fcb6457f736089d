// Fuzzes the download cache: an "http://" name is opened through the engine's files
// while the interface's request call is replaced by one that answers from the input.
// Checks: nothing opens unless the download succeeded (status 200) and arrived whole;
// a file that opens lives directly in "user://cache/" and holds exactly the downloaded
// bytes; opening the name again is served from the cache without a second request.
//
// Input: byte 0 chooses the reply (bits 0-1: status 200, 200, 404 or 0; bit 2: fewer
// bytes arrived than announced), then the URL after "http://" up to the first newline
// (any bytes; the cache name keeps only some of them), then the downloaded bytes.
#include "core/fs/fs.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fuzz/fuzz_env.h"
#include "nstring.h"

#include <dirent.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

struct Reply {
    int status = 0;
    bool partial = false;
    std::string body;
    int requests = 0;
};

Reply s_reply;

int FakeRequest(int method, const char *url, const char *headers, const char *body, int timeout, ov_buffer_t *reply,
                int *status)
{
    s_reply.requests++;
    if (!reply)
        return 0;
    *reply = OV_AllocBuffer((int)s_reply.body.size());
    if (!s_reply.body.empty() && reply->data)
        memcpy(reply->data, s_reply.body.data(), s_reply.body.size());
    if (s_reply.partial)
        reply->size = reply->used + 1 + (int)(s_reply.body.size() % 1000);  // announced more than came
    return s_reply.status;
}

// Empties the cache directory, so every input starts with nothing cached.
void ClearCache()
{
    char *native = OV_ConvertStaticPathToNativeOSPath("user://cache");
    if (!native)
        __builtin_trap();
    if (DIR *dir = opendir(native)) {
        while (struct dirent *e = readdir(dir))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
                unlink((std::string(native) + "/" + e->d_name).c_str());
        closedir(dir);
    }
    nStringFree(native);
}

// Opens the name through the engine and reads it whole; false when it does not open.
bool OpenAndRead(const std::string &url, std::string *bytes)
{
    ov_file_t *f = OV_OpenFile(url.c_str(), "rb");
    if (!f)
        return false;
    const char *name = f->name;
    if (!name || strncmp(name, "user://cache/", 13) != 0 || strchr(name + 13, '/') || !name[13])
        __builtin_trap();  // the cache file sits directly in the cache directory
    bytes->assign((size_t)(f->size > 0 ? f->size : 0) + 16, '\0');
    unsigned got = OV_ReadFile(&(*bytes)[0], (unsigned)bytes->size(), f);
    if ((long)got != f->size)
        __builtin_trap();
    bytes->resize(got);
    OV_CloseFile(f);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    ov->OV_SendHttpRequest = FakeRequest;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    if (size < 1)
        return 0;
    ClearCache();
    static const int kStatus[4] = {200, 200, 404, 0};
    s_reply = Reply();
    s_reply.status = kStatus[data[0] & 3];
    s_reply.partial = (data[0] & 4) != 0;
    const char *rest = (const char *)data + 1;
    const size_t rest_size = size - 1;
    const char *newline = (const char *)memchr(rest, '\n', rest_size);
    const size_t url_size = newline ? (size_t)(newline - rest) : rest_size;
    const std::string url = "http://" + std::string(rest, strnlen(rest, url_size));
    s_reply.body.assign(newline ? newline + 1 : rest + rest_size, newline ? rest + rest_size - (newline + 1) : 0);

    // The opener serves names only once the engine is up.
    ov_state.core_ready = 1;
    std::string first;
    const bool opened = OpenAndRead(url, &first);
    if (s_reply.requests > 1)
        __builtin_trap();
    if (opened) {
        if (s_reply.requests != 1 || s_reply.status != 200 || s_reply.partial || first != s_reply.body)
            __builtin_trap();  // only a whole download is kept, byte for byte
        std::string second;
        if (!OpenAndRead(url, &second) || second != first || s_reply.requests != 1)
            __builtin_trap();  // served again from the cache, without a request
    } else if (s_reply.requests == 1 && s_reply.status == 200 && !s_reply.partial && !s_reply.body.empty()) {
        __builtin_trap();  // a whole download of some bytes opens
    }
    ov_state.core_ready = 0;
    return 0;
}
