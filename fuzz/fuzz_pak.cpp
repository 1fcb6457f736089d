// Fuzzes the package archive reader: the input becomes res://fz.pak, the file openers
// are made afresh (so the archive cache forgets the last input), the archive's
// directory is read, and every entry is opened through the pak opener, read whole,
// seeked and read again; reads must stay inside the entry.
#include "core/fs/fs.h"
#include "core/fs/pak.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fuzz/fuzz_env.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

// Reads an opened entry to its end; the byte count must equal its size.
void ReadEntry(ov_file_t *f, uint32_t size)
{
    std::vector<uint8_t> buffer(4096);
    unsigned long total = 0;
    for (;;) {
        unsigned got = OV_fread(buffer.data(), 1, (unsigned)buffer.size(), f);
        if (got == 0)
            break;
        total += got;
        if (total > size)
            __builtin_trap();
    }
    if (total != size)
        __builtin_trap();
    if (size > 0) {
        OV_fseek(f, (long)(size / 2), SEEK_SET);
        unsigned got = OV_fread(buffer.data(), 1, (unsigned)buffer.size(), f);
        if (got > size - size / 2)
            __builtin_trap();
    }
    // Seeking outside the entry is refused and reads nothing more.
    OV_fseek(f, 1, SEEK_END);
    (void)OV_ftell(f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    if (!fuzzenv::WriteResFile("fz.pak", data, size))
        return 0;
    OVI_InitFileOpeners();
    pak_t *pak = OVFS_GetPakForPakFilename("res://fz.pak");
    if (pak) {
        if (pak->count < 0 || (pak->count > 0 && !pak->entries))
            __builtin_trap();
        int opened = 0;
        for (int i = 0; i < pak->count && opened < 64; i++) {
            const pak_entry_t &e = pak->entries[i];
            if (!e.name || !e.name[0])
                continue;
            if ((unsigned long long)e.offset + e.size > (unsigned long long)pak->file_size)
                __builtin_trap();
            std::string name = std::string("res://fz/") + e.name;
            ov_file_t *f = OV_OpenFile(name.c_str(), "rb");
            if (!f)
                continue;  // a name the opener cannot take (too long, or another entry first)
            opened++;
            pak_entry_t *found = Pak_GetFileInfo(pak, e.name);
            ReadEntry(f, found ? found->size : e.size);
            OV_CloseFile(f);
        }
        (void)Pak_GetFileInfo(pak, "no/such/entry");
    }
    OVI_CloseFileOpeners();
    return 0;
}
