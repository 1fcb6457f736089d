// Effects requested from a worker thread and the main thread at once: the same files
// and different ones, each loaded into one slot and run once, while the main thread
// also spawns the effects it has got. Run under ThreadSanitizer. The interface table is
// a small stand-in: named mutexes, effect files served from memory, quiet logs.
#include "app/ui/partfx.h"
#include "orvex.h"
#include "app/services/prog.h"
#include "ovrecords.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <thread>

namespace {

std::mutex fx_mutex;
std::map<std::string, std::string> files;           // written before the threads start
std::map<std::string, std::atomic<int>> opened;     // keys fixed before the threads start

int Quiet(const char *, ...)
{
    return 0;
}
int QuietLevel(int, const char *, ...)
{
    return 0;
}
ov_mutex_t *GetMutex(const char *name)
{
    return strcmp(name, "PART_FX_LOAD") == 0 ? reinterpret_cast<ov_mutex_t *>(&fx_mutex) : nullptr;
}
void Lock(ov_mutex_t *m)
{
    reinterpret_cast<std::mutex *>(m)->lock();
}
void Unlock(ov_mutex_t *m)
{
    reinterpret_cast<std::mutex *>(m)->unlock();
}

struct MemFile {
    ov_file_t handle;
    std::string name;
    const std::string *text;
    size_t at;
};
ov_file_t *Open(const char *name, const char *)
{
    auto it = files.find(name);
    if (it == files.end())
        return nullptr;
    opened[name]++;
    MemFile *f = new MemFile{{}, name, &it->second, 0};
    f->handle.name = f->name.c_str();
    f->handle.size = (long)it->second.size();
    return &f->handle;
}
unsigned Read(void *buf, unsigned size, ov_file_t *h)
{
    MemFile *f = reinterpret_cast<MemFile *>(h);
    size_t n = std::min((size_t)size, f->text->size() - f->at);
    memcpy(buf, f->text->data() + f->at, n);
    f->at += n;
    return (unsigned)n;
}
int Close(ov_file_t *h)
{
    delete reinterpret_cast<MemFile *>(h);
    return 0;
}
ov_bitmap_t *LoadBitmap(const char *, int)
{
    static ov_bitmap_t dot;
    return &dot;
}

}  // namespace

TEST(PartFxThreads, WorkerAndMainThreadGetEffectsTogether)
{
    static orvex_t table;
    memset(&table, 0, sizeof table);
    table.OV_Printf = Quiet;
    table.OV_PrintDebugf = QuietLevel;
    table.OV_Popupf = QuietLevel;
    table.OV_GetMutex = GetMutex;
    table.OV_LockMutex = Lock;
    table.OV_UnlockMutex = Unlock;
    table.OV_OpenFile = Open;
    table.OV_ReadFile = Read;
    table.OV_CloseFile = Close;
    table.OV_LoadBitmap = LoadBitmap;
    orvex_t *saved = ov;
    ov = &table;

    const int kFiles = 48;
    char name[64];
    for (int i = 0; i < kFiles; i++) {
        snprintf(name, sizeof name, "fxs/t%d.lua", i);
        // Every third file chains a second burst and emits the next file while flying.
        // A little work inside, so that the two threads' loads overlap.
        std::string text = "local s = 0 for k = 1, 3000 do s = s + k end FXParm ('num_parts', 2) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 1, 1)";
        if (i % 3 == 0) {
            char next[64];
            snprintf(next, sizeof next, "fxs/t%d.lua", (i + 1) % kFiles);
            text += std::string(" FXParm ('emitter_fx', '") + next + "') AddFX () FXParm ('num_parts', 1)";
        }
        files[name] = text;
        opened[name] = 0;
    }
    pbman.Init();

    std::atomic<bool> go{false};
    fx_t *worker_got[kFiles] = {};
    std::thread worker([&] {
        while (!go.load())
            std::this_thread::yield();
        char n[64];
        for (int round = 0; round < 3; round++)
            for (int i = 0; i < kFiles; i++) {
                snprintf(n, sizeof n, "fxs/t%d.lua", i);
                worker_got[i] = pbman.GetFX(n);
            }
    });
    PartMan system(256);
    fx_t *main_got[kFiles] = {};
    go.store(true);
    for (int round = 0; round < 3; round++)
        for (int i = kFiles - 1; i >= 0; i--) {
            snprintf(name, sizeof name, "fxs/t%d.lua", i);
            main_got[i] = pbman.GetFX(name);
            pbman.SpawnFX(&system, main_got[i], vec2_t{0, 0}, 0, 0);
            system.UpdateParts(0.01f);
        }
    worker.join();

    int slots = 0;
    for (int i = 0; i < kFiles; i++) {
        snprintf(name, sizeof name, "fxs/t%d.lua", i);
        ASSERT_NE(main_got[i], nullptr) << name;
        EXPECT_EQ(main_got[i], worker_got[i]) << name;
        EXPECT_STREQ(main_got[i]->name, name);
        EXPECT_EQ(opened[name].load(), 1) << name;
        EXPECT_EQ(main_got[i]->num_parts, 2);
        slots += i % 3 == 0 ? 2 : 1;
        if (i % 3 == 0) {
            EXPECT_NE(main_got[i]->emitter_fx, nullptr);
        }
    }
    EXPECT_EQ(pbman.GetNumberOfSlots(), slots);
    pbman.Shutdown();
    ov = saved;
}

// The application's record, as the entry hands it over.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &prog;
}
