/* The time between presented frames of any GL program, without touching the program:
 * preloaded (LD_PRELOAD), it times every glXSwapBuffers and eglSwapBuffers call on the
 * monotonic clock and, at exit, appends one line to the file named by SWAP_TIMES_OUT:
 *
 *   RESULT prog=swap_times frames=N mean_ms=.. sd_ms=.. p50_ms=.. p99_ms=.. max_ms=..
 *
 * The first SWAP_TIMES_SKIP presents (default 60: start-up and the first screens) are not
 * counted. Used by bench/game_scenes.sh to compare the frame pacing of two builds. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { kMaxFrames = 1 << 20 };

static double *s_intervals;
static int s_count;
static int s_seen;
static double s_last;

static double NowMs(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec * 1e3 + (double)ts.tv_nsec / 1e6;
}

static void Note(void)
{
    double now = NowMs();
    const char *skip = getenv("SWAP_TIMES_SKIP");
    int skipped = skip ? atoi(skip) : 60;
    if (s_seen++ >= skipped && s_last > 0.0) {
        if (!s_intervals)
            s_intervals = (double *)malloc(sizeof(double) * kMaxFrames);
        if (s_intervals && s_count < kMaxFrames)
            s_intervals[s_count++] = now - s_last;
    }
    s_last = now;
}

unsigned int eglSwapBuffers(void *display, void *surface)
{
    static unsigned int (*real)(void *, void *);
    if (!real)
        real = (unsigned int (*)(void *, void *))dlsym(RTLD_NEXT, "eglSwapBuffers");
    unsigned int r = real ? real(display, surface) : 0;
    Note();
    return r;
}

void glXSwapBuffers(void *display, unsigned long drawable)
{
    static void (*real)(void *, unsigned long);
    if (!real)
        real = (void (*)(void *, unsigned long))dlsym(RTLD_NEXT, "glXSwapBuffers");
    if (real)
        real(display, drawable);
    Note();
}

static int Compare(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

__attribute__((destructor)) static void Report(void)
{
    const char *path = getenv("SWAP_TIMES_OUT");
    if (!path || s_count < 2)
        return;
    double sum = 0.0, sq = 0.0;
    for (int i = 0; i < s_count; i++)
        sum += s_intervals[i];
    double mean = sum / s_count;
    for (int i = 0; i < s_count; i++)
        sq += (s_intervals[i] - mean) * (s_intervals[i] - mean);
    qsort(s_intervals, (size_t)s_count, sizeof(double), Compare);
    int p99 = (int)ceil(0.99 * s_count) - 1;
    FILE *f = fopen(path, "a");
    if (!f)
        return;
    fprintf(f, "RESULT prog=swap_times frames=%d mean_ms=%.3f sd_ms=%.3f p50_ms=%.3f p99_ms=%.3f max_ms=%.3f\n",
            s_count, mean, sqrt(sq / s_count), s_intervals[s_count / 2], s_intervals[p99], s_intervals[s_count - 1]);
    fclose(f);
}
