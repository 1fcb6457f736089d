// Threads, mutexes and time: detached engine threads with their names, the engine
// mutex record, the core mutexes, mutexes shared by name, the synchronise pair that
// lets a worker run in the main loop's gap, and millisecond time and dates.
#include "core/ov_state.h"
#include "nstring.h"

#include <algorithm>
#include <atomic>
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

namespace {

struct Launcher {
    char *name;
    bool started;
    ov_thread_fn fn;
    void *arg;
};

ov_mutex_t *s_thread_list_mutex = nullptr;       // "OVT_TIM"
// Lives for the whole process: threads may still log while static objects are destroyed.
std::vector<OVT_ThreadInfo_t *> &s_threads = *new std::vector<OVT_ThreadInfo_t *>();
std::atomic<int> s_running{0};

uint32_t RealNowMs()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)((uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u);
}
void RealSleepSeconds(unsigned s) { sleep(s); }
void RealSleepMicroseconds(unsigned us) { usleep(us); }

// Sleeps on the monotonic clock to the start of the deadline's millisecond, the moment
// RealNowMs first reads it; a signal that ends the sleep early starts it again.
void RealSleepUntilMs(uint32_t deadline_ms)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t now_ms = (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
    int32_t ahead = (int32_t)(deadline_ms - (uint32_t)now_ms);
    if (ahead <= 0)
        return;
    uint64_t wake_ms = now_ms + (uint64_t)ahead;
    struct timespec wake = {(time_t)(wake_ms / 1000u), (long)(wake_ms % 1000u) * 1000000L};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) == EINTR) {
    }
}

const ov_time_source_t kRealTime = {RealNowMs, RealSleepSeconds, RealSleepMicroseconds, RealSleepUntilMs};
const ov_time_source_t *s_time = &kRealTime;

const char *const kCoreMutexNames[OV_CORE_MUTEXES] = {
    "PRINT", "GET_MUTEX", "CREATE_DIR", "GET_PATH", "GET_BITMAP", "GET_SOUND", "GET_FONT",
    "GET_SHADER", "GFX_HW", "MAIN_LOOP", "RESOURCE_QUEUE", "SHARED_BITMAP", "CORE_IMP",
};

void *ThreadLauncher(void *p)
{
    Launcher *l = (Launcher *)p;
    l->started = true;
    OVT_GetCurrentThreadInfo()->name = l->name;  // the name now belongs to the info
    l->fn(l->arg);
    if (s_running.load() <= 0 && ov && ov->OV_PrintDebugf)
        ov->OV_PrintDebugf(OV_WARNING, "Thread ref counter reporting %d\n", s_running.load() - 1);
    OVT_RemoveThreadInfo(OVT_FindCurrentThreadInfo());
    free(l);
    // Last: once the count drops, shutdown may destroy the thread list and its lock.
    --s_running;
    return nullptr;
}

}  // namespace

// ---- time

void OVT_SetTimeSource(const ov_time_source_t *source)
{
    s_time = source ? source : &kRealTime;
}

uint32_t OVT_GetTime(void)
{
    return s_time->now_ms();
}

uint32_t OV_GetTime(void)
{
    return OVT_GetTime() - ov_state.start_time;
}

void OVT_Sleep(int ms)
{
    if (ms <= 0)
        return;
    if (ms / 1000 >= 1)
        s_time->sleep_s((unsigned)(ms / 1000));
    if (ms % 1000)
        s_time->sleep_us((unsigned)(ms % 1000) * 1000u);
}

namespace {
struct timespec s_process_start;  // zero until main notes it
}

void OVI_NoteProcessStart(void)
{
    clock_gettime(CLOCK_MONOTONIC, &s_process_start);
}

void OVI_LogFirstFrame(void)
{
    // The wall clock too: whoever launched the program can count from the launch.
    struct timespec now, wall;
    clock_gettime(CLOCK_MONOTONIC, &now);
    clock_gettime(CLOCK_REALTIME, &wall);
    if (s_process_start.tv_sec || s_process_start.tv_nsec) {
        double ms = (double)(now.tv_sec - s_process_start.tv_sec) * 1e3 +
                    (double)(now.tv_nsec - s_process_start.tv_nsec) / 1e6;
        OV_Printf("First frame presented %.1f ms after start (wall clock %lld.%06ld s).\n", ms, (long long)wall.tv_sec,
                  wall.tv_nsec / 1000);
    } else {
        OV_Printf("First frame presented (wall clock %lld.%06ld s).\n", (long long)wall.tv_sec, wall.tv_nsec / 1000);
    }
}

void OVT_SleepUntil(uint32_t deadline_ms)
{
    if (s_time->sleep_until_ms) {
        s_time->sleep_until_ms(deadline_ms);
        return;
    }
    while ((int32_t)(deadline_ms - s_time->now_ms()) > 0)
        s_time->sleep_us(1000u);
}

ov_date_t OVT_GetDate(void)
{
    time_t now = time(nullptr);
    struct tm tm;
    localtime_r(&now, &tm);
    ov_date_t d = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return d;
}

// ---- threads

void OVT_InitThreads(void)
{
    if (!s_thread_list_mutex)
        s_thread_list_mutex = OVT_CreateMutex("OVT_TIM");
}

void OVT_ShutdownThreads(void)
{
    // A thread still running keeps using the list, so the mutex is only destroyed
    // when every engine thread has ended.
    if (s_running.load() > 0)
        return;
    OVT_DestroyMutex(s_thread_list_mutex);
    s_thread_list_mutex = nullptr;
}

int64_t OVT_CreateThread(const char *name, ov_thread_fn fn, void *arg, int unused)
{
    Launcher *l = (Launcher *)calloc(1, sizeof(Launcher));
    l->name = nStringDuplicate(name);
    l->fn = fn;
    l->arg = arg;
    // Counted before the thread exists so that shutdown never misses a thread that
    // has been started but not yet scheduled.
    ++s_running;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t id;
    int rc = pthread_create(&id, &attr, ThreadLauncher, l);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        --s_running;
        nStringFree(l->name);
        free(l);
        OV_PrintDebugf(OV_ERROR, "Unable to start thread '%s'.\n", name ? name : "");
        return 0;
    }
    return (int64_t)id;
}

int64_t OV_CreateThread(const char *name, ov_thread_fn fn, void *arg, int flags)
{
    if (flags != 0) {
        OV_Popupf(OV_WARNING, "OV_CreateThread flags parm must be set to zero - reserved for future use.\n");
        return -1;
    }
    return OVT_CreateThread(name, fn, arg, 0);
}

OVT_ThreadInfo_t *OVT_FindCurrentThreadInfo(void)
{
    int64_t me = OVT_GetCurrentThreadId();
    OVT_ThreadInfo_t *found = nullptr;
    OVT_LockMutex(s_thread_list_mutex);
    for (OVT_ThreadInfo_t *t : s_threads)
        if (t->id == me) {
            found = t;
            break;
        }
    OVT_UnlockMutex(s_thread_list_mutex);
    return found;
}

OVT_ThreadInfo_t *OVT_GetCurrentThreadInfo(void)
{
    int64_t me = OVT_GetCurrentThreadId();
    OVT_LockMutex(s_thread_list_mutex);
    for (OVT_ThreadInfo_t *t : s_threads)
        if (t->id == me) {
            OVT_UnlockMutex(s_thread_list_mutex);
            return t;
        }
    OVT_ThreadInfo_t *t = (OVT_ThreadInfo_t *)calloc(1, sizeof(OVT_ThreadInfo_t));
    t->id = me;
    s_threads.push_back(t);
    OVT_UnlockMutex(s_thread_list_mutex);
    return t;
}

void OVT_RemoveThreadInfo(OVT_ThreadInfo_t *info)
{
    if (!info)
        return;
    OVT_LockMutex(s_thread_list_mutex);
    s_threads.erase(std::remove(s_threads.begin(), s_threads.end(), info), s_threads.end());
    OVT_UnlockMutex(s_thread_list_mutex);
    nStringFree(info->name);
    free(info);
}

int OVT_GetNumberOfThreadsRunning(void)
{
    return s_running.load();
}

int OVT_GetThreadInfoCount(void)
{
    OVT_LockMutex(s_thread_list_mutex);
    const int n = (int)s_threads.size();
    OVT_UnlockMutex(s_thread_list_mutex);
    return n;
}

int64_t OVT_GetCurrentThreadId(void)
{
    return (int64_t)pthread_self();
}

int64_t OV_GetCurrentThreadId(void)
{
    return OVT_GetCurrentThreadId();
}

int OVT_IsMainThread(void)
{
    return OVT_GetCurrentThreadId() == ov_state.main_thread;
}

int OV_IsMainThread(void)
{
    return OVT_IsMainThread();
}

int OVT_KillThread(int64_t id)
{
    if (id == 0)
        return 0;
    return pthread_kill((pthread_t)id, 0) == 0 ? 1 : 0;
}

void OVT_SetThreadPriority(int64_t id, unsigned priority, bool unused) {}

// ---- mutexes

ov_mutex_t *OVT_CreateMutex(const char *name)
{
    ov_mutex_t *m = (ov_mutex_t *)calloc(1, sizeof(ov_mutex_t));
    m->name = name ? nStringDuplicate(name) : nullptr;
    pthread_mutex_t *pm = (pthread_mutex_t *)malloc(sizeof(pthread_mutex_t));
    pthread_mutex_init(pm, nullptr);
    m->platform = pm;
    return m;
}

void OVT_DestroyMutex(ov_mutex_t *m)
{
    if (!m)
        return;
    pthread_mutex_destroy((pthread_mutex_t *)m->platform);
    free(m->platform);
    nStringFree(m->name);
    free(m);
}

void OVT_LockMutex(ov_mutex_t *m)
{
    if (!m)
        return;
    pthread_mutex_lock((pthread_mutex_t *)m->platform);
    m->locked = 1;
}

int OVT_UnlockMutex(ov_mutex_t *m)
{
    if (!m)
        return 0;
    m->locked = 0;
    return pthread_mutex_unlock((pthread_mutex_t *)m->platform);
}

void OV_LockMutex(ov_mutex_t *m)
{
    OVT_LockMutex(m);
}

void OV_UnlockMutex(ov_mutex_t *m)
{
    OVT_UnlockMutex(m);
}

ov_mutex_t *OV_GetMutex(const char *name)
{
    if (!name)
        name = "";
    OVI_LockCoreMutex(OV_MUTEX_GET_MUTEX);
    if (name[0] && ov_state.named_mutexes) {
        for (ov_mutex_t *m : *ov_state.named_mutexes)
            if (nStringsMatch(m->name, name)) {
                OVI_UnlockCoreMutex(OV_MUTEX_GET_MUTEX);
                return m;
            }
    }
    ov_mutex_t *m = OVT_CreateMutex(name);
    if (!ov_state.named_mutexes)
        ov_state.named_mutexes = new std::vector<ov_mutex_t *>();
    ov_state.named_mutexes->push_back(m);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_MUTEX);
    OV_Printf("Created Mutex '%s'..\n", name);
    return m;
}

// Destroys a mutex; one from the named registry leaves the registry first so that
// shutdown never destroys it a second time.
void OV_ReleaseMutex(ov_mutex_t *m)
{
    if (!m)
        return;
    OVI_LockCoreMutex(OV_MUTEX_GET_MUTEX);
    if (ov_state.named_mutexes) {
        auto &v = *ov_state.named_mutexes;
        v.erase(std::remove(v.begin(), v.end(), m), v.end());
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_MUTEX);
    OVT_DestroyMutex(m);
}

const char *OVI_GetCoreMutexName(int index)
{
    if (index < 0 || index >= OV_CORE_MUTEXES)
        return "UNKNOWN";
    return kCoreMutexNames[index];
}

void OVI_CreateCoreMutexes(void)
{
    for (int i = 0; i < OV_CORE_MUTEXES; i++)
        ov_state.core_mutex[i] = OVT_CreateMutex(OVI_GetCoreMutexName(i));
}

void OVI_DestroyCoreMutexes(void)
{
    for (int i = 0; i < OV_CORE_MUTEXES; i++) {
        OVT_DestroyMutex(ov_state.core_mutex[i]);
        ov_state.core_mutex[i] = nullptr;
    }
    if (ov_state.named_mutexes) {
        for (ov_mutex_t *m : *ov_state.named_mutexes)
            OVT_DestroyMutex(m);
        delete ov_state.named_mutexes;
        ov_state.named_mutexes = nullptr;
    }
}

void OVI_LockCoreMutex(int index)
{
    OVT_LockMutex(ov_state.core_mutex[index]);
}

void OVI_UnlockCoreMutex(int index)
{
    OVT_UnlockMutex(ov_state.core_mutex[index]);
}

void OV_SynchronizeWithMainThreadBegin(void)
{
    if (!OVT_IsMainThread())
        OVI_LockCoreMutex(OV_MUTEX_MAIN_LOOP);
}

void OV_SynchronizeWithMainThreadEnd(void)
{
    if (!OVT_IsMainThread())
        OVI_UnlockCoreMutex(OV_MUTEX_MAIN_LOOP);
}
