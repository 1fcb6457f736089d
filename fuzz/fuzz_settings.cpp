// Fuzzes the program settings reader: the input becomes res://prog.xml (and, after
// its first NUL byte, res://developer.xml) and the settings are read again into the
// engine state, the application record and its parameter block.
#include "core/data/dataman.h"
#include "core/ov_state.h"
#include "core/settings.h"
#include "fuzz/fuzz_env.h"

#include <string.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    const uint8_t *nul = (const uint8_t *)memchr(data, 0, size);
    size_t prog_size = nul ? (size_t)(nul - data) : size;
    if (!fuzzenv::WriteResFile("prog.xml", data, prog_size))
        return 0;
    if (nul)
        fuzzenv::WriteResFile("developer.xml", nul + 1, size - prog_size - 1);
    else
        fuzzenv::RemoveResFile("developer.xml");

    int result = OVI_LoadProgramSettings();
    if (result != 1 && result != 0 && result != -1)
        __builtin_trap();
    // The identity texts must stay terminated inside their fields.
    if (memchr(ov_prog->id, 0, sizeof ov_prog->id) == nullptr || memchr(ov_prog->title, 0, sizeof ov_prog->title) == nullptr ||
        memchr(ov_prog->developer_name, 0, sizeof ov_prog->developer_name) == nullptr ||
        memchr(ov_prog->version, 0, sizeof ov_prog->version) == nullptr)
        __builtin_trap();
    if (ov_prog->parms.min_frame_ms < 0)
        __builtin_trap();
    (void)OVI_GetDataManifestNode("fuzz");
    ov_dman.ReleaseAll();
    return 0;
}
